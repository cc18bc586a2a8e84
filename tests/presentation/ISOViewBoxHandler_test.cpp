#include "presentation/ISOViewBoxHandler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "model/ISOBoxes.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ValueFormatContext.h"
#include "support/BoxBuilder.h"
#include "support/NodePipeline.h"

using namespace ISOFileFormat;

namespace {

std::string Join(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        if (!joined.empty()) joined += '\n';
        joined += line;
    }
    return joined;
}

// The node's text ends with exactly these lines. The contents layer is the last one a node
// shows, so this checks its items whole and in order.
::testing::AssertionResult EndsWithLines(const std::string& text,
                                         const std::vector<std::string>& lines) {
    const std::string tail = "\n" + Join(lines);
    if (text.size() >= tail.size() &&
        text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "node text:" << text;
}

// The node's text holds these whole lines one after the other.
::testing::AssertionResult HasLines(const std::string& text,
                                    const std::vector<std::string>& lines) {
    if (("\n" + text + "\n").find("\n" + Join(lines) + "\n") != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "node text:" << text;
}

size_t CountLines(const std::string& text, const std::string& prefix) {
    size_t count = 0;
    for (size_t at = text.find("\n" + prefix); at != std::string::npos;
         at = text.find("\n" + prefix, at + 1))
        ++count;
    return count;
}

BoxBuilder& MatrixAndSize(BoxBuilder& b) {
    for (uint32_t v : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u})
        b.U32(v);
    return b;
}

// 'mvhd' version 0.
void MovieHeader(BoxBuilder& b, uint32_t created, uint32_t timescale, uint32_t duration) {
    b.OpenFull("mvhd", 0, 0).U32(created).U32(created).U32(timescale).U32(duration);
    b.U32(0x10000).U16(0xFFFF).Zeros(10);
    MatrixAndSize(b);
    b.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0xFFFFFFFF).U32(3).Close();
}

// 'tkhd' version 0.
void TrackHeader(BoxBuilder& b, uint32_t flags, uint32_t created, uint32_t duration) {
    b.OpenFull("tkhd", 0, flags).U32(created).U32(0).U32(1).U32(0).U32(duration).Zeros(8);
    b.U16(0xFFFF).U16(2).U16(0x100).U16(0);
    MatrixAndSize(b);
    b.U32(176 << 16).U32(0x00908000).Close();
}

// 'mdhd' version 0, language "eng".
void MediaHeader(BoxBuilder& b, uint32_t timescale, uint32_t duration) {
    b.OpenFull("mdhd", 0, 0).U32(0).U32(0).U32(timescale).U32(duration);
    b.U16((5 << 10) | (14 << 5) | 7).U16(0).Close();
}

void Handler(BoxBuilder& b, const char* type, const char* name) {
    b.OpenFull("hdlr", 0, 0).U32(0).FourCC(type).Zeros(12).Text(name, true).Close();
}

class ISOViewBoxHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        handlers.push_back(std::make_unique<CISOViewBoxHandler>(context));
    }

    // What the document does per parse: a fresh last timescale, then the nodes.
    ParsedNodes Parse(const BoxBuilder& file) {
        context.Reset();
        ParsedNodes nodes = ParseToNodes(file, handlers);
        EXPECT_EQ(nodes.result, 0) << nodes.log;
        return nodes;
    }

    // The text of the n-th node of that type (from 0).
    static std::string NthText(const ParsedNodes& nodes, const std::string& type, size_t n) {
        for (size_t i = 0; i < nodes.types.size(); ++i) {
            if (nodes.types[i] == type && n-- == 0) return nodes.texts[i];
        }
        return std::string();
    }

    CValueFormatContext context;
    std::vector<std::unique_ptr<IViewBoxHandler>> handlers;
};

}  // namespace

// The common boxes of real files (headers, handlers, sample tables, fragments) are pinned byte
// for byte by the expected exports (tests/cli/ExpectedExports_test.cpp); these cover the forms
// those files do not have.

