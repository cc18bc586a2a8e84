#include "document/ConformanceTester.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/ConformanceViewBox.h"
#include "document/TrackInfoCollector.h"
#include "model/ISOBoxes.h"
#include "model/SampleEntries.h"
#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/LogWriter.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "presentation/FixedMetricSurface.h"
#include "support/BoxBuilder.h"

using ISOFileFormat::Box;
using Records = std::vector<std::unique_ptr<Box>>;

namespace {

// Catalogue ids used in the crafted record lists.
enum : int32_t {
    ftyp = 1,
    moov = 2,
    mvhd = 3,
    trak = 4,
    tkhd = 5,
    tref = 6,
    edts = 9,
    elst = 10,
    mdia = 11,
    mdhd = 12,
    hdlr = 13,
    minf = 14,
    vmhd = 15,
    dinf = 19,
    dref = 20,
    stbl = 23,
    stsd = 24,
    stts = 25,
    stsc = 27,
    stsz = 28,
    stz2 = 29,
    stco = 30,
    stss = 32,
    mdat = 52,
    free_ = 53,
};

void CopyBrand(uint8_t (&to)[4], const char* brand) {
    std::memcpy(to, brand, 4);
}

std::unique_ptr<Box> Ftyp(const char* major, uint32_t minor,
                          std::initializer_list<const char*> compatible) {
    auto box = std::make_unique<ISOFileFormat::FileTypeBox>(16 + 4 * compatible.size());
    CopyBrand(box->major_brand, major);
    box->minor_version = minor;
    for (const char* brand : compatible) {
        std::array<uint8_t, 4> bytes{};
        std::memcpy(bytes.data(), brand, 4);
        box->compatible_brands.push_back(bytes);
    }
    box->brand_count = static_cast<uint32_t>(compatible.size());
    return box;
}

// A record list as the driver hands it over: an optional 'ftyp' record first, then plain
// records of the given ids.
Records List(std::unique_ptr<Box> first, std::initializer_list<int32_t> ids) {
    Records records;
    if (first) records.push_back(std::move(first));
    for (int32_t id : ids)
        records.push_back(std::make_unique<Box>(id, 8));
    return records;
}

// The boxes of one well-ordered track, from 'trak' to 'stco'.
const std::initializer_list<int32_t> kTrack = {trak, tkhd, mdia, mdhd, hdlr, minf, vmhd, dinf,
                                               dref, stbl, stsd, stts, stsc, stsz, stco};

// Feeds a collector the way the document does, keeping the records alive.
class Facts {
public:
    // One track of `kind` whose only chunk holds `chunkBytes` (two samples of half the size,
    // sized by one 'stsz' value for all, so that chunks beyond 4 GiB cost nothing).
    Facts& Track(int32_t kind, uint64_t chunkBytes = 0) {
        Note(std::make_unique<Box>(trak, 8));
        auto handler = std::make_unique<ISOFileFormat::HandlerRererenceBox>(33);
        handler->handlerKind = kind;
        Note(std::move(handler));
        auto stscBox = std::make_unique<ISOFileFormat::SampleToChunkBox>(28);
        stscBox->entries.push_back({1, 2, 1});
        stscBox->entry_count = 1;
        Note(std::move(stscBox));
        auto stszBox = std::make_unique<ISOFileFormat::SampleSizeBox>(20);
        stszBox->sample_size = static_cast<uint32_t>(chunkBytes / 2);
        stszBox->sample_count = 2;
        Note(std::move(stszBox));
        auto stcoBox = std::make_unique<ISOFileFormat::ChunkOffsetBox>(20);
        stcoBox->chunk_offset.push_back(1000);
        stcoBox->entry_count = 1;
        Note(std::move(stcoBox));
        return *this;
    }
    Facts& Video(int32_t entryId, uint16_t width, uint16_t height) {
        auto entry = std::make_unique<ISOFileFormat::VisualSampleEntry>(entryId, 86);
        entry->width = width;
        entry->height = height;
        Note(std::move(entry));
        return *this;
    }
    Facts& Audio(int32_t entryId) {
        Note(std::make_unique<ISOFileFormat::AudioSampleEntry>(entryId, 36));
        return *this;
    }
    const CTrackInfoCollector& Done() {
        collector.FinishTrack();
        return collector;
    }

