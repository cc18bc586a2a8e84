#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "presentation/FixedMetricSurface.h"
#include "presentation/TextSink.h"

TEST(FixedMetricSurface, MeasuresCharactersTabsAndLines) {
    CFixedMetricSurface surface;  // 6 per character, 13 per line, tab stops every 8
    // Characters, not bytes.
    EXPECT_EQ(surface.MeasureText(nullptr, "\xC3\xA9t\xC3\xA9 \xC2\xA9", false), (Extent{30, 13}));
    // A tab is one character unless expanded; expanded it advances to the next stop.
    EXPECT_EQ(surface.MeasureText(nullptr, "a\tb", false).width, 3 * 6);
    EXPECT_EQ(surface.MeasureText(nullptr, "12345678\tb", true).width, 17 * 6);
    // A text too wide for a pixel coordinate saturates instead of wrapping.
    CFixedMetricSurface wide(CFixedMetricSurface::Metrics{1 << 20, 13, 8});
    EXPECT_EQ(wide.MeasureText(nullptr, std::string(5000, 'x'), false).width, INT32_MAX);
}

namespace {
class ChunkSink : public CTextSink {
public:
    ChunkSink() : CTextSink(1) {}
    std::vector<std::string> chunks;

protected:
    void Drain(std::string& text) override {
        chunks.push_back(text);
        text.clear();
    }
};
}  // namespace

// Exported text is written out in chunks, each ending at a line's end.
TEST(TextSink, DrainsAtLineBoundariesOnlyOnceLarge) {
    ChunkSink sink;
    sink.Append("| + one");
    sink.LineDone();
    sink.Append('\n');
    sink.AppendTabs(2);
    sink.AppendTabs(-1);  // no indent for a negative count
    sink.Append("| + two");
    sink.LineDone();
    sink.Flush();
    EXPECT_EQ(sink.chunks, (std::vector<std::string>{"| + one", "\n\t\t| + two", ""}));
}
