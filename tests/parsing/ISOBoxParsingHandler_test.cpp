#include "parsing/ISOBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "model/ISOBoxes.h"
#include "model/SampleEntries.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/LogWriter.h"
#include "support/BoxBuilder.h"

// The largest single allocation made since the last reset: a table sized from a count alone
// shows up here however the allocator treats it.
namespace {
std::atomic<size_t> g_largestAllocation{0};
}

void* operator new(size_t size) {
    size_t seen = g_largestAllocation.load();
    while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Not inlined: the compiler would otherwise pair its own idea of new with free() and warn.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

using namespace ISOFileFormat;

namespace {

// Records are deleted when Parse returns, so each test copies out what it checks from inside
// OnBoxEntry.
class Recorder : public IParserCallbackProcessor {
public:
    std::function<void(const BoxEntry&)> inspect;
    std::vector<int32_t> ids;     // every box reported at the end, in file order
    std::vector<int32_t> depths;  // their depths
    size_t listed = 0;            // records owned by the record list

    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(Box*) override { return 0; }
    int32_t OnBoxList(size_t count, const std::vector<std::unique_ptr<Box>>&) override {
        listed = count;
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* entry) override {
        ids.push_back(entry->record->id);
        depths.push_back(entry->depth);
        if (inspect) inspect(*entry);
        return 0;
    }
    int32_t OnParseEnd() override { return 0; }
};

struct Outcome {
    int32_t result = -1;
    std::string log;
    size_t Count(const std::string& text) const {
        size_t n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }
    size_t Warnings() const { return Count("WARNING :"); }
    size_t Errors() const { return Count("ERROR :"); }
};

Outcome Parse(const BoxBuilder& file, Recorder& recorder) {
    const std::string path = file.WriteTempFile("input.mp4");
    CStringLogWriter log;
    CISOFileFormatParser parser(&recorder, &log);
    EXPECT_EQ(parser.Open(path.c_str()), 1);
    Outcome outcome;
    outcome.result = parser.Parse();
    outcome.log = log.GetText();
    return outcome;
}

// The record of the first box with `id`, cast to what the test expects.
template <typename T>
void OnRecord(Recorder& recorder, int32_t id, std::function<void(const T&)> check) {
    auto previous = recorder.inspect;
    recorder.inspect = [previous, id, check](const BoxEntry& entry) {
        if (previous) previous(entry);
        if (entry.record->id != id) return;
        const T* record = dynamic_cast<const T*>(entry.record);
        ASSERT_NE(record, nullptr) << "record type of id " << id;
        check(*record);
    };
}

void WriteMatrix(BoxBuilder& b) {
    for (uint32_t v : {0x10000u, 0u, 0u, 0u, 0x20000u, 0u, 0u, 0u, 0x40000000u})
        b.U32(v);
}

BoxBuilder MovieHeader(uint8_t version) {
    BoxBuilder b;
    b.OpenFull("mvhd", version, 0);
    if (version == 1)
        b.U64(0x100000001ull).U64(0x200000002ull).U32(600).U64(0x300000003ull);
    else
        b.U32(1).U32(2).U32(600).U32(3);
    b.U32(0x18000).U16(0x80).Zeros(10);
    WriteMatrix(b);
    b.Zeros(24).U32(7);
    return b.Close();
}

BoxBuilder TrackHeader(uint8_t version) {
    BoxBuilder b;
    b.OpenFull("tkhd", version, 3);
    if (version == 1)
        b.U64(1).U64(2).U32(9).Zeros(4).U64(0x500000005ull);
    else
        b.U32(1).U32(2).U32(9).Zeros(4).U32(5);
    b.Zeros(8).U16(1).U16(2).U16(0x100).Zeros(2);
    WriteMatrix(b);
    b.U32(320u << 16).U32(240u << 16);
    return b.Close();
}

BoxBuilder Handler(const char* type, const std::string& name) {
    BoxBuilder b;
    b.OpenFull("hdlr", 0, 0).U32(0).FourCC(type).Zeros(12).Text(name, true);
    return b.Close();
}

// Version 0 headers, like every box of the real files, are pinned by the expected exports
// (tests/cli/ExpectedExports_test.cpp); version 1 has 64-bit times and durations.
TEST(ISOBoxParsingHandler, HeaderBoxesInBothVersions) {
    BoxBuilder file;
    file.Append(MovieHeader(0)).Append(MovieHeader(1));
    file.Append(TrackHeader(0)).Append(TrackHeader(1));
    // mdhd: language 5, 14, 7 = "eng", with the pad bit set.
    file.OpenFull("mdhd", 0, 0).U32(1).U32(2).U32(44100).U32(88200);
    file.U16(0x8000 | (5 << 10) | (14 << 5) | 7).U16(0).Close();
    file.OpenFull("mdhd", 1, 0).U64(1).U64(2).U32(1000).U64(0x123456789ull).U16(0).U16(0).Close();

    Recorder rec;
    std::vector<uint64_t> mvhdDurations, tkhdDurations, mdhdDurations;
    OnRecord<MovieHeaderBox>(rec, 3, [&](const MovieHeaderBox& b) {
        mvhdDurations.push_back(b.duration);
        EXPECT_EQ(b.next_track_ID, 7u);  // the fields after the times are where they belong
    });
    OnRecord<TrackHeaderBox>(rec, 5, [&](const TrackHeaderBox& b) {
        tkhdDurations.push_back(b.duration);
        EXPECT_EQ(b.height, 240u << 16);
    });
    std::string language;
    OnRecord<MediaHeaderBox>(rec, 12, [&](const MediaHeaderBox& b) {
        mdhdDurations.push_back(b.duration);
        if (language.empty()) language.assign(b.language, b.language + 3);
    });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    EXPECT_EQ(mvhdDurations, (std::vector<uint64_t>{3, 0x300000003ull}));
    EXPECT_EQ(tkhdDurations, (std::vector<uint64_t>{5, 0x500000005ull}));
    EXPECT_EQ(mdhdDurations, (std::vector<uint64_t>{88200, 0x123456789ull}));
    EXPECT_EQ(language, "eng");
}

TEST(ISOBoxParsingHandler, SignedEditListsAndLargeOffsets) {
    BoxBuilder file;
    file.OpenFull("elst", 0, 0).U32(2);
    file.U32(1000).U32(0xFFFFFFFF).U16(1).U16(0);  // an empty edit: media_time -1
    file.U32(2000).U32(512).U16(0xFFFF).U16(0x8000).Close();
    file.OpenFull("elst", 1, 0).U32(1).U64(0x100000000ull).U64(0xFFFFFFFFFFFFFFFEull);
    file.U16(1).U16(0).Close();
    file.OpenFull("co64", 0, 0).U32(2).U64(0x123456789ABCull).U64(8).Close();

    Recorder rec;
    std::vector<EditListBox::Entry> edits;
    OnRecord<EditListBox>(rec, 10, [&](const EditListBox& b) {
        edits.insert(edits.end(), b.entries.begin(), b.entries.end());
    });
    std::vector<uint64_t> offsets;
    OnRecord<ChunkLargeOffsetBox>(rec, 31,
                                  [&](const ChunkLargeOffsetBox& b) { offsets = b.chunk_offset; });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0].media_time, -1);
    EXPECT_EQ(edits[1].media_rate_integer, -1);
    EXPECT_EQ(edits[1].media_rate_fraction, -0x8000);
    EXPECT_EQ(edits[2].segment_duration, 0x100000000ull);
    EXPECT_EQ(edits[2].media_time, -2);
    EXPECT_EQ(offsets, (std::vector<uint64_t>{0x123456789ABCull, 8}));
}

