#pragma once

#include <cstdint>
#include <vector>

#include "model/Box.h"

// Sample entry records: the entries of a 'stsd' box, made by the ISO and 3GPP parsers.
namespace ISOFileFormat {

struct SampleEntry : Box {
    SampleEntry(int32_t id, uint64_t size) : Box(id, size) {}
    uint16_t data_reference_index = 0;
};

struct AudioSampleEntry : SampleEntry {
    AudioSampleEntry(uint64_t size, int32_t id = 60) : SampleEntry(id, size) {}
    uint16_t channelcount = 2;
    uint16_t samplesize = 16;
    uint32_t samplerate = 0;  // 16.16 fixed point
};

struct VisualSampleEntry : SampleEntry {
    VisualSampleEntry(uint64_t size, int32_t id = 61) : SampleEntry(id, size) {}
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t horizresolution = 0x00480000;  // 72 dpi, 16.16
    uint32_t vertresolution = 0x00480000;
    uint16_t frame_cout = 1;
    uint8_t compressorname[32] = {};
    uint16_t depth = 24;
};

struct TextSampleEntry : SampleEntry {
    TextSampleEntry(uint64_t size, int32_t id = 65) : SampleEntry(id, size) {}
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
    HintSampleEntry(uint64_t size, int32_t id = 62) : SampleEntry(id, size) {}
    std::vector<uint8_t> data;  // the entry's remaining bytes, uninterpreted
};

}  // namespace ISOFileFormat
