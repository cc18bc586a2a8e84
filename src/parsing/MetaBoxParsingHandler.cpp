#include "parsing/MetaBoxParsingHandler.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "model/FileReader.h"
#include "model/ISOBoxes.h"
#include "model/MetaBoxes.h"
#include "model/TextConversion.h"
#include "parsing/ISOBoxParsingHandler.h"

using namespace ISOFileFormat;

namespace {

// ISO/IEC 23001-7:2016, 6: the IV size of the first protected 'seig' description, which the
// track's (or the track fragment's) 'senc' is read with.
void NoteSampleGroupIVSize(const ISOFileFormat::SampleGroupDescriptionBox& box,
                           TrackFacts& tracks) {
    if (std::memcmp(box.grouping_type, "seig", 4) != 0 || box.undivided) return;
    for (const ISOFileFormat::SampleGroupDescriptionBox::Entry& e : box.entries) {
        // reserved, crypt and skip blocks, isProtected, Per_Sample_IV_Size, KID
        if (e.length < 20 || box.bytes[e.offset + 2] != 1) continue;
        const uint8_t ivSize = box.bytes[e.offset + 3];
        if (tracks.inFragment)
            tracks.fragmentGroupIVSize = ivSize;
        else
            tracks.protection[tracks.currentTrack].groupIVSize = ivSize;
        return;
    }
}

// Texts are kept up to this many bytes; the rest of a longer field is passed.
constexpr uint64_t kMaxTextBytes = 1024;
// Child headers checked before a container is walked; a longer list is trusted.
constexpr int kMaxCheckedChildren = 4096;

bool TypeIs(const uint8_t type[4], const char* code) {
    return std::memcmp(type, code, 4) == 0;
}

uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

// UTF-8 text from `from` up to the next zero byte (or the end); `from` moves past the zero.
std::string TextUpToZero(const std::vector<uint8_t>& bytes, size_t& from) {
    const size_t start = std::min(from, bytes.size());
    const auto zero = std::find(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end(), 0);
    const auto end = static_cast<size_t>(zero - bytes.begin());
    from = end + 1;
    return SanitizeUtf8(bytes.data() + start, end - start);
}

// Well-known value types of QuickTime metadata that hold a picture: only their size is read.
bool IsImageType(uint8_t typeSet, uint32_t type) {
    return typeSet == 0 && (type == 13 || type == 14 || type == 27);
}

// The size of a version 0 (or 2) sample group entry, which has no description_length: fixed
// by its grouping type, or read from the entry's first bytes (`head`, as many as the box
// holds). 0 for a type whose size cannot be told.
uint64_t SampleGroupEntrySize(const uint8_t type[4], const uint8_t* head, size_t headBytes) {
    // ISO/IEC 14496-12:2015, 10.1 ('roll', 'prol'), 10.4 ('rap '); ISO/IEC 14496-15 ('sync',
    // 'tele')
    if (TypeIs(type, "roll") || TypeIs(type, "prol")) return 2;
    if (TypeIs(type, "rap ") || TypeIs(type, "sync") || TypeIs(type, "tele")) return 1;
    // ISO/IEC 14496-12:2015, 10.3: roll_count, first_output_sample, roll_count offsets; the
    // optional counts after them run to an end only description_length gives.
    if (TypeIs(type, "alst")) {
        if (headBytes < 2) return 4;
        return 4 + 4 * uint64_t{static_cast<uint16_t>(head[0] << 8 | head[1])};
    }
    // ISO/IEC 23001-7:2016, 6: 20 fixed bytes, then a constant IV when isProtected and no
    // per-sample IV.
    if (TypeIs(type, "seig")) {
        if (headBytes < 21 || head[2] != 1 || head[3] != 0) return 20;
        return 21 + uint64_t{head[20]};
    }
    return 0;
}

}  // namespace

