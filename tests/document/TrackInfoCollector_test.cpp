#include "document/TrackInfoCollector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "document/CollectorTestSupport.h"
#include "model/3GPPBoxes.h"
#include "model/SampleEntries.h"

using namespace collector_test;

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

std::vector<uint32_t> Iota(uint32_t count, uint32_t first) {
    std::vector<uint32_t> values(count);
    std::iota(values.begin(), values.end(), first);
    return values;
}

}  // namespace

TEST(TrackInfoCollector, ChunkSampleCountsFromSampleToChunk) {
    Records records;
    CTrackInfoCollector collector;

    // One entry holds for every chunk; samples follow each other from the chunk's offset.
    TrackSpec single;
    single.stsc = {{{1, 10}}};
    single.stco = std::vector<uint32_t>{1000, 2000, 3000, 4000, 5000};
    single.stsz = Sizes(Iota(50, 1));  // sizes 1..50
    NoteTrack(collector, records, single);

    // Two entries: chunks 1-2 hold 4 samples, 3-4 hold 2.
    TrackSpec two;
    two.stsc = {{{1, 4}, {3, 2}}};
    two.stco = std::vector<uint32_t>{100, 200, 300, 400};
    two.stsz = Sizes(Iota(12, 10));
    NoteTrack(collector, records, two);

    // Out of order: the last entry in table order whose first_chunk is at most k wins, so
    // (1, 4) placed after (3, 2) covers chunk 3 too, until (4, 7) takes over. An entry
    // starting past chunk 1 leaves chunk 1 empty.
    TrackSpec unsorted;
    unsorted.stsc = {{{3, 2}, {1, 4}, {4, 7}}};
    unsorted.stco = std::vector<uint32_t>{1, 2, 3, 4, 5};
    NoteTrack(collector, records, unsorted);
    TrackSpec late;
    late.stsc = {{{2, 5}, {4, 1}}};
    late.stco = std::vector<uint32_t>{1, 2, 3, 4};
    NoteTrack(collector, records, late);

    // 'stsc' and 'stco' describe 30 samples, 'stsz' declares 30 but holds 25 sizes (a short
    // box): the chunk keeps its declared count, only 5 samples of the last chunk exist.
    TrackSpec shortSizes;
    shortSizes.stsc = {{{1, 10}}};
    shortSizes.stco = std::vector<uint32_t>{0, 100, 200};
    shortSizes.stsz = Sizes(std::vector<uint32_t>(25, 3));
    shortSizes.stsz->sampleCount = 30;
    NoteTrack(collector, records, shortSizes);
    collector.FinishTrack();

    const auto& tables = collector.GetChunkTables();
    ASSERT_EQ(tables.size(), 5u);

    const TrackChunkTable& t0 = tables[0];
    EXPECT_EQ(SampleCounts(t0), std::vector<uint32_t>(5, 10));
    EXPECT_EQ(t0.firstChunkOffset, 1000u);
    ASSERT_EQ(t0.samples.size(), 50u);
    const ChunkInfo& c2 = t0.chunks[1];
    EXPECT_EQ(c2.size, 155u);  // 11 + ... + 20
    EXPECT_EQ(c2.biggestSampleSize, 20u);
    const auto c2Samples = t0.SamplesOf(c2);
    ASSERT_EQ(c2Samples.size(), 10u);
    EXPECT_EQ(c2Samples[0].offset, 2000u);
    EXPECT_EQ(c2Samples[0].size, 11u);
    EXPECT_EQ(c2Samples[1].offset, 2011u);
    EXPECT_EQ(c2Samples[9].offset, 2000u + 155 - 20);
    EXPECT_EQ(t0.biggestChunkSize, 455u);  // 41 + ... + 50

    EXPECT_EQ(SampleCounts(tables[1]), (std::vector<uint32_t>{4, 4, 2, 2}));
    EXPECT_EQ(tables[1].chunks[2].size, 18u + 19u);
    EXPECT_EQ(tables[1].chunks[3].size, 20u + 21u);
    EXPECT_EQ(SampleCounts(tables[2]), (std::vector<uint32_t>{4, 4, 4, 7, 7}));
    EXPECT_EQ(SampleCounts(tables[3]), (std::vector<uint32_t>{0, 5, 5, 1}));

    const TrackChunkTable& t4 = tables[4];
    EXPECT_EQ(SampleCounts(t4), (std::vector<uint32_t>{10, 10, 10}));
    EXPECT_EQ(t4.chunks[2].sizedSampleCount, 5u);
    EXPECT_EQ(t4.chunks[2].listedSampleCount, 5u);
    EXPECT_EQ(t4.chunks[2].size, 15u);
    EXPECT_EQ(t4.samples.size(), 25u);
    EXPECT_EQ(collector.GetUnlistedSampleCount(), 0u);
}

