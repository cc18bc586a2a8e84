#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Integer to text without printf. A file can hold millions of table entries, each shown as a
// few numbers, and printf's format parsing would then dominate the whole run. These are the
// only hand-written integer conversions of the system; everything else uses StrFormat.
namespace NumberText {

// Longest output of any routine below: 20 decimal digits and a sign, or 16 hex digits,
// plus room for a requested zero padding of up to 24 digits.
constexpr size_t kMaxChars = 32;

// Writes `value` in decimal, zero-padded to at least `minDigits` digits (at most 24), into
// `out` (room for kMaxChars) and returns the number of characters written.
inline size_t FormatUnsigned(char* out, uint64_t value, int minDigits = 1) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char digits[kMaxChars];
    char* end = digits + kMaxChars;
    char* p = end;
    while (value >= 100) {
        const unsigned pair = static_cast<unsigned>(value % 100) * 2;
        value /= 100;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    }
    if (value >= 10) {
        const unsigned pair = static_cast<unsigned>(value) * 2;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    } else {
        *--p = static_cast<char>('0' + value);
    }
    if (minDigits > 24) minDigits = 24;
    while (end - p < minDigits)
        *--p = '0';
    const size_t length = static_cast<size_t>(end - p);
    for (size_t i = 0; i < length; ++i)
        out[i] = p[i];
    return length;
}

// Signed decimal ("%lld"): a minus sign, then the magnitude.
inline size_t FormatSigned(char* out, int64_t value) {
    if (value >= 0) return FormatUnsigned(out, static_cast<uint64_t>(value));
    out[0] = '-';
    // The magnitude of INT64_MIN does not fit in int64_t; unsigned negation is exact.
    return 1 + FormatUnsigned(out + 1, 0 - static_cast<uint64_t>(value));
}

// Upper-case hexadecimal without prefix ("%llX"), zero-padded to at least `minDigits` digits
// (at most 16): FormatHex(out, 0x200) gives "200", FormatHex(out, 5, 8) gives "00000005".
inline size_t FormatHex(char* out, uint64_t value, int minDigits = 1) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    int digits = 1;
    while (digits < 16 && (value >> (4 * digits)) != 0)
        ++digits;
    if (minDigits > 16) minDigits = 16;
    if (digits < minDigits) digits = minDigits;
    for (int i = 0; i < digits; ++i)
        out[i] = kHex[(value >> (4 * (digits - 1 - i))) & 0xF];
    return static_cast<size_t>(digits);
}

inline void AppendUnsigned(std::string& text, uint64_t value, int minDigits = 1) {
    char buffer[kMaxChars];
    text.append(buffer, FormatUnsigned(buffer, value, minDigits));
}

inline void AppendSigned(std::string& text, int64_t value) {
    char buffer[kMaxChars];
    text.append(buffer, FormatSigned(buffer, value));
}

inline void AppendHex(std::string& text, uint64_t value, int minDigits = 1) {
    char buffer[kMaxChars];
    text.append(buffer, FormatHex(buffer, value, minDigits));
}

}  // namespace NumberText
