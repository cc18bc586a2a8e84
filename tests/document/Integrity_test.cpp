#include "document/Integrity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/IntegrityText.h"
#include "document/IntegrityViewBox.h"
#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

namespace {

// The sample tables of one track; every field is written as given, so each row can break one.
struct Tables {
    std::vector<std::pair<uint32_t, uint32_t>> stts = {{4, 512}};
    std::vector<std::array<uint32_t, 3>> stsc = {{1, 2, 1}};
    std::vector<uint32_t> sizes = {10, 10, 10, 10};
    std::vector<uint32_t> offsets = {0, 0};  // filled with offsets into 'mdat' when all zero
    std::vector<std::pair<uint32_t, uint32_t>> ctts = {};
    std::vector<uint32_t> stss = {};
    std::vector<uint32_t> stps = {};
    std::vector<std::pair<uint32_t, int32_t>> elst = {};  // segment_duration, media_time
    uint32_t mdhdDuration = 2048;
    uint32_t chunkStep = 20;  // bytes between the chunks the zero offsets are filled with
    size_t mdatBytes = 40;
    bool reversed = false;  // the filled offsets, last chunk first
    std::string omit = {};  // a box type the track leaves out
    bool secondTkhd = false;
};

void Table(BoxBuilder& f, const Tables& t, std::string_view type, auto&& body) {
    if (t.omit == type) return;
    f.OpenFull(type, 0, 0);
    body();
    f.Close();
}

// ftyp, moov { mvhd, trak { tkhd, mdia { mdhd, hdlr, minf { stbl { ... } } } } }, mdat.
std::string Movie(const Tables& t, const std::string& name, size_t cut = 0) {
    BoxBuilder f;
    f.Open("ftyp").FourCC("isom").U32(0x200).FourCC("isom").Close();
    f.Open("moov").Mvhd(1000, 2000).Open("trak").Tkhd(1, 2000);
    if (t.secondTkhd) f.Tkhd(1, 2000);
    if (!t.elst.empty()) {
        f.Open("edts").OpenFull("elst", 0, 0).U32(static_cast<uint32_t>(t.elst.size()));
        for (auto [duration, time] : t.elst)
            f.U32(duration).U32(static_cast<uint32_t>(time)).U32(0x10000);
        f.Close().Close();
    }
    f.Open("mdia").Mdhd(1024, t.mdhdDuration).Hdlr("soun").Open("minf").Open("stbl");
    Table(f, t, "stsd", [&] { f.U32(1).Open("zzzz").Zeros(28).Close(); });
    Table(f, t, "stts", [&] {
        f.U32(static_cast<uint32_t>(t.stts.size()));
        for (auto [count, delta] : t.stts)
            f.U32(count).U32(delta);
    });
    if (!t.ctts.empty()) {
        Table(f, t, "ctts", [&] {
            f.U32(static_cast<uint32_t>(t.ctts.size()));
            for (auto [count, offset] : t.ctts)
                f.U32(count).U32(offset);
        });
    }
    for (const auto& [type, numbers] : {std::pair("stss", t.stss), std::pair("stps", t.stps)}) {
        if (numbers.empty()) continue;
        Table(f, t, type, [&] {
            f.U32(static_cast<uint32_t>(numbers.size()));
            for (uint32_t n : numbers)
                f.U32(n);
        });
    }
    Table(f, t, "stsc", [&] {
        f.U32(static_cast<uint32_t>(t.stsc.size()));
        for (const auto& e : t.stsc)
            f.U32(e[0]).U32(e[1]).U32(e[2]);
    });
    Table(f, t, "stsz", [&] {
        f.U32(0).U32(static_cast<uint32_t>(t.sizes.size()));
        for (uint32_t s : t.sizes)
            f.U32(s);
    });
    // 'mdat' follows 'moov'; its payload starts after 'stco' (8 + 8 + 4 per offset) and the
    // 'mdat' header, once the three open boxes and the others are closed.
    const size_t stcoSize = 16 + 4 * t.offsets.size();
    const uint32_t mdatData = static_cast<uint32_t>(f.Size() + stcoSize + 8);
    Table(f, t, "stco", [&] {
        f.U32(static_cast<uint32_t>(t.offsets.size()));
        const auto slot = [&](size_t i) { return t.reversed ? t.offsets.size() - 1 - i : i; };
        for (size_t i = 0; i < t.offsets.size(); ++i)
            f.U32(t.offsets[i] != 0 ? t.offsets[i]
                                    : mdatData + static_cast<uint32_t>(t.chunkStep * slot(i)));
    });
    f.Close().Close().Close().Close().Close();
    f.Open("mdat").Zeros(t.mdatBytes).Close();
    std::vector<uint8_t> bytes = f.Data();
    bytes.erase(bytes.end() - static_cast<std::ptrdiff_t>(std::min(cut, bytes.size())),
                bytes.end());
    return BoxBuilder().Bytes(bytes).WriteTempFile(name);
}

// The findings of one parse as `--check` prints them, without the file name.
std::vector<std::string> Findings(const std::string& path, bool classic = false) {
    TestDocument t;
    SetSwitchSetting(t.settings, SwitchClassicBoxSet, classic);
    t.control.OpenFile(path);
    std::vector<std::string> lines;
    for (const Finding& f : t.doc.GetFindings()) {
        lines.push_back(std::string(SeverityName(f.severity)) + " " + std::string(f.id) + " " +
                        HexOffset(f.offset) + ": " + f.sentence);
    }
    return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(Integrity, SampleTablesAndTrackStructure) {
    const struct {
        Tables tables;
        Lines expected;
    } cases[] = {
        {{}, {}},
        {{.stts = {{3, 512}}, .mdhdDuration = 1536},
         {"error sample-count-mismatch 0x179: track 1: 'stts' counts 3 samples, 'stsz' "
          "declares 4"}},
        {{.stts = {{2, 512}, {2, 0}}, .mdhdDuration = 1024},
         {"warning zero-sample-duration 0x179: track 1: 2 samples, from entry 2 of 'stts', have "
          "a duration of 0"}},
        {{.stts = {{3, 512}, {1, 0}}, .mdhdDuration = 1536},
         {"note zero-sample-duration 0x179: track 1: the last sample has a duration of 0"}},
        {{.mdhdDuration = 3000},
         {"warning media-duration-mismatch 0xF4: track 1: 'mdhd' declares a duration of 3,000, "
          "the 'stts' deltas add up to 2,048"}},
        {{.ctts = {{3, 0}}},
         {"error ctts-count-mismatch 0x191: track 1: 'ctts' counts 3 samples, 'stsz' declares 4"}},
        {{.stss = {1, 5}},
         {"error stss-entry 0x191: track 1: entry 2 of 'stss' is sample 5, beyond the 4 samples"}},
        {{.stps = {2, 1}},
         {"error stps-entry 0x191: track 1: entry 2 of 'stps' is sample 1, not after 2"}},
        {{.stss = {1, 3}, .stps = {2}}, {}},
        {{.stss = {3, 3}},
         {"error stss-entry 0x191: track 1: entry 2 of 'stss' is sample 3, not after 3"}},
        {{.stsc = {{2, 2, 1}}},
         {"error stsc-order 0x191: track 1: entry 1 of 'stsc' starts at chunk 2, not at chunk 1"}},
        {{.stsc = {{1, 1, 1}, {1, 1, 1}}},
         {"error stsc-order 0x191: track 1: entry 2 of 'stsc' starts at chunk 1, not after 1"}},
        {{.stsc = {{1, 2, 2}}},
         {"error stsc-description-index 0x191: track 1: entry 1 of 'stsc' names sample "
          "description 2; 'stsd' has 1"}},
        {{.stsc = {{1, 1, 1}}},
         {"error chunk-sample-count-mismatch 0x191: track 1: 'stsc' and the 2 chunks of 'stco' "
          "hold 2 samples, 'stsz' declares 4"}},
        {{.omit = "stsc"},
         {"error missing-track-box 0x88: track 1 ('trak' at 0x88) has no 'stsc'"}},
        {{.omit = "stco"},
         {"error missing-track-box 0x88: track 1 ('trak' at 0x88) has no 'stco' or 'co64'"}},
        {{.secondTkhd = true},
         {"error duplicate-box 0xEC: 'tkhd' at 0xEC is not the first in 'trak' at 0x88, which "
          "may hold only one"}},
    };
    for (const auto& c : cases) {
        const size_t row = static_cast<size_t>(&c - cases);
        EXPECT_EQ(Findings(Movie(c.tables, "row" + std::to_string(row) + ".mp4")), c.expected)
            << "row " << row;
    }
}

TEST(Integrity, TheFileAroundTheBoxes) {
    const std::string cut = Movie({}, "cut.mp4", 30);
    EXPECT_EQ(Findings(cut), (Lines{"error truncated-box 0x1E9: 'mdat' at 0x1E9 declares 48 "
                                    "bytes; the file ends 18 bytes into it: 3 samples of track "
                                    "1 (Sound) lie beyond the end"}));
    // The classic reading reports nothing, however broken the file.
    EXPECT_EQ(Findings(cut, true), Lines{});

    BoxBuilder tail;
    tail.Open("ftyp").FourCC("isom").U32(0).Close().Open("moov").Mvhd(1000, 0).Close().Zeros(5);
    EXPECT_EQ(Findings(tail.WriteTempFile("tail.mp4")),
              (Lines{"warning trailing-bytes 0x84: the last 5 bytes of the file, from 0x84, are "
                     "not a box"}));

    // A parse that fails leaves no tree: the box headers tell where the file broke.
    BoxBuilder child;
    child.Open("moov").Mvhd(1000, 0).Open("trak").Zeros(8).CloseWithSize(400).Close();
    child.Leaf("mdat", std::vector<uint8_t>(500));
    EXPECT_EQ(Findings(child.WriteTempFile("child.mp4")),
              (Lines{"error child-exceeds-parent 0x74: 'trak' at 0x74 declares 400 bytes; its "
                     "parent 'moov' at 0x0 holds only 16 more"}));
    // A size that carries the parse beyond the end: the box read last inside the file is named.
    EXPECT_EQ(Findings(std::string(ORVEX_TEST_DATA_DIR) +
                       "/regressions/size-sends-parse-beyond-file-end.r3"),
              (Lines{"error parse-failed 0x24E: the parse left the file after type 00 00 00 10 at "
                     "0x24E and stopped at 0xFDF8FA4E, beyond its end: skipped an abnormal empty "
                     "box : 4260952064 byte(s)"}));
    BoxBuilder small;
    small.Open("moov").Mvhd(1000, 0).Open("trak").CloseWithSize(3).Zeros(20).Close();
    EXPECT_EQ(Findings(small.WriteTempFile("small.mp4")),
              (Lines{"error bad-box-size 0x74: 'trak' at 0x74 declares 3 bytes, less than its "
                     "own header"}));
}

TEST(Integrity, SignaturesOfOtherFormats) {
    const struct {
        std::vector<uint8_t> head;
        const char* name;
    } cases[] = {
        {{0x1A, 0x45, 0xDF, 0xA3, 0x9F}, "Matroska/WebM (1A 45 DF A3)"},
        {{0x00, 0x00, 0x01, 0xBA, 0x44}, "MPEG-PS (00 00 01 BA)"},
        {{'I', 'D', '3', 4, 0}, "MP3 with an ID3 tag (\"ID3\")"},
        {{0xFF, 0xFB, 0x90, 0x64}, "MPEG audio (frame sync FF E/F)"},
        {{'R', 'I', 'F', 'F', 0}, "RIFF: AVI or WAV (\"RIFF\")"},
        {{'O', 'g', 'g', 'S', 0}, "Ogg (\"OggS\")"},
        {{'f', 'L', 'a', 'C', 0}, "FLAC (\"fLaC\")"},
        {{0xFF, 0xD8, 0xFF, 0xE0}, "JPEG (FF D8 FF)"},
        {{0x89, 'P', 'N', 'G', 0x0D}, "PNG (89 \"PNG\")"},
        {{0x00, 0x00, 0x00, 0x18, 'f', 't', 'y', 'p'}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameSignature(c.head), c.name) << c.name;

    std::vector<uint8_t> ts(3 * 188 + 1);
    ts[0] = ts[188] = ts[376] = 0x47;
    EXPECT_EQ(NameSignature(ts), "MPEG-TS (47 every 188 bytes)");
    ts[376] = 0;
    EXPECT_EQ(NameSignature(ts), "");

    EXPECT_EQ(Findings(BoxBuilder()
                           .Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})
                           .Zeros(40)
                           .WriteTempFile("image.png")),
              (Lines{"error not-iso-media 0x0: the file starts with the signature of PNG (89 "
                     "\"PNG\"): it is not an ISO base media file"}));
    EXPECT_EQ(Findings(BoxBuilder().Bytes({1, 2, 3}).WriteTempFile("three.bin")),
              (Lines{"error not-iso-media 0x0: the file holds 3 bytes, too few for a box header"}));
}

TEST(Integrity, NumbersAndTheSection) {
    const struct {
        uint64_t value;
        const char* text;
    } numbers[] = {{0, "0"},
                   {999, "999"},
                   {1000, "1,000"},
                   {1021345, "1,021,345"},
                   {UINT64_MAX, "18,446,744,073,709,551,615"}};
    for (const auto& n : numbers)
        EXPECT_EQ(GroupedNumber(n.value), n.text);

    // The section of the quick information, and the log counting each finding.
    TestDocument t;
    t.control.OpenFile(Movie({.stts = {{3, 512}}, .mdhdDuration = 1536}, "section.mp4"));
    const size_t at = t.IndexOf(std::string(CIntegrityViewBox::kTitle));
    ASSERT_LT(at, t.doc.GetNodes().size());
    const auto* node = dynamic_cast<const CIntegrityViewBox*>(&t.Node(at));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(t.Node(0).GetChildCount(), 3);
    EXPECT_NE(t.log.GetText().find("errors : 1)"), std::string::npos);
    EXPECT_NE(t.log.GetText().find("sample-count-mismatch : track 1"), std::string::npos);

    // A failed parse logs its findings before the summary, which counts them.
    TestDocument failed;
    BoxBuilder child;
    child.Open("moov").Mvhd(1000, 0).Open("trak").Zeros(8).CloseWithSize(400).Close();
    failed.control.OpenFile(child.WriteTempFile("failed.mp4"));
    const std::string log = failed.log.GetText();
    const size_t finding = log.find("child-exceeds-parent : 'trak' at 0x74");
    ASSERT_NE(finding, std::string::npos) << log;
    EXPECT_LT(finding, log.find("parsing done (warnings : 0, errors : 2)")) << log;
}

TEST(Integrity, MediaDataAndEdits) {
    const struct {
        Tables tables;
        Lines expected;
    } cases[] = {
        {{.chunkStep = 10},
         {"error samples-share-bytes 0x1D1: track 1: chunks share 10 bytes in 1 place, the first "
          "at 0x1FB (chunks 1 and 2)"}},
        {{.chunkStep = 10, .reversed = true},
         {"error samples-share-bytes 0x1D1: track 1: chunks share 10 bytes in 1 place, the first "
          "at 0x1FB (chunks 1 and 2)"}},
        {{.reversed = true}, {}},
        {{.mdatBytes = 60},
         {"note unreferenced-media-data 0x1E9: 'mdat' at 0x1E9: 20 of its 60 bytes, in 1 range, "
          "belong to no sample; the largest range: 20 bytes at 0x219"}},
        {{.offsets = {8, 0}},
         {"error samples-outside-mdat 0x1D1: track 1: 2 samples in 1 chunk lie outside every "
          "'mdat', the first in chunk 1 at 0x8"}},
        {{.offsets = {100000, 0}},
         {"error samples-beyond-file 0x1D1: track 1: 2 samples in 1 chunk lie beyond the end of "
          "the file, the first in chunk 1 at 0x186A0"}},
        {{.elst = {{2000, 0}}}, {}},
        {{.elst = {{1000, -1}, {3000, 0}}},
         {"warning edit-beyond-media 0xF4: track 1: edit 2 of 'elst' ends at media time 3,072; "
          "the media lasts 2,048"}},
    };
    for (const auto& c : cases) {
        const size_t row = static_cast<size_t>(&c - cases);
        EXPECT_EQ(Findings(Movie(c.tables, "data" + std::to_string(row) + ".mp4")), c.expected)
            << "row " << row;
    }
}

namespace {

// A fragmented movie: 'moov' (with 'trex' of track 1: samples of 10 bytes lasting 1,000), an
// optional 'sidx', one 'moof' and 'mdat' per decode time (two samples of 10 bytes lasting 1,000
// each), an optional 'mfra'. Each field can break one thing.
struct Fragments {
    std::vector<uint32_t> sequence = {1, 2};
    std::vector<uint32_t> decodeTime = {0, 2000};
    int32_t lastDataSkew = 0;  // added to the data_offset of the last run
    bool sidx = false;
    uint32_t sidxSkew = 0;  // added to the first referenced_size
    bool mfra = false;
    uint32_t tfraSkew = 0;  // added to the last moof_offset
    uint32_t mfroSkew = 0;
    uint32_t sencCount = 0;  // a 'senc' in each 'traf' when not 0
    uint32_t saizCount = 0;  // a 'saiz' and a 'saio' when not 0
    uint32_t saioSkew = 0;
    bool sinf = false;
    bool splitRuns = false;  // two runs of one sample, each with its data offset
    // One run of `countOnly` samples without fields of their own, taking the defaults.
    uint32_t countOnly = 0;
    uint32_t tfhdDuration = 0;  // a default_sample_duration in 'tfhd' when not 0
};

std::vector<uint8_t> Fragment(const Fragments& f, size_t i, int32_t dataOffset) {
    BoxBuilder b;
    b.Open("moof").OpenFull("mfhd", 0, 0).U32(f.sequence[i]).Close().Open("traf");
    if (f.tfhdDuration != 0)
        b.OpenFull("tfhd", 0, 0x020008).U32(1).U32(f.tfhdDuration).Close();
    else
        b.OpenFull("tfhd", 0, 0x020000).U32(1).Close();
    b.OpenFull("tfdt", 1, 0).U64(f.decodeTime[i]).Close();
    if (f.countOnly != 0) {
        b.OpenFull("trun", 0, 0x001).U32(f.countOnly).U32(static_cast<uint32_t>(dataOffset));
        b.Close();
    } else if (f.splitRuns) {
        // Each data offset counts from the base, not from the end of the run before.
        for (int32_t run = 0; run < 2; ++run) {
            b.OpenFull("trun", 0, 0x301).U32(1).U32(static_cast<uint32_t>(dataOffset + 10 * run));
            b.U32(1000).U32(10).Close();
        }
    } else {
        b.OpenFull("trun", 0, 0x301).U32(2).U32(static_cast<uint32_t>(dataOffset));
        b.U32(1000).U32(10).U32(1000).U32(10).Close();
    }
    if (f.saizCount != 0) {
        b.OpenFull("saiz", 0, 0).U8(8).U32(f.saizCount).Close();
        // The offset, from the 'moof', of the first byte after sample_count in 'senc'.
        b.OpenFull("saio", 0, 0).U32(1).U32(static_cast<uint32_t>(b.Size()) + 4 + 16 + f.saioSkew);
        b.Close();
    }
    if (f.sencCount != 0) {
        b.OpenFull("senc", 0, 0).U32(f.sencCount).Zeros(8 * f.sencCount).Close();
    }
    b.Close().Close();
    return b.Data();
}

std::string FragmentedMovie(const Fragments& f, const std::string& name) {
    BoxBuilder b;
    b.Open("ftyp").FourCC("iso6").U32(0).FourCC("iso6").Close();
    b.Open("moov")
        .Mvhd(1000, 0)
        .Open("mvex")
        .OpenFull("trex", 0, 0)
        .U32(1)
        .U32(1)
        .U32(1000)
        .U32(10);
    b.U32(0).Close().Close();
    if (f.sinf) b.Open("sinf").Close();
    b.Close();
    std::vector<std::vector<uint8_t>> fragments;
    for (size_t i = 0; i < f.decodeTime.size(); ++i) {
        const size_t moof = Fragment(f, i, 0).size();
        const int32_t skew = i + 1 == f.decodeTime.size() ? f.lastDataSkew : 0;
        BoxBuilder one;
        one.Bytes(Fragment(f, i, static_cast<int32_t>(moof + 8) + skew)).Open("mdat").Zeros(20);
        fragments.push_back(one.Close().Data());
    }
    uint64_t at = b.Size();
    if (f.sidx) {
        b.OpenFull("sidx", 0, 0).U32(1).U32(1000).U32(0).U32(0).U16(0);
        b.U16(static_cast<uint16_t>(fragments.size()));
        for (size_t i = 0; i < fragments.size(); ++i)
            b.U32(static_cast<uint32_t>(fragments[i].size()) + (i == 0 ? f.sidxSkew : 0))
                .U32(2000)
                .U32(0x90000000);
        b.Close();
        at = b.Size();
    }
    std::vector<uint64_t> moofs;
    for (const auto& fragment : fragments) {
        moofs.push_back(at);
        at += fragment.size();
        b.Bytes(fragment);
    }
    if (f.mfra) {
        b.Open("mfra")
            .OpenFull("tfra", 0, 0)
            .U32(1)
            .U32(0)
            .U32(static_cast<uint32_t>(moofs.size()));
        for (size_t i = 0; i < moofs.size(); ++i)
            b.U32(f.decodeTime[i])
                .U32(static_cast<uint32_t>(moofs[i]) + (i + 1 == moofs.size() ? f.tfraSkew : 0))
                .U8(1)
                .U8(1)
                .U8(1);
        b.Close();
        b.OpenFull("mfro", 0, 0).U32(0).Close();  // rewritten below with the 'mfra' size
        b.Close();
    }
    std::vector<uint8_t> bytes = b.Data();
    if (f.mfra) {
        const uint32_t mfraSize = static_cast<uint32_t>(bytes.size() - at);
        const uint32_t value = mfraSize + f.mfroSkew;
        for (size_t k = 0; k < 4; ++k)
            bytes[bytes.size() - 4 + k] = static_cast<uint8_t>(value >> (24 - 8 * k));
    }
    return BoxBuilder().Bytes(bytes).WriteTempFile(name);
}

}  // namespace

TEST(Integrity, FragmentsAndEncryption) {
    const struct {
        Fragments fragments;
        Lines expected;
    } cases[] = {
        {{.sidx = true, .mfra = true}, {}},
        {{.splitRuns = true}, {}},
        {{.sequence = {2, 2}},
         {"warning fragment-sequence 0x13C: 'mfhd' at 0x13C numbers its fragment 2, not after the "
          "previous fragment's 2"}},
        {{.decodeTime = {0, 3000}},
         {"warning tfdt-gap 0x164: track 1: the fragment's 'tfdt' at 0x164 gives the decode time "
          "3,000; the fragments before end at 2,000 (a gap of 1,000)"}},
        {{.lastDataSkew = 100},
         {"error trun-data-outside-mdat 0x178: 1 run of the 'moof' holds data outside the 'mdat' "
          "at 0x19C that follows (0x1A4 to 0x1B8); the first, 'trun' at 0x178, from 0x208 to "
          "0x21C"}},
        {{.sidx = true, .sidxSkew = 1},
         {"warning sidx-size-mismatch 0xB0: 'sidx' at 0xB0: reference 1 of 2 (133 bytes) ends at "
          "0x16D, where no box starts"}},
        {{.mfra = true, .tfraSkew = 1},
         {"error tfra-offset 0x1C0: 'tfra' of track 1: 1 of its 2 entries point where no 'moof' "
          "starts, the first (entry 2) at 0x135"}},
        {{.mfra = true, .mfroSkew = 1},
         {"error mfro-size 0x1EE: 'mfro' at 0x1EE gives 'mfra' 71 bytes; the 'mfra' at 0x1B8 "
          "declares 70"}},
        {{.sequence = {1}, .decodeTime = {0}, .sencCount = 3, .saizCount = 3, .saioSkew = 1},
         {"error senc-count-mismatch 0x13D: track 1: 'senc' at 0x13D holds 3 samples, the "
          "fragment's runs 2",
          "error saio-offset 0x129: track 1: 'saio' points at 0x14E; the samples' data in 'senc' "
          "start at 0x14D"}},
        {{.sequence = {1}, .decodeTime = {0}, .sencCount = 2, .saizCount = 3, .sinf = true},
         {"error saiz-count-mismatch 0x120: track 1: 'saiz' sizes 3 samples, 'senc' holds 2",
          "note no-pssh 0xB0: a track is protected ('sinf' at 0xB0) and the file holds no 'pssh': "
          "the protection systems' data must come from elsewhere (a manifest)"}},
        // Runs that give only their count: each sample takes the defaults of 'tfhd', else of
        // 'trex', for its bytes and its duration, also past the samples the file can list.
        {{.countOnly = 2}, {}},
        {{.decodeTime = {0, 3000}, .countOnly = 2, .tfhdDuration = 1500}, {}},
        {{.decodeTime = {0, 5000000}, .countOnly = 5000},
         {"error trun-data-outside-mdat 0xF4: 1 run of the 'moof' holds data outside the 'mdat' "
          "at 0x108 that follows (0x110 to 0x124); the first, 'trun' at 0xF4, from 0x110 to "
          "0xC460",
          "error trun-data-outside-mdat 0x168: 1 run of the 'moof' holds data outside the 'mdat' "
          "at 0x17C that follows (0x184 to 0x198); the first, 'trun' at 0x168, from 0x184 to "
          "0xC4D4"}},
    };
    for (const auto& c : cases) {
        const size_t row = static_cast<size_t>(&c - cases);
        EXPECT_EQ(Findings(FragmentedMovie(c.fragments, "frag" + std::to_string(row) + ".mp4")),
                  c.expected)
            << "row " << row;
    }
}