TEST(TrackInfoCollector, SampleSizesAndRandomAccessPoints) {
    Records records;
    CTrackInfoCollector collector;

    // A constant size wins over any entries; no 'stss': every sample is a random access point.
    TrackSpec constant;
    constant.stsc = {{{1, 3}}};
    constant.stco = std::vector<uint32_t>{0, 4096};
    constant.stsz = ConstantSizes(512, 6);
    constant.stsz->sizes = {1, 2, 3, 4, 5, 6};
    NoteTrack(collector, records, constant);

    // 'stss' 1 and 30 in a 60-sample track.
    TrackSpec sync;
    sync.stsc = {{{1, 20}}};
    sync.stco = std::vector<uint32_t>{0, 1000, 2000};
    sync.stsz = Sizes(std::vector<uint32_t>(60, 7));
    sync.stss = std::vector<uint32_t>{1, 30};
    NoteTrack(collector, records, sync);

    // Out of order: only the next entry is compared, so nothing after 3 (smaller than 5) is
    // ever marked, 8 included. An empty 'stss' marks nothing.
    TrackSpec disorder = sync;
    disorder.stss = std::vector<uint32_t>{5, 3, 8};
    NoteTrack(collector, records, disorder);
    TrackSpec empty = sync;
    empty.stss = std::vector<uint32_t>{};
    NoteTrack(collector, records, empty);
    collector.FinishTrack();

    const auto& tables = collector.GetChunkTables();
    ASSERT_EQ(tables.size(), 4u);
    for (const SampleInfo& sample : tables[0].samples) {
        EXPECT_EQ(sample.size, 512u);
        EXPECT_TRUE(sample.randomAccessPoint);
    }
    EXPECT_EQ(tables[0].chunks[1].size, 1536u);
    EXPECT_EQ(tables[0].chunks[1].biggestSampleSize, 512u);
    EXPECT_EQ(tables[0].samples[4].offset, 4096u + 512);

    EXPECT_EQ(RandomAccessNumbers(tables[1]), (std::vector<uint32_t>{1, 30}));
    EXPECT_EQ(RandomAccessNumbers(tables[2]), (std::vector<uint32_t>{5}));
    EXPECT_TRUE(RandomAccessNumbers(tables[3]).empty());
}