TEST_F(ISOViewBoxHandlerTest, FileTypeWithoutBrands) {
    BoxBuilder b;
    b.Open("ftyp").FourCC("3gp6").U32(0).Close();
    const std::string text = Parse(b).TextOf("ftyp");
    EXPECT_TRUE(EndsWithLines(text, {"| + Major Brand : 3gp6", "|   Minor Version : 0 (0x0)",
                                     "|   Compatible Brand : 'empty' (zero-lengthed field)"}));
    EXPECT_EQ(text.find("version"), std::string::npos);  // a plain box
}

TEST_F(ISOViewBoxHandlerTest, TrackHeadersUseTheLastTimescale) {
    BoxBuilder b;
    b.Open("moov");
    MovieHeader(b, 3786912000u, 1000, 90000);
    b.Open("trak");
    TrackHeader(b, 0x000003, 0, 120000);  // 120 s in the movie's timescale
    b.Open("mdia");
    MediaHeader(b, 44100, 441000);
    b.Close().Close();
    b.Open("trak");
    TrackHeader(b, 0x000001, 3786912000u, 441000);  // in the previous media's timescale
    b.Close().Close();
    const ParsedNodes nodes = Parse(b);

    EXPECT_TRUE(HasLines(nodes.TextOf("mvhd"),
                         {"| + creation_time : 00h:00m:00s at 01 Jan, 2024 (0xE1B7B100)"}));
    const std::string track = NthText(nodes, "tkhd", 0);
    EXPECT_TRUE(HasLines(track, {"|   duration : 00h:02m:00s (0x1D4C0)"}));
    EXPECT_EQ(CountLines(track, "| + version"), 1u);
    EXPECT_TRUE(HasLines(NthText(nodes, "tkhd", 1), {"|   duration : 00h:00m:10s (0x6BAA8)"}));
}

TEST_F(ISOViewBoxHandlerTest, TrackHeaderFlagTexts) {
    const struct {
        uint32_t flags;
        const char* line;
    } cases[] = {
        {0x000000u, "|   flags : 000000h (Track_disabled)"},
        {0x000001u, "|   flags : 000001h (Track_enabled)"},
        {0x000004u, "|   flags : 000004h (Track_in_preview)"},
        {0x010000u, "|   flags : 010000h (Invalid flag value)"},
    };
    BoxBuilder b;
    for (const auto& c : cases)
        TrackHeader(b, c.flags, 0, 0);
    const ParsedNodes nodes = Parse(b);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_TRUE(HasLines(NthText(nodes, "tkhd", i), {cases[i].line}));
    // No times: the contents start with the track ID; the duration uses the fresh timescale 1.
    EXPECT_TRUE(HasLines(NthText(nodes, "tkhd", 0),
                         {"| + track_ID : 1 (0x1)", "|   duration : 00h:00m:00s (0x0)"}));
}

