#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "model/Box.h"

class CFileReader;

// The kind of a track's handler, from its 'hdlr' box.
enum HandlerKind : int32_t {
    HandlerKindOther = 0,
    HandlerKindVideo = 1,
    HandlerKindSound = 2,
    HandlerKindHint = 3,
    HandlerKindText = 4
};

// The name users see for a track of that kind: "Video", "Sound", "Hint", "Timed Text", or
// "Unknown" for any other value.
const char* GetTrackKindName(int32_t handlerKind);

// What a track's protection says about the samples' auxiliary information: the IV size of a
// 'senc' in a fragment depends on boxes deep inside the 'moov' (or another file: an init
// segment), so these facts outlive the boxes that gave them.
struct TrackProtectionFacts {
    // From the track's 'tenc' (or the track encryption 'uuid' of Smooth Streaming).
    std::optional<uint8_t> trackIVSize;
    bool constantIV = false;
    // From the first protected 'seig' description of the track's sample table.
    std::optional<uint8_t> groupIVSize;
};

struct TrackFacts {
    // track_ID of the last 'tkhd' or 'tfhd': the track the boxes after it belong to.
    uint32_t currentTrack = 0;
    // True after a 'tfhd', false after a 'tkhd'.
    bool inFragment = false;
    // From the first protected 'seig' description of the current track fragment; forgotten at
    // each 'tfhd'.
    std::optional<uint8_t> fragmentGroupIVSize;
    // One entry per track_ID met with protection facts; each needs a box of its own, so the
    // map cannot grow beyond what the file holds.
    std::map<uint32_t, TrackProtectionFacts> protection;
};

// Shared by the driver and the handlers for a whole parse; fields persist from box to box.
struct BoxParseResult {
    // Out: the record made for the current box (ownership goes to the driver). Cleared before
    // each box.
    std::unique_ptr<ISOFileFormat::Box> record;
    // Out: 1 when the box's payload is a sequence of child boxes the driver parses next.
    int32_t descend = 0;
    // Parent-entry mode: the record of a box whose entries follow it as boxes ('stsd', 'dref').
    // Not owning. A handler switches the mode on by pointing this at the record it just made.
    ISOFileFormat::Box* parent = nullptr;
    uint32_t expectedEntries = 0;
    uint32_t entriesSeen = 0;
    // -1, or the id the parent's entries get in place of their looked-up id.
    int32_t forcedId = -1;
    // sample_count of the last 'stsz' (read by 'stdp' and 'sdtp').
    uint32_t sampleCount = 0;
    // HandlerKind of the last 'hdlr'; reset by each 'tkhd'; read by 'stsd'.
    int32_t handlerKind = HandlerKindOther;
    // Facts of the tracks met so far (see CISOFileFormatParser::CarryTrackFactsIntoNextParse).
    TrackFacts tracks;
};

// What the document receives for each box, in file order.
struct BoxEntry {
    ISOFileFormat::Box* record = nullptr;  // owned by the parser (or by its parent record)
    int32_t depth = 0;
    // Bytes of the size and type fields (16 with a 64-bit size), and of a 'uuid' box's extended
    // type.
    uint32_t headerSize = 0;
    int64_t offset = 0;
    int32_t container = 0;  // 1 when the payload was parsed as child boxes outside entry mode
};

// Implemented by the document; the driver ignores the results.
class IParserCallbackProcessor {
public:
    virtual ~IParserCallbackProcessor() = default;
    virtual int32_t OnParseBegin() = 0;
    virtual int32_t OnBoxParsed(ISOFileFormat::Box* record) = 0;
    virtual int32_t OnBoxList(size_t count,
                              const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records) = 0;
    virtual int32_t OnBoxEntry(const BoxEntry* entry) = 0;
    virtual int32_t OnParseEnd() = 0;
    // A parse that failed, before its summary is logged: what the callback logs then is
    // counted with the parse's warnings and errors. The reader is still open unless reading
    // itself failed.
    virtual void OnParseFailed(int32_t result) { (void)result; }
};

class IBoxParsingHandler {
public:
    virtual ~IBoxParsingHandler() = default;
    // Parses the box when `id` is one of this handler's ids and returns 1; returns 0 at once,
    // without reading, for any other id. `headerBytes` grows by what the handler wants counted
    // as header: a handler that sets descend must have consumed exactly that much.
    virtual int32_t ParseBox(const uint8_t type[4], int32_t id, uint64_t size,
                             uint32_t& headerBytes, BoxParseResult& result) = 0;
    virtual CFileReader* GetReader() const = 0;
    virtual CFileReader* SetReader(CFileReader* reader) = 0;
    virtual void ReadVersionAndFlags(uint8_t& version, uint8_t flags[3]) = 0;
};

class CBoxParsingHandlerImpl : public IBoxParsingHandler {
public:
    CFileReader* GetReader() const override { return m_reader; }
    CFileReader* SetReader(CFileReader* reader) override { return m_reader = reader; }
    void ReadVersionAndFlags(uint8_t& version, uint8_t flags[3]) override;

protected:
    CFileReader& Reader() const { return *m_reader; }

private:
    CFileReader* m_reader = nullptr;
};
