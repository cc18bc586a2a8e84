#include "parsing/VideoBoxParsingHandler.h"

#include <algorithm>
#include <memory>

#include "model/FileReader.h"
#include "model/SampleEntries.h"
#include "model/VideoBoxes.h"
#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/BitReader.h"
#include "parsing/SampleEntryReading.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

namespace {

// The sample entry types of this family, read as visual sample entries with child boxes.
constexpr int32_t kVisualEntryIds[] = {BoxId::Hvc1, BoxId::Hev1, BoxId::Avc3, BoxId::Av01,
                                       BoxId::Vp09, BoxId::Vp08, BoxId::Dvh1, BoxId::Dvhe,
                                       BoxId::Dvav, BoxId::Encv};

int32_t VisualEntryId(const uint8_t type[4]) {
    const int32_t id = FindBoxId(type);
    return std::find(std::begin(kVisualEntryIds), std::end(kVisualEntryIds), id) !=
                   std::end(kVisualEntryIds)
               ? id
               : 0;
}

bool IsVisualEntry(const uint8_t type[4]) {
    return VisualEntryId(type) != 0;
}

// AVCProfileIndication values whose configuration goes on after the picture parameter sets.
bool HasHighProfileFields(uint8_t profile) {
    return profile == 100 || profile == 110 || profile == 122 || profile == 144;
}

}  // namespace

std::span<const BoxParseRow<CVideoBoxParsingHandler>> CVideoBoxParsingHandler::Rows() {
    using H = CVideoBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {PixelAspectRatioBox::kId, &H::ParsePixelAspectRatio},
        // A track of another kind may still hold entries of these types.
        {BoxId::VisualSampleEntry, &H::ParseVisualEntry, &IsVisualEntry},
        {BoxId::UnknownSampleEntry, &H::ParseVisualEntry, &IsVisualEntry},
        {BoxId::AvcC, &H::ParseAVCConfiguration},
        {HEVCConfigurationBox::kId, &H::ParseHEVCConfiguration},
        {AV1ConfigurationBox::kId, &H::ParseAV1Configuration},
        {VPConfigurationBox::kId, &H::ParseVPConfiguration},
        {BoxId::DvcC, &H::ParseDolbyVisionConfiguration},
        {BoxId::DvvC, &H::ParseDolbyVisionConfiguration},
        {OriginalFormatBox::kId, &H::ParseOriginalFormat},
        {ColourInformationBox::kId, &H::ParseColourInformation},
        {CleanApertureBox::kId, &H::ParseCleanAperture},
        {FieldHandlingBox::kId, &H::ParseFieldHandling},
        {ContentLightLevelBox::kId, &H::ParseContentLightLevel},
        {MasteringDisplayColourVolumeBox::kId, &H::ParseMasteringDisplay},
    };
    return kRows;
}

std::vector<uint8_t> CVideoBoxParsingHandler::TakeFieldBytes(const BoxParseContext& c,
                                                             uint64_t count) {
    std::vector<uint8_t> bytes;
    ReadBoxBytes(Reader(), c.boxEnd, std::min(count, BytesLeftInBox(Reader(), c.boxEnd)), bytes);
    return bytes;
}

bool CVideoBoxParsingHandler::EndFields(const CBitReader& bits) {
    if (bits.Overrun()) PassFieldBytes(Reader(), bits.MissingBytes());
    return !bits.Overrun();
}

// ISO/IEC 14496-12:2022, 12.1.4.2
void CVideoBoxParsingHandler::ParsePixelAspectRatio(const BoxParseContext& c) {
    auto record = std::make_unique<PixelAspectRatioBox>(c.size);
    CFileReader& r = Reader();
    record->hSpacing = r.ReadUInt32();
    record->vSpacing = r.ReadUInt32();
    c.result.record = std::move(record);
}

// ISO/IEC 14496-15, 5.4.1 ('avc3'), 8.4.1 ('hvc1', 'hev1'); AV1 binding 2.2 ('av01'); VP
// binding, sample entry ('vp08', 'vp09'); Dolby Vision in ISO BMFF, 2.4 ('dvh1', 'dvhe',
// 'dvav'); ISO/IEC 14496-12:2022, 8.12 ('encv', whose format only its 'sinf' says).
void CVideoBoxParsingHandler::ParseVisualEntry(const BoxParseContext& c) {
    std::unique_ptr<VisualSampleEntry> record = ReadVisualSampleEntry(Reader(), c.size);
    record->id = VisualEntryId(c.type);
    // The configuration, 'btrt', 'colr', 'pasp' and the others follow as children.
    c.headerBytes += kVisualEntryBytes;
    c.result.descend = 1;
    c.result.record = std::move(record);
}