// moov/trak with a 'hdlr' of `handler` (none when null) and an 'stsd' of `entryCount` whose
// payload is `entries`.
BoxBuilder Track(const char* handler, uint32_t entryCount, const BoxBuilder& entries) {
    BoxBuilder b;
    b.Open("trak").Append(TrackHeader(0)).Open("mdia");
    if (handler) b.Append(Handler(handler, "Sound"));
    b.Open("minf").Open("stbl").OpenFull("stsd", 0, 0).U32(entryCount).Append(entries).Close();
    b.OpenFull("stco", 0, 0).U32(0).Close();
    return b.Close().Close().Close().Close();
}

BoxBuilder AudioEntry(const char* type) {
    BoxBuilder b;
    b.Open(type).Zeros(6).U16(1).Zeros(8).U16(1).U16(16).Zeros(4).U32(44100u << 16);
    return b.Close();
}

TEST(ISOBoxParsingHandler, HandlerKindChoosesTheSampleEntryKind) {
    BoxBuilder file;
    file.Open("moov");
    file.Append(Track("soun", 1, AudioEntry("mp4a")));
    // A new 'tkhd' forgets the previous track's handler: no 'hdlr' here, so "unknown".
    file.Append(Track(nullptr, 1, AudioEntry("mp4a")));
    // Three entries announced, one present: the next box ('stco') is not an entry.
    file.Append(Track("soun", 3, AudioEntry("samr")));
    file.Close();

    Recorder rec;
    struct Seen {
        int32_t handlerKind;
        uint32_t entryCount;
        size_t slots;
        size_t filled;
        int32_t firstId;
        uint16_t channels;
    };
    std::vector<Seen> stsds;
    OnRecord<SampleDescriptionBox>(rec, 24, [&](const SampleDescriptionBox& b) {
        Seen seen{b.handlerKind, b.entry_count, b.entries.size(), 0, -2, 0};
        for (const auto& entry : b.entries)
            seen.filled += entry != nullptr;
        if (!b.entries.empty() && b.entries[0]) {
            seen.firstId = b.entries[0]->id;
            if (auto* audio = dynamic_cast<const AudioSampleEntry*>(b.entries[0].get()))
                seen.channels = audio->channelcount;
        }
        stsds.push_back(seen);
    });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0) << out.log;
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    ASSERT_EQ(stsds.size(), 3u);
    EXPECT_EQ(stsds[0].handlerKind, HandlerKindSound);
    EXPECT_EQ(stsds[0].firstId, 60);
    EXPECT_EQ(stsds[0].channels, 1u);
    EXPECT_EQ(stsds[1].handlerKind, HandlerKindOther);
    EXPECT_EQ(stsds[1].firstId, 64);
    EXPECT_EQ(stsds[2].entryCount, 3u);
    EXPECT_EQ(stsds[2].firstId, 60);
    EXPECT_EQ(stsds[2].filled, 1u);
    EXPECT_LE(stsds[2].slots, 3u);
    // Each 'stco' is parsed as itself, after its 'stsd' and its one entry.
    EXPECT_EQ(std::count(rec.ids.begin(), rec.ids.end(), 30), 3);
    // Entries are owned by their 'stsd', not by the record list.
    EXPECT_EQ(rec.listed, rec.ids.size() - 3);
}

