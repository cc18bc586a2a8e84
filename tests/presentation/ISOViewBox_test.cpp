#include "presentation/ISOViewBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "model/SampleEntries.h"
#include "presentation/RecordingSurface.h"

namespace {

void SetType(ISOFileFormat::Box& box, const char (&type)[5]) {
    std::memcpy(box.type, type, 4);
}

std::unique_ptr<ISOFileFormat::Box> MakeBox(const char (&type)[5], uint64_t size = 8) {
    auto box = std::make_unique<ISOFileFormat::Box>(FindBoxId(type), size);
    SetType(*box, type);
    return box;
}

// Short type name layer text, or "<none>".
std::string ShortName(const CISOViewBox& node) {
    return node.GetShortTypeNameLayer() ? node.GetShortTypeNameLayer()->Text() : "<none>";
}

}  // namespace

TEST(ISOViewBox, StandardLayersFromTheCatalogue) {
    const auto moov = MakeBox("moov", 1234);
    CISOViewBox node(moov.get(), 0, 32);
    ASSERT_EQ(node.GetLayers().size(), 5u);
    EXPECT_EQ(ShortName(node), "moov");
    EXPECT_EQ(node.GetShortTypeNameLayer()->GetTextColour(), Rgb(232, 230, 185));
    EXPECT_EQ(node.GetShortTypeNameLayer()->GetBackColour(), Rgb(146, 143, 73));
    EXPECT_EQ(node.GetLongTypeNameLayer()->Text(), "Movie Box");
    EXPECT_EQ(node.GetLongTypeNameLayer()->GetBackColour(), Rgb(182, 178, 91));
    EXPECT_EQ(node.GetLayers()[2]->Text(), "container for all the meta data");
    EXPECT_EQ(node.GetLayers()[2]->GetKind(), LayerKind::Title);
    EXPECT_EQ(node.GetHeaderLayer(), node.GetLayers()[3].get());
    EXPECT_EQ(node.GetContentsLayer(), node.GetLayers()[4].get());
    EXPECT_FALSE(node.GetHeaderLayer()->IsVisible());
    EXPECT_FALSE(node.GetContentsLayer()->IsVisible());
    EXPECT_EQ(node.GetContentsLayer()->GetTextColour(), Rgb(255, 255, 255));
    EXPECT_EQ(node.GetContentsLayer()->GetBackColour(), Rgb(0, 54, 81));
    EXPECT_EQ(node.GetFileOffset(), 32u);
    EXPECT_EQ(node.GetBoxSize(), 1234u);
    EXPECT_TRUE(node.IsExpanded());
    EXPECT_EQ(node.GetChildCount(), 0);
    // A box nobody fills shows its name layers only.
    EXPECT_EQ(node.GetText(false),
              "\n| + moov\n| + Movie Box\n| + container for all the meta data");

    // Unknown types: the raw bytes in quotes (Latin-1, up to a zero byte), no description.
    ISOFileFormat::Box odd(BoxId::Unknown, 8);
    const uint8_t oddType[4] = {0xA9, 'a', 0, 'z'};
    std::memcpy(odd.type, oddType, 4);
    CISOViewBox oddNode(&odd, 1, 0);
    ASSERT_EQ(oddNode.GetLayers().size(), 4u);
    EXPECT_EQ(ShortName(oddNode),
              "'\xC2\xA9"
              "a'");
    EXPECT_EQ(oddNode.GetLongTypeNameLayer()->Text(), "Unknown Type");
    EXPECT_EQ(oddNode.GetText(false),
              "\n| + '\xC2\xA9"
              "a'\n| + Unknown Type");

    // Generic sample entries: the catalogue's "-" for audio, the raw type for the hint kind,
    // whose catalogue type text is empty.
    ISOFileFormat::AudioSampleEntry audio(40);
    SetType(audio, "abcd");
    CISOViewBox audioNode(&audio, 3, 0);
    EXPECT_EQ(ShortName(audioNode), "-");
    EXPECT_EQ(audioNode.GetLayers()[2]->Text(), "audio sample descriptions");
    ISOFileFormat::HintSampleEntry hint(40);
    SetType(hint, "rtp ");
    CISOViewBox hintNode(&hint, 3, 0);
    EXPECT_EQ(ShortName(hintNode), "'rtp '");
    EXPECT_EQ(hintNode.GetLongTypeNameLayer()->Text(), "HintSampleEntry Box");
}

