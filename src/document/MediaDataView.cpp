#include "document/MediaDataView.h"

#include <string>
#include <utility>

#include "document/LineViewBox.h"
#include "document/TrackInfoCollector.h"
#include "model/Format.h"
#include "model/NumberText.h"

namespace {

constexpr Colour kBlack = Rgb(0, 0, 0);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kTrackBack = Rgb(247, 222, 86);
constexpr Colour kChunkBack = Rgb(238, 232, 170);
constexpr Colour kRandomAccessBack = Rgb(215, 179, 179);

// A file can have millions of chunk and sample lines, so their titles are put together
// without printf.
std::string ChunkTitle(uint64_t number, const ChunkInfo& chunk) {
    std::string title = "chunk #";
    NumberText::AppendUnsigned(title, number);
    title += " size ";
    NumberText::AppendUnsigned(title, chunk.size);
    title += " bytes, sample count ";
    NumberText::AppendUnsigned(title, chunk.sampleCount);
    title += ", biggest sample size ";
    NumberText::AppendUnsigned(title, chunk.biggestSampleSize);
    title += " bytes";
    return title;
}

std::string SampleTitle(uint64_t number, uint32_t size) {
    std::string title = "sample #";
    NumberText::AppendUnsigned(title, number);
    title += " size ";
    NumberText::AppendUnsigned(title, size);
    title += " bytes";
    return title;
}

struct LineContext {
    IDrawingSurface& surface;
    bool expanded;
    std::vector<std::unique_ptr<CISOViewBox>>& displayList;
};

void AppendTrack(const LineContext& c, const CTrackInfoCollector& collector, size_t tableIndex,
                 int32_t depth) {
    const TrackChunkTable& table = collector.GetChunkTables()[tableIndex];
    const bool holdsUnlisted =
        collector.GetUnlistedSampleCount() != 0 && collector.GetUnlistedTableIndex() == tableIndex;

    auto trackLine = std::make_unique<CLineViewBox>(depth + 1, table.firstChunkOffset, 0);
    const std::string_view kind = GetTrackKindName(table.handlerKind);
    trackLine->SetTitle(StrFormat("chunks from '%.*s Track', biggest chunk size %llu bytes",
                                  static_cast<int>(kind.size()), kind.data(),
                                  static_cast<unsigned long long>(table.biggestChunkSize)));
    trackLine->SetExpanded(c.expanded);
    trackLine->Measure(c.surface);
    trackLine->SetTitleColours(kBlack, kTrackBack);
    CISOViewBox& track = *trackLine;
    c.displayList.push_back(std::move(trackLine));

    for (size_t chunkIndex = 0; chunkIndex < table.chunks.size(); ++chunkIndex) {
        const ChunkInfo& chunk = table.chunks[chunkIndex];
        track.IncrementChildCount();
        auto chunkLine = std::make_unique<CLineViewBox>(depth + 2, chunk.offset, chunk.size);
        chunkLine->SetTitleColours(kBlack, kChunkBack);
        chunkLine->SetTitle(ChunkTitle(uint64_t{chunkIndex} + 1, chunk));
        chunkLine->SetExpanded(c.expanded);
        chunkLine->Measure(c.surface);
        CISOViewBox& chunkNode = *chunkLine;
        c.displayList.push_back(std::move(chunkLine));

        uint64_t sampleNumber = 1;
        uint64_t nextOffset = chunk.offset;
        for (const SampleInfo& sample : table.SamplesOf(chunk)) {
            chunkNode.IncrementChildCount();
            auto sampleLine = std::make_unique<CLineViewBox>(depth + 3, sample.offset, sample.size);
            if (sample.randomAccessPoint) {
                sampleLine->SetTitleColours(kBlack, kRandomAccessBack);
                sampleLine->SetSummaryText("Random Access Point");
            } else {
                sampleLine->SetTitleColours(kBlack, kWhite);
            }
            sampleLine->SetExpanded(c.expanded);
            sampleLine->SetTitle(SampleTitle(sampleNumber++, sample.size));
            sampleLine->Measure(c.surface);
            c.displayList.push_back(std::move(sampleLine));
            nextOffset = sample.offset + sample.size;
        }

        if (holdsUnlisted && chunkIndex == collector.GetUnlistedChunkIndex()) {
            chunkNode.IncrementChildCount();
            auto rest = std::make_unique<CLineViewBox>(depth + 3, nextOffset, 0);
            rest->SetTitleColours(kBlack, kWhite);
            rest->SetExpanded(c.expanded);
            std::string text;
            NumberText::AppendUnsigned(text, collector.GetUnlistedSampleCount());
            text += kUnlistedSamplesText;
            rest->SetTitle(std::move(text));
            rest->Measure(c.surface);
            c.displayList.push_back(std::move(rest));
        }
    }
}

}  // namespace

void BuildMediaDataView(CISOViewBox& mdat, uint64_t offset, uint64_t size, int32_t depth,
                        const CTrackInfoCollector& collector, IDrawingSurface& surface,
                        bool autoExpand, bool noExpandMDAT,
                        std::vector<std::unique_ptr<CISOViewBox>>& displayList) {
    const bool expanded = autoExpand && !noExpandMDAT;
    mdat.SetExpanded(expanded);
    const LineContext context{surface, expanded, displayList};

    const std::vector<TrackChunkTable>& tables = collector.GetChunkTables();
    for (size_t i = 0; i < tables.size(); ++i) {
        const TrackChunkTable& table = tables[i];
        // A table without chunks has no first chunk to place it. The comparison is written so
        // that offset + size cannot overflow.
        if (table.chunks.empty()) continue;
        const uint64_t first = table.firstChunkOffset;
        if (first < offset || first - offset >= size) continue;
        mdat.IncrementChildCount();
        AppendTrack(context, collector, i, depth);
    }
}
