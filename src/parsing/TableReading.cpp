#include "parsing/TableReading.h"

#include <algorithm>
#include <limits>

int64_t BoxEndPosition(const CFileReader& reader, uint64_t size, uint32_t headerBytes) {
    constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    uint64_t start = static_cast<uint64_t>(reader.GetPosition()) - headerBytes;
    if (size > kMax - start) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(start + size);
}

uint64_t BytesAfter(uint64_t size, uint32_t headerBytes, uint64_t used) {
    const uint64_t taken = uint64_t{headerBytes} + used;
    return size > taken ? size - taken : 0;
}

uint64_t BytesLeftInBox(const CFileReader& reader, int64_t boxEnd) {
    int64_t end = std::min(boxEnd, reader.GetFileSize());
    int64_t position = reader.GetPosition();
    return end > position ? static_cast<uint64_t>(end - position) : 0;
}

size_t TableReserveCount(uint64_t count, uint64_t entrySize, uint64_t bytesLeft) {
    if (entrySize == 0) return 0;
    if (count > std::numeric_limits<uint32_t>::max() / entrySize) throw std::bad_alloc();
    return static_cast<size_t>(std::min(count, bytesLeft / entrySize));
}

void PassFieldBytes(CFileReader& reader, uint64_t count) {
    const int64_t left = reader.GetFileSize() - reader.GetPosition();
    if (left < 0 || count > static_cast<uint64_t>(left))
        throw CFileReaderException(CFileReaderException::ReaderEndOfFile);
    reader.Skip(static_cast<int64_t>(count));
}

void PassMissingBytes(CFileReader& reader, uint64_t missing) {
    const uint64_t inFile = BytesLeftInBox(reader, reader.GetFileSize());
    PassFieldBytes(reader, std::max<uint64_t>(1, std::min(missing, inFile)));
}

bool ReadBoxBytes(CFileReader& reader, int64_t boxEnd, uint64_t count,
                  std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (count > BytesLeftInBox(reader, boxEnd)) {
        PassFieldBytes(reader, count);
        return false;
    }
    // Bounded by the box and the file above; read in slices since a read takes 32-bit counts.
    bytes.resize(static_cast<size_t>(count));
    constexpr uint64_t kSlice = uint64_t{1} << 30;
    for (uint64_t done = 0; done < count;) {
        const auto n = static_cast<uint32_t>(std::min(count - done, kSlice));
        reader.ReadBytes(bytes.data() + done, n);
        done += n;
    }
    return true;
}

bool BoxHoldsEntry(CFileReader& reader, int64_t boxEnd, uint64_t entryBytes) {
    if (BytesLeftInBox(reader, boxEnd) >= entryBytes) return true;
    PassFieldBytes(reader, entryBytes);
    return false;
}
