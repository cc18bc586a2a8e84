#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Every text the core holds is UTF-8. File bytes become text only through these helpers, which
// are bounded by the counts they are given and never treat file bytes as a format.

// Latin-1 (bytes 0-255 are U+0000-U+00FF) to UTF-8, converting exactly `count` bytes.
std::string Latin1ToUtf8(const void* bytes, size_t count);

// Latin-1 to UTF-8 for a byte string that ends at its first zero byte or after `count` bytes.
std::string Latin1CStringToUtf8(const void* bytes, size_t count);

// As Latin1CStringToUtf8, but a text that would need more than `maxChars` characters yields the
// empty text: the bounded conversion of record byte strings ('ftyp' brands, compressor names...).
std::string BoundedLatin1Text(const void* bytes, size_t count, size_t maxChars = 200);

// UTF-8 bytes from a file to valid UTF-8: each invalid sequence becomes U+FFFD.
std::string SanitizeUtf8(const void* bytes, size_t count);

// A text that should be UTF-8 as valid UTF-8 without losing a byte: every byte that does not
// belong to a valid sequence becomes the Latin-1 character of the same number.
std::string Utf8OrLatin1(std::string_view text);

// UTF-16 big-endian code units to UTF-8 (unpaired surrogates become U+FFFD).
std::string Utf16BEToUtf8(const void* bytes, size_t unitCount);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, uint32_t codePoint);

// UTF-8 to single-byte text: characters 0-255 become one byte each, every other character '?'.
// This is the encoding of exported text files and saved logs.
std::string Utf8ToSingleByte(std::string_view text);
// The same, appended to `out`; with `crlf` every "\n" is written as CR LF (text-mode files).
void AppendSingleByte(std::string_view text, std::string& out, bool crlf);

// Number of characters (code points) in a valid UTF-8 text.
size_t Utf8Length(std::string_view text);
