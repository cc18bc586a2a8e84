#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/3GPPBoxes.h"
#include "model/Box.h"
#include "model/BoxCatalogue.h"

namespace BoxId {
inline constexpr int32_t Opus = Of("Opus");
inline constexpr int32_t DOps = Of("dOps");
inline constexpr int32_t FLaC = Of("fLaC");
inline constexpr int32_t DfLa = Of("dfLa");
inline constexpr int32_t Ac3 = Of("ac-3");
inline constexpr int32_t Dac3 = Of("dac3");
inline constexpr int32_t Ec3 = Of("ec-3");
inline constexpr int32_t Dec3 = Of("dec3");
inline constexpr int32_t Alac = Of("alac");
inline constexpr int32_t AlacConfig = OfDescription("Apple Lossless decoder configuration");
inline constexpr int32_t Ipcm = Of("ipcm");
inline constexpr int32_t Fpcm = Of("fpcm");
inline constexpr int32_t PcmC = Of("pcmC");
inline constexpr int32_t Mha1 = Of("mha1");
inline constexpr int32_t Mhm1 = Of("mhm1");
inline constexpr int32_t MhaC = Of("mhaC");
inline constexpr int32_t Chnl = Of("chnl");
inline constexpr int32_t Enca = Of("enca");
}  // namespace BoxId

