#pragma once

#include <cstdint>
#include <vector>

#include "model/3GPPBoxes.h"
#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "model/ISOBoxes.h"

namespace BoxId {
inline constexpr int32_t Pasp = Of("pasp");
inline constexpr int32_t Hvc1 = Of("hvc1");
inline constexpr int32_t Hev1 = Of("hev1");
inline constexpr int32_t HvcC = Of("hvcC");
inline constexpr int32_t Avc3 = Of("avc3");
inline constexpr int32_t Av01 = Of("av01");
inline constexpr int32_t Av1C = Of("av1C");
inline constexpr int32_t Vp09 = Of("vp09");
inline constexpr int32_t Vp08 = Of("vp08");
inline constexpr int32_t VpcC = Of("vpcC");
inline constexpr int32_t Dvh1 = Of("dvh1");
inline constexpr int32_t Dvhe = Of("dvhe");
inline constexpr int32_t Dvav = Of("dvav");
inline constexpr int32_t DvcC = Of("dvcC");
inline constexpr int32_t DvvC = Of("dvvC");
inline constexpr int32_t Encv = Of("encv");
inline constexpr int32_t Sinf = Of("sinf");
inline constexpr int32_t Frma = Of("frma");
inline constexpr int32_t Colr = Of("colr");
inline constexpr int32_t Clap = Of("clap");
inline constexpr int32_t Fiel = Of("fiel");
inline constexpr int32_t Clli = Of("clli");
inline constexpr int32_t Mdcv = Of("mdcv");
inline constexpr int32_t Stps = Of("stps");
}  // namespace BoxId

