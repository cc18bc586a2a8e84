#include "shell/WindowPlacement.h"

#include <algorithm>
#include <limits>

namespace {
// A rectangle that may lie anywhere a 32-bit placement can put it; right and bottom exclusive.
struct Span {
    int64_t left, top, right, bottom;
};

// How much of `a` lies on `b`, or how far it is from it (negative) when they do not meet: the
// overlapping area, else minus the gap summed along both axes.
int64_t Nearness(const Span& a, const QRect& b) {
    const int64_t left = std::max<int64_t>(a.left, b.left());
    const int64_t right = std::min<int64_t>(a.right, int64_t{b.left()} + b.width());
    const int64_t top = std::max<int64_t>(a.top, b.top());
    const int64_t bottom = std::min<int64_t>(a.bottom, int64_t{b.top()} + b.height());
    if (right > left && bottom > top) return (right - left) * (bottom - top);
    return -(std::max<int64_t>(left - right, 0) + std::max<int64_t>(top - bottom, 0));
}
}  // namespace

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

WindowPlacement ClampToAvailableGeometry(const WindowPlacement& window,
                                         const QList<QRect>& available) {
    const Span span{window.x, window.y, int64_t{window.x} + std::max(window.width, 0),
                    int64_t{window.y} + std::max(window.height, 0)};
    const QRect* best = nullptr;
    int64_t bestNearness = std::numeric_limits<int64_t>::min();
    for (const QRect& screen : available) {
        if (screen.isEmpty()) continue;
        const int64_t nearness = Nearness(span, screen);
        if (nearness > bestNearness) {
            best = &screen;
            bestNearness = nearness;
        }
    }
    if (best == nullptr) return window;
    const QRect& screen = *best;
    const int width = std::clamp(window.width, 1, screen.width());
    const int height = std::clamp(window.height, 1, screen.height());
    return WindowPlacement{
        std::clamp(window.x, screen.left(), screen.left() + screen.width() - width),
        std::clamp(window.y, screen.top(), screen.top() + screen.height() - height), width, height};
}
