#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "document/NodeList.h"
#include "support/BoxBuilder.h"
#include "support/DumpProcess.h"
#include "support/TestDocumentView.h"

namespace {

constexpr uint32_t kMoofOffset = 512;
// tf_flags of 'tfhd', tr_flags of 'trun', and the non-sync bit of stored sample flags.
constexpr uint32_t kBaseDataOffset = 0x1, kDefaults = 0x8 | 0x10 | 0x20, kBaseIsMoof = 0x20000;
constexpr uint32_t kDataOffset = 0x1, kFirstFlags = 0x4, kSizes = 0x200, kNonSync = 0x10000;

// One video track (track_ID 1, with 'trex' defaults duration 10, size 3, non-sync when asked),
// padded so that the 'moof' starts at kMoofOffset, then the 'moof' with `trafs` and an 'mdat'
// of `mdatBytes` bytes of payload.
void Movie(BoxBuilder& b, bool withTrex) {
    b.Open("moov").Mvhd(1000, 0).Open("trak").Tkhd(1, 0).Open("mdia").Mdhd(1000, 0).Hdlr("vide");
    b.Close().Close();
    if (withTrex) {
        b.Open("mvex").OpenFull("trex", 0, 0).U32(1).U32(1).U32(10).U32(3).U32(kNonSync);
        b.Close().Close();
    }
    b.Close();
}

std::string FragmentFile(bool withTrex, const std::function<void(BoxBuilder&)>& trafs,
                         uint32_t mdatBytes) {
    BoxBuilder b;
    Movie(b, withTrex);
    b.Open("free");
    b.Zeros(kMoofOffset - b.Size()).Close();
    b.Open("moof").OpenFull("mfhd", 0, 0).U32(1).Close();
    trafs(b);
    b.Close().Open("mdat").Zeros(mdatBytes).Close();
    return b.WriteTempFile("fragment.mp4");
}

// Offset, size, title and "*" for a random access point, of every line under the 'mdat'.
std::vector<std::string> LinesOf(const CNodeList& nodes) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (const MediaDataLine* line = nodes.GetLine(i))
            lines.push_back(std::to_string(line->fileOffset) + " " + std::to_string(line->size) +
                            " " + std::string(nodes.GetTitle(i)) +
                            (line->randomAccess ? " *" : ""));
    }
    return lines;
}

std::vector<std::string> FragmentLines(const std::string& path, const COrvexDoc* init = nullptr) {
    TestDocument t;
    t.doc.UseInitSegment(init);
    EXPECT_EQ(t.control.OpenFile(path), 1);
    return LinesOf(t.doc.GetNodes());
}

const std::string kTrack = "runs from 'Video Track' track_ID 1, fragment #1, base data offset ";

}  // namespace

