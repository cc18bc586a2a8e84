#include "document/QuickInformation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "document/CollectorTestSupport.h"
#include "document/ConformanceTester.h"
#include "document/ConformanceViewBox.h"
#include "document/GeneralViewBox.h"
#include "document/LineViewBox.h"
#include "document/NodeList.h"
#include "model/SampleEntries.h"
#include "presentation/FixedMetricSurface.h"

using namespace collector_test;
using namespace ISOFileFormat;
using Records = std::vector<std::unique_ptr<Box>>;
using namespace std::string_view_literals;

namespace {

struct Brands {
    const char* major = nullptr;  // no 'ftyp' at all when null
    uint32_t minor = 0;
    std::string_view compatible;  // four characters a brand
};

std::unique_ptr<Box> FileType(const Brands& brands) {
    auto box = std::make_unique<ISOFileFormat::FileTypeBox>(16 + brands.compatible.size());
    std::memcpy(box->major_brand, brands.major, 4);
    box->minor_version = brands.minor;
    for (size_t i = 0; i + 4 <= brands.compatible.size(); i += 4) {
        std::array<uint8_t, 4> bytes{};
        std::memcpy(bytes.data(), brands.compatible.data() + i, 4);
        box->compatible_brands.push_back(bytes);
    }
    box->brand_count = static_cast<uint32_t>(box->compatible_brands.size());
    return box;
}

// A record list as the driver hands it over: the 'ftyp' first, then plain records, or the
// 'ftyp' where `ids` places it.
Records List(const Brands& brands, const std::vector<int32_t>& ids = {}) {
    Records records;
    if (brands.major && std::find(ids.begin(), ids.end(), BoxId::Ftyp) == ids.end())
        records.push_back(FileType(brands));
    for (int32_t id : ids)
        records.push_back(id == BoxId::Ftyp ? FileType(brands) : std::make_unique<Box>(id, 8));
    return records;
}

// One track whose only chunk holds `chunkBytes`, in two samples of one 'stsz' size (so that a
// chunk beyond 4 GiB costs nothing), with its sample entry when `entry` is given.
struct TrackFact {
    int32_t kind;
    uint64_t chunkBytes = 0;
    int32_t entry = BoxId::Unknown;
    uint16_t width = 176, height = 144;
};

void AddTracks(Tracks& tracks, const std::vector<TrackFact>& facts) {
    for (const TrackFact& f : facts) {
        tracks.Add({f.kind,
                    {{1, 2}},
                    Numbers{1000},
                    SampleSizes{static_cast<uint32_t>(f.chunkBytes / 2), 2}});
        if (f.kind == HandlerKindVideo && f.entry != BoxId::Unknown) {
            auto& entry = tracks.Make<ISOFileFormat::VisualSampleEntry>(f.entry, 86);
            entry.width = f.width;
            entry.height = f.height;
            tracks.Note(entry);
        } else if (f.entry != BoxId::Unknown) {
            tracks.Note(tracks.Make<ISOFileFormat::AudioSampleEntry>(f.entry, 36));
        }
    }
    tracks.Done();
}

// The tests of the brand's sequence as they run: "<rule>+" passed, "<rule>-" failed, or
// "untested" when the brand has none.
std::string Outcomes(const Records& records, const CTrackInfoCollector& collector, int32_t brand) {
    CConformanceTester tester(records, collector);
    tester.ResetStep();
    std::string out;
    int32_t rule = -1, result = -1, r;
    while ((r = tester.RunNextTest(brand, rule, result)) == 0) {
        if (!out.empty()) out += ' ';
        out += std::to_string(rule);
        out += result ? '+' : '-';
    }
    return r == -2 ? "untested" : out;
}

}  // namespace

