#pragma once

#include <cstdint>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"

// Records of the boxes that DoCoMo's Mobile MP4 adds: 'dcmd' and 'dcmc'. The 'drm ' container
// has no fields and is a plain Box.
namespace ISOFileFormat {

struct DoCoMoDRMBox : Box {
    static constexpr int32_t kId = BoxId::Dcmd;
    explicit DoCoMoDRMBox(uint64_t size) : Box(kId, size) {}
    uint16_t distiribution_right = 0;  // bit 0 set: re-distribution not allowed
};

struct DoCoMoChapterBox : FullBox {
    static constexpr int32_t kId = BoxId::Dcmc;
    explicit DoCoMoChapterBox(uint64_t size) : FullBox(kId, size) {}
    struct ChapterEntry {
        uint32_t start_time = 0;
        uint32_t length = 0;
        std::vector<uint8_t> chapter_name;  // single-byte text, not terminated
    };
    uint32_t entry_count = 0;           // as declared in the file
    std::vector<ChapterEntry> entries;  // the chapters read, in file order
};

}  // namespace ISOFileFormat
