#include "presentation/RecordingSurface.h"

#include "model/Format.h"

namespace {

std::string ColourText(Colour c) {
    return StrFormat("#%02X%02X%02X", c.r, c.g, c.b);
}

std::string RectText(const Rect& r) {
    return StrFormat("(%d,%d,%d,%d)", r.left, r.top, r.right, r.bottom);
}

std::string FontText(const FontSpec* font) {
    if (!font) return std::string();
    return StrFormat(" font %s %d%s%s", font->faceName.c_str(), font->sizeTenths,
                     font->bold ? " b" : "", font->italic ? " i" : "");
}

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    out.append(text);
    out += '"';
    return out;
}

}  // namespace

Extent CRecordingSurface::MeasureText(const FontSpec* font, std::string_view text,
                                      bool expandTabs) {
    m_calls.push_back("measure " + Quoted(text) + (expandTabs ? " tabs" : "") + FontText(font));
    return CFixedMetricSurface::MeasureText(font, text, expandTabs);
}

void CRecordingSurface::FillRect(const Rect& rect, Colour colour) {
    m_calls.push_back("fill " + RectText(rect) + " " + ColourText(colour));
}

void CRecordingSurface::DrawRectangle(const Rect& rect, Colour fill, Colour outline,
                                      int32_t penWidth) {
    m_calls.push_back("rect " + RectText(rect) + " fill " + ColourText(fill) + " outline " +
                      ColourText(outline) + StrFormat(" pen %d", penWidth));
}

void CRecordingSurface::DrawText(const FontSpec* font, std::string_view text, const Rect& rect,
                                 Colour colour, TextAlign align, bool expandTabs) {
    m_calls.push_back(std::string("text ") + (align == TextAlign::Left ? "left " : "centre ") +
                      RectText(rect) + " " + ColourText(colour) + (expandTabs ? " tabs" : "") +
                      FontText(font) + " " + Quoted(text));
}

std::vector<std::string> CRecordingSurface::GetCalls(std::string_view prefix) const {
    std::vector<std::string> matching;
    for (const std::string& call : m_calls) {
        if (call.compare(0, prefix.size(), prefix) == 0) matching.push_back(call);
    }
    return matching;
}
