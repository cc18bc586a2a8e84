#include "document/MediaDataView.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "document/LineViewBox.h"
#include "document/TrackInfoCollector.h"
#include "model/Format.h"
#include "model/NumberText.h"
#include "presentation/ViewPalette.h"

namespace {

constexpr std::string_view kRandomAccessPointSummary = "Random Access Point";

// A file can have millions of chunk and sample lines, so their titles are put together
// without printf, in one string of exactly their length.
using DigitBuffer = char[NumberText::kMaxChars];

std::string_view Decimal(DigitBuffer& buffer, uint64_t value) {
    return std::string_view(buffer, NumberText::FormatUnsigned(buffer, value));
}

std::string Concatenate(std::initializer_list<std::string_view> parts) {
    size_t length = 0;
    for (std::string_view part : parts)
        length += part.size();
    std::string text;
    text.reserve(length);
    for (std::string_view part : parts)
        text.append(part);
    return text;
}

std::string ChunkTitle(uint64_t number, const ChunkInfo& chunk) {
    DigitBuffer n, size, count, biggest;
    return Concatenate({"chunk #", Decimal(n, number), " size ", Decimal(size, chunk.size),
                        " bytes, sample count ", Decimal(count, chunk.sampleCount),
                        ", biggest sample size ", Decimal(biggest, chunk.biggestSampleSize),
                        " bytes"});
}

std::string SampleTitle(uint64_t number, uint32_t size) {
    DigitBuffer n, bytes;
    return Concatenate({"sample #", Decimal(n, number), " size ", Decimal(bytes, size), " bytes"});
}

struct LineContext {
    IDrawingSurface& surface;
    bool expanded;
    std::vector<std::unique_ptr<CISOViewBox>>& displayList;
    // One text for the summary of every random access point.
    std::shared_ptr<const std::string> randomAccessPoint;
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
    trackLine->SetTitleColours(kViewPalette.lineText, kViewPalette.trackLineBack);
    CISOViewBox& track = *trackLine;
    c.displayList.push_back(std::move(trackLine));

    for (size_t chunkIndex = 0; chunkIndex < table.chunks.size(); ++chunkIndex) {
        const ChunkInfo& chunk = table.chunks[chunkIndex];
        track.IncrementChildCount();
        auto chunkLine = std::make_unique<CLineViewBox>(depth + 2, chunk.offset, chunk.size);
        chunkLine->SetTitleColours(kViewPalette.lineText, kViewPalette.chunkLineBack);
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
                sampleLine->SetTitleColours(kViewPalette.lineText,
                                            kViewPalette.randomAccessLineBack);
                sampleLine->ShareSummaryText(c.randomAccessPoint);
            } else {
                sampleLine->SetTitleColours(kViewPalette.lineText, kViewPalette.lineBack);
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
            rest->SetTitleColours(kViewPalette.lineText, kViewPalette.lineBack);
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

    const std::vector<TrackChunkTable>& tables = collector.GetChunkTables();
    // A table without chunks has no first chunk to place it. The comparison is written so that
    // offset + size cannot overflow.
    auto listedHere = [&](const TrackChunkTable& table) {
        const uint64_t first = table.firstChunkOffset;
        return !table.chunks.empty() && first >= offset && first - offset < size;
    };

    // The list grows by millions of lines at once for a large file: room for exactly them,
    // rather than doubling its capacity on the way.
    size_t lines = 0;
    for (size_t i = 0; i < tables.size(); ++i) {
        if (!listedHere(tables[i])) continue;
        lines += 1 + tables[i].chunks.size() + tables[i].samples.size();
        if (collector.GetUnlistedSampleCount() != 0 && collector.GetUnlistedTableIndex() == i)
            ++lines;
    }
    if (displayList.capacity() - displayList.size() < lines) {
        displayList.reserve(std::max(displayList.size() + lines,
                                     displayList.capacity() + displayList.capacity() / 2));
    }

    const LineContext context{surface, expanded, displayList,
                              std::make_shared<const std::string>(kRandomAccessPointSummary)};
    for (size_t i = 0; i < tables.size(); ++i) {
        if (!listedHere(tables[i])) continue;
        mdat.IncrementChildCount();
        AppendTrack(context, collector, i, depth);
    }
}