// Records of the audio family beyond the classic set (rows in model/AudioBoxRows.h). The sample
// entries themselves are AudioSampleEntry records under their own ids.
namespace ISOFileFormat {

// The frequencies of samplingFrequencyIndex 0 to 12 (ISO/IEC 14496-3, 1.6.3.3); 13 and 14 are
// reserved and 15 announces an explicit 24-bit frequency.
inline constexpr uint32_t kAacSamplingFrequencies[13] = {
    96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};

// Encapsulation of Opus in ISO Base Media File Format, 4.3.2.
struct OpusSpecificBox : Box {
    static constexpr int32_t kId = BoxId::DOps;
    explicit OpusSpecificBox(uint64_t size) : Box(kId, size) {}
    uint8_t Version = 0;
    uint8_t OutputChannelCount = 0;
    uint16_t PreSkip = 0;
    uint32_t InputSampleRate = 0;
    int16_t OutputGain = 0;
    uint8_t ChannelMappingFamily = 0;
    // Only when ChannelMappingFamily is not 0.
    uint8_t StreamCount = 0;
    uint8_t CoupledCount = 0;
    std::vector<uint8_t> ChannelMapping;  // one per output channel
};

// Encapsulation of FLAC in ISO Base Media File Format, 3.3.2, with the STREAMINFO block of the
// FLAC format decoded.
struct FLACSpecificBox : FullBox {
    static constexpr int32_t kId = BoxId::DfLa;
    explicit FLACSpecificBox(uint64_t size) : FullBox(kId, size) {}
    static constexpr uint8_t kStreamInfo = 0;
    struct StreamInfo {
        uint16_t minimumBlockSize = 0;
        uint16_t maximumBlockSize = 0;
        uint32_t minimumFrameSize = 0;  // 24 bits
        uint32_t maximumFrameSize = 0;  // 24 bits
        uint32_t sampleRate = 0;        // 20 bits
        uint8_t channels = 0;           // the count, one more than the field
        uint8_t bitsPerSample = 0;      // the count, one more than the field
        uint64_t totalSamples = 0;      // 36 bits
        uint8_t md5[16] = {};
    };
    struct MetadataBlock {
        uint8_t LastMetadataBlockFlag = 0;
        uint8_t BlockType = 0;
        uint32_t Length = 0;
        StreamInfo streamInfo;  // when BlockType is STREAMINFO and Length holds it
    };
    std::vector<MetadataBlock> blocks;
};

// ETSI TS 102 366, F.4.
struct AC3SpecificBox : Box {
    static constexpr int32_t kId = BoxId::Dac3;
    explicit AC3SpecificBox(uint64_t size) : Box(kId, size) {}
    uint8_t fscod = 0;
    uint8_t bsid = 0;
    uint8_t bsmod = 0;
    uint8_t acmod = 0;
    uint8_t lfeon = 0;
    uint8_t bit_rate_code = 0;
};

// ETSI TS 102 366, F.6.
struct EC3SpecificBox : Box {
    static constexpr int32_t kId = BoxId::Dec3;
    explicit EC3SpecificBox(uint64_t size) : Box(kId, size) {}
    struct IndependentSubstream {
        uint8_t fscod = 0;
        uint8_t bsid = 0;
        uint8_t asvc = 0;
        uint8_t bsmod = 0;
        uint8_t acmod = 0;
        uint8_t lfeon = 0;
        uint8_t num_dep_sub = 0;
        uint16_t chan_loc = 0;  // only when num_dep_sub is not 0
    };
    uint16_t data_rate = 0;
    uint8_t num_ind_sub = 0;  // one less than the substreams
    std::vector<IndependentSubstream> substreams;
};

// The Apple Lossless magic cookie (ALACSpecificConfig) in its full box.
struct ALACSpecificConfig : FullBox {
    static constexpr int32_t kId = BoxId::AlacConfig;
    explicit ALACSpecificConfig(uint64_t size) : FullBox(kId, size) {}
    uint32_t frameLength = 0;
    uint8_t compatibleVersion = 0;
    uint8_t bitDepth = 0;
    uint8_t pb = 0;
    uint8_t mb = 0;
    uint8_t kb = 0;
    uint8_t numChannels = 0;
    uint16_t maxRun = 0;
    uint32_t maxFrameBytes = 0;
    uint32_t avgBitRate = 0;
    uint32_t sampleRate = 0;
};

// ISO/IEC 23003-5:2020, 5.2.
struct PCMConfigurationBox : FullBox {
    static constexpr int32_t kId = BoxId::PcmC;
    explicit PCMConfigurationBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t format_flags = 0;  // bit 0: little-endian samples
    uint8_t PCM_sample_size = 0;
};

// ISO/IEC 23008-3:2022, 20.6 (MHADecoderConfigurationRecord).
struct MHAConfigurationBox : Box {
    static constexpr int32_t kId = BoxId::MhaC;
    explicit MHAConfigurationBox(uint64_t size) : Box(kId, size) {}
    uint8_t configurationVersion = 0;
    uint8_t mpegh3daProfileLevelIndication = 0;
    uint8_t referenceChannelLayout = 0;
    uint16_t mpegh3daConfigLength = 0;
    std::vector<uint8_t> mpegh3daConfig;
};

// ISO/IEC 14496-12:2022, 12.2.4, version 0.
struct ChannelLayoutBox : FullBox {
    static constexpr int32_t kId = BoxId::Chnl;
    explicit ChannelLayoutBox(uint64_t size) : FullBox(kId, size) {}
    static constexpr uint8_t kChannelStructured = 1;
    static constexpr uint8_t kObjectStructured = 2;
    static constexpr uint8_t kExplicitPosition = 126;
    struct Speaker {
        uint8_t speaker_position = 0;
        int16_t azimuth = 0;   // only for an explicit position
        int8_t elevation = 0;  // only for an explicit position
    };
    uint8_t stream_structure = 0;
    uint8_t definedLayout = 0;
    std::vector<Speaker> speakers;  // when definedLayout is 0
    uint64_t omittedChannelsMap = 0;
    uint8_t object_count = 0;
};

// 'esds' read with every descriptor of ISO/IEC 14496-1 (7.2.6.5 to 7.2.6.8) and the
// AudioSpecificConfig of ISO/IEC 14496-3 (1.6.2.1). The fields it shares with the classic
// record are filled as the classic reading would fill them from a well-formed box, so the
// track information reads them alike.
struct ESDescriptorFullBox : ESDescriptorBox {
    explicit ESDescriptorFullBox(uint64_t size) : ESDescriptorBox(size) {}
    struct Descriptor {
        uint8_t tag = 0;
        uint32_t size = 0;
        std::vector<uint8_t> bytes;
    };
    bool hasESDescriptor = false;
    uint32_t esDescriptorSize = 0;
    uint16_t dependsOn_ES_ID = 0;
    uint8_t URLlength = 0;
    std::string URLstring;
    uint16_t OCR_ES_Id = 0;
    bool hasDecoderConfig = false;
    uint32_t decoderConfigSize = 0;
    bool hasDecoderSpecificInfo = false;
    std::vector<uint8_t> decoderSpecificInfo;
    // AudioSpecificConfig, when the object type is MPEG-4 Audio.
    bool hasAudioSpecificConfig = false;
    uint32_t samplingFrequency = 0;           // from the table or the explicit field
    uint32_t extensionSamplingFrequency = 0;  // likewise, with SBR
    uint8_t coreCoderDelayPresent = 0;
    uint16_t coreCoderDelay = 0;
    bool hasSLConfig = false;
    uint8_t predefined = 0;
    std::vector<uint8_t> slConfigRest;  // the fields of a custom (predefined 0) configuration
    std::vector<Descriptor> otherDescriptors;  // inside the ES_Descriptor after those
};

}  // namespace ISOFileFormat
