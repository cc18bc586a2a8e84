#include "presentation/ISOViewBoxHandler.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "model/BoxCatalogue.h"
#include "model/Format.h"
#include "model/ISOBoxes.h"
#include "model/NumberText.h"
#include "model/SampleEntries.h"
#include "model/TextConversion.h"
#include "model/VideoBoxes.h"
#include "parsing/ParserInterfaces.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxLayer.h"
#include "presentation/ValueFormatContext.h"
#include "presentation/ViewBoxTable.h"

using namespace ISOFileFormat;

namespace {

using Layer = CISOViewBoxItemLayer;
using Writer = CItemTextWriter;

constexpr std::string_view kNotAvailable = "Not Available";

// "[%d]" without a temporary string, for the short indexed lists shown with AddNumber.
class IndexLabel {
public:
    explicit IndexLabel(size_t index) {
        m_text[0] = '[';
        m_length = 1 + NumberText::FormatUnsigned(m_text + 1, index);
        m_text[m_length++] = ']';
    }
    std::string_view View() const { return std::string_view(m_text, m_length); }

private:
    char m_text[NumberText::kMaxChars + 2];
    size_t m_length;
};

// "%d (0x%X)" of an unsigned 32-bit field. Fields are printed as the unsigned values they
// are, so a count of 2^31 or more never shows as a negative number.
Writer& DecHex(Writer& item, uint32_t value) {
    return item.Unsigned(value).Text(" (0x").Hex(value).Char(')');
}

// "0x%X (%d)" of an unsigned 32-bit field.
Writer& HexDec(Writer& item, uint32_t value) {
    return item.Text("0x").Hex(value).Text(" (").Unsigned(value).Char(')');
}

// "%d (0x%X)" of a signed 16-bit field: the hexadecimal form is that of the value widened to
// 32 bits with its sign.
Writer& DecHex16(Writer& item, int16_t value) {
    return item.Signed(value)
        .Text(" (0x")
        .Hex(static_cast<uint32_t>(static_cast<int32_t>(value)))
        .Char(')');
}

// "%I64d (0x%I64X)" of a 64-bit field, in the two's complement form AddNumber also uses.
Writer& DecHex64(Writer& item, int64_t value) {
    return item.Signed(value).Text(" (0x").Hex(static_cast<uint64_t>(value)).Char(')');
}

// Composition offsets are signed from version 1 of 'ctts' and 'trun' on, unsigned before.
int64_t CompositionOffset(uint32_t value, uint8_t version) {
    return version == 1 ? int64_t{static_cast<int32_t>(value)} : int64_t{value};
}

// The value of a row that is about one number, so that writers keep it a number.
ItemValue RowNumber(int64_t value) {
    return ItemValue{static_cast<uint64_t>(value), 0, ItemValueKind::Number};
}

// Lists the entries a table holds, at most `count` of them, under the heading "Entry List",
// labelled "entry %d" from 1; nothing at all, not even the heading, when there are none. The
// rows keep a copy of the entries shown and are written when needed. A row shows the value
// `writeValue` returns, if it returns one (RowNumber for a row about one number).
template <typename Table, typename WriteValue>
void AddEntryList(Layer& layer, uint64_t count, const Table& table, WriteValue writeValue) {
    const size_t shown = static_cast<size_t>(std::min<uint64_t>(count, table.size()));
    if (shown == 0) return;
    layer.AddHeading("Entry List");
    using Entry = typename Table::value_type;
    layer.AddRows(shown,
                  [entries = std::vector<Entry>(table.begin(), table.begin() + shown), writeValue](
                      size_t row, Writer& item) -> decltype(auto) {
                      item.Text("entry ").Unsigned(row + 1).Value();
                      return writeValue(item, entries[row]);
                  });
}

// ---- Sample flags ('trex' default, 'trun' per sample) ----

constexpr std::string_view kDependsOnTexts[4] = {
    "0 (the dependency of this sample is unknown)",
    "1 (this sample does depend on others (not an I picture))",
    "2 (this sample does not depend on others (I picture))", "3 (reserved)"};
constexpr std::string_view kIsDependedOnTexts[4] = {
    "0 (the dependency of other samples on this sample is unknown)",
    "1 (other samples depend on this one (not disposable))",
    "2 (no other sample depends on this one (disposable))", "3 (reserved)"};
constexpr std::string_view kRunRedundancyTexts[4] = {
    "0 (it is unknown whether there is redundant coding in this sample)",
    "1 (there is redundant coding in this sample)",
    "2 (there is no redundant coding in this sample)", "3 (reserved)"};
// 'trex' has always shown the first two with one closing parenthesis moved from the second to
// the first; exports made so far read that way, and comparisons with them must keep matching.
constexpr std::string_view kExtendsRedundancyTexts[4] = {
    "0 (it is unknown whether there is redundant coding in this sample))",
    "1 (there is redundant coding in this sample",
    "2 (there is no redundant coding in this sample)", "3 (reserved)"};

// The fields of a sample flags word (see SampleFlagsWord), one item each.
constexpr size_t kSampleFlagsFields = 6;

// Field `field` (0 to kSampleFlagsFields - 1) of the structure of a sample flags word.
ItemValue WriteSampleFlagsField(Writer& item, uint32_t word, size_t field,
                                const std::string_view (&redundancyTexts)[4]) {
    auto text = [&item](std::string_view label, std::string_view value) {
        item.Text(label).Value().Text(value);
        return ItemValue{0, 0, ItemValueKind::Text};
    };
    switch (field) {
        case 0:
            return text("sample_depends_on", kDependsOnTexts[word & 3]);
        case 1:
            return text("sample_is_depended_on", kIsDependedOnTexts[(word >> 14) & 3]);
        case 2:
            return text("sample_has_redundancy", redundancyTexts[(word >> 12) & 3]);
        case 3:
            return Layer::WriteNumber(item, "sample_padding_value", (word >> 9) & 7);
        case 4:
            return Layer::WriteNumber(item, "sample_is_difference_sample", (word >> 8) & 1);
        default:
            return Layer::WriteNumber(item, "sample_degradation_priority", word >> 16);
    }
}

// ---- File, movie, track and media boxes ----

// The matrix of 'mvhd' and 'tkhd': raw 32-bit signed values.
void AddMatrix(Layer& layer, const uint32_t (&matrix)[9]) {
    layer.AddHeading("matrix");
    for (size_t i = 0; i < 9; ++i)
        layer.AddNumber(IndexLabel(i).View(), static_cast<int32_t>(matrix[i]));
}

void Show(const MovieHeaderBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddDate("creation_time", box.creation_time);
    l.AddDate("modification_time", box.modification_time);
    l.AddNumber("timescale", box.timescale);
    l.AddDuration("duration", box.duration, box.timescale, *t.context);
    l.AddNumber("rate", static_cast<int32_t>(box.rate));
    l.AddNumber("volume", static_cast<int16_t>(box.volume));
    AddMatrix(l, box.matrix);
    l.AddHeading("pre_defined");
    for (size_t i = 0; i < 6; ++i)
        l.AddNumber(IndexLabel(i).View(), static_cast<int32_t>(box.pre_defined[i]));
    l.AddHeading("");
    l.AddNumber("next_track_ID", box.next_track_ID);
}

const char* TrackHeaderFlagsMeaning(uint32_t flags) {
    switch (flags) {
        case 0x000001:
            return "Track_enabled";
        case 0x000002:
            return "Track_in_movie";
        case 0x000004:
            return "Track_in_preview";
        case 0x000000:
            return "Track_disabled";
        default:
            return "Invalid flag value";
    }
}

void Show(const TrackHeaderBox& box, const ViewBoxTarget& t) {
    ShowTrackHeader(box, t, TrackHeaderFlagsMeaning(box.FlagsValue()));
}

}  // namespace

