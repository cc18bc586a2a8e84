#include "parsing/ISOFileFormatParser.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "model/BoxCatalogue.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

namespace {
const std::string kBanner = "\r\n---------- started parsing ----------\r\n";
std::string Closing(int warnings, int errors) {
    return "\r\n\r\n---------- parsing done (warnings : " + std::to_string(warnings) +
           ", errors : " + std::to_string(errors) + ") ----------\r\n";
}
}  // namespace

TEST(ParseDriver, LogsOfEveryHeaderForm) {
    const ParseOutcome empty = ParseRecords(BoxBuilder());
    EXPECT_EQ(empty.result, 0);
    EXPECT_EQ(empty.log, kBanner + "processing offset : 0x00000000" + Closing(0, 0));
    EXPECT_TRUE(empty.entries.empty());

    BoxBuilder f;
    f.Leaf("free", std::vector<uint8_t>(12));             // nobody claims it: passed silently
    f.Open("skip", /*largeSize=*/true).Zeros(8).Close();  // 64-bit size 24, header 16
    f.U32(16).FourCC("").Zeros(8);                        // empty type: an error, then skipped
    f.U32(0).FourCC("free").Zeros(5);                     // size 0: to the end of the file
    const ParseOutcome run = ParseRecords(f);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.log,
              kBanner + "processing offset : 0x00000000, box name : free\r\n" +
                  "processing offset : 0x00000014, box name : skip\r\n" +
                  "processing offset : 0x0000002C" +
                  "\r\n\r\nERROR :\r\nskipped an abnormal empty box : 16 byte(s)\r\nthis should "
                  "be corrected or may cause problems to other applications.\r\nyou can fix this "
                  "problem by changing the box into 'SKIP' box.\r\n\r\n" +
                  "processing offset : 0x0000003C, box name : free\r\n" +
                  "processing offset : 0x00000049" + Closing(0, 1));
    EXPECT_EQ(run.entries, (std::vector<RecordedBox>{{"free", BoxId::Free, 0, 0, 0},
                                                     {"skip", BoxId::Skip, 0, 20, 0},
                                                     {std::string(4, '\0'), BoxId::Empty, 0, 44, 0},
                                                     {"free", BoxId::Free, 0, 60, 0}}));
}

TEST(ParseDriver, OffsetCorrectionAndSizeErrors) {
    // 'smhd' reads 8 bytes of its 18: the rest is passed with a warning, the next box found.
    const ParseOutcome shortRead =
        ParseRecords(BoxBuilder().Leaf("smhd", std::vector<uint8_t>(18)).Leaf("free"));
    EXPECT_EQ(shortRead.result, 0);
    EXPECT_EQ(shortRead.log,
              kBanner + "processing offset : 0x00000000, box name : smhd\r\n" +
                  "\r\n\r\nWARNING :\r\nthe processed length of the box is less than the length "
                  "specified in the size field of box.\r\nthe box may be the unsupported or "
                  "partially supported one by the current version of 'Orvex'.\r\nthe left length "
                  "will be passed by the automatic offset correction feature.\r\npassed length : "
                  "10 bytes.\r\n\r\nprocessing offset : 0x0000001A, box name : free\r\n"
                  "processing offset : 0x00000022" +
                  Closing(1, 0));

    // ...and reads 4 bytes beyond a 4-byte payload: the parse ends with result 3, nothing built.
    const ParseOutcome longRead =
        ParseRecords(BoxBuilder().Leaf("smhd", std::vector<uint8_t>(4)).Leaf("free"));
    EXPECT_EQ(longRead.result, 3);
    EXPECT_NE(longRead.log.find("\r\n\r\nERROR :\r\nthe processed length of the box is greater "
                                "than the length specified in the size field of box.\r\nthe size "
                                "filed may have a wrong value.\r\n\r\nspecified box size : 12 "
                                "bytes, processed box size : 16\r\n\r\n"
                                "\r\n\r\nERROR :\r\nerror occured in parsing\r\n\r\n"),
              std::string::npos)
        << longRead.log;
    EXPECT_TRUE(longRead.entries.empty());

    // A size smaller than its own header.
    const ParseOutcome tiny = ParseRecords(BoxBuilder().U32(4).FourCC("free").Zeros(8));
    EXPECT_EQ(tiny.result, 3);
    EXPECT_NE(tiny.log.find("specified box size : 4 bytes, processed box size : 8"),
              std::string::npos);
    // A 64-bit size of 2^64-1 at top level: passed, and the file ends normally.
    EXPECT_EQ(ParseRecords(BoxBuilder().U32(1).FourCC("free").U64(~0ull).Zeros(4)).result, 0);
}

