#include "presentation/VideoViewBoxHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordPipeline.h"

// The forms the real files (tests/data/hevc_*.mp4, av1.mp4, vp9.mp4, avc3.mp4, pinned by the
// expected exports) do not have: bytes in, the node's field lines out.
namespace {

// A visual entry of `type` in a video track, holding `children` (closed boxes).
BoxBuilder Entry(const char* type, const BoxBuilder& children) {
    BoxBuilder b;
    OpenVisualEntry(OpenTrackEntries(b, "vide"), type).Append(children);
    return b.Close().Close();
}

BoxBuilder Leaf(const char* type, const std::vector<uint8_t>& payload) {
    return BoxBuilder().Leaf(type, payload);
}

}  // namespace

TEST(CVideoViewBoxHandler, ConfigurationsOfEveryForm) {
    BoxBuilder vp8;  // version 1, code points named, reserved ones said so
    vp8.OpenFull("vpcC", 1, 0).U8(1).U8(31).U8(0xA3).U8(9).U8(16).U8(3).U16(2).U16(0xBEEF).Close();
    BoxBuilder vp0;  // an older version is kept as bytes
    vp0.OpenFull("vpcC", 0, 0).U32(0x01020304).Close();
    BoxBuilder hevc;  // no VPS: an SEI array, an incomplete array of two units of another type
    hevc.Open("hvcC").U8(1).U8(0x62).U32(0x40000000).U16(0x9000).U32(0x00000001).U8(153);
    hevc.U16(0xF000).U8(0xFD).U8(0xFD).U8(0xFA).U8(0xFA).U16(0).U8(0x0F).U8(2);
    hevc.U8(0x80 | 39).U16(1).U16(2).U16(0x4E01).U8(35).U16(2).U16(1).U8(0xAB).U16(0).Close();
    BoxBuilder av1;  // with the initial presentation delay
    av1.Open("av1C").U8(0x81).U8(0x48).U8(0x5C).U8(0x13).U8(0x0A).U8(0x0B).Close();
    BoxBuilder dovi;
    dovi.Open("dvcC").U8(1).U8(0).U16((5 << 9) | (6 << 3) | 0x5).U8(0x20).Zeros(19).Close();
    BoxBuilder high;  // High profile with one sequence parameter set extension
    high.Open("avcC").U32(0x0164001E).U8(0xFF).U8(0xE0).U8(0);
    high.U8(0xFE).U8(0xFA).U8(0xF9).U8(1).U16(2).U16(0x6D01).Close();
    BoxBuilder plain;  // High profile without them, as older writers leave it
    plain.Open("avcC").U32(0x0164001E).U8(0xFF).U8(0xE0).U8(0).Close();
    BoxBuilder protectedEntry;
    protectedEntry.Open("sinf")
        .Leaf("frma", {'a', 'v', 'c', '1'})
        .Leaf("schm", {0, 0, 0, 0, 'c', 'e', 'n', 'c', 0, 1, 0, 0});
    protectedEntry.Close();

    ExpectNodeFields(
        {
            {"vpcC",
             Entry("vp08", vp8),
             {"| + version : 1 (0x1)", "|   flags : 000000h", "| + profile : 1 (0x1)",
              "|   level : 31 (0x1F)", "|   bitDepth : 10 (0xA)",
              "|   chromaSubsampling : 1 (4:2:0 colocated with luma)",
              "|   videoFullRangeFlag : 1 (0x1)", "|   colourPrimaries : 9 (BT.2020 / BT.2100)",
              "|   transferCharacteristics : 16 (SMPTE ST 2084 (PQ))",
              "|   matrixCoefficients : 3 (reserved)", "|   codecInitializationDataSize : 2 (0x2)",
              "|   codecInitializationData : 0xBEEF"}},
            {"vpcC", Entry("vp09", vp0), {"...", "| + data (version not decoded) : 0x01020304"}},
            {"hvcC",
             Entry("hev1", hevc),
             {"| + configurationVersion : 1 (0x1)",
              "|   general_profile_space : 1 (0x1)",
              "|   general_tier_flag : 1 (0x1)",
              "|   general_profile_idc : 2 (0x2)",
              "|   general_profile_compatibility_flags : 0x40000000",
              "|   general_constraint_indicator_flags : 0x900000000001",
              "|   general_level_idc : 153 (0x99)",
              "|   min_spatial_segmentation_idc : 0 (0x0)",
              "|   parallelismType : 1 (0x1)",
              "|   chromaFormat : 1 (0x1)",
              "|   bitDepthLumaMinus8 : 2 (0x2)",
              "|   bitDepthChromaMinus8 : 2 (0x2)",
              "|   avgFrameRate : 0 (0x0)",
              "|   constantFrameRate : 0 (0x0)",
              "|   numTemporalLayers : 1 (0x1)",
              "|   temporalIdNested : 1 (0x1)",
              "|   lengthSizeMinusOne : 3 (0x3)",
              "|   numOfArrays : 2 (0x2)",
              "|    : NAL Unit Array [0]",
              "|   array_completeness : 1 (0x1)",
              "|   NAL_unit_type : 39 (PREFIX_SEI_NUT)",
              "|   numNalus : 1 (0x1)",
              "|   [0] : 0x4E01",
              "|    : NAL Unit Array [1]",
              "|   array_completeness : 0 (0x0)",
              "|   NAL_unit_type : 35 (other)",
              "|   numNalus : 2 (0x2)",
              "|   [0] : 0xAB",
              "|   [1] : 0x"}},
            {"av1C",
             Entry("av01", av1),
             {"| + marker : 1 (0x1)", "|   version : 1 (0x1)", "|   seq_profile : 2 (0x2)",
              "|   seq_level_idx_0 : 8 (0x8)", "|   seq_tier_0 : 0 (0x0)",
              "|   high_bitdepth : 1 (0x1)", "|   twelve_bit : 0 (0x0)", "|   monochrome : 1 (0x1)",
              "|   chroma_subsampling_x : 1 (0x1)", "|   chroma_subsampling_y : 1 (0x1)",
              "|   chroma_sample_position : 0 (0x0)",
              "|   initial_presentation_delay_present : 1 (0x1)",
              "|   initial_presentation_delay_minus_one : 3 (0x3)", "|   configOBUs : 0x0A0B"}},
            {"dvcC",
             Entry("dvh1", dovi),
             {"| + dv_version_major : 1 (0x1)", "|   dv_version_minor : 0 (0x0)",
              "|   dv_profile : 5 (0x5)", "|   dv_level : 6 (0x6)",
              "|   rpu_present_flag : 1 (0x1)", "|   el_present_flag : 0 (0x0)",
              "|   bl_present_flag : 1 (0x1)", "|   dv_bl_signal_compatibility_id : 2 (0x2)"}},
            {"avcC",
             Entry("avc3", high),
             {"...", "|   numOfPicutreParamterSets : 0 (0x0)", "|    : Picture Parameter Sets",
              "|    : ", "|   chroma_format : 2 (0x2)", "|   bit_depth_luma_minus8 : 2 (0x2)",
              "|   bit_depth_chroma_minus8 : 1 (0x1)", "|   numOfSequenceParameterSetExt : 1 (0x1)",
              "|    : Sequence Parameter Set Extensions", "|   [0] : 0x6D01"}},
            {"avcC",
             Entry("avc1", plain),
             {"...", "|   numOfPicutreParamterSets : 0 (0x0)", "|    : Picture Parameter Sets"}},
            {"encv", Entry("encv", protectedEntry), {"| + data_reference_index : 1 (0x1)", "..."}},
            {"frma", Entry("encv", protectedEntry), {"| + data_format : 'avc1'"}},
        },
        BoxSet::Full);
}

