#include "presentation/3GPPViewBoxHandler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/NodePipeline.h"
#include "support/RecordPipeline.h"

namespace {

using Lines = std::vector<std::string>;
using Items = std::vector<std::pair<std::string, std::string>>;

ParsedNodes Parse(const BoxBuilder& file) {
    std::vector<std::unique_ptr<IViewBoxHandler>> handlers;
    handlers.push_back(std::make_unique<C3GPPViewBoxHandler>());
    ParsedNodes nodes = ParseToNodes(file, handlers);
    EXPECT_EQ(nodes.result, 0) << nodes.log;
    return nodes;
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// The lines of a node's last layer: every layer's first line starts with "| + ", and the
// contents layer, when shown, is the last one.
Lines ContentsOf(const std::string& nodeText) {
    const Lines lines = SplitLines(nodeText);
    size_t first = lines.size();
    while (first > 0 && lines[first - 1].rfind("| + ", 0) != 0)
        --first;
    return first == 0 ? Lines{} : Lines(lines.begin() + static_cast<long>(first - 1), lines.end());
}

// The text form of a contents layer holding these items (an empty label is a heading).
Lines Expected(const Items& items) {
    Lines lines;
    for (const auto& [label, value] : items)
        lines.push_back((lines.empty() ? "| + " : "|   ") + label + " : " + value);
    return lines;
}

bool HasVersionAndFlags(const std::string& nodeText) {
    return nodeText.find("\n| + version : 0 (0x0)\n|   flags : 000000h\n") != std::string::npos;
}

// An 'esds' with one-byte descriptor sizes; no DecoderSpecificInfo when `info` is empty.
BoxBuilder& Esds(BoxBuilder& b, uint8_t objectType, uint8_t streamType,
                 const std::vector<uint8_t>& info) {
    const size_t infoBytes = info.empty() ? 0 : 2 + info.size();
    const auto decoderConfig = static_cast<uint8_t>(13 + infoBytes);
    b.OpenFull("esds", 0, 0).U8(3).U8(static_cast<uint8_t>(3 + 2 + decoderConfig + 3));
    b.U16(0x12).U8(0x1F);
    b.U8(4).U8(decoderConfig).U8(objectType).U8(static_cast<uint8_t>(streamType << 2 | 1));
    b.U24(6144).U32(128000).U32(96000);
    if (!info.empty()) b.U8(5).U8(static_cast<uint8_t>(info.size())).Bytes(info);
    return b.U8(6).U8(1).U8(2).Close();
}

// Contents of the 'esds' of an 'mp4a' entry with this AudioSpecificConfig.
Lines AudioEsdsContents(const std::vector<uint8_t>& info) {
    BoxBuilder f;
    OpenTrackEntries(f, "soun");
    OpenAudioEntry(f, "mp4a");
    Esds(f, 0x40, 5, info).Close().Close();
    return ContentsOf(Parse(f).TextOf("esds"));
}

// The items of an ES_Descriptor and decoder configuration as Esds() writes them.
Items DescriptorItems(const std::string& objectType, const std::string& streamType) {
    return {{"", "ES_Descriptor"},
            {"ES_ID", "0x12 (18)"},
            {"streamDependenceFlag", "0 (0x0)"},
            {"URL_Flag", "0 (0x0)"},
            {"OCRstreamFlag", "0 (0x0)"},
            {"streamPriority", "31 (0x1F)"},
            {"", "DecoderConfigDescriptor"},
            {"objectTypeIndication", objectType},
            {"streamType", streamType},
            {"upStream", "0 (0x0)"},
            {"bufferSizeDB", "6144 (0x1800)"},
            {"maxBitrate", "128000 (0x1F400)"},
            {"avgBitrate", "96000 (0x17700)"},
            {"", "DecoderSpecificInfo"}};
}

Items Concat(Items a, const Items& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Items kSLConfig = {{"", "SLConfigDescriptor"}, {"predefined", "2 (0x2)"}};

// The packed ISO 639-2/T code of "eng".
constexpr uint16_t kEnglish = (5 << 10) | (14 << 5) | 7;

}  // namespace

// The entries and codec boxes of real files ('mp4a', 'samr', 'mp4v', 's263', 'avc1' and their
// 'esds', 'damr', 'd263', 'avcC', 'tx3g', 'bitr') are pinned byte for byte by the expected
// exports (tests/cli/ExpectedExports_test.cpp); these cover the forms those files do not have.
TEST(C3GPPViewBoxHandler, SampleEntriesAndCodecSpecificBoxes) {
    BoxBuilder video;
    OpenTrackEntries(video, "vide", 1);
    OpenVisualEntry(video, "s263").Open("d263").FourCC("ab").U8(0).U8(10).U8(0).Close();
    video.Close().Close();
    video.Open("btrt").U32(6144).U32(300000).U32(250000).Close();
    const ParsedNodes v = Parse(video);
    // A vendor code shorter than four characters ends at its first zero byte.
    EXPECT_EQ(ContentsOf(v.TextOf("d263"))[0], "| + vendor : 'ab'");
    EXPECT_EQ(ContentsOf(v.TextOf("btrt")), Expected({{"bufferSizeDB", "6144 (0x1800)"},
                                                      {"maxBitrate", "300000 (0x493E0)"},
                                                      {"avgBitrate", "250000 (0x3D090)"}}));

    BoxBuilder hint;
    OpenTrackEntries(hint, "hint", 2);
    hint.Open("rtp ").Zeros(6).U16(3).Bytes({0x00, 0x01, 0xAB, 0x0F}).Close();
    hint.Open("srtp").Zeros(6).U16(1).Close().Close();
    const ParsedNodes h = Parse(hint);
    EXPECT_EQ(ContentsOf(h.TextOf("rtp ")),
              Expected({{"data_reference_index", "3 (0x3)"}, {"data", "0x0001AB0F"}}));
    EXPECT_EQ(ContentsOf(h.TextOf("srtp")),
              Expected({{"data_reference_index", "1 (0x1)"}, {"data", "0x"}}));
}

TEST(C3GPPViewBoxHandler, DeclinesWhatItDoesNotShow) {
    // Sample entry types outside a sample description are bare boxes to the driver: their
    // catalogue ids are ours, their records are not, and nothing may be read from them.
    BoxBuilder f;
    f.Open("mp4a").Zeros(40).Close();
    f.Open("tx3g").Zeros(40).Close();
    f.Open("s263").Zeros(4).Close();
    OpenTrackEntries(f, "soun");
    OpenAudioEntry(f, "alaw").Close().Close();  // generic entry: the ISO handler's
    f.Open("uuid").Zeros(16).Close();
    const ParsedNodes n = Parse(f);
    ASSERT_EQ(n.texts.size(), 7u);
    for (const std::string& text : n.texts)
        EXPECT_EQ(text.find(" : "), std::string::npos) << text;
}

TEST(C3GPPViewBoxHandler, AudioDecoderSpecificInfo) {
    // HE-AAC v2: 24000 Hz core, SBR at 48000 Hz, then parametric stereo.
    EXPECT_EQ(AudioEsdsContents({0x13, 0x10, 0x56, 0xE5, 0x9D, 0x48, 0x80}),
              Expected(Concat(
                  Concat(DescriptorItems("MPEG-4 Audio (0x40)", "AudioStream (0x5)"),
                         {{"audioObjectType", "2 (0x2)"},
                          {"samplingFrequencyIndex", "0x6 (frequency : 24000)"},
                          {"channelConfiguration", "2 (2 channel(s), Right and left of the front)"},
                          {"syncExtensionType", "695 (0x2B7)"},
                          {"extensionAudioObjectType", "5 (0x5)"},
                          {"", "for High Efficiency AAC Profile"},
                          {"sbrPresentFlag", "1 (0x1)"},
                          {"extensionSamplingFrequencyIndex", "0x3 (frequency : 48000)"},
                          {"", "for High Efficiency AAC v2 Profile (EAAC+)"},
                          {"syncExtensionType", "1352 (0x548)"},
                          {"psPresentFlag", "1 (0x1)"}}),
                  kSLConfig)));

    // SBR signalled but not present: no heading, and nothing further was read.
    EXPECT_EQ(AudioEsdsContents({0x12, 0x10, 0x56, 0xE5, 0x00}),
              Expected(Concat(
                  Concat(DescriptorItems("MPEG-4 Audio (0x40)", "AudioStream (0x5)"),
                         {{"audioObjectType", "2 (0x2)"},
                          {"samplingFrequencyIndex", "0x4 (frequency : 44100)"},
                          {"channelConfiguration", "2 (2 channel(s), Right and left of the front)"},
                          {"syncExtensionType", "695 (0x2B7)"},
                          {"extensionAudioObjectType", "5 (0x5)"},
                          {"sbrPresentFlag", "0 (0x0)"},
                          {"extensionSamplingFrequencyIndex", "0x0 (frequency : 96000)"}}),
                  kSLConfig)));

    // Index 13 is reserved and 15 announces an explicit frequency that the fixed-form reading
    // does not decode: neither has a frequency to show. Seven channels plus bass is the widest
    // layout, 0 defers to the GASpecificConfig.
    const Lines reserved = AudioEsdsContents({0x16, 0xB8});
    ASSERT_EQ(reserved.size(), 19u);
    EXPECT_EQ(reserved[15], "|   samplingFrequencyIndex : 0xD (frequency : reserved)");
    EXPECT_EQ(reserved[16],
              "|   channelConfiguration : 7 (7+1 channel(s), Center, right and left of the front, "
              "right and left of front outward, and right and left of bacward, and front for "
              "bass)");
    const Lines escape = AudioEsdsContents({0x17, 0x80});
    ASSERT_EQ(escape.size(), 19u);
    EXPECT_EQ(escape[15], "|   samplingFrequencyIndex : 0xF (frequency : escape value, not read)");
    EXPECT_EQ(escape[16], "|   channelConfiguration : 0 (- channel(s), Set GASpecificConfig)");
}

TEST(C3GPPViewBoxHandler, VisualAndOtherDecoderSpecificInfo) {
    // Visual: the profile and level as numbers, by name, or bare when unknown.
    struct Case {
        uint8_t profileLevel;
        const char* text;
    } cases[] = {{0x21, "0x21 (Profile 2, Level 1)"},
                 {0xF5, "0xF5 (4:2:2 Profile @ Main Level)"},
                 {0xF0, "0xF0"}};
    for (const Case& c : cases) {
        BoxBuilder f;
        OpenTrackEntries(f, "vide");
        OpenVisualEntry(f, "mp4v");
        Esds(f, 0x20, 4, {0, 0, 1, 0xB0, c.profileLevel, 0xAA, 0, 0, 1, 0xB1}).Close().Close();
        const Lines lines = ContentsOf(Parse(f).TextOf("esds"));
        ASSERT_GT(lines.size(), 15u);
        EXPECT_EQ(lines[15], std::string("|   profile_and_level_indication : ") + c.text);
    }

    // MPEG-1 audio (0x6B) has no DecoderSpecificInfo: the warning, then the visual fields of
    // the record, all zero.
    BoxBuilder mp3;
    OpenTrackEntries(mp3, "soun");
    OpenAudioEntry(mp3, "mp4a");
    Esds(mp3, 0x6B, 5, {}).Close().Close();
    EXPECT_EQ(ContentsOf(Parse(mp3).TextOf("esds")),
              Expected(Concat(Concat(DescriptorItems("0x6B (107) - Warning! Check this value!",
                                                     "AudioStream (0x5)"),
                                     {{"visual_object_sequence_start_code", "0x00000000"},
                                      {"profile_and_level_indication", "0x00 (Profile 0, Level 0)"},
                                      {"VisualObject()", "Not supported by this version"},
                                      {"visual_object_sequence_end_code", "0x00000000"}}),
                              kSLConfig)));

    // A stream type that is neither audio nor visual.
    BoxBuilder other;
    OpenTrackEntries(other, "soun");
    OpenAudioEntry(other, "mp4a");
    Esds(other, 0x40, 0x20, {}).Close().Close();
    const Lines otherLines = ContentsOf(Parse(other).TextOf("esds"));
    ASSERT_GT(otherLines.size(), 8u);
    EXPECT_EQ(otherLines[8], "|   streamType : 0x20 (?)");
}

TEST(C3GPPViewBoxHandler, AVCConfigurationAndTimedText) {
    BoxBuilder f;
    OpenTrackEntries(f, "vide");
    OpenVisualEntry(f, "avc1").Open("avcC").U8(1).U8(0x42).U8(0xC0).U8(0x1E).U8(0xFF).U8(0xE1);
    f.U16(4).Bytes({0x67, 0x42, 0xC0, 0x1E}).U8(2).U16(2).Bytes({0x68, 0xCE}).U16(0);
    f.Close().Close().Close();
    OpenTrackEntries(f, "text");
    f.Open("tx3g").Zeros(6).U16(1).U32(0x60000800).U8(1).U8(0xFF).Bytes({0x00, 0x10, 0xFF, 0x80});
    f.U16(0).U16(0).U16(60).U16(0xFFFF);
    f.U16(0).U16(5).U16(1).U8(0x0B).U8(18).Bytes({0xFF, 0xFF, 0xFF, 0xFF});
    f.Open("ftab").U16(1).U16(1).U8(4).Text("Sans").Close().Close().Close();
    const ParsedNodes n = Parse(f);

    // A parameter set of length 0 is listed, empty.
    EXPECT_EQ(ContentsOf(n.TextOf("avcC")).back(), "|   [1] : 0x");
    EXPECT_FALSE(HasVersionAndFlags(n.TextOf("avcC")));
    // 'avc1' and 'ftab' are shown by no handler.
    EXPECT_EQ(n.TextOf("avc1").find(" : "), std::string::npos);
    EXPECT_EQ(n.TextOf("ftab").find(" : "), std::string::npos);

    EXPECT_EQ(
        ContentsOf(n.TextOf("tx3g")),
        Expected({{"displayFlags", "0x60000800"},
                  {"horizontal-justification", "1 (0x1)"},
                  {"vertical-justification", "-1 (0xFFFFFFFFFFFFFFFF)"},
                  {"background-color-rgba", "R 0x00(0), G 0x10(16), B 0xff(255), A 0x80(128)"},
                  {"default-text-box", "top 0, left 0, bottom 60, right -1"},
                  {"default-style",
                   "startChar 0, endChar 5, font-ID 1, face-style-flags 0xB, font-size 18"}}));
}

TEST(C3GPPViewBoxHandler, AssetBoxes) {
    BoxBuilder f;
    // UTF-16 big-endian behind its mark, with a terminating zero character.
    f.OpenFull("titl", 0, 0).U16(kEnglish).Bytes({0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42, 0, 0});
    f.Close();
    // UTF-8, terminated.
    f.OpenFull("auth", 0, 0).U16(kEnglish).Bytes({0xC3, 0x9C, 'b', 'e', 'r', 0}).Close();
    f.OpenFull("perf", 0, 0).U16(kEnglish).Close();
    f.OpenFull("rtng", 0, 0).FourCC("MPAA").FourCC("PG13").U16(kEnglish).Text("teens", true);
    f.Close();
    f.OpenFull("clsf", 0, 0).FourCC("BBFC").U16(3).U16(kEnglish).Text("Universal", true).Close();
    f.OpenFull("kywd", 0, 0).U16(kEnglish).U8(2).U8(3).Text("sea").U8(4).Text("boat").Close();
    f.OpenFull("kywd", 0, 0).U16(kEnglish).U8(0).Close();
    f.OpenFull("loci", 0, 0).U16(kEnglish).Text("Home", true).U8(1);
    f.U32(0x00018000).U32(0xFFFF0000).U32(0x00100000).Text("Earth", true).Text("", true);
    f.Close();
    f.OpenFull("albm", 0, 0).U16(kEnglish).Text("Blue", true).U8(7).Close();
    f.OpenFull("yrrc", 0, 0).U16(2009).Close();
    const ParsedNodes n = Parse(f);
    ASSERT_EQ(n.texts.size(), 10u);
    for (const std::string& text : n.texts)
        EXPECT_TRUE(HasVersionAndFlags(text)) << text;

    EXPECT_EQ(ContentsOf(n.TextOf("titl")), Expected({{"language", "eng"}, {"title", "AB"}}));
    EXPECT_EQ(ContentsOf(n.TextOf("auth")), Expected({{"language", "eng"},
                                                      {"author",
                                                       "\xC3\x9C"
                                                       "ber"}}));
    EXPECT_EQ(ContentsOf(n.TextOf("perf")),
              Expected({{"language", "eng"}, {"performer", "'empty' (zero-lengthed field)"}}));
    EXPECT_EQ(ContentsOf(n.TextOf("rtng")), Expected({{"RatingEntity", "MPAA"},
                                                      {"RatingCriteria", "PG13"},
                                                      {"Language", "eng"},
                                                      {"RatingInfo", "teens"}}));
    // The classification text is shown under the rating's label.
    EXPECT_EQ(ContentsOf(n.TextOf("clsf")), Expected({{"ClassificationEntity", "BBFC"},
                                                      {"ClassificationTable", "3 (0x3)"},
                                                      {"Language", "eng"},
                                                      {"RatingInfo", "Universal"}}));
    EXPECT_EQ(ContentsOf(n.texts[5]), Expected({{"Language", "eng"},
                                                {"KeywordCnt", "2 (0x2)"},
                                                {"", "Keywords"},
                                                {"Keywords 1", "sea"},
                                                {"Keywords 2", "boat"}}));
    EXPECT_EQ(ContentsOf(n.texts[6]), Expected({{"Language", "eng"}, {"KeywordCnt", "0 (0x0)"}}));
    EXPECT_EQ(ContentsOf(n.TextOf("loci")),
              Expected({{"Language", "eng"},
                        {"Name", "Home"},
                        {"Role", "1 (0x1)"},
                        {"Longitude", "1.32768 (0x00018000)"},
                        {"Latitude", "65535.0 (0xFFFF0000)"},
                        {"altitude", "16.0 (0x00100000)"},
                        {"Astronomical_body", "Earth"},
                        {"Additional_notes", "'empty' (zero-lengthed field)"}}));
    EXPECT_EQ(ContentsOf(n.TextOf("albm")),
              Expected({{"Language", "eng"}, {"AlbumTitle", "Blue"}, {"TrackNumber", "7 (0x7)"}}));
}

TEST(C3GPPViewBoxHandler, TrackSelection) {
    BoxBuilder f;
    f.OpenFull("tsel", 0, 0).U32(0).FourCC("LANG").FourCC("bwas").FourCC("abcd").Close();
    f.OpenFull("tsel", 0, 0).U32(7).Close();
    const ParsedNodes n = Parse(f);
    EXPECT_TRUE(HasVersionAndFlags(n.texts[0]));
    // Codes compare without regard to case; the explanation follows the code directly.
    EXPECT_EQ(ContentsOf(n.texts[0]), Expected({{"SwitchGroup", "0 (not intended for switching)"},
                                                {"", "AttributeList"},
                                                {"Attribute 1",
                                                 "LANG(Language, Value of grouping type LANG of "
                                                 "\"alt-group\" attribute in session-level SDP)"},
                                                {"Attribute 2",
                                                 "bwas(Bandwidth, Value of \"b=AS\" attribute in "
                                                 "media-level SDP"},
                                                {"Attribute 3", "abcd"}}));
    EXPECT_EQ(ContentsOf(n.texts[1]), Expected({{"SwitchGroup", "7"}, {"", "AttributeList"}}));
}

TEST(C3GPPViewBoxHandler, HintTexts) {
    BoxBuilder f;
    f.Open("hnti");
    f.Open("rtp ").FourCC("sdp ").Text("v=0\r\ns=x\r\n").Close();
    f.Open("sdp ").Text("v=0\r\no=x\r\n").Close();
    f.Close();
    f.Open("sdp ").Text("m=video 0 RTP/AVP 96").Close();
    // Only whole lines are shown: not what follows the last "\r\n", not a lone "\r" at the
    // end; an empty line is an empty field, and a zero byte ends a line's text.
    f.Open("sdp ").Text("a=x\r\n\r\nb=y").U8(0).Text("z\r\nc=tail\r").Close();
    const ParsedNodes n = Parse(f);
    ASSERT_EQ(n.texts.size(), 5u);
    EXPECT_EQ(n.texts[0].find(" : "), std::string::npos);  // 'hnti' is shown by no handler
    EXPECT_EQ(ContentsOf(n.texts[1]),
              Expected({{"descriptionformat", "sdp "}, {"SDP", "v=0"}, {" ", "s=x"}}));
    EXPECT_EQ(ContentsOf(n.texts[2]), Expected({{"SDP", "v=0"}, {" ", "o=x"}}));
    EXPECT_FALSE(HasVersionAndFlags(n.texts[2]));
    // No line: the contents layer is shown empty.
    EXPECT_EQ(n.texts[3].find(" : "), std::string::npos);
    EXPECT_EQ(ContentsOf(n.texts[4]),
              Expected({{"SDP", "a=x"}, {" ", "'empty' (zero-lengthed field)"}, {" ", "b=y"}}));
}
