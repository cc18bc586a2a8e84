#include "model/BoxCatalogue.h"

#include <array>
#include <string>
#include <unordered_map>

namespace {
constexpr char kUnknownType[] = "Unknown Type";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
    std::string key(text);
    for (char& c : key)
        c = LowerAscii(c);
    return key;
}

// Lower-cased type text -> first id with that type; built once.
const std::unordered_map<std::string, int32_t>& LookupTable() {
    static const std::unordered_map<std::string, int32_t> table = [] {
        std::unordered_map<std::string, int32_t> t;
        for (const auto& e : kBoxCatalogue) {
            if (e.type[0] != '\0') t.emplace(Lowered(e.type), e.id);
        }
        return t;
    }();
    return table;
}
}  // namespace

int32_t FindBoxId(std::string_view typeText, BoxSet set) {
    if (typeText.empty()) return 0;
    auto it = LookupTable().find(Lowered(typeText));
    if (it == LookupTable().end()) return BoxId::Unknown;
    return set == BoxSet::Classic && it->second >= kClassicBoxCount ? BoxId::Unknown : it->second;
}

int32_t FindBoxId(const uint8_t type[4], BoxSet set) {
    size_t length = 0;
    while (length < 4 && type[length] != 0)
        ++length;
    return FindBoxId(std::string_view(reinterpret_cast<const char*>(type), length), set);
}

const BoxCatalogueEntry* GetBoxCatalogueEntry(int32_t id) {
    if (id < 0 || id >= kBoxCatalogueSize) return nullptr;
    return &kBoxCatalogue[id];
}

const char* GetBoxTypeText(int32_t id) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e ? e->type : kUnknownType;
}

const char* GetBoxLongName(int32_t id) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e ? e->longName : kUnknownType;
}

const char* GetBoxDescription(int32_t id) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e ? e->description : nullptr;
}

BoxKind GetBoxKind(int32_t id) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e ? e->kind : BoxKind::Box;
}

bool BoxFeeds(int32_t id, uint8_t facts) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e != nullptr && (e->facts & facts) != 0;
}
