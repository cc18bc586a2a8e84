#include "presentation/AudioViewBoxHandler.h"

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "model/AudioBoxes.h"
#include "model/Format.h"
#include "model/SampleEntries.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxHandler.h"
#include "presentation/MPEG4AudioText.h"

using namespace ISOFileFormat;

namespace {

using Layer = CISOViewBoxItemLayer;

void ShowAudioEntry(const AudioSampleEntry& entry, const ViewBoxTarget& t) {
    ShowAudioSampleEntryFields(entry, t.contents);
}

// "%d (text)" with the text of a small table, or "%d" beyond it.
template <size_t N>
std::string Named(uint32_t value, const char* const (&names)[N]) {
    return value < N ? StrFormat("%u (%s)", value, names[value]) : StrFormat("%u", value);
}

// ---- Opus ----

void ShowOpusSpecific(const OpusSpecificBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("Version", box.Version);
    l.AddNumber("OutputChannelCount", box.OutputChannelCount);
    l.AddNumber("PreSkip", box.PreSkip);
    l.AddNumber("InputSampleRate", box.InputSampleRate);
    l.AddNumber("OutputGain", box.OutputGain);
    l.AddNumber("ChannelMappingFamily", box.ChannelMappingFamily);
    if (box.ChannelMappingFamily == 0) return;
    l.AddNumber("StreamCount", box.StreamCount);
    l.AddNumber("CoupledCount", box.CoupledCount);
    for (size_t i = 0; i < box.ChannelMapping.size(); ++i)
        l.AddNumber(StrFormat("ChannelMapping[%zu]", i), box.ChannelMapping[i]);
}

// ---- FLAC ----

constexpr const char* kFlacBlockTypes[] = {"STREAMINFO",     "PADDING",  "APPLICATION", "SEEKTABLE",
                                           "VORBIS_COMMENT", "CUESHEET", "PICTURE"};

void ShowStreamInfo(const FLACSpecificBox::StreamInfo& info, Layer& l) {
    l.AddNumber("minimum block size", info.minimumBlockSize);
    l.AddNumber("maximum block size", info.maximumBlockSize);
    l.AddNumber("minimum frame size", info.minimumFrameSize);
    l.AddNumber("maximum frame size", info.maximumFrameSize);
    l.AddNumber("sample rate", info.sampleRate);
    l.AddNumber("number of channels", info.channels);
    l.AddNumber("bits per sample", info.bitsPerSample);
    l.AddNumber("total samples", static_cast<int64_t>(info.totalSamples));
    std::string md5;
    for (const uint8_t byte : info.md5)
        md5 += StrFormat("%02x", byte);
    l.AddItem("MD5 signature", md5);
}

void ShowFLACSpecific(const FLACSpecificBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    for (const FLACSpecificBox::MetadataBlock& block : box.blocks) {
        l.AddHeading("MetadataBlock");
        l.AddNumber("LastMetadataBlockFlag", block.LastMetadataBlockFlag);
        l.AddItem("BlockType", Named(block.BlockType, kFlacBlockTypes));
        l.AddNumber("Length", block.Length);
        if (block.BlockType == FLACSpecificBox::kStreamInfo) ShowStreamInfo(block.streamInfo, l);
    }
}

// ---- AC-3 and Enhanced AC-3 (ETSI TS 102 366) ----

constexpr const char* kFscod[] = {"48000 Hz", "44100 Hz", "32000 Hz", "reserved"};
constexpr const char* kAcmod[] = {
    "1+1: Ch1, Ch2", "1/0: C",          "2/0: L, R",         "3/0: L, C, R",
    "2/1: L, R, S",  "3/1: L, C, R, S", "2/2: L, R, SL, SR", "3/2: L, C, R, SL, SR"};
constexpr const char* kBsmod[] = {
    "complete main", "music and effects", "visually impaired", "hearing impaired",
    "dialogue",      "commentary",        "emergency",         "voice over or karaoke"};
constexpr uint16_t kAc3BitRates[] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                     192, 224, 256, 320, 384, 448, 512, 576, 640};