// Where a run's bytes are and what each sample takes from the run, 'tfhd' and 'trex'.
TEST(FragmentSamples, OffsetsAndDefaults) {
    const struct {
        const char* what;
        bool trex;
        std::function<void(BoxBuilder&)> trafs;
        uint32_t mdatBytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"default-base-is-moof; sizes from the run, durations and flags from 'trex'",
         true,
         [](BoxBuilder& b) {
             b.Open("traf").OpenFull("tfhd", 0, kBaseIsMoof).U32(1).Close();
             b.OpenFull("tfdt", 1, 0).U64(1000).Close();
             b.OpenFull("trun", 0, kDataOffset | kFirstFlags | kSizes).U32(2).U32(108).U32(0);
             b.U32(4).U32(6).Close().Close();
         },
         10,
         {"620 0 " + kTrack + "512, decode time 1000, biggest run size 10 bytes",
          "620 10 run #1 size 10 bytes, sample count 2, biggest sample size 6 bytes",
          "620 4 sample #1 size 4 bytes, decode time 1000 *",
          "624 6 sample #2 size 6 bytes, decode time 1010"}},
        {"explicit base data offset; 'tfhd' defaults over those of 'trex'",
         true,
         [](BoxBuilder& b) {
             b.Open("traf").OpenFull("tfhd", 0, kBaseDataOffset | kDefaults).U32(1).U64(604);
             b.U32(20).U32(5).U32(0).Close();
             b.OpenFull("trun", 0, 0).U32(2).Close().Close();
         },
         10,
         {"604 0 " + kTrack + "604, decode time 0, biggest run size 10 bytes",
          "604 10 run #1 size 10 bytes, sample count 2, biggest sample size 5 bytes",
          "604 5 sample #1 size 5 bytes, decode time 0 *",
          "609 5 sample #2 size 5 bytes, decode time 20 *"}},
        {"no 'trex': what the run lacks is 0, every sample a sync sample",
         false,
         [](BoxBuilder& b) {
             b.Open("traf").OpenFull("tfhd", 0, kBaseDataOffset).U32(1).U64(596).Close();
             b.OpenFull("trun", 0, kSizes).U32(1).U32(7).Close().Close();
         },
         7,
         {"596 0 " + kTrack + "596, decode time 0, biggest run size 7 bytes",
          "596 7 run #1 size 7 bytes, sample count 1, biggest sample size 7 bytes",
          "596 7 sample #1 size 7 bytes, decode time 0 *"}},
        {"a second track fragment without a base starts where the first one's data ends",
         true,
         [](BoxBuilder& b) {
             b.Open("traf").OpenFull("tfhd", 0, 0).U32(1).Close();
             b.OpenFull("trun", 0, kDataOffset).U32(1).U32(116).Close().Close();
             b.Open("traf").OpenFull("tfhd", 0, 0).U32(1).Close();
             b.OpenFull("trun", 0, 0).U32(1).Close().Close();
         },
         6,
         {"628 0 " + kTrack + "512, decode time 0, biggest run size 3 bytes",
          "628 3 run #1 size 3 bytes, sample count 1, biggest sample size 3 bytes",
          "628 3 sample #1 size 3 bytes, decode time 0",
          "631 0 " + kTrack + "631, decode time 10, biggest run size 3 bytes",
          "631 3 run #1 size 3 bytes, sample count 1, biggest sample size 3 bytes",
          "631 3 sample #1 size 3 bytes, decode time 10"}},
        {"data offsets before the file start and inside the 'moof' are flagged",
         true,
         [](BoxBuilder& b) {
             b.Open("traf").OpenFull("tfhd", 0, kBaseIsMoof).U32(1).Close();
             b.OpenFull("trun", 0, kDataOffset).U32(1).U32(static_cast<uint32_t>(-600)).Close();
             b.OpenFull("trun", 0, kDataOffset).U32(1).U32(2).Close().Close();
         },
         16,
         {"18446744073709551528 0 " + kTrack + "512, decode time 0, biggest run size 3 bytes",
          "18446744073709551528 3 run #1 size 3 bytes, sample count 1, biggest sample size 3 "
          "bytes, at 18446744073709551528 outside the file",
          "18446744073709551528 3 sample #1 size 3 bytes, decode time 0, at "
          "18446744073709551528 outside the file",
          "514 3 run #2 size 3 bytes, sample count 1, biggest sample size 3 bytes, at 514 "
          "outside the 'mdat'",
          "514 3 sample #1 size 3 bytes, decode time 10, at 514 outside the 'mdat'"}},
        {"a run of no sample",
         true,
         [](BoxBuilder& b) {
             b.Open("traf").OpenFull("tfhd", 0, kBaseIsMoof).U32(1).Close();
             b.OpenFull("trun", 0, kSizes).U32(0).Close();
             b.OpenFull("trun", 0, kSizes | kDataOffset).U32(1).U32(96).U32(2).Close().Close();
         },
         2,
         {"512 0 " + kTrack + "512, decode time 0, biggest run size 2 bytes",
          "512 0 run #1 size 0 bytes, sample count 0, biggest sample size 0 bytes",
          "608 2 run #2 size 2 bytes, sample count 1, biggest sample size 2 bytes",
          "608 2 sample #1 size 2 bytes, decode time 0"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FragmentLines(FragmentFile(c.trex, c.trafs, c.mdatBytes)), c.lines) << c.what;
}

// A run with a count and no per-sample field holds nothing per sample: no more lines than the
// file has bytes, however many it declares.
TEST(FragmentSamples, CountAloneIsBoundedByTheFile) {
    const std::string path = FragmentFile(
        true,
        [](BoxBuilder& b) {
            b.Open("traf").OpenFull("tfhd", 0, kBaseIsMoof).U32(1).Close();
            b.OpenFull("trun", 0, 0).U32(0xFFFFFFFF).Close().Close();
        },
        4);
    const std::vector<std::string> lines = FragmentLines(path);
    const uint64_t fileSize = ReadFileBytes(path).size();
    EXPECT_EQ(lines.size(), 2u + fileSize);
    // The run still counts every sample's bytes, not only those listed.
    EXPECT_EQ(lines.at(1),
              "512 12884901885 run #1 size 12884901885 bytes, sample count "
              "4294967295, biggest sample size 3 bytes, at 512 outside the file");
}

// A media segment takes the kind, the 'trex' defaults and the 'tenc' of its tracks from its init
// segment, shown first under a heading; read alone, it says what it could not know. An init
// segment with lines of its own keeps them, in place, before the segment's.
TEST(FragmentSamples, SegmentIsReadWithItsInitSegment) {
    BoxBuilder segment;
    segment.Open("moof").OpenFull("mfhd", 0, 0).U32(1).Close();
    segment.Open("traf").OpenFull("tfhd", 0, kBaseIsMoof).U32(1).Close();
    segment.OpenFull("senc", 0, 0).U32(1).U64(0x0102030405060708).Close();
    segment.OpenFull("trun", 0, kDataOffset).U32(2).U32(100).Close().Close().Close();
    segment.Open("mdat").Zeros(6).Close();
    const std::string segmentPath = segment.WriteTempFile("segment.m4s");
    BoxBuilder init;
    Movie(init, true);
    init.Open("moov").Open("trak").Tkhd(1, 0).OpenFull("tenc", 0, 0).U32(0x108).Zeros(16);
    const std::string initPath = init.Close().Close().Close().WriteTempFile("init.m4s");
    const std::string movie = FragmentFile(
        true,
        [](BoxBuilder& b) {
            b.Open("traf").OpenFull("tfhd", 0, kBaseIsMoof).U32(1).Close();
            b.OpenFull("trun", 0, 0).U32(1).Close().Close();
        },
        3);
    const auto read = [&](const std::string& initFile, std::vector<std::string>& tops) {
        TestDocument t;
        if (!initFile.empty()) {
            EXPECT_TRUE(t.doc.OpenInitSegment(initFile));
        }
        EXPECT_EQ(t.control.OpenFile(segmentPath), 1);
        const CNodeList& nodes = t.doc.GetNodes();
        for (size_t i = 0; i < nodes.size(); ++i)
            if (nodes.GetDepth(i) == 0 && !nodes.IsBox(i)) tops.emplace_back(nodes.GetTitle(i));
        CTextSink senc;
        nodes.AppendText(t.IndexOf("senc"), senc, false);
        const std::string& text = senc.GetText();  // its IV size and first sample row
        const size_t at = text.find("Per_Sample_IV_Size");
        tops.push_back(text.substr(at, text.find('\n', text.find('\n', at) + 1) - at));
        std::vector<std::string> lines = LinesOf(nodes);
        tops.insert(tops.end(), lines.begin(), lines.end());
    };
    const std::string track = "track_ID 1, fragment #1, base data offset 0, decode time 0";
    std::vector<std::string> alone, withInit, withMovie;
    read("", alone);
    EXPECT_EQ(alone,
              (std::vector<std::string>{
                  "Quick Information",
                  "Per_Sample_IV_Size : unknown: no 'tenc' or 'seig' of track 1 was read before "
                  "this box; the samples are shown as bytes\n|   bytes[0] : 0x0102030405060708",
                  "100 0 runs from 'Unknown Track' " + track + ", biggest run size 0 bytes",
                  "100 0 run #1 size 0 bytes, sample count 2, biggest sample size 0 bytes, "
                  "sample sizes unknown: neither 'trun' nor 'tfhd' gives them, and no "
                  "'trex' was read (read the segment with its init segment)",
                  "100 0 sample #1 size unknown, decode time 0 *",
                  "100 0 sample #2 size unknown, decode time 0 *"}));
    read(initPath, withInit);
    EXPECT_EQ(withInit,
              (std::vector<std::string>{
                  "Init Segment : " + initPath, "Quick Information",
                  "Media Segment : " + segmentPath, "Quick Information",
                  "Per_Sample_IV_Size : 8 (from the 'tenc' of track 1)\n|   sample 1 : "
                  "InitializationVector : 0x0102030405060708",
                  "100 0 runs from 'Video Track' " + track + ", biggest run size 6 bytes",
                  "100 6 run #1 size 6 bytes, sample count 2, biggest sample size 3 bytes",
                  "100 3 sample #1 size 3 bytes, decode time 0",
                  "103 3 sample #2 size 3 bytes, decode time 10"}));
    read(movie, withMovie);
    std::vector<std::string> movieLines = FragmentLines(movie);
    EXPECT_TRUE(std::equal(movieLines.begin(), movieLines.end(), withMovie.begin() + 5));
}
