#include "document/MediaDataView.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/CollectorTestSupport.h"
#include "model/Format.h"
#include "presentation/FixedMetricSurface.h"
#include "support/BoxBuilder.h"

using namespace collector_test;

namespace {

constexpr Colour kTrackBack = Rgb(247, 222, 86);
constexpr Colour kChunkBack = Rgb(238, 232, 170);
constexpr Colour kRandomAccessBack = Rgb(215, 179, 179);
constexpr Colour kPlainBack = Rgb(255, 255, 255);

// depth, offset, size, child count, title, summary of one line.
std::string Describe(const CISOViewBox& node) {
    return StrFormat("%d %llu %llu %d %s / %s", node.GetDepth(),
                     static_cast<unsigned long long>(node.GetFileOffset()),
                     static_cast<unsigned long long>(node.GetBoxSize()), node.GetChildCount(),
                     Title(node).c_str(), node.GetSummaryText().c_str());
}

Colour BackOf(const CISOViewBox& node) {
    return node.GetShortTypeNameLayer()->GetBackColour();
}

// An 'mdat' node as the document makes it, then its lines.
struct MdatView {
    ISOFileFormat::Box record;
    std::vector<std::unique_ptr<CISOViewBox>> list;

    MdatView(const CTrackInfoCollector& collector, uint64_t offset, uint64_t size,
             int32_t depth = 0, bool autoExpand = true, bool noExpandMDAT = false)
        : record(52, size) {
        list.push_back(std::make_unique<CISOViewBox>(&record, depth, offset));
        CFixedMetricSurface surface;
        BuildMediaDataView(*list[0], offset, size, depth, collector, surface, autoExpand,
                           noExpandMDAT, list);
    }
    const CISOViewBox& Mdat() const { return *list[0]; }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (size_t i = 1; i < list.size(); ++i)
            lines.push_back(Describe(*list[i]));
        return lines;
    }
};

}  // namespace

// 'moov' first, 'mdat' at 40 000 of 100 000 bytes holding two tracks that start at 40 008 and
// 45 000: both listed in track order, chunks and samples numbered from 1 each time.
TEST(MediaDataView, TwoTracksUnderOneMdat) {
    Records records;
    CTrackInfoCollector collector;
    TrackSpec video;
    video.stsc = {{{1, 2}}};
    video.stco = std::vector<uint32_t>{40008, 50000};
    video.stsz = Sizes({100, 200, 300, 400});
    video.stss = std::vector<uint32_t>{1, 3};
    NoteTrack(collector, records, video);
    TrackSpec sound;
    sound.handlerKind = 2;
    sound.stsc = {{{1, 3}}};
    sound.stco = std::vector<uint32_t>{45000};
    sound.stsz = ConstantSizes(32, 3);
    NoteTrack(collector, records, sound);
    collector.FinishTrack();

    const MdatView view(collector, 40000, 100000, 1);
    EXPECT_EQ(view.Mdat().GetChildCount(), 2);
    const std::string plain = "Not an Actual Box";
    const std::string rap = "Random Access Point";
    EXPECT_EQ(view.Lines(),
              (std::vector<std::string>{
                  "2 40008 0 2 chunks from 'Video Track', biggest chunk size 700 bytes / " + plain,
                  "3 40008 300 2 chunk #1 size 300 bytes, sample count 2, biggest sample size "
                  "200 bytes / " +
                      plain,
                  "4 40008 100 0 sample #1 size 100 bytes / " + rap,
                  "4 40108 200 0 sample #2 size 200 bytes / " + plain,
                  "3 50000 700 2 chunk #2 size 700 bytes, sample count 2, biggest sample size "
                  "400 bytes / " +
                      plain,
                  "4 50000 300 0 sample #1 size 300 bytes / " + rap,
                  "4 50300 400 0 sample #2 size 400 bytes / " + plain,
                  "2 45000 0 1 chunks from 'Sound Track', biggest chunk size 96 bytes / " + plain,
                  "3 45000 96 3 chunk #1 size 96 bytes, sample count 3, biggest sample size 32 "
                  "bytes / " +
                      plain,
                  // No 'stss': every sample is a random access point.
                  "4 45000 32 0 sample #1 size 32 bytes / " + rap,
                  "4 45032 32 0 sample #2 size 32 bytes / " + rap,
                  "4 45064 32 0 sample #3 size 32 bytes / " + rap,
              }));

    const auto& list = view.list;
    EXPECT_EQ(BackOf(*list[1]), kTrackBack);
    EXPECT_EQ(BackOf(*list[2]), kChunkBack);
    EXPECT_EQ(BackOf(*list[3]), kRandomAccessBack);
    EXPECT_EQ(BackOf(*list[4]), kPlainBack);
    for (size_t i = 1; i < list.size(); ++i) {
        EXPECT_EQ(list[i]->GetShortTypeNameLayer()->GetTextColour(), Rgb(0, 0, 0));
        EXPECT_FALSE(list[i]->NeedsMeasure());
        EXPECT_GT(list[i]->GetWidth(), 0);
    }
    EXPECT_EQ(list[3]->GetText(true), "\n\t\t\t\t| + sample #1 size 100 bytes");
}

