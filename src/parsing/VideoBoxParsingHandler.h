#pragma once

#include <span>

#include "parsing/BoxParsingTable.h"

// Parses the video family beyond the classic set: today's video sample entries, their decoder
// configurations and the boxes that describe the picture.
class CVideoBoxParsingHandler : public CTableBoxParsingHandler<CVideoBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CVideoBoxParsingHandler>> Rows();

private:
    void ParsePixelAspectRatio(const BoxParseContext& c);
};