TEST(ConformanceTester, ResolvesMajorAndCompatibleBrands) {
    using namespace BrandRow;
    const struct {
        Brands brands;
        int32_t major;
        std::vector<int32_t> compatible;
    } cases[] = {
        // A first compatible brand repeating the major brand is dropped, case aside; a repeat
        // anywhere else, or a first one whose row lies after the major brand's, stays.
        {{"MMP4", 1, "mmp43GP53gp5mmp4"sv}, MobileMP4, {Release5, Release5, MobileMP4}},
        {{"isom", 0, "mp41isom"sv}, Isom, {14, Isom}},
        // Unknown brands: the unknown row as major, dropped as compatible; "qt" padded with
        // zeros is not "qt  ".
        {{"abcd", 0,
          "zzzzqt  qt\0\0"
          "3gr6"sv},
         Unknown,
         {17, ProgressiveDownload}},
        {{}, 0, {}},
        // The minor version picks the download variant of a major brand, never of a
        // compatible one.
        {{"3gp5", 0x100, "isom3gp5"sv}, Release5Download, {Isom, Release5}},
        {{"3gp5", 0x200, "isom3gp5"sv}, Release5, {Isom, Release5}},
        {{"3gp4", 0x300, "isom3gp5"sv}, Release4Download, {Isom, Release5}},
        {{"3gp6", 0x400, ""}, BasicProfileDownload, {}},
        {{"mmp4", 0x100, ""}, MobileMP4, {}},
    };
    CTrackInfoCollector none;
    for (const auto& c : cases) {
        // A later 'ftyp' changes nothing: the brands come from the first one.
        Records records = List(c.brands, {BoxId::Moov});
        if (c.brands.major) records.push_back(FileType({"mmp4", 1, "isom"sv}));
        CConformanceTester tester(records, none);
        EXPECT_EQ(tester.GetMajorBrand(), c.major) << c.brands.major;
        EXPECT_EQ(tester.GetMinorVersion(), c.brands.minor) << c.brands.major;
        EXPECT_EQ(tester.GetCompatibleBrands(), c.compatible) << c.brands.major;
    }
}

// Today's brands are rows of the full box set only; the classic set resolves as it always did.
TEST(ConformanceTester, TodaysBrandsOnlyInTheFullSet) {
    const Records records = List({"cmfc", 0, "iso6MSDHheicavc1zzzz"sv}, {BoxId::Moov});
    for (const BoxSet set : {BoxSet::Full, BoxSet::Classic}) {
        CTrackInfoCollector collector;
        collector.SetBoxSet(set);
        CConformanceTester tester(records, collector);
        const bool full = set == BoxSet::Full;
        EXPECT_EQ(CConformanceTester::GetBrandText(tester.GetMajorBrand()), full ? "cmfc" : "xxxx");
        std::string compatible;
        for (const int32_t brand : tester.GetCompatibleBrands())
            compatible += CConformanceTester::GetBrandText(brand);
        EXPECT_EQ(compatible, full ? "iso6msdhheicavc1" : "avc1");
    }
    EXPECT_EQ(CConformanceTester::GetBrandDescription(
                  CConformanceTester::FindBrand(reinterpret_cast<const uint8_t*>("mif1"))),
              "HEIF image and image collection (ISO/IEC 23008-12)");
}

