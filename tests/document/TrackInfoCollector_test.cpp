#include "document/TrackInfoCollector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "document/CollectorTestSupport.h"

using namespace collector_test;
using namespace ISOFileFormat;

namespace {

std::vector<uint32_t> SampleCounts(const TrackChunkTable& table) {
    std::vector<uint32_t> counts;
    for (const ChunkInfo& chunk : table.chunks)
        counts.push_back(chunk.sampleCount);
    return counts;
}

std::vector<uint32_t> RandomAccessNumbers(const TrackChunkTable& table) {
    std::vector<uint32_t> numbers;
    for (size_t i = 0; i < table.samples.size(); ++i) {
        if (table.samples[i].randomAccessPoint) numbers.push_back(static_cast<uint32_t>(i + 1));
    }
    return numbers;
}

}  // namespace

TEST(TrackInfoCollector, ChunksFromTheSampleTables) {
    std::vector<uint32_t> oneToFifty(50);
    std::iota(oneToFifty.begin(), oneToFifty.end(), 1);
    const struct {
        const char* what;
        TrackSpec track;
        std::vector<uint32_t> counts;
        std::vector<uint64_t> sizes;
    } cases[] = {
        {"one entry holds for every chunk",
         TrackSpec().Stsc({{1, 10}}).Stco({1000, 2000, 3000, 4000, 5000}).Stsz(Sizes(oneToFifty)),
         {10, 10, 10, 10, 10},
         {55, 155, 255, 355, 455}},
        {"two entries",
         TrackSpec()
             .Stsc({{1, 4}, {3, 2}})
             .Stco({1, 2, 3, 4})
             .Stsz(Sizes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})),
         {4, 4, 2, 2},
         {10, 26, 19, 23}},
        // The last entry in table order whose first_chunk is at most k wins: (1, 4) after
        // (3, 2) covers chunk 3 too, until (4, 7) takes over.
        {"entries out of order",
         TrackSpec().Stsc({{3, 2}, {1, 4}, {4, 7}}).Stco({1, 2, 3, 4, 5}),
         {4, 4, 4, 7, 7},
         {0, 0, 0, 0, 0}},
        {"first entry past chunk 1",
         TrackSpec().Stsc({{2, 5}, {4, 1}}).Stco({1, 2, 3, 4}),
         {0, 5, 5, 1},
         {0, 0, 0, 0}},
        // 'stsz' declares 30 samples but holds 25 sizes: only 5 samples of the last chunk exist.
        {"short 'stsz'",
         TrackSpec()
             .Stsc({{1, 10}})
             .Stco({0, 100, 200})
             .Stsz(SampleSizes{0, 30, std::vector<uint32_t>(25, 3)}),
         {10, 10, 10},
         {30, 30, 15}},
        {"constant size wins over entries",
         TrackSpec().Stsc({{1, 3}}).Stco({0, 4096}).Stsz(SampleSizes{512, 6, {1, 2, 3, 4, 5, 6}}),
         {3, 3},
         {1536, 1536}},
        {"no 'stsz'", TrackSpec().Stsc({{1, 7}}).Stco({10, 20}), {7, 7}, {0, 0}},
        {"empty 'stco'", TrackSpec().Stsc({{1, 7}}).Stco({}).Stsz(Sizes({1, 2, 3})), {}, {}},
    };
    for (const auto& c : cases) {
        Tracks tracks;
        tracks.Add(c.track);
        const auto& tables = tracks.Done().GetChunkTables();
        ASSERT_EQ(tables.size(), 1u) << c.what;
        const TrackChunkTable& table = tables[0];
        EXPECT_EQ(SampleCounts(table), c.counts) << c.what;
        std::vector<uint64_t> sizes;
        uint64_t biggest = 0;
        for (const ChunkInfo& chunk : table.chunks) {
            sizes.push_back(chunk.size);
            biggest = std::max(biggest, chunk.size);
            // Samples follow each other from the chunk's offset.
            uint64_t offset = chunk.offset, sum = 0;
            uint32_t biggestSample = 0;
            for (const SampleInfo& sample : table.SamplesOf(chunk)) {
                EXPECT_EQ(sample.offset, offset) << c.what;
                offset += sample.size;
                sum += sample.size;
                biggestSample = std::max(biggestSample, sample.size);
            }
            EXPECT_EQ(sum, chunk.size) << c.what;
            EXPECT_EQ(biggestSample, chunk.biggestSampleSize) << c.what;
        }
        EXPECT_EQ(sizes, c.sizes) << c.what;
        EXPECT_EQ(table.biggestChunkSize, biggest) << c.what;
        const uint64_t first = c.track.stco->empty() ? 0 : c.track.stco->front();
        EXPECT_EQ(table.firstChunkOffset, first) << c.what;
    }
}

