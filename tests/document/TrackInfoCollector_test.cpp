#include "document/TrackInfoCollector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "document/CollectorTestSupport.h"

using namespace collector_test;

namespace {
constexpr int32_t V = HandlerKindVideo;

Numbers SampleCounts(const TrackChunkTable& table) {
    Numbers counts;
    for (const ChunkInfo& chunk : table.chunks)
        counts.push_back(chunk.sampleCount);
    return counts;
}
}  // namespace

TEST(TrackInfoCollector, ChunksAndRandomAccessPointsFromTheSampleTables) {
    Numbers oneToFifty(50);
    std::iota(oneToFifty.begin(), oneToFifty.end(), 1);
    const Numbers twelve = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    // Without 'stss' every sample is a random access point. With it, only the next entry is
    // compared: nothing after 3 (smaller than 5) is ever marked, 8 included.
    const struct {
        const char* what;
        TrackSpec track;
        Numbers counts;
        std::vector<uint64_t> sizes;
        Numbers marked = {};
    } cases[] = {
        {"one entry for every chunk",
         {V, {{1, 10}}, Numbers{1000, 2000, 3000, 4000, 5000}, Sizes(oneToFifty), Numbers{1, 5}},
         {10, 10, 10, 10, 10},
         {55, 155, 255, 355, 455},
         {1, 5}},
        {"two entries",
         {V, {{1, 4}, {3, 2}}, Numbers{1, 2, 3, 4}, Sizes(twelve)},
         {4, 4, 2, 2},
         {10, 26, 19, 23},
         twelve},
        // The last entry in table order whose first_chunk is at most k wins: (1, 4) after
        // (3, 2) covers chunk 3 too, until (4, 7) takes over.
        {"entries out of order",
         {V, {{3, 2}, {1, 4}, {4, 7}}, Numbers{1, 2, 3, 4, 5}},
         {4, 4, 4, 7, 7},
         {0, 0, 0, 0, 0}},
        {"first entry past chunk 1",
         {V, {{2, 5}, {4, 1}}, Numbers{1, 2, 3, 4}},
         {0, 5, 5, 1},
         {0, 0, 0, 0}},
        // 'stsz' declares 30 samples but holds 25 sizes: only 5 samples of the last chunk exist.
        {"short 'stsz'",
         {V, {{1, 10}}, Numbers{0, 100, 200}, SampleSizes{0, 30, Numbers(25, 3)}, Numbers{5, 3, 8}},
         {10, 10, 10},
         {30, 30, 15},
         {5}},
        {"constant size wins over entries",
         {V, {{1, 3}}, Numbers{0, 4096}, SampleSizes{512, 6, {1, 2, 3, 4, 5, 6}}, Numbers{}},
         {3, 3},
         {1536, 1536}},
        {"no 'stsz'", {V, {{1, 7}}, Numbers{10, 20}}, {7, 7}, {0, 0}},
        {"empty 'stco'", {V, {{1, 7}}, Numbers{}, Sizes({1, 2, 3})}, {}, {}},
    };
    for (const auto& c : cases) {
        Tracks tracks;
        tracks.Add(c.track);
        const auto& tables = tracks.Done().GetChunkTables();
        ASSERT_EQ(tables.size(), 1u) << c.what;
        const TrackChunkTable& table = tables[0];
        EXPECT_EQ(SampleCounts(table), c.counts) << c.what;
        std::vector<uint64_t> sizes;
        Numbers marked;
        uint64_t biggest = 0;
        for (const ChunkInfo& chunk : table.chunks) {
            sizes.push_back(chunk.size);
            biggest = std::max(biggest, chunk.size);
            // Samples follow each other from the chunk's offset.
            uint64_t offset = chunk.offset;
            uint32_t biggestSample = 0;
            for (const SampleInfo& sample : table.SamplesOf(chunk)) {
                EXPECT_EQ(sample.offset, offset) << c.what;
                offset += sample.size;
                biggestSample = std::max(biggestSample, sample.size);
                const auto number = static_cast<uint32_t>(&sample - table.samples.data() + 1);
                if (sample.randomAccessPoint) marked.push_back(number);
            }
            EXPECT_EQ(offset - chunk.offset, chunk.size) << c.what;
            EXPECT_EQ(biggestSample, chunk.biggestSampleSize) << c.what;
        }
        EXPECT_EQ(sizes, c.sizes) << c.what;
        EXPECT_EQ(marked, c.marked) << c.what;
        EXPECT_EQ(table.biggestChunkSize, biggest) << c.what;
        EXPECT_EQ(table.firstChunkOffset, c.track.stco->empty() ? 0 : c.track.stco->front());
    }

    // No 'stco' or no 'stsc': no table, and the tables noted are forgotten (the next track's
    // 'stco' does not meet this track's 'stsc').
    Tracks tracks;
    tracks.Add({V, {{1, 7}}, std::nullopt, SampleSizes{1, 7}});
    tracks.Add({V, {}, Numbers{10, 20}});
    tracks.Add({V, {{1, 2}}, Numbers{30}});
    tracks.Done();
    tracks.Done();  // nothing left to build
    ASSERT_EQ(tracks.collector.GetChunkTables().size(), 1u);
    EXPECT_EQ(SampleCounts(tracks.collector.GetChunkTables()[0]), Numbers{2});
}