std::span<const BoxParseRow<CMetaBoxParsingHandler>> CMetaBoxParsingHandler::Rows() {
    using H = CMetaBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {MetaBox::kId, &H::ParseMeta},
        {BoxId::Hdlr, &H::ParseHandler},
        {BoxId::Ilst, &H::ParseItemList},
        {BoxId::MetadataItem, &H::ParseItem},
        {DataBox::kId, &H::ParseData},
        {BoxId::Mean, &H::ParseMetadataText},
        {BoxId::Name, &H::ParseMetadataText},
        {MetadataKeysBox::kId, &H::ParseKeys},
        {ExtendedLanguageBox::kId, &H::ParseExtendedLanguage},
        {KindBox::kId, &H::ParseKind},
        {BoxId::Tref, &H::ParseTrackReference},
        {BoxId::TrackReference, &H::ParseTrackReferenceType},
        {SampleGroupDescriptionBox::kId, &H::ParseSampleGroupDescription},
        {SubSampleInformationBox::kId, &H::ParseSubSampleInformation},
        {SampleDependencyTypeBox::kId, &H::ParseSampleDependencyType},
    };
    return kRows;
}

bool CMetaBoxParsingHandler::ChildrenFit(const Context& c) {
    CFileReader& r = Reader();
    const int64_t start = r.GetPosition();
    const int64_t end = std::min(c.boxEnd, r.GetFileSize());
    int64_t at = start;
    bool fit = true;
    for (int children = 0; fit && at < end && children < kMaxCheckedChildren; ++children) {
        if (end - at < 8) {
            fit = false;
            break;
        }
        r.Skip(at - r.GetPosition());
        uint64_t size = r.ReadUInt32();
        r.Skip(4);
        // Size 0 runs to the end of the file, which the box must reach too.
        if (size == 0) size = static_cast<uint64_t>(r.GetFileSize() - at);
        if (size == 1) {
            fit = end - at >= 16;
            if (fit) size = r.ReadUInt64();
        }
        fit = fit && size >= 8 && size <= static_cast<uint64_t>(end - at);
        if (fit) at += static_cast<int64_t>(size);
    }
    r.Skip(start - r.GetPosition());
    return fit;
}

void CMetaBoxParsingHandler::ForceChildIds(const Context& c, int32_t forcedId) {
    if (!ChildrenFit(c)) return;
    c.result.parent = c.result.record.get();
    c.result.expectedEntries = static_cast<uint32_t>(std::min<uint64_t>(
        BytesAfter(c.size, c.headerBytes, 0) / 8, std::numeric_limits<uint32_t>::max()));
    c.result.forcedId = forcedId;
    c.result.descend = 1;
}

std::vector<uint8_t> CMetaBoxParsingHandler::ReadRest(const Context& c, uint64_t limit) {
    CFileReader& r = Reader();
    const int64_t position = r.GetPosition();
    const uint64_t left = c.boxEnd > position ? static_cast<uint64_t>(c.boxEnd - position) : 0;
    std::vector<uint8_t> bytes;
    if (ReadBoxBytes(r, c.boxEnd, std::min(left, limit), bytes))
        PassFieldBytes(r, left - bytes.size());
    return bytes;
}

// ISO/IEC 14496-12:2015, 8.11.1.2. A QuickTime 'meta' starts with its handler's box header
// where the full box has version and flags: a 'hdlr' type four bytes on, after a size that
// fits the box, tells them apart.
void CMetaBoxParsingHandler::ParseMeta(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<MetaBox>(c.size);
    m_keys.clear();
    m_metaHandlerAt = -1;
    const uint64_t payload = BytesAfter(c.size, c.headerBytes, 0);
    auto peekHeader = [&](uint32_t& size, uint8_t type[4]) {
        if (BytesLeftInBox(r, c.boxEnd) < 8) return false;
        size = r.ReadUInt32();
        r.ReadBytes(type, 4);
        r.Skip(-8);
        return true;
    };
    uint32_t childSize = 0;
    uint8_t childType[4] = {};
    box->quickTimeStyle = peekHeader(childSize, childType) && TypeIs(childType, "hdlr") &&
                          childSize >= 8 && childSize <= payload;
    if (!box->quickTimeStyle) {
        if (payload < 4) {
            c.result.record = std::move(box);
            return;
        }
        ReadVersionAndFlags(box->version, box->flags);
        c.headerBytes += 4;
    }
    c.result.record = std::move(box);
    if (!ChildrenFit(c)) return;
    if (peekHeader(childSize, childType) && TypeIs(childType, "hdlr"))
        m_metaHandlerAt = r.GetPosition();
    c.result.descend = 1;
}

