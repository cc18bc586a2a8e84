#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "parsing/BitReader.h"
#include "parsing/BoxParsingTable.h"

// Parses the video family beyond the classic set: today's video sample entries, their decoder
// configurations and the boxes that describe the picture.
//
// Fixed fields are taken from the box as bytes first and read from memory, so a box cut short
// is never read past: its missing bytes are passed instead, and the parse ends the way a read
// beyond the box ends it. Lengths and counts allocate no more than the rest of the box holds.
namespace ISOFileFormat {
struct HEVCConfigurationBox;
}

class CVideoBoxParsingHandler : public CTableBoxParsingHandler<CVideoBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CVideoBoxParsingHandler>> Rows();

private:
    void ParsePixelAspectRatio(const BoxParseContext& c);
    void ParseVisualEntry(const BoxParseContext& c);
    void ParseAVCConfiguration(const BoxParseContext& c);
    void ParseHEVCConfiguration(const BoxParseContext& c);
    void ReadNalUnitArrays(const BoxParseContext& c, ISOFileFormat::HEVCConfigurationBox& h);
    void ParseAV1Configuration(const BoxParseContext& c);
    void ParseVPConfiguration(const BoxParseContext& c);
    void ParseDolbyVisionConfiguration(const BoxParseContext& c);
    void ParseOriginalFormat(const BoxParseContext& c);
    void ParseColourInformation(const BoxParseContext& c);
    void ParseCleanAperture(const BoxParseContext& c);
    void ParseFieldHandling(const BoxParseContext& c);
    void ParseContentLightLevel(const BoxParseContext& c);
    void ParseMasteringDisplay(const BoxParseContext& c);

    // Reads `count` bytes of fixed fields from memory with `read(CBitReader&)`: the bytes are
    // taken from the box first, never more than the box and the file hold, and what the fields
    // want beyond them is passed. False when the box was cut inside them.
    template <typename Read>
    bool ReadFields(const BoxParseContext& c, uint64_t count, Read read) {
        const std::vector<uint8_t> bytes = TakeFieldBytes(c, count);
        CBitReader bits(bytes);
        read(bits);
        return EndFields(bits);
    }
    std::vector<uint8_t> TakeFieldBytes(const BoxParseContext& c, uint64_t count);
    bool EndFields(const CBitReader& bits);
};
