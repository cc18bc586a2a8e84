#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "presentation/ISOViewBoxLayer.h"
#include "presentation/ValueFormatContext.h"

namespace {

void SetZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

}  // namespace

// The values of real files are pinned by the expected exports; these are the hostile and
// boundary ones, one item each, in order.
TEST(ValueFormatting, AddersAtTheirLimits) {
    constexpr uint64_t kLast9999 = 2082844800 + 253402300799u;  // 9999-12-31 23:59:59 UTC
    SetZone("UTC");
    CISOViewBoxItemLayer l(LayerKind::Contents);
    CValueFormatContext context;
    l.AddItem("name", "");
    l.BeginItem().Text("no value");
    l.AddNumber("v", int16_t{-1});  // widened with its sign
    l.AddNumber("v", std::numeric_limits<int64_t>::min());
    l.AddNumber("v", uint32_t{0xFFFFFFFF});  // widened with zeros
    l.AddNumber("Total Number Of Tracks", 42, true);
    l.AddDate("t", 0);  // no time at all: left out
    l.AddDate("t", 1);
    l.AddDate("t", kLast9999);
    l.AddDate("t", kLast9999 + 1);
    l.AddDate("t", std::numeric_limits<uint64_t>::max());
    SetZone("EST5");  // local time: five hours west of UTC, 2024 has not begun
    l.AddDate("t", 3786912000);
    SetZone("UTC");
    // Hours are not wrapped at 24, nor cut to 32 bits. A timescale of 0 is the last one handed
    // over; a new parse starts again from 1.
    l.AddDuration("d", std::numeric_limits<uint64_t>::max(), 1, context);
    l.AddDuration("d", 441000, 44100, context);
    l.AddDuration("d", 441000, 0, context);
    context.Reset();
    l.AddDuration("d", 441000, 0, context);
    // The fraction shows as the integer its bits make.
    l.AddFixed16("x", 0x00018000);
    l.AddFixed16("x", 0xFFFFFFFF);
    l.AddFixed8("x", 0xFF80);
    l.AddFixed8("x", 5);

    // Items written piece by piece; a heading without text is a blank band, not an empty field.
    l.BeginItem().Text("entry ").Unsigned(2).Value().Text("0x").Hex(0x1000, 8).Signed(-5);
    l.BeginItem().Value().Text("drawn as a heading");
    l.AddHeading("");

    std::string values;
    for (size_t i = 0; i < l.GetItemCount(); ++i)
        values += (l.IsHeading(i) ? "H " : "") + std::string(l.GetValue(i)) + "\n";
    EXPECT_EQ(values,
              "'empty' (zero-lengthed field)\n'empty' (zero-lengthed field)\n"
              "-1 (0xFFFFFFFFFFFFFFFF)\n-9223372036854775808 (0x8000000000000000)\n"
              "4294967295 (0xFFFFFFFF)\n42\n00h:00m:01s at 01 Jan, 1904 (0x1)\n"
              "23h:59m:59s at 31 Dec, 9999 (0x3B7C19F1FF)\ndate out of range (0x3B7C19F200)\n"
              "date out of range (0xFFFFFFFFFFFFFFFF)\n19h:00m:00s at 31 Dec, 2023 (0xE1B7B100)\n"
              "5124095576030431h:00m:15s (0xFFFFFFFFFFFFFFFF)\n00h:00m:10s (0x6BAA8)\n"
              "00h:00m:10s (0x6BAA8)\n122h:30m:00s (0x6BAA8)\n1.32768 (0x00018000)\n"
              "65535.65535 (0xFFFFFFFF)\n255.128 (0xFF80)\n0.5 (0x0005)\n"
              "0x00001000-5\nH drawn as a heading\nH \n");
    EXPECT_EQ(l.GetLabel(19), "entry 2");

    // Each item keeps the value it was made from: kind (None, Number, Date, Duration, Fixed,
    // Flags, Text, Heading), payload as shown signed, and the timescale used or fraction bits.
    std::string typed;
    for (size_t i = 0; i < l.GetItemCount(); ++i) {
        const ItemValue v = l.GetItemValue(i);
        typed += "-NDUXFTH"[static_cast<int>(v.kind)] + std::to_string(v.AsSigned()) + "/" +
                 std::to_string(v.aux) + " ";
    }
    EXPECT_EQ(typed,
              "T0/0 -0/0 N-1/0 N-9223372036854775808/0 N4294967295/0 N42/0 D1/0 "
              "D255485145599/0 D255485145600/0 D-1/0 D3786912000/0 U-1/1 U441000/44100 "
              "U441000/44100 U441000/1 X98304/16 X4294967295/16 X65408/8 X5/8 -0/0 -0/0 "
              "H0/0 ");
    EXPECT_DOUBLE_EQ(l.GetItemValue(15).FixedValue(), 1.5);
}