void AddHexItem(CISOViewBoxItemLayer& items, std::string_view label,
                std::span<const uint8_t> bytes) {
    items.BeginItem().Text(label).Value().HexBytes(bytes);
}

std::string CodeText(const uint8_t code[4]) {
    return StrFormat("'%s'", BoundedLatin1Text(code, 4).c_str());
}

void WriteUuid(CItemTextWriter& item, std::span<const uint8_t, 16> bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) item.Char('-');
        item.Hex(bytes[i], 2);
    }
}

void ShowFileType(const FileTypeBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("Major Brand", BoundedLatin1Text(box.major_brand, 4));
    t.contents.AddNumber("Minor Version", box.minor_version);
    const size_t count = std::min<size_t>(box.brand_count, box.compatible_brands.size());
    std::string brands;
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) brands += ", ";
        brands += BoundedLatin1Text(box.compatible_brands[i].data(), 4);
    }
    t.contents.AddItem("Compatible Brand", brands);
}

void ShowTrackHeader(const TrackHeaderBox& box, const ViewBoxTarget& t,
                     std::string_view flagsMeaning) {
    // The header names what the flags mean, so it is written here rather than by the caller.
    if (CISOViewBoxItemLayer* header = t.node.GetHeaderLayer()) {
        header->AddNumber("version", box.version);
        header->AddItem("flags",
                        StrFormat("%02X%02X%02Xh (%.*s)", box.flags[0], box.flags[1], box.flags[2],
                                  static_cast<int>(flagsMeaning.size()), flagsMeaning.data()));
        header->SetLastItemValue(ItemValue{box.FlagsValue(), 0, ItemValueKind::Flags});
        header->SetVisible(true);
        t.node.InvalidateMeasure();
    }
    Layer& l = t.contents;
    l.AddDate("creation_time", box.creation_time);
    l.AddDate("modification_time", box.modification_time);
    l.AddNumber("track_ID", box.track_ID);
    // A track header has no timescale of its own: the last one handed over applies.
    l.AddDuration("duration", box.duration, 0, *t.context);
    l.AddNumber("layer", static_cast<int16_t>(box.layer));
    l.AddNumber("alternate_group", static_cast<int16_t>(box.alternate_group));
    l.AddNumber("volume", static_cast<int16_t>(box.volume));
    AddMatrix(l, box.matrix);
    l.AddHeading("");
    l.AddFixed16("width", box.width);
    l.AddFixed16("height", box.height);
}

