#include "document/OrvexDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/TreeExport.h"
#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

namespace {

// ftyp, moov { mvhd, trak { tkhd } }, mdat: the smallest file with every kind of nesting.
std::string SmallMovie() {
    BoxBuilder f;
    f.Open("ftyp").FourCC("isom").U32(0x200).FourCC("isom").FourCC("mp41").Close();
    f.Open("moov").Mvhd(1000, 5000).Open("trak").Tkhd(1, 5000, 176, 144).Close().Close();
    f.Leaf("mdat", {1, 2, 3, 4});
    return f.WriteTempFile("small.mp4");
}

// A view that shows nothing, and a log that wants no text but keeps what it gets.
class CHeadlessView : public CTestDocumentView {
    bool ShowsGeometry() const override { return false; }
};
class CTextlessLog : public CStringLogWriter {
    bool WantsText() const override { return false; }
};

}  // namespace

// Without a window nodes are measured only when asked and the trace is never formatted; the
// tree, the sizes and the errors are those of a document in a window.
TEST(OrvexDoc, HeadlessDocumentMeasuresOnDemandAndSkipsTheTrace) {
    BoxBuilder f;
    f.Open("moov").Mvhd(1000, 5000).Close().Bytes({0, 0, 0, 9, 'f', 'r', 'e', 'e'});
    const std::string file = f.WriteTempFile("headless.mp4");
    TestDocument shown;
    ASSERT_EQ(shown.control.OpenFile(file), 1);
    CHeadlessView view;
    CTextlessLog log;
    CMemorySettingsStore settings;
    COrvexDoc doc{view, &log, settings};
    ASSERT_EQ(CParseControl(doc, view, settings).OpenFile(file), 1);

    const auto text = [](const COrvexDoc& d) {
        CTextSink sink;
        WriteTreeText(d.GetNodes(), "x", true, sink);
        return sink.TakeText();
    };
    EXPECT_EQ(text(doc), text(shown.doc));
    const size_t moov = IndexOfType(doc, "moov");
    EXPECT_TRUE(doc.GetNodes().Stored(moov)->NeedsMeasure());
    EXPECT_EQ(doc.GetNodes().GetSize(moov, view.surface),
              shown.doc.GetNodes().GetSize(moov, shown.view.surface));
    EXPECT_EQ(view.scrollSizes.size(), 1u);
    EXPECT_EQ(log.GetText().find("processing offset"), std::string::npos);
    EXPECT_NE(log.GetText().find("truncated-box"), std::string::npos);
    EXPECT_NE(shown.log.GetText().find("processing offset"), std::string::npos);
}

TEST(OrvexDoc, AttachesNodesByDepthAndLaysOutTheDisplayedPart) {
    TestDocument t;
    ASSERT_EQ(t.control.OpenFile(SmallMovie()), 1);
    ASSERT_TRUE(t.doc.IsParsed());
    EXPECT_TRUE(t.view.warnings.empty());
    const CNodeList& nodes = t.doc.GetNodes();
    // The quick information section comes first (general, conformance and integrity), then the
    // boxes.
    ASSERT_EQ(nodes.size(), 4u + 6u);
    std::vector<const CISOViewBox*> all;
    for (size_t i = 0; i < nodes.size(); ++i)
        all.push_back(nodes.Stored(i));
    EXPECT_EQ(all[0]->GetChildCount(), 3);
    std::vector<int> depths, children;
    for (size_t i = 4; i < all.size(); ++i) {
        depths.push_back(all[i]->GetDepth());
        children.push_back(all[i]->GetChildCount());
    }
    EXPECT_EQ(depths, (std::vector<int>{0, 0, 1, 1, 2, 0}));
    // After 'tkhd' at depth 2 two levels close at once: 'mdat' has no parent.
    EXPECT_EQ(children, (std::vector<int>{0, 2, 0, 1, 0, 0}));
    // A track without 'hdlr' is of an unknown kind.
    EXPECT_NE(all[7]->GetText(false).find("| + Unknown Track Box"), std::string::npos);

    // AutoExpand is off by default: the extent counts Quick Information, ftyp, moov and mdat.
    int32_t height = 0, width = 0;
    for (size_t i : {0, 4, 5, 9}) {
        height += ViewLayout::kVerticalGap + all[i]->GetHeight();
        width = std::max(width, ViewLayout::kLeftOffset + all[i]->GetWidth());
    }
    EXPECT_EQ(t.view.scrollSizes, (std::vector<Extent>{{width, height}}));
    // Expanding 'moov' shows its children (but not 'tkhd', under the collapsed 'trak').
    t.doc.GetNodes().SetExpanded(5, true);
    t.doc.ComputeExtent();
    EXPECT_EQ(t.doc.GetExtentHeight(),
              height + 2 * ViewLayout::kVerticalGap + all[6]->GetHeight() + all[7]->GetHeight());
    EXPECT_EQ(t.doc.GetExtentWidth(),
              std::max(width, ViewLayout::kLeftOffset + 60 + all[7]->GetWidth()));
}