TEST(ISOBoxParsingHandler, DataReferenceEntriesAndTexts) {
    const std::string longUrl = "http://" + std::string(293, 'x');  // 300 bytes
    BoxBuilder file;
    file.Open("dinf").OpenFull("dref", 0, 0).U32(3);
    file.OpenFull("url ", 0, 1).Close();  // self-contained: no location
    file.OpenFull("urn ", 0, 0).Text("urn:a", true).Text("http://b\xE9", true).Close();
    file.OpenFull("url ", 0, 0).Text(longUrl, true).Close();
    file.Close().Close();
    // Outside a 'dref' an entry is an ordinary record.
    file.OpenFull("url ", 0, 0).Text("lone", true).Close();

    Recorder rec;
    std::vector<std::string> texts;
    size_t slots = 0;
    OnRecord<DataReferenceBox>(rec, 20, [&](const DataReferenceBox& b) {
        slots = b.entries.size();
        for (const auto& entry : b.entries) {
            if (auto* url = dynamic_cast<const DataReferenceBox::DataEntryUrlBox*>(entry.get()))
                texts.push_back("url:" + url->location);
            if (auto* urn = dynamic_cast<const DataReferenceBox::DataEntryUrnBox*>(entry.get()))
                texts.push_back("urn:" + urn->name + "|" + urn->location);
        }
    });
    std::string lone;
    rec.inspect = [&, previous = rec.inspect](const BoxEntry& e) {
        previous(e);
        if (e.depth == 0 && e.record->id == 22)
            lone = static_cast<const DataReferenceBox::DataEntryUrlBox*>(e.record)->location;
    };
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    EXPECT_EQ(slots, 3u);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "url:");
    EXPECT_EQ(texts[1], "urn:urn:a|http://b\xC3\xA9");  // Latin-1 to UTF-8
    EXPECT_EQ(texts[2], "url:" + longUrl.substr(0, 200));
    EXPECT_EQ(lone, "lone");
    EXPECT_EQ(rec.listed, 3u);  // dinf, dref, the lone url
}

