#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/DrawingSurface.h"

class CTrackInfoCollector;
struct TrackChunkTable;

// One line under an 'mdat' node, as computed from the collector's chunk tables.
struct MediaDataLine {
    enum class Kind : uint8_t { Track, Chunk, Sample, Unlisted };
    Kind kind = Kind::Track;
    bool randomAccess = false;  // a sample that is a random access point
    int32_t depth = 0;
    int32_t childCount = 0;
    size_t table = 0;     // the collector's chunk table
    size_t chunk = 0;     // chunk, sample and unlisted lines: the chunk in the table
    uint32_t sample = 0;  // sample lines: the sample in the chunk, from 0
    uint64_t fileOffset = 0;
    uint64_t size = 0;
};

// The lines under one 'mdat' node, made from the collector's tables when they are asked for:
// nothing is stored per line but its expanded bit. For every chunk table of the collector whose
// first chunk lies in [offset, offset + size) of the 'mdat' box, in track order, there is in
// pre-order a track line (depth + 1), below it one line per chunk (depth + 2) and below each
// chunk one line per listed sample (depth + 3), random access points in their own colour with
// the summary "Random Access Point". A track is listed whole under the 'mdat' that holds its
// first chunk.
//
// Samples past the collector's sample limit get no line: the chunk where listing stopped ends
// with one line "<n> more samples not listed" (n, then kUnlistedSamplesText) giving how many
// samples of the whole file have no line, at the byte offset of the first of them.
//
// The collector must outlive the lines. Line k is found by binary search over the tracks and
// over a track's chunks; asking for the line after the one asked last takes one step.
class CMediaDataLines {
public:
    CMediaDataLines(const CTrackInfoCollector& collector, uint64_t offset, uint64_t size,
                    int32_t depth, bool expanded);
    // The lines of the track fragment tables [first, end) of the collector under an 'mdat'
    // whose payload is [payloadOffset, payloadEnd): per track fragment a track line, its runs as
    // chunk lines and their samples. A run or sample whose bytes are not all inside the payload
    // or the file says so in its title.
    struct Fragments {
        size_t first = 0;
        size_t end = 0;
        uint64_t payloadOffset = 0;
        uint64_t payloadEnd = 0;
    };
    CMediaDataLines(const CTrackInfoCollector& collector, const Fragments& fragments, int32_t depth,
                    bool expanded);

    // Lines in all; 0 when no track is listed here.
    size_t size() const { return m_expanded.size(); }
    // The tracks listed: the child count of the 'mdat' node.
    int32_t GetTrackCount() const { return static_cast<int32_t>(m_tracks.size()); }

    const MediaDataLine& Line(size_t k) const;
    bool IsExpanded(size_t k) const { return m_expanded[k]; }
    void SetExpanded(size_t k, bool expanded) { m_expanded[k] = expanded; }
    // The first line after line k and its descendants.
    size_t SubtreeEnd(size_t k) const;

    // Appends the line's title to `out`.
    void WriteTitle(const MediaDataLine& line, std::string& out) const;
    void WriteFragmentTitle(const MediaDataLine& line, std::string& out) const;
    static Colour BackColour(const MediaDataLine& line);
    static std::string_view SummaryText(const MediaDataLine& line);

    // The widest line below chunk line k, by `measure` (a function giving a line's width);
    // measured once, then remembered.
    template <class Measure>
    int32_t WidestChild(size_t k, Measure measure) const;

private:
    struct Track {
        size_t table;
        size_t firstLine;  // of its track line
        bool holdsUnlisted;
    };
    const Track& TrackOf(size_t k) const;
    int32_t& WidestChildSlot(size_t chunkLine) const;
    // The line number, in its track, of the chunk line of chunk `chunk`.
    uint64_t ChunkLine(const Track& track, size_t chunk) const;
    void Locate(size_t k) const;
    void Step() const;
    void SetChunkLine(const Track& track, size_t chunk) const;
    // Sample `sample` of the chunk, or the unlisted samples' line right after its last listed one.
    void SetSampleLine(const Track& track, size_t chunk, uint32_t sample) const;

    // Appends where the bytes [offset, offset + size) are not: in the 'mdat', in the file.
    void AppendPlacement(uint64_t offset, uint64_t size, std::string& out) const;

    const CTrackInfoCollector& m_collector;
    const std::vector<TrackChunkTable>& m_tables;
    Fragments m_fragments;
    bool m_isFragments = false;
    int32_t m_depth;
    std::vector<Track> m_tracks;
    std::vector<bool> m_expanded;
    // The line asked for last.
    mutable size_t m_current = SIZE_MAX;
    mutable size_t m_currentTrack = 0;
    mutable MediaDataLine m_line;
    // Per track, the widest child line of each chunk; -1 until measured.
    mutable std::vector<std::vector<int32_t>> m_widestChild;
};

template <class Measure>
int32_t CMediaDataLines::WidestChild(size_t k, Measure measure) const {
    int32_t& widest = WidestChildSlot(k);
    if (widest < 0) {
        widest = 0;
        for (size_t child = k + 1, end = SubtreeEnd(k); child < end; ++child)
            widest = std::max(widest, measure(Line(child)));
    }
    return widest;
}

constexpr std::string_view kUnlistedSamplesText = " more samples not listed";
