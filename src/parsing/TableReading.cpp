#include "parsing/TableReading.h"

#include <algorithm>
#include <limits>

int64_t BoxEndPosition(const CFileReader& reader, uint64_t size, uint32_t headerBytes) {
    constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    uint64_t start = static_cast<uint64_t>(reader.GetPosition()) - headerBytes;
    if (size > kMax - start) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(start + size);
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
