#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "model/Format.h"
#include "presentation/ISOViewBoxLayer.h"
#include "presentation/ValueFormatContext.h"

namespace {

class ValueFormatting : public ::testing::Test {
protected:
    void SetUp() override { SetZone("UTC"); }
    static void SetZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    // The value of the only item, or of the last one.
    std::string LastValue() const {
        return layer.GetItemCount() == 0 ? "<none>"
                                         : std::string(layer.GetValue(layer.GetItemCount() - 1));
    }

    CISOViewBoxItemLayer layer{LayerKind::Contents};
    CValueFormatContext context;
};

std::string Hex(uint64_t v) {
    return StrFormat("(0x%llX)", static_cast<unsigned long long>(v));
}

}  // namespace

TEST_F(ValueFormatting, ItemsAndHeadings) {
    layer.AddItem("name", "");
    layer.AddItem("copyright", "(c) \xC3\xA9t\xC3\xA9");
    layer.AddHeading("Entry List");
    layer.AddHeading("");
    ASSERT_EQ(layer.GetItemCount(), 4u);
    EXPECT_EQ(layer.GetLabel(0), "name");
    EXPECT_EQ(layer.GetValue(0), "'empty' (zero-lengthed field)");
    EXPECT_EQ(layer.GetValue(1), "(c) \xC3\xA9t\xC3\xA9");
    EXPECT_FALSE(layer.IsHeading(1));
    EXPECT_TRUE(layer.IsHeading(2));
    EXPECT_EQ(layer.GetLabel(2), "");
    EXPECT_EQ(layer.GetValue(2), "Entry List");
    // A heading without text is a blank band, not an empty field.
    EXPECT_TRUE(layer.IsHeading(3));
    EXPECT_EQ(layer.GetValue(3), "");
}

TEST_F(ValueFormatting, Numbers) {
    layer.AddNumber("a", 512);
    EXPECT_EQ(LastValue(), "512 (0x200)");
    layer.AddNumber("b", 0);
    EXPECT_EQ(LastValue(), "0 (0x0)");
    // Signed fields are widened with their sign, so the hexadecimal part is 64 bits wide.
    layer.AddNumber("volume", int16_t{-1});
    EXPECT_EQ(LastValue(), "-1 (0xFFFFFFFFFFFFFFFF)");
    layer.AddNumber("min", std::numeric_limits<int64_t>::min());
    EXPECT_EQ(LastValue(), "-9223372036854775808 (0x8000000000000000)");
    // Unsigned 32-bit fields are widened with zeros.
    layer.AddNumber("size", uint32_t{0xFFFFFFFF});
    EXPECT_EQ(LastValue(), "4294967295 (0xFFFFFFFF)");
    layer.AddNumber("Total Number Of Tracks", 42, true);
    EXPECT_EQ(LastValue(), "42");
    EXPECT_EQ(layer.GetLabel(layer.GetItemCount() - 1), "Total Number Of Tracks");
}

