#include "document/MediaDataView.h"

#include <algorithm>
#include <limits>

#include "document/TrackInfoCollector.h"
#include "model/NumberText.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ViewPalette.h"

namespace {

constexpr std::string_view kRandomAccessPointSummary = "Random Access Point";

int32_t SaturatedCount(uint64_t count) {
    return static_cast<int32_t>(std::min<uint64_t>(count, std::numeric_limits<int32_t>::max()));
}

// "chunk #n size ... bytes, sample count c, biggest sample size b bytes", a run alike.
void AppendChunkTitle(std::string_view what, size_t index, const ChunkInfo& chunk,
                      std::string& out) {
    out.append(what).append(" #");
    NumberText::AppendUnsigned(out, uint64_t{index} + 1);
    out.append(" size ");
    NumberText::AppendUnsigned(out, chunk.size);
    out.append(" bytes, sample count ");
    NumberText::AppendUnsigned(out, chunk.sampleCount);
    out.append(", biggest sample size ");
    NumberText::AppendUnsigned(out, chunk.biggestSampleSize);
    out.append(" bytes");
}

void AppendSampleTitle(uint32_t sample, uint64_t size, std::string& out) {
    out.append("sample #");
    NumberText::AppendUnsigned(out, uint64_t{sample} + 1);
    out.append(" size ");
    NumberText::AppendUnsigned(out, size);
    out.append(" bytes");
}

}  // namespace

CMediaDataLines::CMediaDataLines(const CTrackInfoCollector& collector, const Fragments& fragments,
                                 int32_t depth, bool expanded)
    : m_collector(collector),
      m_tables(collector.GetFragmentTables()),
      m_fragments(fragments),
      m_isFragments(true),
      m_depth(depth) {
    size_t lines = 0;
    for (size_t i = fragments.first; i < fragments.end && i < m_tables.size(); ++i) {
        const TrackChunkTable& table = m_tables[i];
        m_tracks.push_back(Track{i, lines, false});
        lines += 1 + table.chunks.size() + table.samples.size();
    }
    m_expanded.assign(lines, expanded);
    m_widestChild.resize(m_tracks.size());
}

CMediaDataLines::CMediaDataLines(const CTrackInfoCollector& collector, uint64_t offset,
                                 uint64_t size, int32_t depth, bool expanded)
    : m_collector(collector), m_tables(collector.GetChunkTables()), m_depth(depth) {
    const std::vector<TrackChunkTable>& tables = m_tables;
    size_t lines = 0;
    for (size_t i = 0; i < tables.size(); ++i) {
        const TrackChunkTable& table = tables[i];
        // A table without chunks has no first chunk to place it. The comparison is written so
        // that offset + size cannot overflow.
        const uint64_t first = table.firstChunkOffset;
        if (table.chunks.empty() || first < offset || first - offset >= size) continue;
        const bool holdsUnlisted =
            collector.GetUnlistedSampleCount() != 0 && collector.GetUnlistedTableIndex() == i;
        m_tracks.push_back(Track{i, lines, holdsUnlisted});
        lines += 1 + table.chunks.size() + table.samples.size() + (holdsUnlisted ? 1 : 0);
    }
    m_expanded.assign(lines, expanded);
    m_widestChild.resize(m_tracks.size());
}

const CMediaDataLines::Track& CMediaDataLines::TrackOf(size_t k) const {
    const auto after =
        std::upper_bound(m_tracks.begin(), m_tracks.end(), k,
                         [](size_t line, const Track& t) { return line < t.firstLine; });
    return *(after - 1);
}

uint64_t CMediaDataLines::ChunkLine(const Track& track, size_t chunk) const {
    const TrackChunkTable& table = m_tables[track.table];
    const bool afterUnlisted = track.holdsUnlisted && chunk > m_collector.GetUnlistedChunkIndex();
    return 1 + uint64_t{chunk} + table.chunks[chunk].firstSample + (afterUnlisted ? 1 : 0);
}

const MediaDataLine& CMediaDataLines::Line(size_t k) const {
    if (k != m_current) {
        if (m_current != SIZE_MAX && k == m_current + 1)
            Step();
        else
            Locate(k);
        m_current = k;
    }
    return m_line;
}