    CTrackInfoCollector collector;

private:
    void Note(std::unique_ptr<Box> record) {
        if (record->id >= 101 && record->id <= 114)
            collector.NoteCodecBox(record.get());
        else
            collector.NoteBox(record->id, record.get());
        m_records.push_back(std::move(record));
    }
    Records m_records;
};

constexpr int32_t kVideo = 1, kSound = 2, kText = 4;
constexpr int32_t kMP4Visual = 101, kMP4Audio = 102, kAMR = 104, kAVC = 112;

// Every test the brand's sequence runs: rule -> result, in a map; -2 alone when none.
std::map<int32_t, int32_t> Outcomes(CConformanceTester& tester, int32_t brand) {
    std::map<int32_t, int32_t> outcomes;
    tester.ResetStep();
    int32_t rule = -1, result = -1, r;
    while ((r = tester.RunNextTest(brand, rule, result)) == 0)
        outcomes[rule] = result;
    if (r == -2) outcomes[-2] = 1;
    return outcomes;
}

// The rules of the brand's sequence in the order they run.
std::vector<int32_t> Sequence(CConformanceTester& tester, int32_t brand) {
    std::vector<int32_t> rules;
    tester.ResetStep();
    int32_t rule = -1, result = -1;
    while (tester.RunNextTest(brand, rule, result) == 0)
        rules.push_back(rule);
    return rules;
}

int32_t Outcome(const Records& records, const CTrackInfoCollector& collector, int32_t brand,
                int32_t rule) {
    CConformanceTester tester(records, collector);
    const auto outcomes = Outcomes(tester, brand);
    const auto it = outcomes.find(rule);
    return it == outcomes.end() ? -1 : it->second;
}

}  // namespace

TEST(ConformanceTester, ResolvesMajorAndCompatibleBrands) {
    CTrackInfoCollector none;
    {
        const Records records = List(Ftyp("isom", 0, {"isom", "iso2", "mp41"}), {moov});
        CConformanceTester tester(records, none);
        EXPECT_EQ(tester.GetMajorBrand(), BrandRow::Isom);
        // The first compatible brand repeats the major brand: one block for it is enough.
        EXPECT_EQ(tester.GetCompatibleBrands(), (std::vector<int32_t>{2, 14}));
    }
    {
        // Case of ASCII letters does not matter, for the major brand and for the repeat.
        const Records records = List(Ftyp("MMP4", 1, {"mmp4", "3GP5", "3gp5", "mmp4"}), {});
        CConformanceTester tester(records, none);
        EXPECT_EQ(tester.GetMajorBrand(), BrandRow::MobileMP4);
        EXPECT_EQ(tester.GetMinorVersion(), 1u);
        // A brand listed twice is tested twice; so is the major brand listed again later.
        EXPECT_EQ(tester.GetCompatibleBrands(), (std::vector<int32_t>{5, 5, 19}));
    }
    {
        // A first compatible brand whose row lies after the major brand's row is a brand like
        // any other: it stays.
        const Records records = List(Ftyp("isom", 0, {"mp41", "isom"}), {});
        CConformanceTester tester(records, none);
        EXPECT_EQ(tester.GetCompatibleBrands(), (std::vector<int32_t>{14, 1}));
    }
    {
        // Unknown brands: the major one is the unknown row, compatible ones are dropped; a
        // zero-padded "qt" is not "qt  ".
        const Records records = List(Ftyp("abcd", 0, {"zzzz", "qt  ", "qt\0\0", "3gr6"}), {});
        CConformanceTester tester(records, none);
        EXPECT_EQ(tester.GetMajorBrand(), BrandRow::Unknown);
        EXPECT_EQ(tester.GetCompatibleBrands(), (std::vector<int32_t>{17, 9}));
    }
    {
        // No 'ftyp' at all, or only a later one that is not first: brands come from the first.
        const Records noFtyp = List(nullptr, {moov, mvhd});
        CConformanceTester tester(noFtyp, none);
        EXPECT_EQ(tester.GetMajorBrand(), BrandRow::Unknown);
        EXPECT_TRUE(tester.GetCompatibleBrands().empty());

        Records two = List(Ftyp("3gp4", 0, {}), {moov});
        two.push_back(Ftyp("mmp4", 1, {"isom"}));
        CConformanceTester first(two, none);
        EXPECT_EQ(first.GetMajorBrand(), BrandRow::Release4);
        EXPECT_TRUE(first.GetCompatibleBrands().empty());
    }

    // The minor version picks the download variants of a major brand, never of a compatible
    // one.
    const struct {
        const char* major;
        uint32_t minor;
        int32_t row;
    } variants[] = {
        {"3gp5", 0x100, BrandRow::Release5Download},
        {"3gp5", 0x200, BrandRow::Release5},
        {"3gp4", 0x300, BrandRow::Release4Download},
        {"3gp4", 0x100, BrandRow::Release4},
        {"3gp6", 0x400, BrandRow::BasicProfileDownload},
        {"3gp6", 0x300, BrandRow::BasicProfile},
        {"mmp4", 0x100, BrandRow::MobileMP4},
    };
    for (const auto& v : variants) {
        const Records records = List(Ftyp(v.major, v.minor, {"isom", "3gp5"}), {});
        CConformanceTester tester(records, none);
        EXPECT_EQ(tester.GetMajorBrand(), v.row) << v.major << " " << v.minor;
        EXPECT_EQ(tester.GetCompatibleBrands(), (std::vector<int32_t>{BrandRow::Isom, 5}))
            << v.major;
    }
    EXPECT_EQ(CConformanceTester::GetBrandText(BrandRow::Release5Download), "3gp5");
    EXPECT_EQ(CConformanceTester::GetBrandDescription(BrandRow::Release5Download),
              "3GP Release 5 for NTT DoCoMo Download (with Text Track)");
    const uint8_t lookup[4] = {'3', 'g', 'p', '6'};
    EXPECT_EQ(CConformanceTester::FindBrand(lookup), BrandRow::BasicProfile);
}

