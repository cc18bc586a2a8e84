#include "model/FileReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <vector>

#include "support/BoxBuilder.h"

namespace {
std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    return BoxBuilder().Bytes(bytes).WriteTempFile(name);
}

std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
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
    ASSERT_EQ(
        r.Open(
            WriteBytes("ints", {0, 0, 1, 2, 0xFF, 0xFE, 0x80, 1, 2, 3, 4, 5, 6, 7, 8, 9}).c_str()),
        1);
    EXPECT_EQ(r.GetFileSize(), 16);
    EXPECT_EQ(r.ReadUInt32(), 258u);
    EXPECT_EQ(r.ReadUInt16(), 65534u);
    EXPECT_EQ(r.ReadUInt8(), 0x80u);
    EXPECT_EQ(r.ReadUInt64(), 0x0102030405060708ull);
    EXPECT_EQ(r.GetPosition(), 15);
    EXPECT_EQ(r.GetRemainingSize(), 1);
    r.Rewind();
    EXPECT_EQ(r.GetPosition(), 0);
    r.SkipBits(12);  // whole bytes only
    EXPECT_EQ(r.GetPosition(), 1);
    r.SkipBits(7);
    EXPECT_EQ(r.GetPosition(), 1);
}

TEST(FileReader, ShortReadsAndSkipsPastTheEnd) {
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

    CFileReader empty;
    ASSERT_EQ(empty.Open(WriteBytes("empty", {}).c_str()), 1);
    EXPECT_EQ(empty.GetFileSize(), 0);
    EXPECT_EQ(ReadCode([&] { empty.ReadUInt8(); }), CFileReaderException::ReaderEndOfFile);

    CFileReader closed;
    EXPECT_EQ(ReadCode([&] { closed.ReadUInt8(); }), CFileReaderException::ReaderNotOpen);
    EXPECT_EQ(ReadCode([&] { closed.Rewind(); }), CFileReaderException::ReaderNotOpen);
}

TEST(FileReader, ReadsAcrossTheBufferBoundary) {
    // A table of a million 32-bit values crosses many buffer refills.
    BoxBuilder b;
    for (uint32_t i = 0; i < 1000000; ++i)
        b.U32(i * 7u);
    CFileReader r;
    ASSERT_EQ(r.Open(b.WriteTempFile("table").c_str()), 1);
    r.Skip(3);
    r.Skip(-3);
    for (uint32_t i = 0; i < 1000000; ++i) {
        if (r.ReadUInt32() != i * 7u) FAIL() << "value " << i;
    }
    EXPECT_EQ(r.GetRemainingSize(), 0);
}

TEST(FileReader, CStringsAreBoundedAndLatin1) {
    std::vector<uint8_t> bytes = {'a', 'b', 'c', 0, 0, 0xE9, 0};
    bytes.insert(bytes.end(), 300, 'x');
    bytes.push_back(0);
    bytes.insert(bytes.end(), {'n', 'o', 'e', 'n', 'd'});
    CFileReader r;
    ASSERT_EQ(r.Open(WriteBytes("cstr", bytes).c_str()), 1);
    std::string s = "old";
    r.ReadCString(s);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(r.GetPosition(), 4);
    r.ReadCString(s);
    EXPECT_EQ(s, "");
    r.ReadCString(s);
    EXPECT_EQ(s, "\xC3\xA9");  // Latin-1 e-acute as UTF-8
    r.ReadCString(s);
    EXPECT_EQ(s, std::string(CFileReader::kMaxCStringBytes, 'x'));  // cut, all bytes consumed
    EXPECT_EQ(r.GetPosition(), 7 + 301);
    s = "kept";
    EXPECT_EQ(ReadCode([&] { r.ReadCString(s); }), CFileReaderException::ReaderEndOfFile);
    EXPECT_EQ(s, "kept");
}

TEST(FileReader, CopyRange) {
    BoxBuilder b;
    for (int i = 0; i < 256; ++i)
        b.U8(static_cast<uint8_t>(i));
    std::string media = b.WriteTempFile("media");
    CFileReader r;
    ASSERT_EQ(r.Open(media.c_str()), 1);
    r.Skip(5);
    std::string out = TempPath("copy.bin");
    EXPECT_EQ(r.CopyRange(16, 32, out.c_str()), 1);
    EXPECT_EQ(r.GetPosition(), 5);
    std::vector<uint8_t> copied = ReadWhole(out);
    ASSERT_EQ(copied.size(), 32u);
    EXPECT_EQ(copied.front(), 16);
    EXPECT_EQ(copied.back(), 47);
    EXPECT_EQ(r.ReadUInt8(), 5);  // the read buffer still serves the old position

    // A range beyond the file copies nothing and leaves no partial file.
    std::string beyond = TempPath("beyond.bin");
    EXPECT_EQ(r.CopyRange(250, 32, beyond.c_str()), 0);
    EXPECT_NE(::access(beyond.c_str(), F_OK), 0);
    // The media file itself is never the output, under any name.
    std::string link = TempPath("alias.mp4");
    ASSERT_EQ(::symlink(media.c_str(), link.c_str()), 0);
    EXPECT_EQ(r.CopyRange(0, 8, link.c_str()), 0);
    EXPECT_EQ(ReadWhole(media).size(), 256u);
    // No file open: nothing to copy.
    CFileReader closed;
    EXPECT_EQ(closed.CopyRange(0, 1, TempPath("none.bin").c_str()), 0);
}

TEST(FileReader, RefusesWhatIsNotARegularFile) {
    CFileReader r;
    EXPECT_EQ(r.Open(nullptr), 0);
    EXPECT_EQ(r.Open("/nonexistent/orvex/file.mp4"), 0);
    EXPECT_EQ(r.Open(::testing::TempDir().c_str()), 0);  // a directory
    std::string fifo = TempPath("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(r.Open(fifo.c_str()), 0);  // refused at once, no writer needed
    EXPECT_EQ(r.Open("/dev/zero"), 0);
    EXPECT_FALSE(r.IsOpen());
}