// ISO/IEC 14496-12:2015, 8.4.3.2. The handler that opens a 'meta' names the metadata's format
// and is kept apart from the tracks' handlers; a track's handler is read as the classic set
// reads it, with the subtitle handler types counted as timed text.
void CMetaBoxParsingHandler::ParseHandler(const Context& c) {
    CFileReader& r = Reader();
    const int64_t start = r.GetPosition() - c.headerBytes;
    if (start != m_metaHandlerAt) {
        auto box = ReadHandlerReference(*this, c);
        box->handlerKind = HandlerKindOf(box->handler_type, BoxSet::Full);
        c.result.handlerKind = box->handlerKind;
        c.result.record = std::move(box);
        return;
    }
    m_metaHandlerAt = -1;
    auto box = std::make_unique<MetaHandlerBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->pre_defined = r.ReadUInt32();
    r.ReadBytes(box->handler_type, 4);
    for (uint32_t& value : box->reserved)
        value = r.ReadUInt32();
    size_t from = 0;
    box->name = TextUpToZero(ReadRest(c, kMaxTextBytes), from);
    c.result.record = std::move(box);
}

// QuickTime File Format, Metadata item list atom: its children are the items.
void CMetaBoxParsingHandler::ParseItemList(const Context& c) {
    c.result.record = std::make_unique<Box>(BoxId::Ilst, c.size);
    ForceChildIds(c, BoxId::MetadataItem);
}

// QuickTime File Format, Metadata item atom: a container of 'data' (and 'mean', 'name'),
// named by its type or by the index of its key.
void CMetaBoxParsingHandler::ParseItem(const Context& c) {
    static constexpr std::pair<const char*, int32_t> kItems[] = {
        {"\xA9nam", BoxId::TitleItem},
        {"\xA9"
         "ART",
         BoxId::ArtistItem},
        {"\xA9too", BoxId::EncodingToolItem},
        {"\xA9"
         "day",
         BoxId::DateItem},
        {"trkn", BoxId::TrackNumberItem},
        {"disk", BoxId::DiscNumberItem},
        {"covr", BoxId::CoverItem},
        {"----", BoxId::CustomItem}};
    int32_t id = c.type[0] == 0 ? BoxId::KeyedItem : BoxId::MetadataItem;
    for (const auto& [code, itemId] : kItems) {
        if (TypeIs(c.type, code)) id = itemId;
    }
    auto box = std::make_unique<MetadataItemBox>(id, c.size);
    if (id == BoxId::KeyedItem) {
        box->keyIndex = BigEndian32(c.type);
        if (box->keyIndex >= 1 && box->keyIndex <= m_keys.size())
            box->key = m_keys[box->keyIndex - 1];
    }
    m_itemId = id;
    c.result.record = std::move(box);
    c.result.descend = ChildrenFit(c) ? 1 : 0;
}

// QuickTime File Format, Metadata atoms and types, Value atom: type indicator (type set and
// type), locale indicator (country and language), then the value to the end of the box.
void CMetaBoxParsingHandler::ParseData(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<DataBox>(c.size);
    box->itemId = m_itemId;
    const uint32_t indicator = r.ReadUInt32();
    box->typeSet = static_cast<uint8_t>(indicator >> 24);
    box->type = indicator & 0xFFFFFF;
    box->country = r.ReadUInt16();
    box->language = r.ReadUInt16();
    const int64_t position = r.GetPosition();
    box->valueSize = c.boxEnd > position ? static_cast<uint64_t>(c.boxEnd - position) : 0;
    if (IsImageType(box->typeSet, box->type)) {
        PassFieldBytes(r, box->valueSize);
    } else {
        box->value = ReadRest(c, DataBox::kMaxKeptBytes);
    }
    c.result.record = std::move(box);
}