namespace {

void Show(const TrackReferenceTypeBox& box, const ViewBoxTarget& t) {
    t.contents.AddHeading("tarck_ID");
    const size_t count = std::min<size_t>(box.track_count, box.track_IDs.size());
    for (size_t i = 0; i < count; ++i)
        t.contents.AddNumber(IndexLabel(i).View(), box.track_IDs[i]);
}

void Show(const EditListBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.entries,
                 [](Writer& item, const EditListBox::Entry& e) {
                     item.Text("segment_duration : ");
                     DecHex64(item, static_cast<int64_t>(e.segment_duration));
                     item.Text(", media_time : ");
                     DecHex64(item, e.media_time);
                     item.Text(", media_rate_integer : ");
                     DecHex16(item, e.media_rate_integer);
                     item.Text(", media_rate_fraction : ");
                     DecHex16(item, e.media_rate_fraction);
                 });
}

void Show(const MediaHeaderBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddDate("creation_time", box.creation_time);
    l.AddDate("modification_time", box.modification_time);
    l.AddNumber("timescale", box.timescale);
    l.AddDuration("duration", box.duration, box.timescale, *t.context);
    l.AddItem("language", BoundedLatin1Text(box.language, 3));
    l.AddNumber("pre_defined", box.pre_defined);
}

