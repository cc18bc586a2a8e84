#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "presentation/FixedMetricSurface.h"
#include "presentation/RecordingSurface.h"
#include "presentation/TextSink.h"

TEST(FixedMetricSurface, MeasuresCharactersTabsAndLines) {
    CFixedMetricSurface surface;  // 6 per character, 13 per line, tab stops every 8
    EXPECT_EQ(surface.MeasureText(nullptr, "moov", false), (Extent{24, 13}));
    // An empty text still has the height of a line.
    EXPECT_EQ(surface.MeasureText(nullptr, "", false), (Extent{0, 13}));
    // Characters, not bytes: "é" and "©" are two bytes each in UTF-8.
    EXPECT_EQ(surface.MeasureText(nullptr, "\xC3\xA9t\xC3\xA9 \xC2\xA9", false).width, 5 * 6);
    // A tab is one character unless expanded; expanded it advances to the next stop.
    EXPECT_EQ(surface.MeasureText(nullptr, "a\tb", false).width, 3 * 6);
    EXPECT_EQ(surface.MeasureText(nullptr, "a\tb", true).width, 9 * 6);
    EXPECT_EQ(surface.MeasureText(nullptr, "12345678\tb", true).width, 17 * 6);
    EXPECT_EQ(surface.MeasureText(nullptr, "\t\t", true).width, 16 * 6);

    CFixedMetricSurface custom(CFixedMetricSurface::Metrics{10, 20, 4});
    const FontSpec bold{"Tahoma", 80, true, false};
    EXPECT_EQ(custom.MeasureText(&bold, "ab\tc", true), (Extent{50, 20}));

    // A text too wide for a pixel coordinate saturates instead of wrapping.
    CFixedMetricSurface wide(CFixedMetricSurface::Metrics{1 << 20, 13, 8});
    EXPECT_EQ(wide.MeasureText(nullptr, std::string(5000, 'x'), false).width, INT32_MAX);
}

TEST(RecordingSurface, RecordsEveryCallReadably) {
    CRecordingSurface surface;
    const FontSpec italic{"Tahoma", 80, false, true};
    EXPECT_EQ(surface.MeasureText(&italic, "ab", true), (Extent{12, 13}));
    surface.FillRect(Rect{1, 2, 3, 4}, Rgb(0, 99, 148));
    surface.DrawRectangle(Rect{0, 0, 10, 20}, Rgb(146, 143, 73), Rgb(0, 6, 31), 2);
    surface.DrawText(nullptr, "x y", Rect{5, 6, 7, 8}, Rgb(255, 255, 255), TextAlign::Centre,
                     false);
    surface.DrawText(&italic, "a\tb", Rect{5, 6, 7, 8}, Rgb(0, 0, 0), TextAlign::Left, true);
    const std::vector<std::string> expected = {
        "measure \"ab\" tabs font Tahoma 80 i",
        "fill (1,2,3,4) #006394",
        "rect (0,0,10,20) fill #928F49 outline #00061F pen 2",
        "text centre (5,6,7,8) #FFFFFF \"x y\"",
        "text left (5,6,7,8) #000000 tabs font Tahoma 80 i \"a\tb\"",
    };
    EXPECT_EQ(surface.GetCalls(), expected);
    EXPECT_EQ(surface.GetCalls("text").size(), 2u);
    surface.Clear();
    EXPECT_TRUE(surface.GetCalls().empty());
}

namespace {

// Writes drained text out in chunks, as an exporter does.
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
    ASSERT_EQ(sink.chunks.size(), 3u);
    EXPECT_EQ(sink.chunks[0], "| + one");
    EXPECT_EQ(sink.chunks[1], "\n\t\t| + two");
    EXPECT_EQ(sink.chunks[2], "");

    CTextSink collecting;  // never drains: keeps the whole text
    collecting.Append("abc");
    collecting.LineDone();
    collecting.Flush();
    EXPECT_EQ(collecting.GetText(), "abc");
}
