#include "document/Settings.h"

#include <iterator>

#include "model/TextConversion.h"

namespace {
struct SwitchInfo {
    const char* name;
    bool defaultValue;
};
constexpr SwitchInfo kSwitches[] = {
    {"AutoExpand", false}, {"AutoParse", true},      {"NoExpandMDAT", false},
    {"NoExpandQI", false}, {"ClassicBoxSet", false},
};
constexpr int32_t kSwitchCount = static_cast<int32_t>(std::size(kSwitches));
constexpr char kHexEditorValue[] = "Hex Editor";
constexpr size_t kMaxPathCharacters = 260;  // terminator included
}  // namespace

SettingValue SettingValue::Text(std::string value) {
    SettingValue v;
    v.type = Type::Text;
    // Stored as UTF-16 with its terminating zero, as the registry keeps texts.
    v.byteLength = static_cast<uint32_t>((Utf8Length(value) + 1) * 2);
    v.text = std::move(value);
    return v;
}

std::optional<SettingValue> CMemorySettingsStore::ReadValue(std::string_view key,
                                                            std::string_view name) const {
    auto it = m_values.find(std::make_pair(std::string(key), std::string(name)));
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

bool CMemorySettingsStore::WriteValue(std::string_view key, std::string_view name,
                                      const SettingValue& value) {
    m_values[std::make_pair(std::string(key), std::string(name))] = value;
    return true;
}

bool CMemorySettingsStore::DeleteValue(std::string_view key, std::string_view name) {
    return m_values.erase(std::make_pair(std::string(key), std::string(name))) > 0;
}

bool GetSwitchSetting(const ISettingsStore& store, int32_t index) {
    if (index < 0 || index >= kSwitchCount) return false;
    return GetFlagSetting(store, kSwitches[index].name, kSwitches[index].defaultValue);
}

bool SetSwitchSetting(ISettingsStore& store, int32_t index, bool on) {
    if (index < 0 || index >= kSwitchCount) return false;
    return SetFlagSetting(store, kSwitches[index].name, on);
}

bool GetFlagSetting(const ISettingsStore& store, std::string_view name, bool defaultValue) {
    std::optional<SettingValue> value = store.ReadValue(kSettingsKey, name);
    if (!value || value->type != SettingValue::Type::Number32 || value->byteLength != 4) {
        return defaultValue;
    }
    return value->number == 1;
}

bool SetFlagSetting(ISettingsStore& store, std::string_view name, bool on) {
    return store.WriteValue(kSettingsKey, name, SettingValue::Number(on ? 1 : 0));
}

bool GetHexEditorPath(const ISettingsStore& store, std::string& path) {
    std::optional<SettingValue> value = store.ReadValue(kSettingsKey, kHexEditorValue);
    if (!value || value->type != SettingValue::Type::Text) return false;
    if (value->byteLength % 2 != 0 || value->byteLength > kMaxPathCharacters * 2) return false;
    if (Utf8Length(value->text) + 1 > kMaxPathCharacters) return false;
    path = value->text;
    return true;
}

bool SetHexEditorPath(ISettingsStore& store, const std::string& path) {
    return store.WriteValue(kSettingsKey, kHexEditorValue, SettingValue::Text(path));
}