TEST(ISOBoxParsingHandler, HandlerNamesAndCopyright) {
    BoxBuilder file;
    file.Append(Handler("vide", std::string(80, 'n')));
    file.Append(Handler("text", "Sub\xE9titles"));
    file.OpenFull("hdlr", 0, 0).U32(0).FourCC("hint").Zeros(12).Close();  // no name at all
    file.OpenFull("cprt", 0, 0).U16((6 << 10) | (18 << 5) | 1).Text("(c) Orvex", true).Close();
    file.OpenFull("cprt", 0, 0).U16(0).Text(std::string(250, 'c'), true).Close();

    Recorder rec;
    std::vector<std::string> names;
    std::vector<int32_t> kinds;
    OnRecord<HandlerRererenceBox>(rec, 13, [&](const HandlerRererenceBox& b) {
        names.push_back(b.name);
        kinds.push_back(b.handlerKind);
    });
    std::vector<std::string> notices;
    std::string language;
    OnRecord<CopyRightBox>(rec, 56, [&](const CopyRightBox& b) {
        notices.push_back(b.notice);
        if (language.empty()) language.assign(b.language, b.language + 3);
    });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    EXPECT_EQ(names, (std::vector<std::string>{std::string(50, 'n'), "Sub\xC3\xA9titles", ""}));
    EXPECT_EQ(kinds, (std::vector<int32_t>{HandlerKindVideo, HandlerKindText, HandlerKindHint}));
    EXPECT_EQ(notices, (std::vector<std::string>{"(c) Orvex", std::string(200, 'c')}));
    EXPECT_EQ(language, "fra");
}

TEST(ISOBoxParsingHandler, SampleCountsFromTheLastSampleSize) {
    {
        // No 'stsz' before: nothing is read and the driver passes the payload.
        BoxBuilder file;
        file.OpenFull("sdtp", 0, 0).Bytes({0x24, 0x18}).Close();
        Recorder rec;
        uint32_t count = 99;
        OnRecord<SampleDependencyTypeBox>(rec, 36, [&](const SampleDependencyTypeBox& b) {
            count = b.sample_count;
            EXPECT_TRUE(b.entries.empty());
        });
        Outcome out = Parse(file, rec);
        EXPECT_EQ(out.result, 0);
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(out.Warnings(), 1u);
        EXPECT_EQ(out.Count("passed length : 2 bytes."), 1u) << out.log;
    }
    BoxBuilder file;
    file.OpenFull("stsz", 0, 0).U32(0).U32(3).U32(10).U32(20).U32(30).Close();
    file.OpenFull("sdtp", 0, 0).Bytes({0xE4, 0x24, 0x1B}).Close();
    file.OpenFull("stdp", 0, 0).U16(1).U16(2).U16(0xFFFF).Close();
    // A uniform size: no table, but the count still counts for what follows.
    file.OpenFull("stsz", 0, 0).U32(512).U32(2).Close();
    file.OpenFull("stdp", 0, 0).U16(5).U16(6).Close();
    Recorder rec;
    std::vector<std::vector<uint32_t>> sizes;
    OnRecord<SampleSizeBox>(rec, 28,
                            [&](const SampleSizeBox& b) { sizes.push_back(b.entry_size); });
    std::vector<SampleDependencyTypeBox::Entry> deps;
    OnRecord<SampleDependencyTypeBox>(rec, 36,
                                      [&](const SampleDependencyTypeBox& b) { deps = b.entries; });
    std::vector<std::vector<uint16_t>> priorities;
    OnRecord<DegradationPriorityBox>(rec, 35, [&](const DegradationPriorityBox& b) {
        EXPECT_EQ(b.sample_count, b.priority.size());
        priorities.push_back(b.priority);
    });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    EXPECT_EQ(sizes, (std::vector<std::vector<uint32_t>>{{10, 20, 30}, {}}));
    ASSERT_EQ(deps.size(), 3u);
    // 0xE4: the top two bits are ignored; 2, 1, 0.
    EXPECT_EQ(deps[0].sample_depends_on, 2);
    EXPECT_EQ(deps[0].sample_is_depended_on, 1);
    EXPECT_EQ(deps[0].sample_has_redundancy, 0);
    EXPECT_EQ(deps[2].sample_depends_on, 1);
    EXPECT_EQ(deps[2].sample_is_depended_on, 2);
    EXPECT_EQ(deps[2].sample_has_redundancy, 3);
    EXPECT_EQ(priorities, (std::vector<std::vector<uint16_t>>{{1, 2, 0xFFFF}, {5, 6}}));
}