TEST(ConformanceTester, MatchesThePatternKinds) {
    CTrackInfoCollector none;
    const Records records = List(nullptr, {trak, tkhd, trak, tkhd, trak, trak, tkhd, edts, mdia,
                                           edts, edts, mdia, mdia, edts, trak});
    CConformanceTester tester(records, none);
    const int32_t trackHeader[] = {trak, tkhd};
    const int32_t editThenMedia[] = {edts, mdia};
    const int32_t mediaThenEdit[] = {mdia, edts};
    const int32_t trackOnly[] = {trak};
    const int32_t missing[] = {moov};
    tester.AddPattern(PatternKind::AdjacentSequence, trackHeader);
    tester.AddPattern(PatternKind::OrderedSequence, editThenMedia);
    tester.AddPattern(PatternKind::OrderedSequence, mediaThenEdit);
    tester.AddPattern(PatternKind::OrderedSequence, trackOnly);
    tester.AddPattern(PatternKind::FirstBox, trackOnly);
    tester.AddPattern(PatternKind::FirstBox, missing);
    tester.AddPattern(PatternKind::AdjacentSequence, {});
    tester.MatchPatterns();
    // Runs right after one another, and one that starts at the record that broke a try,
    // count; the try cut off by the end of the list does not.
    EXPECT_EQ(tester.GetResult(0), 3);
    // edts mdia, then edts edts mdia (a repeat of the awaited id is harmless), then the second
    // 'mdia' while 'edts' is awaited ends the walk.
    EXPECT_EQ(tester.GetResult(1), 2);
    // The first 'edts' comes while 'mdia' is awaited.
    EXPECT_EQ(tester.GetResult(2), 0);
    EXPECT_EQ(tester.GetResult(3), 5);
    EXPECT_EQ(tester.GetResult(4), 1);
    EXPECT_EQ(tester.GetResult(5), 0);
    EXPECT_EQ(tester.GetResult(6), 0);
    EXPECT_EQ(tester.GetResult(7), 0);

    // Each run starts from an empty pattern list.
    tester.MatchPatterns();
    EXPECT_EQ(tester.GetResult(0), 0);

    const Records empty;
    CConformanceTester onEmpty(empty, none);
    onEmpty.AddPattern(PatternKind::FirstBox, trackOnly);
    onEmpty.AddPattern(PatternKind::AdjacentSequence, trackHeader);
    onEmpty.MatchPatterns();
    EXPECT_EQ(onEmpty.GetResult(0), 0);
    EXPECT_EQ(onEmpty.GetResult(1), 0);
}

