#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "parsing/BoxParsingTable.h"

class CBitReader;

// Parses the video family beyond the classic set: today's video sample entries, their decoder
// configurations and the boxes that describe the picture.
//
// Fixed fields are taken from the box as bytes first and read from memory, so a box cut short
// is never read past: its missing bytes are passed instead, and the parse ends the way a read
// beyond the box ends it. Lengths and counts allocate no more than the rest of the box holds.
class CVideoBoxParsingHandler : public CTableBoxParsingHandler<CVideoBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CVideoBoxParsingHandler>> Rows();

private:
    void ParsePixelAspectRatio(const BoxParseContext& c);
    void ParseVisualEntry(const BoxParseContext& c);
    void ParseAVCConfiguration(const BoxParseContext& c);
    void ParseHEVCConfiguration(const BoxParseContext& c);
    void ParseAV1Configuration(const BoxParseContext& c);
    void ParseVPConfiguration(const BoxParseContext& c);
    void ParseDolbyVisionConfiguration(const BoxParseContext& c);
    void ParseOriginalFormat(const BoxParseContext& c);
    void ParseColourInformation(const BoxParseContext& c);
    void ParseCleanAperture(const BoxParseContext& c);
    void ParseFieldHandling(const BoxParseContext& c);
    void ParseContentLightLevel(const BoxParseContext& c);
    void ParseMasteringDisplay(const BoxParseContext& c);

    // The next `count` bytes of the box, or as many as the box and the file hold.
    std::vector<uint8_t> TakeFieldBytes(const BoxParseContext& c, uint64_t count);
    // Passes what the fields read from memory wanted beyond their bytes.
    void EndFields(const CBitReader& bits);
};
