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

// ISO/IEC 23001-7:2016, 8.2.2 (and PIFF 1.3, 5.3.1.1, of the same layout): the facts a later
// 'senc' of the track is read with.
void NoteTrackIVSize(TrackFacts& tracks, uint8_t ivSize, bool constantIV) {
    TrackProtectionFacts& track = tracks.protection[tracks.currentTrack];
    track.trackIVSize = ivSize;
    track.constantIV = constantIV;
}

// The IV size of the current track's samples: a 'seig' description of the track fragment
// first, then the track's 'tenc', then a 'seig' description of the track's sample table.
// Without the sample-to-group tables the first protected description stands for them all.
void ChooseIVSize(const TrackFacts& tracks, SampleEncryptionBox& box) {
    using Source = SampleEncryptionBox::IVSource;
    box.track_ID = tracks.currentTrack;
    if (tracks.inFragment && tracks.fragmentGroupIVSize) {
        box.ivSource = Source::SampleGroup;
        box.Per_Sample_IV_Size = *tracks.fragmentGroupIVSize;
        return;
    }
    const auto track = tracks.protection.find(tracks.currentTrack);
    if (track == tracks.protection.end()) return;
    if (track->second.trackIVSize) {
        box.ivSource = track->second.constantIV ? Source::ConstantIV : Source::TrackEncryption;
        box.Per_Sample_IV_Size = *track->second.trackIVSize;
    } else if (track->second.groupIVSize) {
        box.ivSource = Source::SampleGroup;
        box.Per_Sample_IV_Size = *track->second.groupIVSize;
    }
}

// ISO/IEC 23001-7:2016, 7.2.1: each sample's IV, then its subsample pairs when flagged. The
// samples are indexed, not copied; a sample_count the bytes cannot hold ends the table at the
// last whole sample, and without an IV size the bytes stay undecoded.
void ReadEncryptedSamples(CBitReader& bits, SampleEncryptionBox& box) {
    box.sample_count = bits.U32();
    if (bits.Overrun()) return;
    bits.ReadRest(box.bytes);
    if (box.ivSource == SampleEncryptionBox::IVSource::Unknown) return;
    const size_t ivSize = box.Per_Sample_IV_Size;
    const bool subsamples = box.HasSubsamples();
    const size_t leastBytes = ivSize + (subsamples ? 2 : 0);
    if (leastBytes == 0) return;  // nothing per sample to show
    box.samples.reserve(std::min<size_t>(box.sample_count, box.bytes.size() / leastBytes));
    size_t at = 0;
    const size_t end = box.bytes.size();
    for (uint32_t i = 0; i < box.sample_count && end - at >= leastBytes; ++i) {
        SampleEncryptionBox::Sample sample{at, 0};
        size_t next = at + ivSize;
        if (subsamples) {
            sample.subsample_count =
                static_cast<uint16_t>((box.bytes[next] << 8) | box.bytes[next + 1]);
            next += 2;
            if (end - next < size_t{6} * sample.subsample_count) break;
            next += size_t{6} * sample.subsample_count;
        }
        box.samples.push_back(sample);
        at = next;
    }
    box.samplesEnd = at;
}

bool Is(const uint8_t (&userType)[16], const Uuid& uuid) {
    return std::equal(uuid.begin(), uuid.end(), userType);
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
        {SampleEncryptionBox::kId, &H::ParseSampleEncryption},
        {SubsegmentIndexBox::kId, &H::ParseSubsegmentIndex},
        {LevelAssignmentBox::kId, &H::ParseLevelAssignment},
        {TrackExtensionPropertiesBox::kId, &H::ParseTrackExtensionProperties},
        {BoxId::Uuid, &H::ParseUuid},
    };
    return kRows;
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
    if (!bits.Overrun())
        NoteTrackIVSize(c.result.tracks, record->default_Per_Sample_IV_Size,
                        record->HasConstantIV());
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23001-7:2016, 8.1.2
void CStreamingBoxParsingHandler::ParseProtectionSystemHeader(const BoxParseContext& c) {
    auto record = std::make_unique<ProtectionSystemSpecificHeaderBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    ReadProtectionSystemHeader(bytes, *record);
    c.result.record = std::move(record);
}