TEST(ISOBoxParsingHandler, CompactSampleSizes) {
    BoxBuilder file;
    file.OpenFull("stz2", 0, 0).U24(0).U8(4).U32(3).Bytes({0x3C, 0x70}).Close();
    file.OpenFull("stz2", 0, 0).U24(0).U8(8).U32(2).Bytes({200, 7}).Close();
    file.OpenFull("stz2", 0, 0).U24(0).U8(16).U32(1).U16(0xABCD).Close();
    file.OpenFull("stz2", 0, 0).U24(0).U8(12).U32(2).Bytes({1, 2, 3}).Close();
    Recorder rec;
    std::vector<std::vector<uint16_t>> sizes;
    OnRecord<CompactSampleSizeBox>(
        rec, 29, [&](const CompactSampleSizeBox& b) { sizes.push_back(b.entry_size); });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(sizes, (std::vector<std::vector<uint16_t>>{{3, 12, 7}, {200, 7}, {0xABCD}, {}}));
    // Only the unsupported field size leaves bytes for the driver to pass.
    EXPECT_EQ(out.Warnings(), 1u);
    EXPECT_EQ(out.Count("passed length : 3 bytes."), 1u) << out.log;
}

TEST(ISOBoxParsingHandler, FragmentBoxes) {
    BoxBuilder file;
    file.OpenFull("trex", 0, 0).U32(1).U32(1).U32(1024).U32(0).Bytes({0x01, 0x01, 0x00, 0x05});
    file.Close();
    file.OpenFull("tfhd", 0, 0x39).U32(2).U64(0x1000000000ull).U32(100).U32(200).U32(0x02000000);
    file.Close();
    file.OpenFull("tfhd", 0, 0x02).U32(3).U32(4).Close();
    file.OpenFull("trun", 0, 0x301).U32(2).U32(0xFFFFFFF0).U32(10).U32(11).U32(20).U32(21);
    file.Close();
    file.OpenFull("trun", 0, 0xC04).U32(1).U32(0x02000000).Bytes({0x02, 0x40, 0x12, 0x34});
    file.U32(0xFFFFFFFF).Close();
    // No per-sample field: a count alone makes no table and costs no memory.
    file.OpenFull("trun", 0, 0x001).U32(0x0FFFFFFF).U32(8).Close();

    Recorder rec;
    uint32_t trexFlags = 0;
    OnRecord<TrackExtendsBox>(
        rec, 42, [&](const TrackExtendsBox& b) { trexFlags = b.default_sample_flags; });
    std::vector<std::string> tfhds;
    OnRecord<TrackFragmentHeaderBox>(rec, 47, [&](const TrackFragmentHeaderBox& b) {
        using B = TrackFragmentHeaderBox;
        tfhds.push_back(std::to_string(b.track_ID) + " " + std::to_string(b.base_data_offset) +
                        " " + std::to_string(b.sample_description_index) + " " +
                        std::to_string(b.default_sample_duration) + " " +
                        std::to_string(b.default_sample_size) + " " +
                        std::to_string(b.default_sample_flags) + " " +
                        std::to_string(b.Has(B::kSampleDescriptionIndexPresent)));
    });
    struct Run {
        uint32_t count;
        int32_t dataOffset;
        uint32_t firstFlags;
        std::vector<TrackRunBox::Entry> entries;
    };
    std::vector<Run> runs;
    OnRecord<TrackRunBox>(rec, 48, [&](const TrackRunBox& b) {
        runs.push_back({b.sample_count, b.data_offset, b.first_sample_flags, b.entries});
    });
    g_largestAllocation = 0;
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    EXPECT_LT(g_largestAllocation.load(), size_t{1} << 20);
    // Flag bytes 01 01 as the low half, priority 5 as the high half.
    EXPECT_EQ(trexFlags, 0x00050101u);
    EXPECT_EQ(tfhds,
              (std::vector<std::string>{"2 68719476736 0 100 200 33554432 0", "3 0 4 0 0 0 1"}));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].dataOffset, -16);
    ASSERT_EQ(runs[0].entries.size(), 2u);
    EXPECT_EQ(runs[0].entries[1].sample_duration, 20u);
    EXPECT_EQ(runs[0].entries[1].sample_size, 21u);
    EXPECT_EQ(runs[0].entries[1].sample_flags, 0u);
    EXPECT_EQ(runs[1].firstFlags, 0x02000000u);
    ASSERT_EQ(runs[1].entries.size(), 1u);
    EXPECT_EQ(runs[1].entries[0].sample_duration, 0u);
    EXPECT_EQ(runs[1].entries[0].sample_flags, 0x12344002u);
    EXPECT_EQ(runs[1].entries[0].sample_composition_time_offset, 0xFFFFFFFFu);
    EXPECT_EQ(runs[2].count, 0x0FFFFFFFu);
    EXPECT_TRUE(runs[2].entries.empty());
}

