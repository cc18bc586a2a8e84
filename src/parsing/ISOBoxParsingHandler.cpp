#include "parsing/ISOBoxParsingHandler.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "model/BoxCatalogue.h"
#include "model/FileReader.h"
#include "model/ISOBoxes.h"
#include "model/SampleEntries.h"
#include "model/TextConversion.h"
#include "model/VideoBoxes.h"
#include "parsing/PackedLanguage.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

namespace {

// The smallest boxes that can be entries: 'url ' (header, version and flags) and a sample entry
// (header, 6 reserved bytes, data_reference_index). They bound the entry slots of a parent.
constexpr uint64_t kMinDataEntryBytes = 12;
constexpr uint64_t kMinSampleEntryBytes = 16;
// An entry slot of 'dref' and 'stsd' as the table's entry size for the 32-bit check.
constexpr uint64_t kEntrySlotBytes = 4;

// How many entries of a table to reserve. The table's own entry size decides whether the
// count can be a table at all (std::bad_alloc beyond 32 bits); the bytes each entry takes in
// the file decide how many the rest of the box can really hold.
size_t EntriesToReserve(uint64_t count, uint64_t entrySize, uint64_t fileEntryBytes,
                        uint64_t bytesLeft) {
    TableReserveCount(count, entrySize, 0);  // only its 32-bit check
    if (fileEntryBytes == 0) return 0;
    return static_cast<size_t>(std::min(count, bytesLeft / fileEntryBytes));
}

// Reads `count` entries with `readEntry`, reserving only what the rest of the box can hold.
// A count beyond the box keeps reading: the reads run past the box and the driver reports it.
template <typename T, typename ReadEntry>
void ReadTable(CFileReader& reader, std::vector<T>& table, uint64_t count, uint64_t entrySize,
               uint64_t fileEntryBytes, int64_t boxEnd, ReadEntry readEntry) {
    table.clear();
    table.reserve(
        EntriesToReserve(count, entrySize, fileEntryBytes, BytesLeftInBox(reader, boxEnd)));
    for (uint64_t i = 0; i < count; ++i)
        table.push_back(readEntry());
}

// Creation and modification time, timescale and duration of 'mvhd' and 'mdhd'.
template <typename Header>
void ReadHeaderTimes(CFileReader& r, Header& box) {
    if (box.version == 1) {
        box.creation_time = r.ReadUInt64();
        box.modification_time = r.ReadUInt64();
        box.timescale = r.ReadUInt32();
        box.duration = r.ReadUInt64();
    } else {
        box.creation_time = r.ReadUInt32();
        box.modification_time = r.ReadUInt32();
        box.timescale = r.ReadUInt32();
        box.duration = r.ReadUInt32();
    }
}

void ReadLanguage(CFileReader& r, uint8_t letters[3]) {
    DecodePackedLanguage(r.ReadUInt16(), letters);
}

uint32_t ReadSampleFlags(CFileReader& r) {
    uint8_t bytes[4];
    r.ReadBytes(bytes, 4);
    return SampleFlagsWord(bytes);
}

// A field of `bytes` bytes (1 to 4), big-endian.
uint32_t ReadSizedField(CFileReader& r, uint8_t bytes) {
    uint32_t value = 0;
    for (uint8_t i = 0; i < bytes; ++i)
        value = (value << 8) | r.ReadUInt8();
    return value;
}

// Reads the first `capacity` bytes of a field of `length` bytes and passes the rest; returns
// how many were kept.
size_t ReadKept(CFileReader& r, uint64_t length, uint8_t* buffer, size_t capacity) {
    const size_t kept = static_cast<size_t>(std::min<uint64_t>(length, capacity));
    r.ReadBytes(buffer, static_cast<uint32_t>(kept));
    PassFieldBytes(r, length - kept);
    return kept;
}

int32_t SampleEntryIdFor(int32_t handlerKind) {
    switch (handlerKind) {
        case HandlerKindVideo:
            return BoxId::VisualSampleEntry;
        case HandlerKindSound:
            return BoxId::AudioSampleEntry;
        case HandlerKindHint:
            return BoxId::HintSampleEntry;
        case HandlerKindText:
            return BoxId::TextSampleEntry;
        default:
            return BoxId::UnknownSampleEntry;
    }
}

}  // namespace

