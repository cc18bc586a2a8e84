#pragma once

#include <cstdint>

// The ISO 639-2/T code packed into 15 bits (three 5-bit letters, each plus 0x60); the top
// (padding) bit is ignored.
inline void DecodePackedLanguage(uint16_t packed, uint8_t letters[3]) {
    letters[0] = static_cast<uint8_t>(((packed >> 10) & 0x1F) + 0x60);
    letters[1] = static_cast<uint8_t>(((packed >> 5) & 0x1F) + 0x60);
    letters[2] = static_cast<uint8_t>((packed & 0x1F) + 0x60);
}
