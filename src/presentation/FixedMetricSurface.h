#pragma once

#include <cstdint>

#include "presentation/DrawingSurface.h"

// A surface without pixels: every character advances by the same width and every line has
// the same height, whatever the font. Layouts computed on it are exact and repeatable, which
// is what orvex-dump and the tests need. Drawing calls do nothing.
class CFixedMetricSurface : public IDrawingSurface {
public:
    struct Metrics {
        int32_t advance = 6;      // width of every character
        int32_t lineHeight = 13;  // height of every line
        int32_t tabStop = 8;      // tab stops every this many characters
    };

    CFixedMetricSurface() = default;
    explicit CFixedMetricSurface(const Metrics& metrics) : m_metrics(metrics) {}

    const Metrics& GetMetrics() const { return m_metrics; }

    void SetCurrentFont(const FontSpec& font) override { m_font = font; }
    const FontSpec& GetCurrentFont() const override { return m_font; }

    Extent MeasureText(const FontSpec* font, std::string_view text, bool expandTabs) override;
    void FillRect(const Rect&, Colour) override {}
    void DrawRectangle(const Rect&, Colour, Colour, int32_t) override {}
    void DrawText(const FontSpec*, std::string_view, const Rect&, Colour, TextAlign,
                  bool) override {}

private:
    Metrics m_metrics;
    FontSpec m_font{"Tahoma", 80, false, false};
};