TEST(OrvexDoc, ParsesOnDemandOnceAndKeepsNothingOfAFailure) {
    TestDocument t;
    SetSwitchSetting(t.settings, SwitchAutoParse, false);
    ASSERT_EQ(t.control.OpenFile(SmallMovie()), 1);
    EXPECT_FALSE(t.doc.IsParsed());
    EXPECT_TRUE(t.doc.GetNodes().empty());
    EXPECT_EQ(t.control.StartParsing(), 0);
    const std::string log = t.log.GetText();
    EXPECT_EQ(t.control.StartParsing(), 0);  // once per opening: the log does not grow
    EXPECT_EQ(t.log.GetText(), log);
    EXPECT_EQ(t.doc.GetNodes().size(), 4u + 6u);

    // A 'moov' that claims more than the file holds: result 3, one message, no nodes.
    BoxBuilder cut;
    cut.Open("moov").Mvhd(1000, 5000).CloseWithSize(4096);
    SetSwitchSetting(t.settings, SwitchAutoParse, true);
    ASSERT_EQ(t.control.OpenFile(cut.WriteTempFile("cut.mp4")), 1);
    EXPECT_FALSE(t.doc.IsParsed());
    EXPECT_TRUE(t.doc.GetNodes().empty());
    EXPECT_EQ(t.view.warnings.size(), 1u);
    EXPECT_EQ(t.view.lastMessage, "error occured in parsing. check if the file is corrupted.");
}

TEST(OrvexDoc, ACancelledParseStopsAtABoxAndKeepsNothing) {
    const std::string path = SmallMovie();
    TestDocument whole;
    CParseProgress watched;
    std::vector<uint64_t> headers;
    watched.beforeBox = [&](const CParseProgress& p) { headers.push_back(p.bytesDone); };
    whole.doc.SetParseProgress(&watched);
    ASSERT_EQ(whole.control.OpenFile(path), 1);
    const size_t nodeCount = whole.doc.GetNodes().size();
    const uint64_t fileSize = whole.doc.GetFileSize();
    EXPECT_EQ(watched.bytesDone, fileSize);
    // ftyp, moov, mvhd, trak, tkhd, mdat, and last the end where no header is left to read.
    ASSERT_EQ(headers.size(), 7u);
    ASSERT_EQ(headers.back(), fileSize);
    for (const uint64_t cancelAt : {headers[0], headers[1], headers[5], headers[6]}) {
        SCOPED_TRACE(cancelAt);
        TestDocument t;
        SetSwitchSetting(t.settings, SwitchAutoParse, false);
        CParseProgress progress;
        std::vector<uint64_t> seen;
        progress.beforeBox = [&](const CParseProgress& p) {
            seen.push_back(p.bytesDone);
            if (p.bytesDone == cancelAt) progress.cancelRequested = true;
        };
        t.doc.SetParseProgress(&progress);
        ASSERT_EQ(t.control.OpenFile(path), 1);
        EXPECT_EQ(t.control.StartParsing(), ParseCancelled);
        EXPECT_EQ(seen.back(), cancelAt);
        EXPECT_EQ(progress.bytesDone, cancelAt);
        EXPECT_FALSE(t.doc.IsParsed());
        EXPECT_TRUE(t.doc.GetNodes().empty());
        EXPECT_TRUE(t.doc.GetFindings().empty());
        EXPECT_EQ(t.view.lastMessage, "the parse was cancelled.");
        const std::string& log = t.log.GetText();
        EXPECT_NE(log.find("\r\nthe parse was cancelled.\r\n\r\n\r\n---------- parsing done"),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;

        // Asked again without the cancel, the same document gives the whole tree.
        progress.Reset();
        progress.beforeBox = nullptr;
        EXPECT_EQ(t.control.StartParsing(), ParseOk);
        EXPECT_EQ(t.doc.GetNodes().size(), nodeCount);
        EXPECT_EQ(progress.bytesDone, fileSize);
    }
}