TEST(ISOViewBox, SummaryText) {
    // Sizes beyond 32 bits are printed whole.
    const auto mdat = MakeBox("mdat", 5000000000ull);
    CISOViewBox node(mdat.get(), 0, 0);
    EXPECT_EQ(node.GetSummaryText(), "Box Size : 5000000000 bytes");
    node.SetContainer(true);
    EXPECT_TRUE(node.IsContainer());
    EXPECT_EQ(node.GetSummaryText(), "Box Size : 5000000000 bytes, Container");

    CISOViewBox section(nullptr, 0, 0);
    EXPECT_TRUE(section.GetLayers().empty());
    EXPECT_EQ(section.GetShortTypeNameLayer(), nullptr);
    EXPECT_EQ(section.GetSummaryText(), "Not an Actual Box");
    EXPECT_EQ(section.GetText(true), "");
    // The synthetic helpers do nothing while the section has no layers of its own.
    section.AddItem("a", "b");
    section.SetTitleColours(Rgb(1, 2, 3), Rgb(4, 5, 6));
    section.SetContainer(false);
    EXPECT_EQ(section.GetSummaryText(), "Not an Actual Box");
    section.SetSummaryText("Random Access Point");
    section.SetContainer(true);
    EXPECT_EQ(section.GetSummaryText(), "Random Access Point, Container");

    // Nodes can share one summary text; one of them becoming a container leaves the others'.
    const auto shared = std::make_shared<const std::string>("Random Access Point");
    CISOViewBox first(nullptr, 0, 0);
    CISOViewBox second(nullptr, 0, 0);
    first.ShareSummaryText(shared);
    second.ShareSummaryText(shared);
    first.SetContainer(true);
    EXPECT_EQ(first.GetSummaryText(), "Random Access Point, Container");
    EXPECT_EQ(second.GetSummaryText(), "Random Access Point");
}

TEST(ISOViewBox, TextFormWithHeaderContentsAndIndent) {
    const uint8_t flags[3] = {0x00, 0x0A, 0xF1};
    ISOFileFormat::FullBox mvhd(FindBoxId("mvhd"), 108, 1, flags);
    SetType(mvhd, "mvhd");
    CISOViewBox node(&mvhd, 3, 0);
    node.AddVersionFlags(mvhd);
    EXPECT_TRUE(node.GetHeaderLayer()->IsVisible());
    CISOViewBoxItemLayer& contents = *node.GetContentsLayer();
    contents.SetVisible(true);
    contents.AddHeading("matrix");  // a heading as first item carries the '+' marker
    contents.AddNumber("[0]", 65536);
    contents.AddHeading("");
    contents.AddItem("compressorname", "");

    const std::string flat =
        "\n| + mvhd"
        "\n| + Movie Header Box"
        "\n| + movie header, overall declarations"
        "\n| + version : 1 (0x1)"
        "\n|   flags : 000AF1h"
        "\n| +  : matrix"
        "\n|   [0] : 65536 (0x10000)"
        "\n|    : "
        "\n|   compressorname : 'empty' (zero-lengthed field)";
    EXPECT_EQ(node.GetText(false), flat);

    // Indented: one tab per depth level before every line of every layer.
    std::string indented;
    for (char c : flat) {
        indented += c;
        if (c == '\n') indented += "\t\t\t";
    }
    EXPECT_EQ(node.GetText(true), indented);

    // Invisible layers are left out, wherever they stand.
    node.GetLongTypeNameLayer()->SetVisible(false);
    contents.SetVisible(false);
    EXPECT_EQ(node.GetText(false),
              "\n| + mvhd\n| + movie header, overall declarations"
              "\n| + version : 1 (0x1)\n|   flags : 000AF1h");

    // The streaming form appends to what is already there.
    std::string out = "Parsed File Name : x\n";
    CTextSink sink;
    sink.Buffer() = out;
    node.AppendText(sink, false);
    EXPECT_EQ(sink.GetText(), out + node.GetText(false));
}

