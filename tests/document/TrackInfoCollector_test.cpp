#include "document/TrackInfoCollector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "document/CollectorTestSupport.h"
#include "model/Format.h"

using namespace collector_test;

namespace {
constexpr int32_t V = HandlerKindVideo;
}  // namespace

// Each chunk as "samples:bytes", then the numbers of the random access points. Without 'stss'
// every sample is one. With it, only the next entry is compared: nothing after 3 (smaller than
// 5) is ever marked, 8 included.
TEST(TrackInfoCollector, ChunksAndRandomAccessPointsFromTheSampleTables) {
    Numbers oneToFifty(50);
    std::iota(oneToFifty.begin(), oneToFifty.end(), 1);
    const std::pair<TrackSpec, const char*> cases[] = {
        {{V, {{1, 10}}, Numbers{1000, 2000, 3000, 4000, 5000}, Sizes(oneToFifty), Numbers{1, 5}},
         "10:55 10:155 10:255 10:355 10:455 | 1 5"},
        {{V, {{1, 4}, {3, 2}}, Numbers{1, 2, 3, 4}, Sizes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})},
         "4:10 4:26 2:19 2:23 | 1 2 3 4 5 6 7 8 9 10 11 12"},
        // The last entry in table order whose first_chunk is at most k wins: (1, 4) after
        // (3, 2) covers chunk 3 too, until (4, 7) takes over.
        {{V, {{3, 2}, {1, 4}, {4, 7}}, Numbers{1, 2, 3, 4, 5}}, "4:0 4:0 4:0 7:0 7:0 |"},
        {{V, {{2, 5}, {4, 1}}, Numbers{1, 2, 3, 4}}, "0:0 5:0 5:0 1:0 |"},
        // 'stsz' declares 30 samples but holds 25 sizes: only 5 samples of the last chunk exist.
        {{V, {{1, 10}}, Numbers{0, 100, 200}, SampleSizes{0, 30, Numbers(25, 3)}, Numbers{5, 3, 8}},
         "10:30 10:30 10:15 | 5"},
        // A size for all wins over the entries.
        {{V, {{1, 3}}, Numbers{0, 4096}, SampleSizes{512, 6, {1, 2, 3, 4, 5, 6}}, Numbers{}},
         "3:1536 3:1536 |"},
        {{V, {{1, 7}}, Numbers{10, 20}}, "7:0 7:0 |"},  // no 'stsz'
        {{V, {{1, 7}}, Numbers{}, Sizes({1, 2, 3})}, " |"},
    };
    for (const auto& [track, expected] : cases) {
        Tracks tracks;
        tracks.Add(track);
        const auto& tables = tracks.Done().GetChunkTables();
        ASSERT_EQ(tables.size(), 1u) << expected;
        const TrackChunkTable& table = tables[0];
        // Sample offsets and the biggest sizes are checked through the media data view's lines.
        std::string text, marked;
        for (const ChunkInfo& chunk : table.chunks)
            text += StrFormat("%s%u:%llu", text.empty() ? "" : " ", chunk.sampleCount,
                              static_cast<unsigned long long>(chunk.size));
        for (size_t i = 0; i < table.samples.size(); ++i)
            if (table.samples[i].randomAccessPoint) marked += StrFormat(" %zu", i + 1);
        EXPECT_EQ(text + " |" + marked, expected);
        EXPECT_EQ(table.firstChunkOffset, track.stco->empty() ? 0 : track.stco->front());
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
    const auto& chunks = tracks.collector.GetChunkTables()[0].chunks;
    EXPECT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks.at(0).sampleCount, 2u);
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
    EXPECT_EQ((std::vector<int64_t>{c.GetVideoTrackCount(), c.GetSoundTrackCount(),
                                    c.GetHintTrackCount(), c.GetTextTrackCount(),
                                    c.GetOtherTrackCount(), c.GetTotalTrackCount()}),
              (std::vector<int64_t>{2, 1, 1, 1, 1, 6}));
    std::vector<std::string_view> names;
    for (const Box* trak : {video, sound, orphan, hint, text})
        names.push_back(c.GetTrackTypeName(trak));
    EXPECT_EQ(names,
              (std::vector<std::string_view>{"Video", "Sound", "Unknown", "Hint", "Unknown"}));
    EXPECT_EQ(c.GetChunkTables().at(2).handlerKind, HandlerKindSound);
    EXPECT_EQ(c.GetChunkTables().at(3).handlerKind, HandlerKindSound);
    // Hint chunks count nowhere.
    EXPECT_EQ(
        (std::vector{c.GetBiggestVideoChunk(), c.GetBiggestSoundChunk(), c.GetBiggestTextChunk()}),
        (std::vector<uint64_t>{80000, 90000, 700}));

    // The first track without 'hdlr' is of kind 0 and counts nowhere.
    Tracks fresh;
    fresh.Add({std::nullopt, {{1, 1}}, Numbers{0}});
    EXPECT_EQ(fresh.Done().GetChunkTables().at(0).handlerKind, HandlerKindOther);
    EXPECT_EQ(fresh.collector.GetTotalTrackCount(), 0);
}
