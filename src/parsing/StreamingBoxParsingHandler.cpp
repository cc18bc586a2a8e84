#include "parsing/StreamingBoxParsingHandler.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string>

#include "model/ISOBoxes.h"
#include "model/StreamingBoxes.h"
#include "parsing/BitReader.h"
#include "parsing/ISOBoxParsingHandler.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

namespace {

// The type and parameter that 'saiz' and 'saio' carry when flagged.
template <typename Record>
void ReadAuxiliaryType(CBitReader& bits, Record& record) {
    if (!(record.FlagsValue() & SampleAuxiliaryInformationSizesBox::kHasType)) return;
    ReadInto(bits, record.aux_info_type);
    record.aux_info_type_parameter = bits.U32();
}

}  // namespace

std::span<const BoxParseRow<CStreamingBoxParsingHandler>> CStreamingBoxParsingHandler::Rows() {
    using H = CStreamingBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {BoxId::Styp, &H::ParseSegmentType},
        {SegmentIndexBox::kId, &H::ParseSegmentIndex},
        {TrackFragmentBaseMediaDecodeTimeBox::kId, &H::ParseDecodeTime},
        {EventMessageBox::kId, &H::ParseEventMessage},
        {ProducerReferenceTimeBox::kId, &H::ParseProducerReferenceTime},
        {SchemeTypeBox::kId, &H::ParseSchemeType},
        {TrackEncryptionBox::kId, &H::ParseTrackEncryption},
        {ProtectionSystemSpecificHeaderBox::kId, &H::ParseProtectionSystemHeader},
        {SampleAuxiliaryInformationSizesBox::kId, &H::ParseAuxiliaryInformationSizes},
        {SampleAuxiliaryInformationOffsetsBox::kId, &H::ParseAuxiliaryInformationOffsets},
    };
    return kRows;
}

std::vector<uint8_t> CStreamingBoxParsingHandler::ReadFullPayload(const BoxParseContext& c,
                                                                  FullBox& record) {
    ReadVersionAndFlags(record.version, record.flags);
    return ReadBoxPayload(Reader(), c, 4);
}

