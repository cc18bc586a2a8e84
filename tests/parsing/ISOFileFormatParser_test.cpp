#include "parsing/ISOFileFormatParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "model/BoxCatalogue.h"
#include "support/BoxBuilder.h"

namespace {
using Seen =
    std::tuple<std::string, int32_t, int32_t, int64_t, int32_t>;  // type id depth offset container

std::string TypeOf(const ISOFileFormat::Box& r) {
    return std::string(reinterpret_cast<const char*>(r.type), 4);
}

// A record that keeps its entries, as a sample description does.
struct EntryParent : ISOFileFormat::FullBox {
    using FullBox::FullBox;
    bool AdoptEntry(uint32_t index, std::unique_ptr<ISOFileFormat::Box>& entry) override {
        if (index >= entries.size()) entries.resize(index + 1);
        entries[index] = std::move(entry);
        return true;
    }
    std::vector<std::unique_ptr<ISOFileFormat::Box>> entries;
};

class Recorder : public IParserCallbackProcessor {
public:
    int32_t OnParseBegin() override { return ++begins, 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box* r) override { return parsed.push_back(TypeOf(*r)), 0; }
    int32_t OnBoxList(size_t count,
                      const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records) override {
        listCount = static_cast<int>(count);
        for (const auto& r : records) {
            listed.push_back(TypeOf(*r));
            if (auto* parent = dynamic_cast<EntryParent*>(r.get()))
                adopted =
                    static_cast<int>(std::count_if(parent->entries.begin(), parent->entries.end(),
                                                   [](const auto& e) { return e != nullptr; }));
        }
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* e) override {
        entries.emplace_back(TypeOf(*e->record), e->record->id, e->depth, e->offset, e->container);
        return 0;
    }
    int32_t OnParseEnd() override { return ++ends, 0; }

    int begins = 0, ends = 0, listCount = -1, adopted = -1;
    std::vector<std::string> parsed, listed;
    std::vector<Seen> entries;
};

// A handler driven by a script per catalogue id, asked before the real handlers.
struct Rule {
    uint32_t read = 0;  // payload bytes to read
    int32_t descend = 0;
    bool parentMode = false;  // switch on parent-entry mode with `entries` entries
    uint32_t entries = 0;
    int32_t forcedId = -1;
    bool failAfterAlloc = false;  // allocate, then read far beyond the file
};
using Rules = std::map<int32_t, Rule>;

class ScriptedHandler : public CBoxParsingHandlerImpl {
public:
    explicit ScriptedHandler(Rules rules) : m_rules(std::move(rules)) {}
    int32_t ParseBox(const uint8_t[4], int32_t id, uint64_t size, uint32_t& headerBytes,
                     BoxParseResult& result) override {
        auto it = m_rules.find(id);
        if (it == m_rules.end()) return 0;
        const Rule& rule = it->second;
        auto record = std::make_unique<EntryParent>(id, size);
        std::vector<uint8_t> sink(16);
        while (rule.failAfterAlloc)
            Reader().ReadBytes(sink.data(), 16);
        for (uint32_t i = 0; i < rule.read; ++i)
            Reader().ReadUInt8();
        if (rule.parentMode) {
            Reader().ReadUInt32();
            headerBytes += 4;
            result.parent = record.get();
            result.expectedEntries = rule.entries;
            result.forcedId = rule.forcedId;
        }
        headerBytes += rule.descend ? rule.read : 0;
        result.descend = rule.descend;
        result.record = std::move(record);
        return 1;
    }

private:
    Rules m_rules;
};

struct Run {
    int32_t result;
    std::string log;
    Recorder rec;
};

std::unique_ptr<Run> ParseBytes(const BoxBuilder& file, const Rules& rules = {}) {
    auto run = std::make_unique<Run>();
    CStringLogWriter log;
    CISOFileFormatParser parser(&run->rec, &log);
    parser.AddHandler(std::make_unique<ScriptedHandler>(rules));
    EXPECT_EQ(parser.Open(file.WriteTempFile("input.mp4").c_str()), 1);
    run->result = parser.Parse();
    run->log = log.GetText();
    return run;
}

const std::string kBanner = "\r\n---------- started parsing ----------\r\n";
std::string Closing(int warnings, int errors) {
    return "\r\n\r\n---------- parsing done (warnings : " + std::to_string(warnings) +
           ", errors : " + std::to_string(errors) + ") ----------\r\n";
}
}  // namespace