void Show(const HandlerRererenceBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("pre_defined", box.pre_defined);
    t.contents.AddItem("handler_type", StrFormat("%s ('%s')", GetTrackKindName(box.handlerKind),
                                                 BoundedLatin1Text(box.handler_type, 4).c_str()));
    t.contents.AddItem("name", box.name);
}

void Show(const VideoMediaHeaderBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("graphicsmode", box.graphicsmode);
    t.contents.AddHeading("opcolor");
    for (size_t i = 0; i < 3; ++i)
        t.contents.AddNumber(IndexLabel(i).View(), box.opcolor[i]);
}

void Show(const SoundMediaHeaderBox& box, const ViewBoxTarget& t) {
    t.contents.AddFixed8("balance", box.balance);
}

void Show(const HintMediaHeaderBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("maxPDUsize", box.maxPDUsize);
    t.contents.AddNumber("avgPDUsize", box.avgPDUsize);
    t.contents.AddNumber("maxbitrate", box.maxbitrate);
    t.contents.AddNumber("avgbitrate", box.avgbitrate);
}

// The entries of 'dref' and 'stsd' follow as boxes of their own and are shown there.
void Show(const DataReferenceBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
}

void Show(const DataReferenceBox::DataEntryUrnBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("name", box.name);
    t.contents.AddItem("location", box.location);
}

void Show(const DataReferenceBox::DataEntryUrlBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("location", box.location);
}

void Show(const SampleDescriptionBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
}

void Show(const CopyRightBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("language", BoundedLatin1Text(box.language, 3));
    t.contents.AddItem("copyright", box.notice);
}

// ---- Sample entries no codec-aware handler claimed ----

void Show(const AudioSampleEntry& entry, const ViewBoxTarget& t) {
    ShowAudioSampleEntryFields(entry, t.contents);
}

void Show(const VisualSampleEntry& entry, const ViewBoxTarget& t) {
    ShowVisualSampleEntryFields(entry, t.contents);
}

void Show(const SampleEntry& entry, const ViewBoxTarget& t) {
    t.contents.AddNumber("data_reference_index", entry.data_reference_index);
}

// ---- Sample tables ----

void Show(const TimeToSampleBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.entries,
                 [](Writer& item, const TimeToSampleBox::Entry& e) {
                     DecHex(item.Text("sample_count : "), e.sample_count);
                     DecHex(item.Text(",\t sample_delta : "), e.sample_delta);
                 });
}

void Show(const CompositionOffsetBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    const uint8_t version = box.version;
    AddEntryList(t.contents, box.entry_count, box.entries,
                 [version](Writer& item, const CompositionOffsetBox::Entry& e) {
                     // The count only repeats the offset: the offset is the row's number.
                     const int64_t offset = CompositionOffset(e.sample_offset, version);
                     DecHex(item.Text("sample_count : "), e.sample_count);
                     item.Text(" ,\t sample_offset : 0x").Hex(e.sample_offset).Text(" (");
                     item.Signed(offset).Char(')');
                     return RowNumber(offset);
                 });
}

void Show(const SampleToChunkBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.entries,
                 [](Writer& item, const SampleToChunkBox::Entry& e) {
                     DecHex(item.Text("first_chunk : "), e.first_chunk);
                     DecHex(item.Text(",\t samples_per_chunk : "), e.samples_per_chunk);
                     DecHex(item.Text(",\t sample_description_index : "),
                            e.sample_description_index);
                 });
}

template <typename Size>
void AddEntrySizes(Layer& layer, uint32_t count, const std::vector<Size>& sizes) {
    AddEntryList(layer, count, sizes, [](Writer& item, Size size) {
        DecHex(item.Text("entry_size : "), size);
        return RowNumber(size);
    });
}

void Show(const SampleSizeBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("sample_size", box.sample_size);
    t.contents.AddNumber("sample_count", box.sample_count);
    // One size for all samples: the box holds no table.
    AddEntrySizes(t.contents, box.sample_count, box.entry_size);
}

