#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One pass of a media file through everything orvex-dump does, in this process: open, parse
// with the document (quick information, conformance, media data view), then the whole-tree text
// and JSON exports, converted to single bytes as the export file gets them. Shared by the fuzzing
// target and the regression tests so that both drive exactly the same code; it uses no test
// framework.
struct DumpOutcome {
    bool opened = false;
    int32_t result = -1;     // the parse result; -1 when the file could not be opened
    std::string message;     // the parse control's message for a failed parse ("" when none)
    size_t exportBytes = 0;  // bytes of the export (0 when the parse failed)
    size_t logBytes = 0;
    size_t jsonBytes = 0;      // bytes of the JSON export, written whatever the result
    bool jsonWritten = false;  // the JSON writer finished a complete document
    size_t findings = 0;       // of the integrity checks, which every parse runs
    // Every finding names a box that starts inside the file and says something.
    bool findingsWellFormed = true;
};

DumpOutcome DumpThroughDocument(const std::string& path);
