#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class COrvexDoc;

// The JSON export of a parsed document (docs/orvex-json.schema.json describes it): the file,
// the parse result and its message, the log's warnings and errors with the box each was met
// at, the quick and conformance information, and the tree of boxes with their fields and the
// media data view under each 'mdat'. The one writer behind the viewer's export command and
// orvex-dump. It is streamed node by node: nothing of the document is built in memory.
// False when writing failed.
bool WriteTreeJson(const COrvexDoc& document, std::string_view parsedFileName, std::FILE* file);

// A media segment read with its init segment: one object, {"initSegment": the init's export,
// "segment": the segment's}.
bool WriteSegmentWithInitJson(const COrvexDoc& init, std::string_view initFileName,
                              const COrvexDoc& segment, std::string_view segmentFileName,
                              std::FILE* file);

// Writes the JSON export to `path`; false when the file cannot be created or written.
bool ExportTreeJsonToFile(const COrvexDoc& document, std::string_view parsedFileName,
                          const std::string& path);