TEST_F(ValueFormatting, DatesInLocalTime) {
    layer.AddDate("creation_time", 0);
    EXPECT_EQ(layer.GetItemCount(), 0u);  // a time of 0 is left out altogether

    layer.AddDate("creation_time", 3786912000);  // 2024-01-01 00:00:00 UTC
    EXPECT_EQ(LastValue(), "00h:00m:00s at 01 Jan, 2024 (0xE1B7B100)");
    layer.AddDate("modification_time", 3786912000 + 31 * 86400 + 13 * 3600 + 5 * 60 + 9);
    EXPECT_EQ(LastValue(), "13h:05m:09s at 01 Feb, 2024 " + Hex(3786912000 + 31 * 86400 + 47109));
    layer.AddDate("t", 1);  // one second after the 1904 epoch
    EXPECT_EQ(LastValue(), "00h:00m:01s at 01 Jan, 1904 (0x1)");

    // The last second of the year 9999 still converts; the next one does not, and neither
    // does a time of many thousand years.
    const uint64_t last9999 = 2082844800ull + 253402300799ull;
    layer.AddDate("t", last9999);
    EXPECT_EQ(LastValue(), "23h:59m:59s at 31 Dec, 9999 " + Hex(last9999));
    layer.AddDate("t", last9999 + 1);
    EXPECT_EQ(LastValue(), "date out of range " + Hex(last9999 + 1));
    layer.AddDate("t", std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(LastValue(), "date out of range (0xFFFFFFFFFFFFFFFF)");

    // The machine's time zone applies: five hours west of UTC it is still 2023.
    SetZone("EST5");
    layer.AddDate("creation_time", 3786912000);
    EXPECT_EQ(LastValue(), "19h:00m:00s at 31 Dec, 2023 (0xE1B7B100)");
    SetZone("UTC");
}

TEST_F(ValueFormatting, DurationsAndTheLastTimescale) {
    // Nothing handed over yet: a timescale of 0 means 1.
    layer.AddDuration("duration", 7200, 0, context);
    EXPECT_EQ(LastValue(), "02h:00m:00s (0x1C20)");
    layer.AddDuration("duration", 90000, 600, context);
    EXPECT_EQ(LastValue(), "00h:02m:30s (0x15F90)");
    layer.AddDuration("duration", 0, 600, context);
    EXPECT_EQ(LastValue(), "00h:00m:00s (0x0)");
    // Hours are not wrapped at 24, nor cut to 32 bits.
    layer.AddDuration("duration", 4000000, 1, context);
    EXPECT_EQ(LastValue(), "1111h:06m:40s (0x3D0900)");
    layer.AddDuration("duration", std::numeric_limits<uint64_t>::max(), 1, context);
    EXPECT_EQ(LastValue(), "5124095576030431h:00m:15s (0xFFFFFFFFFFFFFFFF)");

    // A track header (timescale 0) uses whatever was handed over last.
    layer.AddDuration("duration", 10000, 1000, context);  // movie header
    layer.AddDuration("duration", 10000, 0, context);     // track header
    EXPECT_EQ(LastValue(), "00h:00m:10s (0x2710)");
    layer.AddDuration("duration", 441000, 44100, context);  // media header
    layer.AddDuration("duration", 441000, 0, context);      // next track header
    EXPECT_EQ(LastValue(), "00h:00m:10s (0x6BAA8)");
    EXPECT_EQ(context.GetLastTimescale(), 44100u);

    // A new parse starts again from 1: one file never leaks into the next.
    context.Reset();
    layer.AddDuration("duration", 441000, 0, context);
    EXPECT_EQ(LastValue(), "122h:30m:00s (0x6BAA8)");
    CValueFormatContext other;  // and two contexts are independent
    EXPECT_EQ(other.UseTimescale(0), 1u);
}

TEST_F(ValueFormatting, FixedPoint) {
    layer.AddFixed16("width", 176u << 16);
    EXPECT_EQ(LastValue(), "176.0 (0x00B00000)");
    layer.AddFixed16("rate", 0x00018000);  // 1.5: the fraction shows as its 16-bit integer
    EXPECT_EQ(LastValue(), "1.32768 (0x00018000)");
    layer.AddFixed16("x", 0xFFFFFFFF);
    EXPECT_EQ(LastValue(), "65535.65535 (0xFFFFFFFF)");
    layer.AddFixed16("x", 0);
    EXPECT_EQ(LastValue(), "0.0 (0x00000000)");
    layer.AddFixed8("balance", 256);
    EXPECT_EQ(LastValue(), "1.0 (0x0100)");
    layer.AddFixed8("balance", 65408);
    EXPECT_EQ(LastValue(), "255.128 (0xFF80)");
    layer.AddFixed8("balance", 5);
    EXPECT_EQ(LastValue(), "0.5 (0x0005)");
}

TEST_F(ValueFormatting, ItemWriterBuildsEntriesInPlace) {
    for (uint32_t i = 0; i < 3; ++i) {
        layer.BeginItem()
            .Text("entry ")
            .Unsigned(i + 1)
            .Value()
            .Text("chunk_offset : 0x")
            .Hex(0x1000u * i, 8)
            .Text(",\t x : ")
            .Signed(-5)
            .Char('!');
    }
    layer.BeginItem().Text("no value");
    layer.BeginItem().Value().Text("drawn as a heading");
    ASSERT_EQ(layer.GetItemCount(), 5u);
    EXPECT_EQ(layer.GetLabel(1), "entry 2");
    EXPECT_EQ(layer.GetValue(1), "chunk_offset : 0x00001000,\t x : -5!");
    EXPECT_EQ(layer.GetValue(3), "'empty' (zero-lengthed field)");
    EXPECT_TRUE(layer.IsHeading(4));
    EXPECT_EQ(layer.GetValue(4), "drawn as a heading");
    // Items added after a writer are unaffected by it.
    layer.AddNumber("n", 1);
    EXPECT_EQ(layer.GetLabel(5), "n");
    EXPECT_EQ(layer.GetValue(5), "1 (0x1)");
}
