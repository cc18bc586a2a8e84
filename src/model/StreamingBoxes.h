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

}  // namespace ISOFileFormat