TEST(TrackInfoCollector, RandomAccessPointsAndMissingTables) {
    // Without 'stss' every sample is a random access point. With it, only the next entry is
    // compared: nothing after 3 (smaller than 5) is ever marked, 8 included.
    const std::pair<std::optional<std::vector<uint32_t>>, std::vector<uint32_t>> cases[] = {
        {std::nullopt, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {{{1, 5}}, {1, 5}},
        {{{5, 3, 8}}, {5}},
        {{{}}, {}},
    };
    for (const auto& [stss, marked] : cases) {
        Tracks tracks;
        tracks.Add(TrackSpec().Stsc({{1, 5}}).Stco({0, 100}).Stsz(ConstantSizes(7, 10)).Stss(stss));
        EXPECT_EQ(RandomAccessNumbers(tracks.Done().GetChunkTables().at(0)), marked);
    }

    // No 'stco' or no 'stsc': no table, and the tables noted are forgotten (the next track's
    // 'stco' does not meet this track's 'stsc').
    Tracks tracks;
    tracks.Add(TrackSpec().Stsc({{1, 7}}).Stsz(ConstantSizes(1, 7)));
    tracks.Add(TrackSpec().Stco({10, 20}));
    tracks.Add(TrackSpec().Stsc({{1, 2}}).Stco({30}));
    tracks.Done();
    tracks.Done();  // nothing left to build
    ASSERT_EQ(tracks.collector.GetChunkTables().size(), 1u);
    EXPECT_EQ(SampleCounts(tracks.collector.GetChunkTables()[0]), (std::vector<uint32_t>{2}));
}

TEST(TrackInfoCollector, TrackKindsCountsAndBiggestChunks) {
    Tracks tracks;
    const auto track = [&](std::optional<int32_t> kind, std::vector<uint32_t> sizes) {
        TrackSpec spec = TrackSpec().Kind(kind).Stsc({{1, 2}}).Stco({0, 100000});
        if (kind == HandlerKindSound) spec.HandlerLast();
        return tracks.Add(spec.Stsz(Sizes(std::move(sizes))));
    };
    const Box* video = track(HandlerKindVideo, {40000, 40000, 5000, 5000});
    track(HandlerKindVideo, {12000});
    const Box* sound = track(HandlerKindSound, {3000});  // 'hdlr' after the tables still counts
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
    fresh.Add(TrackSpec().Kind(std::nullopt).Stsc({{1, 1}}).Stco({0}));
    EXPECT_EQ(fresh.Done().GetChunkTables().at(0).handlerKind, HandlerKindOther);
    EXPECT_EQ(fresh.collector.GetTotalTrackCount(), 0);
}

TEST(TrackInfoCollector, CodecFactsOfCraftedBoxes) {
    namespace Bit = CodecInfoBit;
    Tracks gpp;
    auto& s263 = gpp.Make<VisualSampleEntry>(BoxId::S263, 86);
    s263.width = 176;
    auto& d263 = gpp.Make<H263SpecificBox>(15);
    std::copy_n("ab\0d", 4, d263.vendor);  // a zero byte ends the vendor
    auto& samr = gpp.Make<AudioSampleEntry>(BoxId::Samr, 53);
    samr.samplerate = 8000u << 16 | 0x8000;  // 8000.5 Hz: the fraction is dropped
    auto& damr = gpp.Make<AMRSpecificBox>(17);
    const uint8_t latin1Vendor[4] = {'F', 0xE9, 'E', 'D'};
    std::copy_n(latin1Vendor, 4, damr.vendor);
    auto& esds = gpp.Make<ESDescriptorBox>(40);
    esds.objectTypeIndication = 0x6B;  // neither visual nor audio: ignored
    esds.maxBitrate = 1;
    gpp.Note(s263, d263, samr, damr, esds);
    EXPECT_EQ(gpp.collector.GetVideoInfo().name, "H.263");
    EXPECT_EQ(gpp.collector.GetVideoInfo().vendor, "ab");
    EXPECT_EQ(gpp.collector.GetAudioInfo().sampleRate, 8000u);
    EXPECT_EQ(gpp.collector.GetAudioInfo().vendor,
              "F\xC3\xA9"
              "ED");
    EXPECT_EQ(gpp.collector.GetAudioInfo().mask & Bit::MaxBitrate, 0u);

    // MPEG-4 visual: profile and level from the high and low nibble.
    Tracks mp4;
    auto& mp4v = mp4.Make<VisualSampleEntry>(BoxId::Mp4v, 86);
    auto& visual = mp4.Make<ESDescriptorBox>(40);
    visual.objectTypeIndication = 0x20;
    visual.profile_and_level_indication = 0x38;
    auto& sawb = mp4.Make<AudioSampleEntry>(BoxId::Sawb, 53);  // the name only
    sawb.samplerate = 16000u << 16;
    mp4.Note(mp4v, visual, sawb);
    EXPECT_EQ(mp4.collector.GetVideoInfo().profile, 3);
    EXPECT_EQ(mp4.collector.GetVideoInfo().level, 8);
    EXPECT_EQ(mp4.collector.GetAudioInfo().name, "AMR WideBand");
    EXPECT_EQ(mp4.collector.GetAudioInfo().mask, 0u);
}

// A few bytes of 'stsz' can declare four billion samples of one size. Chunks stay exact and
// are computed, not walked; sample records stop at the limit; the rest is counted.
TEST(TrackInfoCollector, HugeConstantSampleTableStaysBounded) {
    constexpr uint32_t kLimit = CTrackInfoCollector::kMaxListedSamples;
    Tracks tracks;
    tracks.Add(TrackSpec()
                   .Stsc({{1, 0xFFFFFFFFu}})
                   .Stco({16, 0x80000000u, 0xFFFFFFF0u})
                   .Stsz(ConstantSizes(100, 4'000'000'000u)));
    // A second track finds the limit already reached.
    tracks.Add(TrackSpec().Stsc({{1, 2}}).Stco({8}).Stsz(ConstantSizes(5, 2)));
    const auto& tables = tracks.Done().GetChunkTables();
    ASSERT_EQ(tables.size(), 2u);
    const TrackChunkTable& t = tables[0];
    ASSERT_EQ(t.chunks.size(), 3u);
    EXPECT_EQ(t.chunks[0].sizedSampleCount, 4'000'000'000u);
    EXPECT_EQ(t.chunks[0].size, 400'000'000'000u);
    EXPECT_EQ(t.chunks[0].listedSampleCount, kLimit);
    EXPECT_EQ(t.chunks[1].sampleCount, 0xFFFFFFFFu);  // 'stsz' has no samples left for these
    EXPECT_EQ(t.chunks[1].size, 0u);
    EXPECT_EQ(t.chunks[2].offset, 0xFFFFFFF0u);
    EXPECT_EQ(tracks.collector.GetBiggestVideoChunk(), 400'000'000'000u);
    EXPECT_EQ(t.samples.capacity(), kLimit);
    EXPECT_EQ(t.samples.back().offset, 16u + 100ull * (kLimit - 1));
    EXPECT_TRUE(tables[1].samples.empty());
    EXPECT_EQ(tables[1].chunks[0].size, 10u);
    EXPECT_EQ(tracks.collector.GetUnlistedSampleCount(), 4'000'000'000ull - kLimit + 2);
    EXPECT_EQ(tracks.collector.GetUnlistedTableIndex(), 0u);
    EXPECT_EQ(tracks.collector.GetUnlistedChunkIndex(), 0u);

    // The largest chunk a 32-bit table can describe needs 64 bits.
    Tracks widest(0);
    widest.Add(TrackSpec()
                   .Stsc({{1, 0xFFFFFFFFu}})
                   .Stco({0})
                   .Stsz(ConstantSizes(0xFFFFFFFFu, 0xFFFFFFFFu)));
    EXPECT_EQ(widest.Done().GetChunkTables()[0].chunks[0].size, 0xFFFFFFFFull * 0xFFFFFFFFull);
    EXPECT_TRUE(widest.collector.GetChunkTables()[0].samples.empty());
}
