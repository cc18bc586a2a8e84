#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "model/FileReader.h"

// Bounds for tables whose length comes from the file. A count is never trusted alone: tables
// reserve at most what the rest of the box and of the file can hold, and grow only as entries
// are actually read, so a hostile count costs no more memory than the file's bytes.

// The file position one past the box, for a handler called right after the header was read
// (`headerBytes` consumed so far). Saturates for sizes beyond the 64-bit position range.
int64_t BoxEndPosition(const CFileReader& reader, uint64_t size, uint32_t headerBytes);

// The bytes a box holds after its header and `used` bytes of fixed fields; 0 when its declared
// size is too small for them.
uint64_t BytesAfter(uint64_t size, uint32_t headerBytes, uint64_t used);

// Bytes that remain both in the box and in the file from the current position (0 when none).
uint64_t BytesLeftInBox(const CFileReader& reader, int64_t boxEnd);

// Throws std::bad_alloc when count × entrySize does not fit in 32 bits (the parse then ends as
// for exhausted memory); otherwise returns how many entries to reserve: the count, capped by
// the entries that `bytesLeft` can hold.
size_t TableReserveCount(uint64_t count, uint64_t entrySize, uint64_t bytesLeft);

template <typename T>
void ReserveTable(std::vector<T>& table, uint64_t count, uint64_t entrySize, uint64_t bytesLeft) {
    table.clear();
    table.reserve(TableReserveCount(count, entrySize, bytesLeft));
}

// Passes `count` bytes of a field as reading them would, without reading: throws
// CFileReaderException (end of file) when the file does not hold them.
void PassFieldBytes(CFileReader& reader, uint64_t count);

// Reads a byte field of `count` bytes whose length came from the file. When the rest of the box
// holds it, `bytes` receives it and the result is true. Otherwise nothing is allocated: the
// field is passed with PassFieldBytes, so the parse ends as a read beyond the box ends it, and
// the result is false (the caller stops reading the box; `bytes` is left empty).
bool ReadBoxBytes(CFileReader& reader, int64_t boxEnd, uint64_t count, std::vector<uint8_t>& bytes);

// After fields were decoded from bytes already taken from the box and wanted `missing` more:
// passes that many bytes (at least one, at most what the file holds), so the parse ends as a
// read beyond the box would and the driver can say by how much the box was too short.
void PassMissingBytes(CFileReader& reader, uint64_t missing);

// Before each entry of a table whose count came from the file: true when the rest of the box
// holds the entry's `entryBytes` fixed bytes. Otherwise the entry is passed with PassFieldBytes
// and the result is false: the caller stops reading the table.
bool BoxHoldsEntry(CFileReader& reader, int64_t boxEnd, uint64_t entryBytes);
