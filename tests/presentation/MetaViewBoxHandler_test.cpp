#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// The metadata family as the default (full) set shows it. The item list of ffmpeg's tags, its
// keys and the timed-text handler are pinned by the expected exports of meta_tags.mp4 and
// meta_keys.mp4; these are the forms those files do not have.
namespace {

BoxBuilder TrackHeader(uint32_t flags) {
    return BoxBuilder().OpenFull("tkhd", 0, flags).Zeros(36).Matrix().Zeros(8).Close();
}

// 'ilst' holding one item of `item` type whose 'data' has this type indicator and value.
BoxBuilder Item(std::string_view item, uint32_t indicator, const std::vector<uint8_t>& value) {
    BoxBuilder b;
    b.Open("ilst").Open(item).Open("data").U32(indicator).U32(0x00010002).Bytes(value);
    return b.Close().Close().Close();
}

std::vector<uint8_t> Utf8(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string Repeat(std::string_view text, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

BoxBuilder GroupDescription(uint8_t version, std::string_view type,
                            std::initializer_list<uint32_t> fields,
                            const std::vector<uint8_t>& entries) {
    BoxBuilder b;
    b.OpenFull("sgpd", version, 0).FourCC(type);
    for (const uint32_t field : fields)
        b.U32(field);
    return b.Bytes(entries).Close();
}

}  // namespace

TEST(CMetaViewBoxHandler, TrackHeaderFlagsBitByBit) {
    ExpectNodeFields(
        {
            {"tkhd",
             TrackHeader(3),
             {"...", "|   flags : 000003h (track_enabled, track_in_movie)", "..."}},
            {"tkhd",
             TrackHeader(0xC),
             {"...", "|   flags : 00000Ch (track_in_preview, track_size_is_aspect_ratio)", "..."}},
            {"tkhd", TrackHeader(0), {"...", "|   flags : 000000h (track disabled)", "..."}},
            {"tkhd",
             TrackHeader(0x100001),
             {"...", "|   flags : 100001h (track_enabled, unknown bits 0x100000)", "..."}},
        },
        BoxSet::Full);
}

TEST(CMetaViewBoxHandler, MetaFormsHandlersAndValues) {
    BoxBuilder quickTime;
    quickTime.Open("meta").Hdlr("mdta").OpenFull("keys", 0, 0).U32(2);
    quickTime.U32(13).FourCC("mdta").Text("title").U32(14).FourCC("mdta").Text("artist").Close();
    quickTime.Open("ilst").Open(std::string_view("\0\0\0\2", 4)).Close();
    quickTime.Open(std::string_view("\0\0\0\5", 4)).Close().Close().Close();
    BoxBuilder custom;
    custom.Open("ilst").Open("----").OpenFull("mean", 0, 0).Text("com.apple.iTunes").Close();
    custom.OpenFull("name", 0, 0).Text("iTunSMPB").Close().Close().Close();
    ExpectNodeFields(
        {
            {"meta",
             BoxBuilder().OpenFull("meta", 0, 0).Hdlr("mdir", "x").Close(),
             {"| + version : 0 (0x0)", "|   flags : 000000h", "| + form : full box"}},
            {"hdlr",
             BoxBuilder().OpenFull("meta", 0, 0).Hdlr("mdir", "x").Close(),
             {"...", "|   handler_type : mdir", "...", "|   name : x"}},
            {"meta", quickTime, {"| + form : QuickTime (no version and flags)"}},
            // The keys are read after the version and flags a QuickTime 'meta' lacks.
            {"keys",
             quickTime,
             {"...", "|   entry 1 : key_size : 13, key_namespace : mdta, key_value : title",
              "|   entry 2 : key_size : 14, key_namespace : mdta, key_value : artist"}},
            {std::string("\0\0\0\2", 4),
             quickTime,
             {"| + key index : 2 (0x2)", "|   key : artist"}},
            // An index beyond the keys names none.
            {std::string("\0\0\0\5", 4), quickTime, {"| + key index : 5 (0x5)"}},
            {"mean", custom, {"...", "| + mean : com.apple.iTunes"}},
            {"name", custom, {"...", "| + name : iTunSMPB"}},
            // Values by type: the item decides the "number of total" pairs.
            {"data",
             Item("trkn", 0, {0, 0, 0, 3, 0, 12, 0, 0}),
             {"| + type indicator : 0 (reserved, by the item)", "|   country : 1 (0x1)",
              "|   language : 2 (0x2)", "|   value : 3 of 12"}},
            {"data", Item("gnre", 0, {0, 3}), {"...", "|   value : 0x0003"}},
            {"data", Item("\xA9nam", 1, Utf8("T\xC3\xAAte")), {"...", "|   value : T\xC3\xAAte"}},
            {"data",
             Item("\xA9nam", 2, {0, 'h', 0x20, 0xAC}),
             {"...", "|   value : h\xE2\x82\xAC"}},
            {"data", Item("tmpo", 21, {0xFF, 0x85}), {"...", "|   value : -123"}},
            {"data", Item("tmpo", 21, {0x80, 0, 0, 0}), {"...", "|   value : -2147483648"}},
            {"data", Item("tmpo", 22, {0xFF, 0xFF, 0xFF}), {"...", "|   value : 16777215"}},
            // Integers wider than four bytes, and other type sets, as bytes.
            {"data", Item("tmpo", 21, {1, 2, 3, 4, 5}), {"...", "|   value : 0x0102030405"}},
            {"data",
             Item("covr", 0x0100000D, {1}),
             {"| + type indicator : type set 1, type 13", "...", "|   value : 0x01"}},
            {"data",
             Item("covr", 13, std::vector<uint8_t>(300, 0xFF)),
             {"...", "|   value : JPEG image, 300 bytes"}},
            {"data", Item("covr", 27, {}), {"...", "|   value : BMP image, 0 bytes"}},
            {"data",
             Item("\xA9nam", 99, std::vector<uint8_t>(70, 0xAB)),
             {"...", "|   value : 0x" + Repeat("AB", 64) + "..."}},
        },
        BoxSet::Full);
}

TEST(CMetaViewBoxHandler, ReferencesLanguagesAndKinds) {
    ExpectNodeFields(
        {
            {"chap",
             BoxBuilder().Open("tref").Open("chap").U32(3).U32(~0u).Close().Close(),
             {"| +  : track_IDs", "|   [0] : 3", "|   [1] : 4294967295"}},
            // The classic reference types keep their classic rows.
            {"hint",
             BoxBuilder().Open("tref").Open("hint").U32(1).Close().Close(),
             {"| +  : tarck_ID", "|   [0] : 1 (0x1)"}},
            {"elng",
             BoxBuilder().OpenFull("elng", 0, 0).Text("en-GB", true).Close(),
             {"...", "| + extended_language : en-GB"}},
            {"kind",
             BoxBuilder()
                 .OpenFull("kind", 0, 0)
                 .Text("urn:mpeg:dash:role:2011", true)
                 .Text("main", true)
                 .Close(),
             {"...", "| + schemeURI : urn:mpeg:dash:role:2011", "|   value : main"}},
            // A value without its terminating zero ends with the box.
            {"kind",
             BoxBuilder().OpenFull("kind", 0, 0).Text("urn:x", true).Text("alt").Close(),
             {"...", "|   value : alt"}},
        },
        BoxSet::Full);
}

TEST(CMetaViewBoxHandler, SampleGroupEntriesByType) {
    const std::vector<uint8_t> kid = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F, 0x60, 0x71,
                                      0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9};
    std::vector<uint8_t> seig = {0, 0x19, 1, 0};
    seig.insert(seig.end(), kid.begin(), kid.end());
    seig.insert(seig.end(), {2, 0xCA, 0xFE});
    ExpectNodeFields(
        {
            {"sgpd",
             GroupDescription(1, "roll", {2, 2}, {0xFF, 0xFE, 0x00, 0x01}),
             {"...", "| + grouping_type : roll", "|   default_length : 2 (0x2)",
              "|   entry_count : 2 (0x2)", "|    : Entry List", "|   entry 1 : roll_distance : -2",
              "|   entry 2 : roll_distance : 1"}},
            // Version 0: the size comes from the grouping type.
            {"sgpd",
             GroupDescription(0, "prol", {1}, {0x00, 0x05}),
             {"...", "|   entry 1 : roll_distance : 5"}},
            {"sgpd",
             GroupDescription(1, "rap ", {0, 1, 1}, {0x85}),
             {"...",
              "|   entry 1 : description_length : 1, num_leading_samples_known : 1, "
              "num_leading_samples : 5"}},
            {"sgpd",
             GroupDescription(0, "sync", {2}, {0xD3, 0x14}),
             {"...", "|   entry 1 : NAL_unit_type : 19", "|   entry 2 : NAL_unit_type : 20"}},
            {"sgpd",
             GroupDescription(0, "tele", {1}, {0x80}),
             {"...", "|   entry 1 : level_independently_decodable : 1"}},
            {"sgpd",
             GroupDescription(1, "alst", {0, 1, 12}, {0, 1, 0, 2, 0, 0, 0, 9, 0, 3, 0, 4}),
             {"...",
              "|   entry 1 : description_length : 12, roll_count : 1, first_output_sample : 2, "
              "sample_offset[0] : 9, num_output_samples[0] : 3, num_total_samples[0] : 4"}},
            // Version 0: the entry ends after the offsets roll_count gives.
            {"sgpd",
             GroupDescription(0, "alst", {1}, {0, 1, 0, 2, 0, 0, 0, 9}),
             {"...",
              "|   entry 1 : roll_count : 1, first_output_sample : 2, sample_offset[0] : 9"}},
            {"sgpd",
             GroupDescription(0, "seig", {1}, seig),
             {"...",
              "|   entry 1 : crypt_byte_block : 1, skip_byte_block : 9, isProtected : 1, "
              "Per_Sample_IV_Size : 0, KID : 0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9, "
              "constant_IV_size : 2, constant_IV : 0xCAFE"}},
            // Version 2: the default index; an unknown type's entries stay whole.
            {"sgpd",
             GroupDescription(2, "abcd", {7, 2}, {1, 2, 3}),
             {"...", "| + grouping_type : abcd", "|   default_sample_description_index : 7 (0x7)",
              "|   entry_count : 2 (0x2)", "|    : Entry List",
              "|   entries : bytes : 0x010203 (3 bytes)"}},
            // An entry too short for its type's fields, as bytes.
            {"sgpd",
             GroupDescription(1, "roll", {1, 1}, {0x7F}),
             {"...", "|   entry 1 : bytes : 0x7F"}},
        },
        BoxSet::Full);
}

TEST(CMetaViewBoxHandler, SubSampleTables) {
    ExpectNodeFields(
        {
            {"subs",
             BoxBuilder()
                 .OpenFull("subs", 0, 0)
                 .U32(2)
                 .U32(1)
                 .U16(2)
                 .U16(100)
                 .U8(1)
                 .U8(0)
                 .U32(0xA0B0C0D0)
                 .U16(0xFFFF)
                 .U8(255)
                 .U8(1)
                 .U32(0)
                 .U32(3)
                 .U16(0)
                 .Close(),
             {"...", "| + entry_count : 2 (0x2)", "|    : Entry List",
              "|   entry 1 : sample_delta : 1, subsample_count : 2",
              "|     subsample 1 : subsample_size : 100, subsample_priority : 1, discardable : 0, "
              "codec_specific_parameters : 0xA0B0C0D0",
              "|     subsample 2 : subsample_size : 65535, subsample_priority : 255, discardable : "
              "1, codec_specific_parameters : 0x00000000",
              "|   entry 2 : sample_delta : 3, subsample_count : 0"}},
            // Version 1: 32-bit sizes.
            {"subs",
             BoxBuilder()
                 .OpenFull("subs", 1, 0)
                 .U32(1)
                 .U32(0)
                 .U16(1)
                 .U32(0x12345678)
                 .U8(0)
                 .U8(0)
                 .U32(1)
                 .Close(),
             {"...", "|   entry 1 : sample_delta : 0, subsample_count : 1",
              "|     subsample 1 : subsample_size : 305419896, subsample_priority : 0, "
              "discardable : 0, codec_specific_parameters : 0x00000001"}},
        },
        BoxSet::Full);
}
