#pragma once

#include <cstdint>

#include "parsing/ParserInterfaces.h"

// Parses the boxes DoCoMo's Mobile MP4 adds: the DRM information container 'drm ', the DRM box
// 'dcmd' and the chapter box 'dcmc'. Chapter counts and name lengths never allocate more than
// the rest of the box holds: a chapter the box cannot hold is passed without reading, so that
// the parse ends the way a read beyond the box ends it.
class CMobileMP4BoxParsingHandler : public CBoxParsingHandlerImpl {
public:
    int32_t ParseBox(const uint8_t type[4], int32_t id, uint64_t size, uint32_t& headerBytes,
                     BoxParseResult& result) override;

private:
    void ParseDRMInformationBox(uint64_t size, BoxParseResult& result);
    void ParseDoCoMoDRMBox(uint64_t size, BoxParseResult& result);
    void ParseDoCoMoChapterBox(uint64_t size, uint32_t headerBytes, BoxParseResult& result);
};