// QuickTime File Format, the 'mean' and 'name' of a '----' item: UTF-8 to the end of the box.
void CMetaBoxParsingHandler::ParseMetadataText(const Context& c) {
    auto box = std::make_unique<MetadataTextBox>(c.id, c.size);
    ReadVersionAndFlags(box->version, box->flags);
    size_t from = 0;
    box->text = TextUpToZero(ReadRest(c, kMaxTextBytes), from);
    c.result.record = std::move(box);
}

// QuickTime File Format, Metadata item keys atom: entry_count, then each key's size (itself
// included), namespace and value.
void CMetaBoxParsingHandler::ParseKeys(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<MetadataKeysBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    m_keys.clear();
    std::vector<uint8_t> value;
    for (uint32_t i = 0; i < box->entry_count; ++i) {
        if (!BoxHoldsEntry(r, c.boxEnd, 8)) break;
        MetadataKeysBox::Entry entry;
        entry.key_size = r.ReadUInt32();
        r.ReadBytes(entry.key_namespace, 4);
        if (entry.key_size < 8 || !ReadBoxBytes(r, c.boxEnd, entry.key_size - 8, value)) break;
        entry.key_value = SanitizeUtf8(value.data(), std::min<size_t>(value.size(), kMaxTextBytes));
        m_keys.push_back(entry.key_value);
        box->entries.push_back(std::move(entry));
    }
    c.result.record = std::move(box);
}

// ISO/IEC 14496-12:2015, 8.4.6.2
void CMetaBoxParsingHandler::ParseExtendedLanguage(const Context& c) {
    auto box = std::make_unique<ExtendedLanguageBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    size_t from = 0;
    box->extended_language = TextUpToZero(ReadRest(c, kMaxTextBytes), from);
    c.result.record = std::move(box);
}

// ISO/IEC 14496-12:2015, 8.10.4.2
void CMetaBoxParsingHandler::ParseKind(const Context& c) {
    auto box = std::make_unique<KindBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    const std::vector<uint8_t> bytes = ReadRest(c, kMaxTextBytes);
    size_t from = 0;
    box->schemeURI = TextUpToZero(bytes, from);
    box->value = TextUpToZero(bytes, from);
    c.result.record = std::move(box);
}

// ISO/IEC 14496-12:2015, 8.3.3.2: every child is a reference of some type.
void CMetaBoxParsingHandler::ParseTrackReference(const Context& c) {
    c.result.record = std::make_unique<Box>(BoxId::Tref, c.size);
    ForceChildIds(c, BoxId::TrackReference);
}

// ISO/IEC 14496-12:2015, 8.3.3.2: track_IDs to the end of the box, whatever the reference
// type; 'hint' and 'cdsc' keep their classic rows.
void CMetaBoxParsingHandler::ParseTrackReferenceType(const Context& c) {
    CFileReader& r = Reader();
    const int32_t id = TypeIs(c.type, "hint")   ? BoxId::Hint
                       : TypeIs(c.type, "cdsc") ? BoxId::Cdsc
                                                : BoxId::TrackReference;
    auto box = std::make_unique<TrackReferenceTypeBox>(id, c.size);
    const uint64_t count = BytesAfter(c.size, c.headerBytes, 0) / 4;
    box->track_IDs.reserve(TableReserveCount(count, 4, BytesLeftInBox(r, c.boxEnd)));
    for (uint64_t i = 0; i < count; ++i)
        box->track_IDs.push_back(r.ReadUInt32());
    box->track_count = static_cast<uint32_t>(count);  // fits: TableReserveCount checked it
    c.result.record = std::move(box);
}