TEST(ConformanceTester, RulesOverBoxOrderAndTrackFacts) {
    using namespace BoxId;
    namespace B = BrandRow;
    constexpr int32_t V = HandlerKindVideo, S = HandlerKindSound, T = HandlerKindText;
    const TrackFact video{V}, sound{S}, text{T}, h264{V, 0, Avc1}, amr{S, 0, Samr},
        mp4v{V, 0, Mp4v};
    const auto qvga = [](int32_t entry, uint64_t bytes) {
        return TrackFact{V, bytes, entry, 320, 240};
    };
    const auto chunk = [](int32_t kind, uint64_t bytes, int32_t entry = Unknown) {
        return TrackFact{kind, bytes, entry};
    };
    const Brands gp4{"3gp4", 0, ""}, gp6{"3gp6", 0, ""}, gr6{"3gr6", 0, ""};
    const Brands mmp4{"mmp4", 1, ""};
    constexpr int32_t M = B::MobileMP4;
    const std::vector<int32_t> tables = {Stsd, Stts, Stsc, Stz2, Stco}, bare = {Moov, Mvhd, Mdat};
    // Without brands, tracks or a brand of their own, the rows run the ISO tests over one
    // video track and no 'ftyp'.
    const struct {
        std::vector<int32_t> ids;
        const char* outcomes;
        std::vector<TrackFact> tracks = {TrackFact{V}};
        int32_t brand = B::Isom;
        Brands brands = {};
    } cases[] = {
        // Rule 1: 'moov' before 'ftyp'. Rule 2: a header box not first in its container, or
        // fewer track headers than tracks. Both pass in every real file's export.
        {{Moov, Trak, Mvhd, Tkhd, Mdia, Mdhd}, "1- 2- 4- 5+ 6- 7-"},
        {{Moov, Mvhd, Trak, Edts, Tkhd, Mdia, Mdhd}, "1- 2- 4- 5+ 6- 7-"},
        {{Moov, Mvhd, Trak, Tkhd, Mdia, Hdlr, Mdhd}, "1- 2- 4- 5+ 6- 7-"},
        {{Moov, Mvhd, Trak, Tkhd, Mdia, Mdhd}, "1- 2- 4- 5+ 6- 7-", {video, sound}},
        // Rule 4: one run per 'stsz'; without any 'stsz', the four other tables in a row.
        {{Stsd, Stts, Stsc, Stsz, Stco, Stsd, Stts, Stsc, Stsz, Stco}, "1+ 2- 4+ 5+ 6- 7-"},
        {{Stsd, Stts, Stsc, Stsz, Stco, Stsd, Stts, Stss, Stsc, Stsz, Stco}, "1+ 2- 4- 5+ 6- 7-"},
        // A run may start at the record that broke the one before; no records at all.
        {{Stsd, Stsd, Stts, Stsc, Stco}, "1+ 2- 4+ 5+ 6- 7-"},
        {{}, "1+ 2- 4- 5+ 6- 7-", {}},
        {tables, "1+ 2- 4- 5+ 6- 7-"},
        // Rule 5: 'edts' and 'tref' before 'mdia'. Where only the second track has an edit
        // list, the first 'mdia' comes while an 'edts' is awaited; a repeated 'edts' is harmless.
        {{Trak, Tkhd, Edts, Elst, Tref, Mdia}, "1+ 2- 4- 5+ 6- 7-"},
        {{Trak, Tkhd, Mdia, Edts}, "1+ 2- 4- 5- 6- 7-"},
        {{Trak, Tkhd, Mdia, Trak, Tkhd, Edts, Mdia}, "1+ 2- 4- 5- 6- 7-", {video, sound}},
        {{Trak, Edts, Edts, Tref, Mdia, Trak, Edts, Mdia}, "1+ 2- 4- 5+ 6- 7-", {video, sound}},
        // Rules 6 and 7: 'mdhd' and 'hdlr' in 'mdia', 'dinf' and 'stbl' in 'minf'.
        {{Mdia, Minf, Hdlr}, "1+ 2- 4- 5+ 6- 7-"},
        {{Minf, Stbl, Dinf}, "1+ 2- 4- 5+ 6- 7-"},
        {{Minf, Dinf, Dref, Stbl}, "1+ 2- 4- 5+ 6- 7+", {video}, B::Avc1},
        // 3GP: rule 11, no text track; rule 12, 'stz2' only for codecs outside the list.
        {bare, "11- 20+ 22+", {video, text}, B::Release4Download, gp4},
        {bare, "20+ 22+", {video, sound}, B::Release5Download, {"3gp5", 0x100, ""}},
        {bare, "untested", {video, sound}, B::Release5, {"3gp5", 0, ""}},
        {tables, "12+", {h264}, B::BasicProfile, gp6},
        {tables, "12-", {h264, amr}, B::BasicProfile, gp6},
        {tables, "12-", {mp4v}, B::BasicProfile, gp6},
        {tables, "12- 20+ 22+", {h264, text}, B::BasicProfileDownload, {"3gp6", 0x400, ""}},
        // Rule 18: 'moov' right after 'ftyp' (passing in the brand blocks below).
        {{Free, Moov, Mvhd, Mdat}, "18-", {video}, B::ProgressiveDownload, gr6},
        // Mobile MP4: one track of a kind (20), 'ftyp' first (22), minor version 1 of a major
        // 'mmp4' (23), chunks of at most 20 kilobytes of video, 80 for MPEG-4 at 320 x 240 (24),
        // 2 of AMR and 5 of other audio (25), 4 of text (26).
        {{Moov, Mdat},
         "20+ 22+ 23+ 24+ 25+ 26+",
         {chunk(V, 20 * 1024, Mp4v), chunk(S, 2048, Samr), chunk(T, 4096)},
         M,
         mmp4},
        {{Moov, Mdat}, "20- 22+ 23+ 24+ 25+ 26+", {video, video}, M, mmp4},
        {{Free, Ftyp}, "20+ 22- 23+ 24+ 25+ 26+", {video}, M, mmp4},
        {{}, "20+ 22+ 23- 24+ 25+ 26+", {video}, M, {"mmp4", 0, ""}},
        {{}, "20+ 22+ 23+ 24+ 25+ 26+", {video}, M, {"3gp6", 0, "mmp4"sv}},
        {{}, "20+ 22+ 23+ 24+ 25+ 26+", {qvga(Mp4v, 40000)}, M, mmp4},
        {{}, "20+ 22+ 23+ 24- 25+ 26+", {qvga(Avc1, 40000)}, M, mmp4},
        {{}, "20+ 22+ 23+ 24- 25+ 26+", {chunk(V, 20 * 1024 + 2, Mp4v)}, M, mmp4},
        // A chunk beyond 4 GiB is far over the limit, not its low 32 bits.
        {{}, "20+ 22+ 23+ 24- 25+ 26+", {qvga(Mp4v, (uint64_t{1} << 32) + 32)}, M, mmp4},
        {{}, "20+ 22+ 23+ 24+ 25- 26+", {chunk(S, 3000, Samr)}, M, mmp4},
        {{}, "20+ 22+ 23+ 24+ 25+ 26+", {chunk(S, 3000, Mp4a)}, M, mmp4},
        {{}, "20+ 22+ 23+ 24+ 25- 26+", {chunk(S, 5 * 1024 + 2, Mp4a)}, M, mmp4},
        {{}, "20+ 22+ 23+ 24+ 25+ 26-", {chunk(T, 4 * 1024 + 2)}, M, mmp4},
    };
    for (const auto& c : cases) {
        Tracks tracks;
        // The rules as they were always read: rule 4 wants the five tables adjacent.
        tracks.collector.SetBoxSet(BoxSet::Classic);
        AddTracks(tracks, c.tracks);
        EXPECT_EQ(Outcomes(List(c.brands, c.ids), tracks.collector, c.brand), c.outcomes)
            << &c - cases;
    }
}

