#include "parsing/MobileMP4BoxParsingHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/MobileMP4Boxes.h"
#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

using namespace ISOFileFormat;

namespace {

struct Chapter {
    uint32_t start;
    std::string name;
    bool operator==(const Chapter&) const = default;
};

struct Chapters {
    bool seen = false;
    uint32_t count = 0;
    size_t reserved = 0;
    std::vector<Chapter> list;
};

std::function<void(const Box&)> CollectChapters(Chapters& c) {
    return [&c](const Box& b) {
        auto* d =
            b.id == DoCoMoChapterBox::kId ? dynamic_cast<const DoCoMoChapterBox*>(&b) : nullptr;
        if (!d) return;
        c.seen = true;
        c.count = d->entry_count;
        c.reserved = d->entries.capacity();
        for (const auto& e : d->entries) {
            EXPECT_EQ(e.length, e.chapter_name.size());
            c.list.push_back(
                {e.start_time, std::string(e.chapter_name.begin(), e.chapter_name.end())});
        }
    };
}

}  // namespace

TEST(MobileMP4Handler, DrmContainerAndDrmBox) {
    BoxBuilder f;
    f.Open("drm ").Open("dcmd").U16(1).Close().Close();
    f.Open("dcmd").U16(2).Zeros(2).Close();
    std::vector<uint16_t> rights;
    ParseOutcome o = ParseRecords(f, [&](const Box& b) {
        if (auto* d = dynamic_cast<const DoCoMoDRMBox*>(&b))
            rights.push_back(d->distiribution_right);
    });
    EXPECT_EQ(o.result, 0);
    std::vector<std::pair<std::string, int32_t>> depths;
    for (const RecordedBox& e : o.entries)
        depths.emplace_back(e.type, e.depth);
    EXPECT_EQ(depths, (std::vector<std::pair<std::string, int32_t>>{
                          {"drm ", 0}, {"dcmd", 1}, {"dcmd", 0}}));
    EXPECT_EQ(rights, (std::vector<uint16_t>{1, 2}));
    // Only the second 'dcmd' holds more than its one field.
    EXPECT_EQ(o.log.find("WARNING :"), o.log.rfind("WARNING :"));
    EXPECT_NE(o.log.find("passed length : 2 bytes."), std::string::npos) << o.log;
}

TEST(MobileMP4Handler, ChapterBox) {
    // No chapters: 16 bytes, read whole.
    BoxBuilder none;
    none.OpenFull("dcmc", 0, 0).U32(0).Close();
    Chapters c0;
    ParseOutcome o = ParseRecords(none, CollectChapters(c0));
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.warnings.empty()) << o.log;
    EXPECT_TRUE(c0.seen);
    EXPECT_TRUE(c0.list.empty());

    // One chapter with an empty name.
    BoxBuilder empty;
    empty.OpenFull("dcmc", 0, 0).U32(1).U32(5000).U32(0).Close();
    Chapters c1;
    o = ParseRecords(empty, CollectChapters(c1));
    EXPECT_TRUE(o.warnings.empty()) << o.log;
    EXPECT_EQ(c1.list, (std::vector<Chapter>{{5000, ""}}));

    // Several chapters, one after the other.
    BoxBuilder several;
    several.OpenFull("dcmc", 0, 0).U32(3).U32(0).U32(5).Text("Intro").U32(90000).U32(0);
    several.U32(180000).U32(6).Text("Finale").Close();
    Chapters c3;
    o = ParseRecords(several, CollectChapters(c3));
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.warnings.empty()) << o.log;
    EXPECT_EQ(c3.count, 3u);
    EXPECT_EQ(c3.list, (std::vector<Chapter>{{0, "Intro"}, {90000, ""}, {180000, "Finale"}}));
}

TEST(MobileMP4Handler, HostileChapterCounts) {
    const std::vector<uint8_t> padding(4096);

    // A count far beyond the box: nothing reserved beyond the one chapter the box holds, and
    // the parse ends as a read beyond the box ends it.
    BoxBuilder count;
    count.OpenFull("dcmc", 0, 0).U32(0x10000000).U32(1).U32(1).Text("a").Close();
    count.Leaf("free", padding);
    Chapters c;
    ParseOutcome o = ParseRecords(count, CollectChapters(c));
    EXPECT_EQ(o.result, 3);
    EXPECT_LE(c.reserved, 1u);
    EXPECT_EQ(c.list, (std::vector<Chapter>{{1, "a"}}));

    // A count whose table could not even be addressed in 32 bits: a failed allocation.
    BoxBuilder huge;
    huge.OpenFull("dcmc", 0, 0).U32(0xFFFFFFFF).Close().Leaf("free", padding);
    EXPECT_EQ(ParseRecords(huge).result, 4);

    // A name length beyond the box but within the file: not allocated, the box reads long.
    BoxBuilder name;
    name.Open("drm ").OpenFull("dcmc", 0, 0).U32(1).U32(0).U32(1000).Text("abc").Close();
    name.Leaf("free", padding).Close();
    Chapters n;
    o = ParseRecords(name, CollectChapters(n));
    EXPECT_EQ(o.result, 3);
    EXPECT_TRUE(n.seen);
    EXPECT_TRUE(n.list.empty());

    // A name length beyond the file: the file ends inside the box.
    BoxBuilder beyond;
    beyond.Open("drm ").OpenFull("dcmc", 0, 0).U32(1).U32(0).U32(0xFFFFFFF0).Close().Close();
    EXPECT_EQ(ParseRecords(beyond).result, 3);
}