TEST(ISOViewBox, MultiLineLayerAndSyntheticSections) {
    CISOViewBox section(nullptr, 1, 0);
    auto* title = section.AddLayer(std::make_unique<CISOViewBoxLayer>(LayerKind::Title));
    title->SetText("Conformance Information");
    section.SetShortTypeNameLayer(title);
    section.SetTitleColours(Rgb(255, 255, 255), Rgb(79, 104, 77));
    EXPECT_EQ(title->GetTextColour(), Rgb(255, 255, 255));
    EXPECT_EQ(title->GetBackColour(), Rgb(79, 104, 77));

    auto* tests = section.AddLayer(std::make_unique<CISOViewBoxMultiLineLayer>(3));
    tests->SetFont("Tahoma", 80, false, true);
    tests->SetMargins(2, 1, 2, 1);
    tests->AddLine("Test : a");
    tests->AddLine("=> Failure", Rgb(255, 0, 0));
    EXPECT_EQ(tests->GetLineColour(0), Rgb(0, 0, 0));
    EXPECT_EQ(section.GetText(true),
              "\n\t| + Conformance Information\n\t| + Test : a\n\t| + => Failure");

    CRecordingSurface surface;
    section.Measure(surface);
    // Title: 23 characters; tests: widest line 10 characters + gaps 3 + 3, margins 2 + 2.
    EXPECT_EQ(title->GetHeight(), 13 + 10 + 2);
    EXPECT_EQ(tests->GetLineHeight(), 21);
    EXPECT_EQ(tests->GetWidestLineWidth(), 60);
    EXPECT_EQ(tests->GetHeight(), 2 * 21 + 1 + 1 + 2);
    EXPECT_EQ(section.GetWidth(), 23 * 6 + 12);
    EXPECT_EQ(tests->GetWidth(), section.GetWidth());  // widened to the node
    EXPECT_EQ(section.GetHeight(), 25 + 46);

    surface.Clear();
    section.Draw(surface, 0, 0, Rect{0, 0, 800, 600});
    const std::vector<std::string> expected = {
        "rect (0,0,152,27) fill #4F684D outline #00061F pen 2",
        "text centre (0,0,150,25) #FFFFFF \"Conformance Information\"",
        "rect (0,25,152,73) fill #928F49 outline #00061F pen 2",
        "text left (2,26,148,47) #000000 font Tahoma 80 i \"Test : a\"",
        "text left (2,47,148,68) #FF0000 font Tahoma 80 i \"=> Failure\"",
    };
    EXPECT_EQ(surface.GetCalls(), expected);
}

