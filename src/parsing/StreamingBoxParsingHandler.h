#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "parsing/BoxParsingTable.h"

class CBitReader;
namespace ISOFileFormat {
struct Box;
struct FullBox;
struct ProtectionSystemSpecificHeaderBox;
}  // namespace ISOFileFormat

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
    void ParseSampleEncryption(const BoxParseContext& c);
    void ParseSubsegmentIndex(const BoxParseContext& c);
    void ParseLevelAssignment(const BoxParseContext& c);
    void ParseTrackExtensionProperties(const BoxParseContext& c);
    // The boxes of Smooth Streaming by their extended type; any other 'uuid' as the classic
    // reading keeps it.
    void ParseUuid(const BoxParseContext& c);

    std::unique_ptr<ISOFileFormat::Box> ReadPiffSampleEncryption(const BoxParseContext& c);
    std::unique_ptr<ISOFileFormat::Box> ReadPiffTrackEncryption(const BoxParseContext& c);
    std::unique_ptr<ISOFileFormat::Box> ReadPiffFragmentTime(const BoxParseContext& c);
    std::unique_ptr<ISOFileFormat::Box> ReadPiffFragmentReference(const BoxParseContext& c);
    void ReadProtectionSystemHeader(const std::vector<uint8_t>& bytes,
                                    ISOFileFormat::ProtectionSystemSpecificHeaderBox& record);

    // ReadFullPayload after a 'uuid' box's extended type.
    std::vector<uint8_t> ReadPiffPayload(const BoxParseContext& c, ISOFileFormat::FullBox& record);
};