// A track is listed whole under the 'mdat' that holds its first chunk, and under no other.
TEST(MediaDataView, TracksGoToTheMdatHoldingTheirFirstChunk) {
    Records records;
    CTrackInfoCollector collector;
    TrackSpec first;  // starts in the first 'mdat', a later chunk lies in the second
    first.stsc = {{{1, 1}}};
    first.stco = std::vector<uint32_t>{108, 1500};
    first.stsz = Sizes({10, 20});
    NoteTrack(collector, records, first);
    TrackSpec second = first;  // starts right at the second 'mdat'
    second.stco = std::vector<uint32_t>{1100};
    second.stsz = Sizes({5});
    NoteTrack(collector, records, second);
    TrackSpec outside = first;  // at the end of the second 'mdat': in neither
    outside.stco = std::vector<uint32_t>{2100};
    NoteTrack(collector, records, outside);
    TrackSpec noChunks = first;  // an empty 'stco' places the track nowhere
    noChunks.stco = std::vector<uint32_t>{};
    NoteTrack(collector, records, noChunks);
    collector.FinishTrack();

    const MdatView one(collector, 100, 1000);
    EXPECT_EQ(one.Mdat().GetChildCount(), 1);
    ASSERT_EQ(one.Lines().size(), 5u);
    EXPECT_EQ(one.Lines()[0],
              "1 108 0 2 chunks from 'Video Track', biggest chunk size 20 bytes / "
              "Not an Actual Box");
    EXPECT_EQ(one.Lines()[3].substr(0, 24), "2 1500 20 1 chunk #2 siz");

    const MdatView two(collector, 1100, 1000);
    EXPECT_EQ(two.Mdat().GetChildCount(), 1);
    ASSERT_EQ(two.Lines().size(), 3u);
    EXPECT_EQ(two.Lines()[1],
              "2 1100 5 1 chunk #1 size 5 bytes, sample count 1, biggest sample size 5 bytes / "
              "Not an Actual Box");

    // A box reaching to the end of the 64-bit range takes every later track without
    // overflowing its end.
    const MdatView wide(collector, 100, UINT64_MAX);
    EXPECT_EQ(wide.Mdat().GetChildCount(), 3);
    const MdatView empty(collector, 0, 0);
    EXPECT_EQ(empty.Mdat().GetChildCount(), 0);
    EXPECT_EQ(empty.list.size(), 1u);
}

TEST(MediaDataView, ExpansionFollowsTheSwitches) {
    Records records;
    CTrackInfoCollector collector;
    TrackSpec track;
    track.stsc = {{{1, 2}}};
    track.stco = std::vector<uint32_t>{16};
    track.stsz = Sizes({1, 2});
    NoteTrack(collector, records, track);
    collector.FinishTrack();

    struct Case {
        bool autoExpand, noExpandMDAT, expanded;
    };
    for (const Case c : {Case{false, false, false}, Case{false, true, false},
                         Case{true, false, true}, Case{true, true, false}}) {
        const MdatView view(collector, 8, 100, 0, c.autoExpand, c.noExpandMDAT);
        ASSERT_EQ(view.list.size(), 5u);
        for (const auto& node : view.list)
            EXPECT_EQ(node->IsExpanded(), c.expanded) << c.autoExpand << c.noExpandMDAT;
    }
}