void Show(const CompactSampleSizeBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("field_size", box.field_size);
    t.contents.AddNumber("sample_count", box.sample_count);
    AddEntrySizes(t.contents, box.sample_count, box.entry_size);
}

void Show(const ChunkOffsetBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.chunk_offset, [](Writer& item, uint32_t offset) {
        item.Text("chunk_offset : 0x").Hex(offset, 8);
        return RowNumber(offset);
    });
}

void Show(const ChunkLargeOffsetBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.chunk_offset, [](Writer& item, uint64_t offset) {
        item.Text("chunk_offset : 0x").Hex(offset);
        return RowNumber(static_cast<int64_t>(offset));
    });
}

void Show(const SyncSampleBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.sample_number, [](Writer& item, uint32_t number) {
        DecHex(item.Text("sample_number : "), number);
        return RowNumber(number);
    });
}

void Show(const ShadowSyncSampleBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.entries,
                 [](Writer& item, const ShadowSyncSampleBox::Entry& e) {
                     DecHex(item.Text("shadowed_sample_number : "), e.shadowed_sample_number);
                     DecHex(item.Text(",\t sync_sample_number : "), e.sync_sample_number);
                 });
}

void Show(const DegradationPriorityBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("sample_count", box.sample_count);
    AddEntryList(t.contents, box.sample_count, box.priority, [](Writer& item, uint16_t priority) {
        DecHex(item.Text("priority : "), priority);
        return RowNumber(priority);
    });
}

constexpr std::string_view kSdtpDependsOnTexts[4] = {"unknown", "not an I picture", "I picture",
                                                     "reserved"};
constexpr std::string_view kSdtpIsDependedOnTexts[4] = {"unknown", "yes - not disposable",
                                                        "no - disposable", "reserved"};
constexpr std::string_view kSdtpRedundancyTexts[4] = {"unknown", "redundant", "no redundant",
                                                      "reserved"};

void Show(const SampleDependencyTypeBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("sample_count", box.sample_count);
    AddEntryList(t.contents, box.sample_count, box.entries,
                 [](Writer& item, const SampleDependencyTypeBox::Entry& e) {
                     // The parser keeps two bits of each; the mask only guards the tables.
                     const uint8_t dependsOn = e.sample_depends_on & 3;
                     const uint8_t isDependedOn = e.sample_is_depended_on & 3;
                     const uint8_t redundancy = e.sample_has_redundancy & 3;
                     item.Text("sample_depends_on : 0x").Hex(dependsOn).Text(" (");
                     item.Text(kSdtpDependsOnTexts[dependsOn]);
                     item.Text("),\t sample_is_depended_on : 0x").Hex(isDependedOn).Text(" (");
                     item.Text(kSdtpIsDependedOnTexts[isDependedOn]);
                     item.Text("),\t sample_has_redundancy : 0x").Hex(redundancy).Text(" (");
                     item.Text(kSdtpRedundancyTexts[redundancy]).Char(')');
                 });
}

void Show(const SampleToGroupBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    AddEntryList(t.contents, box.entry_count, box.entries,
                 [](Writer& item, const SampleToGroupBox::Entry& e) {
                     HexDec(item.Text("sample_count : "), e.sample_count);
                     HexDec(item.Text(",\t group_description_index : "), e.group_description_index);
                 });
}

// ---- Movie fragments ----

void Show(const MovieExtendsBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("fragment_duration", static_cast<int64_t>(box.fragment_duration));
}

void Show(const TrackExtendsBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("track_ID", box.track_ID);
    l.AddNumber("default_sample_description_index", box.default_sample_description_index);
    l.AddNumber("default_sample_duration", box.default_sample_duration);
    l.AddNumber("default_sample_size", box.default_sample_size);
    l.BeginItem().Text("default_sample_flags").Value().Text("0x").Hex(box.default_sample_flags, 4);
    l.AddHeading("default_sample_flags has the following structure:");
    l.AddRows(kSampleFlagsFields, [word = box.default_sample_flags](size_t row, Writer& item) {
        return WriteSampleFlagsField(item, word, row, kExtendsRedundancyTexts);
    });
}