TEST(TrackInfoCollector, TrackKindsCountsAndBiggestChunks) {
    Records records;
    CTrackInfoCollector collector;

    TrackSpec video1;  // biggest chunk 80 000
    video1.stsc = {{{1, 2}}};
    video1.stco = std::vector<uint32_t>{0, 100000};
    video1.stsz = Sizes({40000, 40000, 5000, 5000});
    const Box* v1 = NoteTrack(collector, records, video1);

    TrackSpec video2;  // biggest chunk 12 000, its 'hdlr' after the sample tables
    video2.handlerAfterTables = true;
    video2.stsc = {{{1, 1}}};
    video2.stco = std::vector<uint32_t>{200000};
    video2.stsz = Sizes({12000});
    const Box* v2 = NoteTrack(collector, records, video2);

    TrackSpec sound = video2;
    sound.handlerKind = 2;
    sound.stsz = Sizes({3000});
    const Box* s = NoteTrack(collector, records, sound);

    // No 'hdlr': the kind of the one noted before, for the table, but no name of its own.
    TrackSpec orphan = video2;
    orphan.handlerKind.reset();
    orphan.stsz = Sizes({90000});
    const Box* o = NoteTrack(collector, records, orphan);

    TrackSpec hint = video2;
    hint.handlerKind = 3;
    hint.stsz = Sizes({500000});
    const Box* h = NoteTrack(collector, records, hint);

    TrackSpec text = video2;
    text.handlerKind = 4;
    text.stsz = Sizes({700});
    const Box* t = NoteTrack(collector, records, text);
    collector.FinishTrack();

    // A 'hdlr' outside any track (in a movie 'meta') counts as another track and renames the
    // last track noted.
    auto& metaHandler = records.Make<ISOFileFormat::HandlerRererenceBox>(33);
    metaHandler.handlerKind = 0;
    collector.NoteBox(metaHandler.id, &metaHandler);

    EXPECT_EQ(collector.GetVideoTrackCount(), 2);
    EXPECT_EQ(collector.GetSoundTrackCount(), 1);
    EXPECT_EQ(collector.GetHintTrackCount(), 1);
    EXPECT_EQ(collector.GetTextTrackCount(), 1);
    EXPECT_EQ(collector.GetOtherTrackCount(), 1);
    EXPECT_EQ(collector.GetTotalTrackCount(), 6);

    EXPECT_EQ(collector.GetTrackTypeName(v1), "Video");
    EXPECT_EQ(collector.GetTrackTypeName(v2), "Video");
    EXPECT_EQ(collector.GetTrackTypeName(s), "Sound");
    EXPECT_EQ(collector.GetTrackTypeName(o), "Unknown");
    EXPECT_EQ(collector.GetTrackTypeName(h), "Hint");
    EXPECT_EQ(collector.GetTrackTypeName(t), "Unknown");  // renamed by the movie 'hdlr'
    EXPECT_EQ(collector.GetTrackTypeName(&metaHandler), "Unknown");

    const auto& tables = collector.GetChunkTables();
    ASSERT_EQ(tables.size(), 6u);
    EXPECT_EQ(tables[1].handlerKind, 1);  // 'hdlr' after 'stbl' still gives the kind
    EXPECT_EQ(tables[3].handlerKind, 2);  // the orphan takes the sound kind before it
    EXPECT_EQ(collector.GetBiggestVideoChunk(), 80000u);
    EXPECT_EQ(collector.GetBiggestSoundChunk(), 90000u);
    EXPECT_EQ(collector.GetBiggestTextChunk(), 700u);  // hint chunks count nowhere

    // The first track without 'hdlr' is of kind 0.
    CTrackInfoCollector fresh;
    const Box* first = NoteTrack(fresh, records, orphan);
    fresh.FinishTrack();
    EXPECT_EQ(fresh.GetTrackTypeName(first), "Unknown");
    EXPECT_EQ(fresh.GetChunkTables().at(0).handlerKind, 0);
    EXPECT_EQ(fresh.GetTotalTrackCount(), 0);

    EXPECT_STREQ(GetTrackKindName(1), "Video");
    EXPECT_STREQ(GetTrackKindName(2), "Sound");
    EXPECT_STREQ(GetTrackKindName(3), "Hint");
    EXPECT_STREQ(GetTrackKindName(4), "Timed Text");
    EXPECT_STREQ(GetTrackKindName(5), "Unknown");
    EXPECT_STREQ(GetTrackKindName(-1), "Unknown");
}

TEST(TrackInfoCollector, MissingTables) {
    Records records;
    CTrackInfoCollector collector;

    // No 'stsz': chunks with 'stsc' counts, size 0, no samples.
    TrackSpec noSizes;
    noSizes.stsc = {{{1, 7}}};
    noSizes.stco = std::vector<uint32_t>{10, 20};
    NoteTrack(collector, records, noSizes);

    // No 'stco', or no 'stsc': no table, and the tables noted are forgotten (the next track's
    // 'stco' does not meet this track's 'stsc').
    TrackSpec noOffsets = noSizes;
    noOffsets.stco.reset();
    NoteTrack(collector, records, noOffsets);
    TrackSpec noSampleToChunk = noSizes;
    noSampleToChunk.stsc.reset();
    NoteTrack(collector, records, noSampleToChunk);

    // An empty 'stco': a table without chunks and without a first chunk offset to read.
    TrackSpec noChunks = noSizes;
    noChunks.stco = std::vector<uint32_t>{};
    noChunks.stsz = Sizes({1, 2, 3});
    NoteTrack(collector, records, noChunks);
    collector.FinishTrack();
    collector.FinishTrack();  // nothing left to build

    const auto& tables = collector.GetChunkTables();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(SampleCounts(tables[0]), (std::vector<uint32_t>{7, 7}));
    EXPECT_TRUE(tables[0].samples.empty());
    EXPECT_TRUE(tables[1].chunks.empty());
    EXPECT_EQ(tables[1].firstChunkOffset, 0u);
}

