#pragma once

#include <string>
#include <vector>

#include "presentation/FixedMetricSurface.h"

// A fixed-metric surface that also writes down every call, one readable line per call, so
// that drawing tests can compare what was drawn, where and in which colour:
//   measure "text" tabs font Tahoma 80 b i
//   fill (l,t,r,b) #RRGGBB
//   rect (l,t,r,b) fill #RRGGBB outline #RRGGBB pen 2
//   text left|centre (l,t,r,b) #RRGGBB tabs font ... "text"
// "tabs" appears only when tabs are expanded, "font ..." only when a font was given; the
// font's "b" and "i" only when bold or italic.
class CRecordingSurface : public CFixedMetricSurface {
public:
    using CFixedMetricSurface::CFixedMetricSurface;

    Extent MeasureText(const FontSpec* font, std::string_view text, bool expandTabs) override;
    void FillRect(const Rect& rect, Colour colour) override;
    void DrawRectangle(const Rect& rect, Colour fill, Colour outline, int32_t penWidth) override;
    void DrawText(const FontSpec* font, std::string_view text, const Rect& rect, Colour colour,
                  TextAlign align, bool expandTabs) override;

    const std::vector<std::string>& GetCalls() const { return m_calls; }
    // The recorded calls that start with `prefix` ("fill", "text", ...).
    std::vector<std::string> GetCalls(std::string_view prefix) const;
    void Clear() { m_calls.clear(); }

private:
    std::vector<std::string> m_calls;
};