TEST(MediaDataView, TrackWithoutSampleSizes) {
    Records records;
    CTrackInfoCollector collector;
    TrackSpec track;
    track.handlerKind = 4;
    track.stsc = {{{1, 6}}};
    track.stco = std::vector<uint32_t>{16, 64};
    NoteTrack(collector, records, track);
    collector.FinishTrack();

    const MdatView view(collector, 8, 100);
    EXPECT_EQ(view.Lines(),
              (std::vector<std::string>{
                  "1 16 0 2 chunks from 'Timed Text Track', biggest chunk size 0 bytes / Not an "
                  "Actual Box",
                  "2 16 0 0 chunk #1 size 0 bytes, sample count 6, biggest sample size 0 bytes / "
                  "Not an Actual Box",
                  "2 64 0 0 chunk #2 size 0 bytes, sample count 6, biggest sample size 0 bytes / "
                  "Not an Actual Box",
              }));
}

// Where the sample limit is reached (here at the end of a chunk), the next chunk with samples
// gets one line counting every sample of the file left without a line; later chunks and
// tracks have no sample lines, their chunk lines are exact. The limit falling inside a chunk is
// the huge file's case below.
TEST(MediaDataView, SampleLinesStopAtTheLimit) {
    Records records;
    CTrackInfoCollector collector(4);
    TrackSpec track;
    track.stsc = {{{1, 2}}};
    track.stco = std::vector<uint32_t>{100, 200, 300};
    track.stsz = Sizes({1, 2, 3, 4, 5, 6});
    NoteTrack(collector, records, track);
    TrackSpec other = track;
    other.stco = std::vector<uint32_t>{400};
    other.stsz = ConstantSizes(7, 2);
    NoteTrack(collector, records, other);
    collector.FinishTrack();

    const MdatView view(collector, 0, 1000);
    const std::string plain = " / Not an Actual Box";
    const std::string rap = " / Random Access Point";
    EXPECT_EQ(
        view.Lines(),
        (std::vector<std::string>{
            "1 100 0 3 chunks from 'Video Track', biggest chunk size 11 bytes" + plain,
            "2 100 3 2 chunk #1 size 3 bytes, sample count 2, biggest sample size 2 bytes" + plain,
            "3 100 1 0 sample #1 size 1 bytes" + rap,
            "3 101 2 0 sample #2 size 2 bytes" + rap,
            "2 200 7 2 chunk #2 size 7 bytes, sample count 2, biggest sample size 4 bytes" + plain,
            "3 200 3 0 sample #1 size 3 bytes" + rap,
            "3 203 4 0 sample #2 size 4 bytes" + rap,
            "2 300 11 1 chunk #3 size 11 bytes, sample count 2, biggest sample size 6 "
            "bytes" +
                plain,
            "3 300 0 0 4 more samples not listed" + plain,
            "1 400 0 1 chunks from 'Video Track', biggest chunk size 14 bytes" + plain,
            "2 400 14 0 chunk #1 size 14 bytes, sample count 2, biggest sample size 7 "
            "bytes" +
                plain,
        }));
    EXPECT_EQ(BackOf(*view.list[9]), kPlainBack);
}

