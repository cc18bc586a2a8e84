#include "parsing/VideoBoxParsingHandler.h"

#include <memory>

#include "model/FileReader.h"
#include "model/VideoBoxes.h"

using namespace ISOFileFormat;

std::span<const BoxParseRow<CVideoBoxParsingHandler>> CVideoBoxParsingHandler::Rows() {
    using H = CVideoBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {PixelAspectRatioBox::kId, &H::ParsePixelAspectRatio},
    };
    return kRows;
}

// ISO/IEC 14496-12:2022, 12.1.4.2
void CVideoBoxParsingHandler::ParsePixelAspectRatio(const BoxParseContext& c) {
    auto record = std::make_unique<PixelAspectRatioBox>(c.size);
    CFileReader& r = Reader();
    record->hSpacing = r.ReadUInt32();
    record->vSpacing = r.ReadUInt32();
    c.result.record = std::move(record);
}
