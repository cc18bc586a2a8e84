#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"

namespace BoxId {
inline constexpr int32_t Styp = Of("styp");
inline constexpr int32_t Sidx = Of("sidx");
inline constexpr int32_t Tfdt = Of("tfdt");
inline constexpr int32_t Emsg = Of("emsg");
inline constexpr int32_t Prft = Of("prft");
inline constexpr int32_t Schm = Of("schm");
inline constexpr int32_t Schi = Of("schi");
inline constexpr int32_t Tenc = Of("tenc");
inline constexpr int32_t Pssh = Of("pssh");
inline constexpr int32_t Saiz = Of("saiz");
inline constexpr int32_t Saio = Of("saio");
inline constexpr int32_t Senc = Of("senc");
inline constexpr int32_t Ssix = Of("ssix");
inline constexpr int32_t Leva = Of("leva");
inline constexpr int32_t Trep = Of("trep");
}  // namespace BoxId

// Records of the streaming family (rows in model/StreamingBoxRows.h). 'styp' is a FileTypeBox
// under its own id.
namespace ISOFileFormat {

using Uuid = std::array<uint8_t, 16>;

// ISO/IEC 14496-12:2022, 8.16.3.2; version 0 has 32-bit times and offset.
struct SegmentIndexBox : FullBox {
    static constexpr int32_t kId = BoxId::Sidx;
    explicit SegmentIndexBox(uint64_t size) : FullBox(kId, size) {}
    struct Reference {
        uint8_t reference_type = 0;    // 1 bit
        uint32_t referenced_size = 0;  // 31 bits
        uint32_t subsegment_duration = 0;
        uint8_t starts_with_SAP = 0;  // 1 bit
        uint8_t SAP_type = 0;         // 3 bits
        uint32_t SAP_delta_time = 0;  // 28 bits
    };
    uint32_t reference_ID = 0;
    uint32_t timescale = 0;
    uint64_t earliest_presentation_time = 0;
    uint64_t first_offset = 0;
    uint16_t reference_count = 0;
    std::vector<Reference> references;  // as many as the box holds, at most reference_count
};

// ISO/IEC 14496-12:2022, 8.8.12.2
struct TrackFragmentBaseMediaDecodeTimeBox : FullBox {
    static constexpr int32_t kId = BoxId::Tfdt;
    explicit TrackFragmentBaseMediaDecodeTimeBox(uint64_t size) : FullBox(kId, size) {}
    uint64_t baseMediaDecodeTime = 0;
};

// ISO/IEC 23009-1, 5.10.3.3.2: version 0 has the strings first and a time delta, version 1 the
// numbers first and an absolute 64-bit time.
struct EventMessageBox : FullBox {
    static constexpr int32_t kId = BoxId::Emsg;
    explicit EventMessageBox(uint64_t size) : FullBox(kId, size) {}
    std::string scheme_id_uri;
    std::string value;
    uint32_t timescale = 0;
    uint64_t presentation_time = 0;  // presentation_time_delta in version 0
    uint32_t event_duration = 0;
    uint32_t id = 0;
    std::vector<uint8_t> message_data;
};

// ISO/IEC 14496-12:2022, 8.16.5.2
struct ProducerReferenceTimeBox : FullBox {
    static constexpr int32_t kId = BoxId::Prft;
    explicit ProducerReferenceTimeBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t reference_track_ID = 0;
    uint64_t ntp_timestamp = 0;  // seconds since 1900 in the upper 32 bits, fraction below
    uint64_t media_time = 0;
};

// ISO/IEC 14496-12:2022, 8.12.5.2
struct SchemeTypeBox : FullBox {
    static constexpr int32_t kId = BoxId::Schm;
    explicit SchemeTypeBox(uint64_t size) : FullBox(kId, size) {}
    static constexpr uint32_t kHasURI = 1;
    uint8_t scheme_type[4] = {};
    uint32_t scheme_version = 0;
    std::string scheme_uri;  // when flagged
};

// ISO/IEC 23001-7:2016, 8.2.2
struct TrackEncryptionBox : FullBox {
    static constexpr int32_t kId = BoxId::Tenc;
    explicit TrackEncryptionBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t default_crypt_byte_block = 0;  // version 1 and later
    uint8_t default_skip_byte_block = 0;   // version 1 and later
    uint8_t default_isProtected = 0;
    uint8_t default_Per_Sample_IV_Size = 0;
    Uuid default_KID = {};
    // Only for a protected track without per-sample IVs.
    uint8_t default_constant_IV_size = 0;
    std::vector<uint8_t> default_constant_IV;
    bool HasConstantIV() const {
        return default_isProtected == 1 && default_Per_Sample_IV_Size == 0;
    }
};

// ISO/IEC 23001-7:2016, 8.1.2
struct ProtectionSystemSpecificHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Pssh;
    explicit ProtectionSystemSpecificHeaderBox(uint64_t size) : FullBox(kId, size) {}
    Uuid SystemID = {};
    uint32_t KID_count = 0;  // version 1 and later
    std::vector<Uuid> KIDs;  // as many as the box holds, at most KID_count
    uint32_t DataSize = 0;
    std::vector<uint8_t> Data;
};

