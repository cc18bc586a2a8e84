#include "parsing/ISOFileFormatParser.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/BoxCatalogue.h"
#include "model/SampleEntries.h"
#include "support/BoxBuilder.h"

namespace {
// What the callbacks saw, copied out while the records were alive.
struct Seen {
    std::string type;
    int32_t id;
    int32_t depth;
    int64_t offset;
    int32_t container;
};

class Recorder : public IParserCallbackProcessor {
public:
    int32_t OnParseBegin() override { return ++begins, 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box* r) override {
        parsed.push_back(std::string(reinterpret_cast<char*>(r->type), 4));
        return 0;
    }
    int32_t OnBoxList(size_t count,
                      const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records) override {
        listCount = static_cast<int>(count);
        for (const auto& r : records) {
            listed.push_back(std::string(reinterpret_cast<char*>(r->type), 4));
            if (auto* parent = dynamic_cast<EntryParent*>(r.get())) {
                adopted = 0;
                for (const auto& e : parent->entries)
                    adopted += e != nullptr;
            }
        }
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* e) override {
        entries.push_back({std::string(reinterpret_cast<char*>(e->record->type), 4), e->record->id,
                           e->depth, e->offset, e->container});
        return 0;
    }
    int32_t OnParseEnd() override { return ++ends, 0; }

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

    int begins = 0, ends = 0, listCount = -1, adopted = -1;
    std::vector<std::string> parsed, listed;
    std::vector<Seen> entries;
};

// A handler driven by a script per catalogue id, asked before the real handlers.
class ScriptedHandler : public CBoxParsingHandlerImpl {
public:
    struct Rule {
        uint32_t read = 0;  // payload bytes to read
        int32_t descend = 0;
        bool parentMode = false;  // switch on parent-entry mode with `entries` entries
        uint32_t entries = 0;
        int32_t forcedId = -1;
        bool failAfterAlloc = false;  // allocate, then read far beyond the file
    };
    std::map<int32_t, Rule> rules;
    std::vector<int32_t> idsAsked;

