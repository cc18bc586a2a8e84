#pragma once

#include "parsing/ParserInterfaces.h"

// Parses the boxes of the ISO base media file format (ISO/IEC 14496-12).
class CISOBoxParsingHandler : public CBoxParsingHandlerImpl {
public:
    int32_t ParseBox(const uint8_t type[4], int32_t id, uint64_t size, uint32_t& headerBytes,
                     BoxParseResult& result) override;
};
