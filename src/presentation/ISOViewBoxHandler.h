#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "presentation/ViewBoxTable.h"

class CValueFormatContext;
class CISOViewBoxItemLayer;
class CItemTextWriter;

namespace ISOFileFormat {
struct FileTypeBox;
struct TrackHeaderBox;
struct VisualSampleEntry;
}  // namespace ISOFileFormat

// The fields every visual sample entry begins with, as the generic entry shows them; entries
// of codecs beyond the classic set show them the same way.
void ShowVisualSampleEntryFields(const ISOFileFormat::VisualSampleEntry& entry,
                                 CISOViewBoxItemLayer& items);

// An item of "0x" and every byte in hexadecimal.
void AddHexItem(CISOViewBoxItemLayer& items, std::string_view label,
                std::span<const uint8_t> bytes);
// A four-character code in quotes.
std::string CodeText(const uint8_t code[4]);
// Sixteen bytes as a UUID: hexadecimal in groups of 8, 4, 4, 4 and 12 digits.
void WriteUuid(CItemTextWriter& item, std::span<const uint8_t, 16> bytes);

// Shows 'ftyp' and the boxes of its layout.
void ShowFileType(const ISOFileFormat::FileTypeBox& box, const ViewBoxTarget& t);

// Shows 'tkhd' with `flagsMeaning` after its flags; the families name the flags bit by bit.
void ShowTrackHeader(const ISOFileFormat::TrackHeaderBox& box, const ViewBoxTarget& t,
                     std::string_view flagsMeaning);

// Shows the boxes of the ISO base media file format (ISO/IEC 14496-12): file type, movie,
// track and media headers, handler, data references, sample descriptions and the sample
// entries no codec-aware handler claimed, the sample tables, the movie fragment boxes and
// 'uuid'. The document asks it first; every other box (containers included) is left to the
// handlers after it.
//
// Table entries are listed in full. Their counts are kept apart from their tables in the
// records, so a list shows the entries a record actually holds, never more than its count.
class CISOViewBoxHandler : public CViewBoxTableHandler {
public:
    // `context` carries the last timescale from one box to the next within a parse: a track
    // header's duration is shown in it. The document owns the context and resets it per parse.
    explicit CISOViewBoxHandler(CValueFormatContext& context);

    // A track run whose samples carry no field of their own costs the file no byte per sample,
    // so its sample_count alone could ask for billions of lines. Such a run lists at most one
    // sample per byte of the box; a heading "<n> more samples not listed" (n, then this text)
    // then says how many samples got no line.
    static constexpr std::string_view kUnlistedSamplesText = " more samples not listed";
};

class CISOViewBoxItemLayer;
namespace ISOFileFormat {
struct AudioSampleEntry;
}

// The fields every audio sample entry shows as the generic entry shows them; the entries of
// codecs beyond the classic set show them the same way.
void ShowAudioSampleEntryFields(const ISOFileFormat::AudioSampleEntry& entry,
                                CISOViewBoxItemLayer& items);
