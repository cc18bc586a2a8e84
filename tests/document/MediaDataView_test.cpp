#include "document/MediaDataView.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "document/CollectorTestSupport.h"
#include "document/LineViewBox.h"
#include "document/NodeList.h"
#include "document/TreeGeometry.h"
#include "model/Format.h"
#include "presentation/FixedMetricSurface.h"
#include "presentation/RecordingSurface.h"
#include "presentation/ViewPalette.h"
#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

using namespace collector_test;

namespace {

constexpr Colour kTrackBack = Rgb(247, 222, 86);
constexpr Colour kChunkBack = Rgb(238, 232, 170);
constexpr Colour kRandomAccessBack = Rgb(215, 179, 179);
constexpr Colour kPlainBack = Rgb(255, 255, 255);

// Depth, offset, size, child count and title of a line under an 'mdat', then its background:
// "t" for a track, "c" for a chunk, "*" for a random access point, nothing for another sample.
std::string Line(CNodeList& list, size_t i) {
    const CISOViewBox& n = list.Node(i);
    const Colour back = n.GetShortTypeNameLayer()->GetBackColour();
    const bool rap = back == kRandomAccessBack;
    EXPECT_EQ(rap ? "Random Access Point" : "Not an Actual Box", list.GetSummaryText(i));
    EXPECT_EQ(n.GetShortTypeNameLayer()->GetTextColour(), Rgb(0, 0, 0));
    EXPECT_EQ(
        n.GetText(true), list.Stored(i) ? n.GetText(true) : [&] {
            CTextSink sink;
            list.AppendText(i, sink, true);
            return sink.TakeText();
        }());
    const char* mark = rap                  ? " *"
                       : back == kTrackBack ? " t"
                       : back == kChunkBack ? " c"
                       : back == kPlainBack ? ""
                                            : " ?";
    return StrFormat("%d %llu %llu %d %s%s", list.GetDepth(i),
                     static_cast<unsigned long long>(list.GetFileOffset(i)),
                     static_cast<unsigned long long>(list.GetBoxSize(i)), list.GetChildCount(i),
                     std::string(list.GetTitle(i)).c_str(), mark);
}

// 'mdat' nodes as the document makes them, each followed by its lines.
struct MdatView {
    std::vector<std::unique_ptr<ISOFileFormat::Box>> records;
    CNodeList list;

    MdatView() = default;
    MdatView(const CTrackInfoCollector& collector, uint64_t offset, uint64_t size,
             int32_t depth = 0, bool expanded = true) {
        Add(collector, offset, size, depth, expanded);
    }
    void Add(const CTrackInfoCollector& collector, uint64_t offset, uint64_t size,
             int32_t depth = 0, bool expanded = true) {
        records.push_back(std::make_unique<ISOFileFormat::Box>(BoxId::Mdat, size));
        CISOViewBox& mdat =
            list.PushBack(std::make_unique<CISOViewBox>(records.back().get(), depth, offset));
        auto lines = std::make_unique<CMediaDataLines>(collector, offset, size, depth, expanded);
        for (int32_t i = 0; i < lines->GetTrackCount(); ++i)
            mdat.IncrementChildCount();
        list.AppendLines(std::move(lines));
    }
    // Every line after the first node, walked forwards, then checked against the same lines
    // asked for backwards (each found afresh rather than stepped to).
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (size_t i = 1; i < list.size(); ++i)
            lines.push_back(Line(list, i));
        for (size_t i = list.size(); i-- > 1;)
            EXPECT_EQ(Line(list, i), lines[i - 1]) << i;
        return lines;
    }
};

constexpr int32_t V = HandlerKindVideo;

}  // namespace

