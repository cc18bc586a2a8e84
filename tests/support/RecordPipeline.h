#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/Box.h"
#include "support/BoxBuilder.h"

// Parses crafted bytes with every parsing handler (ISO, 3GPP, Mobile MP4), for tests of the
// parsers. Records die when the parse returns, so `inspect` sees each one while it lives.
struct RecordedBox {
    std::string type;
    int32_t id;
    int32_t depth;
};

struct ParseOutcome {
    int32_t result = -1;
    std::string log;
    std::vector<RecordedBox> entries;  // every box, in file order
    // The type of each box the driver passed bytes of, and how many bytes it passed.
    std::vector<std::pair<std::string, std::string>> warnings;
    int errors = 0;
};

ParseOutcome ParseRecords(const BoxBuilder& file,
                          std::function<void(const ISOFileFormat::Box&)> inspect = {});

// The record as T when it has the catalogue id `id`, else null.
template <typename T>
const T* RecordAs(const ISOFileFormat::Box& box, int32_t id) {
    return box.id == id ? dynamic_cast<const T*>(&box) : nullptr;
}

// Sample description pieces: a track's handler, then its 'stsd' (left open) announcing
// `entries` entries; audio and visual sample entries (left open for their child boxes).
BoxBuilder& OpenTrackEntries(BoxBuilder& b, const char* handler, uint32_t entries = 1);
BoxBuilder& OpenAudioEntry(BoxBuilder& b, const char* type);
BoxBuilder& OpenVisualEntry(BoxBuilder& b, const char* type, std::string_view compressor = "");
