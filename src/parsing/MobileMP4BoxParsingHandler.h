#pragma once

#include <span>

#include "parsing/BoxParsingTable.h"

// Parses the boxes DoCoMo's Mobile MP4 adds: the DRM information container 'drm ', the DRM box
// 'dcmd' and the chapter box 'dcmc'. Chapter counts and name lengths never allocate more than
// the rest of the box holds: a chapter the box cannot hold is passed without reading, so that
// the parse ends the way a read beyond the box ends it.
class CMobileMP4BoxParsingHandler : public CTableBoxParsingHandler<CMobileMP4BoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CMobileMP4BoxParsingHandler>> Rows();

private:
    void ParseDRMInformationBox(const BoxParseContext& c);
    void ParseDoCoMoDRMBox(const BoxParseContext& c);
    void ParseDoCoMoChapterBox(const BoxParseContext& c);
};