// Tracks listed in track order under the 'mdat', chunks and samples numbered from 1 each time;
// random access points from 'stss'. Where the sample limit is reached (in the second row at the
// end of a chunk), the next chunk with samples gets one line counting every sample of the file
// left without a line; later chunks and tracks have no sample lines, their chunk lines are exact.
TEST(MediaDataView, ChunkAndSampleLines) {
    const struct {
        uint64_t sampleLimit;
        std::vector<TrackSpec> tracks;
        std::vector<std::string> lines;
    } cases[] = {
        {UINT64_MAX,
         {{V, {{1, 2}}, Numbers{40008, 50000}, Sizes({100, 200, 300, 400}), Numbers{1, 3}},
          {HandlerKindText, {{1, 6}}, Numbers{46000}}},  // no 'stsz'
         {
             "2 40008 0 2 chunks from 'Video Track', biggest chunk size 700 bytes t",
             "3 40008 300 2 chunk #1 size 300 bytes, sample count 2, biggest sample size 200 "
             "bytes c",
             "4 40008 100 0 sample #1 size 100 bytes *",
             "4 40108 200 0 sample #2 size 200 bytes",
             "3 50000 700 2 chunk #2 size 700 bytes, sample count 2, biggest sample size 400 "
             "bytes c",
             "4 50000 300 0 sample #1 size 300 bytes *",
             "4 50300 400 0 sample #2 size 400 bytes",
             "2 46000 0 1 chunks from 'Timed Text Track', biggest chunk size 0 bytes t",
             "3 46000 0 0 chunk #1 size 0 bytes, sample count 6, biggest sample size 0 bytes c",
         }},
        {4,
         {{V, {{1, 2}}, Numbers{40100, 40200, 40300}, Sizes({1, 2, 3, 4, 5, 6})},
          {V, {{1, 2}}, Numbers{40400}, SampleSizes{7, 2}}},
         {
             "2 40100 0 3 chunks from 'Video Track', biggest chunk size 11 bytes t",
             "3 40100 3 2 chunk #1 size 3 bytes, sample count 2, biggest sample size 2 bytes c",
             "4 40100 1 0 sample #1 size 1 bytes *",
             "4 40101 2 0 sample #2 size 2 bytes *",
             "3 40200 7 2 chunk #2 size 7 bytes, sample count 2, biggest sample size 4 bytes c",
             "4 40200 3 0 sample #1 size 3 bytes *",
             "4 40203 4 0 sample #2 size 4 bytes *",
             "3 40300 11 1 chunk #3 size 11 bytes, sample count 2, biggest sample size 6 bytes c",
             "4 40300 0 0 4 more samples not listed",
             "2 40400 0 1 chunks from 'Video Track', biggest chunk size 14 bytes t",
             "3 40400 14 0 chunk #1 size 14 bytes, sample count 2, biggest sample size 7 bytes c",
         }},
    };
    for (const auto& c : cases) {
        Tracks tracks(c.sampleLimit);
        for (const TrackSpec& track : c.tracks)
            tracks.Add(track);
        MdatView view(tracks.Done(), 40000, 100000, 1);
        EXPECT_EQ(view.list.GetChildCount(0), static_cast<int>(c.tracks.size()));
        EXPECT_EQ(view.Lines(), c.lines);
    }
}

// A track is listed whole under the 'mdat' that holds its first chunk, and under no other; the
// lines follow the switches.
TEST(MediaDataView, TracksGoToTheMdatHoldingTheirFirstChunk) {
    Tracks tracks;
    tracks.Add({V, {{1, 1}}, Numbers{108, 1500}, Sizes({10, 20})});
    tracks.Add({V, {{1, 1}}, Numbers{1100}, Sizes({5})});  // right at the start
    tracks.Add({V, {{1, 1}}, Numbers{2100}});              // at the end of the second: in neither
    tracks.Add({V, {{1, 1}}, Numbers{}});                  // no chunk: nowhere
    tracks.Done();
    const struct {
        uint64_t offset, size;
        std::vector<uint64_t> lineOffsets;
    } cases[] = {
        {100, 1000, {108, 108, 108, 1500, 1500}},
        {1100, 1000, {1100, 1100, 1100}},
        // A box reaching to the end of the 64-bit range takes every later track without
        // overflowing its end.
        {100, UINT64_MAX, {108, 108, 108, 1500, 1500, 1100, 1100, 1100, 2100, 2100}},
        {0, 0, {}},
    };
    for (const auto& c : cases) {
        const MdatView view(tracks.collector, c.offset, c.size);
        std::vector<uint64_t> offsets;
        for (size_t i = 1; i < view.list.size(); ++i)
            offsets.push_back(view.list.GetFileOffset(i));
        EXPECT_EQ(offsets, c.lineOffsets) << c.offset;
    }
}