// ISO/IEC 14496-15, 5.3.3.1.2: High profiles add the chroma format, the bit depths and the
// sequence parameter set extensions. Writers that leave them out end the box before them.
void CVideoBoxParsingHandler::ParseAVCConfiguration(const BoxParseContext& c) {
    auto record = std::make_unique<AVCHighConfigurationBox>(c.size);
    AVCHighConfigurationBox& a = *record;
    CFileReader& r = Reader();
    // The classic fields as the classic reading takes them, but never read past the box.
    const bool whole =
        ReadFields(c, 6,
                   [&a](CBitReader& bits) {
                       a.configurationVersion = bits.U8();
                       a.AVCProfileIndication = bits.U8();
                       a.profile_compatibility = bits.U8();
                       a.AVCLevelIndication = bits.U8();
                       a.lengthSizeMinusOne = bits.U8() & 0x03;
                       a.numOfSequenceParameterSets = bits.U8() & 0x1F;
                   }) &&
        ReadParameterSets(r, c.boxEnd, a.numOfSequenceParameterSets, a.sequenceParameterSets) &&
        ReadFields(c, 1, [&a](CBitReader& bits) { a.numOfPicutreParamterSets = bits.U8(); }) &&
        ReadParameterSets(r, c.boxEnd, a.numOfPicutreParamterSets, a.pictureParameterSets);
    if (whole && HasHighProfileFields(a.AVCProfileIndication) && r.GetPosition() < c.boxEnd) {
        a.hasHighFields = true;
        const bool highWhole = ReadFields(c, 4, [&a](CBitReader& bits) {
            bits.Read(6);  // reserved
            a.chroma_format = static_cast<uint8_t>(bits.Read(2));
            bits.Read(5);
            a.bit_depth_luma_minus8 = static_cast<uint8_t>(bits.Read(3));
            bits.Read(5);
            a.bit_depth_chroma_minus8 = static_cast<uint8_t>(bits.Read(3));
            a.numOfSequenceParameterSetExt = bits.U8();
        });
        if (highWhole)
            ReadParameterSets(r, c.boxEnd, a.numOfSequenceParameterSetExt,
                              a.sequenceParameterSetExt);
    }
    c.result.record = std::move(record);
}

// ISO/IEC 14496-15, 8.3.3.1.2
void CVideoBoxParsingHandler::ParseHEVCConfiguration(const BoxParseContext& c) {
    auto record = std::make_unique<HEVCConfigurationBox>(c.size);
    HEVCConfigurationBox& h = *record;
    const bool whole = ReadFields(c, 23, [&h](CBitReader& bits) {
        h.configurationVersion = bits.U8();
        h.general_profile_space = static_cast<uint8_t>(bits.Read(2));
        h.general_tier_flag = static_cast<uint8_t>(bits.Read(1));
        h.general_profile_idc = static_cast<uint8_t>(bits.Read(5));
        h.general_profile_compatibility_flags = bits.U32();
        h.general_constraint_indicator_flags = bits.Read(48);
        h.general_level_idc = bits.U8();
        bits.Read(4);  // reserved
        h.min_spatial_segmentation_idc = static_cast<uint16_t>(bits.Read(12));
        bits.Read(6);
        h.parallelismType = static_cast<uint8_t>(bits.Read(2));
        bits.Read(6);
        h.chromaFormat = static_cast<uint8_t>(bits.Read(2));
        bits.Read(5);
        h.bitDepthLumaMinus8 = static_cast<uint8_t>(bits.Read(3));
        bits.Read(5);
        h.bitDepthChromaMinus8 = static_cast<uint8_t>(bits.Read(3));
        h.avgFrameRate = bits.U16();
        h.constantFrameRate = static_cast<uint8_t>(bits.Read(2));
        h.numTemporalLayers = static_cast<uint8_t>(bits.Read(3));
        h.temporalIdNested = static_cast<uint8_t>(bits.Read(1));
        h.lengthSizeMinusOne = static_cast<uint8_t>(bits.Read(2));
        h.numOfArrays = bits.U8();
    });
    if (whole) ReadNalUnitArrays(c, h);
    c.result.record = std::move(record);
}

