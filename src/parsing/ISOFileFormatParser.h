#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/Box.h"
#include "model/FileReader.h"
#include "parsing/LogWriter.h"
#include "parsing/ParserInterfaces.h"

// Thrown by value inside Parse when a box's size disagrees with what was read.
enum ParseExceptionCode : int32_t { ParseSizeMismatch = 0 };

// Result codes of Parse.
enum ParseResult : int32_t {
    ParseOk = 0,
    ParseNotOpen = 1,
    ParseReadFailure = 2,
    ParseCorrupted = 3,
    ParseOutOfMemory = 4,
    ParseNoCallback = 5,
    ParseUnknownError = 6
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
    void AddHandler(std::unique_ptr<IBoxParsingHandler> handler);
    int32_t Parse();

    void SetLogWriter(ILogWriter* logWriter) { m_log = logWriter; }
    ILogWriter* GetLogWriter() const { return m_log; }

private:
    struct ParseState;
    void ReadBoxHeader(ParseState& state, uint8_t type[4], int32_t& id);
    void ParseBoxes(ParseState& state);
    void FinishEntryMode(ParseState& state);
    int32_t ResultOfFailure();

    std::vector<std::unique_ptr<ISOFileFormat::Box>> m_records;
    std::vector<std::unique_ptr<IBoxParsingHandler>> m_handlers;
    IParserCallbackProcessor* m_callback;
    ILogWriter* m_log;
};

// The message a user is shown for a non-zero result of Parse (empty for other values).
const char* GetParseResultMessage(int32_t result);