    int32_t ParseBox(const uint8_t[4], int32_t id, uint64_t size, uint32_t& headerBytes,
                     BoxParseResult& result) override {
        auto it = rules.find(id);
        if (it == rules.end()) return 0;
        idsAsked.push_back(id);
        const Rule& rule = it->second;
        std::unique_ptr<ISOFileFormat::Box> record;
        if (rule.parentMode) {
            record = std::make_unique<Recorder::EntryParent>(id, size);
        } else {
            record = std::make_unique<ISOFileFormat::SampleEntry>(id, size);
        }
        if (rule.failAfterAlloc) {
            std::vector<uint8_t> sink(16);
            for (;;)
                Reader().ReadBytes(sink.data(), 16);
        }
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
};

struct Run {
    int32_t result;
    std::string log;
    Recorder rec;
    std::vector<int32_t> asked;
};

std::unique_ptr<Run> ParseBytes(const BoxBuilder& file,
                                const std::map<int32_t, ScriptedHandler::Rule>& rules = {}) {
    auto run = std::make_unique<Run>();
    CStringLogWriter log;
    CISOFileFormatParser parser(&run->rec, &log);
    auto handler = std::make_unique<ScriptedHandler>();
    handler->rules = rules;
    ScriptedHandler* h = handler.get();
    parser.AddHandler(std::move(handler));
    EXPECT_EQ(parser.Open(file.WriteTempFile("input.mp4").c_str()), 1);
    run->result = parser.Parse();
    run->asked = h->idsAsked;
    run->log = log.GetText();
    return run;
}

const char kBanner[] = "\r\n---------- started parsing ----------\r\n";
std::string Closing(int warnings, int errors) {
    return "\r\n\r\n---------- parsing done (warnings : " + std::to_string(warnings) +
           ", errors : " + std::to_string(errors) + ") ----------\r\n";
}
const char kWarningHead[] =
    "\r\n\r\nWARNING :\r\nthe processed length of the box is less than the length specified in "
    "the size field of box.\r\nthe box may be the unsupported or partially supported one by the "
    "current version of 'Orvex'.\r\nthe left length will be passed by the automatic offset "
    "correction feature.\r\npassed length : ";
}  // namespace

TEST(ParseDriver, EmptyFileAndSingleBox) {
    auto empty = ParseBytes(BoxBuilder());
    EXPECT_EQ(empty->result, 0);
    EXPECT_EQ(empty->log, std::string(kBanner) + "processing offset : 0x00000000" + Closing(0, 0));
    EXPECT_EQ(empty->rec.begins, 1);
    EXPECT_EQ(empty->rec.listCount, 0);
    EXPECT_TRUE(empty->rec.entries.empty());
    EXPECT_EQ(empty->rec.ends, 1);

    // A 'free' box of 20 bytes: nobody claims it, its payload is passed without a warning.
    auto one = ParseBytes(BoxBuilder().Leaf("free", std::vector<uint8_t>(12)));
    EXPECT_EQ(one->result, 0);
    EXPECT_EQ(one->log, std::string(kBanner) +
                            "processing offset : 0x00000000, box name : free\r\n"
                            "processing offset : 0x00000014" +
                            Closing(0, 0));
    ASSERT_EQ(one->rec.entries.size(), 1u);
    EXPECT_EQ(one->rec.entries[0].id, 53);
    EXPECT_EQ(one->rec.listed, std::vector<std::string>{"free"});
}

TEST(ParseDriver, HeaderForms) {
    BoxBuilder f;
    f.Open("skip", /*largeSize=*/true).Zeros(8).Close();  // 64-bit size 24, header 16
    f.U32(16).FourCC("").Zeros(8);                        // empty type: an error, then skipped
    f.U32(0).FourCC("free").Zeros(5);                     // size 0: to the end of the file
    auto run = ParseBytes(f);
    EXPECT_EQ(run->result, 0);
    EXPECT_EQ(run->log,
              std::string(kBanner) + "processing offset : 0x00000000, box name : skip\r\n" +
                  "processing offset : 0x00000018" +
                  "\r\n\r\nERROR :\r\nskipped an abnormal empty box : 16 byte(s)\r\nthis should "
                  "be corrected or may cause problems to other applications.\r\nyou can fix this "
                  "problem by changing the box into 'SKIP' box.\r\n\r\n" +
                  "processing offset : 0x00000028, box name : free\r\n" +
                  "processing offset : 0x00000035" + Closing(0, 1));
    ASSERT_EQ(run->rec.entries.size(), 3u);
    EXPECT_EQ(run->rec.entries[1].id, 0);
    EXPECT_EQ(run->rec.entries[1].offset, 24);
    EXPECT_EQ(run->rec.entries[2].offset, 40);
}

TEST(ParseDriver, OffsetCorrectionAndSizeErrors) {
    // 'mvhd' (id 3) read 10 bytes short: passed with a warning, the next box found at its place.
    BoxBuilder f;
    f.Leaf("mvhd", std::vector<uint8_t>(14)).Leaf("free");
    auto shortRead = ParseBytes(f, {{3, {.read = 4}}});
    EXPECT_EQ(shortRead->result, 0);
    EXPECT_NE(shortRead->log.find(std::string(kWarningHead) +
                                  "10 bytes.\r\n\r\n"
                                  "processing offset : 0x00000016, box name : free"),
              std::string::npos)
        << shortRead->log;
    EXPECT_NE(shortRead->log.find(Closing(1, 0)), std::string::npos);

    // Read 4 bytes beyond its size: an error that ends the parse with result 3, nothing built.
    auto longRead = ParseBytes(BoxBuilder().Leaf("mvhd", std::vector<uint8_t>(8)).Leaf("free"),
                               {{3, {.read = 12}}});
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
    auto run = ParseBytes(f, {{1, {.read = 8}}});
    EXPECT_EQ(run->result, 0);
    std::vector<std::tuple<std::string, int, int64_t, int>> got;
    for (const Seen& s : run->rec.entries)
        got.emplace_back(s.type, s.depth, s.offset, s.container);
    std::vector<std::tuple<std::string, int, int64_t, int>> want = {
        {"ftyp", 0, 0, 0},  {"moov", 0, 16, 1}, {"trak", 1, 24, 1}, {"free", 2, 32, 0},
        {"skip", 2, 40, 0}, {"udta", 1, 48, 1},  // an empty container is a leaf, yet flagged
        {"mdat", 0, 56, 0}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(run->rec.listed,
              (std::vector<std::string>{"ftyp", "moov", "trak", "free", "skip", "udta", "mdat"}));
    EXPECT_EQ(run->rec.parsed, run->rec.listed);
}

TEST(ParseDriver, TruncatedAndOversizedContainers) {
    // The file ends inside 'moov': result 3, no box reported.
    BoxBuilder truncated;
    truncated.Open("moov").Leaf("free").CloseWithSize(100);
    auto t = ParseBytes(truncated);
    EXPECT_EQ(t->result, 3);
    EXPECT_EQ(t->rec.listCount, -1);
    EXPECT_EQ(t->log.substr(t->log.size() - Closing(0, 0).size()), Closing(0, 0));

    // A child larger than what its container has left never closes the container.
    BoxBuilder oversized;
    oversized.Open("moov").Open("trak").Leaf("free").CloseWithSize(40).Close().Leaf(
        "free", std::vector<uint8_t>(40));
    EXPECT_EQ(ParseBytes(oversized)->result, 3);

    // Deep nesting costs memory by depth, not recursion.
    BoxBuilder deep;
    for (int i = 0; i < 20000; ++i)
        deep.Open("moov");
    deep.Leaf("free");
    for (int i = 0; i < 20000; ++i)
        deep.Close();
    auto d = ParseBytes(deep);
    EXPECT_EQ(d->result, 0);
    EXPECT_EQ(d->rec.entries.back().depth, 20000);
}

TEST(ParseDriver, ParentEntryModeCountsDirectChildren) {
    // An 'stsd' (24) announcing two entries, forced to id 60; the first entry has a child.
    BoxBuilder f;
    f.Open("stsd").U32(2);
    f.Open("mp4a").Leaf("esds").Close();  // entry 1, with a child that is not an entry
    f.Leaf("abcd");                       // entry 2
    f.Close();
    f.Leaf("free");
    std::map<int32_t, ScriptedHandler::Rule> rules = {
        {24, {.descend = 1, .parentMode = true, .entries = 2, .forcedId = 60}},
        {60, {.descend = 1}},
    };
    auto run = ParseBytes(f, rules);
    EXPECT_EQ(run->result, 0);
    ASSERT_EQ(run->rec.entries.size(), 5u);
    EXPECT_EQ(run->rec.entries[1].id, 60);   // mp4a, forced
    EXPECT_EQ(run->rec.entries[2].id, 103);  // esds keeps its own id
    EXPECT_EQ(run->rec.entries[3].id, 60);   // abcd, forced
    EXPECT_EQ(run->rec.entries[1].container, 0);
    // Entries are owned by their parent, which joins the list after its last entry.
    EXPECT_EQ(run->rec.listed, (std::vector<std::string>{"esds", "stsd", "free"}));
    EXPECT_EQ(run->rec.adopted, 2);

    // A parent announcing three entries of which the file holds one: the mode ends when the
    // parse leaves the parent, so the next box keeps its own id.
    BoxBuilder few;
    few.Open("moov").Open("stsd").U32(3).Leaf("abcd").Close().Leaf("free").Close();
    rules[24].entries = 3;
    auto r2 = ParseBytes(few, rules);
    EXPECT_EQ(r2->result, 0);
    ASSERT_EQ(r2->rec.entries.size(), 4u);
    EXPECT_EQ(r2->rec.entries[2].id, 60);
    EXPECT_EQ(r2->rec.entries[3].id, 53);
    EXPECT_EQ(r2->rec.adopted, 1);
    EXPECT_EQ(r2->rec.listed, (std::vector<std::string>{"moov", "stsd", "free"}));

    // Zero entries: the parent joins the list at once.
    BoxBuilder none;
    none.Open("stsd").U32(0).Close().Leaf("abcd");
    rules[24].entries = 0;
    auto r3 = ParseBytes(none, rules);
    EXPECT_EQ(r3->rec.entries.size(), 2u);
    EXPECT_EQ(r3->rec.entries[1].id, -1);
    EXPECT_EQ(r3->rec.listed, (std::vector<std::string>{"stsd", "abcd"}));

    // The file ends in entry mode at top level: a normal end, and the parent is still listed.
    BoxBuilder open;
    open.Open("stsd").U32(5).Leaf("abcd").Close();
    rules[24].entries = 5;
    auto r4 = ParseBytes(open, rules);
    EXPECT_EQ(r4->result, 0);
    EXPECT_EQ(r4->rec.listed, (std::vector<std::string>{"stsd"}));
}

TEST(ParseDriver, FailuresFreeEverythingAndReportTheirCode) {
    // A handler whose read fails after it allocated its record, inside a container: result 3,
    // and the sanitizer build proves nothing leaked, parent-entry record included.
    BoxBuilder f;
    f.Open("moov").Open("stsd").U32(1).Leaf("mvhd").Close().Close();
    auto inside =
        ParseBytes(f, {{24, {.descend = 1, .parentMode = true, .entries = 1, .forcedId = 3}},
                       {3, {.failAfterAlloc = true}}});
    EXPECT_EQ(inside->result, 3);

    // Not open: result 1, the closing banner only.
    Recorder rec;
    CStringLogWriter log;
    CISOFileFormatParser closed(&rec, &log);
    EXPECT_EQ(closed.Parse(), 1);
    EXPECT_EQ(log.GetText(), Closing(0, 0));
    EXPECT_EQ(log.GetErrorCount(), -1);  // counters are unbound once the parse is over

    // No callback processor: result 5 and nothing written.
    CStringLogWriter quiet;
    CISOFileFormatParser orphan(nullptr, &quiet);
    EXPECT_EQ(orphan.Parse(), 5);
    EXPECT_EQ(quiet.GetText(), "");

    EXPECT_STREQ(GetParseResultMessage(3),
                 "error occured in parsing. check if the file is corrupted.");
    EXPECT_STREQ(GetParseResultMessage(5), "");
}

TEST(ParseDriver, ParsingTwiceGivesTheSameResult) {
    BoxBuilder f;
    f.Open("moov").Leaf("free").Close();
    Recorder rec;
    CStringLogWriter log;
    CISOFileFormatParser parser(&rec, &log);
    ASSERT_EQ(parser.Open(f.WriteTempFile("twice.mp4").c_str()), 1);
    EXPECT_EQ(parser.Parse(), 0);
    std::string first = log.GetText();
    EXPECT_EQ(parser.Parse(), 0);
    EXPECT_EQ(log.GetText(), first + first);
    EXPECT_EQ(rec.entries.size(), 4u);
}
