#pragma once

#include <QList>
#include <QRect>
#include <cstdint>
#include <optional>
#include <string_view>

#include "document/Settings.h"

// The main window's rectangle as kept in the settings: "x", "y" (top-left corner, screen
// coordinates) and "width", "height" (outer size) under the program's key.
struct WindowPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// A stored 32-bit number: it counts only when stored as a number of exactly 4 bytes, as for the
// switches; anything else reads as missing.
std::optional<uint32_t> ReadNumberSetting(const ISettingsStore& store, std::string_view key,
                                          std::string_view name);

// The placement when all four values can be read; nothing otherwise.
std::optional<WindowPlacement> ReadWindowPlacement(const ISettingsStore& store);
void WriteWindowPlacement(ISettingsStore& store, const WindowPlacement& placement);

// A window's placement brought within reach: onto the screen it mostly lies on (the nearest one
// when it lies on none), no larger than that screen, wholly inside it. `available` holds each
// screen's available geometry (the desktop less its panels); with none that has room the
// placement is kept. Any stored numbers are taken, however far out.
WindowPlacement ClampToAvailableGeometry(const WindowPlacement& window,
                                         const QList<QRect>& available);
