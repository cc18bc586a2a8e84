#include "parsing/AudioBoxParsingHandler.h"

#include <algorithm>
#include <memory>

#include "model/AudioBoxes.h"
#include "model/FileReader.h"
#include "parsing/BitReader.h"
#include "parsing/ESDescriptorReading.h"
#include "parsing/SampleEntryReading.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

namespace {

// The sample entries of this family, by the id their type looks up.
bool IsAudioEntryId(int32_t id) {
    switch (id) {
        case BoxId::Opus:
        case BoxId::FLaC:
        case BoxId::Ac3:
        case BoxId::Ec3:
        case BoxId::Alac:
        case BoxId::Ipcm:
        case BoxId::Fpcm:
        case BoxId::Mha1:
        case BoxId::Mhm1:
        case BoxId::Enca:
            return true;
        default:
            return false;
    }
}

bool AcceptsAudioEntry(const uint8_t type[4]) {
    return IsAudioEntryId(FindBoxId(type));
}

constexpr uint64_t kStreamInfoBytes = 34;

// STREAMINFO of the FLAC format (RFC 9639, 8.2).
FLACSpecificBox::StreamInfo ReadStreamInfo(std::span<const uint8_t> bytes) {
    CBitReader bits(bytes);
    FLACSpecificBox::StreamInfo info;
    info.minimumBlockSize = bits.U16();
    info.maximumBlockSize = bits.U16();
    info.minimumFrameSize = static_cast<uint32_t>(bits.Read(24));
    info.maximumFrameSize = static_cast<uint32_t>(bits.Read(24));
    info.sampleRate = static_cast<uint32_t>(bits.Read(20));
    info.channels = static_cast<uint8_t>(bits.Read(3) + 1);
    info.bitsPerSample = static_cast<uint8_t>(bits.Read(5) + 1);
    info.totalSamples = bits.Read(36);
    for (uint8_t& byte : info.md5)
        byte = bits.U8();
    return info;
}

}  // namespace

std::span<const BoxParseRow<CAudioBoxParsingHandler>> CAudioBoxParsingHandler::Rows() {
    using H = CAudioBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {BoxId::AudioSampleEntry, &H::ParseAudioEntry, &AcceptsAudioEntry},
        {BoxId::UnknownSampleEntry, &H::ParseAudioEntry, &AcceptsAudioEntry},
        {OpusSpecificBox::kId, &H::ParseOpusSpecific},
        {FLACSpecificBox::kId, &H::ParseFLACSpecific},
        {AC3SpecificBox::kId, &H::ParseAC3Specific},
        {EC3SpecificBox::kId, &H::ParseEC3Specific},
        // Met as a child, not as an entry of 'stsd': the configuration inside the entry.
        {BoxId::Alac, &H::ParseALACSpecific},
        {PCMConfigurationBox::kId, &H::ParsePCMConfiguration},
        {MHAConfigurationBox::kId, &H::ParseMHAConfiguration},
        {ChannelLayoutBox::kId, &H::ParseChannelLayout},
        {ESDescriptorBox::kId, &H::ParseESDescriptor},
    };
    return kRows;
}

// ISO/IEC 14496-12:2022, 12.2.3, for the entries of every type of this family; their
// configuration follows as a child box.
void CAudioBoxParsingHandler::ParseAudioEntry(const BoxParseContext& c) {
    std::unique_ptr<AudioSampleEntry> record = ReadAudioSampleEntry(Reader(), c.size);
    record->id = FindBoxId(c.type);
    c.headerBytes += kAudioEntryBytes;
    c.result.descend = 1;
    c.result.record = std::move(record);
}