void CStreamingBoxParsingHandler::ReadProtectionSystemHeader(
    const std::vector<uint8_t>& bytes, ProtectionSystemSpecificHeaderBox& record) {
    CBitReader bits(bytes);
    ReadInto(bits, record.SystemID);
    if (record.version > 0) {
        record.KID_count = bits.U32();
        ReserveEntries(record.KIDs, record.KID_count, bits, 16);
        for (uint32_t i = 0; i < record.KID_count && !bits.Overrun(); ++i) {
            Uuid kid;
            ReadInto(bits, kid);
            if (!bits.Overrun()) record.KIDs.push_back(kid);
        }
    }
    record.DataSize = bits.U32();
    if (!bits.Overrun()) bits.ReadBytes(record.DataSize, record.Data);
    PassBitsMissed(Reader(), bits);
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

// ISO/IEC 23001-7:2016, 7.2.1
void CStreamingBoxParsingHandler::ParseSampleEncryption(const BoxParseContext& c) {
    auto record = std::make_unique<SampleEncryptionBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    ChooseIVSize(c.result.tracks, *record);
    ReadEncryptedSamples(bits, *record);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.16.4.2
void CStreamingBoxParsingHandler::ParseSubsegmentIndex(const BoxParseContext& c) {
    auto record = std::make_unique<SubsegmentIndexBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->subsegment_count = bits.U32();
    ReserveEntries(record->subsegments, record->subsegment_count, bits, 4);
    for (uint32_t i = 0; i < record->subsegment_count && !bits.Overrun(); ++i) {
        SubsegmentIndexBox::Subsegment subsegment;
        subsegment.range_count = bits.U32();
        if (bits.Overrun()) break;
        // Ranges of all subsegments share one table, grown as read: a reserve per subsegment
        // would copy it again for each.
        subsegment.firstRange = record->ranges.size();
        for (uint32_t j = 0; j < subsegment.range_count && !bits.Overrun(); ++j) {
            SubsegmentIndexBox::Range range;
            range.level = bits.U8();
            range.range_size = static_cast<uint32_t>(bits.Read(24));
            if (!bits.Overrun()) record->ranges.push_back(range);
        }
        subsegment.rangesRead = record->ranges.size() - subsegment.firstRange;
        record->subsegments.push_back(subsegment);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.8.13.2
void CStreamingBoxParsingHandler::ParseLevelAssignment(const BoxParseContext& c) {
    auto record = std::make_unique<LevelAssignmentBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->level_count = bits.U8();
    for (uint32_t i = 0; i < record->level_count && !bits.Overrun(); ++i) {
        LevelAssignmentBox::Level level;
        level.track_ID = bits.U32();
        level.padding_flag = static_cast<uint8_t>(bits.Read(1));
        level.assignment_type = static_cast<uint8_t>(bits.Read(7));
        switch (level.assignment_type) {
            case 0:
                ReadInto(bits, level.grouping_type);
                break;
            case 1:
                ReadInto(bits, level.grouping_type);
                level.grouping_type_parameter = bits.U32();
                break;
            case 2:
            case 3:
                break;
            case 4:
                level.sub_track_ID = bits.U32();
                break;
            default:
                // A reserved type has fields of unknown length: nothing after it can be read.
                record->reservedType = true;
        }
        if (bits.Overrun() || record->reservedType) break;
        record->levels.push_back(level);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.8.15.2: track_ID, then child boxes.
void CStreamingBoxParsingHandler::ParseTrackExtensionProperties(const BoxParseContext& c) {
    auto record = std::make_unique<TrackExtensionPropertiesBox>(c.size);
    ReadVersionAndFlags(record->version, record->flags);
    record->track_ID = Reader().ReadUInt32();
    c.headerBytes += 8;
    c.result.record = std::move(record);
    c.result.descend = 1;
}

// PIFF 1.3, 5.3: the five boxes of Smooth Streaming, each a full box after its extended type.
void CStreamingBoxParsingHandler::ParseUuid(const BoxParseContext& c) {
    uint8_t userType[16] = {};
    Reader().ReadBytes(userType, sizeof userType);
    std::unique_ptr<Box> record;
    if (Is(userType, PiffUuid::SampleEncryption)) {
        record = ReadPiffSampleEncryption(c);
    } else if (Is(userType, PiffUuid::TrackEncryption)) {
        record = ReadPiffTrackEncryption(c);
    } else if (Is(userType, PiffUuid::ProtectionSystemHeader)) {
        auto header = std::make_unique<ProtectionSystemSpecificHeaderBox>(c.size);
        const std::vector<uint8_t> bytes = ReadPiffPayload(c, *header);
        ReadProtectionSystemHeader(bytes, *header);
        record = std::move(header);
    } else if (Is(userType, PiffUuid::FragmentTime)) {
        record = ReadPiffFragmentTime(c);
    } else if (Is(userType, PiffUuid::FragmentReference)) {
        record = ReadPiffFragmentReference(c);
    } else {
        record = std::make_unique<Box>(BoxId::Uuid, c.size);
    }
    record->id = BoxId::Uuid;
    std::copy(std::begin(userType), std::end(userType), record->userType);
    c.result.record = std::move(record);
}

std::vector<uint8_t> CStreamingBoxParsingHandler::ReadPiffPayload(const BoxParseContext& c,
                                                                  FullBox& record) {
    // The extended type counts as read payload here; the driver counts it as header.
    ReadVersionAndFlags(record.version, record.flags);
    return ReadBoxPayload(Reader(), c, 16 + 4);
}

// PIFF 1.3, 5.3.2.1: 'senc' with an optional override of the track's protection.
std::unique_ptr<Box> CStreamingBoxParsingHandler::ReadPiffSampleEncryption(
    const BoxParseContext& c) {
    auto record = std::make_unique<SampleEncryptionBox>(c.size);
    const std::vector<uint8_t> bytes = ReadPiffPayload(c, *record);
    CBitReader bits(bytes);
    ChooseIVSize(c.result.tracks, *record);
    if (record->FlagsValue() & SampleEncryptionBox::kOverrideTrackEncryption) {
        record->AlgorithmID = static_cast<uint32_t>(bits.Read(24));
        record->IV_size = bits.U8();
        ReadInto(bits, record->KID);
        record->ivSource = SampleEncryptionBox::IVSource::Override;
        record->Per_Sample_IV_Size = record->IV_size;
    }
    if (!bits.Overrun()) ReadEncryptedSamples(bits, *record);
    PassBitsMissed(Reader(), bits);
    return record;
}

// PIFF 1.3, 5.3.1.1
std::unique_ptr<Box> CStreamingBoxParsingHandler::ReadPiffTrackEncryption(
    const BoxParseContext& c) {
    auto record = std::make_unique<PiffTrackEncryptionBox>(c.size);
    const std::vector<uint8_t> bytes = ReadPiffPayload(c, *record);
    CBitReader bits(bytes);
    record->default_AlgorithmID = static_cast<uint32_t>(bits.Read(24));
    record->default_IV_size = bits.U8();
    ReadInto(bits, record->default_KID);
    if (!bits.Overrun()) NoteTrackIVSize(c.result.tracks, record->default_IV_size, false);
    PassBitsMissed(Reader(), bits);
    return record;
}

// Smooth Streaming's 'tfxd': 32-bit fields in version 0, 64-bit in version 1.
std::unique_ptr<Box> CStreamingBoxParsingHandler::ReadPiffFragmentTime(const BoxParseContext& c) {
    auto record = std::make_unique<PiffFragmentTimeBox>(c.size);
    const std::vector<uint8_t> bytes = ReadPiffPayload(c, *record);
    CBitReader bits(bytes);
    const int fieldBits = record->version == 1 ? 64 : 32;
    record->FragmentAbsoluteTime = bits.Read(fieldBits);
    record->FragmentDuration = bits.Read(fieldBits);
    PassBitsMissed(Reader(), bits);
    return record;
}

// Smooth Streaming's 'tfrf': a count, then a time and duration per fragment.
std::unique_ptr<Box> CStreamingBoxParsingHandler::ReadPiffFragmentReference(
    const BoxParseContext& c) {
    auto record = std::make_unique<PiffFragmentReferenceBox>(c.size);
    const std::vector<uint8_t> bytes = ReadPiffPayload(c, *record);
    CBitReader bits(bytes);
    const int fieldBits = record->version == 1 ? 64 : 32;
    record->FragmentCount = bits.U8();
    for (uint32_t i = 0; i < record->FragmentCount && !bits.Overrun(); ++i) {
        PiffFragmentReferenceBox::Fragment fragment;
        fragment.FragmentAbsoluteTime = bits.Read(fieldBits);
        fragment.FragmentDuration = bits.Read(fieldBits);
        if (!bits.Overrun()) record->fragments.push_back(fragment);
    }
    PassBitsMissed(Reader(), bits);
    return record;
}