int32_t HandlerKindOf(const uint8_t handlerType[4], BoxSet set) {
    static constexpr std::pair<const char*, int32_t> kKinds[] = {{"vide", HandlerKindVideo},
                                                                 {"soun", HandlerKindSound},
                                                                 {"hint", HandlerKindHint},
                                                                 {"text", HandlerKindText}};
    for (const auto& [code, kind] : kKinds) {
        if (std::memcmp(handlerType, code, 4) == 0) return kind;
    }
    // Subtitle tracks ('tx3g' from ffmpeg among them) carry timed text under these types.
    if (set == BoxSet::Full &&
        (std::memcmp(handlerType, "sbtl", 4) == 0 || std::memcmp(handlerType, "subt", 4) == 0))
        return HandlerKindText;
    return HandlerKindOther;
}

std::unique_ptr<HandlerRererenceBox> ReadHandlerReference(IBoxParsingHandler& handler,
                                                          const BoxParseContext& c) {
    CFileReader& r = *handler.GetReader();
    auto box = std::make_unique<HandlerRererenceBox>(c.size);
    handler.ReadVersionAndFlags(box->version, box->flags);
    box->pre_defined = r.ReadUInt32();
    r.ReadBytes(box->handler_type, 4);
    r.SkipBits(96);
    // The whole declared name is consumed, so a long name draws no offset-correction warning;
    // only its first bytes are kept.
    uint8_t name[HandlerRererenceBox::kMaxNameBytes] = {};
    const size_t kept = ReadKept(r, BytesAfter(c.size, c.headerBytes, 24), name, sizeof name);
    box->name = Latin1CStringToUtf8(name, kept);
    return box;
}

std::span<const BoxParseRow<CISOBoxParsingHandler>> CISOBoxParsingHandler::Rows() {
    using H = CISOBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {FileTypeBox::kId, &H::ParseFileType},
        {MovieHeaderBox::kId, &H::ParseMovieHeader},
        {TrackHeaderBox::kId, &H::ParseTrackHeader},
        {MediaHeaderBox::kId, &H::ParseMediaHeader},
        {HandlerRererenceBox::kId, &H::ParseHandlerReference},
        {VideoMediaHeaderBox::kId, &H::ParseVideoMediaHeader},
        {SoundMediaHeaderBox::kId, &H::ParseSoundMediaHeader},
        {HintMediaHeaderBox::kId, &H::ParseHintMediaHeader},
        {TrackReferenceTypeBox::kHintId, &H::ParseTrackReferenceType},
        {TrackReferenceTypeBox::kCdscId, &H::ParseTrackReferenceType},
        {DataReferenceBox::kId, &H::ParseDataReference},
        {DataReferenceBox::DataEntryUrnBox::kId, &H::ParseDataEntryUrn},
        {DataReferenceBox::DataEntryUrlBox::kId, &H::ParseDataEntryUrl},
        {TimeToSampleBox::kId, &H::ParseTimeToSample},
        {CompositionOffsetBox::kId, &H::ParseCompositionOffset},
        {SampleDescriptionBox::kId, &H::ParseSampleDescription},
        {CopyRightBox::kId, &H::ParseCopyRight},
        {SampleSizeBox::kId, &H::ParseSampleSize},
        {CompactSampleSizeBox::kId, &H::ParseCompactSampleSize},
        {SampleToChunkBox::kId, &H::ParseSampleToChunk},
        {ChunkOffsetBox::kId, &H::ParseChunkOffset},
        {ChunkLargeOffsetBox::kId, &H::ParseChunkLargeOffset},
        {SyncSampleBox::kId, &H::ParseSyncSample},
        {PartialSyncSampleBox::kId, &H::ParseSyncSample},
        {ShadowSyncSampleBox::kId, &H::ParseShadowSyncSample},
        {DegradationPriorityBox::kId, &H::ParseDegradationPriority},
        {SampleDependencyTypeBox::kId, &H::ParseSampleDependencyType},
        {SampleToGroupBox::kId, &H::ParseSampleToGroup},
        {EditListBox::kId, &H::ParseEditList},
        {MovieExtendsBox::kId, &H::ParseMovieExtendsHeader},
        {TrackExtendsBox::kId, &H::ParseTrackExtends},
        {MovieFragmentHeaderBox::kId, &H::ParseMovieFragmentHeader},
        {TrackFragmentHeaderBox::kId, &H::ParseTrackFragmentHeader},
        {TrackRunBox::kId, &H::ParseTrackRun},
        {TrackFragmentRandomAccessBox::kId, &H::ParseTrackFragmentRandomAccess},
        {MovieFragmentRandomAceessOffsetBox::kId, &H::ParseMovieFragmentRandomAccessOffset},
        {BoxId::Uuid, &H::ParseUuid},
    };
    return kRows;
}