void ShowAC3Specific(const AC3SpecificBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddItem("fscod", Named(box.fscod, kFscod));
    l.AddNumber("bsid", box.bsid);
    l.AddItem("bsmod", Named(box.bsmod, kBsmod));
    l.AddItem("acmod", Named(box.acmod, kAcmod));
    l.AddNumber("lfeon", box.lfeon);
    l.AddItem("bit_rate_code",
              box.bit_rate_code < std::size(kAc3BitRates)
                  ? StrFormat("%u (%u kbit/s)", box.bit_rate_code, kAc3BitRates[box.bit_rate_code])
                  : StrFormat("%u (reserved)", box.bit_rate_code));
}

void ShowEC3Specific(const EC3SpecificBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddItem("data_rate", StrFormat("%u kbit/s", box.data_rate));
    l.AddNumber("num_ind_sub", box.num_ind_sub);
    for (size_t i = 0; i < box.substreams.size(); ++i) {
        const EC3SpecificBox::IndependentSubstream& s = box.substreams[i];
        l.AddHeading(StrFormat("independent substream %zu", i));
        l.AddItem("fscod", Named(s.fscod, kFscod));
        l.AddNumber("bsid", s.bsid);
        l.AddNumber("asvc", s.asvc);
        l.AddItem("bsmod", Named(s.bsmod, kBsmod));
        l.AddItem("acmod", Named(s.acmod, kAcmod));
        l.AddNumber("lfeon", s.lfeon);
        l.AddNumber("num_dep_sub", s.num_dep_sub);
        if (s.num_dep_sub > 0) l.AddNumber("chan_loc", s.chan_loc);
    }
}

// ---- Apple Lossless, PCM, MPEG-H ----

void ShowALACSpecific(const ALACSpecificConfig& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("frameLength", box.frameLength);
    l.AddNumber("compatibleVersion", box.compatibleVersion);
    l.AddNumber("bitDepth", box.bitDepth);
    l.AddNumber("pb", box.pb);
    l.AddNumber("mb", box.mb);
    l.AddNumber("kb", box.kb);
    l.AddNumber("numChannels", box.numChannels);
    l.AddNumber("maxRun", box.maxRun);
    l.AddNumber("maxFrameBytes", box.maxFrameBytes);
    l.AddNumber("avgBitRate", box.avgBitRate);
    l.AddNumber("sampleRate", box.sampleRate);
}

void ShowPCMConfiguration(const PCMConfigurationBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("format_flags",
                       StrFormat("0x%02X (%s)", box.format_flags,
                                 (box.format_flags & 1) != 0 ? "little-endian" : "big-endian"));
    t.contents.AddNumber("PCM_sample_size", box.PCM_sample_size);
}

void ShowMHAConfiguration(const MHAConfigurationBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("configurationVersion", box.configurationVersion);
    l.AddNumber("mpegh3daProfileLevelIndication", box.mpegh3daProfileLevelIndication);
    l.AddNumber("referenceChannelLayout", box.referenceChannelLayout);
    l.AddNumber("mpegh3daConfigLength", box.mpegh3daConfigLength);
    AddHexItem(l, "mpegh3daConfig", box.mpegh3daConfig);
}

// ---- Channel layout ----

void ShowChannelLayout(const ChannelLayoutBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    if (box.version != 0) return;
    const bool channels = (box.stream_structure & ChannelLayoutBox::kChannelStructured) != 0;
    const bool objects = (box.stream_structure & ChannelLayoutBox::kObjectStructured) != 0;
    l.AddItem("stream_structure", StrFormat("%u (%s)", box.stream_structure,
                                            channels && objects ? "channels and objects"
                                            : channels          ? "channels"
                                            : objects           ? "objects"
                                                                : "none"));
    if (channels) {
        l.AddNumber("definedLayout", box.definedLayout);
        if (box.definedLayout != 0) {
            l.AddItem(
                "omittedChannelsMap",
                StrFormat("0x%016llX", static_cast<unsigned long long>(box.omittedChannelsMap)));
        }
        for (size_t i = 0; i < box.speakers.size(); ++i) {
            const ChannelLayoutBox::Speaker& s = box.speakers[i];
            if (s.speaker_position != ChannelLayoutBox::kExplicitPosition) {
                l.AddNumber(StrFormat("speaker_position[%zu]", i), s.speaker_position);
                continue;
            }
            l.AddItem(StrFormat("speaker_position[%zu]", i),
                      StrFormat("%u (azimuth %d, elevation %d)", s.speaker_position, s.azimuth,
                                s.elevation));
        }
    }
    if (objects) l.AddNumber("object_count", box.object_count);
}

