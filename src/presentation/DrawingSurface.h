#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

// What the view tree needs of a drawing surface, and nothing more: framed and filled
// rectangles, and single lines of text that can be measured and drawn. The desktop shell
// implements it with QPainter and QFontMetrics; the core has a fixed-metric surface for the
// CLI and tests and a recording surface for drawing tests. All texts are UTF-8.

// A 24-bit red-green-blue colour.
struct Colour {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;

    friend constexpr bool operator==(const Colour&, const Colour&) = default;
};

constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return Colour{r, g, b};
}

// A 64-bit position or length as a drawing coordinate: a file of gigabytes lays its tree out
// further than 32 bits reach, and such a value is clamped to the range rather than wrapped.
constexpr int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// A font by face name and size. A face that is not installed is left to the surface's
// fallback (the nearest sans-serif).
struct FontSpec {
    std::string faceName;
    int32_t sizeTenths = 80;  // tenths of a point: 80 is 8 pt
    bool bold = false;        // weight 700 when set, normal otherwise
    bool italic = false;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A rectangle in pixels; right and bottom are exclusive.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct Extent {
    int32_t width = 0;
    int32_t height = 0;

    friend constexpr bool operator==(const Extent&, const Extent&) = default;
};

enum class TextAlign { Left, Centre };

class IDrawingSurface {
public:
    virtual ~IDrawingSurface() = default;

    // The font used by every call whose font argument is null. The box view sets its box
    // font here before nodes measure or draw themselves.
    virtual void SetCurrentFont(const FontSpec& font) = 0;
    virtual const FontSpec& GetCurrentFont() const = 0;

    // Extent of one line of text (line breaks are not interpreted). The height is the
    // font's line height, also for an empty text. With `expandTabs`, tab characters advance
    // to the surface's tab stops, as DrawText does with the same flag.
    virtual Extent MeasureText(const FontSpec* font, std::string_view text, bool expandTabs) = 0;

    // Fills `rect` with `colour`, no outline.
    virtual void FillRect(const Rect& rect, Colour colour) = 0;

    // Fills `rect` and outlines it with a solid pen of `penWidth` pixels centred on the
    // rectangle's edge (QPainter's drawRect with a pen of that width).
    virtual void DrawRectangle(const Rect& rect, Colour fill, Colour outline, int32_t penWidth) = 0;

    // Draws one line of text in `colour` with a transparent background, aligned
    // horizontally as asked and centred vertically in `rect`.
    virtual void DrawText(const FontSpec* font, std::string_view text, const Rect& rect,
                          Colour colour, TextAlign align, bool expandTabs) = 0;
};