void CVideoBoxParsingHandler::ReadNalUnitArrays(const BoxParseContext& c, HEVCConfigurationBox& h) {
    CFileReader& r = Reader();
    ReserveTable(h.arrays, h.numOfArrays, 3, BytesLeftInBox(r, c.boxEnd));
    for (uint32_t i = 0; i < h.numOfArrays; ++i) {
        if (!BoxHoldsEntry(r, c.boxEnd, 3)) return;
        HEVCConfigurationBox::NalUnitArray& array = h.arrays.emplace_back();
        const uint8_t typeByte = r.ReadUInt8();
        array.array_completeness = typeByte >> 7;
        array.NAL_unit_type = typeByte & 0x3F;
        array.numNalus = r.ReadUInt16();
        ReserveTable(array.nalUnits, array.numNalus, 2, BytesLeftInBox(r, c.boxEnd));
        for (uint32_t n = 0; n < array.numNalus; ++n) {
            if (!BoxHoldsEntry(r, c.boxEnd, 2)) return;
            std::vector<uint8_t> unit;
            if (!ReadBoxBytes(r, c.boxEnd, r.ReadUInt16(), unit)) return;
            array.nalUnits.push_back(std::move(unit));
        }
    }
}

// AV1 Codec ISO Media File Format Binding, 2.3.3
void CVideoBoxParsingHandler::ParseAV1Configuration(const BoxParseContext& c) {
    auto record = std::make_unique<AV1ConfigurationBox>(c.size);
    AV1ConfigurationBox& a = *record;
    const bool whole = ReadFields(c, 4, [&a](CBitReader& bits) {
        a.marker = static_cast<uint8_t>(bits.Read(1));
        a.version = static_cast<uint8_t>(bits.Read(7));
        a.seq_profile = static_cast<uint8_t>(bits.Read(3));
        a.seq_level_idx_0 = static_cast<uint8_t>(bits.Read(5));
        a.seq_tier_0 = static_cast<uint8_t>(bits.Read(1));
        a.high_bitdepth = static_cast<uint8_t>(bits.Read(1));
        a.twelve_bit = static_cast<uint8_t>(bits.Read(1));
        a.monochrome = static_cast<uint8_t>(bits.Read(1));
        a.chroma_subsampling_x = static_cast<uint8_t>(bits.Read(1));
        a.chroma_subsampling_y = static_cast<uint8_t>(bits.Read(1));
        a.chroma_sample_position = static_cast<uint8_t>(bits.Read(2));
        bits.Read(3);  // reserved
        a.initial_presentation_delay_present = static_cast<uint8_t>(bits.Read(1));
        a.initial_presentation_delay_minus_one = static_cast<uint8_t>(bits.Read(4));
    });
    if (whole) ReadBoxBytes(Reader(), c.boxEnd, BytesAfter(c.size, c.headerBytes, 4), a.configOBUs);
    c.result.record = std::move(record);
}

// VP Codec ISO Media File Format Binding, VP codec configuration box (version 1)
void CVideoBoxParsingHandler::ParseVPConfiguration(const BoxParseContext& c) {
    auto record = std::make_unique<VPConfigurationBox>(c.size);
    VPConfigurationBox& v = *record;
    CFileReader& r = Reader();
    const bool whole = ReadFields(c, 4, [&v](CBitReader& bits) {
        v.version = bits.U8();
        for (uint8_t& flag : v.flags)
            flag = bits.U8();
    });
    if (whole && v.version != 1) {
        ReadBoxBytes(r, c.boxEnd, BytesAfter(c.size, c.headerBytes, 4), v.undecoded);
    } else if (whole && ReadFields(c, 8, [&v](CBitReader& bits) {
                   v.profile = bits.U8();
                   v.level = bits.U8();
                   v.bitDepth = static_cast<uint8_t>(bits.Read(4));
                   v.chromaSubsampling = static_cast<uint8_t>(bits.Read(3));
                   v.videoFullRangeFlag = static_cast<uint8_t>(bits.Read(1));
                   v.colourPrimaries = bits.U8();
                   v.transferCharacteristics = bits.U8();
                   v.matrixCoefficients = bits.U8();
                   v.codecInitializationDataSize = bits.U16();
               })) {
        ReadBoxBytes(r, c.boxEnd, v.codecInitializationDataSize, v.codecInitializationData);
    }
    c.result.record = std::move(record);
}

