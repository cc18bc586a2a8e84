#include "model/FileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "model/TextConversion.h"

namespace {
constexpr size_t kBufferSize = 64 * 1024;
// After a jump the reader is usually at a box header and will soon jump again (over a small
// 'mdat', say): reading a whole window there would copy bytes that are never looked at.
constexpr size_t kWindowAfterJump = 4096 * 1024;

// read() until count bytes arrived, the end of the file, or an error (-1).
ssize_t ReadFully(int fd, uint8_t* destination, size_t count, int64_t offset) {
    size_t done = 0;
    while (done < count) {
        ssize_t got = ::pread(fd, destination + done, count - done, offset + done);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}
}  // namespace

CFileReader::CFileReader() = default;

CFileReader::~CFileReader() {
    Close();
}

int CFileReader::Open(const char* fileName) {
    if (fileName == nullptr) return 0;
    // O_NONBLOCK keeps open() itself from waiting for a writer on a FIFO; it is refused below.
    int fd = ::open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return 0;
    }
    m_fd = fd;
    m_fileName = fileName;
    m_fileSize = static_cast<int64_t>(st.st_size);
    m_buffer.assign(kBufferSize, 0);
    m_bufferStart = 0;
    m_bufferLength = 0;
    m_bufferPos = 0;
    m_lastReadFailed = false;
    m_bufferEndsAt = -1;
    return 1;
}

void CFileReader::Close() {
    if (m_fd < 0) return;
    ::close(m_fd);
    m_fd = -1;
    m_fileSize = 0;
    m_bufferStart = 0;
    m_bufferLength = 0;
    m_bufferPos = 0;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

void CFileReader::RequireOpen() const {
    if (m_fd < 0) throw CFileReaderException(CFileReaderException::ReaderNotOpen);
}

void CFileReader::Rewind() {
    RequireOpen();
    m_bufferStart = 0;
    m_bufferLength = 0;
    m_bufferPos = 0;
    m_lastReadFailed = false;
    m_bufferEndsAt = -1;
}

int64_t CFileReader::GetPosition() const {
    RequireOpen();
    return m_bufferStart + static_cast<int64_t>(m_bufferPos);
}

int64_t CFileReader::GetRemainingSize() const {
    return m_fileSize - GetPosition();
}

size_t CFileReader::Refill() {
    int64_t position = m_bufferStart + static_cast<int64_t>(m_bufferPos);
    m_bufferStart = position;
    m_bufferPos = 0;
    m_bufferLength = 0;
    if (position < 0 || position >= m_fileSize) return 0;
    // Reading on from the end of the window is sequential: take the whole buffer from here on.
    const bool sequential = m_bufferEndsAt == position;
    const size_t window =
        sequential ? m_buffer.size() : std::min(kWindowAfterJump, m_buffer.size());
    ssize_t got = ReadFully(m_fd, m_buffer.data(), window, position);
    if (got < 0) {
        m_lastReadFailed = true;
        return 0;
    }
    m_lastReadFailed = false;
    m_bufferLength = static_cast<size_t>(got);
    m_bufferEndsAt = position + static_cast<int64_t>(m_bufferLength);
    return m_bufferLength;
}

void CFileReader::ThrowShortRead() const {
    if (m_lastReadFailed) throw CFileReaderException(CFileReaderException::ReaderReadFailure);
    throw CFileReaderException(CFileReaderException::ReaderEndOfFile);
}

uint32_t CFileReader::ReadBytes(void* destination, uint32_t count) {
    RequireOpen();
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t done = 0;
    while (done < count) {
        if (m_bufferPos >= m_bufferLength && Refill() == 0) {
            // The bytes read so far are consumed, as a short read of the stream would.
            ThrowShortRead();
        }
        size_t take = std::min<size_t>(count - done, m_bufferLength - m_bufferPos);
        std::memcpy(out + done, m_buffer.data() + m_bufferPos, take);
        m_bufferPos += take;
        done += static_cast<uint32_t>(take);
    }
    return count;
}

uint8_t CFileReader::ReadUInt8() {
    RequireOpen();
    if (m_bufferPos >= m_bufferLength && Refill() == 0) ThrowShortRead();
    return m_buffer[m_bufferPos++];
}

uint16_t CFileReader::ReadUInt16() {
    uint8_t b[2];
    ReadBytes(b, 2);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

uint32_t CFileReader::ReadUInt32() {
    uint8_t b[4];
    ReadBytes(b, 4);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

uint64_t CFileReader::ReadUInt64() {
    uint64_t high = ReadUInt32();
    return (high << 32) | ReadUInt32();
}

int CFileReader::Skip(int64_t count) {
    RequireOpen();
    const int64_t position = GetPosition();
    // Saturates rather than overflows: a skip that far is past any end of file anyway.
    int64_t target = (count > 0 && count > std::numeric_limits<int64_t>::max() - position)
                         ? std::numeric_limits<int64_t>::max()
                         : position + count;
    if (target < 0) return -1;
    if (target >= m_bufferStart && target <= m_bufferStart + static_cast<int64_t>(m_bufferLength)) {
        m_bufferPos = static_cast<size_t>(target - m_bufferStart);
    } else {
        m_bufferStart = target;
        m_bufferPos = 0;
        m_bufferLength = 0;
    }
    return 0;
}

void CFileReader::ReadCString(std::string& destination) {
    std::string bytes;
    for (;;) {
        uint8_t c = ReadUInt8();
        if (c == 0) break;
        if (bytes.size() < kMaxCStringBytes) bytes.push_back(static_cast<char>(c));
    }
    destination = Latin1ToUtf8(bytes.data(), bytes.size());
}

int CFileReader::CopyRange(int64_t offset, uint64_t size, const char* outputFileName) {
    if (m_fd < 0 || outputFileName == nullptr || offset < 0) return 0;
    if (size > static_cast<uint64_t>(m_fileSize) ||
        static_cast<uint64_t>(offset) > static_cast<uint64_t>(m_fileSize) - size) {
        return 0;
    }
    // Never truncate the media file itself, whatever name the caller gives it.
    struct stat source {};
    struct stat target {};
    if (::fstat(m_fd, &source) == 0 && ::stat(outputFileName, &target) == 0 &&
        source.st_dev == target.st_dev && source.st_ino == target.st_ino) {
        return 0;
    }
    int out = ::open(outputFileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) return 0;
    std::vector<uint8_t> chunk(std::min<uint64_t>(size, 1 << 20));
    uint64_t done = 0;
    bool ok = true;
    while (ok && done < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - done));
        ssize_t got = ReadFully(m_fd, chunk.data(), want, offset + static_cast<int64_t>(done));
        if (got != static_cast<ssize_t>(want)) {
            ok = false;
            break;
        }
        size_t written = 0;
        while (written < want) {
            ssize_t w = ::write(out, chunk.data() + written, want - written);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            written += static_cast<size_t>(w);
        }
        done += want;
    }
    if (::close(out) != 0) ok = false;
    if (!ok) {
        // The caller may want to say why the copy failed, not why the clean-up did.
        const int error = errno;
        std::remove(outputFileName);
        errno = error;
        return 0;
    }
    return 1;
}

std::string DescribeOpenFailure(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "is a directory";
    if (S_ISFIFO(st.st_mode)) return "is a FIFO, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "is a device, not a regular file";
    if (S_ISSOCK(st.st_mode)) return "is a socket, not a regular file";
    if (!S_ISREG(st.st_mode)) return "is not a regular file";
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return "cannot be read";
}