void Show(const MovieFragmentHeaderBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("sequence_number", box.sequence_number);
}

void Show(const TrackFragmentHeaderBox& box, const ViewBoxTarget& t) {
    using B = TrackFragmentHeaderBox;
    Layer& l = t.contents;
    l.AddNumber("track_ID", box.track_ID);
    auto optional = [&](uint32_t presentFlag, std::string_view label, int64_t value) {
        if (box.Has(presentFlag)) {
            l.AddNumber(label, value);
        } else {
            l.AddItem(label, kNotAvailable);
        }
    };
    optional(B::kBaseDataOffsetPresent, "base_data_offset",
             static_cast<int64_t>(box.base_data_offset));
    optional(B::kSampleDescriptionIndexPresent, "sample_description_index",
             box.sample_description_index);
    optional(B::kDefaultSampleDurationPresent, "default_sample_duration",
             box.default_sample_duration);
    optional(B::kDefaultSampleSizePresent, "default_sample_size", box.default_sample_size);
    optional(B::kDefaultSampleFlagsPresent, "default_sample_flags", box.default_sample_flags);
}

void Show(const TrackRunBox& box, const ViewBoxTarget& t) {
    using B = TrackRunBox;
    Layer& l = t.contents;
    l.AddNumber("sample_count", box.sample_count);
    if (box.Has(B::kDataOffsetPresent)) {
        l.AddNumber("data_offset", box.data_offset);
    } else {
        l.AddItem("data_offset", kNotAvailable);
    }
    if (box.Has(B::kFirstSampleFlagsPresent)) {
        l.AddNumber("first_sample_flags", box.first_sample_flags);
    } else {
        l.AddItem("first_sample_flags", kNotAvailable);
    }
    if (box.sample_count == 0) return;
    l.AddHeading("Array List");

    const bool duration = box.Has(B::kSampleDurationPresent);
    const bool size = box.Has(B::kSampleSizePresent);
    const bool flags = box.Has(B::kSampleFlagsPresent);
    const bool offset = box.Has(B::kSampleCompositionTimeOffsetPresent);
    // Samples with fields are the entries read; samples without any cost the file nothing and
    // are not held, so their number is bounded by the box instead (see kUnlistedSamplesText):
    // by the part of it that the file holds, as a few bytes can declare a box of gigabytes.
    const uint64_t available = duration || size || flags || offset
                                   ? uint64_t{box.entries.size()}
                                   : std::min(box.size, box.sizeInFile);
    const size_t listed = static_cast<size_t>(std::min<uint64_t>(box.sample_count, available));

    // A sample with flags is followed by the structure of its flags word, a row per field.
    const size_t rowsPerSample = flags ? 2 + kSampleFlagsFields : 1;
    const size_t kept = std::min(listed, box.entries.size());
    l.AddRows(listed * rowsPerSample,
              [entries = std::vector<B::Entry>(box.entries.begin(), box.entries.begin() + kept),
               version = box.version, duration, size, flags, offset,
               rowsPerSample](size_t row, Writer& item) -> ItemValue {
                  const size_t sample = row / rowsPerSample;
                  const size_t part = row % rowsPerSample;
                  const B::Entry e = sample < entries.size() ? entries[sample] : B::Entry{};
                  if (part == 1) {
                      item.Text("sample_flags structure:").Value().Char(' ');
                      return ItemValue{0, 0, ItemValueKind::Text};
                  }
                  if (part > 1)
                      return WriteSampleFlagsField(item, e.sample_flags, part - 2,
                                                   kRunRedundancyTexts);
                  item.Char('[').Unsigned(sample).Char(']').Value();
                  item.Text("sample_duration : ");
                  if (duration) {
                      DecHex(item, e.sample_duration);
                  } else {
                      item.Text(kNotAvailable);
                  }
                  item.Text(", sample_size : ");
                  if (size) {
                      DecHex(item, e.sample_size);
                  } else {
                      item.Text(kNotAvailable);
                  }
                  item.Text(", sample_flags : ");
                  if (flags) {
                      item.Unsigned(e.sample_flags).Text(" (0x").Hex(e.sample_flags, 4).Char(')');
                  } else {
                      item.Text(kNotAvailable);
                  }
                  item.Text(", sample_composition_time_offset : ");
                  if (offset) {
                      item.Signed(CompositionOffset(e.sample_composition_time_offset, version));
                      item.Text(" (0x").Hex(e.sample_composition_time_offset).Char(')');
                  } else {
                      item.Text(kNotAvailable);
                  }
                  return ItemValue{};
              });
    if (listed < box.sample_count) {
        Layer::ItemWriter item = l.BeginItem();
        item.Value()
            .Unsigned(box.sample_count - listed)
            .Text(CISOViewBoxHandler::kUnlistedSamplesText);
    }
}

void Show(const TrackFragmentRandomAccessBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("track_ID", box.track_ID);
    l.AddNumber("length_size_of_traf_num", box.length_size_of_traf_num);
    l.AddNumber("length_size_of_trun_num", box.length_size_of_trun_num);
    l.AddNumber("length_size_of_sample_num", box.length_size_of_sample_num);
    l.AddNumber("number_of_entry", box.number_of_entry);
    l.AddHeading("Entry List");
    const size_t shown =
        static_cast<size_t>(std::min<uint64_t>(box.number_of_entry, box.entries.size()));
    using Entry = TrackFragmentRandomAccessBox::Entry;
    l.AddRows(
        shown, [entries = std::vector<Entry>(box.entries.begin(), box.entries.begin() + shown)](
                   size_t row, Writer& item) {
            const Entry& e = entries[row];
            item.Char('[').Unsigned(row).Char(']').Value();
            // The time is right-aligned in eight characters, as the formats of this list have it.
            char time[NumberText::kMaxChars];
            const size_t timeLength = NumberText::FormatSigned(time, static_cast<int64_t>(e.time));
            item.Text("time : ");
            for (size_t pad = timeLength; pad < 8; ++pad)
                item.Char(' ');
            item.Text(std::string_view(time, timeLength)).Text(" (0x").Hex(e.time, 8);
            item.Text("),\t moof_offset : 0x").Hex(e.moof_offset, 8);
            item.Text(",\t traf_number : ").Unsigned(e.traf_number);
            item.Text(",\t trun_number : ").Unsigned(e.trun_number);
            item.Text(",\t sample_number : ").Unsigned(e.sample_number);
        });
}

void Show(const MovieFragmentRandomAceessOffsetBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("size", box.mfra_size);
}

// ---- 'uuid' ----

// "0x" and the 16 bytes of the extended type in the 8-4-4-4-12 grouping of UUIDs.
void ShowUuid(const Box& box, const ViewBoxTarget& t) {
    WriteUuid(t.contents.BeginItem().Text("UUID").Value().Text("0x"), box.userType);
}

