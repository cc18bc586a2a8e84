#include "support/BoxBuilder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

BoxBuilder& BoxBuilder::Int(uint64_t v, size_t bytes) {
    for (size_t i = bytes; i-- > 0;)
        m_data.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
}

BoxBuilder& BoxBuilder::FourCC(std::string_view code) {
    return Text(code.substr(0, 4)).Zeros(4 - std::min<size_t>(4, code.size()));
}

BoxBuilder& BoxBuilder::Text(std::string_view text, bool zeroTerminated) {
    m_data.insert(m_data.end(), text.begin(), text.end());
    return zeroTerminated ? U8(0) : *this;
}

BoxBuilder& BoxBuilder::Open(std::string_view type, bool largeSize) {
    m_open.push_back({m_data.size(), largeSize});
    U32(largeSize ? 1 : 0).FourCC(type);
    return largeSize ? U64(0) : *this;
}

BoxBuilder& BoxBuilder::Close() {
    if (m_open.empty()) throw std::logic_error("BoxBuilder::Close without Open");
    return CloseWithSize(m_data.size() - m_open.back().first);
}

BoxBuilder& BoxBuilder::CloseWithSize(uint64_t size) {
    if (m_open.empty()) throw std::logic_error("BoxBuilder::Close without Open");
    const auto [start, large] = m_open.back();
    m_open.pop_back();
    // The 32-bit size field, or the 64-bit one after the type of a large box.
    const size_t at = large ? start + 8 : start, bytes = large ? 8 : 4;
    for (size_t i = 0; i < bytes; ++i)
        m_data[at + i] = static_cast<uint8_t>(size >> (8 * (bytes - 1 - i)));
    return *this;
}

BoxBuilder& BoxBuilder::Mvhd(uint32_t timescale, uint32_t duration, uint32_t nextTrackId) {
    OpenFull("mvhd", 0, 0).U32(0).U32(0).U32(timescale).U32(duration);
    U32(0x10000).U16(0x100).Zeros(10).Matrix().Zeros(24).U32(nextTrackId);
    return Close();
}

BoxBuilder& BoxBuilder::Tkhd(uint32_t trackId, uint32_t duration, uint32_t width, uint32_t height) {
    OpenFull("tkhd", 0, 1).U32(0).U32(0).U32(trackId).U32(0).U32(duration).Zeros(8);
    U16(0).U16(0).U16(0).U16(0).Matrix().U32(width << 16).U32(height << 16);
    return Close();
}

BoxBuilder& BoxBuilder::Mdhd(uint32_t timescale, uint32_t duration, uint16_t packedLanguage) {
    OpenFull("mdhd", 0, 0).U32(0).U32(0).U32(timescale).U32(duration).U16(packedLanguage);
    return U16(0).Close();
}

BoxBuilder& BoxBuilder::Hdlr(std::string_view handlerType, std::string_view name) {
    OpenFull("hdlr", 0, 0).U32(0).FourCC(handlerType).Zeros(12).Text(name, true);
    return Close();
}

BoxBuilder& BoxBuilder::Matrix() {
    for (uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        U32(m);
    return *this;
}

std::string TempPath(const std::string& name) {
    // One directory per test process under the system's temporary directory, removed with
    // everything in it when the process ends, however many tests wrote into it.
    static const struct ProcessTempDir {
        std::string path =
            (std::filesystem::path(::testing::TempDir()) / "orvex-test-XXXXXX").string();
        ProcessTempDir() {
            if (::mkdtemp(path.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        }
        ~ProcessTempDir() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } processDir;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = info ? std::string(info->test_suite_name()) + "_" + info->name() : "process";
    std::replace(leaf.begin(), leaf.end(), '/', '_');
    const std::filesystem::path dir = std::filesystem::path(processDir.path) / leaf;
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

std::string BoxBuilder::WriteTempFile(const std::string& name) const {
    std::string path = TempPath(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(m_data.data()),
              static_cast<std::streamsize>(m_data.size()));
    return path;
}