void CMediaDataLines::Locate(size_t k) const {
    const Track& track = TrackOf(k);
    m_currentTrack = static_cast<size_t>(&track - m_tracks.data());
    const uint64_t r = k - track.firstLine;
    const TrackChunkTable& table = m_tables[track.table];
    if (r == 0) {
        m_line = MediaDataLine{MediaDataLine::Kind::Track,
                               false,
                               m_depth + 1,
                               SaturatedCount(table.chunks.size()),
                               track.table,
                               0,
                               0,
                               table.firstChunkOffset,
                               0};
        return;
    }
    // The last chunk whose line is at or before r: chunk lines grow with the chunk.
    size_t low = 0;
    size_t high = table.chunks.size();
    while (high - low > 1) {
        const size_t middle = low + (high - low) / 2;
        if (ChunkLine(track, middle) <= r)
            low = middle;
        else
            high = middle;
    }
    const uint64_t within = r - ChunkLine(track, low);
    if (within == 0)
        SetChunkLine(track, low);
    else
        SetSampleLine(track, low, static_cast<uint32_t>(within - 1));
}

void CMediaDataLines::SetChunkLine(const Track& track, size_t chunk) const {
    const ChunkInfo& info = m_tables[track.table].chunks[chunk];
    const bool unlistedHere = track.holdsUnlisted && chunk == m_collector.GetUnlistedChunkIndex();
    m_line =
        MediaDataLine{MediaDataLine::Kind::Chunk,
                      false,
                      m_depth + 2,
                      SaturatedCount(uint64_t{info.listedSampleCount} + (unlistedHere ? 1 : 0)),
                      track.table,
                      chunk,
                      0,
                      info.offset,
                      info.size};
}

void CMediaDataLines::SetSampleLine(const Track& track, size_t chunk, uint32_t sample) const {
    const TrackChunkTable& table = m_tables[track.table];
    const ChunkInfo& info = table.chunks[chunk];
    m_line.depth = m_depth + 3;
    m_line.childCount = 0;
    m_line.table = track.table;
    m_line.chunk = chunk;
    m_line.sample = sample;
    if (sample < info.listedSampleCount) {
        const SampleInfo& s = table.samples[info.firstSample + sample];
        m_line.kind = MediaDataLine::Kind::Sample;
        m_line.randomAccess = s.randomAccessPoint;
        m_line.fileOffset = s.offset;
        m_line.size = s.size;
        return;
    }
    m_line.kind = MediaDataLine::Kind::Unlisted;
    m_line.randomAccess = false;
    if (info.listedSampleCount == 0) {
        m_line.fileOffset = info.offset;
    } else {
        const SampleInfo& last = table.samples[info.firstSample + info.listedSampleCount - 1];
        m_line.fileOffset = last.offset + last.size;
    }
    m_line.size = 0;
}

void CMediaDataLines::Step() const {
    const Track& track = m_tracks[m_currentTrack];
    const TrackChunkTable& table = m_tables[track.table];
    size_t nextChunk = 0;
    switch (m_line.kind) {
        case MediaDataLine::Kind::Track:
            nextChunk = 0;
            break;
        case MediaDataLine::Kind::Chunk:
        case MediaDataLine::Kind::Sample: {
            // The chunk's next child, if it has one.
            const uint32_t next = m_line.kind == MediaDataLine::Kind::Chunk ? 0 : m_line.sample + 1;
            const ChunkInfo& info = table.chunks[m_line.chunk];
            const bool unlistedHere =
                track.holdsUnlisted && m_line.chunk == m_collector.GetUnlistedChunkIndex();
            if (next < info.listedSampleCount || (unlistedHere && next == info.listedSampleCount)) {
                SetSampleLine(track, m_line.chunk, next);
                return;
            }
            nextChunk = m_line.chunk + 1;
            break;
        }
        case MediaDataLine::Kind::Unlisted:
            nextChunk = m_line.chunk + 1;
            break;
    }
    if (nextChunk < table.chunks.size()) {
        SetChunkLine(track, nextChunk);
        return;
    }
    Locate(m_tracks[m_currentTrack + 1].firstLine);
}

size_t CMediaDataLines::SubtreeEnd(size_t k) const {
    const MediaDataLine& line = Line(k);
    switch (line.kind) {
        case MediaDataLine::Kind::Track:
            return m_currentTrack + 1 < m_tracks.size() ? m_tracks[m_currentTrack + 1].firstLine
                                                        : size();
        case MediaDataLine::Kind::Chunk: {
            const Track& track = m_tracks[m_currentTrack];
            const size_t next = line.chunk + 1;
            const TrackChunkTable& table = m_tables[track.table];
            return next < table.chunks.size()             ? track.firstLine + ChunkLine(track, next)
                   : m_currentTrack + 1 < m_tracks.size() ? m_tracks[m_currentTrack + 1].firstLine
                                                          : size();
        }
        default:
            return k + 1;
    }
}