// Several 'mdat' nodes in one list, with boxes between them: an index maps to the right box or
// line at each block's edges, whichever way the list is walked, and a line's expanded bit stays
// with it. Each row: the index, then its title (and "box" for a box).
TEST(MediaDataView, IndexesAcrossBlocksAndExpansionState) {
    Tracks tracks;
    tracks.Add({V, {{1, 2}}, Numbers{108, 130}, Sizes({10, 20, 30})});  // chunk 2 has 1 sample
    tracks.Add({V, {{1, 1}}, Numbers{1100}, Sizes({5})});
    tracks.Done();
    MdatView view;
    view.Add(tracks.collector, 100, 1000);  // the first track: 1 + 2 + 3 lines
    ISOFileFormat::Box free(BoxId::Free, 8);
    view.list.PushBack(std::make_unique<CISOViewBox>(&free, 0, 1092));
    view.Add(tracks.collector, 2000, 8);    // no track: no lines
    view.Add(tracks.collector, 1100, 900);  // the second track: 1 + 1 + 1 lines
    ASSERT_EQ(view.list.size(), 1 + 6 + 1 + 1 + 1 + 3u);
    const struct {
        size_t index;
        const char* title;
    } rows[] = {
        {0, "mdat box"},
        {1, "chunks from 'Video Track', biggest chunk size 30 bytes"},
        {2, "chunk #1 size 30 bytes, sample count 2, biggest sample size 20 bytes"},
        {4, "sample #2 size 20 bytes"},
        {6, "sample #1 size 30 bytes"},
        {7, "free box"},
        {8, "mdat box"},
        {9, "mdat box"},
        {10, "chunks from 'Video Track', biggest chunk size 5 bytes"},
        {12, "sample #1 size 5 bytes"},
    };
    const auto describe = [&](size_t i) {
        return std::string(view.list.GetTitle(i)) + (view.list.IsBox(i) ? " box" : "");
    };
    for (bool backwards : {false, true}) {
        for (size_t r = 0; r < std::size(rows); ++r) {
            const auto& row = rows[backwards ? std::size(rows) - 1 - r : r];
            EXPECT_EQ(describe(row.index), row.title) << row.index;
            EXPECT_EQ(view.list.Stored(row.index) != nullptr, view.list.IsBox(row.index));
        }
    }
    EXPECT_EQ(view.list.GetChildCount(8), 0);
    EXPECT_EQ(view.list.GetChildCount(9), 1);

    // Collapsing the first chunk and the second 'mdat' hides their lines, and nothing else,
    // however the list is read in between.
    view.list.SetExpanded(2, false);
    view.list.SetExpanded(9, false);
    (void)Line(view.list, 12), (void)Line(view.list, 3);
    EXPECT_FALSE(view.list.IsExpanded(2));
    EXPECT_TRUE(view.list.IsExpanded(3));
    std::vector<size_t> shown;
    view.list.ForEachDisplayed([&](size_t i) {
        shown.push_back(i);
        return true;
    });
    EXPECT_EQ(shown, (std::vector<size_t>{0, 1, 2, 5, 6, 7, 8, 9}));

    // The document sets the 'mdat' node and all its lines by the switches.
    for (const auto& [autoExpand, noExpandMDAT, expanded] : {std::tuple{false, false, false},
                                                             {false, true, false},
                                                             {true, false, true},
                                                             {true, true, false}}) {
        BoxBuilder file;
        file.Leaf("mdat", {1, 2});  // its payload at 8
        file.Open("moov").Open("trak").Open("mdia").Hdlr("vide", "v").Open("minf").Open("stbl");
        file.OpenFull("stsc", 0, 0).U32(1).U32(1).U32(2).U32(1).Close();
        file.OpenFull("stsz", 0, 0).U32(1).U32(2).Close();
        file.OpenFull("stco", 0, 0).U32(1).U32(8).Close();
        file.Close().Close().Close().Close().Close();
        TestDocument t;
        SetSwitchSetting(t.settings, SwitchAutoExpand, autoExpand);
        SetSwitchSetting(t.settings, SwitchNoExpandMDAT, noExpandMDAT);
        ASSERT_EQ(t.control.OpenFile(file.WriteTempFile("switches.mp4")), 1);
        const CNodeList& nodes = t.doc.GetNodes();
        const size_t mdat = t.IndexOf("mdat");
        ASSERT_EQ(t.IndexOf("moov"), mdat + 5);
        for (size_t i = mdat; i < mdat + 5; ++i)
            EXPECT_EQ(nodes.IsExpanded(i), expanded) << autoExpand << noExpandMDAT << i;
    }
}