TEST(ParseDriver, NestingDepthsAndContainers) {
    BoxBuilder f;
    f.Leaf("ftyp", std::vector<uint8_t>(8));
    f.Open("moov").Open("trak").Leaf("free").Leaf("skip").Close().Open("udta").Close().Close();
    f.Leaf("mdat", {1, 2, 3});
    const ParseOutcome run = ParseRecords(f);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.entries, (std::vector<RecordedBox>{{"ftyp", BoxId::Ftyp, 0, 0, 0},
                                                     {"moov", BoxId::Moov, 0, 16, 1},
                                                     {"trak", BoxId::Trak, 1, 24, 1},
                                                     {"free", BoxId::Free, 2, 32, 0},
                                                     {"skip", BoxId::Skip, 2, 40, 0},
                                                     {"udta", BoxId::Udta, 1, 48, 1},  // empty
                                                     {"mdat", BoxId::Mdat, 0, 56, 0}}));
    EXPECT_EQ(run.listed, run.parsed);

    // The file ends in 'moov', or in one that a child too large for it kept open: result 3.
    BoxBuilder cut, over;
    cut.Open("moov").Leaf("free").CloseWithSize(100);
    over.Open("moov").Open("free").Zeros(8).Close().CloseWithSize(16).Leaf("skip");
    for (const ParseOutcome& truncated : {ParseRecords(cut), ParseRecords(over)}) {
        EXPECT_EQ(truncated.result, 3);
        EXPECT_TRUE(truncated.entries.empty());
        EXPECT_TRUE(truncated.log.ends_with(Closing(0, 0)));
    }

    // Deep nesting costs memory by depth, not recursion.
    BoxBuilder deep;
    for (int i = 0; i < 20000; ++i)
        deep.Open("moov");
    deep.Leaf("free");
    for (int i = 0; i < 20000; ++i)
        deep.Close();
    const ParseOutcome d = ParseRecords(deep);
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(std::get<2>(d.entries.back()), 20000);
}

TEST(ParseDriver, ParentEntryModeCountsDirectChildren) {
    // A sound track's 'stsd' of two entries, both read as audio entries; 'free' is the first
    // entry's child, not an entry, and keeps its own id.
    BoxBuilder f;
    OpenAudioEntry(OpenTrackEntries(f, "soun", 2), "mp4a").Leaf("free").Close();
    OpenAudioEntry(f, "abcd").Close().Close().Leaf("free");
    const ParseOutcome run = ParseRecords(f);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.entries, (std::vector<RecordedBox>{{"hdlr", BoxId::Hdlr, 0, 0, 0},
                                                     {"stsd", BoxId::Stsd, 0, 33, 0},
                                                     {"mp4a", BoxId::Mp4a, 1, 49, 0},
                                                     {"free", BoxId::Free, 2, 85, 0},
                                                     {"abcd", BoxId::AudioSampleEntry, 1, 93, 0},
                                                     {"free", BoxId::Free, 0, 129, 0}}));
    // Entries are owned by their parent, which joins the list after its last entry.
    EXPECT_EQ(run.listed, (std::vector<std::string>{"hdlr", "free", "stsd", "free"}));

    // Three announced, one held: the mode ends when the parse leaves the parent.
    BoxBuilder few;
    OpenAudioEntry(OpenTrackEntries(few.Open("moov"), "soun", 3), "abcd").Close().Close();
    ParseOutcome r = ParseRecords(few.Leaf("free").Close());
    EXPECT_EQ(r.listed, (std::vector<std::string>{"moov", "hdlr", "stsd", "free"}));
    EXPECT_EQ(std::get<1>(r.entries.back()), BoxId::Free);

    // None announced: the parent joins the list at once and the next box keeps its own id.
    BoxBuilder none;
    OpenTrackEntries(none, "soun", 0).Close().Leaf("abcd");
    r = ParseRecords(none);
    EXPECT_EQ(r.listed, (std::vector<std::string>{"hdlr", "stsd", "abcd"}));
    EXPECT_EQ(std::get<1>(r.entries.back()), BoxId::Unknown);

    // The file ends in entry mode at top level: a normal end, and the parent is still listed.
    BoxBuilder open;
    OpenAudioEntry(OpenTrackEntries(open, "soun", 5), "abcd").Close().Close();
    r = ParseRecords(open);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.listed, (std::vector<std::string>{"hdlr", "stsd"}));
}

