#include "document/VideoFamilyFacts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/TrackInfoCollector.h"
#include "model/SampleEntries.h"
#include "model/VideoBoxes.h"

using namespace ISOFileFormat;

namespace {

using Make = std::function<std::unique_ptr<Box>()>;

Make Entry(int32_t id, uint16_t width = 320, uint16_t height = 240) {
    return [=] {
        auto e = std::make_unique<VisualSampleEntry>(id, 100);
        e->width = width;
        e->height = height;
        return e;
    };
}

Make Hevc(uint8_t profile, uint8_t level) {
    return [=] {
        auto h = std::make_unique<HEVCConfigurationBox>(30);
        h->general_profile_idc = profile;
        h->general_level_idc = level;
        return h;
    };
}

Make Av1(uint8_t profile, uint8_t level) {
    return [=] {
        auto a = std::make_unique<AV1ConfigurationBox>(12);
        a->seq_profile = profile;
        a->seq_level_idx_0 = level;
        return a;
    };
}

Make Vp(uint8_t version, uint8_t profile, uint8_t level) {
    return [=] {
        auto v = std::make_unique<VPConfigurationBox>(20);
        v->version = version;
        v->profile = profile;
        v->level = level;
        return v;
    };
}

Make Dovi(int32_t id) {
    return [=] { return std::make_unique<DolbyVisionConfigurationBox>(id, 32); };
}

Make Frma(const char* format) {
    return [=] {
        auto f = std::make_unique<OriginalFormatBox>(12);
        std::memcpy(f->data_format, format, 4);
        return f;
    };
}

struct Case {
    const char* what;
    std::vector<Make> records;  // noted in this order, as a file lists them
    std::string name;
    uint16_t width;
    bool profileAndLevel;
    uint8_t profile;
    uint8_t level;
};

}  // namespace

TEST(VideoFamilyFacts, NameSizeProfileAndLevelOfEachEntry) {
    const std::vector<Case> cases = {
        {"hvc1", {Entry(BoxId::Hvc1, 1920), Hevc(2, 153)}, "H.265", 1920, true, 2, 153},
        {"hev1", {Entry(BoxId::Hev1), Hevc(1, 93)}, "H.265", 320, true, 1, 93},
        {"avc3", {Entry(BoxId::Avc3)}, "H.264", 320, false, 0, 0},
        {"av01", {Entry(BoxId::Av01, 640), Av1(1, 13)}, "AV1", 640, true, 1, 13},
        {"vp09", {Entry(BoxId::Vp09), Vp(1, 2, 41)}, "VP9", 320, true, 2, 41},
        {"vp08 with an older vpcC", {Entry(BoxId::Vp08), Vp(0, 3, 9)}, "VP8", 320, false, 0, 0},
        {"dvh1",
         {Entry(BoxId::Dvh1), Hevc(2, 150), Dovi(BoxId::DvcC)},
         "H.265 (Dolby Vision)",
         320,
         true,
         2,
         150},
        {"hvc1 with dvvC",
         {Entry(BoxId::Hvc1), Dovi(BoxId::DvvC)},
         "H.265 (Dolby Vision)",
         320,
         false,
         0,
         0},
        {"dvav", {Entry(BoxId::Dvav)}, "H.264 (Dolby Vision)", 320, false, 0, 0},
        {"encv of hev1",
         {Entry(BoxId::Encv, 1280), Hevc(1, 120), Frma("hev1")},
         "H.265",
         1280,
         true,
         1,
         120},
        {"encv of dvhe",
         {Entry(BoxId::Encv), Frma("dvhe")},
         "H.265 (Dolby Vision)",
         320,
         false,
         0,
         0},
        {"encv of avc1", {Entry(BoxId::Encv), Frma("avc1")}, "H.264", 320, false, 0, 0},
        // An audio format is not video's to name.
        {"encv of mp4a", {Entry(BoxId::Encv), Frma("mp4a")}, "Protected video", 320, false, 0, 0},
        {"dvcC alone", {Dovi(BoxId::DvcC)}, "", 0, false, 0, 0},
        // Each entry replaces the facts of the one before.
        {"two tracks",
         {Entry(BoxId::Av01, 640), Av1(0, 8), Entry(BoxId::Vp08, 176)},
         "VP8",
         176,
         true,
         0,
         8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTrackInfoCollector collector;
        std::vector<std::unique_ptr<Box>> records;
        for (const Make& make : c.records) {
            records.push_back(make());
            collector.Note(*records.back());
        }
        const VideoCodecInfo& video = collector.GetVideoInfo();
        EXPECT_EQ(video.name, c.name);
        EXPECT_EQ(video.width, c.width);
        const uint32_t bits = CodecInfoBit::Profile | CodecInfoBit::Level;
        EXPECT_EQ((video.mask & bits) == bits, c.profileAndLevel);
        EXPECT_EQ(video.profile, c.profile);
        EXPECT_EQ(video.level, c.level);
    }
}