TEST(ConformanceTester, IsoBaseMediaRules) {
    Facts oneTrack;
    const CTrackInfoCollector& one = oneTrack.Track(kVideo).Done();

    Records good = List(Ftyp("isom", 0, {}), {moov, mvhd});
    for (int32_t id : kTrack)
        good.push_back(std::make_unique<Box>(id, 8));
    good.push_back(std::make_unique<Box>(mdat, 8));
    {
        CConformanceTester tester(good, one);
        for (int32_t brand : {BrandRow::Isom, BrandRow::Avc1}) {
            tester.ResetStep();
            int32_t rule = 0, result = 0;
            for (int32_t expected : {1, 2, 4, 5, 6, 7}) {
                ASSERT_EQ(tester.RunNextTest(brand, rule, result), 0);
                EXPECT_EQ(rule, expected);
                EXPECT_EQ(result, 1) << "rule " << rule;
            }
            EXPECT_EQ(tester.RunNextTest(brand, rule, result), -1);
            // The step starts over by itself after the end.
            ASSERT_EQ(tester.RunNextTest(brand, rule, result), 0);
            EXPECT_EQ(rule, 1);
        }
        EXPECT_EQ(Outcomes(tester, BrandRow::Unknown), (std::map<int32_t, int32_t>{{-2, 1}}));
    }

    const auto with = [](std::initializer_list<int32_t> ids) { return List(nullptr, ids); };
    // Rule 1: 'moov' before 'ftyp'.
    EXPECT_EQ(Outcome(with({moov, mvhd}), one, BrandRow::Isom, 1), 0);
    EXPECT_EQ(Outcome(with({free_, moov, mvhd}), one, BrandRow::Isom, 1), 1);
    // Rule 2: a header box not first in its container, or fewer track headers than tracks.
    EXPECT_EQ(Outcome(with({moov, mvhd, trak, tkhd, mdia, mdhd}), one, BrandRow::Isom, 2), 1);
    EXPECT_EQ(Outcome(with({moov, trak, mvhd, tkhd, mdia, mdhd}), one, BrandRow::Isom, 2), 0);
    EXPECT_EQ(Outcome(with({moov, mvhd, trak, edts, tkhd, mdia, mdhd}), one, BrandRow::Isom, 2), 0);
    EXPECT_EQ(Outcome(with({moov, mvhd, trak, tkhd, mdia, hdlr, mdhd}), one, BrandRow::Isom, 2), 0);
    Facts twoTracks;
    const CTrackInfoCollector& two = twoTracks.Track(kVideo).Track(kSound).Done();
    EXPECT_EQ(Outcome(with({moov, mvhd, trak, tkhd, mdia, mdhd}), two, BrandRow::Isom, 2), 0);
    // Rule 4: one run per 'stsz'; without any 'stsz', the four other tables in a row.
    EXPECT_EQ(Outcome(with({stsd, stts, stsc, stsz, stco, stsd, stts, stsc, stsz, stco}), one,
                      BrandRow::Isom, 4),
              1);
    EXPECT_EQ(Outcome(with({stsd, stts, stsc, stsz, stco, stsd, stts, stss, stsc, stsz, stco}), one,
                      BrandRow::Isom, 4),
              0);
    EXPECT_EQ(Outcome(with({stsd, stts, stsc, stco}), one, BrandRow::Isom, 4), 1);
    EXPECT_EQ(Outcome(with({stsd, stts, stsc, stz2, stco}), one, BrandRow::Isom, 4), 0);
    // Rule 5: 'edts' and 'tref' before 'mdia'. In a file where only the second track has an
    // edit list, the first 'mdia' comes while an 'edts' is awaited.
    EXPECT_EQ(Outcome(with({trak, tkhd, mdia}), one, BrandRow::Isom, 5), 1);
    EXPECT_EQ(Outcome(with({trak, tkhd, edts, elst, tref, mdia}), one, BrandRow::Isom, 5), 1);
    EXPECT_EQ(Outcome(with({trak, tkhd, mdia, edts}), one, BrandRow::Isom, 5), 0);
    EXPECT_EQ(Outcome(with({trak, tkhd, mdia, tref}), one, BrandRow::Isom, 5), 0);
    EXPECT_EQ(Outcome(with({trak, tkhd, mdia, trak, tkhd, edts, mdia}), two, BrandRow::Isom, 5), 0);
    EXPECT_EQ(Outcome(with({trak, edts, tref, mdia, trak, edts, mdia}), two, BrandRow::Isom, 5), 1);
    // Rules 6 and 7.
    EXPECT_EQ(Outcome(with({mdia, minf, hdlr}), one, BrandRow::Isom, 6), 0);
    EXPECT_EQ(Outcome(with({mdia}), one, BrandRow::Isom, 6), 0);
    EXPECT_EQ(Outcome(with({minf, stbl, dinf}), one, BrandRow::Isom, 7), 0);
    EXPECT_EQ(Outcome(with({minf, dinf, dref, stbl}), one, BrandRow::Avc1, 7), 1);
}