// With the full box set rule 4 looks at each 'stbl''s own tables in the recommended order,
// whatever lies between them.
TEST(ConformanceTester, SampleTableOrderOfTheFullReading) {
    using namespace BoxId;
    const struct {
        std::vector<int32_t> ids;
        const char* outcomes;
    } cases[] = {
        // What ffmpeg writes for video: the entry's boxes, 'stss' and 'ctts' between.
        {{Stbl, Stsd, AvcC, Stts, Stss, Ctts, Stsc, Stsz, Stco, Stbl, Stsd, Stts, Stsc, Stz2, Co64},
         "1+ 2- 4+ 5+ 6- 7-"},
        {{Stbl, Stsd, Stts, Stsc, Stco}, "1+ 2- 4+ 5+ 6- 7-"},
        {{Stbl, Stts, Stsd, Stsc, Stsz, Stco}, "1+ 2- 4- 5+ 6- 7-"},
        // The order starts again in the next 'stbl'; not across it.
        {{Stbl, Stsd, Stts, Stsc, Stsz, Stco, Stbl, Stco, Stsd}, "1+ 2- 4- 5+ 6- 7-"},
        {{Stbl, Stco, Stbl, Stsd}, "1+ 2- 4+ 5+ 6- 7-"},
    };
    for (const auto& c : cases) {
        Tracks tracks;
        AddTracks(tracks, {TrackFact{HandlerKindVideo}});
        EXPECT_EQ(Outcomes(List({}, c.ids), tracks.collector, BrandRow::Isom), c.outcomes)
            << &c - cases;
    }
}