TEST(ParseDriver, LogsOfEveryHeaderForm) {
    auto empty = ParseBytes(BoxBuilder());
    EXPECT_EQ(empty->result, 0);
    EXPECT_EQ(empty->log, kBanner + "processing offset : 0x00000000" + Closing(0, 0));
    EXPECT_EQ(std::tie(empty->rec.begins, empty->rec.listCount, empty->rec.ends),
              std::make_tuple(1, 0, 1));

    BoxBuilder f;
    f.Leaf("free", std::vector<uint8_t>(12));             // nobody claims it: passed silently
    f.Open("skip", /*largeSize=*/true).Zeros(8).Close();  // 64-bit size 24, header 16
    f.U32(16).FourCC("").Zeros(8);                        // empty type: an error, then skipped
    f.U32(0).FourCC("free").Zeros(5);                     // size 0: to the end of the file
    auto run = ParseBytes(f);
    EXPECT_EQ(run->result, 0);
    EXPECT_EQ(run->log,
              kBanner + "processing offset : 0x00000000, box name : free\r\n" +
                  "processing offset : 0x00000014, box name : skip\r\n" +
                  "processing offset : 0x0000002C" +
                  "\r\n\r\nERROR :\r\nskipped an abnormal empty box : 16 byte(s)\r\nthis should "
                  "be corrected or may cause problems to other applications.\r\nyou can fix this "
                  "problem by changing the box into 'SKIP' box.\r\n\r\n" +
                  "processing offset : 0x0000003C, box name : free\r\n" +
                  "processing offset : 0x00000049" + Closing(0, 1));
    EXPECT_EQ(run->rec.entries, (std::vector<Seen>{{"free", BoxId::Free, 0, 0, 0},
                                                   {"skip", BoxId::Skip, 0, 20, 0},
                                                   {std::string(4, '\0'), BoxId::Empty, 0, 44, 0},
                                                   {"free", BoxId::Free, 0, 60, 0}}));
}

TEST(ParseDriver, OffsetCorrectionAndSizeErrors) {
    // 'mvhd' read 10 bytes short: passed with a warning, the next box found at its place.
    auto shortRead = ParseBytes(BoxBuilder().Leaf("mvhd", std::vector<uint8_t>(14)).Leaf("free"),
                                {{BoxId::Mvhd, {.read = 4}}});
    EXPECT_EQ(shortRead->result, 0);
    EXPECT_EQ(shortRead->log,
              kBanner + "processing offset : 0x00000000, box name : mvhd\r\n" +
                  "\r\n\r\nWARNING :\r\nthe processed length of the box is less than the length "
                  "specified in the size field of box.\r\nthe box may be the unsupported or "
                  "partially supported one by the current version of 'Orvex'.\r\nthe left length "
                  "will be passed by the automatic offset correction feature.\r\npassed length : "
                  "10 bytes.\r\n\r\nprocessing offset : 0x00000016, box name : free\r\n"
                  "processing offset : 0x0000001E" +
                  Closing(1, 0));

    // Read 4 bytes beyond its size: an error that ends the parse with result 3, nothing built.
    auto longRead = ParseBytes(BoxBuilder().Leaf("mvhd", std::vector<uint8_t>(8)).Leaf("free"),
                               {{BoxId::Mvhd, {.read = 12}}});
    EXPECT_EQ(longRead->result, 3);
    EXPECT_NE(longRead->log.find("\r\n\r\nERROR :\r\nthe processed length of the box is greater "
                                 "than the length specified in the size field of box.\r\nthe size "
                                 "filed may have a wrong value.\r\n\r\nspecified box size : 16 "
                                 "bytes, processed box size : 20\r\n\r\n"
                                 "\r\n\r\nERROR :\r\nerror occured in parsing\r\n\r\n"),
              std::string::npos)
        << longRead->log;
    EXPECT_EQ(longRead->rec.listCount, -1);
    EXPECT_TRUE(longRead->rec.entries.empty());

    // A size smaller than its own header.
    auto tiny = ParseBytes(BoxBuilder().U32(4).FourCC("free").Zeros(8));
    EXPECT_EQ(tiny->result, 3);
    EXPECT_NE(tiny->log.find("specified box size : 4 bytes, processed box size : 8"),
              std::string::npos);

    // A 64-bit size of 2^64-1 at top level: passed, and the file ends normally.
    auto huge = ParseBytes(BoxBuilder().U32(1).FourCC("free").U64(~0ull).Zeros(4));
    EXPECT_EQ(huge->result, 0);
    EXPECT_EQ(huge->rec.entries.size(), 1u);
}