TEST(ConformanceTester, ThreeGppRules) {
    const Records plain = List(Ftyp("3gp4", 0, {}), {moov, mvhd, mdat});
    Facts noText;
    const CTrackInfoCollector& av = noText.Track(kVideo).Track(kSound).Done();
    Facts text;
    const CTrackInfoCollector& withText = text.Track(kVideo).Track(kText).Done();
    {
        CConformanceTester tester(plain, av);
        EXPECT_EQ(Outcomes(tester, BrandRow::Release4), (std::map<int32_t, int32_t>{{11, 1}}));
        EXPECT_EQ(Sequence(tester, BrandRow::Release4Download), (std::vector<int32_t>{11, 20, 22}));
        EXPECT_EQ(Outcomes(tester, BrandRow::Release5Download),
                  (std::map<int32_t, int32_t>{{20, 1}, {22, 1}}));
        EXPECT_EQ(Outcomes(tester, BrandRow::Release5), (std::map<int32_t, int32_t>{{-2, 1}}));
        EXPECT_EQ(Sequence(tester, BrandRow::BasicProfileDownload),
                  (std::vector<int32_t>{12, 20, 22}));
    }
    EXPECT_EQ(Outcome(plain, withText, BrandRow::Release4, 11), 0);

    // Rule 12: 'stz2' only for codecs outside the list.
    const Records compact = List(Ftyp("3gp6", 0, {}), {stsd, stts, stsc, stz2, stco});
    Facts h264;
    h264.Track(kVideo).Video(kAVC, 176, 144);
    EXPECT_EQ(Outcome(compact, h264.Done(), BrandRow::BasicProfile, 12), 1);
    Facts h264Amr;
    h264Amr.Track(kVideo).Video(kAVC, 176, 144).Track(kSound).Audio(kAMR);
    EXPECT_EQ(Outcome(compact, h264Amr.Done(), BrandRow::BasicProfile, 12), 0);
    Facts mpeg4;
    mpeg4.Track(kVideo).Video(kMP4Visual, 176, 144);
    EXPECT_EQ(Outcome(compact, mpeg4.Done(), BrandRow::BasicProfile, 12), 0);
    Facts h264Text;
    h264Text.Track(kVideo).Video(kAVC, 176, 144).Track(kText);
    EXPECT_EQ(Outcome(compact, h264Text.Done(), BrandRow::BasicProfileDownload, 12), 0);
    EXPECT_EQ(Outcome(plain, h264Amr.collector, BrandRow::BasicProfile, 12), 1);

    // Rule 18: 'moov' right after 'ftyp'.
    EXPECT_EQ(Outcome(List(Ftyp("3gr6", 0, {}), {moov, mvhd, mdat}), av,
                      BrandRow::ProgressiveDownload, 18),
              1);
    EXPECT_EQ(Outcome(List(Ftyp("3gr6", 0, {}), {free_, moov, mvhd, mdat}), av,
                      BrandRow::ProgressiveDownload, 18),
              0);
}