TEST(ConformanceViewBox, BrandBlocksAsText) {
    Tracks tracks;
    AddTracks(tracks, {{HandlerKindVideo, 30000}});
    const Records records = List({"mmp4", 0, "mmp43gr6"sv}, {BoxId::Moov, BoxId::Mdat});
    CFixedMetricSurface surface;
    CNodeList displayList;
    BuildConformanceInformation(records, tracks.collector, surface, displayList);
    ASSERT_EQ(displayList.size(), 1u);
    const auto* node = dynamic_cast<const CConformanceViewBox*>(displayList.Stored(0));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetDepth(), 1);
    EXPECT_TRUE(node->IsExpanded());
    EXPECT_FALSE(node->NeedsMeasure());
    EXPECT_EQ(node->GetText(false),
              "\n| + Conformance Information\n| + mmp4 : "
              "\n| + Conforming to the specification "
              "'Mobile MP4 for NTT DoCoMo Progressive Download'"
              "\n| + Test : The maximum track number for each track (Audio, Video, Text) is one."
              "\n| + => O.K.\n| + Test : FTYP should be the first ATOM for Mobile MP4.\n| + => O.K."
              "\n| + Test : The minor-version of the major-brand 'mmp4' is '1'.\n| + => Failure"
              "\n| + Test : The maximum chunk size for video is 20 kbytes, and 80 kbytes for "
              "MPEG-4 QVGA.\n| + => Failure"
              "\n| + Test : The maximum chunk size for audio is 2 kbytes for AMR, and  5 kbytes "
              "for MPEG-4 AAC, HE_AAC, and EAAC+.\n| + => O.K."
              "\n| + Test : The maximum chunk size for text is 4 kbytes.\n| + => O.K."
              "\n| + 3gr6 : \n| + Conforming to the specification '3GP Progressive-download "
              "profile'\n| + Test : the \xE2\x80\x98moov\xE2\x80\x99 box shall be placed right "
              "after the 'ftyp' box in the beginning of the file.\n| + => O.K.");
    // A failure is written in red.
    const auto* tests = dynamic_cast<const CISOViewBoxMultiLineLayer*>(node->GetLayers()[2].get());
    ASSERT_NE(tests, nullptr);
    EXPECT_EQ(tests->GetLineColour(1), Rgb(0, 0, 0));
    EXPECT_EQ(tests->GetLine(5), "=> Failure");
    EXPECT_EQ(tests->GetLineColour(5), Rgb(255, 0, 0));

    // A crafted 'ftyp' can list brands by the million; past a hundred blocks the node says how
    // many it left out.
    auto ftyp = FileType({"isom", 0, ""});
    static_cast<ISOFileFormat::FileTypeBox&>(*ftyp).compatible_brands.assign(
        kMaxTestedCompatibleBrands + 5, {'a', 'v', 'c', '1'});
    Records many;
    many.push_back(std::move(ftyp));
    displayList.clear();
    BuildConformanceInformation(many, tracks.collector, surface, displayList);
    EXPECT_EQ(displayList.Stored(0)->GetLayers().size(),
              1 + 2 * (1 + kMaxTestedCompatibleBrands) + 1);
    const std::string text = displayList.Stored(0)->GetText(false);
    EXPECT_EQ(text.substr(text.rfind('\n')), "\n| + 5 more compatible brands not tested");
}

// Depths show in the indented export, the section's two children in the document test.
TEST(QuickInformation, SectionExpansionFollowsTheSwitches) {
    CTrackInfoCollector collector;
    CFixedMetricSurface surface;
    for (const auto& [autoExpand, noExpandQI, expanded] : {std::tuple{false, false, false},
                                                           {false, true, false},
                                                           {true, false, true},
                                                           {true, true, false}}) {
        CNodeList list;
        list.PushBack(std::make_unique<CLineViewBox>(0, 0, 0));  // appended after, not replaced
        BuildQuickInformation(collector, surface, autoExpand, noExpandQI, list);
        ASSERT_EQ(list.size(), 3u);
        EXPECT_EQ(list.IsExpanded(1), expanded) << autoExpand << noExpandQI;
        EXPECT_TRUE(list.IsExpanded(2));
        EXPECT_FALSE(list.Stored(1)->NeedsMeasure() || list.Stored(2)->NeedsMeasure());
    }
}

