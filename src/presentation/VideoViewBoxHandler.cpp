#include "presentation/VideoViewBoxHandler.h"

#include <cstddef>
#include <string>

#include "model/Format.h"
#include "model/SampleEntries.h"
#include "model/TextConversion.h"
#include "model/VideoBoxes.h"
#include "presentation/3GPPViewBoxHandler.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxHandler.h"

using namespace ISOFileFormat;

namespace {

// ---- Code point names ----

struct CodePointName {
    uint16_t value;
    const char* name;
};

// ISO/IEC 23091-2, 8.1 (ColourPrimaries), 8.2 (TransferCharacteristics) and 8.3
// (MatrixCoefficients); the values in between are reserved.
constexpr CodePointName kColourPrimaries[] = {
    {1, "BT.709"},
    {2, "unspecified"},
    {4, "BT.470 System M"},
    {5, "BT.470 System B, G / BT.601 625"},
    {6, "BT.601 525 / SMPTE 170M"},
    {7, "SMPTE 240M"},
    {8, "generic film"},
    {9, "BT.2020 / BT.2100"},
    {10, "SMPTE ST 428-1 (CIE 1931 XYZ)"},
    {11, "SMPTE RP 431-2 (DCI-P3)"},
    {12, "SMPTE EG 432-1 (Display P3)"},
    {22, "EBU Tech. 3213-E"},
};

constexpr CodePointName kTransferCharacteristics[] = {
    {1, "BT.709"},
    {2, "unspecified"},
    {4, "BT.470 System M (gamma 2.2)"},
    {5, "BT.470 System B, G (gamma 2.8)"},
    {6, "BT.601 / SMPTE 170M"},
    {7, "SMPTE 240M"},
    {8, "linear"},
    {9, "logarithmic (100:1)"},
    {10, "logarithmic (316.2:1)"},
    {11, "IEC 61966-2-4 (xvYCC)"},
    {12, "BT.1361"},
    {13, "IEC 61966-2-1 (sRGB)"},
    {14, "BT.2020 (10 bit)"},
    {15, "BT.2020 (12 bit)"},
    {16, "SMPTE ST 2084 (PQ)"},
    {17, "SMPTE ST 428-1"},
    {18, "ARIB STD-B67 (HLG)"},
};

constexpr CodePointName kMatrixCoefficients[] = {
    {0, "identity (RGB)"},
    {1, "BT.709"},
    {2, "unspecified"},
    {4, "FCC 73.682"},
    {5, "BT.470 System B, G / BT.601 625"},
    {6, "BT.601 525 / SMPTE 170M"},
    {7, "SMPTE 240M"},
    {8, "YCgCo"},
    {9, "BT.2020 non-constant luminance"},
    {10, "BT.2020 constant luminance"},
    {11, "SMPTE ST 2085 (Y'D'zD'x)"},
    {12, "chromaticity-derived non-constant luminance"},
    {13, "chromaticity-derived constant luminance"},
    {14, "BT.2100 ICtCp"},
};

template <size_t N>
void AddCodePoint(CISOViewBoxItemLayer& items, std::string_view label, uint16_t value,
                  const CodePointName (&names)[N]) {
    const char* name = "reserved";
    for (const CodePointName& known : names) {
        if (known.value == value) name = known.name;
    }
    items.AddItem(label, StrFormat("%u (%s)", value, name));
}

// ---- Sample entries and configurations ----

void ShowVisualEntry(const VisualSampleEntry& entry, const ViewBoxTarget& t) {
    ShowVisualSampleEntryFields(entry, t.contents);
}

void ShowAVCConfiguration(const AVCHighConfigurationBox& b, const ViewBoxTarget& t) {
    ShowAVCConfigurationFields(b, t.contents);
    if (!b.hasHighFields) return;
    t.contents.AddHeading("");
    t.contents.AddNumber("chroma_format", b.chroma_format);
    t.contents.AddNumber("bit_depth_luma_minus8", b.bit_depth_luma_minus8);
    t.contents.AddNumber("bit_depth_chroma_minus8", b.bit_depth_chroma_minus8);
    t.contents.AddNumber("numOfSequenceParameterSetExt", b.numOfSequenceParameterSetExt);
    t.contents.AddHeading("Sequence Parameter Set Extensions");
    ShowParameterSets(b.sequenceParameterSetExt, t.contents);
}

// The NAL unit types of ITU-T H.265, Table 7-1, that a configuration carries.
const char* HEVCNalUnitTypeName(uint8_t type) {
    switch (type) {
        case 32:
            return "VPS_NUT";
        case 33:
            return "SPS_NUT";
        case 34:
            return "PPS_NUT";
        case 39:
            return "PREFIX_SEI_NUT";
        case 40:
            return "SUFFIX_SEI_NUT";
        default:
            return "other";
    }
}

void ShowHEVCConfiguration(const HEVCConfigurationBox& b, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& l = t.contents;
    l.AddNumber("configurationVersion", b.configurationVersion);
    l.AddNumber("general_profile_space", b.general_profile_space);
    l.AddNumber("general_tier_flag", b.general_tier_flag);
    l.AddNumber("general_profile_idc", b.general_profile_idc);
    l.AddItem("general_profile_compatibility_flags",
              StrFormat("0x%08X", b.general_profile_compatibility_flags));
    l.AddItem("general_constraint_indicator_flags",
              StrFormat("0x%012llX",
                        static_cast<unsigned long long>(b.general_constraint_indicator_flags)));
    l.AddNumber("general_level_idc", b.general_level_idc);
    l.AddNumber("min_spatial_segmentation_idc", b.min_spatial_segmentation_idc);
    l.AddNumber("parallelismType", b.parallelismType);
    l.AddNumber("chromaFormat", b.chromaFormat);
    l.AddNumber("bitDepthLumaMinus8", b.bitDepthLumaMinus8);
    l.AddNumber("bitDepthChromaMinus8", b.bitDepthChromaMinus8);
    l.AddNumber("avgFrameRate", b.avgFrameRate);
    l.AddNumber("constantFrameRate", b.constantFrameRate);
    l.AddNumber("numTemporalLayers", b.numTemporalLayers);
    l.AddNumber("temporalIdNested", b.temporalIdNested);
    l.AddNumber("lengthSizeMinusOne", b.lengthSizeMinusOne);
    l.AddNumber("numOfArrays", b.numOfArrays);
    size_t index = 0;
    for (const HEVCConfigurationBox::NalUnitArray& array : b.arrays) {
        l.AddHeading(StrFormat("NAL Unit Array [%zu]", index++));
        l.AddNumber("array_completeness", array.array_completeness);
        l.AddItem("NAL_unit_type", StrFormat("%u (%s)", array.NAL_unit_type,
                                             HEVCNalUnitTypeName(array.NAL_unit_type)));
        l.AddNumber("numNalus", array.numNalus);
        int64_t unit = 0;
        for (const std::vector<uint8_t>& bytes : array.nalUnits)
            l.BeginItem().Char('[').Signed(unit++).Char(']').Value().HexBytes(bytes);
    }
}

void ShowAV1Configuration(const AV1ConfigurationBox& b, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& l = t.contents;
    l.AddNumber("marker", b.marker);
    l.AddNumber("version", b.version);
    l.AddNumber("seq_profile", b.seq_profile);
    l.AddNumber("seq_level_idx_0", b.seq_level_idx_0);
    l.AddNumber("seq_tier_0", b.seq_tier_0);
    l.AddNumber("high_bitdepth", b.high_bitdepth);
    l.AddNumber("twelve_bit", b.twelve_bit);
    l.AddNumber("monochrome", b.monochrome);
    l.AddNumber("chroma_subsampling_x", b.chroma_subsampling_x);
    l.AddNumber("chroma_subsampling_y", b.chroma_subsampling_y);
    l.AddNumber("chroma_sample_position", b.chroma_sample_position);
    l.AddNumber("initial_presentation_delay_present", b.initial_presentation_delay_present);
    if (b.initial_presentation_delay_present)
        l.AddNumber("initial_presentation_delay_minus_one", b.initial_presentation_delay_minus_one);
    AddHexItem(l, "configOBUs", b.configOBUs);
}

const char* ChromaSubsamplingName(uint8_t value) {
    switch (value) {
        case 0:
            return "4:2:0 vertical";
        case 1:
            return "4:2:0 colocated with luma";
        case 2:
            return "4:2:2";
        case 3:
            return "4:4:4";
        default:
            return "reserved";
    }
}

void ShowVPConfiguration(const VPConfigurationBox& b, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& l = t.contents;
    if (b.version != 1) {
        AddHexItem(l, "data (version not decoded)", b.undecoded);
        return;
    }
    l.AddNumber("profile", b.profile);
    l.AddNumber("level", b.level);
    l.AddNumber("bitDepth", b.bitDepth);
    l.AddItem("chromaSubsampling", StrFormat("%u (%s)", b.chromaSubsampling,
                                             ChromaSubsamplingName(b.chromaSubsampling)));
    l.AddNumber("videoFullRangeFlag", b.videoFullRangeFlag);
    AddCodePoint(l, "colourPrimaries", b.colourPrimaries, kColourPrimaries);
    AddCodePoint(l, "transferCharacteristics", b.transferCharacteristics, kTransferCharacteristics);
    AddCodePoint(l, "matrixCoefficients", b.matrixCoefficients, kMatrixCoefficients);
    l.AddNumber("codecInitializationDataSize", b.codecInitializationDataSize);
    AddHexItem(l, "codecInitializationData", b.codecInitializationData);
}

void ShowDolbyVisionConfiguration(const DolbyVisionConfigurationBox& b, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& l = t.contents;
    l.AddNumber("dv_version_major", b.dv_version_major);
    l.AddNumber("dv_version_minor", b.dv_version_minor);
    l.AddNumber("dv_profile", b.dv_profile);
    l.AddNumber("dv_level", b.dv_level);
    l.AddNumber("rpu_present_flag", b.rpu_present_flag);
    l.AddNumber("el_present_flag", b.el_present_flag);
    l.AddNumber("bl_present_flag", b.bl_present_flag);
    l.AddNumber("dv_bl_signal_compatibility_id", b.dv_bl_signal_compatibility_id);
}

void ShowOriginalFormat(const OriginalFormatBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("data_format", CodeText(b.data_format));
}

// ---- Picture description ----

void ShowPixelAspectRatio(const PixelAspectRatioBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("hSpacing", box.hSpacing);
    t.contents.AddNumber("vSpacing", box.vSpacing);
}

void ShowColourInformation(const ColourInformationBox& b, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& l = t.contents;
    l.AddItem("colour_type", CodeText(b.colour_type));
    if (b.hasCodePoints) {
        AddCodePoint(l, "colour_primaries", b.colour_primaries, kColourPrimaries);
        AddCodePoint(l, "transfer_characteristics", b.transfer_characteristics,
                     kTransferCharacteristics);
        AddCodePoint(l, "matrix_coefficients", b.matrix_coefficients, kMatrixCoefficients);
        if (b.hasRangeFlag) l.AddNumber("full_range_flag", b.full_range_flag);
        return;
    }
    const bool icc = std::string_view(reinterpret_cast<const char*>(b.colour_type), 4) == "rICC" ||
                     std::string_view(reinterpret_cast<const char*>(b.colour_type), 4) == "prof";
    l.AddItem(icc ? "ICC_profile" : "data",
              StrFormat("%llu bytes", static_cast<unsigned long long>(b.profileBytes)));
}

void ShowCleanAperture(const CleanApertureBox& b, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& l = t.contents;
    l.AddNumber("cleanApertureWidthN", b.cleanApertureWidthN);
    l.AddNumber("cleanApertureWidthD", b.cleanApertureWidthD);
    l.AddNumber("cleanApertureHeightN", b.cleanApertureHeightN);
    l.AddNumber("cleanApertureHeightD", b.cleanApertureHeightD);
    l.AddNumber("horizOffN", b.horizOffN);
    l.AddNumber("horizOffD", b.horizOffD);
    l.AddNumber("vertOffN", b.vertOffN);
    l.AddNumber("vertOffD", b.vertOffD);
}

void ShowFieldHandling(const FieldHandlingBox& b, const ViewBoxTarget& t) {
    t.contents.AddNumber("fields", b.fields);
    t.contents.AddNumber("detail", b.detail);
}

void ShowContentLightLevel(const ContentLightLevelBox& b, const ViewBoxTarget& t) {
    t.contents.AddNumber("max_content_light_level", b.max_content_light_level);
    t.contents.AddNumber("max_pic_average_light_level", b.max_pic_average_light_level);
}

void ShowMasteringDisplay(const MasteringDisplayColourVolumeBox& b, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& l = t.contents;
    for (int c = 0; c < 3; ++c) {
        l.AddNumber(StrFormat("display_primaries_x[%d]", c), b.display_primaries_x[c]);
        l.AddNumber(StrFormat("display_primaries_y[%d]", c), b.display_primaries_y[c]);
    }
    l.AddNumber("white_point_x", b.white_point_x);
    l.AddNumber("white_point_y", b.white_point_y);
    l.AddNumber("max_display_mastering_luminance", b.max_display_mastering_luminance);
    l.AddNumber("min_display_mastering_luminance", b.min_display_mastering_luminance);
}

constexpr CViewBoxTable kRows{
    Row<PixelAspectRatioBox, ShowPixelAspectRatio>(BoxId::Pasp),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Hvc1),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Hev1),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Avc3),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Av01),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Vp09),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Vp08),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Dvh1),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Dvhe),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Dvav),
    Row<VisualSampleEntry, ShowVisualEntry>(BoxId::Encv),
    Row<AVCHighConfigurationBox, ShowAVCConfiguration>(BoxId::AvcC),
    Row<HEVCConfigurationBox, ShowHEVCConfiguration>(BoxId::HvcC),
    Row<AV1ConfigurationBox, ShowAV1Configuration>(BoxId::Av1C),
    Row<VPConfigurationBox, ShowVPConfiguration>(BoxId::VpcC),
    Row<DolbyVisionConfigurationBox, ShowDolbyVisionConfiguration>(BoxId::DvcC),
    Row<DolbyVisionConfigurationBox, ShowDolbyVisionConfiguration>(BoxId::DvvC),
    Row<OriginalFormatBox, ShowOriginalFormat>(BoxId::Frma),
    Row<ColourInformationBox, ShowColourInformation>(BoxId::Colr),
    Row<CleanApertureBox, ShowCleanAperture>(BoxId::Clap),
    Row<FieldHandlingBox, ShowFieldHandling>(BoxId::Fiel),
    Row<ContentLightLevelBox, ShowContentLightLevel>(BoxId::Clli),
    Row<MasteringDisplayColourVolumeBox, ShowMasteringDisplay>(BoxId::Mdcv),
};

}  // namespace

CVideoViewBoxHandler::CVideoViewBoxHandler() : CViewBoxTableHandler(kRows) {}