TEST_F(ISOViewBoxHandlerTest, HandlersAndReferencesNotInTheRealFiles) {
    BoxBuilder b;
    Handler(b, "soun", "");
    Handler(b, "text", "t");
    Handler(b, "meta", "m");
    b.OpenFull("smhd", 0, 0).U16(0xFF80).U16(0).Close();
    b.OpenFull("elst", 0, 0).U32(1).U32(0x80000000u).U32(0xFFFFFFFF).U16(0xFFFF).U16(0x8000);
    b.Close();
    b.OpenFull("elst", 1, 0).U32(1).U64(0x123456789ull).U64(0x100000000ull).U16(1).U16(0).Close();
    b.OpenFull("elst", 0, 0).U32(0).Close();
    b.Open("tref").Open("cdsc").Close().Close();
    b.OpenFull("urn ", 0, 0).Text("urn:x", true).Text("http://a/b", true).Close();
    b.OpenFull("cprt", 0, 0).U16((5 << 10) | (14 << 5) | 7).Text("(c) me", true).Close();
    const ParsedNodes nodes = Parse(b);

    EXPECT_TRUE(EndsWithLines(
        NthText(nodes, "hdlr", 0),
        {"|   handler_type : Sound ('soun')", "|   name : 'empty' (zero-lengthed field)"}));
    EXPECT_TRUE(HasLines(NthText(nodes, "hdlr", 1), {"|   handler_type : Timed Text ('text')"}));
    EXPECT_TRUE(HasLines(NthText(nodes, "hdlr", 2), {"|   handler_type : Unknown ('meta')"}));
    EXPECT_TRUE(EndsWithLines(nodes.TextOf("smhd"), {"| + balance : 255.128 (0xFF80)"}));
    EXPECT_TRUE(EndsWithLines(
        NthText(nodes, "elst", 0),
        {"|   entry 1 : segment_duration : 2147483648 (0x80000000), media_time : -1 "
         "(0xFFFFFFFFFFFFFFFF), media_rate_integer : -1 (0xFFFFFFFF), media_rate_fraction : "
         "-32768 (0xFFFF8000)"}));
    EXPECT_TRUE(EndsWithLines(
        NthText(nodes, "elst", 1),
        {"|   entry 1 : segment_duration : 4886718345 (0x123456789), media_time : 4294967296 "
         "(0x100000000), media_rate_integer : 1 (0x1), media_rate_fraction : 0 (0x0)"}));
    EXPECT_TRUE(EndsWithLines(NthText(nodes, "elst", 2),
                              {"|   flags : 000000h", "| + entry_count : 0 (0x0)"}));
    EXPECT_TRUE(EndsWithLines(nodes.TextOf("cdsc"), {"| +  : tarck_ID"}));
    EXPECT_TRUE(
        EndsWithLines(nodes.TextOf("urn "), {"| + name : urn:x", "|   location : http://a/b"}));
    EXPECT_TRUE(
        EndsWithLines(nodes.TextOf("cprt"), {"| + language : eng", "|   copyright : (c) me"}));
}

TEST_F(ISOViewBoxHandlerTest, GenericSampleEntries) {
    BoxBuilder b;
    Handler(b, "soun", "");
    b.OpenFull("stsd", 0, 0).U32(1);
    b.Open("xaud").Zeros(6).U16(1).Zeros(8).U16(2).U16(16).Zeros(4).U32(44100u << 16).Close();
    b.Close();
    Handler(b, "vide", "");
    b.OpenFull("stsd", 0, 0).U32(2);
    b.Open("xvid").Zeros(6).U16(1).Zeros(16).U16(176).U16(144).U32(0x480000).U32(0x480000);
    b.Zeros(4).U16(1).Zeros(32).U16(24).U16(0xFFFF).Close();
    b.Open("yvid").Zeros(6).U16(2).Zeros(16).U16(1).U16(1).U32(0).U32(0).Zeros(4).U16(1);
    b.U8(5).Text("Coder").Zeros(26).U16(24).U16(0xFFFF).Close();
    b.Close();
    Handler(b, "meta", "");
    b.OpenFull("stsd", 0, 0).U32(1).Open("xoth").Zeros(6).U16(7).Zeros(4).Close().Close();
    const ParsedNodes nodes = Parse(b);

    const std::string audio = nodes.TextOf("xaud");
    EXPECT_TRUE(
        EndsWithLines(audio, {"| + data_reference_index : 1 (0x1)", "|   channelcount : 2 (0x2)",
                              "|   samplesize : 16 (0x10)", "|   samplerate : 44100 (0xAC44)"}));
    EXPECT_EQ(audio.find("version"), std::string::npos);
    EXPECT_TRUE(EndsWithLines(
        nodes.TextOf("xvid"),
        {"| + data_reference_index : 1 (0x1)", "|   width : 176 (0xB0)", "|   height : 144 (0x90)",
         "|   horizresolution : 4718592 (0x480000)", "|   vertresolution : 4718592 (0x480000)",
         "|   frame_cout : 1 (0x1)", "|   compressorname : 'empty' (zero-lengthed field)",
         "|   depth : 24 (0x18)"}));
    // The length byte is shown as a character like the rest of the name.
    EXPECT_TRUE(HasLines(nodes.TextOf("yvid"), {"|   compressorname : \x05"
                                                "Coder"}));
    EXPECT_TRUE(EndsWithLines(nodes.TextOf("xoth"), {"| + data_reference_index : 7 (0x7)"}));
}

