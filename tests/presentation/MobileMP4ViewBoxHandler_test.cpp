#include "presentation/MobileMP4ViewBoxHandler.h"

#include <gtest/gtest.h>

#include <string>

#include "support/RecordPipeline.h"

namespace {

BoxBuilder Right(uint16_t bits) {
    return BoxBuilder().Open("drm ").Open("dcmd").U16(bits).Close().Close();
}

BoxBuilder Chapters() {
    BoxBuilder b;
    b.OpenFull("dcmc", 0, 0).U32(6).U32(0).U32(0);                // empty name
    b.U32(5000).U32(5).Text("Intro");                             // right-aligned start time
    b.U32(0x80000000u).U32(3).Text("End");                        // above 2^31: still unsigned
    b.U32(1).U32(201).Text(std::string(201, 'x'));                // too long to show
    b.U32(2).U32(200).Text(std::string(200, 'y'));                // the longest shown
    return b.U32(8).U32(4).Bytes({'C', 0xE9, 'l', 'a'}).Close();  // Latin-1
}

}  // namespace

TEST(CMobileMP4ViewBoxHandler, RedistributionRightAndChapters) {
    ExpectNodeFields({
        // A plain box; only bit 0 counts. The container has nothing to show.
        {"dcmd", Right(1), {"| + distiribution_right : 0x0001 (re-distribution not allowed)"}},
        {"dcmd", Right(2), {"| + distiribution_right : 0x0002 (re-distribution allowed)"}},
        {"drm ", Right(1), {}},
        {"dcmc",
         WordBox("dcmc", 0, 0, {0}),
         {"| + version : 0 (0x0)", "|   flags : 000000h", "| + entry_count : 0 (0x0)",
          "|    : Entry List"}},
        {"dcmc",
         Chapters(),
         {"...", "|   [0] : start_time :          0 (0x00000000),\t length : 0,\t chapter_name : ",
          "|   [1] : start_time :       5000 (0x00001388),\t length : 5,\t chapter_name : Intro",
          "|   [2] : start_time : 2147483648 (0x80000000),\t length : 3,\t chapter_name : End",
          "|   [3] : start_time :          1 (0x00000001),\t length : 201,\t chapter_name : ",
          "|   [4] : start_time :          2 (0x00000002),\t length : 200,\t chapter_name : " +
              std::string(200, 'y'),
          "|   [5] : start_time :          8 (0x00000008),\t length : 4,\t chapter_name : "
          "C\xC3\xA9la"}},
    });
}