TEST(TrackInfoCollector, CodecFacts) {
    using namespace ISOFileFormat;
    namespace Bit = CodecInfoBit;
    Records records;

    // 3GP: 's263' with 'd263', 'samr' with 'damr'.
    CTrackInfoCollector gpp;
    auto& s263 = records.Make<VisualSampleEntry>(BoxId::S263, 86);
    s263.width = 176;
    s263.height = 144;
    auto& d263 = records.Make<H263SpecificBox>(15);
    std::copy_n("ab\0d", 4, d263.vendor);  // a zero byte ends the vendor
    d263.decoder_version = 1;
    d263.H263_Level = 10;
    d263.H263_Profile = 0;
    auto& samr = records.Make<AudioSampleEntry>(BoxId::Samr, 53);
    samr.channelcount = 1;
    samr.samplesize = 16;
    samr.samplerate = 8000u << 16 | 0x8000;  // 8000.5 Hz: the fraction is dropped
    auto& damr = records.Make<AMRSpecificBox>(17);
    const uint8_t latin1Vendor[4] = {'F', 0xE9, 'E', 'D'};
    std::copy_n(latin1Vendor, 4, damr.vendor);
    damr.decoder_version = 2;
    damr.frames_per_sample = 5;
    for (const Box* box : {static_cast<const Box*>(&s263), static_cast<const Box*>(&d263),
                           static_cast<const Box*>(&samr), static_cast<const Box*>(&damr)})
        gpp.NoteCodecBox(box);

    const VideoCodecInfo& v = gpp.GetVideoInfo();
    EXPECT_EQ(v.name, "H.263");
    EXPECT_EQ(v.width, 176);
    EXPECT_EQ(v.height, 144);
    EXPECT_EQ(v.vendor, "ab");
    EXPECT_EQ(v.decoderVersion, 1);
    EXPECT_EQ(v.level, 10);
    EXPECT_EQ(v.profile, 0);
    EXPECT_EQ(v.mask, Bit::Vendor | Bit::DecoderVersion | Bit::Level | Bit::Profile);
    const AudioCodecInfo& a = gpp.GetAudioInfo();
    EXPECT_EQ(a.name, "AMR");
    EXPECT_EQ(a.channelCount, 1);
    EXPECT_EQ(a.sampleSize, 16);
    EXPECT_EQ(a.sampleRate, 8000u);
    EXPECT_EQ(a.vendor,
              "F\xC3\xA9"
              "ED");
    EXPECT_EQ(a.decoderVersion, 2);
    EXPECT_EQ(a.framesPerSample, 5);
    EXPECT_EQ(a.mask, Bit::ChannelCount | Bit::SampleSize | Bit::SampleRate | Bit::Vendor |
                          Bit::DecoderVersion | Bit::FramesPerSample);

    // MPEG-4 visual: profile and level from the high and low nibble of 0x08.
    CTrackInfoCollector mp4;
    auto& mp4v = records.Make<VisualSampleEntry>(BoxId::Mp4v, 86);
    mp4v.width = 320;
    mp4v.height = 240;
    auto& visualEsds = records.Make<ESDescriptorBox>(40);
    visualEsds.objectTypeIndication = 0x20;
    visualEsds.profile_and_level_indication = 0x08;
    visualEsds.bufferSizeDB = 6000;
    visualEsds.maxBitrate = 128000;
    visualEsds.avgBitrate = 64000;
    auto& audioEsds = records.Make<ESDescriptorBox>(40);
    audioEsds.objectTypeIndication = 0x40;
    audioEsds.bufferSizeDB = 768;
    audioEsds.maxBitrate = 96000;
    audioEsds.avgBitrate = 48000;
    auto& otherEsds = records.Make<ESDescriptorBox>(40);  // neither visual nor audio
    otherEsds.objectTypeIndication = 0x6B;
    otherEsds.maxBitrate = 1;
    auto& sawb = records.Make<AudioSampleEntry>(BoxId::Sawb, 53);  // name only
    sawb.samplerate = 16000u << 16;
    for (const Box* box : {static_cast<const Box*>(&mp4v), static_cast<const Box*>(&visualEsds),
                           static_cast<const Box*>(&audioEsds), static_cast<const Box*>(&otherEsds),
                           static_cast<const Box*>(&sawb)})
        mp4.NoteCodecBox(box);
    EXPECT_EQ(mp4.GetVideoInfo().name, "MPEG-4");
    EXPECT_EQ(mp4.GetVideoInfo().profile, 0);
    EXPECT_EQ(mp4.GetVideoInfo().level, 8);
    EXPECT_EQ(mp4.GetVideoInfo().decoderBufferSize, 6000u);
    EXPECT_EQ(mp4.GetVideoInfo().maxBitrate, 128000u);
    EXPECT_EQ(mp4.GetVideoInfo().averageBitrate, 64000u);
    EXPECT_EQ(mp4.GetVideoInfo().mask, Bit::DecoderBufferSize | Bit::MaxBitrate |
                                           Bit::AverageBitrate | Bit::Profile | Bit::Level);
    EXPECT_EQ(mp4.GetAudioInfo().name, "AMR WideBand");
    EXPECT_EQ(mp4.GetAudioInfo().sampleRate, 0u);
    EXPECT_EQ(mp4.GetAudioInfo().maxBitrate, 96000u);
    EXPECT_EQ(mp4.GetAudioInfo().mask,
              Bit::DecoderBufferSize | Bit::MaxBitrate | Bit::AverageBitrate);
}