TEST_F(ISOViewBoxHandlerTest, SampleTablesNotInTheRealFiles) {
    BoxBuilder b;
    b.OpenFull("ctts", 1, 0).U32(1).U32(1).U32(0xFFFFFE00).Close();
    // 'stdp' and 'sdtp' take their count from the last 'stsz'.
    b.OpenFull("stsz", 0, 0).U32(0).U32(3).U32(100).U32(0).U32(0x12345).Close();
    b.OpenFull("stdp", 0, 0).U16(1).U16(2).U16(0xFFFF).Close();
    b.OpenFull("sdtp", 0, 0).U8(0x24).U8(0x19).U8(0xFF).Close();
    b.OpenFull("stsz", 0, 0).U32(512).U32(1000).Close();
    b.OpenFull("co64", 0, 0).U32(1).U64(0x1234567890ull).Close();
    b.OpenFull("stsh", 0, 0).U32(1).U32(10).U32(9).Close();
    const ParsedNodes nodes = Parse(b);

    // Version 1 offsets are signed.
    EXPECT_TRUE(EndsWithLines(
        nodes.TextOf("ctts"),
        {"|   entry 1 : sample_count : 1 (0x1) ,\t sample_offset : 0xFFFFFE00 (-512)"}));
    EXPECT_TRUE(EndsWithLines(
        nodes.TextOf("stdp"),
        {"| + sample_count : 3 (0x3)", "|    : Entry List", "|   entry 1 : priority : 1 (0x1)",
         "|   entry 2 : priority : 2 (0x2)", "|   entry 3 : priority : 65535 (0xFFFF)"}));
    EXPECT_TRUE(EndsWithLines(
        nodes.TextOf("sdtp"),
        {"| + sample_count : 3 (0x3)", "|    : Entry List",
         "|   entry 1 : sample_depends_on : 0x2 (I picture),\t sample_is_depended_on : 0x1 (yes - "
         "not disposable),\t sample_has_redundancy : 0x0 (unknown)",
         "|   entry 2 : sample_depends_on : 0x1 (not an I picture),\t sample_is_depended_on : 0x2 "
         "(no - disposable),\t sample_has_redundancy : 0x1 (redundant)",
         "|   entry 3 : sample_depends_on : 0x3 (reserved),\t sample_is_depended_on : 0x3 "
         "(reserved),\t sample_has_redundancy : 0x3 (reserved)"}));
    // One size for every sample: no list.
    EXPECT_TRUE(EndsWithLines(NthText(nodes, "stsz", 1), {"| + sample_size : 512 (0x200)",
                                                          "|   sample_count : 1000 (0x3E8)"}));
    EXPECT_TRUE(EndsWithLines(nodes.TextOf("co64"), {"|   entry 1 : chunk_offset : 0x1234567890"}));
    EXPECT_TRUE(
        EndsWithLines(nodes.TextOf("stsh"), {"|   entry 1 : shadowed_sample_number : 10 (0xA),\t "
                                             "sync_sample_number : 9 (0x9)"}));
}

