#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <unordered_map>

#include "presentation/DrawingSurface.h"

class QPainter;

// A colour of the core (see presentation/ViewPalette.h) as Qt paints it.
QColor ToQColor(Colour colour);

// The view tree's drawing surface on Qt. Nodes are measured while a file is parsed, before any
// painter exists, and a big file has millions of texts to measure: fonts and their metrics are
// made once per font and kept, and texts of plain ASCII are measured from a table of character
// advances without building a QString. Kerning and shaping are switched off on our fonts so
// that drawn text is exactly as wide as the sum of its advances, which is what was measured.
class CQtDrawingSurface : public IDrawingSurface {
public:
    CQtDrawingSurface();
    ~CQtDrawingSurface() override;
    CQtDrawingSurface(const CQtDrawingSurface&) = delete;
    CQtDrawingSurface& operator=(const CQtDrawingSurface&) = delete;

    // Drawing calls paint with `painter` until End(); `visible` is the painter's visible area,
    // beyond which nothing needs to be drawn. Without a painter they do nothing.
    void Begin(QPainter* painter, const QRect& visible);
    void End();

    void SetCurrentFont(const FontSpec& font) override;
    const FontSpec& GetCurrentFont() const override { return m_currentSpec; }
    Extent MeasureText(const FontSpec* font, std::string_view text, bool expandTabs) override;
    void FillRect(const Rect& rect, Colour colour) override;
    void DrawRectangle(const Rect& rect, Colour fill, Colour outline, int32_t penWidth) override;
    void DrawText(const FontSpec* font, std::string_view text, const Rect& rect, Colour colour,
                  TextAlign align, bool expandTabs) override;

    // The Qt font made for a font specification (the same object on every call).
    const QFont& GetQFont(const FontSpec& font);

private:
    struct FontEntry {
        explicit FontEntry(const QFont& qfont);
        QFont font;
        QFontMetrics metrics;
        int32_t height;
        int32_t ascent;
        int32_t tabStop;  // tab stops every this many pixels: eight average characters
        std::array<float, 128> asciiAdvance;
    };
    struct SpecHash {
        size_t operator()(const FontSpec& wanted) const;
    };

    FontEntry& Entry(const FontSpec* font);
    FontEntry& Lookup(const FontSpec& wanted);
    // Width of one run of text without tabs, in fractional pixels.
    static double RunWidth(FontEntry& entry, std::string_view run);
    // Keeps coordinates within a margin around the visible area, so that the frame of a node
    // millions of pixels tall is drawn as its visible part with the same edges.
    QRect ClampToVisible(const Rect& rect) const;

    std::unordered_map<FontSpec, std::unique_ptr<FontEntry>, SpecHash> m_fonts;
    FontSpec m_currentSpec;
    FontEntry* m_current = nullptr;
    // The last font asked for by value: the same few fonts come again and again, and comparing
    // with the last is cheaper than hashing the face name.
    FontSpec m_lastWanted;
    FontEntry* m_last = nullptr;

    QPainter* m_painter = nullptr;
    QRect m_visible;
    const FontEntry* m_painterFont = nullptr;
};
