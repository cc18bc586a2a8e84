#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "parsing/BoxParsingTable.h"

class CBitReader;

// Parses the audio family beyond the classic set: today's audio sample entries, their decoder
// configurations, the channel layout, and 'esds' with every descriptor it holds.
class CAudioBoxParsingHandler : public CTableBoxParsingHandler<CAudioBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CAudioBoxParsingHandler>> Rows();

private:
    void ParseAudioEntry(const BoxParseContext& c);
    void ParseOpusSpecific(const BoxParseContext& c);
    void ParseFLACSpecific(const BoxParseContext& c);
    void ParseAC3Specific(const BoxParseContext& c);
    void ParseEC3Specific(const BoxParseContext& c);
    void ParseALACSpecific(const BoxParseContext& c);
    void ParsePCMConfiguration(const BoxParseContext& c);
    void ParseMHAConfiguration(const BoxParseContext& c);
    void ParseChannelLayout(const BoxParseContext& c);
    void ParseESDescriptor(const BoxParseContext& c);
};