TEST(CVideoViewBoxHandler, PictureDescriptions) {
    ExpectNodeFields(
        {
            {"colr",
             Entry("hvc1", Leaf("colr", {'n', 'c', 'l', 'c', 0, 12, 0, 18, 0, 14})),
             {"| + colour_type : 'nclc'", "|   colour_primaries : 12 (SMPTE EG 432-1 (Display P3))",
              "|   transfer_characteristics : 18 (ARIB STD-B67 (HLG))",
              "|   matrix_coefficients : 14 (BT.2100 ICtCp)"}},
            {"colr",
             Entry("hvc1", Leaf("colr", {'n', 'c', 'l', 'x', 1, 0, 0, 0, 0, 0, 0x80})),
             {"| + colour_type : 'nclx'", "|   colour_primaries : 256 (reserved)",
              "|   transfer_characteristics : 0 (reserved)",
              "|   matrix_coefficients : 0 (identity (RGB))", "|   full_range_flag : 1 (0x1)"}},
            {"colr",
             Entry("av01", Leaf("colr", {'p', 'r', 'o', 'f', 1, 2, 3})),
             {"| + colour_type : 'prof'", "|   ICC_profile : 3 bytes"}},
            {"colr",
             Entry("av01", Leaf("colr", {'r', 'I', 'C', 'C'})),
             {"| + colour_type : 'rICC'", "|   ICC_profile : 0 bytes"}},
            {"colr",
             Entry("av01", Leaf("colr", {'x', 'y', 'z', 'w', 9})),
             {"| + colour_type : 'xyzw'", "|   data : 1 bytes"}},
            {"clap",
             Entry("vp09", BoxBuilder()
                               .Open("clap")
                               .U32(90)
                               .U32(1)
                               .U32(60)
                               .U32(1)
                               .U32(~0u)
                               .U32(2)
                               .U32(3)
                               .U32(4)
                               .Close()),
             {"| + cleanApertureWidthN : 90 (0x5A)", "|   cleanApertureWidthD : 1 (0x1)",
              "|   cleanApertureHeightN : 60 (0x3C)", "|   cleanApertureHeightD : 1 (0x1)",
              "|   horizOffN : -1 (0xFFFFFFFFFFFFFFFF)", "|   horizOffD : 2 (0x2)",
              "|   vertOffN : 3 (0x3)", "|   vertOffD : 4 (0x4)"}},
            {"mdcv",
             Entry("hvc1", BoxBuilder()
                               .Open("mdcv")
                               .U16(8500)
                               .U16(39850)
                               .U16(6550)
                               .U16(2300)
                               .U16(35400)
                               .U16(14600)
                               .U16(15635)
                               .U16(16450)
                               .U32(10000000)
                               .U32(50)
                               .Close()),
             {"| + display_primaries_x[0] : 8500 (0x2134)",
              "|   display_primaries_y[0] : 39850 (0x9BAA)", "...",
              "|   display_primaries_y[2] : 14600 (0x3908)", "|   white_point_x : 15635 (0x3D13)",
              "|   white_point_y : 16450 (0x4042)",
              "|   max_display_mastering_luminance : 10000000 (0x989680)",
              "|   min_display_mastering_luminance : 50 (0x32)"}},
            {"clli",
             Entry("hvc1", Leaf("clli", {0x03, 0xE8, 0x01, 0x90})),
             {"| + max_content_light_level : 1000 (0x3E8)",
              "|   max_pic_average_light_level : 400 (0x190)"}},
            {"fiel",
             Entry("hvc1", Leaf("fiel", {2, 9})),
             {"| + fields : 2 (0x2)", "|   detail : 9 (0x9)"}},
            {"btrt",
             Entry("av01", BoxBuilder().Open("btrt").U32(1).U32(2).U32(3).Close()),
             {"| + bufferSizeDB : 1 (0x1)", "|   maxBitrate : 2 (0x2)",
              "|   avgBitrate : 3 (0x3)"}},
        },
        BoxSet::Full);
}
