#include "presentation/ISOViewBoxHandler.h"

#include <gtest/gtest.h>

#include <string>

#include "model/ISOBoxes.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ValueFormatContext.h"
#include "support/RecordPipeline.h"

using namespace ISOFileFormat;

namespace {

BoxBuilder TrackHeader(uint32_t flags) {
    return BoxBuilder().OpenFull("tkhd", 0, flags).Zeros(36).Matrix().Zeros(8).Close();
}

// A track of the given handler whose sample description holds one entry of a type no
// codec-aware handler claims.
BoxBuilder Entry(const char* handler, const char* type, const char* compressor = "") {
    BoxBuilder b;
    OpenTrackEntries(b, handler);
    if (handler[0] == 's') OpenAudioEntry(b, type);
    if (handler[0] == 'v') OpenVisualEntry(b, type, compressor);
    if (handler[0] == 'm') b.Open(type).Zeros(6).U16(7);
    return b.Close().Close();
}

std::string NoRunFields(int index) {
    return "|   [" + std::to_string(index) +
           "] : sample_duration : Not Available, sample_size : Not Available, sample_flags : Not "
           "Available, sample_composition_time_offset : Not Available";
}

}  // namespace

// The common boxes of real files (headers, handlers, sample tables, fragments) are pinned byte
// for byte by the expected exports (tests/cli/ExpectedExports_test.cpp); these are the forms
// those files do not have.
TEST(CISOViewBoxHandler, HeadersReferencesAndSampleEntries) {
    ExpectNodeFields({
        // A plain box: no version. No brands: an empty field.
        {"ftyp",
         BoxBuilder().Open("ftyp").FourCC("3gp6").U32(0).Close(),
         {"| + Major Brand : 3gp6", "|   Minor Version : 0 (0x0)",
          "|   Compatible Brand : 'empty' (zero-lengthed field)"}},
        // The track header writes its flags itself, with what they mean.
        {"tkhd",
         TrackHeader(0),
         {"| + version : 0 (0x0)", "|   flags : 000000h (Track_disabled)", "| + track_ID : 0 (0x0)",
          "|   duration : 00h:00m:00s (0x0)", "..."}},
        {"tkhd", TrackHeader(0x010000), {"...", "|   flags : 010000h (Invalid flag value)", "..."}},
        // Edit lists: hostile 32-bit values, 64-bit ones, none.
        {"elst",
         WordBox("elst", 0, 0, {1, 0x80000000u, ~0u, 0xFFFF8000u}),
         {"...",
          "|   entry 1 : segment_duration : 2147483648 (0x80000000), media_time : -1 "
          "(0xFFFFFFFFFFFFFFFF), media_rate_integer : -1 (0xFFFFFFFF), media_rate_fraction : "
          "-32768 (0xFFFF8000)"}},
        {"elst",
         WordBox("elst", 1, 0, {1, 1, 0x23456789, 1, 0, 0x10000}),
         {"...",
          "|   entry 1 : segment_duration : 4886718345 (0x123456789), media_time : 4294967296 "
          "(0x100000000), media_rate_integer : 1 (0x1), media_rate_fraction : 0 (0x0)"}},
        {"elst",
         WordBox("elst", 0, 0, {0}),
         {"| + version : 0 (0x0)", "|   flags : 000000h", "| + entry_count : 0 (0x0)"}},
        {"cdsc", BoxBuilder().Open("tref").Leaf("cdsc").Close(), {"| +  : tarck_ID"}},
        {"urn ",
         BoxBuilder().OpenFull("urn ", 0, 0).Text("urn:x", true).Text("http://a/b", true).Close(),
         {"...", "| + name : urn:x", "|   location : http://a/b"}},
        // Sample entries no codec-aware handler claims: plain boxes. The length byte of a
        // compressor name is shown as a character like the rest.
        {"xaud",
         Entry("soun", "xaud"),
         {"| + data_reference_index : 1 (0x1)", "|   channelcount : 2 (0x2)",
          "|   samplesize : 16 (0x10)", "|   samplerate : 44100 (0xAC44)"}},
        {"xvid",
         Entry("vide", "xvid", "\x05Coder"),
         {"...", "|   compressorname : \x05Coder", "..."}},
        {"xoth", Entry("meta", "xoth"), {"| + data_reference_index : 7 (0x7)"}},
        // Containers and boxes no handler shows ('moov', 'nmhd') have no fields: the expected
        // exports show them.
        {"uuid",
         BoxBuilder().Leaf("uuid", {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71, 0x82, 0x93,
                                    0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}),
         {"| + UUID : 0x0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"}},
    });
}