TEST(ParseDriver, FailuresEndTheParseWithTheirCode) {
    // Not open: result 1, the closing banner only, and the counters unbound afterwards.
    struct : IParserCallbackProcessor {
        int32_t OnParseBegin() override { return 0; }
        int32_t OnBoxParsed(ISOFileFormat::Box*) override { return 0; }
        int32_t OnBoxList(size_t,
                          const std::vector<std::unique_ptr<ISOFileFormat::Box>>&) override {
            return 0;
        }
        int32_t OnBoxEntry(const BoxEntry*) override { return 0; }
        int32_t OnParseEnd() override { return 0; }
    } silent;
    CStringLogWriter log;
    CISOFileFormatParser closed(&silent, &log);
    EXPECT_EQ(closed.Parse(), 1);
    EXPECT_EQ(log.GetText(), Closing(0, 0));
    EXPECT_EQ(log.GetErrorCount(), -1);

    // No callback processor: result 5 and nothing written.
    CStringLogWriter quiet;
    CISOFileFormatParser orphan(nullptr, &quiet);
    EXPECT_EQ(orphan.Parse(), 5);
    EXPECT_EQ(quiet.GetText(), "");
}

TEST(ParseDriver, ACancelWhileTheTreeIsReportedReportsNoMore) {
    // Every box was read; the cancel comes while the records are being listed.
    struct Processor : IParserCallbackProcessor {
        CParseProgress* progress = nullptr;
        int entries = 0;
        int32_t OnParseBegin() override { return 0; }
        int32_t OnBoxParsed(ISOFileFormat::Box*) override { return 0; }
        int32_t OnBoxList(size_t,
                          const std::vector<std::unique_ptr<ISOFileFormat::Box>>&) override {
            progress->cancelRequested = true;
            return 0;
        }
        int32_t OnBoxEntry(const BoxEntry*) override { return ++entries, 0; }
        int32_t OnParseEnd() override { return ADD_FAILURE(), 0; }
    } processor;
    CParseProgress progress;
    processor.progress = &progress;
    CStringLogWriter log;
    CISOFileFormatParser parser(&processor, &log);
    parser.SetProgress(&progress);
    const std::string path = BoxBuilder().Leaf("free").Leaf("skip").WriteTempFile("cancel.mp4");
    ASSERT_TRUE(parser.Open(path.c_str()));
    EXPECT_EQ(parser.Parse(), ParseCancelled);
    EXPECT_EQ(processor.entries, 0);
    EXPECT_EQ(log.GetText(), kBanner + "processing offset : 0x00000000, box name : free\r\n" +
                                 "processing offset : 0x00000008, box name : skip\r\n" +
                                 "processing offset : 0x00000010" +
                                 "\r\nthe parse was cancelled.\r\n" + Closing(0, 0));
    EXPECT_STREQ(GetParseResultMessage(ParseCancelled), "the parse was cancelled.");
}
