#pragma once

// Helpers shared by the tests of the track information collector, the quick information and
// the media data view: box records made directly (they are plain structures), a track noted
// box by box as the parse driver reports it, and a parse of real bytes that feeds a collector
// and builds the sections the way the document does.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/MediaDataView.h"
#include "document/QuickInformation.h"
#include "document/TrackInfoCollector.h"
#include "model/ISOBoxes.h"
#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "presentation/FixedMetricSurface.h"
#include "presentation/ISOViewBox.h"

namespace collector_test {

using ISOFileFormat::Box;

// Keeps the records alive for as long as the collector may look at them.
class Records {
public:
    template <class Record, class... Args>
    Record& Make(Args&&... args) {
        auto record = std::make_unique<Record>(std::forward<Args>(args)...);
        Record& ref = *record;
        m_records.push_back(std::move(record));
        return ref;
    }

private:
    std::vector<std::unique_ptr<Box>> m_records;
};

// One track's boxes; a table left empty (nullopt) is not noted.
struct TrackSpec {
    std::optional<int32_t> handlerKind = 1;
    std::optional<std::vector<std::pair<uint32_t, uint32_t>>> stsc;  // first_chunk, samples
    std::optional<std::vector<uint32_t>> stco;
    // 'stsz': constant size (0: per-sample sizes), declared count, sizes.
    struct SampleSizes {
        uint32_t sampleSize = 0;
        uint32_t sampleCount = 0;
        std::vector<uint32_t> sizes;
    };
    std::optional<SampleSizes> stsz;
    std::optional<std::vector<uint32_t>> stss;
    bool handlerAfterTables = false;  // 'hdlr' noted after the sample tables
};

// Per-sample sizes with the count they declare.
inline TrackSpec::SampleSizes Sizes(std::vector<uint32_t> sizes) {
    TrackSpec::SampleSizes s;
    s.sampleCount = static_cast<uint32_t>(sizes.size());
    s.sizes = std::move(sizes);
    return s;
}

inline TrackSpec::SampleSizes ConstantSizes(uint32_t size, uint32_t count) {
    TrackSpec::SampleSizes s;
    s.sampleSize = size;
    s.sampleCount = count;
    return s;
}

// Notes 'trak', its 'hdlr' and its tables in file order; returns the 'trak' record.
inline const Box* NoteTrack(CTrackInfoCollector& collector, Records& records,
                            const TrackSpec& track) {
    const Box& trak = records.Make<Box>(4, 8);
    collector.NoteBox(trak.id, &trak);
    const auto noteHandler = [&] {
        if (!track.handlerKind) return;
        auto& hdlr = records.Make<ISOFileFormat::HandlerRererenceBox>(33);
        hdlr.handlerKind = *track.handlerKind;
        collector.NoteBox(hdlr.id, &hdlr);
    };
    if (!track.handlerAfterTables) noteHandler();
    if (track.stsc) {
        auto& stsc = records.Make<ISOFileFormat::SampleToChunkBox>(16);
        for (const auto& [first, samples] : *track.stsc)
            stsc.entries.push_back({first, samples, 1});
        stsc.entry_count = static_cast<uint32_t>(stsc.entries.size());
        collector.NoteBox(stsc.id, &stsc);
    }
    if (track.stsz) {
        auto& stsz = records.Make<ISOFileFormat::SampleSizeBox>(20);
        stsz.sample_size = track.stsz->sampleSize;
        stsz.sample_count = track.stsz->sampleCount;
        stsz.entry_size = track.stsz->sizes;
        collector.NoteBox(stsz.id, &stsz);
    }
    if (track.stco) {
        auto& stco = records.Make<ISOFileFormat::ChunkOffsetBox>(16);
        stco.chunk_offset = *track.stco;
        stco.entry_count = static_cast<uint32_t>(stco.chunk_offset.size());
        collector.NoteBox(stco.id, &stco);
    }
    if (track.stss) {
        auto& stss = records.Make<ISOFileFormat::SyncSampleBox>(16);
        stss.sample_number = *track.stss;
        stss.entry_count = static_cast<uint32_t>(stss.sample_number.size());
        collector.NoteBox(stss.id, &stss);
    }
    if (track.handlerAfterTables) noteHandler();
    return &trak;
}

// The short type name layer's text of a line node.
inline std::string Title(const CISOViewBox& node) {
    return node.GetShortTypeNameLayer() ? node.GetShortTypeNameLayer()->Text() : "<none>";
}

// A parse that does what the document does with the collector and the sections: notes the
// records, builds the quick information at the end, and one plain node per box with the media
// data view after each 'mdat'.
struct ParsedFile {
    int32_t result = -1;
    std::unique_ptr<CTrackInfoCollector> collector;
    std::vector<std::unique_ptr<CISOViewBox>> nodes;
};

class CollectingProcessor : public IParserCallbackProcessor {
public:
    CollectingProcessor(ParsedFile& out, uint32_t sampleLimit, bool autoExpand)
        : m_out(out), m_sampleLimit(sampleLimit), m_autoExpand(autoExpand) {}
    void SetFileSize(uint64_t size) { m_fileSize = size; }
    int32_t OnParseBegin() override {
        m_out.collector = std::make_unique<CTrackInfoCollector>(m_sampleLimit);
        m_out.collector->LimitToFileSize(m_fileSize);
        return 0;
    }
    int32_t OnBoxParsed(Box* record) override {
        switch (record->id) {
            case 4:
            case 13:
            case 27:
            case 28:
            case 30:
            case 32:
                m_out.collector->NoteBox(record->id, record);
                break;
            default:
                if (record->id >= 101 && record->id <= 114) m_out.collector->NoteCodecBox(record);
                break;
        }
        return 0;
    }
    int32_t OnBoxList(size_t, const std::vector<std::unique_ptr<Box>>&) override {
        m_out.collector->FinishTrack();
        BuildQuickInformation(*m_out.collector, m_surface, m_autoExpand, false, m_out.nodes);
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* entry) override {
        auto node = std::make_unique<CISOViewBox>(entry->record, entry->depth,
                                                  static_cast<uint64_t>(entry->offset));
        node->SetExpanded(m_autoExpand);
        CISOViewBox& ref = *node;
        m_out.nodes.push_back(std::move(node));
        if (entry->record->id == 52) {
            BuildMediaDataView(ref, static_cast<uint64_t>(entry->offset), entry->record->size,
                               entry->depth, *m_out.collector, m_surface, m_autoExpand, false,
                               m_out.nodes);
        }
        return 0;
    }
    int32_t OnParseEnd() override { return 0; }

private:
    ParsedFile& m_out;
    CFixedMetricSurface m_surface;
    uint64_t m_fileSize = UINT64_MAX;
    uint32_t m_sampleLimit;
    bool m_autoExpand;
};

inline ParsedFile ParseWithCollector(const std::string& path,
                                     uint32_t sampleLimit = CTrackInfoCollector::kMaxListedSamples,
                                     bool autoExpand = true) {
    ParsedFile out;
    CollectingProcessor processor(out, sampleLimit, autoExpand);
    CStringLogWriter log;
    CISOFileFormatParser parser(&processor, &log);
    parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    if (parser.Open(path.c_str()) != 1) return out;
    processor.SetFileSize(static_cast<uint64_t>(parser.GetFileSize()));
    out.result = parser.Parse();
    return out;
}

}  // namespace collector_test
