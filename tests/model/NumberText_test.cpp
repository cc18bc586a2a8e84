#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

std::vector<uint64_t> SampleValues() {
    // Digit and hex-digit counts change at every power of ten and of two, and their neighbours.
    std::vector<uint64_t> values = {0, 999, 0xFF, 0x7FFFFFFF, std::numeric_limits<uint64_t>::max()};
    for (uint64_t p = 1; p <= std::numeric_limits<uint64_t>::max() / 10; p *= 10) {
        values.insert(values.end(), {p - 1, p, p + 1});
    }
    for (int bit = 0; bit < 64; ++bit) {
        const uint64_t p = uint64_t{1} << bit;
        values.insert(values.end(), {p - 1, p, p + 1});
    }
    return values;
}

}  // namespace

TEST(NumberText, MatchesPrintfForEveryConversion) {
    char expected[64];
    char actual[NumberText::kMaxChars];
    for (const uint64_t v : SampleValues()) {
        std::snprintf(expected, sizeof expected, "%" PRIu64, v);
        EXPECT_EQ(std::string(actual, NumberText::FormatUnsigned(actual, v)), expected);
        std::snprintf(expected, sizeof expected, "%02" PRIu64, v);
        EXPECT_EQ(std::string(actual, NumberText::FormatUnsigned(actual, v, 2)), expected);
        std::snprintf(expected, sizeof expected, "%" PRIX64, v);
        EXPECT_EQ(std::string(actual, NumberText::FormatHex(actual, v)), expected);
        std::snprintf(expected, sizeof expected, "%08" PRIX64, v);
        EXPECT_EQ(std::string(actual, NumberText::FormatHex(actual, v, 8)), expected);
        const auto s = static_cast<int64_t>(v);
        std::snprintf(expected, sizeof expected, "%" PRId64, s);
        EXPECT_EQ(std::string(actual, NumberText::FormatSigned(actual, s)), expected);
    }
}

TEST(NumberText, AppendsAndClampsPadding) {
    std::string text = "x=";
    NumberText::AppendSigned(text, std::numeric_limits<int64_t>::min());
    NumberText::AppendHex(text, 0xAB, 99);  // padding beyond 16 hex digits is ignored
    NumberText::AppendUnsigned(text, 7, 99);
    EXPECT_EQ(text,
              "x=-9223372036854775808" + std::string(14, '0') + "AB" + std::string(23, '0') + "7");
}
