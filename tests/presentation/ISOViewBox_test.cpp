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

// Rows written when needed against the same items stored as text: measured, drawn, exported
// and read back alike, with stored items around them.
TEST(ISOViewBox, RowsLookLikeStoredItems) {
    const auto value = [](size_t row) { return uint64_t{0xFFFFFFFF} + row * (row % 3); };
    constexpr size_t kRows = 100000;
    CISOViewBoxItemLayer stored(LayerKind::Contents);
    CISOViewBoxItemLayer rows(LayerKind::Contents);
    for (CISOViewBoxItemLayer* layer : {&stored, &rows}) {
        layer->AddNumber("entry_count", kRows);
        layer->AddHeading("Entry List");
    }
    for (size_t i = 0; i < kRows; ++i)
        stored.BeginItem().Text("entry ").Unsigned(i + 1).Value().Char('\t').Hex(value(i), 8);
    rows.AddRows(kRows, [&value](size_t row, CItemTextWriter& item) {
        item.Text("entry ").Unsigned(row + 1).Value().Char('\t').Hex(value(row), 8);
    });
    for (CISOViewBoxItemLayer* layer : {&stored, &rows})
        layer->AddItem("after", "");

    ASSERT_EQ(rows.GetItemCount(), kRows + 3);
    EXPECT_EQ(rows.GetText(1), stored.GetText(1));
    for (size_t i : {size_t{0}, size_t{1}, size_t{2}, kRows + 1, kRows + 2}) {
        EXPECT_EQ(rows.GetLabel(i), stored.GetLabel(i)) << i;
        EXPECT_EQ(rows.GetValue(i), stored.GetValue(i)) << i;
        EXPECT_EQ(rows.IsHeading(i), stored.IsHeading(i)) << i;
        EXPECT_EQ(rows.GetItemValue(i).kind, stored.GetItemValue(i).kind) << i;
    }

    CRecordingSurface rowSurface;
    CRecordingSurface storedSurface;
    rows.Measure(rowSurface);
    stored.Measure(storedSurface);
    EXPECT_EQ(rows.GetLabelColumnWidth(), stored.GetLabelColumnWidth());
    EXPECT_EQ(rows.GetValueColumnWidth(), stored.GetValueColumnWidth());
    EXPECT_EQ(rows.GetHeight(), (kRows + 3) * 21 + 4 + 12);
    EXPECT_EQ(rows.GetHeight(), stored.GetHeight());
    // Rows start at 5 + 21 * 2 + 4: row i spans 51 + 21i to 72 + 21i. The clips take the top
    // (two items and the first row), a band from the bottom edge of row 1 to the top edge of row 7,
    // one far down a list taller than a pixel coordinate can reach, where nothing may wrap around,
    // and the last three rows with the item after them.
    const struct {
        int32_t y;
        Rect clip;
        size_t texts;
    } kScreens[] = {{0, Rect{0, 0, 500, 60}, 5},
                    {0, Rect{0, 93, 500, 198}, 14},
                    {-2000000, Rect{0, 0, 500, 800}, 78},
                    {-2100000, Rect{0, 0, 500, 62}, 8}};
    for (const auto& screen : kScreens) {
        rowSurface.Clear();
        storedSurface.Clear();
        rows.Draw(rowSurface, 0, screen.y, screen.clip);
        stored.Draw(storedSurface, 0, screen.y, screen.clip);
        EXPECT_EQ(rowSurface.GetCalls(), storedSurface.GetCalls()) << screen.y;
        // One screen of rows writes about one screen of text: two per line.
        EXPECT_EQ(rowSurface.GetCalls("text").size(), screen.texts) << screen.y;
    }
}