// ISO/IEC 14496-12:2022, 8.16.2: the layout of 'ftyp'.
void CStreamingBoxParsingHandler::ParseSegmentType(const BoxParseContext& c) {
    std::unique_ptr<FileTypeBox> record = ReadFileType(Reader(), c);
    record->id = BoxId::Styp;
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.16.3.2
void CStreamingBoxParsingHandler::ParseSegmentIndex(const BoxParseContext& c) {
    auto record = std::make_unique<SegmentIndexBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->reference_ID = bits.U32();
    record->timescale = bits.U32();
    const int timeBits = record->version == 0 ? 32 : 64;
    record->earliest_presentation_time = bits.Read(timeBits);
    record->first_offset = bits.Read(timeBits);
    bits.Read(16);  // reserved
    record->reference_count = bits.U16();
    ReserveEntries(record->references, record->reference_count, bits, 12);
    for (uint32_t i = 0; i < record->reference_count && !bits.Overrun(); ++i) {
        SegmentIndexBox::Reference r;
        r.reference_type = static_cast<uint8_t>(bits.Read(1));
        r.referenced_size = static_cast<uint32_t>(bits.Read(31));
        r.subsegment_duration = bits.U32();
        r.starts_with_SAP = static_cast<uint8_t>(bits.Read(1));
        r.SAP_type = static_cast<uint8_t>(bits.Read(3));
        r.SAP_delta_time = static_cast<uint32_t>(bits.Read(28));
        if (!bits.Overrun()) record->references.push_back(r);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.8.12.2
void CStreamingBoxParsingHandler::ParseDecodeTime(const BoxParseContext& c) {
    auto record = std::make_unique<TrackFragmentBaseMediaDecodeTimeBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->baseMediaDecodeTime = bits.Read(record->version == 1 ? 64 : 32);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23009-1, 5.10.3.3.2
void CStreamingBoxParsingHandler::ParseEventMessage(const BoxParseContext& c) {
    auto record = std::make_unique<EventMessageBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    if (record->version == 0) {
        record->scheme_id_uri = ReadCString(bits);
        record->value = ReadCString(bits);
        record->timescale = bits.U32();
        record->presentation_time = bits.U32();
        record->event_duration = bits.U32();
        record->id = bits.U32();
    } else {
        record->timescale = bits.U32();
        record->presentation_time = bits.Read(64);
        record->event_duration = bits.U32();
        record->id = bits.U32();
        record->scheme_id_uri = ReadCString(bits);
        record->value = ReadCString(bits);
    }
    if (!bits.Overrun()) bits.ReadRest(record->message_data);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.16.5.2
void CStreamingBoxParsingHandler::ParseProducerReferenceTime(const BoxParseContext& c) {
    auto record = std::make_unique<ProducerReferenceTimeBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->reference_track_ID = bits.U32();
    record->ntp_timestamp = bits.Read(64);
    record->media_time = bits.Read(record->version == 0 ? 32 : 64);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.12.5.2
void CStreamingBoxParsingHandler::ParseSchemeType(const BoxParseContext& c) {
    auto record = std::make_unique<SchemeTypeBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    ReadInto(bits, record->scheme_type);
    record->scheme_version = bits.U32();
    if (record->FlagsValue() & SchemeTypeBox::kHasURI) record->scheme_uri = ReadCString(bits);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23001-7:2016, 8.2.2
void CStreamingBoxParsingHandler::ParseTrackEncryption(const BoxParseContext& c) {
    auto record = std::make_unique<TrackEncryptionBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    bits.Read(8);  // reserved
    if (record->version == 0) {
        bits.Read(8);  // reserved
    } else {
        record->default_crypt_byte_block = static_cast<uint8_t>(bits.Read(4));
        record->default_skip_byte_block = static_cast<uint8_t>(bits.Read(4));
    }
    record->default_isProtected = bits.U8();
    record->default_Per_Sample_IV_Size = bits.U8();
    ReadInto(bits, record->default_KID);
    if (record->HasConstantIV() && !bits.Overrun()) {
        record->default_constant_IV_size = bits.U8();
        bits.ReadBytes(record->default_constant_IV_size, record->default_constant_IV);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23001-7:2016, 8.1.2
void CStreamingBoxParsingHandler::ParseProtectionSystemHeader(const BoxParseContext& c) {
    auto record = std::make_unique<ProtectionSystemSpecificHeaderBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    ReadInto(bits, record->SystemID);
    if (record->version > 0) {
        record->KID_count = bits.U32();
        ReserveEntries(record->KIDs, record->KID_count, bits, 16);
        for (uint32_t i = 0; i < record->KID_count && !bits.Overrun(); ++i) {
            Uuid kid;
            ReadInto(bits, kid);
            if (!bits.Overrun()) record->KIDs.push_back(kid);
        }
    }
    record->DataSize = bits.U32();
    if (!bits.Overrun()) bits.ReadBytes(record->DataSize, record->Data);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.7.8.2
void CStreamingBoxParsingHandler::ParseAuxiliaryInformationSizes(const BoxParseContext& c) {
    auto record = std::make_unique<SampleAuxiliaryInformationSizesBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    ReadAuxiliaryType(bits, *record);
    record->default_sample_info_size = bits.U8();
    record->sample_count = bits.U32();
    if (record->default_sample_info_size == 0 && !bits.Overrun())
        bits.ReadBytes(record->sample_count, record->sample_info_size);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.7.9.2
void CStreamingBoxParsingHandler::ParseAuxiliaryInformationOffsets(const BoxParseContext& c) {
    auto record = std::make_unique<SampleAuxiliaryInformationOffsetsBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    ReadAuxiliaryType(bits, *record);
    record->entry_count = bits.U32();
    const int offsetBits = record->version == 0 ? 32 : 64;
    ReserveEntries(record->offsets, record->entry_count, bits, offsetBits / 8);
    for (uint32_t i = 0; i < record->entry_count && !bits.Overrun(); ++i) {
        const uint64_t offset = bits.Read(offsetBits);
        if (!bits.Overrun()) record->offsets.push_back(offset);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}