TEST(ISOBoxParsingHandler, RandomAccessEntriesOfEveryFieldWidth) {
    BoxBuilder file;
    file.Open("mfra");
    // Version 1, length byte 0x15: traf, trun and sample numbers in 16 bits each.
    file.OpenFull("tfra", 1, 0).U32(1).U24(0).U8(0x15).U32(1);
    file.U64(0x100000000ull).U64(0x200000000ull).U16(1).U16(2).U16(3).Close();
    // Version 0, length byte 0x2F: 24, 32 and 32 bits.
    file.OpenFull("tfra", 0, 0).U32(2).U24(0).U8(0x2F).U32(2);
    file.U32(10).U32(20).U24(0x123456).U32(0x89ABCDEF).U32(5);
    file.U32(30).U32(40).U24(1).U32(2).U32(3).Close();
    // Length byte 0: 8 bits each.
    file.OpenFull("tfra", 0, 0).U32(3).U24(0).U8(0).U32(1).U32(1).U32(2).U8(7).U8(8).U8(9);
    file.Close();
    file.OpenFull("mfro", 0, 0).U32(0x55).Close();
    file.Close();

    Recorder rec;
    std::vector<std::string> entries;
    OnRecord<TrackFragmentRandomAccessBox>(rec, 50, [&](const TrackFragmentRandomAccessBox& b) {
        EXPECT_EQ(b.number_of_entry, b.entries.size());
        for (const auto& e : b.entries) {
            entries.push_back(std::to_string(b.length_size_of_traf_num) +
                              std::to_string(b.length_size_of_trun_num) +
                              std::to_string(b.length_size_of_sample_num) + ": " +
                              std::to_string(e.time) + " " + std::to_string(e.moof_offset) + " " +
                              std::to_string(e.traf_number) + " " + std::to_string(e.trun_number) +
                              " " + std::to_string(e.sample_number));
        }
    });
    uint32_t mfraSize = 0;
    OnRecord<MovieFragmentRandomAceessOffsetBox>(
        rec, 51, [&](const MovieFragmentRandomAceessOffsetBox& b) { mfraSize = b.mfra_size; });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.Warnings(), 0u) << out.log;
    EXPECT_EQ(entries, (std::vector<std::string>{"111: 4294967296 8589934592 1 2 3",
                                                 "233: 10 20 1193046 2309737967 5",
                                                 "233: 30 40 1 2 3", "000: 1 2 7 8 9"}));
    EXPECT_EQ(mfraSize, 0x55u);
}

