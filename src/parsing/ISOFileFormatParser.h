#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "model/FileReader.h"
#include "parsing/LogWriter.h"
#include "parsing/ParseProgress.h"
#include "parsing/ParserInterfaces.h"

// Thrown by value inside Parse when a box's size disagrees with what was read.
enum ParseExceptionCode : int32_t { ParseSizeMismatch = 0, ParseCancelRequested = 1 };

// Result codes of Parse.
enum ParseResult : int32_t {
    ParseOk = 0,
    ParseNotOpen = 1,
    ParseReadFailure = 2,
    ParseCorrupted = 3,
    ParseOutOfMemory = 4,
    ParseNoCallback = 5,
    ParseUnknownError = 6,
    // Stopped on request between two boxes; nothing of the file was reported.
    ParseCancelled = 7
};

// The parse driver: walks the open file box by box in one forward pass, lets the registered
// handlers decode each box, corrects the read position where a box was read short, tracks the
// nesting and reports every box to the callback processor at the normal end. The parser is
// the reader of its own parse.
class CISOFileFormatParser : public CFileReader {
public:
    CISOFileFormatParser(IParserCallbackProcessor* callbackProcessor, ILogWriter* logWriter);
    ~CISOFileFormatParser();

    // Takes ownership; the handler reads through this parser. Later handlers are asked first.
    // A handler of a family beyond the classic set (set Full) is asked only while the parser
    // reads the full set, and is asked before every classic handler.
    void AddHandler(std::unique_ptr<IBoxParsingHandler> handler, BoxSet set = BoxSet::Classic);
    // Which boxes the next parses know: with the classic set, every family handler and every
    // catalogue row beyond the classic ones are left out, and the parse is the classic one.
    void SetBoxSet(BoxSet set) { m_boxSet = set; }
    BoxSet GetBoxSet() const { return m_boxSet; }
    int32_t Parse();
    // Each parse starts without track facts (track_IDs, IV sizes of protected tracks) unless
    // this was called before it: then the next parse starts with the facts the last one ended
    // with, so that a media segment parsed after its init segment reads its 'senc' boxes with
    // the init segment's 'tenc'. The call holds for one parse only.
    void CarryTrackFactsIntoNextParse() { m_carryTrackFacts = true; }
    // The same with the facts another parser ended with: a media segment read by one parser
    // after its init segment was read by another.
    void CarryTrackFactsIntoNextParse(TrackFacts facts) {
        m_trackFacts = std::move(facts);
        m_carryTrackFacts = true;
    }
    const TrackFacts& GetTrackFacts() const { return m_trackFacts; }
    // The records of the parse that is ending, in the order of their boxes (those held by the
    // record of their parent box excepted): for OnParseEnd, which may keep them beyond the parse.
    std::vector<std::unique_ptr<ISOFileFormat::Box>> TakeRecords() { return std::move(m_records); }

    // Where the parse reports its position and finds a cancel request; none (the default) for a
    // parse that always runs to its end.
    void SetProgress(CParseProgress* progress) { m_progress = progress; }

    void SetLogWriter(ILogWriter* logWriter) { m_log = logWriter; }
    ILogWriter* GetLogWriter() const { return m_log; }

private:
    struct ParseState;
    // One box after the other until the file ends, each in the steps below.
    void ParseBoxes(ParseState& state);
    // Forgets the previous box's result and logs where this one starts.
    void BeginBox(ParseState& state);
    // Reads size and type (and a 64-bit size); returns the catalogue id of the type.
    int32_t ReadBoxHeader(ParseState& state, uint8_t type[4]);
    // Leaves parent-entry mode once the parse is back at the parent's level, and gives an
    // entry the id its parent forces. True when the box is an entry of the pending parent.
    bool ChooseId(ParseState& state, int32_t& id);
    // Asks the handlers, the last added first; true when one of them claimed the box.
    bool RunHandlers(ParseState& state, const uint8_t type[4], int32_t id);
    // The record of a box no handler made: the empty-box error, then a container is walked
    // and anything else passed.
    void MakeFallbackRecord(ParseState& state, int32_t id);
    // Reports the box and hands its record to its owner: the record list, the pending parent
    // (parent-entry mode) or the parent's entry slots.
    void AttachRecord(ParseState& state, const uint8_t type[4], bool isEntry);
    // Descends into a container, or compares what was read with the declared size: an over-read
    // ends the parse, a short read is passed with a warning. True when it descended.
    bool CheckSize(ParseState& state);
    // Counts the box against the containers it is in and closes every one it completes.
    void CloseFinishedContainers(ParseState& state);
    // Moves forward `count` bytes, no further than the largest position.
    void SkipClamped(uint64_t count);
    void FinishEntryMode(ParseState& state);
    // Publishes the position and ends the parse when a cancel was asked for.
    void CheckProgress();
    int32_t ResultOfFailure();

    std::vector<std::unique_ptr<ISOFileFormat::Box>> m_records;
    struct Handler {
        std::unique_ptr<IBoxParsingHandler> handler;
        BoxSet set;
    };
    std::vector<Handler> m_handlers;
    BoxSet m_boxSet = BoxSet::Full;
    TrackFacts m_trackFacts;  // those the last parse ended with
    bool m_carryTrackFacts = false;
    IParserCallbackProcessor* m_callback;
    ILogWriter* m_log;
    CParseProgress* m_progress = nullptr;
};

// The message a user is shown for a non-zero result of Parse (empty for other values).
const char* GetParseResultMessage(int32_t result);
