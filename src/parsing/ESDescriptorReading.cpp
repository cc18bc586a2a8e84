#include "parsing/ESDescriptorReading.h"

#include <vector>

#include "model/AudioBoxes.h"
#include "model/TextConversion.h"
#include "parsing/BitReader.h"

using namespace ISOFileFormat;

namespace {

// Descriptor tags of ISO/IEC 14496-1, 7.2.2.1.
constexpr uint8_t kESDescrTag = 0x03;
constexpr uint8_t kDecoderConfigDescrTag = 0x04;
constexpr uint8_t kDecSpecificInfoTag = 0x05;
constexpr uint8_t kSLConfigDescrTag = 0x06;

constexpr uint8_t kObjectTypeVisual = 0x20;
constexpr uint8_t kObjectTypeAudio = 0x40;

// The start codes of ISO/IEC 14496-2 around a visual object sequence.
constexpr uint32_t kVisualObjectSequenceStart = 0x000001B0;
constexpr uint32_t kVisualObjectSequenceEnd = 0x000001B1;

// A descriptor's tag, its size and the bytes the size announces.
struct RawDescriptor {
    uint8_t tag = 0;
    uint32_t size = 0;
    std::vector<uint8_t> body;
};

// ISO/IEC 14496-1, 7.2.2.3: sizeOfInstance in 1 to 4 bytes of 7 bits each, the top bit of each
// saying whether another follows. False when the bytes end first or the body is cut.
bool ReadDescriptor(CBitReader& bits, RawDescriptor& out) {
    out.tag = bits.U8();
    out.size = 0;
    for (int i = 0; i < 4; ++i) {
        const uint8_t next = bits.U8();
        out.size = (out.size << 7) | (next & 0x7F);
        if ((next & 0x80) == 0) break;
    }
    return !bits.Overrun() && bits.ReadBytes(out.size, out.body);
}

// Descriptors inside another are read as far as their parent holds them. Some writers give a
// parent a size that leaves out part of its last child: that child is then not read, and the
// box is still whole, so the parse goes on.

// ISO/IEC 14496-1, 7.2.6.6.
void ReadDecoderConfig(const RawDescriptor& d, ESDescriptorFullBox& box) {
    CBitReader bits(d.body);
    box.hasDecoderConfig = true;
    box.decoderConfigSize = d.size;
    box.objectTypeIndication = bits.U8();
    box.streamType = static_cast<uint8_t>(bits.Read(6));
    box.upStream = static_cast<uint8_t>(bits.Read(1));
    bits.Read(1);  // reserved
    box.bufferSizeDB = static_cast<uint32_t>(bits.Read(24));
    box.maxBitrate = bits.U32();
    box.avgBitrate = bits.U32();
    while (!bits.Overrun() && bits.BytesLeft() > 0) {
        RawDescriptor inner;
        if (!ReadDescriptor(bits, inner)) return;
        if (inner.tag == kDecSpecificInfoTag && !box.hasDecoderSpecificInfo) {
            box.hasDecoderSpecificInfo = true;
            box.decoderSpecificInfo = std::move(inner.body);
        } else {
            box.otherDescriptors.push_back({inner.tag, inner.size, std::move(inner.body)});
        }
    }
}

// The visual object sequence's profile, as the classic reading keeps it.
void ReadVisualSpecificInfo(const std::vector<uint8_t>& info, ESDescriptorFullBox& box) {
    CBitReader bits(info);
    const uint32_t start = bits.U32();
    if (start != kVisualObjectSequenceStart || info.size() < 5) return;
    box.visual_object_sequence_start_code = start;
    box.profile_and_level_indication = bits.U8();
    if (info.size() < 9) return;
    CBitReader tail(std::span<const uint8_t>(info).subspan(info.size() - 4));
    const uint32_t end = tail.U32();
    if (end == kVisualObjectSequenceEnd) box.visual_object_sequence_end_code = end;
}

// ISO/IEC 14496-1, 7.2.6.5.
void ReadESDescriptor(const RawDescriptor& d, ESDescriptorFullBox& box) {
    CBitReader bits(d.body);
    box.hasESDescriptor = true;
    box.esDescriptorSize = d.size;
    box.ES_ID = bits.U16();
    box.streamDependenceFlag = static_cast<uint8_t>(bits.Read(1));
    box.URL_Flag = static_cast<uint8_t>(bits.Read(1));
    box.OCRstreamFlag = static_cast<uint8_t>(bits.Read(1));
    box.streamPriority = static_cast<uint8_t>(bits.Read(5));
    if (box.streamDependenceFlag) box.dependsOn_ES_ID = bits.U16();
    if (box.URL_Flag) {
        box.URLlength = bits.U8();
        std::vector<uint8_t> url;
        if (bits.Overrun() || !bits.ReadBytes(box.URLlength, url)) return;
        box.URLstring = Latin1CStringToUtf8(url.data(), url.size());
    }
    if (box.OCRstreamFlag) box.OCR_ES_Id = bits.U16();
    while (!bits.Overrun() && bits.BytesLeft() > 0) {
        RawDescriptor inner;
        if (!ReadDescriptor(bits, inner)) return;
        if (inner.tag == kDecoderConfigDescrTag && !box.hasDecoderConfig) {
            ReadDecoderConfig(inner, box);
        } else if (inner.tag == kSLConfigDescrTag && !box.hasSLConfig && !inner.body.empty()) {
            CBitReader sl(inner.body);
            box.hasSLConfig = true;
            box.predefined = sl.U8();
            sl.ReadRest(box.slConfigRest);
        } else {
            box.otherDescriptors.push_back({inner.tag, inner.size, std::move(inner.body)});
        }
    }
}

}  // namespace