// A few bytes of 'stsz' can declare four billion samples of one size. Chunks stay exact and
// are computed, not walked; sample records stop at the limit; the rest is counted.
TEST(TrackInfoCollector, HugeConstantSampleTableStaysBounded) {
    Records records;
    CTrackInfoCollector collector;
    TrackSpec huge;
    huge.stsc = {{{1, 0xFFFFFFFFu}}};
    huge.stco = std::vector<uint32_t>{16, 0x80000000u, 0xFFFFFFF0u};
    huge.stsz = ConstantSizes(100, 4'000'000'000u);
    NoteTrack(collector, records, huge);

    // A second track finds the limit already reached.
    TrackSpec after;
    after.stsc = {{{1, 2}}};
    after.stco = std::vector<uint32_t>{8};
    after.stsz = ConstantSizes(5, 2);
    NoteTrack(collector, records, after);
    collector.FinishTrack();

    const auto& tables = collector.GetChunkTables();
    ASSERT_EQ(tables.size(), 2u);
    const TrackChunkTable& t = tables[0];
    ASSERT_EQ(t.chunks.size(), 3u);
    EXPECT_EQ(t.chunks[0].sampleCount, 0xFFFFFFFFu);
    EXPECT_EQ(t.chunks[0].sizedSampleCount, 4'000'000'000u);
    EXPECT_EQ(t.chunks[0].size, 400'000'000'000u);
    EXPECT_EQ(t.chunks[0].biggestSampleSize, 100u);
    EXPECT_EQ(t.chunks[0].listedSampleCount, CTrackInfoCollector::kMaxListedSamples);
    EXPECT_EQ(t.chunks[1].sampleCount, 0xFFFFFFFFu);  // 'stsz' has no samples left for these
    EXPECT_EQ(t.chunks[1].size, 0u);
    EXPECT_EQ(t.chunks[2].offset, 0xFFFFFFF0u);
    EXPECT_EQ(t.biggestChunkSize, 400'000'000'000u);
    EXPECT_EQ(collector.GetBiggestVideoChunk(), 400'000'000'000u);
    EXPECT_EQ(t.samples.size(), CTrackInfoCollector::kMaxListedSamples);
    EXPECT_EQ(t.samples.capacity(), CTrackInfoCollector::kMaxListedSamples);
    EXPECT_EQ(t.samples.back().offset, 16u + 100ull * (CTrackInfoCollector::kMaxListedSamples - 1));

    EXPECT_TRUE(tables[1].samples.empty());
    EXPECT_EQ(tables[1].chunks[0].size, 10u);
    EXPECT_EQ(collector.GetUnlistedSampleCount(),
              4'000'000'000ull - CTrackInfoCollector::kMaxListedSamples + 2);
    EXPECT_EQ(collector.GetUnlistedTableIndex(), 0u);
    EXPECT_EQ(collector.GetUnlistedChunkIndex(), 0u);

    // The largest chunk a 32-bit table can describe needs 64 bits.
    CTrackInfoCollector small(0);
    TrackSpec widest;
    widest.stsc = {{{1, 0xFFFFFFFFu}}};
    widest.stco = std::vector<uint32_t>{0};
    widest.stsz = ConstantSizes(0xFFFFFFFFu, 0xFFFFFFFFu);
    NoteTrack(small, records, widest);
    small.FinishTrack();
    EXPECT_EQ(small.GetChunkTables()[0].chunks[0].size, 0xFFFFFFFFull * 0xFFFFFFFFull);
    EXPECT_TRUE(small.GetChunkTables()[0].samples.empty());
}