TEST(ConformanceTester, MobileMP4Rules) {
    const Records records = List(Ftyp("mmp4", 1, {}), {moov, mvhd, mdat});
    Facts small;
    small.Track(kVideo, 20 * 1024).Video(kMP4Visual, 176, 144);
    small.Track(kSound, 2 * 1024).Audio(kAMR).Track(kText, 4 * 1024);
    {
        CConformanceTester tester(records, small.Done());
        EXPECT_EQ(
            Outcomes(tester, BrandRow::MobileMP4),
            (std::map<int32_t, int32_t>{{20, 1}, {22, 1}, {23, 1}, {24, 1}, {25, 1}, {26, 1}}));
    }

    // Rule 20: two tracks of a kind; rule 22: 'ftyp' not first.
    Facts twoVideo;
    EXPECT_EQ(
        Outcome(records, twoVideo.Track(kVideo).Track(kVideo).Done(), BrandRow::MobileMP4, 20), 0);
    Records late = List(std::make_unique<Box>(free_, 8), {});
    late.push_back(Ftyp("mmp4", 1, {}));
    EXPECT_EQ(Outcome(late, small.collector, BrandRow::MobileMP4, 22), 0);

    // Rule 23: the minor version of a major 'mmp4'; as a compatible brand it does not matter.
    EXPECT_EQ(Outcome(List(Ftyp("mmp4", 0, {}), {}), small.collector, BrandRow::MobileMP4, 23), 0);
    EXPECT_EQ(
        Outcome(List(Ftyp("3gp6", 0, {"mmp4"}), {}), small.collector, BrandRow::MobileMP4, 23), 1);

    // Rule 24: 80 kilobytes for MPEG-4 at 320 x 240, else 20.
    Facts qvga;
    qvga.Track(kVideo, 40000).Video(kMP4Visual, 320, 240);
    EXPECT_EQ(Outcome(records, qvga.Done(), BrandRow::MobileMP4, 24), 1);
    Facts qcif;
    qcif.Track(kVideo, 40000).Video(kMP4Visual, 176, 144);
    EXPECT_EQ(Outcome(records, qcif.Done(), BrandRow::MobileMP4, 24), 0);
    Facts h264Qvga;
    h264Qvga.Track(kVideo, 40000).Video(kAVC, 320, 240);
    EXPECT_EQ(Outcome(records, h264Qvga.Done(), BrandRow::MobileMP4, 24), 0);
    Facts justOver;
    justOver.Track(kVideo, 20 * 1024 + 2).Video(kMP4Visual, 176, 144);
    EXPECT_EQ(Outcome(records, justOver.Done(), BrandRow::MobileMP4, 24), 0);
    // A chunk beyond 4 GiB is far over the limit, not its low 32 bits (here 32 bytes).
    Facts huge;
    huge.Track(kVideo, (uint64_t{1} << 32) + 32).Video(kMP4Visual, 320, 240);
    ASSERT_EQ(huge.Done().GetBiggestVideoChunk(), (uint64_t{1} << 32) + 32);
    EXPECT_EQ(Outcome(records, huge.collector, BrandRow::MobileMP4, 24), 0);

    // Rule 25: 2 kilobytes for AMR, 5 for the rest.
    Facts amr;
    amr.Track(kSound, 3000).Audio(kAMR);
    EXPECT_EQ(Outcome(records, amr.Done(), BrandRow::MobileMP4, 25), 0);
    Facts aac;
    aac.Track(kSound, 3000).Audio(kMP4Audio);
    EXPECT_EQ(Outcome(records, aac.Done(), BrandRow::MobileMP4, 25), 1);
    Facts aacOver;
    aacOver.Track(kSound, 5 * 1024 + 2).Audio(kMP4Audio);
    EXPECT_EQ(Outcome(records, aacOver.Done(), BrandRow::MobileMP4, 25), 0);

    // Rule 26: 4 kilobytes of text.
    Facts bigText;
    EXPECT_EQ(Outcome(records, bigText.Track(kText, 4 * 1024 + 2).Done(), BrandRow::MobileMP4, 26),
              0);
}

