#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "support/BoxBuilder.h"

// Parses crafted bytes with every parsing handler (ISO, 3GPP, Mobile MP4), as the document
// does, for tests of the parsers and the presentation. Records die when the parse returns, so
// `describe` sees each one at the normal end, while the whole tree still lives; what it returns
// (when not empty) becomes one line of the outcome.
using RecordDescriber = std::function<std::string(const ISOFileFormat::Box&)>;

// Type, id, depth, offset and container flag of a box as the document receives it.
using RecordedBox = std::tuple<std::string, int32_t, int32_t, int64_t, int32_t>;

struct ParseOutcome {
    int32_t result = -1;
    std::string log;
    std::vector<RecordedBox> entries;  // every box, in file order (at the normal end only)
    std::vector<std::string> parsed;   // the type of every box as it was parsed
    std::vector<std::string> listed;   // the types of the record list (the entries' owners)
    std::vector<std::string> lines;    // what `describe` said, in file order
    // What `describe` said of each record as soon as it was parsed: also for a parse that failed.
    std::vector<std::string> parsedLines;
};

// With BoxSet::Full the families beyond the classic set parse (and show) first, as in the
// document's default mode.
ParseOutcome ParseRecords(const BoxBuilder& file, const RecordDescriber& describe = {},
                          BoxSet set = BoxSet::Classic);

// Bytes in, lines out: what `describe` says of each record, then "passed TYPE:BYTES" for each
// box the driver passed the rest of with a warning, then "result N" when the parse failed.
using Lines = std::vector<std::string>;
Lines RecordLines(const BoxBuilder& file, const RecordDescriber& describe,
                  BoxSet set = BoxSet::Classic);

template <typename T>
const T* As(const ISOFileFormat::Box& box) {
    return dynamic_cast<const T*>(&box);
}

// Values separated by spaces: texts as they are, numbers (bytes and enums too) in decimal, a
// vector as [a,b,c].
template <typename T>
void AppendField(std::string& out, const T& value) {
    if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        out += std::string_view(value);
    } else if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
        out += std::to_string(+value);
    } else {
        out += '[';
        for (size_t i = 0; i < value.size(); ++i)
            AppendField(out += i == 0 ? "" : ",", value[i]);
        out += ']';
    }
}
template <typename... T>
std::string Fields(const T&... values) {
    std::string out;
    size_t n = 0;
    (AppendField(out += n++ == 0 ? "" : " ", values), ...);
    return out;
}

// `line`, then what `describe` says of each entry, separated by spaces.
template <typename Entries, typename Describe>
std::string WithEntries(std::string line, const Entries& entries, Describe describe) {
    for (const auto& entry : entries)
        line.append(" ").append(describe(entry));
    return line;
}

// Sample description pieces: a track's handler, then its 'stsd' (left open) announcing
// `entries` entries; audio and visual sample entries (left open for their child boxes).
BoxBuilder& OpenTrackEntries(BoxBuilder& b, const char* handler, uint32_t entries = 1);
BoxBuilder& OpenAudioEntry(BoxBuilder& b, const char* type);
BoxBuilder& OpenVisualEntry(BoxBuilder& b, const char* type, std::string_view compressor = "");
// A sound track's one audio entry of `type` holding `child`, then a box after the track, so that
// a child that reads past its end meets the driver's size check rather than the file's end.
BoxBuilder AudioEntryWith(const char* type, const BoxBuilder& child);

// A full box whose payload is these 32-bit big-endian words: most fields of the boxes shown are
// words, and pairs of 16-bit fields or 64-bit fields are two halves of a pair of words.
BoxBuilder WordBox(std::string_view type, uint8_t version, uint32_t flags,
                   std::initializer_list<uint32_t> words);

// A crafted file and the field lines expected of the node of its first box of `type`: the lines
// the view box handlers filled in, from the first that holds " : " (the version of a full box,
// or the first item) on, none when no handler claimed the node; "..." stands for any run.
struct NodeCase {
    std::string type;
    BoxBuilder file;
    std::vector<std::string> fields;
};

// Parses each case's file and fills a node of each record with the document's view box handlers
// in the document's order (ISO, 3GPP, Mobile MP4), then checks the case's node's field lines.
void ExpectNodeFields(const std::vector<NodeCase>& cases, BoxSet set = BoxSet::Classic);