// A conformance section gets two layers per brand, and a file may list hundreds of brands: the
// layers keep their order, the title keeps its role and no other role appears.
TEST(ISOViewBox, SectionOfManyLayers) {
    CISOViewBox section(nullptr, 1, 0);
    auto* title = section.AddLayer(std::make_unique<CISOViewBoxLayer>(LayerKind::Title));
    section.SetShortTypeNameLayer(title);
    for (int i = 1; i < 600; ++i) {
        auto* line = section.AddLayer(std::make_unique<CISOViewBoxMultiLineLayer>(3));
        line->AddLine(std::to_string(i));
    }
    ASSERT_EQ(section.GetLayers().size(), 600u);
    EXPECT_EQ(section.GetShortTypeNameLayer(), title);
    EXPECT_EQ(section.GetLayers()[0].get(), title);
    EXPECT_EQ(section.GetLongTypeNameLayer(), nullptr);
    EXPECT_EQ(section.GetHeaderLayer(), nullptr);
    EXPECT_EQ(section.GetContentsLayer(), nullptr);
    section.AddItem("a", "b");  // no contents layer: nothing happens
    const std::string text = section.GetText(false);
    EXPECT_EQ(text.rfind("\n| + \n| + 1\n| + 2\n", 0), 0u);
    EXPECT_NE(text.find("\n| + 254\n| + 255\n| + 256\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 8), "\n| + 599");
}

TEST(ISOViewBox, MeasuresLayersAndNode) {
    const uint8_t flags[3] = {0, 0, 0};
    ISOFileFormat::FullBox box(FindBoxId("stsd"), 16, 0, flags);
    SetType(box, "stsd");
    CISOViewBox node(&box, 0, 0);
    node.AddVersionFlags(box);
    CISOViewBoxItemLayer& contents = *node.GetContentsLayer();
    contents.SetVisible(true);
    contents.AddNumber("entry_count", 1);             // label 11, value 7
    contents.AddHeading("Entry List");                // value 10
    contents.AddItem("entry 1", "a\tb");              // tab expanded: 9 columns
    contents.AddItem("entry 2", "sample_count : 1");  // value 16

    CRecordingSurface surface;
    EXPECT_TRUE(node.NeedsMeasure());
    const Extent size = node.GetSize(surface);
    EXPECT_FALSE(node.NeedsMeasure());
    // Every text is measured once (a heading's empty label not at all), plus one line height
    // per item layer.
    EXPECT_EQ(surface.GetCalls("measure").size(), 3u + (1 + 2 * 2) + (1 + 3 + 4));

    const CISOViewBoxItemLayer& header = *node.GetHeaderLayer();
    EXPECT_EQ(header.GetLabelColumnWidth(), 7 * 6);  // "version"
    EXPECT_EQ(header.GetValueColumnWidth(), 7 * 6);  // "0 (0x0)", "000000h"
    EXPECT_EQ(header.GetLineHeight(), 4 + 4 + 13);
    EXPECT_EQ(header.GetHeight(), 2 * 21 + 5 + 5 + 2);

    EXPECT_EQ(contents.GetLabelColumnWidth(), 11 * 6);
    EXPECT_EQ(contents.GetValueColumnWidth(), 16 * 6);
    // A heading that is not the first item is 4 taller (2 above, 2 taller).
    EXPECT_EQ(contents.GetHeight(), 4 * 21 + 4 + 12);
    const int32_t contentsWidth = 66 + 96 + 2 * (3 + 3) + 12;
    const int32_t descriptionWidth = int32_t(std::strlen(GetBoxDescription(box.id))) * 6 + 12;
    EXPECT_EQ(size.width, std::max(contentsWidth, descriptionWidth));
    EXPECT_EQ(size.height, 3 * 25 + 54 + 100);
    for (const auto& layer : node.GetLayers())
        EXPECT_EQ(layer->GetWidth(), size.width);

    // A heading first in the list gets no extra space; an empty layer is margins and frame.
    CISOViewBoxItemLayer first(LayerKind::Contents);
    first.AddHeading("Track Count");
    first.AddItem("x", "y");
    first.Measure(surface);
    EXPECT_EQ(first.GetHeight(), 2 * 21 + 12);
    CISOViewBoxItemLayer empty(LayerKind::Contents);
    empty.Measure(surface);
    EXPECT_EQ(empty.GetWidth(), 12 + 12);
    EXPECT_EQ(empty.GetHeight(), 12);
}

TEST(ISOViewBox, DrawsItemLayerColumnsAndHeadingBands) {
    CISOViewBoxItemLayer layer(LayerKind::Contents);
    layer.AddItem("ab", "xyz");
    layer.AddHeading("H");
    layer.AddItem("c", "d");
    CRecordingSurface surface;
    layer.Measure(surface);
    EXPECT_EQ(layer.GetWidth(), 54);
    EXPECT_EQ(layer.GetHeight(), 79);
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
        "text left (36,71,59,92) #FFFFFF tabs \"d\"",
    };
    EXPECT_EQ(surface.GetCalls(), expected);

    EXPECT_EQ(CISOViewBoxItemLayer::MixWithShade(Rgb(255, 255, 255), Rgb(138, 138, 138)),
              Rgb(206, 206, 206));
    EXPECT_EQ(CISOViewBoxItemLayer::MixWithShade(Rgb(255, 0, 17), Rgb(0, 255, 0)),
              Rgb(150, 105, 10));
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
    EXPECT_NE(texts[10].find("\"entry 10\""), std::string::npos);

    // Far down a list taller than a pixel coordinate can reach, nothing wraps around.
    surface.Clear();
    layer.Draw(surface, 0, -2000000, Rect{0, 0, 500, 30});
    texts = surface.GetCalls("text");
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_NE(texts.front().find("\"entry 95238\""), std::string::npos);
}

TEST(ISOViewBox, NodeDrawsVisibleLayersStacked) {
    const auto free = MakeBox("free");
    CISOViewBox node(free.get(), 0, 0);
    CRecordingSurface surface;
    node.Draw(surface, 93, 5, Rect{0, 0, 800, 600});  // measures first
    EXPECT_FALSE(node.NeedsMeasure());
    const std::vector<std::string> rects = surface.GetCalls("rect");
    ASSERT_EQ(rects.size(), 3u);  // the hidden header and contents layers are not drawn
    const int32_t w = node.GetWidth();
    EXPECT_EQ(rects[0], "rect (93,5," + std::to_string(93 + w + 2) +
                            ",32) fill #928F49 outline "
                            "#00061F pen 2");
    EXPECT_EQ(rects[1].substr(0, 12), "rect (93,30,");
    EXPECT_EQ(rects[2].substr(0, 12), "rect (93,55,");
    EXPECT_EQ(node.GetHeight(), 75);
}