// Records of the video family beyond the classic set (rows in model/VideoBoxRows.h). Their
// sample entries are the visual sample entry record under their own ids.
namespace ISOFileFormat {

// ISO/IEC 14496-12:2022, 12.1.4.2: the relative width and height of a pixel.
struct PixelAspectRatioBox : Box {
    static constexpr int32_t kId = BoxId::Pasp;
    explicit PixelAspectRatioBox(uint64_t size) : Box(kId, size) {}
    uint32_t hSpacing = 0;
    uint32_t vSpacing = 0;
};

// ISO/IEC 14496-15, 5.3.3.1.2: the classic fields, then what High profiles add.
struct AVCHighConfigurationBox : AVCConfigurationBox {
    explicit AVCHighConfigurationBox(uint64_t size) : AVCConfigurationBox(size) {}
    bool hasHighFields = false;  // the profile announces them and the box holds them
    uint8_t chroma_format = 0;
    uint8_t bit_depth_luma_minus8 = 0;
    uint8_t bit_depth_chroma_minus8 = 0;
    uint8_t numOfSequenceParameterSetExt = 0;  // as declared in the file
    std::vector<ParameterSet> sequenceParameterSetExt;
};

// ISO/IEC 14496-15, 8.3.3.1.2: HEVCDecoderConfigurationRecord.
struct HEVCConfigurationBox : Box {
    static constexpr int32_t kId = BoxId::HvcC;
    explicit HEVCConfigurationBox(uint64_t size) : Box(kId, size) {}
    struct NalUnitArray {
        uint8_t array_completeness = 0;
        uint8_t NAL_unit_type = 0;
        uint16_t numNalus = 0;  // as declared in the file
        std::vector<std::vector<uint8_t>> nalUnits;
    };
    uint8_t configurationVersion = 0;
    uint8_t general_profile_space = 0;
    uint8_t general_tier_flag = 0;
    uint8_t general_profile_idc = 0;
    uint32_t general_profile_compatibility_flags = 0;
    uint64_t general_constraint_indicator_flags = 0;  // 48 bits
    uint8_t general_level_idc = 0;
    uint16_t min_spatial_segmentation_idc = 0;
    uint8_t parallelismType = 0;
    uint8_t chromaFormat = 0;
    uint8_t bitDepthLumaMinus8 = 0;
    uint8_t bitDepthChromaMinus8 = 0;
    uint16_t avgFrameRate = 0;
    uint8_t constantFrameRate = 0;
    uint8_t numTemporalLayers = 0;
    uint8_t temporalIdNested = 0;
    uint8_t lengthSizeMinusOne = 0;
    uint8_t numOfArrays = 0;  // as declared in the file
    std::vector<NalUnitArray> arrays;
};

// AV1 Codec ISO Media File Format Binding, 2.3: AV1CodecConfigurationRecord.
struct AV1ConfigurationBox : Box {
    static constexpr int32_t kId = BoxId::Av1C;
    explicit AV1ConfigurationBox(uint64_t size) : Box(kId, size) {}
    uint8_t marker = 0;
    uint8_t version = 0;
    uint8_t seq_profile = 0;
    uint8_t seq_level_idx_0 = 0;
    uint8_t seq_tier_0 = 0;
    uint8_t high_bitdepth = 0;
    uint8_t twelve_bit = 0;
    uint8_t monochrome = 0;
    uint8_t chroma_subsampling_x = 0;
    uint8_t chroma_subsampling_y = 0;
    uint8_t chroma_sample_position = 0;
    uint8_t initial_presentation_delay_present = 0;
    uint8_t initial_presentation_delay_minus_one = 0;
    std::vector<uint8_t> configOBUs;
};

// VP Codec ISO Media File Format Binding: VPCodecConfigurationRecord of the version 1 box.
// Other versions keep their payload as bytes.
struct VPConfigurationBox : FullBox {
    static constexpr int32_t kId = BoxId::VpcC;
    explicit VPConfigurationBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t profile = 0;
    uint8_t level = 0;
    uint8_t bitDepth = 0;
    uint8_t chromaSubsampling = 0;
    uint8_t videoFullRangeFlag = 0;
    uint8_t colourPrimaries = 0;
    uint8_t transferCharacteristics = 0;
    uint8_t matrixCoefficients = 0;
    uint16_t codecInitializationDataSize = 0;
    std::vector<uint8_t> codecInitializationData;
    std::vector<uint8_t> undecoded;  // the payload of a version this reading does not know
};

// Dolby Vision Streams Within the ISO Base Media File Format, 2.2:
// DOVIDecoderConfigurationRecord, the same in 'dvcC' and 'dvvC'.
struct DolbyVisionConfigurationBox : Box {
    DolbyVisionConfigurationBox(int32_t id, uint64_t size) : Box(id, size) {}
    uint8_t dv_version_major = 0;
    uint8_t dv_version_minor = 0;
    uint8_t dv_profile = 0;
    uint8_t dv_level = 0;
    uint8_t rpu_present_flag = 0;
    uint8_t el_present_flag = 0;
    uint8_t bl_present_flag = 0;
    uint8_t dv_bl_signal_compatibility_id = 0;
};

// ISO/IEC 14496-12:2022, 8.12.2: the entry type the protection replaced.
struct OriginalFormatBox : Box {
    static constexpr int32_t kId = BoxId::Frma;
    explicit OriginalFormatBox(uint64_t size) : Box(kId, size) {}
    uint8_t data_format[4] = {};
};

// ISO/IEC 14496-12:2022, 12.1.5.2: 'nclx' (and QuickTime's 'nclc', which has no range flag)
// carry code points of ISO/IEC 23091-2; 'rICC' and 'prof' an ICC profile, kept by its size.
struct ColourInformationBox : Box {
    static constexpr int32_t kId = BoxId::Colr;
    explicit ColourInformationBox(uint64_t size) : Box(kId, size) {}
    uint8_t colour_type[4] = {};
    bool hasCodePoints = false;
    bool hasRangeFlag = false;
    uint16_t colour_primaries = 0;
    uint16_t transfer_characteristics = 0;
    uint16_t matrix_coefficients = 0;
    uint8_t full_range_flag = 0;
    uint64_t profileBytes = 0;  // of any other colour type: the bytes after the type
};

// ISO/IEC 14496-12:2022, 12.1.4.2: the clean aperture as fractions.
struct CleanApertureBox : Box {
    static constexpr int32_t kId = BoxId::Clap;
    explicit CleanApertureBox(uint64_t size) : Box(kId, size) {}
    uint32_t cleanApertureWidthN = 0;
    uint32_t cleanApertureWidthD = 0;
    uint32_t cleanApertureHeightN = 0;
    uint32_t cleanApertureHeightD = 0;
    int32_t horizOffN = 0;
    uint32_t horizOffD = 0;
    int32_t vertOffN = 0;
    uint32_t vertOffD = 0;
};

// QuickTime's field handling: one or two fields, and their order.
struct FieldHandlingBox : Box {
    static constexpr int32_t kId = BoxId::Fiel;
    explicit FieldHandlingBox(uint64_t size) : Box(kId, size) {}
    uint8_t fields = 0;
    uint8_t detail = 0;
};

// ISO/IEC 14496-12:2022, 12.1.6.2.
struct ContentLightLevelBox : Box {
    static constexpr int32_t kId = BoxId::Clli;
    explicit ContentLightLevelBox(uint64_t size) : Box(kId, size) {}
    uint16_t max_content_light_level = 0;
    uint16_t max_pic_average_light_level = 0;
};

// ISO/IEC 14496-12:2022, 12.1.7.2: chromaticities in units of 0.00002, luminances of
// 0.0001 cd/m2.
struct MasteringDisplayColourVolumeBox : Box {
    static constexpr int32_t kId = BoxId::Mdcv;
    explicit MasteringDisplayColourVolumeBox(uint64_t size) : Box(kId, size) {}
    uint16_t display_primaries_x[3] = {};
    uint16_t display_primaries_y[3] = {};
    uint16_t white_point_x = 0;
    uint16_t white_point_y = 0;
    uint32_t max_display_mastering_luminance = 0;
    uint32_t min_display_mastering_luminance = 0;
};

// QuickTime File Format, Partial Sync Sample Atom: the samples from which decoding can start
// though some frames after them may not decode (open GOP). Laid out as ISO/IEC 14496-12, 8.6.2
// 'stss', and read and shown as it.
struct PartialSyncSampleBox : SyncSampleBox {
    static constexpr int32_t kId = BoxId::Stps;
    explicit PartialSyncSampleBox(uint64_t size) : SyncSampleBox(kId, size) {}
};

}  // namespace ISOFileFormat
