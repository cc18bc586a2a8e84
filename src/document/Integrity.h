#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ISOFileFormat {
struct Box;
}  // namespace ISOFileFormat

class CTrackInfoCollector;
class CFileReader;

enum class FindingSeverity : int32_t { Error = 0, Warning = 1, Note = 2 };

// One thing wrong with a file: a stable id that scripts can match, how bad it is, the box it
// concerns (where its header starts and its type as read) and one sentence with the numbers.
struct Finding {
    std::string_view id;  // kebab-case, one of the ids in docs/integrity.md
    FindingSeverity severity = FindingSeverity::Error;
    uint64_t offset = 0;
    std::array<uint8_t, 4> type = {};
    std::string sentence;
};

// "error", "warning" or "note".
std::string_view SeverityName(FindingSeverity severity);
// Decimal with a comma between groups of three digits: 1021345 gives "1,021,345".
std::string GroupedNumber(uint64_t value);

// One box of a parse as the document received it, in file order.
struct IntegrityBox {
    const ISOFileFormat::Box* record = nullptr;
    int32_t depth = 0;
    // The record's id, beside it: the checks walk the boxes many times, and the records of a
    // fragmented file are millions of scattered allocations.
    int32_t id = -1;
    uint64_t offset = 0;
};

// What the checks of a completed parse read: the boxes while their records live, the track
// tables of the collector (FinishTrack done), the file's size and its first bytes.
struct IntegrityInput {
    std::span<const IntegrityBox> boxes;
    const CTrackInfoCollector* collector = nullptr;
    uint64_t fileSize = 0;
    std::span<const uint8_t> head;
};

// How many first bytes of a file the signature checks look at (an MPEG-TS file shows its sync
// byte three times in them).
constexpr size_t kIntegrityHeadSize = 3 * 188 + 1;

// A check adds what it finds; each is linear in the boxes and tables it reads. Adding a check is
// one function and one row of the table in IntegrityChecks.cpp.
using IntegrityCheck = void (*)(const IntegrityInput& input, std::vector<Finding>& findings);
struct IntegrityCheckRow {
    IntegrityCheck check;
    // When the check found something, the later checks are not run: their findings would only
    // repeat the first in other words (a Matroska file also lacks 'moov').
    bool conclusive;
};
std::span<const IntegrityCheckRow> IntegrityCheckTable();

// Every check of the table over a completed parse, in table order.
std::vector<Finding> RunIntegrityChecks(const IntegrityInput& input);

// Where a failed parse stopped: the box it was at, and the last box it read inside the file
// (the same one unless a size sent the parse beyond the end).
struct ParseStop {
    uint64_t offset = 0;
    std::array<uint8_t, 4> type = {};
    uint64_t lastInsideOffset = 0;
    std::array<uint8_t, 4> lastInsideType = {};
};

// A parse that failed leaves no tree to check. Walks the box headers of the plain containers
// from the start of the file until the first box that does not fit its parent or the file, and
// reports that; reads nothing but headers. `stop` and `failure` (the parse's last error) say
// where the driver stopped and why, for a failure the headers do not explain.
std::vector<Finding> CheckUnparsedFile(CFileReader& reader, std::span<const uint8_t> head,
                                       const ParseStop& stop, std::string_view failure);

// The type as text for sentences: the four bytes when printable, else their hex values.
std::string QuotedType(const std::array<uint8_t, 4>& type);
