#include "presentation/MobileMP4ViewBoxHandler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/NodePipeline.h"

namespace {

ParsedNodes Parse(const BoxBuilder& file) {
    std::vector<std::unique_ptr<IViewBoxHandler>> handlers;
    handlers.push_back(std::make_unique<CMobileMP4ViewBoxHandler>());
    ParsedNodes nodes = ParseToNodes(file, handlers);
    EXPECT_EQ(nodes.result, 0) << nodes.log;
    return nodes;
}

}  // namespace

TEST(CMobileMP4ViewBoxHandler, DRMBoxShowsTheRedistributionBit) {
    BoxBuilder f;
    f.Open("drm ");
    f.Open("dcmd").U16(0x0001).Close();
    f.Open("dcmd").U16(0x0000).Close();
    f.Open("dcmd").U16(0x0002).Close();
    f.Close();
    const ParsedNodes n = Parse(f);
    ASSERT_EQ(n.texts.size(), 4u);
    // The container has nothing to show; 'dcmd' is a plain box: no version or flags.
    EXPECT_EQ(n.texts[0],
              "\n| + drm \n| + DRM Information Box\n| + drm information box, container");
    const std::string head = "\n| + dcmd\n| + DoCoMo DRM Box\n| + DoCoMo DRM\n";
    EXPECT_EQ(n.texts[1], head + "| + distiribution_right : 0x0001 (re-distribution not allowed)");
    EXPECT_EQ(n.texts[2], head + "| + distiribution_right : 0x0000 (re-distribution allowed)");
    // Only bit 0 counts.
    EXPECT_EQ(n.texts[3], head + "| + distiribution_right : 0x0002 (re-distribution allowed)");
}

TEST(CMobileMP4ViewBoxHandler, ChapterList) {
    const std::string head =
        "\n| + dcmc\n| + DoCoMo Chapter Box\n| + beginning position info of chapter\n"
        "| + version : 0 (0x0)\n|   flags : 000000h\n";

    BoxBuilder none;
    none.OpenFull("dcmc", 0, 0).U32(0).Close();
    EXPECT_EQ(Parse(none).TextOf("dcmc"), head + "| + entry_count : 0 (0x0)\n|    : Entry List");

    BoxBuilder several;
    several.OpenFull("dcmc", 0, 0).U32(4);
    several.U32(0).U32(0);                                // empty name
    several.U32(5000).U32(5).Text("Intro");               // right-aligned start time
    several.U32(0x80000000u).U32(3).Text("End");          // above 2^31: still unsigned
    several.U32(1).U32(201).Text(std::string(201, 'x'));  // too long to show
    several.Close();
    EXPECT_EQ(
        Parse(several).TextOf("dcmc"),
        head +
            "| + entry_count : 4 (0x4)\n"
            "|    : Entry List\n"
            "|   [0] : start_time :          0 (0x00000000),\t length : 0,\t chapter_name : \n"
            "|   [1] : start_time :       5000 (0x00001388),\t length : 5,\t chapter_name : "
            "Intro\n"
            "|   [2] : start_time : 2147483648 (0x80000000),\t length : 3,\t chapter_name : "
            "End\n"
            "|   [3] : start_time :          1 (0x00000001),\t length : 201,\t chapter_name : ");

    // A name of exactly 200 characters is still shown; Latin-1 bytes become their characters.
    BoxBuilder edge;
    edge.OpenFull("dcmc", 0, 0).U32(2);
    edge.U32(7).U32(200).Text(std::string(200, 'y'));
    edge.U32(8).U32(4).Bytes({'C', 0xE9, 'l', 'a'});
    edge.Close();
    const std::string text = Parse(edge).TextOf("dcmc");
    EXPECT_NE(text.find("length : 200,\t chapter_name : " + std::string(200, 'y') + "\n"),
              std::string::npos);
    EXPECT_NE(text.find("length : 4,\t chapter_name : C\xC3\xA9la"), std::string::npos);
}
