#include "parsing/MobileMP4BoxParsingHandler.h"

#include <memory>

#include "model/FileReader.h"
#include "model/MobileMP4Boxes.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

int32_t CMobileMP4BoxParsingHandler::ParseBox(const uint8_t[4], int32_t id, uint64_t size,
                                              uint32_t& headerBytes, BoxParseResult& result) {
    switch (id) {
        case DoCoMoDRMBox::kId:
            ParseDoCoMoDRMBox(size, result);
            return 1;
        case DoCoMoChapterBox::kId:
            ParseDoCoMoChapterBox(size, headerBytes, result);
            return 1;
        case BoxId::Drm:
            ParseDRMInformationBox(size, result);
            return 1;
        default:
            return 0;
    }
}

void CMobileMP4BoxParsingHandler::ParseDRMInformationBox(uint64_t size, BoxParseResult& result) {
    result.record = std::make_unique<Box>(69, size);
    result.descend = 1;
}

void CMobileMP4BoxParsingHandler::ParseDoCoMoDRMBox(uint64_t size, BoxParseResult& result) {
    auto record = std::make_unique<DoCoMoDRMBox>(size);
    record->distiribution_right = Reader().ReadUInt16();
    result.descend = 0;
    result.record = std::move(record);
}

void CMobileMP4BoxParsingHandler::ParseDoCoMoChapterBox(uint64_t size, uint32_t headerBytes,
                                                        BoxParseResult& result) {
    auto record = std::make_unique<DoCoMoChapterBox>(size);
    CFileReader& r = Reader();
    const int64_t boxEnd = BoxEndPosition(r, size, headerBytes);
    ReadVersionAndFlags(record->version, record->flags);
    record->entry_count = r.ReadUInt32();
    // Each chapter takes at least its start time and name length.
    constexpr uint64_t kChapterBytes = 8;
    ReserveTable(record->entries, record->entry_count, kChapterBytes, BytesLeftInBox(r, boxEnd));
    for (uint32_t i = 0; i < record->entry_count; ++i) {
        if (!BoxHoldsEntry(r, boxEnd, kChapterBytes)) break;
        DoCoMoChapterBox::ChapterEntry chapter;
        chapter.start_time = r.ReadUInt32();
        chapter.length = r.ReadUInt32();
        if (!ReadBoxBytes(r, boxEnd, chapter.length, chapter.chapter_name)) break;
        record->entries.push_back(std::move(chapter));
    }
    result.descend = 0;
    result.record = std::move(record);
}