// What no real file shows, as lines of the general information: no video track, a text
// track, an 'esds' for AMR; a 'btrt' after a 'bitr'; codec boxes of odd contents. A missing
// kind of track has no biggest chunk line.
TEST(QuickInformation, GeneralInformationOfCraftedTracks) {
    const struct {
        const char* what;
        std::function<void(Tracks&)> craft;
        std::vector<const char*> lines;  // each found in the text
    } cases[] = {
        {"sound and text",
         [](Tracks& t) {
             t.Add({HandlerKindSound, {{1, 10}}, Numbers{100}, SampleSizes{32, 10}});
             auto& samr = t.Make<AudioSampleEntry>(BoxId::Samr, 53);
             samr.samplerate = 8000u << 16;
             auto& damr = t.Make<AMRSpecificBox>(17);
             std::copy_n("AMRV", 4, damr.vendor);
             damr.frames_per_sample = 10;
             auto& esds = t.Make<ESDescriptorBox>(40);
             esds.objectTypeIndication = 0x40;
             esds.bufferSizeDB = 320;
             esds.maxBitrate = 12200;
             esds.avgBitrate = 12000;
             t.Note(samr, damr, esds);
             t.Add({HandlerKindText, {{1, 2}}, Numbers{100, 200}, Sizes({40, 2, 70, 3})});
         },
         {"\n|   - : No Video Track\n",
          "\n|   Frames Per Sample : 10"
          "\n|   Max Bitrate : 12200"
          "\n|   Avarge Bitrate : 12000"
          "\n|   Decoder Buffer Size : 320"
          "\n|   Decoder Version : 0"
          "\n|   Vendor : AMRV",
          "Media Data\n|   Biggest Sound Chunk : 320 bytes\n|   Biggest Text Chunk : 73 bytes"}},
        {"'btrt' after 'bitr'",
         [](Tracks& t) {
             t.Add({HandlerKindVideo, {{1, 1}}, Numbers{100}, Sizes({500})});
             auto& s263 = t.Make<VisualSampleEntry>(BoxId::S263, 86);
             auto& bitr = t.Make<BitrateBox>(16);
             bitr.avgBitrate = 64000;
             bitr.maxBitrate = 128000;
             auto& btrt = t.Make<MPEG4BitRateBox>(20);
             btrt.bufferSizeDB = 4096;
             btrt.maxBitrate = 130000;
             btrt.avgBitrate = 65000;
             t.Note(s263, bitr, btrt);
         },
         {"\n|   Size : 0 x 0 pixels"
          "\n|   Max Bitrate : 130000"
          "\n|   Avarge Bitrate : 65000"
          "\n|   Decoder Buffer Size : 4096"
          "\n|    : Audio Codec\n|   - : No Sound Track\n|    : Media Data"
          "\n|   Biggest Video Chunk : 500 bytes"}},
        // A zero byte ends a vendor, a Latin-1 one comes out as UTF-8; the fraction of a sample
        // rate is dropped; an 'esds' neither visual nor audio is ignored.
        {"3GPP codec boxes",
         [](Tracks& t) {
             t.Add({HandlerKindVideo});
             t.Add({HandlerKindSound});
             auto& s263 = t.Make<VisualSampleEntry>(BoxId::S263, 86);
             s263.width = 176;
             auto& d263 = t.Make<H263SpecificBox>(15);
             std::copy_n("ab\0d", 4, d263.vendor);
             auto& samr = t.Make<AudioSampleEntry>(BoxId::Samr, 53);
             samr.samplerate = 8000u << 16 | 0x8000;
             auto& damr = t.Make<AMRSpecificBox>(17);
             std::copy_n("F\351ED", 4, damr.vendor);  // 0xE9: e acute in Latin-1
             auto& esds = t.Make<ESDescriptorBox>(40);
             esds.objectTypeIndication = 0x6B;
             esds.maxBitrate = 1;
             t.Note(s263, d263, samr, damr, esds);
         },
         {"\n|   Vendor : ab\n|    : Audio Codec", "\n|   Sample Rate : 8000 Hz\n",
          "\n|   Frames Per Sample : 0"
          "\n|   Decoder Version : 0"
          "\n|   Vendor : F\303\251ED"
          "\n|    : Media Data"}},
        // MPEG-4 visual: profile and level from the high and low nibble.
        {"MPEG-4 visual and AMR-WB",
         [](Tracks& t) {
             t.Add({HandlerKindVideo});
             t.Add({HandlerKindSound});
             auto& mp4v = t.Make<VisualSampleEntry>(BoxId::Mp4v, 86);
             auto& visual = t.Make<ESDescriptorBox>(40);
             visual.objectTypeIndication = 0x20;
             visual.profile_and_level_indication = 0x38;
             auto& sawb = t.Make<AudioSampleEntry>(BoxId::Sawb, 53);  // the name only
             sawb.samplerate = 16000u << 16;
             t.Note(mp4v, visual, sawb);
         },
         {"\n|   Profile : 3\n|   Level : 8\n", "\n|   Type : AMR WideBand\n|    : Media Data"}},
    };
    for (const auto& c : cases) {
        Tracks tracks;
        c.craft(tracks);
        CGeneralViewBox node(1);
        FillGeneralInformation(node, tracks.Done());
        const std::string text = node.GetText(false);
        for (const char* lines : c.lines)
            EXPECT_NE(text.find(lines), std::string::npos) << c.what << text;
        EXPECT_EQ(text.find("Biggest Text") != std::string::npos,
                  tracks.collector.GetTextTrackCount() != 0);
    }
}
