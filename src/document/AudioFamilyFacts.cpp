#include "document/AudioFamilyFacts.h"

#include "model/AudioBoxes.h"
#include "model/SampleEntries.h"

using namespace ISOFileFormat;

namespace {

constexpr uint8_t kObjectTypeAudio = 0x40;

// Channels of the AC-3 audio coding modes (ETSI TS 102 366, table 4.3), without the LFE.
constexpr uint16_t kAcmodChannels[8] = {2, 1, 2, 3, 3, 4, 4, 5};
// Sample rates of fscod 0 to 2; 3 is reserved (Enhanced AC-3 then codes a reduced rate in the
// stream, not in the configuration).
constexpr uint32_t kFscodRates[3] = {48000, 44100, 32000};

// Channels of channelConfiguration 1 to 7 (ISO/IEC 14496-3, 1.6.3.4); 0 says them elsewhere.
constexpr uint16_t kAacChannels[8] = {0, 1, 2, 3, 4, 5, 6, 8};

void SetSampleRate(AudioCodecInfo& audio, uint32_t rate) {
    audio.sampleRate = rate;
    audio.mask |= CodecInfoBit::SampleRate;
}

void SetChannels(AudioCodecInfo& audio, uint32_t channels) {
    audio.channelCount = static_cast<uint16_t>(channels);
    audio.mask |= CodecInfoBit::ChannelCount;
}

void SetSampleSize(AudioCodecInfo& audio, uint32_t bits) {
    audio.sampleSize = static_cast<uint16_t>(bits);
    audio.mask |= CodecInfoBit::SampleSize;
}

void NoteAc3Stream(AudioCodecInfo& audio, uint8_t fscod, uint8_t acmod, uint8_t lfeon) {
    if (fscod < std::size(kFscodRates)) SetSampleRate(audio, kFscodRates[fscod]);
    SetChannels(audio, kAcmodChannels[acmod & 7] + (lfeon & 1));
}

// The AudioSpecificConfig's rate (with SBR, the rate of its output) and its channels when the
// configuration gives them.
void NoteAudioSpecificConfig(const ESDescriptorFullBox& esds, AudioCodecInfo& audio) {
    if (!esds.hasAudioSpecificConfig) return;
    const uint32_t rate = esds.sbrPresentFlag && esds.extensionSamplingFrequency != 0
                              ? esds.extensionSamplingFrequency
                              : esds.samplingFrequency;
    if (rate != 0) SetSampleRate(audio, rate);
    const uint8_t configuration = esds.channelConfiguration;
    if (configuration != 0 && configuration < std::size(kAacChannels))
        SetChannels(audio, kAacChannels[configuration]);
}

}  // namespace

const char* AudioFormatName(int32_t entryId) {
    switch (entryId) {
        case BoxId::Mp4a:
            return "AAC";
        case BoxId::Opus:
            return "Opus";
        case BoxId::FLaC:
            return "FLAC";
        case BoxId::Ac3:
            return "AC-3";
        case BoxId::Ec3:
            return "E-AC-3";
        case BoxId::Alac:
            return "ALAC";
        case BoxId::Ipcm:
        case BoxId::Fpcm:
            return "PCM";
        case BoxId::Mha1:
        case BoxId::Mhm1:
            return "MPEG-H";
        default:
            return nullptr;
    }
}

bool NoteAudioFamilyFacts(const Box& record, AudioCodecInfo& audio) {
    if (const auto* esds = dynamic_cast<const ESDescriptorFullBox*>(&record)) {
        if (esds->objectTypeIndication != kObjectTypeAudio) return false;
        // Also the name of a protected entry, which does not say its format itself.
        audio.name = "AAC";
        NoteAudioSpecificConfig(*esds, audio);
        return false;  // the bitrates as the classic reading notes them
    }
    if (record.id < kClassicBoxCount) return false;
    if (const auto* entry = dynamic_cast<const AudioSampleEntry*>(&record)) {
        const char* name = AudioFormatName(record.id);
        if (name == nullptr && record.id != BoxId::Enca) return false;
        if (name != nullptr) audio.name = name;
        SetChannels(audio, entry->channelcount);
        SetSampleSize(audio, entry->samplesize);
        SetSampleRate(audio, entry->samplerate >> 16);
        return true;
    }
    // Each configuration also names the format, for the entries that do not ('enca').
    if (const auto* dOps = dynamic_cast<const OpusSpecificBox*>(&record)) {
        // Opus decodes at 48 kHz whatever the input's rate was: the entry's rate stays.
        audio.name = "Opus";
        SetChannels(audio, dOps->OutputChannelCount);
    } else if (const auto* dfLa = dynamic_cast<const FLACSpecificBox*>(&record)) {
        audio.name = "FLAC";
        for (const FLACSpecificBox::MetadataBlock& block : dfLa->blocks) {
            if (block.BlockType != FLACSpecificBox::kStreamInfo) continue;
            SetSampleRate(audio, block.streamInfo.sampleRate);
            SetChannels(audio, block.streamInfo.channels);
            SetSampleSize(audio, block.streamInfo.bitsPerSample);
            break;
        }
    } else if (const auto* dac3 = dynamic_cast<const AC3SpecificBox*>(&record)) {
        audio.name = "AC-3";
        NoteAc3Stream(audio, dac3->fscod, dac3->acmod, dac3->lfeon);
    } else if (const auto* dec3 = dynamic_cast<const EC3SpecificBox*>(&record)) {
        audio.name = "E-AC-3";
        // The first independent substream; dependent ones add channels it does not count.
        if (!dec3->substreams.empty()) {
            const EC3SpecificBox::IndependentSubstream& s = dec3->substreams.front();
            NoteAc3Stream(audio, s.fscod, s.acmod, s.lfeon);
        }
    } else if (const auto* alac = dynamic_cast<const ALACSpecificConfig*>(&record)) {
        audio.name = "ALAC";
        SetSampleRate(audio, alac->sampleRate);
        SetChannels(audio, alac->numChannels);
        SetSampleSize(audio, alac->bitDepth);
    } else if (const auto* pcmC = dynamic_cast<const PCMConfigurationBox*>(&record)) {
        audio.name = "PCM";
        SetSampleSize(audio, pcmC->PCM_sample_size);
    } else if (dynamic_cast<const MHAConfigurationBox*>(&record) != nullptr) {
        // Its rate and channels are inside mpegh3daConfig, which is shown as bytes.
        audio.name = "MPEG-H";
    } else {
        return false;
    }
    return true;
}