// Encapsulation of Opus in ISO Base Media File Format, 4.3.2
void CAudioBoxParsingHandler::ParseOpusSpecific(const BoxParseContext& c) {
    auto record = std::make_unique<OpusSpecificBox>(c.size);
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 0);
    CBitReader bits(bytes);
    record->Version = bits.U8();
    record->OutputChannelCount = bits.U8();
    record->PreSkip = bits.U16();
    record->InputSampleRate = bits.U32();
    record->OutputGain = static_cast<int16_t>(bits.U16());
    record->ChannelMappingFamily = bits.U8();
    if (record->ChannelMappingFamily != 0) {
        record->StreamCount = bits.U8();
        record->CoupledCount = bits.U8();
        // Byte fields are taken only while the bits before them were there.
        if (!bits.Overrun()) bits.ReadBytes(record->OutputChannelCount, record->ChannelMapping);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// Encapsulation of FLAC in ISO Base Media File Format, 3.3.2: metadata blocks up to the one
// flagged last.
void CAudioBoxParsingHandler::ParseFLACSpecific(const BoxParseContext& c) {
    auto record = std::make_unique<FLACSpecificBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    std::vector<uint8_t> data;
    while (bits.BytesLeft() > 0) {
        FLACSpecificBox::MetadataBlock block;
        block.LastMetadataBlockFlag = static_cast<uint8_t>(bits.Read(1));
        block.BlockType = static_cast<uint8_t>(bits.Read(7));
        block.Length = static_cast<uint32_t>(bits.Read(24));
        if (bits.Overrun() || !bits.ReadBytes(block.Length, data)) break;
        if (block.BlockType == FLACSpecificBox::kStreamInfo && block.Length >= kStreamInfoBytes)
            block.streamInfo = ReadStreamInfo(data);
        record->blocks.push_back(block);
        if (block.LastMetadataBlockFlag) break;
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ETSI TS 102 366, F.4
void CAudioBoxParsingHandler::ParseAC3Specific(const BoxParseContext& c) {
    auto record = std::make_unique<AC3SpecificBox>(c.size);
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 0);
    CBitReader bits(bytes);
    record->fscod = static_cast<uint8_t>(bits.Read(2));
    record->bsid = static_cast<uint8_t>(bits.Read(5));
    record->bsmod = static_cast<uint8_t>(bits.Read(3));
    record->acmod = static_cast<uint8_t>(bits.Read(3));
    record->lfeon = static_cast<uint8_t>(bits.Read(1));
    record->bit_rate_code = static_cast<uint8_t>(bits.Read(5));
    bits.Read(5);  // reserved
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ETSI TS 102 366, F.6
void CAudioBoxParsingHandler::ParseEC3Specific(const BoxParseContext& c) {
    auto record = std::make_unique<EC3SpecificBox>(c.size);
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 0);
    CBitReader bits(bytes);
    record->data_rate = static_cast<uint16_t>(bits.Read(13));
    record->num_ind_sub = static_cast<uint8_t>(bits.Read(3));
    for (int i = 0; i <= record->num_ind_sub && !bits.Overrun(); ++i) {
        EC3SpecificBox::IndependentSubstream s;
        s.fscod = static_cast<uint8_t>(bits.Read(2));
        s.bsid = static_cast<uint8_t>(bits.Read(5));
        bits.Read(1);  // reserved
        s.asvc = static_cast<uint8_t>(bits.Read(1));
        s.bsmod = static_cast<uint8_t>(bits.Read(3));
        s.acmod = static_cast<uint8_t>(bits.Read(3));
        s.lfeon = static_cast<uint8_t>(bits.Read(1));
        bits.Read(3);  // reserved
        s.num_dep_sub = static_cast<uint8_t>(bits.Read(4));
        if (s.num_dep_sub > 0)
            s.chan_loc = static_cast<uint16_t>(bits.Read(9));
        else
            bits.Read(1);  // reserved
        record->substreams.push_back(s);
    }
    // What may follow (the extension flags of later editions) is passed with the box.
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// The Apple Lossless magic cookie: ALACSpecificConfig in a full box.
void CAudioBoxParsingHandler::ParseALACSpecific(const BoxParseContext& c) {
    auto record = std::make_unique<ALACSpecificConfig>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->frameLength = bits.U32();
    record->compatibleVersion = bits.U8();
    record->bitDepth = bits.U8();
    record->pb = bits.U8();
    record->mb = bits.U8();
    record->kb = bits.U8();
    record->numChannels = bits.U8();
    record->maxRun = bits.U16();
    record->maxFrameBytes = bits.U32();
    record->avgBitRate = bits.U32();
    record->sampleRate = bits.U32();
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23003-5:2020, 5.2
void CAudioBoxParsingHandler::ParsePCMConfiguration(const BoxParseContext& c) {
    auto record = std::make_unique<PCMConfigurationBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->format_flags = bits.U8();
    record->PCM_sample_size = bits.U8();
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23008-3:2022, 20.6
void CAudioBoxParsingHandler::ParseMHAConfiguration(const BoxParseContext& c) {
    auto record = std::make_unique<MHAConfigurationBox>(c.size);
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 0);
    CBitReader bits(bytes);
    record->configurationVersion = bits.U8();
    record->mpegh3daProfileLevelIndication = bits.U8();
    record->referenceChannelLayout = bits.U8();
    record->mpegh3daConfigLength = bits.U16();
    if (!bits.Overrun()) bits.ReadBytes(record->mpegh3daConfigLength, record->mpegh3daConfig);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 12.2.4, version 0. The speaker positions are as many as the entry's
// channels; the box's size says how many that is, so the entry is not needed here.
void CAudioBoxParsingHandler::ParseChannelLayout(const BoxParseContext& c) {
    auto record = std::make_unique<ChannelLayoutBox>(c.size);
    ReadVersionAndFlags(record->version, record->flags);
    if (record->version != 0) {
        // Another layout of fields: passed with a warning.
        c.result.record = std::move(record);
        return;
    }
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 4);
    CBitReader bits(bytes);
    record->stream_structure = bits.U8();
    const bool objects = (record->stream_structure & ChannelLayoutBox::kObjectStructured) != 0;
    if (record->stream_structure & ChannelLayoutBox::kChannelStructured) {
        record->definedLayout = bits.U8();
        if (record->definedLayout == 0) {
            while (bits.BytesLeft() > (objects ? 1u : 0u)) {
                ChannelLayoutBox::Speaker speaker;
                speaker.speaker_position = bits.U8();
                if (speaker.speaker_position == ChannelLayoutBox::kExplicitPosition) {
                    speaker.azimuth = static_cast<int16_t>(bits.U16());
                    speaker.elevation = static_cast<int8_t>(bits.U8());
                }
                record->speakers.push_back(speaker);
            }
        } else {
            record->omittedChannelsMap = bits.Read(64);
        }
    }
    if (objects) record->object_count = bits.U8();
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-14:2020, 6.7.2 ('esds'), with the descriptors of ISO/IEC 14496-1, 7.2.6.5 to
// 7.2.6.8, and their sizes of 1 to 4 bytes (7.2.2.3).
void CAudioBoxParsingHandler::ParseESDescriptor(const BoxParseContext& c) {
    auto record = std::make_unique<ESDescriptorFullBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    const bool whole = ReadESDescriptors(bytes, *record);
    c.result.record = std::move(record);
    if (!whole) PassMissingBytes(Reader(), 1);
}
