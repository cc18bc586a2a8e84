#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <limits>

// Digit and hex-digit counts change at every power of ten and of two: each of them and its
// neighbours, through every conversion, against printf.
TEST(NumberText, MatchesPrintfForEveryConversion) {
    char expected[64], actual[NumberText::kMaxChars];
    const auto check = [&](uint64_t v) {
        const auto s = static_cast<int64_t>(v);
        const auto text = [&](size_t length) { return std::string(actual, length); };
        std::snprintf(expected, sizeof expected, "%" PRIu64 " %02" PRIu64, v, v);
        EXPECT_EQ(text(NumberText::FormatUnsigned(actual, v)) + " " +
                      text(NumberText::FormatUnsigned(actual, v, 2)),
                  expected);
        std::snprintf(expected, sizeof expected, "%" PRIX64 " %08" PRIX64 " %" PRId64, v, v, s);
        EXPECT_EQ(text(NumberText::FormatHex(actual, v)) + " " +
                      text(NumberText::FormatHex(actual, v, 8)) + " " +
                      text(NumberText::FormatSigned(actual, s)),
                  expected);
    };
    for (uint64_t p = 1; p <= std::numeric_limits<uint64_t>::max() / 10; p *= 10)
        for (uint64_t v : {p - 1, p, p + 1})
            check(v);
    for (int bit = 0; bit < 64; ++bit)
        for (uint64_t v : {(uint64_t{1} << bit) - 1, uint64_t{1} << bit, (uint64_t{1} << bit) + 1})
            check(v);
    check(std::numeric_limits<uint64_t>::max());
    std::string appended = "x=";
    NumberText::AppendSigned(appended, std::numeric_limits<int64_t>::min());
    NumberText::AppendHex(appended, 0xAB, 99);  // padding beyond 16 hex digits is ignored
    NumberText::AppendUnsigned(appended, 7, 99);
    EXPECT_EQ(appended,
              "x=-9223372036854775808" + std::string(14, '0') + "AB" + std::string(23, '0') + "7");
}
