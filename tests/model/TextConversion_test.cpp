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
    // Bounded texts are empty when too long; long formatted texts are not cut, and a file's
    // text is only ever an argument.
    const std::string longText(201, 'q'), withZero = std::string(10, 'a') + '\0' + longText;
    EXPECT_EQ(BoundedLatin1Text(longText.data(), longText.size()), "");
    EXPECT_EQ(BoundedLatin1Text(longText.data(), 200), std::string(200, 'q'));
    EXPECT_EQ(BoundedLatin1Text(withZero.data(), withZero.size()), std::string(10, 'a'));
    EXPECT_EQ(StrFormat("[%s]", longText.c_str()), "[" + longText + "]");
    EXPECT_EQ(StrFormat("%s", "%s%n%d"), "%s%n%d");
}

// Invalid sequences (a stray byte, a truncated sequence, an overlong form, a surrogate) are
// replaced, valid ones kept.
TEST(TextConversion, InvalidUtf8IsReplacedNotRejected) {
    const std::string_view cases[][2] = {
        {"ok", "ok"},
        {"a\xFF-", "a\xEF\xBF\xBD-"},
        {"\xC3", "\xEF\xBF\xBD"},
        {"\xC0\x80", "\xEF\xBF\xBD"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD"},
        {"\xE2\x82\xAC", "\xE2\x82\xAC"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(SanitizeUtf8(in.data(), in.size()), out) << in;
    const uint8_t utf16[] = {0x00, 0x41, 0x00, 0x42, 0xD8, 0x3D, 0xDE, 0x00, 0xDC, 0x00};
    EXPECT_EQ(Utf16BEToUtf8(utf16, 2), "AB");
    EXPECT_EQ(Utf16BEToUtf8(utf16, 4), "AB\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16BEToUtf8(utf16 + 8, 1), "\xEF\xBF\xBD");  // a lone low surrogate
}

// Plain ASCII is copied in blocks: a character to convert or a line break must be found at
// every place it can take in or around a block, and a long line must come across whole.
TEST(TextConversion, TextModeConversionFindsEveryCharacterAroundAsciiBlocks) {
    for (size_t at = 0; at < 48; ++at) {
        const std::string run(at, 'a');
        const std::string text = run + "\xC3\xA9" + std::string(20, 'b') + "\n" + run + "\n" +
                                 "\xE2\x80\x98" + run + "\n";
        const std::string bytes = run + "\xE9" + std::string(20, 'b') + "\n" + run + "\n?" + run;
        std::string out = "keep:";
        AppendSingleByte(text, out, true);
        EXPECT_EQ(Utf8ToSingleByte(text) + out, bytes + "\nkeep:" + bytes.substr(0, at + 21) +
                                                    "\r\n" + run + "\r\n?" + run + "\r\n")
            << at;
    }
    const std::string longLine(100000, 'x');
    std::string out;
    AppendSingleByte(longLine + "\n" + longLine, out, true);
    EXPECT_EQ(out, longLine + "\r\n" + longLine);
}
