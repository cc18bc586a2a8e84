#pragma once

#include <cstdint>
#include <memory>

// Records of parsed boxes. Plain structures: parsers fill them, the presentation, the document
// and the analysis read their public fields. Records live only while a parse runs.
namespace ISOFileFormat {

struct Box {
    Box(int32_t id, uint64_t size) : id(id), size(size) {}
    virtual ~Box() = default;
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

    // A box whose entries follow it as boxes ('stsd', 'dref') takes ownership of entry `index`
    // here. Returns false when this record keeps no entries of that kind; `entry` is then left
    // with the caller.
    virtual bool AdoptEntry(uint32_t index, std::unique_ptr<Box>& entry) {
        (void)index;
        (void)entry;
        return false;
    }

    int32_t id;                 // catalogue id, -1 for a type not in the catalogue
    uint8_t type[4] = {};       // the type bytes as read; copied in by the parse driver
    uint64_t size;              // the size from the header, header included
    uint8_t userType[16] = {};  // extended type of a 'uuid' box, in file order
};

struct FullBox : Box {
    FullBox(int32_t id, uint64_t size, uint8_t version = 0, const uint8_t* flagBytes = nullptr)
        : Box(id, size), version(version) {
        if (flagBytes) {
            flags[0] = flagBytes[0];
            flags[1] = flagBytes[1];
            flags[2] = flagBytes[2];
        }
    }
    // The 24-bit flags value; flag bit 0 is bit 0 of the third byte.
    uint32_t FlagsValue() const {
        return (uint32_t{flags[0]} << 16) | (uint32_t{flags[1]} << 8) | flags[2];
    }

    uint8_t version;
    uint8_t flags[3] = {};  // file order: the first byte is the most significant
};

}  // namespace ISOFileFormat
