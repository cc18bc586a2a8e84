#include "document/OrvexDoc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/ParseControl.h"
#include "document/TreeExport.h"
#include "presentation/FixedMetricSurface.h"
#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

namespace {

struct Harness {
    CTestDocumentView view;
    CStringLogWriter log;
    CMemorySettingsStore settings;
    COrvexDoc doc{view, &log, settings};
    CParseControl control{doc, view, settings};

    // The boxes' nodes, after the three quick information nodes.
    std::vector<const CISOViewBox*> Boxes() const {
        std::vector<const CISOViewBox*> out;
        for (size_t i = 3; i < doc.GetViewBoxes().size(); ++i) {
            out.push_back(doc.GetViewBoxes()[i].get());
        }
        return out;
    }
};

// ftyp, moov { mvhd, trak { tkhd } }, mdat: the smallest file with every kind of nesting.
BoxBuilder SmallMovie() {
    BoxBuilder f;
    f.Open("ftyp").FourCC("isom").U32(0x200).FourCC("isom").FourCC("mp41").Close();
    f.Open("moov");
    f.OpenFull("mvhd", 0, 0).U32(0).U32(0).U32(1000).U32(5000).U32(0x10000).U16(0x100).Zeros(10);
    for (uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        f.U32(m);
    f.Zeros(24).U32(2).Close();
    f.Open("trak");
    f.OpenFull("tkhd", 0, 1).U32(0).U32(0).U32(1).U32(0).U32(5000).Zeros(8).U16(0).U16(0);
    f.U16(0).U16(0);
    for (uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        f.U32(m);
    f.U32(176u << 16).U32(144u << 16).Close();
    f.Close().Close();
    f.Leaf("mdat", {1, 2, 3, 4});
    return f;
}
}  // namespace

TEST(OrvexDoc, AttachesNodesByDepthAndLaysOutTheDisplayedPart) {
    Harness h;
    ASSERT_EQ(h.control.OpenFile(SmallMovie().WriteTempFile("small.mp4")), 1);
    ASSERT_TRUE(h.doc.IsParsed());
    EXPECT_TRUE(h.view.warnings.empty());
    const auto& all = h.doc.GetViewBoxes();
    ASSERT_EQ(all.size(), 3u + 6u);
    // The quick information section comes first.
    EXPECT_NE(all[0]->GetText(false).find("Quick Information"), std::string::npos);
    EXPECT_EQ(all[0]->GetChildCount(), 2);
    auto boxes = h.Boxes();
    std::vector<int> depths, children;
    for (const CISOViewBox* b : boxes) {
        depths.push_back(b->GetDepth());
        children.push_back(b->GetChildCount());
    }
    EXPECT_EQ(depths, (std::vector<int>{0, 0, 1, 1, 2, 0}));
    // After 'tkhd' at depth 2 two levels close at once: 'mdat' has no parent.
    EXPECT_EQ(children, (std::vector<int>{0, 2, 0, 1, 0, 0}));
    EXPECT_TRUE(boxes[1]->IsContainer());
    EXPECT_NE(boxes[1]->GetSummaryText().find(", Container"), std::string::npos);
    // A track without 'hdlr' is of an unknown kind.
    EXPECT_NE(boxes[3]->GetText(false).find("| + Unknown Track Box"), std::string::npos);

    // AutoExpand is off by default: the extent counts Quick Information, ftyp, moov and mdat.
    int32_t height = ViewLayout::kTopMargin - ViewLayout::kTopMargin;  // ComputeExtent starts at 0
    int32_t width = 0;
    for (size_t i : {size_t{0}, size_t{3}, size_t{4}, size_t{8}}) {
        height += ViewLayout::kVerticalGap + all[i]->GetHeight();
        width = std::max(width, ViewLayout::kLeftOffset + all[i]->GetWidth());
    }
    EXPECT_EQ(h.doc.GetExtentHeight(), height);
    EXPECT_EQ(h.doc.GetExtentWidth(), width);
    ASSERT_EQ(h.view.scrollSizes.size(), 1u);
    EXPECT_EQ(h.view.scrollSizes[0], (Extent{width, height}));

    // Expanding 'moov' shows its children (but not 'tkhd', under the collapsed 'trak').
    all[4]->SetExpanded(true);
    h.doc.ComputeExtent();
    EXPECT_EQ(h.doc.GetExtentHeight(),
              height + 2 * ViewLayout::kVerticalGap + all[5]->GetHeight() + all[6]->GetHeight());
}

TEST(OrvexDoc, AutoExpandAndParsingOnce) {
    Harness h;
    h.settings.WriteValue(kSettingsKey, "AutoExpand", SettingValue::Number(1));
    ASSERT_EQ(h.control.OpenFile(SmallMovie().WriteTempFile("small.mp4")), 1);
    for (const auto& node : h.doc.GetViewBoxes())
        EXPECT_TRUE(node->IsExpanded());
    const std::string log = h.log.GetText();
    // A parsed file is not parsed again.
    EXPECT_EQ(h.control.StartParsing(), 0);
    EXPECT_EQ(h.log.GetText(), log);
    EXPECT_EQ(h.doc.GetViewBoxes().size(), 9u);

    // With AutoParse off, opening does not parse; StartParsing does.
    Harness manual;
    manual.settings.WriteValue(kSettingsKey, "AutoParse", SettingValue::Number(0));
    ASSERT_EQ(manual.control.OpenFile(SmallMovie().WriteTempFile("small.mp4")), 1);
    EXPECT_FALSE(manual.doc.IsParsed());
    EXPECT_TRUE(manual.doc.GetViewBoxes().empty());
    EXPECT_EQ(manual.control.StartParsing(), 0);
    EXPECT_TRUE(manual.doc.IsParsed());
}

TEST(OrvexDoc, FailedParsesLeaveNoNodesAndSayWhy) {
    Harness h;
    BoxBuilder truncated;
    truncated.Open("moov").Leaf("free").CloseWithSize(400);
    ASSERT_EQ(h.control.OpenFile(truncated.WriteTempFile("truncated.mp4")), 1);
    EXPECT_FALSE(h.doc.IsParsed());
    EXPECT_TRUE(h.doc.GetViewBoxes().empty());
    ASSERT_EQ(h.view.warnings.size(), 1u);
    EXPECT_EQ(h.view.warnings[0],
              "Error: error occured in parsing. check if the file is corrupted.");
    EXPECT_TRUE(h.doc.IsFileOpen());
    // A failed parse may be tried again: it fails the same way.
    EXPECT_EQ(h.control.StartParsing(), 3);

    // A file that cannot be opened: nothing happens, no message.
    EXPECT_EQ(h.control.OpenFile("/nonexistent/file.mp4"), 0);
    EXPECT_EQ(h.view.warnings.size(), 2u);
}

TEST(OrvexDoc, OpeningAnotherFileReplacesTheFirst) {
    Harness h;
    ASSERT_EQ(h.control.OpenFile(SmallMovie().WriteTempFile("first.mp4")), 1);
    const CISOViewBox* before = h.doc.GetViewBoxes().back().get();
    (void)before;
    BoxBuilder other;
    other.Leaf("free", std::vector<uint8_t>(4));
    std::string second = other.WriteTempFile("second.mp4");
    ASSERT_EQ(h.control.OpenFile(second), 1);
    EXPECT_EQ(h.doc.GetFilePath(), second);
    EXPECT_EQ(h.doc.GetViewBoxes().size(), 3u + 1u);
    EXPECT_EQ(h.view.invalidations, 1);  // the reset before the second file
    h.control.ResetView();
    EXPECT_FALSE(h.doc.IsFileOpen());
    EXPECT_TRUE(h.doc.GetViewBoxes().empty());
    EXPECT_EQ(h.view.scrollSizes.back(), (Extent{1, 1}));
}

TEST(OrvexDoc, ExportWritesEveryNodeAsSingleByteTextModeLines) {
    Harness h;
    ASSERT_EQ(h.control.OpenFile(SmallMovie().WriteTempFile("small.mp4")), 1);
    std::string flatPath = TempPath("flat.txt");
    std::string indentedPath = TempPath("indented.txt");
    ASSERT_TRUE(ExportTreeToFile(h.doc.GetViewBoxes(), "small.mp4", false, flatPath));
    ASSERT_TRUE(ExportTreeToFile(h.doc.GetViewBoxes(), "small.mp4", true, indentedPath));
    auto read = [](const std::string& p) {
        std::FILE* f = std::fopen(p.c_str(), "rb");
        std::string s;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            s.append(buf, n);
        std::fclose(f);
        return s;
    };
    std::string flat = read(flatPath);
    std::string indented = read(indentedPath);
    EXPECT_EQ(flat.rfind("Parsed File Name : small.mp4\r\n\r\n| + Quick Information", 0), 0u);
    EXPECT_NE(flat.find("\r\n| + tkhd\r\n"), std::string::npos);
    EXPECT_NE(indented.find("\r\n\t\t| + tkhd\r\n"), std::string::npos);
    EXPECT_EQ(flat.find("\n\n"), std::string::npos);  // every break is CR LF
    // Without the tabs, the indented export is the flat one.
    std::string untabbed;
    for (char c : indented) {
        if (c != '\t') untabbed.push_back(c);
    }
    EXPECT_EQ(untabbed, flat);
    EXPECT_FALSE(ExportTreeToFile(h.doc.GetViewBoxes(), "x", false, "/nonexistent/dir/out.txt"));
}