// ISO/IEC 14496-12:2022, 8.7.8.2
struct SampleAuxiliaryInformationSizesBox : FullBox {
    static constexpr int32_t kId = BoxId::Saiz;
    explicit SampleAuxiliaryInformationSizesBox(uint64_t size) : FullBox(kId, size) {}
    static constexpr uint32_t kHasType = 1;
    uint8_t aux_info_type[4] = {};
    uint32_t aux_info_type_parameter = 0;
    uint8_t default_sample_info_size = 0;
    uint32_t sample_count = 0;
    std::vector<uint8_t> sample_info_size;  // when default_sample_info_size is 0
};

// ISO/IEC 14496-12:2022, 8.7.9.2; version 0 has 32-bit offsets.
struct SampleAuxiliaryInformationOffsetsBox : FullBox {
    static constexpr int32_t kId = BoxId::Saio;
    explicit SampleAuxiliaryInformationOffsetsBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t aux_info_type[4] = {};
    uint32_t aux_info_type_parameter = 0;
    uint32_t entry_count = 0;
    std::vector<uint64_t> offsets;  // as many as the box holds, at most entry_count
};

// ISO/IEC 23001-7:2016, 7.2.1; also the sample encryption 'uuid' box of Smooth Streaming
// (PIFF 1.3, 5.3.2.1), which may override the track's algorithm, IV size and key (flag 1). The
// IV size is not in the box: it comes from the track's protection, read before.
struct SampleEncryptionBox : FullBox {
    static constexpr int32_t kId = BoxId::Senc;
    explicit SampleEncryptionBox(uint64_t size) : FullBox(kId, size) {}
    static constexpr uint32_t kOverrideTrackEncryption = 1;
    static constexpr uint32_t kUseSubSampleEncryption = 2;
    // Where Per_Sample_IV_Size came from.
    enum class IVSource : uint8_t { Unknown, TrackEncryption, ConstantIV, SampleGroup, Override };
    struct Sample {
        size_t at = 0;  // of its InitializationVector in `bytes`
        uint16_t subsample_count = 0;
    };
    uint32_t AlgorithmID = 0;  // with kOverrideTrackEncryption
    uint8_t IV_size = 0;
    Uuid KID = {};
    uint32_t sample_count = 0;
    uint32_t track_ID = 0;  // of the track fragment (or track) it was read in
    IVSource ivSource = IVSource::Unknown;
    uint8_t Per_Sample_IV_Size = 0;
    std::vector<Sample> samples;  // those the box holds, at most sample_count
    std::vector<uint8_t> bytes;   // everything after sample_count
    // The samples' bytes end here; the bytes after them belong to no sample.
    size_t samplesEnd = 0;
    bool HasSubsamples() const { return (FlagsValue() & kUseSubSampleEncryption) != 0; }
};

// ISO/IEC 14496-12:2022, 8.16.4.2
struct SubsegmentIndexBox : FullBox {
    static constexpr int32_t kId = BoxId::Ssix;
    explicit SubsegmentIndexBox(uint64_t size) : FullBox(kId, size) {}
    struct Range {
        uint8_t level = 0;
        uint32_t range_size = 0;  // 24 bits
    };
    struct Subsegment {
        uint32_t range_count = 0;
        size_t firstRange = 0;  // in `ranges`
        size_t rangesRead = 0;
    };
    uint32_t subsegment_count = 0;
    std::vector<Subsegment> subsegments;  // as many as the box holds
    std::vector<Range> ranges;
};