int32_t& CMediaDataLines::WidestChildSlot(size_t chunkLine) const {
    const size_t chunk = Line(chunkLine).chunk;
    std::vector<int32_t>& widths = m_widestChild[m_currentTrack];
    if (widths.empty()) widths.assign(m_tables[m_tracks[m_currentTrack].table].chunks.size(), -1);
    return widths[chunk];
}

void CMediaDataLines::AppendPlacement(uint64_t offset, uint64_t size, std::string& out) const {
    if (size == 0) return;  // no byte to be anywhere
    const uint64_t fileSize = m_collector.GetFileSize();
    const bool outsideFile = offset > fileSize || size > fileSize - offset;
    if (!outsideFile && offset >= m_fragments.payloadOffset && offset <= m_fragments.payloadEnd &&
        size <= m_fragments.payloadEnd - offset)
        return;
    // The offset is shown, as the line's own offset is, and nothing there is read.
    out.append(", at ");
    NumberText::AppendUnsigned(out, offset);
    out.append(outsideFile ? " outside the file" : " outside the 'mdat'");
}

void CMediaDataLines::WriteFragmentTitle(const MediaDataLine& line, std::string& out) const {
    const TrackChunkTable& table = m_tables[line.table];
    switch (line.kind) {
        case MediaDataLine::Kind::Track:
            out.append("runs from '")
                .append(GetTrackKindName(table.handlerKind))
                .append(" Track' track_ID ");
            NumberText::AppendUnsigned(out, table.fragment.track_ID);
            out.append(", fragment #");
            NumberText::AppendUnsigned(out, uint64_t{table.fragment.fragment} + 1);
            out.append(", base data offset ");
            NumberText::AppendUnsigned(out, table.fragment.baseDataOffset);
            out.append(", decode time ");
            NumberText::AppendUnsigned(out, table.fragment.decodeTime);
            out.append(", biggest run size ");
            NumberText::AppendUnsigned(out, table.biggestChunkSize);
            out.append(" bytes");
            break;
        case MediaDataLine::Kind::Chunk: {
            const ChunkInfo& run = table.chunks[line.chunk];
            AppendChunkTitle("run", line.chunk, run, out);
            if (run.sizesUnknown)
                out.append(
                    ", sample sizes unknown: neither 'trun' nor 'tfhd' gives them, and no "
                    "'trex' was read (read the segment with its init segment)");
            AppendPlacement(run.offset, run.size, out);
            break;
        }
        case MediaDataLine::Kind::Sample:
            if (table.chunks[line.chunk].sizesUnknown) {
                out.append("sample #");
                NumberText::AppendUnsigned(out, uint64_t{line.sample} + 1);
                out.append(" size unknown");
            } else {
                AppendSampleTitle(line.sample, line.size, out);
            }
            out.append(", decode time ");
            NumberText::AppendUnsigned(
                out, table.decodeTimes[table.chunks[line.chunk].firstSample + line.sample]);
            AppendPlacement(line.fileOffset, line.size, out);
            break;
        case MediaDataLine::Kind::Unlisted:
            break;
    }
}

void CMediaDataLines::WriteTitle(const MediaDataLine& line, std::string& out) const {
    if (m_isFragments) {
        WriteFragmentTitle(line, out);
        return;
    }
    const TrackChunkTable& table = m_tables[line.table];
    switch (line.kind) {
        case MediaDataLine::Kind::Track:
            out.append("chunks from '")
                .append(GetTrackKindName(table.handlerKind))
                .append(" Track', biggest chunk size ");
            NumberText::AppendUnsigned(out, table.biggestChunkSize);
            out.append(" bytes");
            break;
        case MediaDataLine::Kind::Chunk:
            AppendChunkTitle("chunk", line.chunk, table.chunks[line.chunk], out);
            break;
        case MediaDataLine::Kind::Sample:
            AppendSampleTitle(line.sample, line.size, out);
            break;
        case MediaDataLine::Kind::Unlisted:
            NumberText::AppendUnsigned(out, m_collector.GetUnlistedSampleCount());
            out.append(kUnlistedSamplesText);
            break;
    }
}

Colour CMediaDataLines::BackColour(const MediaDataLine& line) {
    switch (line.kind) {
        case MediaDataLine::Kind::Track:
            return kViewPalette.trackLineBack;
        case MediaDataLine::Kind::Chunk:
            return kViewPalette.chunkLineBack;
        case MediaDataLine::Kind::Sample:
            if (line.randomAccess) return kViewPalette.randomAccessLineBack;
            break;
        case MediaDataLine::Kind::Unlisted:
            break;
    }
    return kViewPalette.lineBack;
}

std::string_view CMediaDataLines::SummaryText(const MediaDataLine& line) {
    return line.randomAccess ? kRandomAccessPointSummary : CISOViewBox::kNotABoxSummary;
}
