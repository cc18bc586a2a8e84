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
    std::vector<std::pair<uint32_t, int32_t>> elst = {};  // segment_duration, media_time
    uint32_t mdhdDuration = 2048;
    uint32_t chunkStep = 20;  // bytes between the chunks the zero offsets are filled with
    size_t mdatBytes = 40;
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
    if (!t.stss.empty()) {
        Table(f, t, "stss", [&] {
            f.U32(static_cast<uint32_t>(t.stss.size()));
            for (uint32_t n : t.stss)
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
        for (size_t i = 0; i < t.offsets.size(); ++i)
            f.U32(t.offsets[i] != 0 ? t.offsets[i]
                                    : mdatData + static_cast<uint32_t>(t.chunkStep * i));
    });
    f.Close().Close().Close().Close().Close();
    f.Open("mdat").Zeros(t.mdatBytes).Close();
    std::vector<uint8_t> bytes = f.Data();
    if (cut != 0) bytes.resize(bytes.size() - cut);
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
}

TEST(Integrity, MediaDataAndEdits) {
    const struct {
        Tables tables;
        Lines expected;
    } cases[] = {
        {{.chunkStep = 10},
         {"error samples-share-bytes 0x1D1: track 1: chunks share 10 bytes in 1 place, the first "
          "at 0x1FB (chunks 1 and 2)"}},
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
