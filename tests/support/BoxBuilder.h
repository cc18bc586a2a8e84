#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Builds box bytes for tests: big-endian integers, four-character codes, and nested boxes
// whose size fields are filled in when they are closed. Sizes can be forced to wrong values.
class BoxBuilder {
public:
    BoxBuilder& U8(uint8_t v) { return Int(v, 1); }
    BoxBuilder& U16(uint16_t v) { return Int(v, 2); }
    BoxBuilder& U24(uint32_t v) { return Int(v, 3); }
    BoxBuilder& U32(uint32_t v) { return Int(v, 4); }
    BoxBuilder& U64(uint64_t v) { return Int(v, 8); }
    BoxBuilder& FourCC(std::string_view code);  // exactly four bytes, padded with zeros
    BoxBuilder& Bytes(const std::vector<uint8_t>& bytes) {
        m_data.insert(m_data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    BoxBuilder& Text(std::string_view text, bool zeroTerminated = false);
    BoxBuilder& Zeros(size_t count) { return Bytes(std::vector<uint8_t>(count)); }
    BoxBuilder& Append(const BoxBuilder& other) { return Bytes(other.m_data); }

    // Opens a box; its 32-bit size is written by Close(). With `largeSize` the size field is 1
    // and a 64-bit size follows.
    BoxBuilder& Open(std::string_view type, bool largeSize = false);
    // Opens a full box: header, version, 24-bit flags.
    BoxBuilder& OpenFull(std::string_view type, uint8_t version, uint32_t flags) {
        return Open(type).U8(version).U24(flags);
    }
    // Closes the innermost open box, writing its real size, or `forcedSize`.
    BoxBuilder& Close();
    BoxBuilder& CloseWithSize(uint64_t forcedSize);

    // Whole header boxes of the usual layout (version 0, 32-bit times of 0, unity matrix).
    BoxBuilder& Mvhd(uint32_t timescale, uint32_t duration, uint32_t nextTrackId = 2);
    BoxBuilder& Tkhd(uint32_t trackId, uint32_t duration, uint32_t width = 0, uint32_t height = 0);
    BoxBuilder& Mdhd(uint32_t timescale, uint32_t duration, uint16_t packedLanguage = 0x55C4);
    BoxBuilder& Hdlr(std::string_view handlerType, std::string_view name = "");
    // The unity transformation matrix of 'mvhd' and 'tkhd'.
    BoxBuilder& Matrix();

    // A whole leaf box with the given payload.
    BoxBuilder& Leaf(std::string_view type, const std::vector<uint8_t>& payload = {}) {
        return Open(type).Bytes(payload).Close();
    }

    const std::vector<uint8_t>& Data() const { return m_data; }
    size_t Size() const { return m_data.size(); }

    // Writes the bytes to a new file in the test temporary directory; returns its path.
    std::string WriteTempFile(const std::string& name) const;

private:
    // The `bytes` low bytes of `v`, most significant first.
    BoxBuilder& Int(uint64_t v, size_t bytes);

    std::vector<uint8_t> m_data;
    std::vector<std::pair<size_t, bool>> m_open;  // where each open box starts; whether large
};

// A path in a per-test directory inside one temporary directory per test process, which is
// removed with everything in it when the process ends.
std::string TempPath(const std::string& name);
