#include "shell/WindowPlacement.h"

std::optional<uint32_t> ReadNumberSetting(const ISettingsStore& store, std::string_view key,
                                          std::string_view name) {
    const std::optional<SettingValue> value = store.ReadValue(key, name);
    if (!value || value->type != SettingValue::Type::Number32 || value->byteLength != 4)
        return std::nullopt;
    return value->number;
}

std::optional<WindowPlacement> ReadWindowPlacement(const ISettingsStore& store) {
    const auto x = ReadNumberSetting(store, kSettingsKey, "x");
    const auto y = ReadNumberSetting(store, kSettingsKey, "y");
    const auto width = ReadNumberSetting(store, kSettingsKey, "width");
    const auto height = ReadNumberSetting(store, kSettingsKey, "height");
    if (!x || !y || !width || !height) return std::nullopt;
    // The numbers are the bits of signed values: a window may lie left of or above the screen.
    return WindowPlacement{static_cast<int32_t>(*x), static_cast<int32_t>(*y),
                           static_cast<int32_t>(*width), static_cast<int32_t>(*height)};
}

void WriteWindowPlacement(ISettingsStore& store, const WindowPlacement& placement) {
    // Failures are silent: settings that cannot be written at close are lost.
    store.WriteValue(kSettingsKey, "x", SettingValue::Number(static_cast<uint32_t>(placement.x)));
    store.WriteValue(kSettingsKey, "y", SettingValue::Number(static_cast<uint32_t>(placement.y)));
    store.WriteValue(kSettingsKey, "width",
                     SettingValue::Number(static_cast<uint32_t>(placement.width)));
    store.WriteValue(kSettingsKey, "height",
                     SettingValue::Number(static_cast<uint32_t>(placement.height)));
}