TEST(ConformanceViewBox, BrandBlocksAsText) {
    Facts facts;
    const CTrackInfoCollector& collector = facts.Track(kVideo, 30000).Done();
    const Records records = List(Ftyp("mmp4", 0, {"mmp4", "iso2", "3gr6"}), {moov, mvhd, mdat});
    CFixedMetricSurface surface;
    std::vector<std::unique_ptr<CISOViewBox>> displayList;
    BuildConformanceInformation(records, collector, surface, displayList);
    ASSERT_EQ(displayList.size(), 1u);
    const auto* node = dynamic_cast<const CConformanceViewBox*>(displayList[0].get());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetDepth(), 1);
    EXPECT_TRUE(node->IsExpanded());
    EXPECT_FALSE(node->NeedsMeasure());
    EXPECT_EQ(node->GetSummaryText(), "Not an Actual Box");

    EXPECT_EQ(node->GetText(false),
              "\n| + Conformance Information"
              "\n| + mmp4 : "
              "\n| + Conforming to the specification "
              "'Mobile MP4 for NTT DoCoMo Progressive Download'"
              "\n| + Test : The maximum track number for each track (Audio, Video, Text) is one."
              "\n| + => O.K."
              "\n| + Test : FTYP should be the first ATOM for Mobile MP4."
              "\n| + => O.K."
              "\n| + Test : The minor-version of the major-brand 'mmp4' is '1'."
              "\n| + => Failure"
              "\n| + Test : The maximum chunk size for video is 20 kbytes, and 80 kbytes for "
              "MPEG-4 QVGA."
              "\n| + => Failure"
              "\n| + Test : The maximum chunk size for audio is 2 kbytes for AMR, and  5 kbytes "
              "for MPEG-4 AAC, HE_AAC, and EAAC+."
              "\n| + => O.K."
              "\n| + Test : The maximum chunk size for text is 4 kbytes."
              "\n| + => O.K."
              "\n| + iso2 : "
              "\n| + Conforming to the specification 'amended version of the ISO Base Media File'"
              "\n| + -> conformance test not available for this"
              "\n| + 3gr6 : "
              "\n| + Conforming to the specification '3GP Progressive-download profile'"
              "\n| + Test : the \xE2\x80\x98moov\xE2\x80\x99 box shall be placed right after the "
              "'ftyp' box in the beginning of the file."
              "\n| + => O.K.");

    // Title, then a header and a test layer per brand; a failure is written in red.
    const auto& layers = node->GetLayers();
    ASSERT_EQ(layers.size(), 7u);
    const auto* tests = dynamic_cast<const CISOViewBoxMultiLineLayer*>(layers[2].get());
    ASSERT_NE(tests, nullptr);
    ASSERT_EQ(tests->GetLineCount(), 12u);
    EXPECT_EQ(tests->GetLineColour(1), Rgb(0, 0, 0));
    EXPECT_EQ(tests->GetLine(5), "=> Failure");
    EXPECT_EQ(tests->GetLineColour(5), Rgb(255, 0, 0));

    // Without 'ftyp': one block of the unknown brand.
    displayList.clear();
    const Records bare = List(nullptr, {moov, mvhd});
    BuildConformanceInformation(bare, collector, surface, displayList);
    EXPECT_EQ(displayList[0]->GetText(true),
              "\n\t| + Conformance Information"
              "\n\t| + xxxx : "
              "\n\t| + Conforming to the specification 'Unknown Brand Type'"
              "\n\t| + -> conformance test not available for this");
}