bool ReadESDescriptors(std::span<const uint8_t> payload, ESDescriptorFullBox& box) {
    CBitReader bits(payload);
    while (bits.BytesLeft() > 0) {
        RawDescriptor d;
        if (!ReadDescriptor(bits, d)) return false;
        if (d.tag == kESDescrTag && !box.hasESDescriptor) {
            ReadESDescriptor(d, box);
        } else {
            box.otherDescriptors.push_back({d.tag, d.size, std::move(d.body)});
        }
    }
    if (!box.hasDecoderSpecificInfo) return true;
    if (box.objectTypeIndication == kObjectTypeAudio) {
        // A configuration cut short is shown as its bytes; the box itself is whole.
        box.hasAudioSpecificConfig = ReadAudioSpecificConfig(box.decoderSpecificInfo, box);
    } else if (box.objectTypeIndication == kObjectTypeVisual) {
        ReadVisualSpecificInfo(box.decoderSpecificInfo, box);
    }
    return true;
}

// ISO/IEC 14496-3, 1.6.2.1 (AudioSpecificConfig) and 4.4.1 (GASpecificConfig).
bool ReadAudioSpecificConfig(std::span<const uint8_t> config, ESDescriptorFullBox& box) {
    CBitReader bits(config);
    uint64_t used = 0;
    const auto read = [&](int count) {
        used += static_cast<uint64_t>(count);
        return static_cast<uint32_t>(bits.Read(count));
    };
    const auto objectType = [&] {
        const uint32_t type = read(5);
        return type == 31 ? 32 + read(6) : type;
    };
    const auto frequency = [&](uint8_t& index) -> uint32_t {
        index = static_cast<uint8_t>(read(4));
        if (index == 0x0F) return read(24);
        return index < std::size(kAacSamplingFrequencies) ? kAacSamplingFrequencies[index] : 0;
    };

    uint32_t type = objectType();
    box.samplingFrequency = frequency(box.samplingFrequencyIndex);
    box.channelConfiguration = static_cast<uint8_t>(read(4));
    if (bits.Overrun()) return false;
    // Explicit signalling of SBR (5) and parametric stereo (29): the core's type follows.
    const bool explicitExtension = type == 5 || type == 29;
    if (explicitExtension) {
        box.extensionAudioObjectType = 5;
        box.sbrPresentFlag = 1;
        box.psPresentFlag = type == 29 ? 1 : 0;
        box.extensionSamplingFrequency = frequency(box.extensionSamplingFrequencyIndex);
        type = objectType();
    }
    box.audioObjectType = static_cast<uint8_t>(type);
    if (bits.Overrun()) return false;

    // GASpecificConfig of the general audio object types.
    static constexpr uint32_t kGeneralAudio[] = {1, 2, 3, 4, 6, 7, 17, 19, 20, 21, 22, 23};
    bool general = false;
    for (const uint32_t t : kGeneralAudio)
        general = general || t == type;
    if (!general) return true;
    // The fields after channelConfiguration are kept only as far as the bytes hold them.
    box.frameLengthFlag = static_cast<uint8_t>(read(1));
    box.dependsOnCoreCoder = static_cast<uint8_t>(read(1));
    box.coreCoderDelayPresent = box.dependsOnCoreCoder;
    if (box.dependsOnCoreCoder) box.coreCoderDelay = static_cast<uint16_t>(read(14));
    box.extensionFlag = static_cast<uint8_t>(read(1));
    // A program_config_element (channelConfiguration 0) is not decoded: nothing after it is
    // where this reading would look for it.
    if (box.channelConfiguration == 0 || bits.Overrun()) return !bits.Overrun();
    if (type == 6 || type == 20) read(3);  // layerNr
    if (box.extensionFlag) {
        if (type == 22) read(16);  // numOfSubFrame, layer_length
        if (type == 17 || type == 19 || type == 20 || type == 23) read(3);  // resilience flags
        read(1);                                                            // extensionFlag3
    }
    // Backward-compatible signalling of SBR and parametric stereo after the core's
    // configuration (ISO/IEC 14496-3, 1.6.6).
    const uint64_t size = uint64_t{config.size()} * 8;
    if (explicitExtension || bits.Overrun() || size < used + 16) return !bits.Overrun();
    box.syncExtensionType = static_cast<uint16_t>(read(11));
    if (box.syncExtensionType != 0x2B7) return true;
    box.extensionAudioObjectType = static_cast<uint8_t>(objectType());
    if (box.extensionAudioObjectType != 5) return true;
    box.sbrPresentFlag = static_cast<uint8_t>(read(1));
    if (box.sbrPresentFlag == 0) return true;
    box.extensionSamplingFrequency = frequency(box.extensionSamplingFrequencyIndex);
    if (bits.Overrun() || size < used + 12) return !bits.Overrun();
    box.syncExtensionType2 = static_cast<uint16_t>(read(11));
    if (box.syncExtensionType2 == 0x548) box.psPresentFlag = static_cast<uint8_t>(read(1));
    return !bits.Overrun();
}
