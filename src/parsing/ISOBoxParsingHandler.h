#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "model/BoxCatalogue.h"
#include "parsing/BoxParsingTable.h"

namespace ISOFileFormat {
struct FileTypeBox;
struct HandlerRererenceBox;
struct SampleDependencyTypeBox;
}  // namespace ISOFileFormat

// The track kind (HandlerKind) of a handler type. The full set also counts the subtitle
// handlers 'sbtl' and 'subt' as timed text.
int32_t HandlerKindOf(const uint8_t handlerType[4], BoxSet set);

// 'hdlr' read after its header as the classic set reads it; the handler kind is left to the
// caller, which maps the handler type for its box set.
std::unique_ptr<ISOFileFormat::HandlerRererenceBox> ReadHandlerReference(
    IBoxParsingHandler& handler, const BoxParseContext& c);

// 'ftyp' (or a box of its layout) read after its header.
std::unique_ptr<ISOFileFormat::FileTypeBox> ReadFileType(CFileReader& r, const BoxParseContext& c);

// The entries of 'sdtp', `box.sample_count` of them, one byte each, read after its version and
// flags within the box.
void ReadSampleDependencyEntries(CFileReader& r, ISOFileFormat::SampleDependencyTypeBox& box,
                                 int64_t boxEnd);

// Parses the boxes of the ISO base media file format (ISO/IEC 14496-12) into the records of
// model/ISOBoxes.h, and keeps the items of BoxParseResult that later boxes depend on: the
// track's handler kind ('hdlr' sets it, 'tkhd' resets it, 'stsd' reads it), the sample count
// ('stsz' sets it, 'stdp' and 'sdtp' read it) and parent-entry mode ('dref', 'stsd').
//
// Tables are reserved from what the rest of the box and of the file can hold, never from a
// count alone, and grow only as entries are read. A count that cannot be a table at all (its
// size beyond 32 bits) throws std::bad_alloc; a count that exceeds its box makes the reads run
// past the box, which the driver reports.
//
// Data entries ('url ', 'urn ') are parsed the same way whether or not a parent is waiting for
// them: the driver hands them to the parent's AdoptEntry in parent-entry mode, and otherwise
// lists them as ordinary leaf records. The entries of 'stsd' are the 3GPP handler's.
class CISOBoxParsingHandler : public CTableBoxParsingHandler<CISOBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CISOBoxParsingHandler>> Rows();

private:
    using Context = BoxParseContext;

    void ParseFileType(const Context& c);
    void ParseMovieHeader(const Context& c);
    void ParseTrackHeader(const Context& c);
    void ParseMediaHeader(const Context& c);
    void ParseHandlerReference(const Context& c);
    void ParseVideoMediaHeader(const Context& c);
    void ParseSoundMediaHeader(const Context& c);
    void ParseHintMediaHeader(const Context& c);
    void ParseTrackReferenceType(const Context& c);
    void ParseDataReference(const Context& c);
    void ParseDataEntryUrn(const Context& c);
    void ParseDataEntryUrl(const Context& c);
    void ParseTimeToSample(const Context& c);
    void ParseCompositionOffset(const Context& c);
    void ParseSampleDescription(const Context& c);
    void ParseCopyRight(const Context& c);
    void ParseSampleSize(const Context& c);
    void ParseCompactSampleSize(const Context& c);
    void ParseSampleToChunk(const Context& c);
    void ParseChunkOffset(const Context& c);
    void ParseChunkLargeOffset(const Context& c);
    void ParseSyncSample(const Context& c);
    void ParseShadowSyncSample(const Context& c);
    void ParseDegradationPriority(const Context& c);
    void ParseSampleDependencyType(const Context& c);
    void ParseSampleToGroup(const Context& c);
    void ParseEditList(const Context& c);
    void ParseMovieExtendsHeader(const Context& c);
    void ParseTrackExtends(const Context& c);
    void ParseMovieFragmentHeader(const Context& c);
    void ParseTrackFragmentHeader(const Context& c);
    void ParseTrackRun(const Context& c);
    void ParseTrackFragmentRandomAccess(const Context& c);
    void ParseMovieFragmentRandomAccessOffset(const Context& c);
    void ParseUuid(const Context& c);

    // Reads `length` bytes of which the first `capacity` at most go to `buffer`; the rest are
    // passed. Returns the number of bytes kept.
    size_t ReadKeptBytes(uint64_t length, uint8_t* buffer, size_t capacity);
};