// ---- Elementary stream descriptor ----

struct ObjectTypeName {
    uint8_t value;
    const char* name;
};

// objectTypeIndication values of ISO/IEC 14496-1, 7.2.6.6.2, and the registration authority.
constexpr ObjectTypeName kObjectTypes[] = {
    {0x20, "MPEG-4 Visual"}, {0x21, "AVC"},
    {0x40, "MPEG-4 Audio"},  {0x60, "MPEG-2 Visual"},
    {0x61, "MPEG-2 Visual"}, {0x62, "MPEG-2 Visual"},
    {0x63, "MPEG-2 Visual"}, {0x64, "MPEG-2 Visual"},
    {0x65, "MPEG-2 Visual"}, {0x66, "MPEG-2 AAC Main"},
    {0x67, "MPEG-2 AAC LC"}, {0x68, "MPEG-2 AAC SSR"},
    {0x69, "MPEG-2 Audio"},  {0x6A, "MPEG-1 Visual"},
    {0x6B, "MPEG-1 Audio"},  {0x6C, "JPEG"},
    {0xA5, "AC-3"},          {0xA6, "Enhanced AC-3"},
    {0xAD, "Opus"},          {0xDD, "Vorbis"},
};

constexpr const char* kStreamTypes[] = {"reserved",
                                        "ObjectDescriptorStream",
                                        "ClockReferenceStream",
                                        "SceneDescriptionStream",
                                        "VisualStream",
                                        "AudioStream",
                                        "MPEG7Stream",
                                        "IPMPStream",
                                        "ObjectContentInfoStream",
                                        "MPEGJStream",
                                        "Interaction Stream",
                                        "IPMPToolStream"};

std::string ObjectTypeText(uint8_t value) {
    for (const ObjectTypeName& known : kObjectTypes) {
        if (known.value == value) return StrFormat("%s (0x%X)", known.name, value);
    }
    return StrFormat("0x%X (%d)", value, value);
}

void ShowAudioSpecificConfig(const ESDescriptorFullBox& b, Layer& l) {
    l.AddNumber("audioObjectType", b.audioObjectType);
    l.AddItem("samplingFrequencyIndex", b.samplingFrequencyIndex == 0x0F
                                            ? std::string("0xF (explicit)")
                                            : SamplingFrequencyText(b.samplingFrequencyIndex));
    if (b.samplingFrequencyIndex == 0x0F) l.AddNumber("samplingFrequency", b.samplingFrequency);
    l.AddItem("channelConfiguration", ChannelConfigurationText(b.channelConfiguration));
    l.AddNumber("frameLengthFlag", b.frameLengthFlag);
    l.AddNumber("dependsOnCoreCoder", b.dependsOnCoreCoder);
    if (b.coreCoderDelayPresent) l.AddNumber("coreCoderDelay", b.coreCoderDelay);
    l.AddNumber("extensionFlag", b.extensionFlag);
    if (b.extensionAudioObjectType == 0) return;
    l.AddNumber("extensionAudioObjectType", b.extensionAudioObjectType);
    l.AddNumber("sbrPresentFlag", b.sbrPresentFlag);
    if (b.sbrPresentFlag) {
        l.AddItem("extensionSamplingFrequencyIndex",
                  b.extensionSamplingFrequencyIndex == 0x0F
                      ? StrFormat("0xF (explicit : %u)", b.extensionSamplingFrequency)
                      : SamplingFrequencyText(b.extensionSamplingFrequencyIndex));
    }
    l.AddNumber("psPresentFlag", b.psPresentFlag);
}