// ISO/IEC 14496-12:2015, 8.9.3.2
void CMetaBoxParsingHandler::ParseSampleGroupDescription(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SampleGroupDescriptionBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    r.ReadBytes(box->grouping_type, 4);
    if (box->version == 1) box->default_length = r.ReadUInt32();
    if (box->version >= 2) box->default_sample_description_index = r.ReadUInt32();
    box->entry_count = r.ReadUInt32();
    std::vector<uint8_t> bytes;
    for (uint32_t i = 0; i < box->entry_count; ++i) {
        SampleGroupDescriptionBox::Entry entry;
        uint64_t length = box->default_length;
        if (box->version == 1 && length == 0) {
            if (!BoxHoldsEntry(r, c.boxEnd, 4)) break;
            entry.hasLength = true;
            entry.description_length = r.ReadUInt32();
            length = entry.description_length;
        } else if (box->version != 1) {
            uint8_t head[21] = {};
            const auto headBytes =
                static_cast<uint32_t>(std::min<uint64_t>(BytesLeftInBox(r, c.boxEnd), sizeof head));
            r.ReadBytes(head, headBytes);
            r.Skip(-int64_t{headBytes});
            length = SampleGroupEntrySize(box->grouping_type, head, headBytes);
            if (length == 0) {
                // Nothing tells where one entry ends: the rest stays whole.
                box->undivided = true;
                length = BytesLeftInBox(r, c.boxEnd);
                i = box->entry_count - 1;
            }
        }
        if (!ReadBoxBytes(r, c.boxEnd, length, bytes)) break;
        entry.offset = box->bytes.size();
        entry.length = bytes.size();
        box->bytes.insert(box->bytes.end(), bytes.begin(), bytes.end());
        box->entries.push_back(entry);
    }
    NoteSampleGroupIVSize(*box, c.result.tracks);
    c.result.record = std::move(box);
}

// ISO/IEC 14496-12:2015, 8.7.7.2: subsample_size is 32 bits from version 1 on, 16 before.
void CMetaBoxParsingHandler::ParseSubSampleInformation(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SubSampleInformationBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    const uint64_t subSampleBytes = box->version == 1 ? 10 : 8;
    bool holds = true;
    for (uint32_t i = 0; holds && i < box->entry_count; ++i) {
        if (!BoxHoldsEntry(r, c.boxEnd, 6)) break;
        SubSampleInformationBox::Entry entry;
        entry.sample_delta = r.ReadUInt32();
        entry.subsample_count = r.ReadUInt16();
        entry.firstSubSample = static_cast<uint32_t>(box->subSamples.size());
        for (uint32_t j = 0; j < entry.subsample_count; ++j) {
            holds = BoxHoldsEntry(r, c.boxEnd, subSampleBytes);
            if (!holds) break;
            SubSampleInformationBox::SubSample sub;
            sub.subsample_size = box->version == 1 ? r.ReadUInt32() : r.ReadUInt16();
            sub.subsample_priority = r.ReadUInt8();
            sub.discardable = r.ReadUInt8();
            sub.codec_specific_parameters = r.ReadUInt32();
            box->subSamples.push_back(sub);
            ++entry.readSubSamples;
        }
        box->entries.push_back(entry);
    }
    c.result.record = std::move(box);
}

// ISO/IEC 14496-12:2022, 8.6.4.2: one byte per sample, as many as 'stsz' counts. Writers put
// 'sdtp' before 'stsz' as often as after it (ffmpeg for every file with B-frames), and the
// classic reading, which takes the count of the 'stsz' read last, then finds no entries. The
// box itself says how many it holds: the rest of its bytes.
void CMetaBoxParsingHandler::ParseSampleDependencyType(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SampleDependencyTypeBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->sample_count =
        static_cast<uint32_t>(std::min<uint64_t>(BytesLeftInBox(r, c.boxEnd), UINT32_MAX));
    ReadSampleDependencyEntries(r, *box, c.boxEnd);
    c.result.record = std::move(box);
}
