#include "presentation/ISOViewBox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "model/SampleEntries.h"
#include "presentation/RecordingSurface.h"

using ISOFileFormat::Box;

// Nodes of every box of real files are pinned by the expected exports, flat and indented; these
// are the forms they do not show.
TEST(ISOViewBox, NamesFromTheCatalogueOrTheTypeBytes) {
    Box moov(BoxId::Moov, 5000000000ull);
    std::memcpy(moov.type, "moov", 4);
    CISOViewBox node(&moov, 0, 32);
    ASSERT_EQ(node.GetLayers().size(), 5u);  // its text, as every known box's, is exported
    node.SetContainer(true);
    EXPECT_EQ(node.GetSummaryText(), "Box Size : 5000000000 bytes, Container");

    // Unknown types: the raw bytes in quotes (Latin-1, up to a zero byte), no description.
    Box odd(BoxId::Unknown, 8);
    const uint8_t oddType[4] = {0xA9, 'a', 0, 'z'};
    std::memcpy(odd.type, oddType, 4);
    EXPECT_EQ(CISOViewBox(&odd, 1, 0).GetText(false),
              "\n| + '\xC2\xA9"
              "a'\n| + Unknown Type");
    // The catalogue's "-" for generic audio entries.
    ISOFileFormat::AudioSampleEntry audio(BoxId::AudioSampleEntry, 40);
    EXPECT_EQ(CISOViewBox(&audio, 3, 0).GetShortTypeNameLayer()->Text(), "-");
}

TEST(ISOViewBox, SectionsOfTheDocument) {
    CISOViewBox section(nullptr, 1, 0);
    EXPECT_EQ(section.GetSummaryText(), "Not an Actual Box");
    // A conformance section has two layers per brand, hundreds for some files.
    auto* title = section.AddLayer(std::make_unique<CISOViewBoxLayer>(LayerKind::Title));
    title->SetText("Conformance");
    section.SetShortTypeNameLayer(title);
    section.SetTitleColours(Rgb(255, 255, 255), Rgb(79, 104, 77));
    auto* tests = section.AddLayer(std::make_unique<CISOViewBoxMultiLineLayer>(3));
    tests->SetFont("Tahoma", 80, false, true);
    tests->SetMargins(2, 1, 2, 1);
    tests->AddLine("Test : a");
    tests->AddLine("=> Failure", Rgb(255, 0, 0));
    for (int i = 0; i < 600; ++i) {
        auto* layer = section.AddLayer(std::make_unique<CISOViewBoxMultiLineLayer>(3));
        layer->AddLine(std::to_string(i));
        layer->SetVisible(i % 300 == 299);
    }
    EXPECT_EQ(section.GetText(true),
              "\n\t| + Conformance\n\t| + Test : a\n\t| + => Failure\n\t| + 299\n\t| + 599");

    CRecordingSurface surface;
    section.Draw(surface, 0, 0, Rect{0, 0, 800, 70});
    const std::vector<std::string> calls = surface.GetCalls();
    const std::vector<std::string> expected = {
        "rect (0,0,80,27) fill #4F684D outline #00061F pen 2",
        "text centre (0,0,78,25) #FFFFFF \"Conformance\"",
        "rect (0,25,80,73) fill #928F49 outline #00061F pen 2",
        "text left (2,26,76,47) #000000 font Tahoma 80 i \"Test : a\"",
        "text left (2,47,76,68) #FF0000 font Tahoma 80 i \"=> Failure\""};
    EXPECT_EQ(std::vector<std::string>(calls.end() - 5, calls.end()), expected);
}

TEST(ISOViewBox, MeasuresItemColumnsAndDrawsHeadingBands) {
    const uint8_t flags[3] = {0, 0x0A, 0xF1};
    ISOFileFormat::FullBox box(BoxId::Stsd, 16, 1, flags);
    std::memcpy(box.type, "stsd", 4);
    CISOViewBox node(&box, 0, 0);
    node.AddVersionFlags(box);
    CISOViewBoxItemLayer& contents = *node.GetContentsLayer();
    contents.AddNumber("entry_count", 1);             // label 11, value 7
    contents.AddHeading("Entry List");                // value 10
    contents.AddItem("entry 1", "a\tb");              // tab expanded: 9 columns
    contents.AddItem("entry 2", "sample_count : 1");  // value 16
    contents.SetVisible(true);
    CRecordingSurface surface;
    const Extent size = node.GetSize(surface);
    EXPECT_EQ(node.GetHeaderLayer()->GetValueColumnWidth(), 7 * 6);  // "1 (0x1)", "000AF1h"
    EXPECT_EQ(contents.GetLabelColumnWidth(), 11 * 6);
    EXPECT_EQ(contents.GetValueColumnWidth(), 16 * 6);
    // A heading that is not the first item is 4 taller.
    EXPECT_EQ(contents.GetHeight(), 4 * 21 + 4 + 12);
    // The description is wider than the columns; every layer takes the node's width.
    EXPECT_EQ(size.width, int32_t(std::strlen(GetBoxDescription(BoxId::Stsd))) * 6 + 12);
    EXPECT_EQ(contents.GetWidth(), size.width);
    EXPECT_EQ(size.height, 3 * 25 + 54 + 100);

    CISOViewBoxItemLayer layer(LayerKind::Contents);
    layer.AddItem("ab", "xyz");
    layer.AddHeading("H");
    layer.AddItem("c", "d");
    layer.Measure(surface);
    surface.Clear();
    layer.Draw(surface, 10, 20, Rect{0, 0, 800, 600});
    // Heading shades: 150/255 of the colour over the black shade, truncated.
    const std::vector<std::string> expected = {
        "rect (10,20,66,101) fill #003651 outline #00061F pen 2",
        "fill (11,21,33,100) #006394",
        "text left (18,25,30,46) #FFFFFF tabs \"ab\"",
        "text left (36,25,59,46) #FFFFFF tabs \"xyz\"",
        "fill (11,48,33,71) #003A57",
        "fill (33,48,65,71) #001F2F",
        "text centre (10,48,64,71) #FFFFFF tabs \"H\"",
        "text left (18,71,30,92) #FFFFFF tabs \"c\"",
        "text left (36,71,59,92) #FFFFFF tabs \"d\""};
    EXPECT_EQ(surface.GetCalls(), expected);
}

TEST(ISOViewBox, DrawsOnlyTheVisibleLinesOfALongList) {
    CISOViewBoxItemLayer layer(LayerKind::Contents);
    for (int i = 0; i < 100000; ++i)
        layer.BeginItem().Text("entry ").Unsigned(i + 1).Value().Text("v");
    CRecordingSurface surface;
    layer.Measure(surface);
    EXPECT_EQ(layer.GetHeight(), 100000 * 21 + 12);
    // Line i spans 5 + 21i to 26 + 21i: lines 4 to 9 touch the band from 100 to 200.
    surface.Clear();
    layer.Draw(surface, 0, 0, Rect{0, 100, 500, 200});
    std::vector<std::string> texts = surface.GetCalls("text");
    ASSERT_EQ(texts.size(), 12u);
    EXPECT_NE(texts.front().find("\"entry 5\""), std::string::npos);
    // Far down a list taller than a pixel coordinate can reach, nothing wraps around.
    surface.Clear();
    layer.Draw(surface, 0, -2000000, Rect{0, 0, 500, 30});
    texts = surface.GetCalls("text");
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_NE(texts.front().find("\"entry 95238\""), std::string::npos);
}
