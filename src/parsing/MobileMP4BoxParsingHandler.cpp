#include "parsing/MobileMP4BoxParsingHandler.h"

#include <memory>

#include "model/BoxCatalogue.h"
#include "model/FileReader.h"
#include "model/MobileMP4Boxes.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

std::span<const BoxParseRow<CMobileMP4BoxParsingHandler>> CMobileMP4BoxParsingHandler::Rows() {
    using H = CMobileMP4BoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {DoCoMoDRMBox::kId, &H::ParseDoCoMoDRMBox},
        {DoCoMoChapterBox::kId, &H::ParseDoCoMoChapterBox},
        {BoxId::Drm, &H::ParseDRMInformationBox},
    };
    return kRows;
}

void CMobileMP4BoxParsingHandler::ParseDRMInformationBox(const BoxParseContext& c) {
    c.result.record = std::make_unique<Box>(BoxId::Drm, c.size);
    c.result.descend = 1;
}

void CMobileMP4BoxParsingHandler::ParseDoCoMoDRMBox(const BoxParseContext& c) {
    auto record = std::make_unique<DoCoMoDRMBox>(c.size);
    record->distiribution_right = Reader().ReadUInt16();
    c.result.record = std::move(record);
}

void CMobileMP4BoxParsingHandler::ParseDoCoMoChapterBox(const BoxParseContext& c) {
    auto record = std::make_unique<DoCoMoChapterBox>(c.size);
    CFileReader& r = Reader();
    ReadVersionAndFlags(record->version, record->flags);
    record->entry_count = r.ReadUInt32();
    // Each chapter takes at least its start time and name length.
    constexpr uint64_t kChapterBytes = 8;
    ReserveTable(record->entries, record->entry_count, kChapterBytes, BytesLeftInBox(r, c.boxEnd));
    for (uint32_t i = 0; i < record->entry_count; ++i) {
        if (!BoxHoldsEntry(r, c.boxEnd, kChapterBytes)) break;
        DoCoMoChapterBox::ChapterEntry chapter;
        chapter.start_time = r.ReadUInt32();
        chapter.length = r.ReadUInt32();
        if (!ReadBoxBytes(r, c.boxEnd, chapter.length, chapter.chapter_name)) break;
        record->entries.push_back(std::move(chapter));
    }
    c.result.record = std::move(record);
}
