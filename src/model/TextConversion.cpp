#include "model/TextConversion.h"

#include <algorithm>
#include <cstring>

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Latin1ToUtf8(const void* bytes, size_t count) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i)
        AppendUtf8(out, p[i]);
    return out;
}

std::string Latin1CStringToUtf8(const void* bytes, size_t count) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    const void* zero = count ? std::memchr(p, 0, count) : nullptr;
    size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - p) : count;
    return Latin1ToUtf8(p, length);
}

std::string BoundedLatin1Text(const void* bytes, size_t count, size_t maxChars) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    const void* zero = count ? std::memchr(p, 0, count) : nullptr;
    size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - p) : count;
    if (length > maxChars) return std::string();
    return Latin1ToUtf8(p, length);
}

namespace {
// The UTF-8 sequence at p[0]: its code point and length when it is valid; otherwise length is
// the number of bytes examined before it failed (at least 1) and the result false.
bool DecodeUtf8(const uint8_t* p, size_t count, uint32_t& cp, size_t& length) {
    const uint8_t b = p[0];
    length = 1;
    cp = b;
    if (b < 0x80) return true;
    size_t need = 0;
    uint32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
        need = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        need = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        need = 3, cp = b & 0x07, min = 0x10000;
    } else {
        return false;
    }
    for (; length <= need && length < count && (p[length] & 0xC0) == 0x80; ++length)
        cp = (cp << 6) | (p[length] & 0x3F);
    return length > need && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}
}  // namespace

std::string SanitizeUtf8(const void* bytes, size_t count) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count;) {
        uint32_t cp = 0;
        size_t length = 0;
        // A malformed sequence: one replacement character for the bytes examined.
        AppendUtf8(out, DecodeUtf8(p + i, count - i, cp, length) ? cp : 0xFFFD);
        i += length;
    }
    return out;
}

std::string Utf8OrLatin1(std::string_view text) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        size_t length = 0;
        if (DecodeUtf8(p + i, text.size() - i, cp, length)) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            AppendUtf8(out, p[i++]);
        }
    }
    return out;
}

std::string Utf16BEToUtf8(const void* bytes, size_t unitCount) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    std::string out;
    out.reserve(unitCount);
    for (size_t i = 0; i < unitCount; ++i) {
        uint32_t unit = (uint32_t{p[2 * i]} << 8) | p[2 * i + 1];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < unitCount) {
            uint32_t low = (uint32_t{p[2 * i + 2]} << 8) | p[2 * i + 3];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? 0xFFFD : unit);
    }
    return out;
}

std::string Utf8ToSingleByte(std::string_view text) {
    std::string out;
    AppendSingleByte(text, out, false);
    return out;
}

void AppendSingleByte(std::string_view text, std::string& out, bool crlf) {
    out.reserve(out.size() + text.size() + (crlf ? text.size() / 32 : 0));
    size_t i = 0;
    const size_t n = text.size();
    // Where the next line break lies (n when there is none, or none is to be converted);
    // searched again only once the text before it is done.
    auto nextLineBreak = [&](size_t from) { return crlf ? std::min(text.find('\n', from), n) : n; };
    size_t lineBreak = nextLineBreak(0);
    while (i < n) {
        if (lineBreak < i) lineBreak = nextLineBreak(i);
        // Runs of plain ASCII, by far the most of any export, go across in one append. They are
        // checked sixteen bytes at a time, a test the compiler does without a branch per byte.
        size_t run = i;
        while (run + 16 <= lineBreak) {
            uint8_t high = 0;
            for (size_t k = 0; k < 16; ++k)
                high |= static_cast<uint8_t>(text[run + k]);
            if (high >= 0x80) break;
            run += 16;
        }
        while (run < lineBreak && static_cast<uint8_t>(text[run]) < 0x80)
            ++run;
        out.append(text.data() + i, run - i);
        i = run;
        if (i >= n) break;
        auto b = static_cast<uint8_t>(text[i]);
        if (b == '\n') {
            out.append("\r\n", 2);
            ++i;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < n) {
            uint32_t cp = ((b & 0x1Fu) << 6) | (static_cast<uint8_t>(text[i + 1]) & 0x3Fu);
            out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
            i += 2;
        } else {
            size_t len = (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
            out.push_back('?');
            i += len;
        }
    }
}

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (char c : text) {
        if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}