TEST(ISOBoxParsingHandler, UuidReadsItsUserTypeOnly) {
    const std::vector<uint8_t> userType = {0xA5, 1, 2,  3,  4,  5,  6,  7,
                                           8,    9, 10, 11, 12, 13, 14, 0x5A};
    BoxBuilder file;
    file.Open("uuid").Bytes(userType).Close();
    file.Open("uuid").Bytes(userType).Zeros(6).Close();
    Recorder rec;
    std::vector<std::vector<uint8_t>> seen;
    OnRecord<Box>(rec, 116, [&](const Box& b) { seen.emplace_back(b.userType, b.userType + 16); });
    Outcome out = Parse(file, rec);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(seen, (std::vector<std::vector<uint8_t>>{userType, userType}));
    EXPECT_EQ(out.Warnings(), 1u);
    EXPECT_EQ(out.Count("passed length : 6 bytes."), 1u) << out.log;
}

TEST(ISOBoxParsingHandler, HostileCountsNeverAllocateFromTheCountAlone) {
    {
        // count × 8 beyond 32 bits: the table cannot exist.
        BoxBuilder file;
        file.OpenFull("stts", 0, 0).U32(0x20000001).U32(1).U32(1).Close();
        Recorder rec;
        Outcome out = Parse(file, rec);
        EXPECT_EQ(out.result, 4);
        EXPECT_EQ(out.Count("memory allocation failed"), 1u) << out.log;
    }
    // Counts that fit in 32 bits but not in their boxes, each inside a container so that the
    // reads running past the box end the parse with result 3.
    const char* const kCases[] = {"stco", "stsz", "dref", "stsd", "tfra", "hint"};
    for (const char* type : kCases) {
        SCOPED_TRACE(type);
        BoxBuilder file;
        file.Open("moov");
        if (std::string(type) == "stsz") {
            file.OpenFull("stsz", 0, 0).U32(0).U32(0x3FFFFFFF).U32(1).Close();
        } else if (std::string(type) == "tfra") {
            file.OpenFull("tfra", 1, 0).U32(1).U32(0x3F).U32(0x07FFFFFF).U64(1).Close();
        } else if (std::string(type) == "hint") {
            // A hint sample entry declaring 1 GiB of data in a 100-byte file.
            file.Append(Handler("hint", "")).OpenFull("stsd", 0, 0).U32(1);
            file.Open("rtp ").Zeros(6).U16(1).Zeros(8).CloseWithSize(0x40000000).Close();
        } else {
            file.OpenFull(type, 0, 0).U32(0x3FFFFFFF).U32(1).Close();
        }
        file.Close();
        Recorder rec;
        g_largestAllocation = 0;
        Outcome out = Parse(file, rec);
        EXPECT_EQ(out.result, 3) << out.log;
        EXPECT_LT(g_largestAllocation.load(), size_t{1} << 20);
    }
    {
        // A count that fits the file but not the box: the reads go on into the next box and
        // the driver reports the overrun.
        BoxBuilder file;
        file.OpenFull("stss", 0, 0).U32(3).U32(1).Close();
        file.Open("free").Zeros(8).Close();
        Recorder rec;
        Outcome out = Parse(file, rec);
        EXPECT_EQ(out.result, 3);
        EXPECT_EQ(out.Count("specified box size : 20 bytes, processed box size : 28"), 1u)
            << out.log;
    }
}

}  // namespace
