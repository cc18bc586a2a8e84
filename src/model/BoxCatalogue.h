#pragma once

#include <cstdint>
#include <string_view>

// The fixed table of every box type the system knows. Everything downstream compares the
// catalogue id, never the four-character code.
struct BoxCatalogueEntry {
    int32_t id;
    const char* type;
    const char* longName;
    const char* description;
};

namespace BoxId {
// Ids with a role of their own; the rest are looked up by their type.
constexpr int32_t Unknown = -1;
constexpr int32_t Empty = 0;
constexpr int32_t AudioSampleEntry = 60;
constexpr int32_t VisualSampleEntry = 61;
constexpr int32_t HintSampleEntry = 62;
constexpr int32_t TextSampleEntry = 63;
constexpr int32_t UnknownSampleEntry = 64;
constexpr int32_t Uuid = 116;
}  // namespace BoxId

constexpr int32_t kBoxCatalogueSize = 117;

// Case-insensitive (A-Z only) lookup of a type text; the first entry in id order wins.
// An empty text yields 0; a type not in the table yields -1.
int32_t FindBoxId(std::string_view typeText);

// The same for the four raw type bytes of a box header: the text ends at the first zero byte.
int32_t FindBoxId(const uint8_t type[4]);

// Accessors for ids 0-116 and -1 ("Unknown Type"; no description: nullptr).
const char* GetBoxTypeText(int32_t id);
const char* GetBoxLongName(int32_t id);
const char* GetBoxDescription(int32_t id);
const BoxCatalogueEntry* GetBoxCatalogueEntry(int32_t id);