TEST(TrackInfoCollector, TrackKindsCountsAndBiggestChunks) {
    Tracks tracks;
    const auto track = [&](std::optional<int32_t> kind, Numbers sizes, bool handlerLast = false) {
        return tracks.Add({kind, {{1, 2}}, Numbers{0, 100000}, Sizes(sizes), {}, handlerLast});
    };
    const Box* video = track(V, {40000, 40000, 5000, 5000});
    track(V, {12000});
    const Box* sound = track(HandlerKindSound, {3000}, true);  // 'hdlr' after the tables counts
    // No 'hdlr': the kind noted before, for the table, but no name of its own.
    const Box* orphan = track(std::nullopt, {90000});
    const Box* hint = track(HandlerKindHint, {500000});
    const Box* text = track(HandlerKindText, {700});
    tracks.Done();
    // A 'hdlr' outside any track (in a movie 'meta') counts as another track and renames the
    // last track noted.
    tracks.NoteHandler(HandlerKindOther);

    const CTrackInfoCollector& c = tracks.collector;
    EXPECT_EQ(c.GetVideoTrackCount(), 2);
    EXPECT_EQ(c.GetSoundTrackCount(), 1);
    EXPECT_EQ(c.GetHintTrackCount(), 1);
    EXPECT_EQ(c.GetTextTrackCount(), 1);
    EXPECT_EQ(c.GetOtherTrackCount(), 1);
    EXPECT_EQ(c.GetTotalTrackCount(), 6);
    EXPECT_EQ(c.GetTrackTypeName(video), "Video");
    EXPECT_EQ(c.GetTrackTypeName(sound), "Sound");
    EXPECT_EQ(c.GetTrackTypeName(orphan), "Unknown");
    EXPECT_EQ(c.GetTrackTypeName(hint), "Hint");
    EXPECT_EQ(c.GetTrackTypeName(text), "Unknown");
    EXPECT_EQ(c.GetChunkTables().at(2).handlerKind, HandlerKindSound);
    EXPECT_EQ(c.GetChunkTables().at(3).handlerKind, HandlerKindSound);
    EXPECT_EQ(c.GetBiggestVideoChunk(), 80000u);
    EXPECT_EQ(c.GetBiggestSoundChunk(), 90000u);
    EXPECT_EQ(c.GetBiggestTextChunk(), 700u);  // hint chunks count nowhere

    // The first track without 'hdlr' is of kind 0 and counts nowhere.
    Tracks fresh;
    fresh.Add({std::nullopt, {{1, 1}}, Numbers{0}});
    EXPECT_EQ(fresh.Done().GetChunkTables().at(0).handlerKind, HandlerKindOther);
    EXPECT_EQ(fresh.collector.GetTotalTrackCount(), 0);
}
