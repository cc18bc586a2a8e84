#pragma once

#include <cstdint>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"

// Sample entry records: the entries of a 'stsd' box. Every constructor takes the catalogue id
// first and the size second, as Box does; the one-argument forms give the generic entry's id.
namespace ISOFileFormat {

struct SampleEntry : Box {
    SampleEntry(int32_t id, uint64_t size) : Box(id, size) {}
    uint16_t data_reference_index = 0;
};

struct AudioSampleEntry : SampleEntry {
    explicit AudioSampleEntry(uint64_t size) : AudioSampleEntry(BoxId::AudioSampleEntry, size) {}
    AudioSampleEntry(int32_t id, uint64_t size) : SampleEntry(id, size) {}
    uint16_t channelcount = 2;
    uint16_t samplesize = 16;
    uint32_t samplerate = 0;  // 16.16 fixed point
};

struct VisualSampleEntry : SampleEntry {
    explicit VisualSampleEntry(uint64_t size) : VisualSampleEntry(BoxId::VisualSampleEntry, size) {}
    VisualSampleEntry(int32_t id, uint64_t size) : SampleEntry(id, size) {}
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t horizresolution = 0x00480000;  // 72 dpi, 16.16
    uint32_t vertresolution = 0x00480000;
    uint16_t frame_cout = 1;
    uint8_t compressorname[32] = {};
    uint16_t depth = 24;
};

struct TextSampleEntry : SampleEntry {
    explicit TextSampleEntry(uint64_t size) : TextSampleEntry(BoxId::Tx3g, size) {}
    TextSampleEntry(int32_t id, uint64_t size) : SampleEntry(id, size) {}
    struct BoxRecord {
        int16_t top = 0;
        int16_t left = 0;
        int16_t bottom = 0;
        int16_t right = 0;
    };
    struct StyleRecord {
        uint16_t startChar = 0;
        uint16_t endChar = 0;
        uint16_t font_ID = 0;
        uint8_t face_style_flags = 0;
        uint8_t font_size = 0;
        uint8_t text_color_rgba[4] = {};
    };
    uint32_t displayFlags = 0;
    int8_t horizontal_justification = 0;
    int8_t vertical_justification = 0;
    uint8_t background_color_rgba[4] = {};
    BoxRecord default_text_box;
    StyleRecord default_style;
};

struct HintSampleEntry : SampleEntry {
    explicit HintSampleEntry(uint64_t size) : HintSampleEntry(BoxId::HintSampleEntry, size) {}
    HintSampleEntry(int32_t id, uint64_t size) : SampleEntry(id, size) {}
    std::vector<uint8_t> data;  // the entry's remaining bytes, uninterpreted
};

}  // namespace ISOFileFormat
