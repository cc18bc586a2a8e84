#include "parsing/MobileMP4BoxParsingHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/MobileMP4Boxes.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

using namespace ISOFileFormat;

namespace {

std::string Describe(const Box& b) {
    if (b.id == BoxId::Drm) return "drm";
    if (auto* d = As<DoCoMoDRMBox>(b)) return Fields("dcmd", d->distiribution_right);
    if (auto* c = As<DoCoMoChapterBox>(b))
        return WithEntries(Fields("dcmc", c->entry_count), c->entries, [](const auto& e) {
            return Fields(e.start_time, e.length,
                          std::string(e.chapter_name.begin(), e.chapter_name.end()));
        });
    return "";
}

TEST(MobileMP4Handler, DrmAndChapterBoxes) {
    // The DRM container and its box; a longer box is passed.
    BoxBuilder drm;
    drm.Open("drm ").Open("dcmd").U16(1).Close().Close().Open("dcmd").U16(2).Zeros(2).Close();
    EXPECT_EQ(RecordLines(drm, Describe), (Lines{"drm", "dcmd 1", "dcmd 2", "passed dcmd:2"}));
    // Chapters: none, an empty name, several.
    BoxBuilder chapters;
    chapters.OpenFull("dcmc", 0, 0).U32(0).Close();
    chapters.OpenFull("dcmc", 0, 0).U32(1).U32(5000).U32(0).Close();
    chapters.OpenFull("dcmc", 0, 0).U32(3).U32(0).U32(5).Text("Intro").U32(90000).U32(0);
    chapters.U32(180000).U32(6).Text("Finale").Close();
    EXPECT_EQ(RecordLines(chapters, Describe),
              (Lines{"dcmc 0", "dcmc 1 5000 0 ", "dcmc 3 0 5 Intro 90000 0  180000 6 Finale"}));
}

}  // namespace