TEST(ParseDriver, NestingDepthsAndContainers) {
    BoxBuilder f;
    f.Leaf("ftyp", std::vector<uint8_t>(8));
    f.Open("moov").Open("trak").Leaf("free").Leaf("skip").Close().Open("udta").Close().Close();
    f.Leaf("mdat", {1, 2, 3});
    auto run = ParseBytes(f, {{BoxId::Ftyp, {.read = 8}}});
    EXPECT_EQ(run->result, 0);
    EXPECT_EQ(run->rec.entries,
              (std::vector<Seen>{{"ftyp", BoxId::Ftyp, 0, 0, 0},
                                 {"moov", BoxId::Moov, 0, 16, 1},
                                 {"trak", BoxId::Trak, 1, 24, 1},
                                 {"free", BoxId::Free, 2, 32, 0},
                                 {"skip", BoxId::Skip, 2, 40, 0},
                                 {"udta", BoxId::Udta, 1, 48, 1},  // empty, yet flagged
                                 {"mdat", BoxId::Mdat, 0, 56, 0}}));
    EXPECT_EQ(run->rec.listed,
              (std::vector<std::string>{"ftyp", "moov", "trak", "free", "skip", "udta", "mdat"}));
    EXPECT_EQ(run->rec.parsed, run->rec.listed);

    // The file ends inside 'moov': result 3, no box reported, the closing line still written.
    auto truncated = ParseBytes(BoxBuilder().Open("moov").Leaf("free").CloseWithSize(100));
    EXPECT_EQ(truncated->result, 3);
    EXPECT_EQ(truncated->rec.listCount, -1);
    EXPECT_TRUE(truncated->log.ends_with(Closing(0, 0)));

    // A child larger than what its container has left never closes the container.
    BoxBuilder oversized;
    oversized.Open("moov").Open("trak").Leaf("free").CloseWithSize(40).Close();
    EXPECT_EQ(ParseBytes(oversized.Leaf("free", std::vector<uint8_t>(40)))->result, 3);

    // Deep nesting costs memory by depth, not recursion.
    BoxBuilder deep;
    for (int i = 0; i < 20000; ++i)
        deep.Open("moov");
    deep.Leaf("free");
    for (int i = 0; i < 20000; ++i)
        deep.Close();
    auto d = ParseBytes(deep);
    EXPECT_EQ(d->result, 0);
    EXPECT_EQ(std::get<2>(d->rec.entries.back()), 20000);
}

