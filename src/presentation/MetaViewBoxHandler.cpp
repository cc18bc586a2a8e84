#include "presentation/MetaViewBoxHandler.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "model/ISOBoxes.h"
#include "model/MetaBoxes.h"
#include "model/NumberText.h"
#include "model/TextConversion.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxHandler.h"
#include "presentation/ISOViewBoxLayer.h"

using namespace ISOFileFormat;

namespace {

using Layer = CISOViewBoxItemLayer;
using Writer = CItemTextWriter;
using Bytes = std::span<const uint8_t>;

// Bytes shown as hex before "..." ends a longer field.
constexpr size_t kMaxHexBytes = 64;

// "0x" and the bytes in hex, at most kMaxHexBytes of them.
Writer& HexBytes(Writer& item, Bytes bytes) {
    item.Text("0x");
    for (size_t i = 0; i < std::min(bytes.size(), kMaxHexBytes); ++i)
        item.Hex(bytes[i], 2);
    if (bytes.size() > kMaxHexBytes) item.Text("...");
    return item;
}

uint32_t BigEndian(Bytes bytes) {
    uint32_t value = 0;
    for (uint8_t b : bytes)
        value = value << 8 | b;
    return value;
}

// ---- 'tkhd' ----

// ISO/IEC 14496-12:2015, 8.3.2.3: the flags are independent bits.
void ShowTrackHeaderBits(const TrackHeaderBox& box, const ViewBoxTarget& t) {
    static constexpr std::pair<uint32_t, const char*> kBits[] = {
        {0x1, "track_enabled"},
        {0x2, "track_in_movie"},
        {0x4, "track_in_preview"},
        {0x8, "track_size_is_aspect_ratio"}};
    const uint32_t flags = box.FlagsValue();
    std::string meaning;
    for (const auto& [bit, name] : kBits) {
        if ((flags & bit) == 0) continue;
        if (!meaning.empty()) meaning += ", ";
        meaning += name;
    }
    if ((flags & ~0xFu) != 0) {
        if (!meaning.empty()) meaning += ", ";
        meaning += "unknown bits 0x";
        NumberText::AppendHex(meaning, flags & ~0xFu, 6);
    }
    ShowTrackHeader(box, t, meaning.empty() ? "track disabled" : meaning);
}

// ---- 'meta' and its items ----

void ShowMeta(const MetaBox& box, const ViewBoxTarget& t) {
    if (box.quickTimeStyle) {
        t.contents.AddItem("form", "QuickTime (no version and flags)");
    } else {
        t.node.AddVersionFlags(box);
        t.contents.AddItem("form", "full box");
    }
}

void ShowMetaHandler(const MetaHandlerBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("pre_defined", box.pre_defined);
    t.contents.AddItem("handler_type", BoundedLatin1Text(box.handler_type, 4));
    for (size_t i = 0; i < 3; ++i)
        t.contents.AddNumber("reserved[" + std::to_string(i) + "]", box.reserved[i]);
    t.contents.AddItem("name", box.name);
}

void ShowKeyedItem(const MetadataItemBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("key index", box.keyIndex);
    if (!box.key.empty()) t.contents.AddItem("key", box.key);
}

// QuickTime File Format, Well-known types: the names of the types shown here.
const char* WellKnownTypeName(uint32_t type) {
    switch (type) {
        case 0:
            return "reserved, by the item";
        case 1:
            return "UTF-8";
        case 2:
            return "UTF-16";
        case 13:
            return "JPEG";
        case 14:
            return "PNG";
        case 21:
            return "BE Signed Integer";
        case 22:
            return "BE Unsigned Integer";
        case 27:
            return "BMP";
        default:
            return nullptr;
    }
}

// The value as its type and item say: text, number, "n of total", an image's size, or bytes.
void WriteDataValue(Writer& item, const DataBox& box) {
    const Bytes value(box.value);
    const bool wellKnown = box.typeSet == 0;
    const bool numberPair =
        box.itemId == BoxId::TrackNumberItem || box.itemId == BoxId::DiscNumberItem;
    if (wellKnown && box.type == 0 && numberPair && value.size() >= 6) {
        item.Unsigned(BigEndian(value.subspan(2, 2)))
            .Text(" of ")
            .Unsigned(BigEndian(value.subspan(4, 2)));
    } else if (wellKnown && box.type == 1) {
        item.Text(SanitizeUtf8(value.data(), value.size()));
    } else if (wellKnown && box.type == 2) {
        item.Text(Utf16BEToUtf8(value.data(), value.size() / 2));
    } else if (wellKnown && (box.type == 21 || box.type == 22) && !value.empty() &&
               value.size() <= 4) {
        const uint32_t bits = BigEndian(value);
        const unsigned shift = 32 - 8 * static_cast<unsigned>(value.size());
        if (box.type == 21) {
            item.Signed(static_cast<int32_t>(bits << shift) >> shift);
        } else {
            item.Unsigned(bits);
        }
    } else if (wellKnown && (box.type == 13 || box.type == 14 || box.type == 27)) {
        item.Text(WellKnownTypeName(box.type))
            .Text(" image, ")
            .Unsigned(box.valueSize)
            .Text(" bytes");
        return;
    } else {
        HexBytes(item, value);
    }
    if (box.value.size() < box.valueSize) {
        item.Text(" (first ").Unsigned(box.value.size()).Text(" of ").Unsigned(box.valueSize);
        item.Text(" bytes)");
    }
}

void ShowData(const DataBox& box, const ViewBoxTarget& t) {
    {
        Layer::ItemWriter item = t.contents.BeginItem();
        item.Text("type indicator").Value();
        if (box.typeSet != 0) item.Text("type set ").Unsigned(box.typeSet).Text(", type ");
        item.Unsigned(box.type);
        const char* name = box.typeSet == 0 ? WellKnownTypeName(box.type) : nullptr;
        if (name) item.Text(" (").Text(name).Char(')');
    }
    t.contents.AddNumber("country", box.country);
    t.contents.AddNumber("language", box.language);
    Layer::ItemWriter item = t.contents.BeginItem();
    WriteDataValue(item.Text("value").Value(), box);
}

void ShowMetadataText(const MetadataTextBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem(box.id == BoxId::Mean ? "mean" : "name", box.text);
}

void ShowKeys(const MetadataKeysBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    t.contents.AddRows(box.entries.size(), [entries = box.entries](size_t row, Writer& item) {
        const MetadataKeysBox::Entry& e = entries[row];
        item.Text("entry ").Unsigned(row + 1).Value();
        item.Text("key_size : ").Unsigned(e.key_size);
        item.Text(", key_namespace : ").Text(BoundedLatin1Text(e.key_namespace, 4));
        item.Text(", key_value : ").Text(e.key_value);
    });
}

void ShowExtendedLanguage(const ExtendedLanguageBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("extended_language", box.extended_language);
}

void ShowKind(const KindBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("schemeURI", box.schemeURI);
    t.contents.AddItem("value", box.value);
}

void ShowTrackReference(const TrackReferenceTypeBox& box, const ViewBoxTarget& t) {
    const size_t count = std::min<size_t>(box.track_count, box.track_IDs.size());
    t.contents.AddHeading("track_IDs");
    t.contents.AddRows(count, [ids = box.track_IDs](size_t row, Writer& item) {
        item.Char('[').Unsigned(row).Char(']').Value().Unsigned(ids[row]);
    });
}

// ---- 'sgpd' ----

bool GroupingIs(const uint8_t type[4], const char* code) {
    return std::memcmp(type, code, 4) == 0;
}

// One entry's fields as its grouping type lays them out; bytes where the type is not decoded
// here or the entry is too short for its fields.
void WriteGroupEntry(Writer& item, const uint8_t type[4], Bytes e) {
    if ((GroupingIs(type, "roll") || GroupingIs(type, "prol")) && e.size() >= 2) {
        // ISO/IEC 14496-12:2015, 10.1.1.2
        item.Text("roll_distance : ").Signed(static_cast<int16_t>(BigEndian(e.first(2))));
    } else if (GroupingIs(type, "rap ") && !e.empty()) {
        // ISO/IEC 14496-12:2015, 10.4.2
        item.Text("num_leading_samples_known : ").Unsigned(e[0] >> 7);
        item.Text(", num_leading_samples : ").Unsigned(e[0] & 0x7F);
    } else if (GroupingIs(type, "sync") && !e.empty()) {
        // ISO/IEC 14496-15:2017, 9.5.5
        item.Text("NAL_unit_type : ").Unsigned(e[0] & 0x3F);
    } else if (GroupingIs(type, "tele") && !e.empty()) {
        // ISO/IEC 14496-15:2017, 9.5.6
        item.Text("level_independently_decodable : ").Unsigned(e[0] >> 7);
    } else if (GroupingIs(type, "alst") && e.size() >= 4) {
        // ISO/IEC 14496-12:2015, 10.3.2
        const uint32_t rollCount = BigEndian(e.first(2));
        item.Text("roll_count : ").Unsigned(rollCount);
        item.Text(", first_output_sample : ").Unsigned(BigEndian(e.subspan(2, 2)));
        size_t at = 4;
        for (uint32_t i = 0; i < rollCount && at + 4 <= e.size(); ++i, at += 4)
            item.Text(", sample_offset[")
                .Unsigned(i)
                .Text("] : ")
                .Unsigned(BigEndian(e.subspan(at, 4)));
        for (size_t j = 0; at + 4 <= e.size(); ++j, at += 4) {
            item.Text(", num_output_samples[")
                .Unsigned(j)
                .Text("] : ")
                .Unsigned(BigEndian(e.subspan(at, 2)));
            item.Text(", num_total_samples[")
                .Unsigned(j)
                .Text("] : ")
                .Unsigned(BigEndian(e.subspan(at + 2, 2)));
        }
    } else if (GroupingIs(type, "seig") && e.size() >= 20) {
        // ISO/IEC 23001-7:2016, 6
        item.Text("crypt_byte_block : ").Unsigned(e[1] >> 4);
        item.Text(", skip_byte_block : ").Unsigned(e[1] & 0xF);
        item.Text(", isProtected : ").Unsigned(e[2]);
        item.Text(", Per_Sample_IV_Size : ").Unsigned(e[3]);
        item.Text(", KID : ");
        for (size_t i = 0; i < 16; ++i) {
            if (i == 4 || i == 6 || i == 8 || i == 10) item.Char('-');
            item.Hex(e[4 + i], 2);
        }
        if (e[2] == 1 && e[3] == 0 && e.size() >= 21) {
            item.Text(", constant_IV_size : ").Unsigned(e[20]);
            HexBytes(item.Text(", constant_IV : "),
                     e.subspan(21, std::min<size_t>(e[20], e.size() - 21)));
        }
    } else {
        HexBytes(item.Text("bytes : "), e);
    }
}

void ShowSampleGroupDescription(const SampleGroupDescriptionBox& box, const ViewBoxTarget& t) {
    t.contents.AddItem("grouping_type", BoundedLatin1Text(box.grouping_type, 4));
    if (box.version == 1) t.contents.AddNumber("default_length", box.default_length);
    if (box.version >= 2)
        t.contents.AddNumber("default_sample_description_index",
                             box.default_sample_description_index);
    t.contents.AddNumber("entry_count", box.entry_count);
    if (box.entries.empty()) return;
    t.contents.AddHeading("Entry List");
    std::array<uint8_t, 4> type{};
    std::copy(std::begin(box.grouping_type), std::end(box.grouping_type), type.begin());
    t.contents.AddRows(box.entries.size(), [entries = box.entries, bytes = box.bytes, type,
                                            undivided = box.undivided](size_t row, Writer& item) {
        const SampleGroupDescriptionBox::Entry& e = entries[row];
        const Bytes entry = Bytes(bytes).subspan(e.offset, e.length);
        if (undivided) {
            HexBytes(item.Text("entries").Value().Text("bytes : "), entry);
            item.Text(" (").Unsigned(entry.size()).Text(" bytes)");
            return;
        }
        item.Text("entry ").Unsigned(row + 1).Value();
        if (e.hasLength)
            item.Text("description_length : ").Unsigned(e.description_length).Text(", ");
        WriteGroupEntry(item, type.data(), entry);
    });
}

// ---- 'subs' ----

void ShowSubSampleInformation(const SubSampleInformationBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
    if (box.entries.empty()) return;
    t.contents.AddHeading("Entry List");
    // Each entry's row, then one row per sub-sample it holds: rowStart[i] is entry i's row.
    std::vector<size_t> rowStart(box.entries.size());
    size_t rows = 0;
    for (size_t i = 0; i < box.entries.size(); ++i) {
        rowStart[i] = rows;
        rows += 1 + box.entries[i].readSubSamples;
    }
    t.contents.AddRows(rows, [entries = box.entries, subs = box.subSamples,
                              rowStart = std::move(rowStart)](size_t row, Writer& item) {
        const size_t i = static_cast<size_t>(
            std::upper_bound(rowStart.begin(), rowStart.end(), row) - rowStart.begin() - 1);
        const SubSampleInformationBox::Entry& e = entries[i];
        if (row == rowStart[i]) {
            item.Text("entry ").Unsigned(i + 1).Value();
            item.Text("sample_delta : ").Unsigned(e.sample_delta);
            item.Text(", subsample_count : ").Unsigned(e.subsample_count);
            return;
        }
        const size_t j = row - rowStart[i] - 1;
        const SubSampleInformationBox::SubSample& s = subs[e.firstSubSample + j];
        item.Text("  subsample ").Unsigned(j + 1).Value();
        item.Text("subsample_size : ").Unsigned(s.subsample_size);
        item.Text(", subsample_priority : ").Unsigned(s.subsample_priority);
        item.Text(", discardable : ").Unsigned(s.discardable);
        item.Text(", codec_specific_parameters : 0x").Hex(s.codec_specific_parameters, 8);
    });
}

constexpr CViewBoxTable kRows{
    Row<TrackHeaderBox, ShowTrackHeaderBits, VersionFlags::ByShow>(BoxId::Tkhd),
    Row<MetaBox, ShowMeta, VersionFlags::ByShow>(BoxId::Meta),
    Row<MetaHandlerBox, ShowMetaHandler>(BoxId::Hdlr),
    Row<MetadataItemBox, ShowKeyedItem>(BoxId::KeyedItem),
    Row<DataBox, ShowData>(BoxId::Data),
    Row<MetadataTextBox, ShowMetadataText>(BoxId::Mean),
    Row<MetadataTextBox, ShowMetadataText>(BoxId::Name),
    Row<MetadataKeysBox, ShowKeys>(BoxId::Keys),
    Row<ExtendedLanguageBox, ShowExtendedLanguage>(BoxId::Elng),
    Row<KindBox, ShowKind>(BoxId::Kind),
    Row<TrackReferenceTypeBox, ShowTrackReference>(BoxId::TrackReference),
    Row<SampleGroupDescriptionBox, ShowSampleGroupDescription>(BoxId::Sgpd),
    Row<SubSampleInformationBox, ShowSubSampleInformation>(BoxId::Subs),
};

}  // namespace

CMetaViewBoxHandler::CMetaViewBoxHandler(CValueFormatContext& context)
    : CViewBoxTableHandler(kRows, &context) {}
