#include "shell/QtDrawingSurface.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

// Drawing beyond the visible area is clamped to this margin around it: wider than any pen, so
// clamped edges stay out of sight.
constexpr int kClampMargin = 64;
constexpr int32_t kTabStopCharacters = 8;

QFont MakeFont(const FontSpec& wanted) {
    QFont font(
        QString::fromUtf8(wanted.faceName.data(), static_cast<qsizetype>(wanted.faceName.size())));
    // A face that is not installed is replaced by the nearest sans-serif.
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(wanted.sizeTenths > 0 ? wanted.sizeTenths / 10.0 : 8.0);
    font.setWeight(wanted.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(wanted.italic);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

int32_t ToPixels(double width) {
    const double pixels = std::ceil(width - 1e-6);
    if (pixels >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return pixels < 0 ? 0 : static_cast<int32_t>(pixels);
}

}  // namespace

QColor ToQColor(Colour colour) {
    return QColor(colour.r, colour.g, colour.b);
}

CQtDrawingSurface::FontEntry::FontEntry(const QFont& qfont)
    : font(qfont),
      metrics(qfont),
      height(metrics.height()),
      ascent(metrics.ascent()),
      tabStop(std::max(1, metrics.averageCharWidth()) * kTabStopCharacters) {
    const QFontMetricsF exact(qfont);
    for (size_t c = 0; c < asciiAdvance.size(); ++c)
        asciiAdvance[c] =
            static_cast<float>(exact.horizontalAdvance(QChar(static_cast<char16_t>(c))));
}

size_t CQtDrawingSurface::SpecHash::operator()(const FontSpec& wanted) const {
    size_t h = std::hash<std::string>()(wanted.faceName);
    h ^= std::hash<int32_t>()(wanted.sizeTenths) + 0x9E3779B9u + (h << 6) + (h >> 2);
    return h ^ (wanted.bold ? 0x51 : 0) ^ (wanted.italic ? 0xA200 : 0);
}

CQtDrawingSurface::CQtDrawingSurface() : m_currentSpec{"Tahoma", 80, false, false} {
    m_current = &Lookup(m_currentSpec);
}

CQtDrawingSurface::~CQtDrawingSurface() = default;

void CQtDrawingSurface::Begin(QPainter* painter, const QRect& visible) {
    m_painter = painter;
    m_visible = visible;
    m_painterFont = nullptr;
}

void CQtDrawingSurface::End() {
    m_painter = nullptr;
    m_painterFont = nullptr;
}

void CQtDrawingSurface::SetCurrentFont(const FontSpec& font) {
    m_currentSpec = font;
    m_current = &Lookup(font);
}

const QFont& CQtDrawingSurface::GetQFont(const FontSpec& font) {
    return Lookup(font).font;
}

CQtDrawingSurface::FontEntry& CQtDrawingSurface::Lookup(const FontSpec& wanted) {
    if (m_last && wanted == m_lastWanted) return *m_last;
    auto it = m_fonts.find(wanted);
    if (it == m_fonts.end())
        it = m_fonts.emplace(wanted, std::make_unique<FontEntry>(MakeFont(wanted))).first;
    m_lastWanted = wanted;
    m_last = it->second.get();
    return *m_last;
}

CQtDrawingSurface::FontEntry& CQtDrawingSurface::Entry(const FontSpec* font) {
    return font ? Lookup(*font) : *m_current;
}

double CQtDrawingSurface::RunWidth(FontEntry& entry, std::string_view run) {
    if (run.empty()) return 0;
    if (IsAscii(run)) {
        double width = 0;
        for (const char c : run)
            width += entry.asciiAdvance[static_cast<unsigned char>(c)];
        return width;
    }
    return QFontMetricsF(entry.font)
        .horizontalAdvance(QString::fromUtf8(run.data(), static_cast<qsizetype>(run.size())));
}

Extent CQtDrawingSurface::MeasureText(const FontSpec* font, std::string_view text,
                                      bool expandTabs) {
    FontEntry& entry = Entry(font);
    double width = 0;
    if (!expandTabs || text.find('\t') == std::string_view::npos) {
        width = RunWidth(entry, text);
    } else {
        size_t start = 0;
        while (true) {
            const size_t tab = text.find('\t', start);
            width += RunWidth(
                entry, text.substr(start, tab == std::string_view::npos ? std::string_view::npos
                                                                        : tab - start));
            if (tab == std::string_view::npos) break;
            width = (std::floor(width / entry.tabStop) + 1) * entry.tabStop;
            start = tab + 1;
        }
    }
    return Extent{ToPixels(width), entry.height};
}

QRect CQtDrawingSurface::ClampToVisible(const Rect& rect) const {
    auto clamp = [](int64_t v, int64_t low, int64_t high) { return std::clamp(v, low, high); };
    const int64_t left = clamp(rect.left, int64_t{m_visible.left()} - kClampMargin,
                               int64_t{m_visible.right()} + kClampMargin);
    const int64_t right = clamp(rect.right, int64_t{m_visible.left()} - kClampMargin,
                                int64_t{m_visible.right()} + kClampMargin);
    const int64_t top = clamp(rect.top, int64_t{m_visible.top()} - kClampMargin,
                              int64_t{m_visible.bottom()} + kClampMargin);
    const int64_t bottom = clamp(rect.bottom, int64_t{m_visible.top()} - kClampMargin,
                                 int64_t{m_visible.bottom()} + kClampMargin);
    return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                 static_cast<int>(bottom - top));
}

void CQtDrawingSurface::FillRect(const Rect& rect, Colour colour) {
    if (!m_painter || rect.right <= rect.left || rect.bottom <= rect.top) return;
    const QRect r = ClampToVisible(rect);
    if (r.isEmpty() || !r.intersects(m_visible)) return;
    m_painter->fillRect(r, ToQColor(colour));
}

void CQtDrawingSurface::DrawRectangle(const Rect& rect, Colour fill, Colour outline,
                                      int32_t penWidth) {
    if (!m_painter) return;
    const QRect r = ClampToVisible(rect);
    if (!r.adjusted(-penWidth, -penWidth, penWidth, penWidth).intersects(m_visible)) return;
    m_painter->setPen(
        QPen(ToQColor(outline), penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    m_painter->setBrush(ToQColor(fill));
    m_painter->drawRect(QRectF(r));
}

void CQtDrawingSurface::DrawText(const FontSpec* font, std::string_view text, const Rect& rect,
                                 Colour colour, TextAlign align, bool expandTabs) {
    if (!m_painter || text.empty()) return;
    FontEntry& entry = Entry(font);
    const int64_t top = rect.top + (int64_t{rect.bottom} - rect.top - entry.height) / 2;
    if (top > m_visible.bottom() || top + entry.height < m_visible.top()) return;
    int64_t left = rect.left;
    if (align == TextAlign::Centre)
        left += (int64_t{rect.right} - rect.left - MeasureText(font, text, expandTabs).width) / 2;
    if (left > m_visible.right()) return;
    if (m_painterFont != &entry) {
        m_painter->setFont(entry.font);
        m_painterFont = &entry;
    }
    m_painter->setPen(ToQColor(colour));
    const double baseline = static_cast<double>(top + entry.ascent);
    auto drawRun = [&](double x, std::string_view run) {
        if (!run.empty())
            m_painter->drawText(QPointF(x, baseline),
                                QString::fromUtf8(run.data(), static_cast<qsizetype>(run.size())));
    };
    if (!expandTabs || text.find('\t') == std::string_view::npos) {
        drawRun(static_cast<double>(left), text);
        return;
    }
    // Tab stops are counted from the start of the text, as when measuring.
    double x = 0;
    size_t start = 0;
    while (true) {
        const size_t tab = text.find('\t', start);
        const std::string_view run = text.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        drawRun(static_cast<double>(left) + x, run);
        if (tab == std::string_view::npos) break;
        x += RunWidth(entry, run);
        x = (std::floor(x / entry.tabStop) + 1) * entry.tabStop;
        start = tab + 1;
    }
}
