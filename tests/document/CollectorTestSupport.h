#pragma once

// Tracks for the tests of the track information collector and of what is built from it: box
// records made directly (they are plain structures) and noted the way the document notes what
// the parse driver reports.

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "document/TrackInfoCollector.h"
#include "model/3GPPBoxes.h"
#include "model/BoxCatalogue.h"
#include "model/ISOBoxes.h"
#include "parsing/ParserInterfaces.h"

namespace collector_test {

using ISOFileFormat::Box;
using Numbers = std::vector<uint32_t>;

// 'stsz': one size for every sample (size not 0), or the sizes one by one; count as declared.
struct SampleSizes {
    uint32_t size = 0;
    uint32_t count = 0;
    Numbers sizes = {};
};

inline SampleSizes Sizes(Numbers sizes) {
    return {0, static_cast<uint32_t>(sizes.size()), std::move(sizes)};
}

// One track's boxes as a row. An empty 'stsc' and the tables left out are not noted.
struct TrackSpec {
    std::optional<int32_t> kind = HandlerKindVideo;        // no 'hdlr' when empty
    std::vector<std::pair<uint32_t, uint32_t>> stsc = {};  // first chunk, samples per chunk
    std::optional<Numbers> stco = {};
    std::optional<SampleSizes> stsz = {};
    std::optional<Numbers> stss = {};
    bool handlerLast = false;  // 'hdlr' noted after the sample tables
};

// A collector and the records it was told about, kept alive for as long as it may look at them.
class Tracks {
public:
    // At most `sampleLimit` samples listed, as from a file of that many bytes.
    explicit Tracks(uint64_t sampleLimit = UINT64_MAX) { collector.LimitToFileSize(sampleLimit); }

    template <class Record, class... Args>
    Record& Make(Args&&... args) {
        auto record = std::make_unique<Record>(std::forward<Args>(args)...);
        Record& ref = *record;
        m_records.push_back(std::move(record));
        return ref;
    }

    // Notes records made here in file order, as the document does.
    template <class... Records>
    void Note(const Records&... records) {
        (collector.Note(records), ...);
    }

    // Notes 'trak', its 'hdlr' and its tables in file order; returns the 'trak' record.
    const Box* Add(const TrackSpec& track) {
        const Box& trak = Make<Box>(BoxId::Trak, 8);
        Note(trak);
        if (!track.handlerLast) NoteHandler(track.kind);
        if (!track.stsc.empty()) {
            auto& stsc = Make<ISOFileFormat::SampleToChunkBox>(16);
            for (const auto& [first, samples] : track.stsc)
                stsc.entries.push_back({first, samples, 1});
            stsc.entry_count = static_cast<uint32_t>(stsc.entries.size());
            Note(stsc);
        }
        if (track.stsz) {
            auto& stsz = Make<ISOFileFormat::SampleSizeBox>(20);
            stsz.sample_size = track.stsz->size;
            stsz.sample_count = track.stsz->count;
            stsz.entry_size = track.stsz->sizes;
            Note(stsz);
        }
        if (track.stco) NoteTable(&ISOFileFormat::ChunkOffsetBox::chunk_offset, *track.stco);
        if (track.stss) NoteTable(&ISOFileFormat::SyncSampleBox::sample_number, *track.stss);
        if (track.handlerLast) NoteHandler(track.kind);
        return &trak;
    }

    // Ends the last track, as the document does once every box is parsed.
    const CTrackInfoCollector& Done() {
        collector.FinishTrack();
        return collector;
    }

    void NoteHandler(std::optional<int32_t> kind) {
        if (!kind) return;
        auto& hdlr = Make<ISOFileFormat::HandlerRererenceBox>(33);
        hdlr.handlerKind = *kind;
        Note(hdlr);
    }

    CTrackInfoCollector collector;

private:
    template <class Record>
    void NoteTable(Numbers Record::*entries, const Numbers& values) {
        auto& record = Make<Record>(16);
        record.*entries = values;
        record.entry_count = static_cast<uint32_t>(values.size());
        Note(record);
    }

    std::vector<std::unique_ptr<Box>> m_records;
};

}  // namespace collector_test
