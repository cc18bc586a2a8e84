#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <string>

#include "presentation/ISOViewBoxLayer.h"
#include "presentation/ValueFormatContext.h"

namespace {

void SetZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

constexpr uint64_t k2024 = 3786912000;                      // 2024-01-01 00:00:00 UTC
constexpr uint64_t kLast9999 = 2082844800 + 253402300799u;  // 9999-12-31 23:59:59 UTC

}  // namespace

// The values of real files are pinned by the expected exports; these are the hostile and
// boundary ones, each added to a fresh layer with a fresh context.
TEST(ValueFormatting, EachAdderAtItsLimits) {
    using Layer = CISOViewBoxItemLayer;
    using Context = CValueFormatContext;
    const struct {
        std::function<void(Layer&, Context&)> add;
        std::string value;
    } cases[] = {
        {[](Layer& l, Context&) { l.AddItem("name", ""); }, "'empty' (zero-lengthed field)"},
        // Signed fields are widened with their sign, unsigned ones with zeros.
        {[](Layer& l, Context&) { l.AddNumber("v", int16_t{-1}); }, "-1 (0xFFFFFFFFFFFFFFFF)"},
        {[](Layer& l, Context&) { l.AddNumber("v", std::numeric_limits<int64_t>::min()); },
         "-9223372036854775808 (0x8000000000000000)"},
        {[](Layer& l, Context&) { l.AddNumber("v", uint32_t{0xFFFFFFFF}); },
         "4294967295 (0xFFFFFFFF)"},
        {[](Layer& l, Context&) { l.AddNumber("Total Number Of Tracks", 42, true); }, "42"},
        {[](Layer& l, Context&) { l.AddDate("t", 1); }, "00h:00m:01s at 01 Jan, 1904 (0x1)"},
        {[](Layer& l, Context&) { l.AddDate("t", kLast9999); },
         "23h:59m:59s at 31 Dec, 9999 (0x3B7C19F1FF)"},
        {[](Layer& l, Context&) { l.AddDate("t", kLast9999 + 1); },
         "date out of range (0x3B7C19F200)"},
        {[](Layer& l, Context&) { l.AddDate("t", std::numeric_limits<uint64_t>::max()); },
         "date out of range (0xFFFFFFFFFFFFFFFF)"},
        // Hours are not wrapped at 24, nor cut to 32 bits; a timescale of 0 is the last one
        // handed over, 1 in a fresh parse.
        {[](Layer& l, Context& c) { l.AddDuration("d", ~uint64_t{0}, 1, c); },
         "5124095576030431h:00m:15s (0xFFFFFFFFFFFFFFFF)"},
        {[](Layer& l, Context& c) { l.AddDuration("d", 7200, 0, c); }, "02h:00m:00s (0x1C20)"},
        {[](Layer& l, Context& c) {
             l.AddDuration("d", 1, 44100, c);
             l.AddDuration("d", 441000, 0, c);
         },
         "00h:00m:10s (0x6BAA8)"},
        {[](Layer& l, Context& c) {
             l.AddDuration("d", 1, 44100, c);
             c.Reset();
             l.AddDuration("d", 441000, 0, c);
         },
         "122h:30m:00s (0x6BAA8)"},
        // The fraction shows as the integer its bits make.
        {[](Layer& l, Context&) { l.AddFixed16("x", 0x00018000); }, "1.32768 (0x00018000)"},
        {[](Layer& l, Context&) { l.AddFixed16("x", 0xFFFFFFFF); }, "65535.65535 (0xFFFFFFFF)"},
        {[](Layer& l, Context&) { l.AddFixed8("x", 0xFF80); }, "255.128 (0xFF80)"},
        {[](Layer& l, Context&) { l.AddFixed8("x", 5); }, "0.5 (0x0005)"},
        {[](Layer& l, Context&) { l.BeginItem().Text("no value"); },
         "'empty' (zero-lengthed field)"},
    };
    SetZone("UTC");
    for (const auto& c : cases) {
        Layer layer(LayerKind::Contents);
        Context context;
        c.add(layer, context);
        ASSERT_GT(layer.GetItemCount(), 0u) << c.value;
        EXPECT_EQ(layer.GetValue(layer.GetItemCount() - 1), c.value);
    }
}

TEST(ValueFormatting, DatesAreLocalAndZeroIsLeftOut) {
    CISOViewBoxItemLayer layer(LayerKind::Contents);
    layer.AddDate("creation_time", 0);
    EXPECT_EQ(layer.GetItemCount(), 0u);
    // Five hours west of UTC it is still 2023.
    SetZone("EST5");
    layer.AddDate("creation_time", k2024);
    SetZone("UTC");
    EXPECT_EQ(layer.GetValue(0), "19h:00m:00s at 31 Dec, 2023 (0xE1B7B100)");
}

TEST(ValueFormatting, ItemWriterAndHeadings) {
    CISOViewBoxItemLayer layer(LayerKind::Contents);
    layer.BeginItem().Text("entry ").Unsigned(2).Value().Text("0x").Hex(0x1000, 8).Signed(-5);
    layer.BeginItem().Value().Text("drawn as a heading");
    layer.AddHeading("");
    layer.AddNumber("n", 1);
    ASSERT_EQ(layer.GetItemCount(), 4u);
    EXPECT_EQ(layer.GetLabel(0), "entry 2");
    EXPECT_EQ(layer.GetValue(0), "0x00001000-5");
    EXPECT_TRUE(layer.IsHeading(1));
    EXPECT_EQ(layer.GetValue(1), "drawn as a heading");
    // A heading without text is a blank band, not an empty field.
    EXPECT_TRUE(layer.IsHeading(2));
    EXPECT_EQ(layer.GetValue(2), "");
    EXPECT_EQ(layer.GetValue(3), "1 (0x1)");
}
