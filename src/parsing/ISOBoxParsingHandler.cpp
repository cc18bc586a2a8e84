#include "parsing/ISOBoxParsingHandler.h"

int32_t CISOBoxParsingHandler::ParseBox(const uint8_t[4], int32_t, uint64_t, uint32_t&,
                                        BoxParseResult&) {
    return 0;
}
