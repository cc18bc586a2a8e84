#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Thrown by value by every failed read of CFileReader; caught by reference.
class CFileReaderException {
public:
    enum Code : int32_t {
        ReaderNotOpen = 0,     // an operation needed the stream while no file was open
        ReaderEndOfFile = 1,   // a read came short at the end of the file
        ReaderReadFailure = 2  // a read came short for any other reason
    };

    explicit CFileReaderException(int32_t code) : m_code(code) {}
    int32_t GetCode() const { return m_code; }

private:
    int32_t m_code;
};

// Sequential, buffered, read-only access to one media file with big-endian primitives.
// Positions and sizes are 64-bit: multi-gigabyte video files are ordinary input.
class CFileReader {
public:
    CFileReader();
    ~CFileReader();
    CFileReader(const CFileReader&) = delete;
    CFileReader& operator=(const CFileReader&) = delete;

    // Opens a regular file for reading. Returns 1 when opened, 0 otherwise; anything that is not
    // a regular file (directory, FIFO, device) is refused so that a parse can never block on it.
    int Open(const char* fileName);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    const std::string& GetFileName() const { return m_fileName; }
    int64_t GetFileSize() const { return m_fileSize; }

    void Rewind();
    int64_t GetPosition() const;
    int64_t GetRemainingSize() const;

    uint32_t ReadBytes(void* destination, uint32_t count);
    uint8_t ReadUInt8();
    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    uint64_t ReadUInt64();

    // Moves forward without checking the end of the file; a later read reports it.
    int Skip(int64_t count);
    int SkipBits(int64_t bitCount) { return Skip(bitCount / 8); }

    // Reads up to and including a zero byte; the bytes before it, as Latin-1, replace
    // the destination (as UTF-8). Texts beyond kMaxCStringBytes are cut, never overrun.
    void ReadCString(std::string& destination);
    static constexpr size_t kMaxCStringBytes = 199;

    // Copies [offset, offset + size) of the open file into a new file. Returns 1 on success,
    // 0 when nothing or not everything could be copied (a partial output is removed), or when
    // the output would be the open media file itself. The read position is unchanged.
    int CopyRange(int64_t offset, uint64_t size, const char* outputFileName);

private:
    // Fills the buffer from the file; returns the bytes now available.
    size_t Refill();
    [[noreturn]] void ThrowShortRead() const;
    void RequireOpen() const;

    std::string m_fileName;
    int m_fd = -1;
    int64_t m_fileSize = 0;

    // The buffered window: bytes [m_bufferStart, m_bufferStart + m_bufferLength) of the file,
    // with the read position at m_bufferStart + m_bufferPos. A skip beyond the window only moves
    // m_logicalPos; the window is re-read from there on the next read.
    std::vector<uint8_t> m_buffer;
    int64_t m_bufferStart = 0;
    size_t m_bufferLength = 0;
    size_t m_bufferPos = 0;
    bool m_lastReadFailed = false;
    // Where the last read from the file ended; -1 before the first and after a rewind.
    int64_t m_bufferEndsAt = -1;
};

// Why `fileName` cannot be opened as a media file, for the user: the system's words for a
// missing or forbidden file ("No such file or directory"), or what the path names instead of a
// regular file ("is a directory"). Asked after Open refused the file; "cannot be read" when
// nothing is found wrong by then.
std::string DescribeOpenFailure(const std::string& fileName);
