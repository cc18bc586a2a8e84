#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "parsing/BoxParsingTable.h"

class CBitReader;
namespace ISOFileFormat {
struct FullBox;
}

// Parses the streaming family beyond the classic set: segment type and index, fragment decode
// time, event messages, producer reference time, and the boxes of common encryption.
class CStreamingBoxParsingHandler : public CTableBoxParsingHandler<CStreamingBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CStreamingBoxParsingHandler>> Rows();

private:
    void ParseSegmentType(const BoxParseContext& c);
    void ParseSegmentIndex(const BoxParseContext& c);
    void ParseDecodeTime(const BoxParseContext& c);
    void ParseEventMessage(const BoxParseContext& c);
    void ParseProducerReferenceTime(const BoxParseContext& c);
    void ParseSchemeType(const BoxParseContext& c);
    void ParseTrackEncryption(const BoxParseContext& c);
    void ParseProtectionSystemHeader(const BoxParseContext& c);
    void ParseAuxiliaryInformationSizes(const BoxParseContext& c);
    void ParseAuxiliaryInformationOffsets(const BoxParseContext& c);

    // Version and flags, then the rest of the box: the fields are decoded from these bytes.
    std::vector<uint8_t> ReadFullPayload(const BoxParseContext& c, ISOFileFormat::FullBox& record);
};