// ISO/IEC 14496-12:2022, 8.8.13.2
struct LevelAssignmentBox : FullBox {
    static constexpr int32_t kId = BoxId::Leva;
    explicit LevelAssignmentBox(uint64_t size) : FullBox(kId, size) {}
    struct Level {
        uint32_t track_ID = 0;
        uint8_t padding_flag = 0;              // 1 bit
        uint8_t assignment_type = 0;           // 7 bits
        uint8_t grouping_type[4] = {};         // types 0 and 1
        uint32_t grouping_type_parameter = 0;  // type 1
        uint32_t sub_track_ID = 0;             // type 4
    };
    uint8_t level_count = 0;
    std::vector<Level> levels;  // as many as the box holds; none after a reserved type
    bool reservedType = false;  // a reserved assignment_type ended the table
};

// ISO/IEC 14496-12:2022, 8.8.15.2: a container of boxes for one track's fragments.
struct TrackExtensionPropertiesBox : FullBox {
    static constexpr int32_t kId = BoxId::Trep;
    explicit TrackExtensionPropertiesBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t track_ID = 0;
};

// The extended types of Smooth Streaming's boxes (PIFF 1.3, 5.3).
namespace PiffUuid {
inline constexpr Uuid SampleEncryption = {0xA2, 0x39, 0x4F, 0x52, 0x5A, 0x9B, 0x4F, 0x14,
                                          0xA2, 0x44, 0x6C, 0x42, 0x7C, 0x64, 0x8D, 0xF4};
inline constexpr Uuid TrackEncryption = {0x89, 0x74, 0xDB, 0xCE, 0x7B, 0xE7, 0x4C, 0x51,
                                         0x84, 0xF9, 0x71, 0x48, 0xF9, 0x88, 0x25, 0x54};
inline constexpr Uuid ProtectionSystemHeader = {0xD0, 0x8A, 0x4F, 0x18, 0x10, 0xF3, 0x4A, 0x82,
                                                0xB6, 0xC8, 0x32, 0xD8, 0xAB, 0xA1, 0x83, 0xD3};
inline constexpr Uuid FragmentTime = {0x6D, 0x1D, 0x9B, 0x05, 0x42, 0xD5, 0x44, 0xE6,
                                      0x80, 0xE2, 0x14, 0x1D, 0xAF, 0xF7, 0x57, 0xB2};
inline constexpr Uuid FragmentReference = {0xD4, 0x80, 0x7E, 0xF2, 0xCA, 0x39, 0x46, 0x95,
                                           0x8E, 0x26, 0x54, 0x6E, 0x32, 0xA1, 0x85, 0x4A};
}  // namespace PiffUuid

// The 'uuid' boxes of Smooth Streaming (PIFF 1.3), kept under the 'uuid' id with their extended
// type in `userType`. Sample encryption and protection system headers use the records of their
// ISO counterparts; these are the others.

// PIFF 1.3, 5.3.1.1: the layout of 'tenc' version 0 with the algorithm in place of the
// protection flag.
struct PiffTrackEncryptionBox : FullBox {
    explicit PiffTrackEncryptionBox(uint64_t size) : FullBox(BoxId::Uuid, size) {}
    uint32_t default_AlgorithmID = 0;  // 24 bits
    uint8_t default_IV_size = 0;
    Uuid default_KID = {};
};

// PIFF 1.3 (Smooth Streaming), 'tfxd': the fragment's absolute time and duration; version 1
// has 64-bit fields.
struct PiffFragmentTimeBox : FullBox {
    explicit PiffFragmentTimeBox(uint64_t size) : FullBox(BoxId::Uuid, size) {}
    uint64_t FragmentAbsoluteTime = 0;
    uint64_t FragmentDuration = 0;
};

// PIFF 1.3 (Smooth Streaming), 'tfrf': times and durations of the fragments that follow.
struct PiffFragmentReferenceBox : FullBox {
    explicit PiffFragmentReferenceBox(uint64_t size) : FullBox(BoxId::Uuid, size) {}
    struct Fragment {
        uint64_t FragmentAbsoluteTime = 0;
        uint64_t FragmentDuration = 0;
    };
    uint8_t FragmentCount = 0;
    std::vector<Fragment> fragments;  // as many as the box holds
};

}  // namespace ISOFileFormat
