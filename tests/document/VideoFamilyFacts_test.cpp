#include "document/VideoFamilyFacts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
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

// The configuration box `id` ('hvcC', 'av1C' or 'vpcC' of `version`) with a profile and level.
Make Config(int32_t id, uint8_t profile, uint8_t level, uint8_t version = 1) {
    return [=]() -> std::unique_ptr<Box> {
        if (id == BoxId::HvcC) {
            auto h = std::make_unique<HEVCConfigurationBox>(30);
            std::tie(h->general_profile_idc, h->general_level_idc) = std::tie(profile, level);
            return h;
        }
        if (id == BoxId::Av1C) {
            auto a = std::make_unique<AV1ConfigurationBox>(12);
            std::tie(a->seq_profile, a->seq_level_idx_0) = std::tie(profile, level);
            return a;
        }
        auto v = std::make_unique<VPConfigurationBox>(20);
        std::tie(v->version, v->profile, v->level) = std::tie(version, profile, level);
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

// Name, width, and profile/level when the configuration gave them.
std::string Facts(const VideoCodecInfo& video) {
    std::string text = video.name;
    text.append(" ").append(std::to_string(video.width));
    const uint32_t bits = CodecInfoBit::Profile | CodecInfoBit::Level;
    if ((video.mask & bits) == bits) {
        text.append(" ").append(std::to_string(video.profile));
        text.append("/").append(std::to_string(video.level));
    }
    return text;
}

}  // namespace

// Records noted in the order a file lists them, and the facts they leave.
TEST(VideoFamilyFacts, NameSizeProfileAndLevelOfEachEntry) {
    const std::vector<std::tuple<std::vector<Make>, std::string>> cases = {
        {{Entry(BoxId::Hvc1, 1920), Config(BoxId::HvcC, 2, 153)}, "H.265 1920 2/153"},
        {{Entry(BoxId::Hev1), Config(BoxId::HvcC, 1, 93)}, "H.265 320 1/93"},
        {{Entry(BoxId::Avc3)}, "H.264 320"},
        {{Entry(BoxId::Av01, 640), Config(BoxId::Av1C, 1, 13)}, "AV1 640 1/13"},
        {{Entry(BoxId::Vp09), Config(BoxId::VpcC, 2, 41)}, "VP9 320 2/41"},
        {{Entry(BoxId::Vp08), Config(BoxId::VpcC, 3, 9, 0)}, "VP8 320"},  // an older 'vpcC'
        {{Entry(BoxId::Dvh1), Config(BoxId::HvcC, 2, 150), Dovi(BoxId::DvcC)},
         "H.265 (Dolby Vision) 320 2/150"},
        {{Entry(BoxId::Hvc1), Dovi(BoxId::DvvC)}, "H.265 (Dolby Vision) 320"},
        {{Entry(BoxId::Dvav)}, "H.264 (Dolby Vision) 320"},
        {{Entry(BoxId::Encv, 1280), Config(BoxId::HvcC, 1, 120), Frma("hev1")}, "H.265 1280 1/120"},
        {{Entry(BoxId::Encv), Frma("dvhe")}, "H.265 (Dolby Vision) 320"},
        {{Entry(BoxId::Encv), Frma("avc1")}, "H.264 320"},
        // An audio format is not video's to name.
        {{Entry(BoxId::Encv), Frma("mp4a")}, "Protected video 320"},
        {{Dovi(BoxId::DvcC)}, " 0"},
        // Each entry replaces the facts of the one before, but for the profile and level.
        {{Entry(BoxId::Av01, 640), Config(BoxId::Av1C, 0, 8), Entry(BoxId::Vp08, 176)},
         "VP8 176 0/8"},
    };
    for (const auto& [records, expected] : cases) {
        CTrackInfoCollector collector;
        std::vector<std::unique_ptr<Box>> kept;
        for (const Make& make : records) {
            kept.push_back(make());
            collector.Note(*kept.back());
        }
        EXPECT_EQ(Facts(collector.GetVideoInfo()), expected);
    }
}