// Each box type once, with the record its parser makes for it.
constexpr CViewBoxTable kRows{
    Row<FileTypeBox, ShowFileType>(BoxId::Ftyp),
    Row<MovieHeaderBox, Show>(BoxId::Mvhd),
    Row<TrackHeaderBox, Show, VersionFlags::ByShow>(BoxId::Tkhd),
    Row<TrackReferenceTypeBox, Show>(BoxId::Hint),
    Row<TrackReferenceTypeBox, Show>(BoxId::Cdsc),
    Row<EditListBox, Show>(BoxId::Elst),
    Row<MediaHeaderBox, Show>(BoxId::Mdhd),
    Row<HandlerRererenceBox, Show>(BoxId::Hdlr),
    Row<VideoMediaHeaderBox, Show>(BoxId::Vmhd),
    Row<SoundMediaHeaderBox, Show>(BoxId::Smhd),
    Row<HintMediaHeaderBox, Show>(BoxId::Hmhd),
    Row<DataReferenceBox, Show>(BoxId::Dref),
    Row<DataReferenceBox::DataEntryUrnBox, Show>(BoxId::Urn),
    Row<DataReferenceBox::DataEntryUrlBox, Show>(BoxId::Url),
    Row<SampleDescriptionBox, Show>(BoxId::Stsd),
    Row<TimeToSampleBox, Show>(BoxId::Stts),
    Row<CompositionOffsetBox, Show>(BoxId::Ctts),
    Row<SampleToChunkBox, Show>(BoxId::Stsc),
    Row<SampleSizeBox, Show>(BoxId::Stsz),
    Row<CompactSampleSizeBox, Show>(BoxId::Stz2),
    Row<ChunkOffsetBox, Show>(BoxId::Stco),
    Row<ChunkLargeOffsetBox, Show>(BoxId::Co64),
    Row<SyncSampleBox, Show>(BoxId::Stss),
    Row<SyncSampleBox, Show>(BoxId::Stps),
    Row<ShadowSyncSampleBox, Show>(BoxId::Stsh),
    Row<DegradationPriorityBox, Show>(BoxId::Stdp),
    Row<SampleDependencyTypeBox, Show>(BoxId::Sdtp),
    Row<SampleToGroupBox, Show>(BoxId::Sbgp),
    Row<MovieExtendsBox, Show>(BoxId::Mehd),
    Row<TrackExtendsBox, Show>(BoxId::Trex),
    Row<MovieFragmentHeaderBox, Show>(BoxId::Mfhd),
    Row<TrackFragmentHeaderBox, Show>(BoxId::Tfhd),
    Row<TrackRunBox, Show>(BoxId::Trun),
    Row<TrackFragmentRandomAccessBox, Show>(BoxId::Tfra),
    Row<MovieFragmentRandomAceessOffsetBox, Show>(BoxId::Mfro),
    Row<CopyRightBox, Show>(BoxId::Cprt),
    // Sample entries no codec-aware handler claimed.
    Row<AudioSampleEntry, Show>(BoxId::AudioSampleEntry),
    Row<VisualSampleEntry, Show>(BoxId::VisualSampleEntry),
    Row<SampleEntry, Show>(BoxId::UnknownSampleEntry),
    // Every record has the extended type.
    Row<Box, ShowUuid>(BoxId::Uuid),
};

}  // namespace

CISOViewBoxHandler::CISOViewBoxHandler(CValueFormatContext& context)
    : CViewBoxTableHandler(kRows, &context) {}

void ShowAudioSampleEntryFields(const AudioSampleEntry& entry, CISOViewBoxItemLayer& items) {
    items.AddNumber("data_reference_index", entry.data_reference_index);
    items.AddNumber("channelcount", entry.channelcount);
    items.AddNumber("samplesize", entry.samplesize);
    items.AddNumber("samplerate", entry.samplerate >> 16);
}

void ShowVisualSampleEntryFields(const VisualSampleEntry& entry, CISOViewBoxItemLayer& l) {
    l.AddNumber("data_reference_index", entry.data_reference_index);
    l.AddNumber("width", entry.width);
    l.AddNumber("height", entry.height);
    l.AddNumber("horizresolution", entry.horizresolution);
    l.AddNumber("vertresolution", entry.vertresolution);
    l.AddNumber("frame_cout", entry.frame_cout);
    // The field starts with its length byte, which is shown as a character like the rest.
    l.AddItem("compressorname",
              BoundedLatin1Text(entry.compressorname, sizeof entry.compressorname));
    l.AddNumber("depth", entry.depth);
}
