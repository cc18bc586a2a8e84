#include "model/FileReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>
#include <vector>

#include "support/BoxBuilder.h"

namespace {
std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    return BoxBuilder().Bytes(bytes).WriteTempFile(name);
}

int ReadCode(const std::function<void()>& read) {
    try {
        read();
    } catch (const CFileReaderException& e) {
        return e.GetCode();
    }
    return -1;
}
}  // namespace

TEST(FileReader, BigEndianPrimitivesAndPositions) {
    CFileReader r;
    const auto path = WriteBytes("ints", {0, 0, 1, 2, 0xFF, 0xFE, 0x80, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_EQ(r.Open(path.c_str()), 1);
    EXPECT_EQ(r.GetFileSize(), 16);
    EXPECT_EQ(
        (std::vector<uint64_t>{r.ReadUInt32(), r.ReadUInt16(), r.ReadUInt8(), r.ReadUInt64()}),
        (std::vector<uint64_t>{258, 65534, 0x80, 0x0102030405060708}));
    EXPECT_EQ(r.GetRemainingSize(), 1);
    r.Rewind();
    r.SkipBits(12);  // whole bytes only
    EXPECT_EQ(r.GetPosition(), 1);
    r.SkipBits(7);
    EXPECT_EQ(r.GetPosition(), 1);

    // A table of a million 32-bit values crosses many buffer refills.
    BoxBuilder table;
    for (uint32_t i = 0; i < 1000000; ++i)
        table.U32(i * 7u);
    ASSERT_EQ(r.Open(table.WriteTempFile("table").c_str()), 1);
    for (uint32_t i = 0; i < 1000000; ++i) {
        if (r.ReadUInt32() != i * 7u) FAIL() << "value " << i;
    }
    EXPECT_EQ(r.GetRemainingSize(), 0);
}

TEST(FileReader, ShortReadsSkipsPastTheEndAndFilesItRefuses) {
    CFileReader r;
    ASSERT_EQ(r.Open(WriteBytes("short", {1, 2, 3}).c_str()), 1);
    // A short read consumes what there was and reports the end of the file.
    EXPECT_EQ(ReadCode([&] { r.ReadUInt32(); }), CFileReaderException::ReaderEndOfFile);
    EXPECT_EQ(r.GetPosition(), 3);
    r.Rewind();
    EXPECT_EQ(r.Skip(10), 0);  // not checked here ...
    EXPECT_EQ(r.GetRemainingSize(), -7);
    EXPECT_EQ(ReadCode([&] { r.ReadUInt8(); }), CFileReaderException::ReaderEndOfFile);  // ... here
    // Huge skips saturate instead of overflowing, and still read as the end of the file.
    r.Skip(std::numeric_limits<int64_t>::max());
    EXPECT_EQ(ReadCode([&] { r.ReadUInt8(); }), CFileReaderException::ReaderEndOfFile);
    ASSERT_EQ(r.Open(WriteBytes("empty", {}).c_str()), 1);
    EXPECT_EQ(ReadCode([&] { r.ReadUInt8(); }), CFileReaderException::ReaderEndOfFile);

    // A FIFO is refused at once, with no writer needed.
    CFileReader closed;
    const std::string fifo = TempPath("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const char* path : {static_cast<const char*>(nullptr), "/nonexistent/orvex/file.mp4",
                             ::testing::TempDir().c_str(), fifo.c_str(), "/dev/zero"})
        EXPECT_EQ(closed.Open(path), 0) << (path ? path : "null");
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(ReadCode([&] { closed.ReadUInt8(); }), CFileReaderException::ReaderNotOpen);
    EXPECT_EQ(ReadCode([&] { closed.Rewind(); }), CFileReaderException::ReaderNotOpen);
    EXPECT_EQ(closed.CopyRange(0, 1, TempPath("none.bin").c_str()), 0);
}

TEST(FileReader, CStringsAreBoundedAndLatin1) {
    std::vector<uint8_t> bytes = {'a', 'b', 'c', 0, 0, 0xE9, 0};
    bytes.insert(bytes.end(), 300, 'x');
    bytes.push_back(0);
    bytes.insert(bytes.end(), {'n', 'o', 'e', 'n', 'd'});
    CFileReader r;
    ASSERT_EQ(r.Open(WriteBytes("cstr", bytes).c_str()), 1);
    // Cut at the limit with all its bytes consumed; Latin-1 comes out as UTF-8.
    const std::pair<std::string, int64_t> reads[] = {
        {"abc", 4},
        {"", 5},
        {"\xC3\xA9", 7},
        {std::string(CFileReader::kMaxCStringBytes, 'x'), 308}};
    std::string s;
    for (const auto& [text, position] : reads) {
        r.ReadCString(s);
        EXPECT_EQ(s, text);
        EXPECT_EQ(r.GetPosition(), position);
    }
    s = "kept";  // a string without its end is not read
    EXPECT_EQ(ReadCode([&] { r.ReadCString(s); }), CFileReaderException::ReaderEndOfFile);
    EXPECT_EQ(s, "kept");
}

// The copy leaves the reader where it was; it never writes a partial file, nor the media file
// itself under another name.
TEST(FileReader, CopyRange) {
    std::vector<uint8_t> bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    const std::string media = WriteBytes("media", bytes);
    CFileReader r;
    ASSERT_EQ(r.Open(media.c_str()), 1);
    r.Skip(5);
    const std::string out = TempPath("copy.bin"), beyond = TempPath("beyond.bin");
    EXPECT_EQ(r.CopyRange(16, 32, out.c_str()), 1);
    std::ifstream copy(out, std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(copy), {}),
              std::vector<uint8_t>(bytes.begin() + 16, bytes.begin() + 48));
    EXPECT_EQ(r.GetPosition(), 5);
    EXPECT_EQ(r.ReadUInt8(), 5);
    EXPECT_EQ(r.CopyRange(250, 32, beyond.c_str()), 0);
    EXPECT_NE(::access(beyond.c_str(), F_OK), 0);
    const std::string link = TempPath("alias.mp4");
    ASSERT_EQ(::symlink(media.c_str(), link.c_str()), 0);
    EXPECT_EQ(r.CopyRange(0, 8, link.c_str()), 0);
    EXPECT_EQ(std::filesystem::file_size(media), 256u);
}

// After a jump the window is small, reading on takes it whole: bytes read the same across both.
TEST(FileReader, ReadsAcrossWindowEdgesAfterJumps) {
    std::vector<uint8_t> bytes(200 * 1024);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    CFileReader r;
    ASSERT_EQ(r.Open(WriteBytes("windows.bin", bytes).c_str()), 1);
    // Within the first window, to the next, beyond it, within it again.
    for (const int64_t jump : {int64_t{0}, int64_t{4095}, int64_t{70000}, int64_t{100}}) {
        r.Skip(jump);
        const int64_t at = r.GetPosition();
        for (int64_t i = 0; i < 20 * 1024; ++i)
            ASSERT_EQ(r.ReadUInt8(), bytes[static_cast<size_t>(at + i)]) << jump << " " << i;
    }
}