// A few hundred bytes declaring four billion samples of one size in chunks of 2^32 - 1, read
// through the parse driver: the chunk lines are exact, sample records and lines stop at the
// file's size, and one line counts the rest.
TEST(MediaDataView, HugeSampleTableFromAFile) {
    BoxBuilder file;
    file.Open("ftyp").FourCC("isom").U32(0).FourCC("isom").Close();
    file.Open("moov").Open("trak").Open("mdia");
    file.OpenFull("hdlr", 0, 0).U32(0).FourCC("vide").Zeros(12).Text("v", true).Close();
    file.Open("minf").Open("stbl");
    file.OpenFull("stsd", 0, 0).U32(0).Close();
    file.OpenFull("stsc", 0, 0).U32(1).U32(1).U32(0xFFFFFFFFu).U32(1).Close();
    file.OpenFull("stsz", 0, 0).U32(1).U32(4'000'000'000u).Close();
    const size_t stcoStart = file.Size();
    file.OpenFull("stco", 0, 0).U32(2).U32(0).U32(0).Close();
    file.Close().Close().Close().Close().Close();
    const uint32_t mdatOffset = static_cast<uint32_t>(file.Size());
    file.Open("mdat").Zeros(64).Close();
    // Both chunks start in the 'mdat' payload.
    std::vector<uint8_t> bytes = file.Data();
    const uint32_t offsets[2] = {mdatOffset + 8, mdatOffset + 40};
    for (int k = 0; k < 2; ++k) {
        for (int b = 0; b < 4; ++b)
            bytes[stcoStart + 16 + 4 * k + b] = static_cast<uint8_t>(offsets[k] >> (24 - 8 * b));
    }
    BoxBuilder patched;
    patched.Bytes(bytes);

    const ParsedFile parsed = ParseWithCollector(patched.WriteTempFile("huge.mp4"));
    ASSERT_EQ(parsed.result, 0);
    const uint64_t fileSize = bytes.size();
    const CTrackInfoCollector& collector = *parsed.collector;
    ASSERT_EQ(collector.GetChunkTables().size(), 1u);
    const TrackChunkTable& table = collector.GetChunkTables()[0];
    EXPECT_EQ(table.samples.size(), fileSize);
    EXPECT_LE(table.samples.capacity(), fileSize);
    EXPECT_EQ(collector.GetUnlistedSampleCount(), 4'000'000'000u - fileSize);

    std::vector<const CISOViewBox*> lines;
    size_t mdatIndex = 0;
    for (size_t i = 0; i < parsed.nodes.size(); ++i) {
        if (Title(*parsed.nodes[i]) == "mdat") mdatIndex = i;
    }
    ASSERT_NE(mdatIndex, 0u);
    EXPECT_EQ(parsed.nodes[mdatIndex]->GetChildCount(), 1);
    ASSERT_EQ(parsed.nodes.size(), mdatIndex + 1 + 3 + fileSize + 1);
    const auto& nodes = parsed.nodes;
    EXPECT_EQ(Title(*nodes[mdatIndex + 1]),
              "chunks from 'Video Track', biggest chunk size 4000000000 bytes");
    EXPECT_EQ(nodes[mdatIndex + 2]->GetChildCount(), static_cast<int32_t>(fileSize + 1));
    EXPECT_EQ(Title(*nodes[mdatIndex + 2]),
              "chunk #1 size 4000000000 bytes, sample count 4294967295, biggest sample size 1 "
              "bytes");
    EXPECT_EQ(nodes[mdatIndex + 2]->GetBoxSize(), 4'000'000'000u);
    const CISOViewBox& last = *nodes[mdatIndex + 2 + fileSize];
    EXPECT_EQ(Title(last),
              StrFormat("sample #%llu size 1 bytes", static_cast<unsigned long long>(fileSize)));
    const CISOViewBox& rest = *nodes[mdatIndex + 3 + fileSize];
    EXPECT_EQ(Title(rest), StrFormat("%llu more samples not listed",
                                     static_cast<unsigned long long>(4'000'000'000u - fileSize)));
    EXPECT_EQ(rest.GetFileOffset(), offsets[0] + fileSize);
    EXPECT_EQ(rest.GetDepth(), 3);
    const CISOViewBox& second = *nodes.back();
    EXPECT_EQ(Title(second),
              "chunk #2 size 0 bytes, sample count 4294967295, biggest sample size 0 bytes");
    EXPECT_EQ(second.GetChildCount(), 0);
}
