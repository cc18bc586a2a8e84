#include "presentation/FixedMetricSurface.h"

#include <limits>

Extent CFixedMetricSurface::MeasureText(const FontSpec* font, std::string_view text,
                                        bool expandTabs) {
    (void)font;
    const int64_t tabStop = m_metrics.tabStop > 0 ? m_metrics.tabStop : 1;
    int64_t columns = 0;
    if (!expandTabs || text.find('\t') == std::string_view::npos) {
        // Every node of a tree is measured, millions for a large file: without tabs the width
        // is a count that the compiler can vectorise.
        int64_t continuationBytes = 0;
        for (const char c : text)
            continuationBytes += (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        columns = static_cast<int64_t>(text.size()) - continuationBytes;
    } else {
        for (const char c : text) {
            // One column per character: UTF-8 continuation bytes add nothing.
            if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) continue;
            if (c == '\t')
                columns = (columns / tabStop + 1) * tabStop;
            else
                ++columns;
        }
    }
    const int64_t width = columns * m_metrics.advance;
    const int32_t maxWidth = std::numeric_limits<int32_t>::max();
    return Extent{width > maxWidth ? maxWidth : static_cast<int32_t>(width), m_metrics.lineHeight};
}