void ShowESDescriptor(const ESDescriptorFullBox& b, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    if (b.hasESDescriptor) {
        l.AddHeading("ES_Descriptor");
        l.AddItem("ES_ID", StrFormat("0x%02X (%d)", b.ES_ID, b.ES_ID));
        l.AddNumber("streamDependenceFlag", b.streamDependenceFlag);
        l.AddNumber("URL_Flag", b.URL_Flag);
        l.AddNumber("OCRstreamFlag", b.OCRstreamFlag);
        l.AddNumber("streamPriority", b.streamPriority);
        if (b.streamDependenceFlag) l.AddNumber("dependsOn_ES_ID", b.dependsOn_ES_ID);
        if (b.URL_Flag) {
            l.AddNumber("URLlength", b.URLlength);
            l.AddItem("URLstring", b.URLstring);
        }
        if (b.OCRstreamFlag) l.AddNumber("OCR_ES_Id", b.OCR_ES_Id);
    }
    if (b.hasDecoderConfig) {
        l.AddHeading("DecoderConfigDescriptor");
        l.AddItem("objectTypeIndication", ObjectTypeText(b.objectTypeIndication));
        l.AddItem("streamType",
                  b.streamType < std::size(kStreamTypes)
                      ? StrFormat("%s (0x%X)", kStreamTypes[b.streamType], b.streamType)
                      : StrFormat("0x%X (user private)", b.streamType));
        l.AddNumber("upStream", b.upStream);
        l.AddNumber("bufferSizeDB", b.bufferSizeDB);
        l.AddNumber("maxBitrate", b.maxBitrate);
        l.AddNumber("avgBitrate", b.avgBitrate);
    }
    if (b.hasDecoderSpecificInfo) {
        l.AddHeading("DecoderSpecificInfo");
        if (b.hasAudioSpecificConfig) ShowAudioSpecificConfig(b, l);
        if (b.visual_object_sequence_start_code != 0) {
            // The head of an MPEG-4 visual configuration; the visual object is left as bytes.
            l.AddItem("visual_object_sequence_start_code",
                      StrFormat("0x%08X", b.visual_object_sequence_start_code));
            l.AddNumber("profile_and_level_indication", b.profile_and_level_indication);
        }
        AddHexItem(l, "bytes", b.decoderSpecificInfo);
    }
    if (b.hasSLConfig) {
        l.AddHeading("SLConfigDescriptor");
        l.AddNumber("predefined", b.predefined);
        if (!b.slConfigRest.empty()) AddHexItem(l, "fields", b.slConfigRest);
    }
    for (const ESDescriptorFullBox::Descriptor& d : b.otherDescriptors) {
        l.AddHeading(StrFormat("descriptor tag 0x%02X", d.tag));
        AddHexItem(l, "bytes", d.bytes);
    }
}

constexpr CViewBoxTable kRows{
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Opus),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::FLaC),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Ac3),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Ec3),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Alac),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Ipcm),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Fpcm),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Mha1),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Mhm1),
    Row<AudioSampleEntry, ShowAudioEntry>(BoxId::Enca),
    Row<OpusSpecificBox, ShowOpusSpecific>(BoxId::DOps),
    Row<FLACSpecificBox, ShowFLACSpecific>(BoxId::DfLa),
    Row<AC3SpecificBox, ShowAC3Specific>(BoxId::Dac3),
    Row<EC3SpecificBox, ShowEC3Specific>(BoxId::Dec3),
    Row<ALACSpecificConfig, ShowALACSpecific>(BoxId::AlacConfig),
    Row<PCMConfigurationBox, ShowPCMConfiguration>(BoxId::PcmC),
    Row<MHAConfigurationBox, ShowMHAConfiguration>(BoxId::MhaC),
    Row<ChannelLayoutBox, ShowChannelLayout>(BoxId::Chnl),
    Row<ESDescriptorFullBox, ShowESDescriptor>(BoxId::Esds),
};

}  // namespace

CAudioViewBoxHandler::CAudioViewBoxHandler() : CViewBoxTableHandler(kRows) {}