// Dolby Vision Streams Within the ISO Base Media File Format, 2.2: 24 bytes, of which the
// last 20 are reserved.
void CVideoBoxParsingHandler::ParseDolbyVisionConfiguration(const BoxParseContext& c) {
    auto record = std::make_unique<DolbyVisionConfigurationBox>(c.id, c.size);
    DolbyVisionConfigurationBox& d = *record;
    ReadFields(c, 24, [&d](CBitReader& bits) {
        d.dv_version_major = bits.U8();
        d.dv_version_minor = bits.U8();
        d.dv_profile = static_cast<uint8_t>(bits.Read(7));
        d.dv_level = static_cast<uint8_t>(bits.Read(6));
        d.rpu_present_flag = static_cast<uint8_t>(bits.Read(1));
        d.el_present_flag = static_cast<uint8_t>(bits.Read(1));
        d.bl_present_flag = static_cast<uint8_t>(bits.Read(1));
        d.dv_bl_signal_compatibility_id = static_cast<uint8_t>(bits.Read(4));
        bits.Read(28);  // reserved
        for (int i = 0; i < 4; ++i)
            bits.U32();  // reserved
    });
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.12.2
void CVideoBoxParsingHandler::ParseOriginalFormat(const BoxParseContext& c) {
    auto record = std::make_unique<OriginalFormatBox>(c.size);
    OriginalFormatBox& f = *record;
    ReadFields(c, 4, [&f](CBitReader& bits) {
        for (uint8_t& byte : f.data_format)
            byte = bits.U8();
    });
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 12.1.5.2
void CVideoBoxParsingHandler::ParseColourInformation(const BoxParseContext& c) {
    auto record = std::make_unique<ColourInformationBox>(c.size);
    ColourInformationBox& colr = *record;
    const bool whole = ReadFields(c, 4, [&colr](CBitReader& bits) {
        for (uint8_t& byte : colr.colour_type)
            byte = bits.U8();
    });
    const auto typeIs = [&colr](const char* code) {
        return std::equal(colr.colour_type, colr.colour_type + 4, code);
    };
    if (whole && (typeIs("nclx") || typeIs("nclc"))) {
        colr.hasCodePoints = true;
        colr.hasRangeFlag = typeIs("nclx");
        ReadFields(c, colr.hasRangeFlag ? 7 : 6, [&colr](CBitReader& bits) {
            colr.colour_primaries = bits.U16();
            colr.transfer_characteristics = bits.U16();
            colr.matrix_coefficients = bits.U16();
            if (colr.hasRangeFlag) colr.full_range_flag = static_cast<uint8_t>(bits.Read(1));
        });
    } else if (whole) {
        // An ICC profile ('rICC', 'prof') or a type of another standard: kept by its size.
        colr.profileBytes = BytesAfter(c.size, c.headerBytes, 4);
        PassFieldBytes(Reader(), colr.profileBytes);
    }
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 12.1.4.2
void CVideoBoxParsingHandler::ParseCleanAperture(const BoxParseContext& c) {
    auto record = std::make_unique<CleanApertureBox>(c.size);
    CleanApertureBox& a = *record;
    ReadFields(c, 32, [&a](CBitReader& bits) {
        a.cleanApertureWidthN = bits.U32();
        a.cleanApertureWidthD = bits.U32();
        a.cleanApertureHeightN = bits.U32();
        a.cleanApertureHeightD = bits.U32();
        a.horizOffN = static_cast<int32_t>(bits.U32());
        a.horizOffD = bits.U32();
        a.vertOffN = static_cast<int32_t>(bits.U32());
        a.vertOffD = bits.U32();
    });
    c.result.record = std::move(record);
}

// QuickTime File Format, field handling extension of a video sample description
void CVideoBoxParsingHandler::ParseFieldHandling(const BoxParseContext& c) {
    auto record = std::make_unique<FieldHandlingBox>(c.size);
    FieldHandlingBox& f = *record;
    ReadFields(c, 2, [&f](CBitReader& bits) {
        f.fields = bits.U8();
        f.detail = bits.U8();
    });
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 12.1.6.2
void CVideoBoxParsingHandler::ParseContentLightLevel(const BoxParseContext& c) {
    auto record = std::make_unique<ContentLightLevelBox>(c.size);
    ContentLightLevelBox& l = *record;
    ReadFields(c, 4, [&l](CBitReader& bits) {
        l.max_content_light_level = bits.U16();
        l.max_pic_average_light_level = bits.U16();
    });
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 12.1.7.2
void CVideoBoxParsingHandler::ParseMasteringDisplay(const BoxParseContext& c) {
    auto record = std::make_unique<MasteringDisplayColourVolumeBox>(c.size);
    MasteringDisplayColourVolumeBox& m = *record;
    ReadFields(c, 24, [&m](CBitReader& bits) {
        for (int i = 0; i < 3; ++i) {
            m.display_primaries_x[i] = bits.U16();
            m.display_primaries_y[i] = bits.U16();
        }
        m.white_point_x = bits.U16();
        m.white_point_y = bits.U16();
        m.max_display_mastering_luminance = bits.U32();
        m.min_display_mastering_luminance = bits.U32();
    });
    c.result.record = std::move(record);
}