TEST_F(ISOViewBoxHandlerTest, FragmentBoxesNotInTheRealFiles) {
    BoxBuilder b;
    b.OpenFull("mehd", 1, 0).U64(0x100000000ull).Close();
    b.OpenFull("trex", 0, 0).U32(2).U32(1).U32(0).U32(0).Bytes({0x02, 0x5E, 0x00, 0x07}).Close();
    b.OpenFull("tfhd", 0, 0x00003B).U32(1).U64(0x1000).U32(1).U32(1024).U32(300).U32(0x01010000);
    b.Close();
    b.Open("mfra").OpenFull("tfra", 0, 0).U32(1).U32(0).U32(0).Close();
    b.OpenFull("tfra", 1, 0).U32(2).U32(0x15).U32(1);
    b.U64(0x123456789ull).U64(0x123456789ull).U16(2).U16(3).U16(65535);
    b.Close().Close();
    // Every field of a run, version 1 (signed composition offsets); and an empty run.
    b.OpenFull("trun", 1, 0x000F05).U32(1).U32(8).U32(0x02000000);
    b.U32(512).U32(20).Bytes({0x01, 0x01, 0x00, 0x03}).U32(0xFFFFFC00).Close();
    b.OpenFull("trun", 0, 0x000000).U32(0).Close();
    const ParsedNodes nodes = Parse(b);

    EXPECT_TRUE(
        EndsWithLines(nodes.TextOf("mehd"), {"| + fragment_duration : 4294967296 (0x100000000)"}));
    // Bytes 02 5E 00 07: depends on 2, is depended on 1, redundancy 1, padding 7, priority 7.
    EXPECT_TRUE(EndsWithLines(
        nodes.TextOf("trex"),
        {"|   default_sample_flags : 0x75E02",
         "|    : default_sample_flags has the following structure:",
         "|   sample_depends_on : 2 (this sample does not depend on others (I picture))",
         "|   sample_is_depended_on : 1 (other samples depend on this one (not disposable))",
         "|   sample_has_redundancy : 1 (there is redundant coding in this sample",
         "|   sample_padding_value : 7 (0x7)", "|   sample_is_difference_sample : 0 (0x0)",
         "|   sample_degradation_priority : 7 (0x7)"}));
    EXPECT_TRUE(EndsWithLines(
        nodes.TextOf("tfhd"),
        {"|   flags : 00003Bh", "| + track_ID : 1 (0x1)", "|   base_data_offset : 4096 (0x1000)",
         "|   sample_description_index : 1 (0x1)", "|   default_sample_duration : 1024 (0x400)",
         "|   default_sample_size : 300 (0x12C)",
         "|   default_sample_flags : 16842752 (0x1010000)"}));
    // The heading stands even without entries.
    EXPECT_TRUE(EndsWithLines(NthText(nodes, "tfra", 0),
                              {"|   number_of_entry : 0 (0x0)", "|    : Entry List"}));
    EXPECT_TRUE(EndsWithLines(
        NthText(nodes, "tfra", 1),
        {"|   [0] : time : 4886718345 (0x123456789),\t moof_offset : 0x123456789,\t traf_number : "
         "2,\t trun_number : 3,\t sample_number : 65535"}));
    EXPECT_TRUE(EndsWithLines(
        NthText(nodes, "trun", 0),
        {"| + sample_count : 1 (0x1)", "|   data_offset : 8 (0x8)",
         "|   first_sample_flags : 33554432 (0x2000000)", "|    : Array List",
         "|   [0] : sample_duration : 512 (0x200), sample_size : 20 (0x14), sample_flags : 196865 "
         "(0x30101), sample_composition_time_offset : -1024 (0xFFFFFC00)",
         "|   sample_flags structure: :  ",
         "|   sample_depends_on : 1 (this sample does depend on others (not an I picture))",
         "|   sample_is_depended_on : 0 (the dependency of other samples on this sample is "
         "unknown)",
         "|   sample_has_redundancy : 0 (it is unknown whether there is redundant coding in this "
         "sample)",
         "|   sample_padding_value : 0 (0x0)", "|   sample_is_difference_sample : 1 (0x1)",
         "|   sample_degradation_priority : 3 (0x3)"}));
    EXPECT_TRUE(EndsWithLines(NthText(nodes, "trun", 1),
                              {"| + sample_count : 0 (0x0)", "|   data_offset : Not Available",
                               "|   first_sample_flags : Not Available"}));
}

