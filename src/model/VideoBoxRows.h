#pragma once

#include "model/BoxCatalogueRow.h"

// The video family beyond the classic set: today's video sample entries, their decoder
// configurations, and the boxes that describe the picture (aspect ratio, colour, aperture).
inline constexpr BoxCatalogueRow kVideoBoxRows[] = {
    // QuickTime File Format, Partial Sync Sample Atom (the layout of ISO/IEC 14496-12, 8.6.2)
    {"stps", "Partial Sync Sample Box", "samples where decoding can start, open GOP",
     BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 12.1.4
    {"pasp", "PixelAspectRatioBox", "relative width and height of a pixel", BoxKind::Box,
     BoxFacts::None},
    // ISO/IEC 14496-15, 8.4.1 (entries) and 8.3.3 (configuration)
    {"hvc1", "HEVCSampleEntry Box", "Entry type for HEVC, parameter sets in the configuration",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {"hev1", "HEVCSampleEntry Box", "Entry type for HEVC, parameter sets also in the samples",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {"hvcC", "HEVCConfigurationBox", "HEVC decoder configuration", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    // ISO/IEC 14496-15, 5.4.1
    {"avc3", "AVCSampleEntry Box", "Entry type for AVC, parameter sets also in the samples",
     BoxKind::SampleEntry, BoxFacts::Codec},
    // AV1 Codec ISO Media File Format Binding, 2.2 and 2.3
    {"av01", "AV1SampleEntry Box", "Entry type for AV1", BoxKind::SampleEntry, BoxFacts::Codec},
    {"av1C", "AV1CodecConfigurationBox", "AV1 decoder configuration", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    // VP Codec ISO Media File Format Binding: sample entry and configuration box
    {"vp09", "VP9SampleEntry Box", "Entry type for VP9", BoxKind::SampleEntry, BoxFacts::Codec},
    {"vp08", "VP8SampleEntry Box", "Entry type for VP8", BoxKind::SampleEntry, BoxFacts::Codec},
    {"vpcC", "VPCodecConfigurationBox", "VP8 and VP9 decoder configuration",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    // Dolby Vision Streams Within the ISO Base Media File Format, 2.2 and 2.4
    {"dvh1", "DolbyVisionHEVCSampleEntry Box",
     "Entry type for Dolby Vision over HEVC, parameter sets in the configuration",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {"dvhe", "DolbyVisionHEVCSampleEntry Box",
     "Entry type for Dolby Vision over HEVC, parameter sets also in the samples",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {"dvav", "DolbyVisionAVCSampleEntry Box", "Entry type for Dolby Vision over AVC",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {"dvcC", "DOVIConfigurationBox", "Dolby Vision configuration, profiles up to 7",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    {"dvvC", "DOVIConfigurationBox", "Dolby Vision configuration, profiles 8 to 10",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    // ISO/IEC 14496-12:2022, 8.12.1 and 8.12.2
    {"encv", "ProtectedVisualSampleEntry Box", "Entry type for protected video",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {"sinf", "Protection Scheme Information Box",
     "protection scheme and the original format of a protected entry", BoxKind::Container,
     BoxFacts::None},
    {"frma", "Original Format Box", "sample entry type of the unprotected media", BoxKind::Box,
     BoxFacts::Codec},
    // ISO/IEC 14496-12:2022, 12.1.5, 12.1.4, 12.1.6, 12.1.7; 'fiel' from QuickTime
    {"colr", "ColourInformationBox", "colour primaries, transfer and matrix, or an ICC profile",
     BoxKind::Box, BoxFacts::None},
    {"clap", "CleanApertureBox", "clean aperture of the picture", BoxKind::Box, BoxFacts::None},
    {"fiel", "FieldHandlingBox", "field count and field order of the picture", BoxKind::Box,
     BoxFacts::None},
    {"clli", "ContentLightLevelBox", "maximum light levels of the content", BoxKind::Box,
     BoxFacts::None},
    {"mdcv", "MasteringDisplayColourVolumeBox", "colour volume of the mastering display",
     BoxKind::Box, BoxFacts::None},
};