// A few hundred bytes declaring 2^32 - 1 samples of 2^32 - 1 bytes, one chunk of them all,
// opened by the document. The chunk is computed, not walked, and needs 64 bits; sample lines
// stop at the file's size (inside the chunk) and one line counts the rest; the second chunk
// finds no sample left.
TEST(MediaDataView, HugeSampleTableFromAFile) {
    constexpr uint32_t kMax = 0xFFFFFFFFu;
    BoxBuilder file;
    file.Open("ftyp").FourCC("isom").U32(0).FourCC("isom").Close();
    const uint32_t payload = static_cast<uint32_t>(file.Size()) + 8;
    file.Open("mdat").Zeros(64).Close();
    file.Open("moov").Open("trak").Open("mdia").Hdlr("vide", "v").Open("minf").Open("stbl");
    file.OpenFull("stsd", 0, 0).U32(0).Close();
    file.OpenFull("stsc", 0, 0).U32(1).U32(1).U32(kMax).U32(1).Close();
    file.OpenFull("stsz", 0, 0).U32(kMax).U32(kMax).Close();
    file.OpenFull("stco", 0, 0).U32(2).U32(payload).U32(payload + 32).Close();
    file.Close().Close().Close().Close().Close();
    const uint64_t fileSize = file.Size();

    TestDocument t;
    ASSERT_EQ(t.control.OpenFile(file.WriteTempFile("huge.mp4")), 1);
    ASSERT_TRUE(t.doc.IsParsed()) << t.view.lastMessage;
    const size_t mdat = t.IndexOf("mdat");
    ASSERT_EQ(t.Node(mdat).GetChildCount(), 1);
    ASSERT_EQ(t.IndexOf("moov"), mdat + 1 + 3 + fileSize + 1);
    const auto u = [](uint64_t v) { return static_cast<unsigned long long>(v); };
    std::vector<std::string> lines;
    for (size_t i :
         {mdat + 1, mdat + 2, mdat + 2 + fileSize, mdat + 3 + fileSize, mdat + 4 + fileSize})
        lines.push_back(Line(t.doc.GetNodes(), i));
    const uint64_t last = payload + (fileSize - 1) * kMax;
    EXPECT_EQ(
        lines,
        (std::vector<std::string>{
            "1 28 0 2 chunks from 'Video Track', biggest chunk size 18446744065119617025 bytes t",
            StrFormat("2 28 18446744065119617025 %llu chunk #1 size 18446744065119617025 "
                      "bytes, sample count 4294967295, biggest sample size 4294967295 bytes c",
                      u(fileSize + 1)),
            StrFormat("3 %llu 4294967295 0 sample #%llu size 4294967295 bytes *", u(last),
                      u(fileSize)),
            StrFormat("3 %llu 0 0 %llu more samples not listed", u(last + kMax),
                      u(kMax - fileSize)),
            "2 60 0 0 chunk #2 size 0 bytes, sample count 4294967295, biggest sample size 0 "
            "bytes c",
        }));
}

// A million sample lines: one screen in the middle draws about one screen of lines, each as the
// node of a line draws itself (frame, fill and text in the line's colours).
TEST(MediaDataView, DrawsOnlyTheVisibleLinesAsLineNodesDo) {
    Tracks tracks;
    tracks.Add({V, {{1, 1000}}, Numbers(1000, 5000), SampleSizes{3, 1000000}, Numbers{1, 500001}});
    MdatView view(tracks.Done(), 4992, 4000008);
    ASSERT_EQ(view.list.size(), 1 + 1 + 1000 + 1000000u);
    CRecordingSurface surface;
    CTreeGeometry geometry;
    geometry.Rebuild(view.list, surface);
    ASSERT_EQ(geometry.GetCount(), view.list.size());

    constexpr int32_t kScreen = 900;
    const int64_t middle = geometry.GetPlacement(geometry.GetCount() / 2).top;
    const Rect clip{0, 0, 1280, kScreen};
    surface.Clear();
    std::vector<size_t> drawn;
    for (size_t i = geometry.FirstReaching(middle - CTreeGeometry::kPaintOverhang);
         i < geometry.GetCount(); ++i) {
        const auto p = geometry.GetPlacement(i);
        if (p.top - middle > kScreen) break;
        view.list.Draw(p.node, surface, static_cast<int32_t>(p.left),
                       static_cast<int32_t>(p.top - middle), clip);
        drawn.push_back(p.node);
    }
    // Lines are 25 pixels high with a gap of 10: 900 / 35 and one at each edge.
    EXPECT_EQ(surface.GetCalls("text").size(), drawn.size());
    EXPECT_GE(drawn.size(), 26u);
    EXPECT_LE(drawn.size(), 28u);

    // The same calls as a line node of that title and colour, the random access point included.
    const size_t rap = 2 + 500 * 1001 + 1;  // the first sample of chunk #501: sample 500001
    for (size_t node : {size_t{1}, size_t{2}, rap, rap + 1, drawn.front()}) {
        CRecordingSurface expected;
        CLineViewBox line(0, 0, 0);
        line.SetTitle(view.list.GetTitle(node));
        line.SetTitleColours(Rgb(0, 0, 0), view.list.GetSummaryText(node) == "Random Access Point"
                                               ? kRandomAccessBack
                                               : kViewPalette.lineBack);
        if (node == 1) line.SetTitleColours(Rgb(0, 0, 0), kTrackBack);
        if (node == 2) line.SetTitleColours(Rgb(0, 0, 0), kChunkBack);
        line.Draw(expected, 100, 40, clip);
        surface.Clear();
        view.list.Draw(node, surface, 100, 40, clip);
        EXPECT_EQ(surface.GetCalls(), expected.GetCalls()) << node;
    }
    EXPECT_EQ(view.list.GetSummaryText(rap), "Random Access Point");
}