// Samples without fields of their own cost the file nothing: a 20-byte run declaring 2^32 - 1
// of them lists no more lines than it has bytes, then says how many it left out.
TEST_F(ISOViewBoxHandlerTest, TrackRunWithoutSampleFieldsIsBoundedByItsBox) {
    BoxBuilder b;
    b.OpenFull("trun", 0, 0x000001).U32(0xFFFFFFFF).U32(0).Close();
    b.OpenFull("trun", 0, 0x000001).U32(3).U32(0).Close();
    const ParsedNodes nodes = Parse(b);
    const std::string huge = NthText(nodes, "trun", 0);
    EXPECT_EQ(CountLines(huge, "|   ["), 20u);
    EXPECT_TRUE(EndsWithLines(
        huge, {"|   [19] : sample_duration : Not Available, sample_size : Not Available, "
               "sample_flags : Not Available, sample_composition_time_offset : Not Available",
               "|    : 4294967275 more samples not listed"}));
    // A short run is listed whole.
    const std::string shortRun = NthText(nodes, "trun", 1);
    EXPECT_EQ(CountLines(shortRun, "|   ["), 3u);
    EXPECT_EQ(shortRun.find("not listed"), std::string::npos);
}

TEST_F(ISOViewBoxHandlerTest, UuidAndBoxesLeftToOtherHandlers) {
    BoxBuilder b;
    b.Open("uuid").Bytes({0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71, 0x82, 0x93, 0xA4, 0xB5,
                          0xC6, 0xD7, 0xE8, 0xF9});
    b.Close();
    b.Open("free").Zeros(4).Close();
    b.Open("moov").OpenFull("nmhd", 0, 0).Close().Close();
    const ParsedNodes nodes = Parse(b);
    const std::vector<std::unique_ptr<IViewBoxHandler>> none;
    const ParsedNodes unfilled = ParseToNodes(b, none);
    const std::string uuid = nodes.TextOf("uuid");
    EXPECT_TRUE(EndsWithLines(uuid, {"| + UUID : 0x0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"}));
    EXPECT_EQ(uuid.find("version"), std::string::npos);
    // Containers and the rest show what a node no handler claims shows: their names only.
    for (const char* type : {"free", "moov", "nmhd"}) {
        EXPECT_EQ(nodes.TextOf(type), unfilled.TextOf(type)) << type;
        EXPECT_EQ(nodes.TextOf(type).find("version"), std::string::npos) << type;
    }
}

// Records made outside a parse: what the pipeline cannot produce.
TEST(ISOViewBoxHandler, RecordsItCannotReadAreDeclined) {
    CValueFormatContext context;
    CISOViewBoxHandler handler(context);

    // A table shorter than its count (a box that ended early) shows the entries it holds.
    SampleSizeBox sizes(40);
    sizes.sample_count = 5;
    sizes.entry_size = {7, 8};
    CISOViewBox node(&sizes, 0, 0);
    int32_t fullBox = 0;
    EXPECT_EQ(handler.FillViewBox(sizes, node, fullBox), 1);
    EXPECT_EQ(fullBox, 1);
    const CISOViewBoxItemLayer& items = *node.GetContentsLayer();
    ASSERT_EQ(items.GetItemCount(), 5u);
    EXPECT_EQ(items.GetValue(1), "5 (0x5)");
    EXPECT_EQ(items.GetLabel(4), "entry 2");
    EXPECT_EQ(items.GetValue(4), "entry_size : 8 (0x8)");

    // A bare record under a known id, and a container: 0, and the node is left as it was.
    Box bare(SampleSizeBox::kId, 8);
    Box moov(2, 8);
    for (const Box* box : {&bare, &moov}) {
        CISOViewBox untouched(box, 0, 0);
        fullBox = 0;
        EXPECT_EQ(handler.FillViewBox(*box, untouched, fullBox), 0);
        EXPECT_EQ(fullBox, 0);
        EXPECT_EQ(untouched.GetContentsLayer()->GetItemCount(), 0u);
        EXPECT_EQ(untouched.GetHeaderLayer()->GetItemCount(), 0u);
    }
}