TEST(ParseDriver, ParentEntryModeCountsDirectChildren) {
    // An 'stsd' announcing two entries, forced to the audio entry id; the first has a child.
    Rules rules = {
        {BoxId::Stsd,
         {.descend = 1, .parentMode = true, .entries = 2, .forcedId = BoxId::AudioSampleEntry}},
        {BoxId::AudioSampleEntry, {.descend = 1}}};
    BoxBuilder f;
    f.Open("stsd").U32(2).Open("mp4a").Leaf("esds").Close().Leaf("abcd").Close().Leaf("free");
    auto run = ParseBytes(f, rules);
    EXPECT_EQ(run->result, 0);
    EXPECT_EQ(run->rec.entries,
              (std::vector<Seen>{{"stsd", BoxId::Stsd, 0, 0, 0},
                                 {"mp4a", BoxId::AudioSampleEntry, 1, 12, 0},
                                 {"esds", BoxId::Esds, 2, 20, 0},  // not an entry: its own id
                                 {"abcd", BoxId::AudioSampleEntry, 1, 28, 0},
                                 {"free", BoxId::Free, 0, 36, 0}}));
    // Entries are owned by their parent, which joins the list after its last entry.
    EXPECT_EQ(run->rec.listed, (std::vector<std::string>{"esds", "stsd", "free"}));
    EXPECT_EQ(run->rec.adopted, 2);

    // Three announced, one held: the mode ends when the parse leaves the parent.
    rules[BoxId::Stsd].entries = 3;
    auto few = ParseBytes(
        BoxBuilder().Open("moov").Open("stsd").U32(3).Leaf("abcd").Close().Leaf("free").Close(),
        rules);
    EXPECT_EQ(few->result, 0);
    EXPECT_EQ(std::get<1>(few->rec.entries[3]), BoxId::Free);
    EXPECT_EQ(few->rec.adopted, 1);
    EXPECT_EQ(few->rec.listed, (std::vector<std::string>{"moov", "stsd", "free"}));

    // None announced: the parent joins the list at once and the next box keeps its own id.
    rules[BoxId::Stsd].entries = 0;
    auto none = ParseBytes(BoxBuilder().Open("stsd").U32(0).Close().Leaf("abcd"), rules);
    EXPECT_EQ(std::get<1>(none->rec.entries[1]), BoxId::Unknown);
    EXPECT_EQ(none->rec.listed, (std::vector<std::string>{"stsd", "abcd"}));

    // The file ends in entry mode at top level: a normal end, and the parent is still listed.
    rules[BoxId::Stsd].entries = 5;
    auto open = ParseBytes(BoxBuilder().Open("stsd").U32(5).Leaf("abcd").Close(), rules);
    EXPECT_EQ(open->result, 0);
    EXPECT_EQ(open->rec.listed, (std::vector<std::string>{"stsd"}));
}

TEST(ParseDriver, FailuresFreeEverythingAndReportTheirCode) {
    // A read that fails after its record was allocated, in entry mode inside a container:
    // result 3, and the sanitizer build proves nothing leaked.
    BoxBuilder f;
    f.Open("moov").Open("stsd").U32(1).Leaf("mvhd").Close().Close();
    auto inside = ParseBytes(
        f,
        {{BoxId::Stsd, {.descend = 1, .parentMode = true, .entries = 1, .forcedId = BoxId::Mvhd}},
         {BoxId::Mvhd, {.failAfterAlloc = true}}});
    EXPECT_EQ(inside->result, 3);

    // Not open: result 1, the closing banner only, and the counters unbound afterwards.
    Recorder rec;
    CStringLogWriter log;
    CISOFileFormatParser closed(&rec, &log);
    EXPECT_EQ(closed.Parse(), 1);
    EXPECT_EQ(log.GetText(), Closing(0, 0));
    EXPECT_EQ(log.GetErrorCount(), -1);

    // No callback processor: result 5 and nothing written.
    CStringLogWriter quiet;
    CISOFileFormatParser orphan(nullptr, &quiet);
    EXPECT_EQ(orphan.Parse(), 5);
    EXPECT_EQ(quiet.GetText(), "");
    EXPECT_STREQ(GetParseResultMessage(3),
                 "error occured in parsing. check if the file is corrupted.");

    // Parsing twice gives the same log.
    CISOFileFormatParser twice(&rec, &log);
    ASSERT_EQ(
        twice.Open(
            BoxBuilder().Open("moov").Leaf("free").Close().WriteTempFile("twice.mp4").c_str()),
        1);
    log.Clear();
    EXPECT_EQ(twice.Parse(), 0);
    const std::string first = log.GetText();
    EXPECT_EQ(twice.Parse(), 0);
    EXPECT_EQ(log.GetText(), first + first);
}