TEST(CISOViewBoxHandler, SampleTablesAndFragments) {
    ExpectNodeFields({
        // Table rows at their edges: first and last, a lone entry, the widest values.
        {"stco",
         WordBox("stco", 0, 0, {2, 0x10, ~0u}),
         {"...", "| + entry_count : 2 (0x2)", "|    : Entry List",
          "|   entry 1 : chunk_offset : 0x00000010", "|   entry 2 : chunk_offset : 0xFFFFFFFF"}},
        {"stsh",
         WordBox("stsh", 0, 0, {1, ~0u, 7}),
         {"...",
          "|   entry 1 : shadowed_sample_number : 4294967295 (0xFFFFFFFF),\t "
          "sync_sample_number : 7 (0x7)"}},
        {"stz2",
         WordBox("stz2", 0, 0, {16, 2, 0x0001FFFF}),
         {"...", "|   entry 1 : entry_size : 1 (0x1)",
          "|   entry 2 : entry_size : 65535 (0xFFFF)"}},
        // One size for all samples: no table, no heading.
        {"stsz",
         WordBox("stsz", 0, 0, {5, 3}),
         {"| + version : 0 (0x0)", "|   flags : 000000h", "| + sample_size : 5 (0x5)",
          "|   sample_count : 3 (0x3)"}},
        {"ctts",
         WordBox("ctts", 1, 0, {1, 1, 0xFFFFFE00}),
         {"...", "|   entry 1 : sample_count : 1 (0x1) ,\t sample_offset : 0xFFFFFE00 (-512)"}},
        {"co64",
         WordBox("co64", 0, 0, {1, 0x12, 0x34567890}),
         {"...", "|   entry 1 : chunk_offset : 0x1234567890"}},
        {"sdtp",
         WordBox("stsz", 0, 0, {0, 3, 1, 1, 1})
             .Append(BoxBuilder().OpenFull("sdtp", 0, 0).Bytes({0x24, 0x19, 0xFF}).Close()),
         {"...",
          "|   entry 1 : sample_depends_on : 0x2 (I picture),\t sample_is_depended_on : 0x1 (yes "
          "- not disposable),\t sample_has_redundancy : 0x0 (unknown)",
          "|   entry 2 : sample_depends_on : 0x1 (not an I picture),\t sample_is_depended_on : "
          "0x2 (no - disposable),\t sample_has_redundancy : 0x1 (redundant)",
          "|   entry 3 : sample_depends_on : 0x3 (reserved),\t sample_is_depended_on : 0x3 "
          "(reserved),\t sample_has_redundancy : 0x3 (reserved)"}},
        {"mehd",
         WordBox("mehd", 1, 0, {1, 0}),
         {"...", "| + fragment_duration : 4294967296 (0x100000000)"}},
        // Bytes 02 5E 00 07: depends on 2, is depended on 1, redundancy 1, padding 7,
        // priority 7.
        {"trex",
         WordBox("trex", 0, 0, {2, 1, 0, 0, 0x025E0007}),
         {"...", "|   default_sample_flags : 0x75E02", "...",
          "|   sample_depends_on : 2 (this sample does not depend on others (I picture))",
          "|   sample_is_depended_on : 1 (other samples depend on this one (not disposable))",
          "|   sample_has_redundancy : 1 (there is redundant coding in this sample",
          "|   sample_padding_value : 7 (0x7)", "...",
          "|   sample_degradation_priority : 7 (0x7)"}},
        {"tfhd",
         WordBox("tfhd", 0, 0x00003B, {1, 1, 0x1000, 1, 1024, 300, 0x01010000}),
         {"...", "|   base_data_offset : 4294971392 (0x100001000)",
          "|   sample_description_index : 1 (0x1)", "..."}},
        // Times and offsets of version 1 are 64-bit.
        {"tfra",
         WordBox("tfra", 1, 0, {2, 0x15, 1, 1, 0x23456789, 1, 0x23456789, 0x00020003, 0xFFFF0000}),
         {"...",
          "|   [0] : time : 4886718345 (0x123456789),\t moof_offset : 0x123456789,\t traf_number "
          ": 2,\t trun_number : 3,\t sample_number : 65535"}},
        // Version 1 of a run with all four fields: composition offsets are signed. Sample flags
        // are read least significant byte first, as in 'trex'.
        {"trun",
         WordBox("trun", 1, 0x000F05, {1, 8, 0x02000000, 512, 20, 0x01010003, 0xFFFFFC00}),
         {"...",
          "|   [0] : sample_duration : 512 (0x200), sample_size : 20 (0x14), sample_flags : "
          "196865 (0x30101), sample_composition_time_offset : -1024 (0xFFFFFC00)",
          "|   sample_flags structure: :  ",
          "|   sample_depends_on : 1 (this sample does depend on others (not an I picture))", "...",
          "|   sample_is_difference_sample : 1 (0x1)",
          "|   sample_degradation_priority : 3 (0x3)"}},
        {"trun",
         WordBox("trun", 0, 0, {0}),
         {"...", "| + sample_count : 0 (0x0)", "|   data_offset : Not Available",
          "|   first_sample_flags : Not Available"}},
        // Samples without fields cost the file nothing: a 20-byte run declaring 2^32 - 1 of
        // them lists no more lines than it has bytes, then says how many it left out. A short
        // run is listed whole.
        {"trun",
         WordBox("trun", 0, 1, {~0u, 0}),
         {"...", NoRunFields(18), NoRunFields(19), "|    : 4294967275 more samples not listed"}},
        {"trun",
         WordBox("trun", 0, 1, {3, 0}),
         {"...", "|    : Array List", NoRunFields(0), NoRunFields(1), NoRunFields(2)}},
    });
}

// A record made outside a parse: the pipeline cannot produce a table shorter than its count
// (a box that ended early); such a list shows the entries the record holds.
TEST(CISOViewBoxHandler, ShowsTheEntriesARecordHolds) {
    CValueFormatContext context;
    CISOViewBoxHandler handler(context);

    SampleSizeBox sizes(40);
    sizes.sample_count = 5;
    sizes.entry_size = {7, 8};
    CISOViewBox node(&sizes, 0, 0);
    int32_t fullBox = 0;
    EXPECT_EQ(handler.FillViewBox(sizes, node, fullBox), 1);
    EXPECT_EQ(fullBox, 1);
    node.GetContentsLayer()->SetVisible(true);
    EXPECT_TRUE(node.GetText(false).ends_with("\n|   entry 2 : entry_size : 8 (0x8)"));
}
