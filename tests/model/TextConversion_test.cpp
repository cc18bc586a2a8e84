#include "model/TextConversion.h"

#include <gtest/gtest.h>

#include "model/Format.h"

TEST(TextConversion, Latin1AndSingleByteRoundTrip) {
    const uint8_t all[4] = {'A', 0xE9, 0xFF, 0x00};
    std::string utf8 = Latin1ToUtf8(all, 4);
    EXPECT_EQ(utf8, std::string("A\xC3\xA9\xC3\xBF", 5) + std::string(1, '\0'));
    EXPECT_EQ(Utf8ToSingleByte(utf8), std::string(reinterpret_cast<const char*>(all), 4));
    EXPECT_EQ(Latin1CStringToUtf8(all, 4), "A\xC3\xA9\xC3\xBF");
    EXPECT_EQ(Latin1CStringToUtf8("abcd", 2), "ab");  // bounded by the count, no zero needed
    // Characters beyond one byte cannot be exported as themselves.
    EXPECT_EQ(Utf8ToSingleByte("x\xE2\x80\x98y\xF0\x9F\x98\x80z"), "x?y?z");
    EXPECT_EQ(Utf8Length("a\xC3\xA9\xE2\x80\x98"), 3u);
}

TEST(TextConversion, BoundedTextsAreEmptyWhenTooLong) {
    std::string longText(201, 'q');
    EXPECT_EQ(BoundedLatin1Text(longText.data(), longText.size()), "");
    EXPECT_EQ(BoundedLatin1Text(longText.data(), 200), std::string(200, 'q'));
    std::string withZero = std::string(10, 'a') + '\0' + std::string(300, 'b');
    EXPECT_EQ(BoundedLatin1Text(withZero.data(), withZero.size()), std::string(10, 'a'));
}

TEST(TextConversion, InvalidUtf8IsReplacedNotRejected) {
    EXPECT_EQ(SanitizeUtf8("ok", 2), "ok");
    EXPECT_EQ(SanitizeUtf8("a\xFF"
                           "b",
                           3),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(SanitizeUtf8("\xC3", 1), "\xEF\xBF\xBD");          // truncated sequence
    EXPECT_EQ(SanitizeUtf8("\xC0\x80", 2), "\xEF\xBF\xBD");      // overlong form
    EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80", 3), "\xEF\xBF\xBD");  // a surrogate
    EXPECT_EQ(SanitizeUtf8("\xE2\x82\xAC", 3), "\xE2\x82\xAC");  // the euro sign
}

TEST(TextConversion, Utf16BigEndian) {
    const uint8_t ab[] = {0x00, 0x41, 0x00, 0x42, 0xD8, 0x3D, 0xDE, 0x00, 0xDC, 0x00};
    EXPECT_EQ(Utf16BEToUtf8(ab, 2), "AB");
    EXPECT_EQ(Utf16BEToUtf8(ab, 4), "AB\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16BEToUtf8(ab + 8, 1), "\xEF\xBF\xBD");  // a lone low surrogate
}

TEST(Format, FormatsLongTextsAndNeverInterpretsArguments) {
    EXPECT_EQ(StrFormat("0x%08llX", 0x1234ull), "0x00001234");
    EXPECT_EQ(StrFormat("0x%08llX", 0x123456789ull), "0x123456789");
    std::string big(1000, 'z');
    EXPECT_EQ(StrFormat("[%s]", big.c_str()).size(), 1002u);
    EXPECT_EQ(StrFormat("%s", "%s%n%d"), "%s%n%d");
}

TEST(TextConversion, TextModeLinesAreCrLf) {
    std::string out = "keep:";
    AppendSingleByte("a\nb\xC3\xA9\n\n\xE2\x80\x98", out, true);
    EXPECT_EQ(out, "keep:a\r\nb\xE9\r\n\r\n?");
    EXPECT_EQ(Utf8ToSingleByte("x\ny"), "x\ny");  // only text-mode output turns breaks into CR LF
}

// Plain ASCII is copied in blocks: a character to convert or a line break must be found at
// every place it can take in or around a block, and a long line must come across whole.
TEST(TextConversion, TextModeConversionFindsEveryCharacterAroundAsciiBlocks) {
    for (size_t at = 0; at < 48; ++at) {
        const std::string run(at, 'a');
        const std::string text = run + "\xC3\xA9" + std::string(20, 'b') + "\n" + run + "\n" +
                                 "\xE2\x80\x98" + run + "\n";
        std::string out;
        AppendSingleByte(text, out, true);
        EXPECT_EQ(out, run + "\xE9" + std::string(20, 'b') + "\r\n" + run + "\r\n?" + run + "\r\n")
            << at;
        EXPECT_EQ(Utf8ToSingleByte(text),
                  run + "\xE9" + std::string(20, 'b') + "\n" + run + "\n?" + run + "\n")
            << at;
    }
    const std::string longLine(100000, 'x');
    std::string out;
    AppendSingleByte(longLine + "\n" + longLine, out, true);
    EXPECT_EQ(out, longLine + "\r\n" + longLine);
}