TEST(ConformanceViewBox, ManyCompatibleBrands) {
    // A crafted 'ftyp' can list brands by the million; past a hundred blocks the node says how
    // many it left out.
    auto ftypBox = Ftyp("isom", 0, {});
    auto* raw = static_cast<ISOFileFormat::FileTypeBox*>(ftypBox.get());
    raw->compatible_brands.assign(kMaxTestedCompatibleBrands + 5, {'a', 'v', 'c', '1'});
    Records records = List(std::move(ftypBox), {moov, mvhd});
    CTrackInfoCollector none;
    CFixedMetricSurface surface;
    std::vector<std::unique_ptr<CISOViewBox>> displayList;
    BuildConformanceInformation(records, none, surface, displayList);
    const auto& layers = displayList[0]->GetLayers();
    ASSERT_EQ(layers.size(), 1 + 2 * (1 + kMaxTestedCompatibleBrands) + 1);
    const std::string text = displayList[0]->GetText(false);
    EXPECT_EQ(text.substr(text.rfind('\n')), "\n| + 5 more compatible brands not tested");
}

namespace {

// Runs the document's part of a parse: the collector is fed box by box, and at the end the
// conformance node is built from the driver's own record list.
class ConformanceProcessor : public IParserCallbackProcessor {
public:
    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(Box* record) override {
        if (record->id >= 101 && record->id <= 114)
            m_collector.NoteCodecBox(record);
        else
            m_collector.NoteBox(record->id, record);
        return 0;
    }
    int32_t OnBoxList(size_t, const Records& records) override {
        m_collector.FinishTrack();
        BuildConformanceInformation(records, m_collector, m_surface, nodes);
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry*) override { return 0; }
    int32_t OnParseEnd() override { return 0; }

    std::vector<std::unique_ptr<CISOViewBox>> nodes;

private:
    CTrackInfoCollector m_collector;
    CFixedMetricSurface m_surface;
};

}  // namespace

TEST(ConformanceTester, ParsedMobileMP4File) {
    BoxBuilder file;
    file.Open("ftyp").FourCC("mmp4").U32(0).FourCC("mmp4").FourCC("isom").Close();
    file.Open("moov").OpenFull("mvhd", 0, 0).Zeros(96).Close();
    file.Open("trak").OpenFull("tkhd", 0, 1).Zeros(80).Close();
    file.Open("mdia").OpenFull("mdhd", 0, 0).Zeros(20).Close();
    file.OpenFull("hdlr", 0, 0).U32(0).FourCC("vide").Zeros(12).Text("v", true).Close();
    file.Open("minf").Open("dinf").Close().Open("stbl");
    file.OpenFull("stsd", 0, 0).U32(0).Close();
    file.OpenFull("stts", 0, 0).U32(0).Close();
    file.OpenFull("stsc", 0, 0).U32(1).U32(1).U32(1).U32(1).Close();
    file.OpenFull("stsz", 0, 0).U32(0).U32(1).U32(30000).Close();
    file.OpenFull("stco", 0, 0).U32(1).U32(1000).Close();
    file.Close().Close().Close().Close().Close();  // stbl minf mdia trak moov
    file.Open("mdat").Zeros(16).Close();

    ConformanceProcessor processor;
    CStringLogWriter log;
    CISOFileFormatParser parser(&processor, &log);
    parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    ASSERT_EQ(parser.Open(file.WriteTempFile("mmp4.3gp").c_str()), 1);
    ASSERT_EQ(parser.Parse(), 0) << log.GetText();
    ASSERT_EQ(processor.nodes.size(), 1u);

    // The chunk of 30000 bytes is over the 20 kilobytes of a video that is not MPEG-4 QVGA, and
    // the minor version is 0; the 'isom' block passes everything.
    const auto& layers = processor.nodes[0]->GetLayers();
    ASSERT_EQ(layers.size(), 5u);
    const auto& mobile = static_cast<const CISOViewBoxMultiLineLayer&>(*layers[2]);
    const auto& iso = static_cast<const CISOViewBoxMultiLineLayer&>(*layers[4]);
    std::vector<std::string> outcomes;
    for (const auto* layer : {&mobile, &iso}) {
        std::string line;
        for (size_t i = 1; i < layer->GetLineCount(); i += 2)
            line += layer->GetLine(i) == "=> O.K." ? '+' : '-';
        outcomes.push_back(line);
    }
    EXPECT_EQ(outcomes, (std::vector<std::string>{"++--++", "++++++"}));
}
