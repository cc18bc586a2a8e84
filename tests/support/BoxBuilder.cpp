#include "support/BoxBuilder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

BoxBuilder& BoxBuilder::U8(uint8_t v) {
    m_data.push_back(v);
    return *this;
}

BoxBuilder& BoxBuilder::U16(uint16_t v) {
    return U8(static_cast<uint8_t>(v >> 8)).U8(v & 0xFF);
}

BoxBuilder& BoxBuilder::U24(uint32_t v) {
    return U8(static_cast<uint8_t>(v >> 16)).U8((v >> 8) & 0xFF).U8(v & 0xFF);
}

BoxBuilder& BoxBuilder::U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v >> 16)).U16(v & 0xFFFF);
}

BoxBuilder& BoxBuilder::U64(uint64_t v) {
    return U32(static_cast<uint32_t>(v >> 32)).U32(v & 0xFFFFFFFF);
}

BoxBuilder& BoxBuilder::FourCC(std::string_view code) {
    for (size_t i = 0; i < 4; ++i)
        U8(i < code.size() ? static_cast<uint8_t>(code[i]) : 0);
    return *this;
}

BoxBuilder& BoxBuilder::Bytes(const std::vector<uint8_t>& bytes) {
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
}

BoxBuilder& BoxBuilder::Bytes(std::initializer_list<uint8_t> bytes) {
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
}

BoxBuilder& BoxBuilder::Text(std::string_view text, bool zeroTerminated) {
    for (char c : text)
        U8(static_cast<uint8_t>(c));
    if (zeroTerminated) U8(0);
    return *this;
}

BoxBuilder& BoxBuilder::Zeros(size_t count) {
    m_data.insert(m_data.end(), count, 0);
    return *this;
}

BoxBuilder& BoxBuilder::Append(const BoxBuilder& other) {
    return Bytes(other.m_data);
}

BoxBuilder& BoxBuilder::Open(std::string_view type, bool largeSize) {
    m_open.push_back({m_data.size(), largeSize});
    U32(largeSize ? 1 : 0).FourCC(type);
    if (largeSize) U64(0);
    return *this;
}

BoxBuilder& BoxBuilder::OpenFull(std::string_view type, uint8_t version, uint32_t flags) {
    return Open(type).U8(version).U24(flags);
}

BoxBuilder& BoxBuilder::Close() {
    if (m_open.empty()) throw std::logic_error("BoxBuilder::Close without Open");
    return CloseWithSize(m_data.size() - m_open.back().start);
}

BoxBuilder& BoxBuilder::CloseWithSize(uint64_t size) {
    if (m_open.empty()) throw std::logic_error("BoxBuilder::Close without Open");
    OpenBox box = m_open.back();
    m_open.pop_back();
    auto put = [this](size_t at, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            m_data[at + i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
        }
    };
    if (box.large) {
        put(box.start + 8, size, 8);
    } else {
        put(box.start, size, 4);
    }
    return *this;
}

BoxBuilder& BoxBuilder::Leaf(std::string_view type, const std::vector<uint8_t>& payload) {
    return Open(type).Bytes(payload).Close();
}

std::string TempPath(const std::string& name) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = "orvex_" + std::to_string(::getpid());
    if (info) leaf += std::string("_") + info->test_suite_name() + "_" + info->name();
    for (char& c : leaf) {
        if (c == '/') c = '_';
    }
    std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / leaf;
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
