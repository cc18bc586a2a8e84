#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/3GPPBoxes.h"
#include "parsing/BoxParsingTable.h"

class CFileReader;

// Turns the bytes of a 3GPP asset text into UTF-8: UTF-16 big-endian behind a 0xFE 0xFF mark,
// otherwise UTF-8 whose invalid sequences become U+FFFD. Every character is kept, a
// terminating zero character included.
std::string ConvertAssetText(const uint8_t* bytes, size_t count);

// `count` parameter sets of the AVC configuration (16-bit length, then the NAL unit). False
// when the box cannot hold one; the sets read so far are kept.
bool ReadParameterSets(CFileReader& r, int64_t boxEnd, uint32_t count,
                       std::vector<ISOFileFormat::AVCConfigurationBox::ParameterSet>& sets);

// Parses what 3GPP (TS 26.244, timed text TS 26.245), the MP4 file format (ISO/IEC 14496-14)
// and the AVC file format (ISO/IEC 14496-15) add to the ISO base media file format: every
// entry of a sample description box (asked before the ISO handler, it decodes them all), the
// elementary stream descriptor, the AVC configuration, the AMR, H.263 and AMR-WB+ specific
// boxes, the bitrate boxes, the font table, the asset boxes, 'tsel' and the RTP hint texts.
//
// Lengths and counts read from the file never allocate more than the rest of the box holds:
// a field or entry the box cannot hold is passed without reading, so that the parse ends the
// way a read beyond the box ends it. Sample entry records go back through the result; the
// driver hands them to the sample description that is waiting for them.
class C3GPPBoxParsingHandler : public CTableBoxParsingHandler<C3GPPBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<C3GPPBoxParsingHandler>> Rows();

private:
    using Context = BoxParseContext;

    void ParseAuthorBox(const Context& c);
    void ParseTitleBox(const Context& c);
    void ParseDescriptionBox(const Context& c);
    void ParseGenreBox(const Context& c);
    void ParsePerformerBox(const Context& c);
    void ParseRatingBox(const Context& c);
    void ParseClassificationBox(const Context& c);
    void ParseKeywordsBox(const Context& c);
    void ParseLocationInformationBox(const Context& c);
    void ParseAlbumBox(const Context& c);
    void ParseRecordingYearBox(const Context& c);
    void ParseFontTableBox(const Context& c);
    void ParseESDescriptorBox(const Context& c);
    void ParseAVCConfigurationBox(const Context& c);
    void ParseMPEG4BitRateBox(const Context& c);
    void ParseTrackSelectionBox(const Context& c);
    void ParseMovieHintInformation(const Context& c);
    void ParseRTPTrackSDPHintInformation(const Context& c);
    void ParseRTPMovieHintInformation(const Context& c);
    void ParseAudioSampleEntry(const Context& c);
    void ParseVisualSampleEntry(const Context& c);
    void ParseTextSampleEntry(const Context& c);
    void ParseHintSampleEntry(const Context& c);
    void ParseUnknownSampleEntry(const Context& c);
    void ParseH263SpecificBox(const Context& c);
    void ParseBitrateBox(const Context& c);
    void ParseAMRSpecificBox(const Context& c);
    void ParseAMRWPSpecificBox(const Context& c);

    // Version and flags, the packed language, then the rest of the box as an asset text.
    std::string ReadAssetString(const Context& c, ISOFileFormat::FullBox& record,
                                uint8_t language[3]);
    // A single-byte text of `length` bytes, of which the first 200 are kept (up to the first
    // zero byte). False when the box cannot hold the text (the caller stops reading).
    bool ReadSingleByteText(const Context& c, uint64_t length, std::string& text);
};
