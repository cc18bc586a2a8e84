#include "document/VideoFamilyFacts.h"

#include <string_view>

#include "model/BoxCatalogue.h"
#include "model/SampleEntries.h"
#include "model/VideoBoxes.h"

using namespace ISOFileFormat;

namespace {

constexpr std::string_view kDolbyVision = " (Dolby Vision)";

// The name users see for a video sample entry type; null for one that is not video.
const char* VideoFormatName(int32_t entryId) {
    switch (entryId) {
        case BoxId::Mp4v:
            return "MPEG-4";
        case BoxId::S263:
            return "H.263";
        case BoxId::Avc1:
        case BoxId::Avc3:
            return "H.264";
        case BoxId::Hvc1:
        case BoxId::Hev1:
            return "H.265";
        case BoxId::Dvh1:
        case BoxId::Dvhe:
            return "H.265 (Dolby Vision)";
        case BoxId::Dvav:
            return "H.264 (Dolby Vision)";
        case BoxId::Av01:
            return "AV1";
        case BoxId::Vp09:
            return "VP9";
        case BoxId::Vp08:
            return "VP8";
        default:
            return nullptr;
    }
}

void SetProfileAndLevel(VideoCodecInfo& video, uint8_t profile, uint8_t level) {
    video.profile = profile;
    video.level = level;
    video.mask |= CodecInfoBit::Profile | CodecInfoBit::Level;
}

}  // namespace

bool NoteVideoFamilyFacts(const Box& record, VideoCodecInfo& video) {
    // The classic boxes keep their classic reading, whichever box set is parsed.
    if (record.id < kClassicBoxCount) return false;
    if (const auto* entry = dynamic_cast<const VisualSampleEntry*>(&record)) {
        const char* name = VideoFormatName(record.id);
        if (name == nullptr && record.id != BoxId::Encv) return false;
        // A protected entry is named by its 'frma', which follows it.
        video.name = name != nullptr ? name : "Protected video";
        video.width = entry->width;
        video.height = entry->height;
        return true;
    }
    if (const auto* frma = dynamic_cast<const OriginalFormatBox*>(&record)) {
        const char* name = VideoFormatName(FindBoxId(frma->data_format));
        if (name == nullptr) return false;
        video.name = name;
        return true;
    }
    if (const auto* hvcC = dynamic_cast<const HEVCConfigurationBox*>(&record)) {
        SetProfileAndLevel(video, hvcC->general_profile_idc, hvcC->general_level_idc);
        return true;
    }
    if (const auto* av1C = dynamic_cast<const AV1ConfigurationBox*>(&record)) {
        SetProfileAndLevel(video, av1C->seq_profile, av1C->seq_level_idx_0);
        return true;
    }
    if (const auto* vpcC = dynamic_cast<const VPConfigurationBox*>(&record)) {
        if (vpcC->version == 1) SetProfileAndLevel(video, vpcC->profile, vpcC->level);
        return true;
    }
    if (dynamic_cast<const DolbyVisionConfigurationBox*>(&record) != nullptr) {
        // An HEVC or AVC entry that carries Dolby Vision besides its base layer.
        if (!video.name.empty() && video.name.find(kDolbyVision) == std::string::npos)
            video.name += kDolbyVision;
        return true;
    }
    return false;
}
