#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads fields of any width, most significant bit first, from bytes already taken from a box
// (configuration records pack their fields into bits). It never reads past its bytes: a field
// that runs past the end reads as zero bits, and the reader remembers how many bytes were
// missing, so that the caller can end the parse as a read beyond the box would.
class CBitReader {
public:
    explicit CBitReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    // The next `bits` bits (0 to 64) as an unsigned number.
    uint64_t Read(int bits) {
        uint64_t value = 0;
        for (int i = 0; i < bits; ++i) {
            const size_t byte = m_bit / 8;
            uint64_t bit = 0;
            if (byte < m_bytes.size()) {
                bit = (m_bytes[byte] >> (7 - m_bit % 8)) & 1u;
            } else {
                m_overrun = true;
            }
            value = (value << 1) | bit;
            ++m_bit;
        }
        return value;
    }
    uint8_t U8() { return static_cast<uint8_t>(Read(8)); }
    uint16_t U16() { return static_cast<uint16_t>(Read(16)); }
    uint32_t U32() { return static_cast<uint32_t>(Read(32)); }

    // The next `count` whole bytes (from the next byte boundary) into `out`. False, with `out`
    // empty and the rest counted as missing, when fewer remain: nothing is allocated for a
    // length the bytes cannot back.
    bool ReadBytes(uint64_t count, std::vector<uint8_t>& out) {
        out.clear();
        AlignToByte();
        if (count > BytesLeft()) {
            // Far enough past the end to say so, without overflowing for any length.
            m_bit = (m_bytes.size() + 1) * 8;
            m_overrun = true;
            return false;
        }
        const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(m_bit / 8);
        out.assign(first, first + static_cast<std::ptrdiff_t>(count));
        m_bit += count * 8;
        return true;
    }

    // Every byte from the next byte boundary on.
    void ReadRest(std::vector<uint8_t>& out) { ReadBytes(BytesLeft(), out); }

    void AlignToByte() { m_bit = (m_bit + 7) / 8 * 8; }

    // Whole bytes not yet read (0 once the end is passed).
    uint64_t BytesLeft() const {
        const uint64_t used = (m_bit + 7) / 8;
        return used < m_bytes.size() ? m_bytes.size() - used : 0;
    }

    // True once a read wanted more than the bytes hold.
    bool Overrun() const { return m_overrun; }
    // How many bytes past the end the reads went.
    uint64_t MissingBytes() const {
        const uint64_t used = (m_bit + 7) / 8;
        return used > m_bytes.size() ? used - m_bytes.size() : 0;
    }

private:
    std::span<const uint8_t> m_bytes;
    uint64_t m_bit = 0;
    bool m_overrun = false;
};

// A null-terminated string; one whose terminator is missing runs past its bytes, as a cut box.
inline std::string ReadCString(CBitReader& bits) {
    std::string text;
    for (char c = static_cast<char>(bits.U8()); c != '\0'; c = static_cast<char>(bits.U8()))
        text += c;
    return text;
}

// Fixed-size byte fields: codes and UUIDs.
inline void ReadInto(CBitReader& bits, std::span<uint8_t> out) {
    for (uint8_t& byte : out)
        byte = bits.U8();
}