size_t CISOBoxParsingHandler::ReadKeptBytes(uint64_t length, uint8_t* buffer, size_t capacity) {
    return ReadKept(Reader(), length, buffer, capacity);
}

void CISOBoxParsingHandler::ParseFileType(const Context& c) {
    c.result.record = ReadFileType(Reader(), c);
}

std::unique_ptr<FileTypeBox> ReadFileType(CFileReader& r, const BoxParseContext& c) {
    auto box = std::make_unique<FileTypeBox>(c.size);
    const uint64_t count = BytesAfter(c.size, c.headerBytes, 8) / 4;
    r.ReadBytes(box->major_brand, 4);
    box->minor_version = r.ReadUInt32();
    ReadTable(r, box->compatible_brands, count, 4, 4, c.boxEnd, [&] {
        std::array<uint8_t, 4> brand;
        r.ReadBytes(brand.data(), 4);
        return brand;
    });
    box->brand_count = static_cast<uint32_t>(count);  // fits: ReadTable checked it
    return box;
}

void CISOBoxParsingHandler::ParseMovieHeader(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<MovieHeaderBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    ReadHeaderTimes(r, *box);
    box->rate = r.ReadUInt32();
    box->volume = r.ReadUInt16();
    r.SkipBits(16);
    r.SkipBits(64);
    for (uint32_t& value : box->matrix)
        value = r.ReadUInt32();
    for (uint32_t& value : box->pre_defined)
        value = r.ReadUInt32();
    box->next_track_ID = r.ReadUInt32();
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseTrackHeader(const Context& c) {
    CFileReader& r = Reader();
    // A new track starts without a handler kind.
    c.result.handlerKind = HandlerKindOther;
    auto box = std::make_unique<TrackHeaderBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    if (box->version == 1) {
        box->creation_time = r.ReadUInt64();
        box->modification_time = r.ReadUInt64();
        box->track_ID = r.ReadUInt32();
        r.SkipBits(32);
        box->duration = r.ReadUInt64();
    } else {
        box->creation_time = r.ReadUInt32();
        box->modification_time = r.ReadUInt32();
        box->track_ID = r.ReadUInt32();
        r.SkipBits(32);
        box->duration = r.ReadUInt32();
    }
    r.SkipBits(64);
    box->layer = r.ReadUInt16();
    box->alternate_group = r.ReadUInt16();
    box->volume = r.ReadUInt16();
    r.SkipBits(16);
    for (uint32_t& value : box->matrix)
        value = r.ReadUInt32();
    box->width = r.ReadUInt32();
    box->height = r.ReadUInt32();
    c.result.tracks.currentTrack = box->track_ID;
    c.result.tracks.inFragment = false;
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseMediaHeader(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<MediaHeaderBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    ReadHeaderTimes(r, *box);
    ReadLanguage(r, box->language);
    box->pre_defined = r.ReadUInt16();
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseHandlerReference(const Context& c) {
    auto box = ReadHandlerReference(*this, c);
    box->handlerKind = HandlerKindOf(box->handler_type, BoxSet::Classic);
    c.result.handlerKind = box->handlerKind;
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseVideoMediaHeader(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<VideoMediaHeaderBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->graphicsmode = r.ReadUInt16();
    for (uint16_t& value : box->opcolor)
        value = r.ReadUInt16();
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseSoundMediaHeader(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SoundMediaHeaderBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->balance = r.ReadUInt16();
    r.SkipBits(16);
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseHintMediaHeader(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<HintMediaHeaderBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->maxPDUsize = r.ReadUInt16();
    box->avgPDUsize = r.ReadUInt16();
    box->maxbitrate = r.ReadUInt32();
    box->avgbitrate = r.ReadUInt32();
    r.SkipBits(32);
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseTrackReferenceType(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<TrackReferenceTypeBox>(c.id, c.size);
    const uint64_t count = BytesAfter(c.size, c.headerBytes, 0) / 4;
    ReadTable(r, box->track_IDs, count, 4, 4, c.boxEnd, [&] { return r.ReadUInt32(); });
    box->track_count = static_cast<uint32_t>(count);  // fits: ReadTable checked it
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseDataReference(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<DataReferenceBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    box->entries.resize(EntriesToReserve(box->entry_count, kEntrySlotBytes, kMinDataEntryBytes,
                                         BytesLeftInBox(r, c.boxEnd)));
    // Parent-entry mode; the entries keep their own ids ('url ', 'urn ').
    c.result.parent = box.get();
    c.result.expectedEntries = box->entry_count;
    c.headerBytes += 8;
    c.result.record = std::move(box);
    c.result.descend = 1;
}

void CISOBoxParsingHandler::ParseDataEntryUrn(const Context& c) {
    auto box = std::make_unique<DataReferenceBox::DataEntryUrnBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    uint8_t text[DataReferenceBox::kMaxEntryTextBytes] = {};
    ReadKeptBytes(BytesAfter(c.size, c.headerBytes, 4), text, sizeof text);
    // name, its zero byte, then location; both end at their first zero within what was kept.
    box->name = Latin1CStringToUtf8(text, sizeof text);
    const auto* zero = static_cast<const uint8_t*>(std::memchr(text, 0, sizeof text));
    if (zero != nullptr) {
        const size_t start = static_cast<size_t>(zero - text) + 1;
        box->location = Latin1CStringToUtf8(text + start, sizeof text - start);
    }
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseDataEntryUrl(const Context& c) {
    auto box = std::make_unique<DataReferenceBox::DataEntryUrlBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    uint8_t text[DataReferenceBox::kMaxEntryTextBytes] = {};
    const size_t kept = ReadKeptBytes(BytesAfter(c.size, c.headerBytes, 4), text, sizeof text);
    box->location = Latin1CStringToUtf8(text, kept);
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseTimeToSample(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<TimeToSampleBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->entries, box->entry_count, 8, 8, c.boxEnd, [&] {
        TimeToSampleBox::Entry e;
        e.sample_count = r.ReadUInt32();
        e.sample_delta = r.ReadUInt32();
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseCompositionOffset(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<CompositionOffsetBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->entries, box->entry_count, 8, 8, c.boxEnd, [&] {
        CompositionOffsetBox::Entry e;
        e.sample_count = r.ReadUInt32();
        e.sample_offset = r.ReadUInt32();
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseSampleDescription(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SampleDescriptionBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    box->handlerKind = c.result.handlerKind;
    box->entries.resize(EntriesToReserve(box->entry_count, kEntrySlotBytes, kMinSampleEntryBytes,
                                         BytesLeftInBox(r, c.boxEnd)));
    // Parent-entry mode: the entries are read as the sample entry kind of the track.
    c.result.parent = box.get();
    c.result.expectedEntries = box->entry_count;
    c.result.forcedId = SampleEntryIdFor(box->handlerKind);
    c.headerBytes += 8;
    c.result.record = std::move(box);
    c.result.descend = 1;
}

void CISOBoxParsingHandler::ParseCopyRight(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<CopyRightBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    ReadLanguage(r, box->language);
    uint8_t text[CopyRightBox::kMaxNoticeBytes] = {};
    const size_t kept = ReadKeptBytes(BytesAfter(c.size, c.headerBytes, 6), text, sizeof text);
    box->notice = Latin1CStringToUtf8(text, kept);
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseSampleSize(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SampleSizeBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->sample_size = r.ReadUInt32();
    box->sample_count = r.ReadUInt32();
    if (box->sample_size == 0) {
        ReadTable(r, box->entry_size, box->sample_count, 4, 4, c.boxEnd,
                  [&] { return r.ReadUInt32(); });
    }
    c.result.sampleCount = box->sample_count;
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseCompactSampleSize(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<CompactSampleSizeBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    r.SkipBits(24);
    box->field_size = r.ReadUInt8();
    box->sample_count = r.ReadUInt32();
    const uint64_t count = box->sample_count;
    switch (box->field_size) {
        case 16:
            ReadTable(r, box->entry_size, count, 2, 2, c.boxEnd, [&] { return r.ReadUInt16(); });
            break;
        case 8:
            ReadTable(r, box->entry_size, count, 2, 1, c.boxEnd,
                      [&] { return static_cast<uint16_t>(r.ReadUInt8()); });
            break;
        case 4: {
            // Two sizes per byte, the high nibble first; the low nibble of the last byte of an
            // odd count is padding. The rest of the box holds two sizes per byte.
            const uint64_t bytesLeft = BytesLeftInBox(r, c.boxEnd);
            const uint64_t sizesLeft =
                bytesLeft > std::numeric_limits<uint64_t>::max() / 2 ? bytesLeft : bytesLeft * 2;
            box->entry_size.reserve(EntriesToReserve(count, 2, 1, sizesLeft));
            for (uint64_t i = 0; i < count; i += 2) {
                const uint8_t b = r.ReadUInt8();
                box->entry_size.push_back(static_cast<uint16_t>(b >> 4));
                if (i + 1 < count) box->entry_size.push_back(static_cast<uint16_t>(b & 0x0F));
            }
            break;
        }
        default:
            break;  // no entries: the driver passes the rest of the box
    }
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseSampleToChunk(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SampleToChunkBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->entries, box->entry_count, 12, 12, c.boxEnd, [&] {
        SampleToChunkBox::Entry e;
        e.first_chunk = r.ReadUInt32();
        e.samples_per_chunk = r.ReadUInt32();
        e.sample_description_index = r.ReadUInt32();
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseChunkOffset(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<ChunkOffsetBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->chunk_offset, box->entry_count, 4, 4, c.boxEnd,
              [&] { return r.ReadUInt32(); });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseChunkLargeOffset(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<ChunkLargeOffsetBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->chunk_offset, box->entry_count, 8, 8, c.boxEnd,
              [&] { return r.ReadUInt64(); });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseSyncSample(const Context& c) {
    CFileReader& r = Reader();
    std::unique_ptr<SyncSampleBox> box;
    if (c.id == PartialSyncSampleBox::kId)
        box = std::make_unique<PartialSyncSampleBox>(c.size);
    else
        box = std::make_unique<SyncSampleBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->sample_number, box->entry_count, 4, 4, c.boxEnd,
              [&] { return r.ReadUInt32(); });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseShadowSyncSample(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<ShadowSyncSampleBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->entries, box->entry_count, 8, 8, c.boxEnd, [&] {
        ShadowSyncSampleBox::Entry e;
        e.shadowed_sample_number = r.ReadUInt32();
        e.sync_sample_number = r.ReadUInt32();
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseDegradationPriority(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<DegradationPriorityBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->sample_count = c.result.sampleCount;
    ReadTable(r, box->priority, box->sample_count, 2, 2, c.boxEnd, [&] { return r.ReadUInt16(); });
    c.result.record = std::move(box);
}

void ReadSampleDependencyEntries(CFileReader& r, SampleDependencyTypeBox& box, int64_t boxEnd) {
    ReadTable(r, box.entries, box.sample_count, 3, 1, boxEnd, [&] {
        const uint8_t b = r.ReadUInt8();
        SampleDependencyTypeBox::Entry e;
        e.sample_depends_on = (b >> 4) & 3;
        e.sample_is_depended_on = (b >> 2) & 3;
        e.sample_has_redundancy = b & 3;
        return e;
    });
}

void CISOBoxParsingHandler::ParseSampleDependencyType(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SampleDependencyTypeBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->sample_count = c.result.sampleCount;
    ReadSampleDependencyEntries(r, *box, c.boxEnd);
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseSampleToGroup(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<SampleToGroupBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->grouping_type = r.ReadUInt32();
    box->entry_count = r.ReadUInt32();
    ReadTable(r, box->entries, box->entry_count, 8, 8, c.boxEnd, [&] {
        SampleToGroupBox::Entry e;
        e.sample_count = r.ReadUInt32();
        e.group_description_index = r.ReadUInt32();
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseEditList(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<EditListBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->entry_count = r.ReadUInt32();
    const bool wide = box->version == 1;
    ReadTable(r, box->entries, box->entry_count, 24, wide ? 20 : 12, c.boxEnd, [&] {
        EditListBox::Entry e;
        if (wide) {
            e.segment_duration = r.ReadUInt64();
            e.media_time = static_cast<int64_t>(r.ReadUInt64());
        } else {
            e.segment_duration = r.ReadUInt32();
            e.media_time = static_cast<int32_t>(r.ReadUInt32());
        }
        e.media_rate_integer = static_cast<int16_t>(r.ReadUInt16());
        e.media_rate_fraction = static_cast<int16_t>(r.ReadUInt16());
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseMovieExtendsHeader(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<MovieExtendsBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->fragment_duration = box->version == 1 ? r.ReadUInt64() : r.ReadUInt32();
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseTrackExtends(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<TrackExtendsBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->track_ID = r.ReadUInt32();
    box->default_sample_description_index = r.ReadUInt32();
    box->default_sample_duration = r.ReadUInt32();
    box->default_sample_size = r.ReadUInt32();
    box->default_sample_flags = ReadSampleFlags(r);
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseMovieFragmentHeader(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<MovieFragmentHeaderBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->sequence_number = r.ReadUInt32();
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseTrackFragmentHeader(const Context& c) {
    CFileReader& r = Reader();
    using B = TrackFragmentHeaderBox;
    auto box = std::make_unique<B>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->track_ID = r.ReadUInt32();
    if (box->Has(B::kBaseDataOffsetPresent)) box->base_data_offset = r.ReadUInt64();
    if (box->Has(B::kSampleDescriptionIndexPresent)) box->sample_description_index = r.ReadUInt32();
    if (box->Has(B::kDefaultSampleDurationPresent)) box->default_sample_duration = r.ReadUInt32();
    if (box->Has(B::kDefaultSampleSizePresent)) box->default_sample_size = r.ReadUInt32();
    if (box->Has(B::kDefaultSampleFlagsPresent)) box->default_sample_flags = r.ReadUInt32();
    c.result.tracks.currentTrack = box->track_ID;
    c.result.tracks.inFragment = true;
    c.result.tracks.fragmentGroupIVSize.reset();
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseTrackRun(const Context& c) {
    CFileReader& r = Reader();
    using B = TrackRunBox;
    auto box = std::make_unique<B>(c.size);
    box->sizeInFile = std::min<uint64_t>(c.size, c.headerBytes + BytesLeftInBox(r, c.boxEnd));
    ReadVersionAndFlags(box->version, box->flags);
    box->sample_count = r.ReadUInt32();
    if (box->Has(B::kDataOffsetPresent)) box->data_offset = static_cast<int32_t>(r.ReadUInt32());
    if (box->Has(B::kFirstSampleFlagsPresent)) box->first_sample_flags = r.ReadUInt32();
    const bool duration = box->Has(B::kSampleDurationPresent);
    const bool size = box->Has(B::kSampleSizePresent);
    const bool flags = box->Has(B::kSampleFlagsPresent);
    const bool offset = box->Has(B::kSampleCompositionTimeOffsetPresent);
    const uint64_t entryBytes = 4 * (int{duration} + int{size} + int{flags} + int{offset});
    // Samples without any field of their own read nothing and are not materialised: a count
    // alone must not cost memory.
    const uint64_t count = entryBytes == 0 ? 0 : box->sample_count;
    ReadTable(r, box->entries, count, 16, entryBytes, c.boxEnd, [&] {
        B::Entry e{};
        if (duration) e.sample_duration = r.ReadUInt32();
        if (size) e.sample_size = r.ReadUInt32();
        if (flags) e.sample_flags = ReadSampleFlags(r);
        if (offset) e.sample_composition_time_offset = r.ReadUInt32();
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseTrackFragmentRandomAccess(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<TrackFragmentRandomAccessBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->track_ID = r.ReadUInt32();
    r.SkipBits(24);
    const uint8_t sizes = r.ReadUInt8();
    box->length_size_of_traf_num = (sizes >> 4) & 3;
    box->length_size_of_trun_num = (sizes >> 2) & 3;
    box->length_size_of_sample_num = sizes & 3;
    box->number_of_entry = r.ReadUInt32();
    const bool wide = box->version == 1;
    const uint8_t trafBytes = box->length_size_of_traf_num + 1;
    const uint8_t trunBytes = box->length_size_of_trun_num + 1;
    const uint8_t sampleBytes = box->length_size_of_sample_num + 1;
    const uint64_t entryBytes = (wide ? 16 : 8) + trafBytes + trunBytes + sampleBytes;
    ReadTable(r, box->entries, box->number_of_entry, 32, entryBytes, c.boxEnd, [&] {
        TrackFragmentRandomAccessBox::Entry e;
        e.time = wide ? r.ReadUInt64() : r.ReadUInt32();
        e.moof_offset = wide ? r.ReadUInt64() : r.ReadUInt32();
        e.traf_number = ReadSizedField(r, trafBytes);
        e.trun_number = ReadSizedField(r, trunBytes);
        e.sample_number = ReadSizedField(r, sampleBytes);
        return e;
    });
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseMovieFragmentRandomAccessOffset(const Context& c) {
    CFileReader& r = Reader();
    auto box = std::make_unique<MovieFragmentRandomAceessOffsetBox>(c.size);
    ReadVersionAndFlags(box->version, box->flags);
    box->mfra_size = r.ReadUInt32();
    c.result.record = std::move(box);
}

void CISOBoxParsingHandler::ParseUuid(const Context& c) {
    auto box = std::make_unique<Box>(BoxId::Uuid, c.size);
    Reader().ReadBytes(box->userType, sizeof box->userType);
    c.result.record = std::move(box);
}
