#include "presentation/StreamingViewBoxHandler.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/RecordPipeline.h"

// The forms ffmpeg writes ('styp', 'sidx' version 1, 'tfdt', 'prft' version 1, 'schm', 'tenc'
// version 0, 'saiz', 'saio') are pinned by the expected exports; these are the others.
namespace {

const std::vector<uint8_t> kWidevine = {0xED, 0xEF, 0x8B, 0xA9, 0x79, 0xD6, 0x4A, 0xCE,
                                        0xA3, 0xC8, 0x27, 0xDC, 0xD5, 0x1D, 0x21, 0xED};
const std::vector<uint8_t> kKid = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

}  // namespace

TEST(StreamingViewBoxHandler, EveryVersionAndFlag) {
    BoxBuilder psshV1;  // two KIDs, then three bytes of data
    psshV1.OpenFull("pssh", 1, 0).Bytes(kWidevine).U32(2).Bytes(kKid).Bytes(kKid);
    psshV1.U32(3).Bytes({0xCA, 0xFE, 0x01}).Close();
    BoxBuilder psshV0;  // an unknown system, no data
    psshV0.OpenFull("pssh", 0, 0).Bytes(kKid).U32(0).Close();
    BoxBuilder tencV1;  // pattern 1:9, protected with a constant IV of 8 bytes
    tencV1.OpenFull("tenc", 1, 0).U8(0).U8(0x19).U8(1).U8(0).Bytes(kKid).U8(8);
    tencV1.U64(0x0102030405060708).Close();
    BoxBuilder sidxV0;  // 32-bit times, an index reference, a SAP of type 3 at delta 5
    sidxV0.OpenFull("sidx", 0, 0).U32(2).U32(90000).U32(1000).U32(64).U16(0).U16(1);
    sidxV0.U32(0x80000100).U32(3000).U32(0xB0000005).Close();
    BoxBuilder emsgV0;
    emsgV0.OpenFull("emsg", 0, 0).Text("urn:scte:scte35:2013:bin", true).Text("1", true);
    emsgV0.U32(90000).U32(180).U32(900).U32(7).Bytes({0xFC, 0x30}).Close();
    BoxBuilder emsgV1;  // the numbers first, a 64-bit time, no message data
    emsgV1.OpenFull("emsg", 1, 0).U32(1000).U64(0x100000000).U32(0).U32(1);
    emsgV1.Text("https://aomedia.org/emsg/ID3", true).Text("", true).Close();
    BoxBuilder schm;  // with its URI
    schm.OpenFull("schm", 0, 1).FourCC("cbcs").U32(0x00010000).Text("https://x/", true).Close();
    BoxBuilder saiz;  // with the type, one size per sample
    saiz.OpenFull("saiz", 0, 1).FourCC("cenc").U32(0).U8(0).U32(2).Bytes({16, 22}).Close();
    BoxBuilder saio;  // 64-bit offsets
    saio.OpenFull("saio", 1, 0).U32(1).U64(0x123456789).Close();
    BoxBuilder prft;  // version 0: a 32-bit media time; 2024-02-29 12:00:00.5 UTC
    prft.OpenFull("prft", 0, 0).U32(1).U32(3918196800).U32(0x80000000).U32(42).Close();
    ExpectNodeFields(
        {
            {"pssh",
             psshV1,
             {"...", "| + SystemID : EDEF8BA9-79D6-4ACE-A3C8-27DCD51D21ED (Widevine)",
              "|   KID_count : 2 (0x2)", "|   KID[0] : 00010203-0405-0607-0809-0A0B0C0D0E0F",
              "|   KID[1] : 00010203-0405-0607-0809-0A0B0C0D0E0F", "|   DataSize : 3 (0x3)",
              "|   Data : 0xCAFE01"}},
            {"pssh",
             psshV0,
             {"...", "| + SystemID : 00010203-0405-0607-0809-0A0B0C0D0E0F (unknown system)",
              "|   DataSize : 0 (0x0)", "|   Data : 0x"}},
            {"tenc",
             tencV1,
             {"...", "| + default_crypt_byte_block : 1 (0x1)",
              "|   default_skip_byte_block : 9 (0x9)", "|   default_isProtected : 1 (protected)",
              "|   default_Per_Sample_IV_Size : 0 (0x0)",
              "|   default_KID : 00010203-0405-0607-0809-0A0B0C0D0E0F",
              "|   default_constant_IV_size : 8 (0x8)",
              "|   default_constant_IV : 0x0102030405060708"}},
            {"sidx",
             sidxV0,
             {"...", "| + reference_ID : 2 (0x2)", "|   timescale : 90000 (0x15F90)",
              "|   earliest_presentation_time : 1000 (0x3E8)", "|   first_offset : 64 (0x40)",
              "|   reference_count : 1 (0x1)",
              "|   reference 1 : reference_type : 1 (index), referenced_size : 256, "
              "subsegment_duration : 3000, starts_with_SAP : 1, SAP_type : 3, SAP_delta_time : 5"}},
            {"emsg",
             emsgV0,
             {"...", "| + scheme_id_uri : urn:scte:scte35:2013:bin (SCTE-35 splice information)",
              "|   value : 1", "|   timescale : 90000 (0x15F90)",
              "|   presentation_time_delta : 180 (0xB4)", "|   event_duration : 900 (0x384)",
              "|   id : 7 (0x7)", "|   message_data : 0xFC30"}},
            {"emsg",
             emsgV1,
             {"...", "| + scheme_id_uri : https://aomedia.org/emsg/ID3 (ID3 tag)",
              "|   value : 'empty' (zero-lengthed field)", "|   timescale : 1000 (0x3E8)",
              "|   presentation_time : 4294967296 (0x100000000)", "..."}},
            {"schm",
             schm,
             {"...", "| + scheme_type : 'cbcs'", "|   scheme_version : 0x00010000 (1.0)",
              "|   scheme_uri : https://x/"}},
            {"saiz",
             saiz,
             {"...", "| + aux_info_type : 'cenc'", "|   aux_info_type_parameter : 0 (0x0)",
              "|   default_sample_info_size : 0 (0x0)", "|   sample_count : 2 (0x2)",
              "|   sample_info_size[0] : 16", "|   sample_info_size[1] : 22"}},
            {"saio", saio, {"...", "| + entry_count : 1 (0x1)", "|   offset[0] : 0x123456789"}},
            {"prft",
             prft,
             {"...", "| + reference_track_ID : 1 (0x1)",
              "|   ntp_timestamp : 2024-02-29 12:00:00.500000 UTC (0xE98AF04080000000)",
              "|   media_time : 42 (0x2A)"}},
        },
        BoxSet::Full);
}

namespace {

// A track 1 whose 'tkhd' comes before `protection` (a 'tenc' or a 'seig' description, or
// nothing), then a fragment of track 1 holding `fragmentBoxes` and the 'senc' under test.
BoxBuilder ProtectedFragment(const BoxBuilder& protection, const BoxBuilder& fragmentBoxes,
                             const BoxBuilder& senc) {
    BoxBuilder b;
    b.Open("moov").Open("trak").Tkhd(1, 0).Append(protection).Close().Close();
    b.Open("moof").Open("traf").OpenFull("tfhd", 0, 0).U32(1).Close();
    b.Append(fragmentBoxes).Append(senc).Close().Close();
    return b;
}

BoxBuilder Tenc(uint8_t ivSize) {
    BoxBuilder b;
    b.OpenFull("tenc", 0, 0).U8(0).U8(0).U8(1).U8(ivSize).Bytes(kKid);
    if (ivSize == 0) b.U8(16).Bytes(kKid);
    return b.Close();
}

BoxBuilder Seig(uint8_t ivSize) {
    BoxBuilder b;
    b.OpenFull("sgpd", 1, 0).FourCC("seig").U32(20).U32(1);
    return b.U8(0).U8(0).U8(1).U8(ivSize).Bytes(kKid).Close();
}

const std::vector<uint8_t> kPiffSenc = {0xA2, 0x39, 0x4F, 0x52, 0x5A, 0x9B, 0x4F, 0x14,
                                        0xA2, 0x44, 0x6C, 0x42, 0x7C, 0x64, 0x8D, 0xF4};

}  // namespace

// Each way a 'senc' learns its IV size, and the texts where it cannot.
TEST(StreamingViewBoxHandler, SampleEncryption) {
    const BoxBuilder none;
    BoxBuilder twoSamples;  // IV 8, subsamples: one pair, then two
    twoSamples.OpenFull("senc", 0, 2).U32(2).U64(0x1122334455667788).U16(1).U16(5).U32(100);
    twoSamples.U64(2).U16(2).U16(1).U32(2).U16(3).U32(4).Close();
    BoxBuilder oneSample16;  // IV 16, no subsamples
    oneSample16.OpenFull("senc", 0, 0).U32(1).Bytes(kKid).Close();
    BoxBuilder countTooBig;  // three samples announced, one held, two stray bytes
    countTooBig.OpenFull("senc", 0, 0).U32(3).U64(9).U16(0xABCD).Close();
    BoxBuilder subsamplesOnly;  // constant IV: subsamples only
    subsamplesOnly.OpenFull("senc", 0, 2).U32(1).U16(1).U16(7).U32(9).Close();
    BoxBuilder piff;  // overrides the IV size with 8
    piff.Open("uuid").Bytes(kPiffSenc).U8(0).U24(3).U24(1).U8(8).Bytes(kKid);
    piff.U32(1).U64(5).U16(0).Close();
    ExpectNodeFields(
        {
            {"senc",
             ProtectedFragment(Tenc(8), none, twoSamples),
             {"...", "| + sample_count : 2 (0x2)",
              "|   Per_Sample_IV_Size : 8 (from the 'tenc' of track 1)",
              "|   sample 1 : InitializationVector : 0x1122334455667788, subsample_count : 1, "
              "(BytesOfClearData, BytesOfProtectedData) : (5, 100)",
              "|   sample 2 : InitializationVector : 0x0000000000000002, subsample_count : 2, "
              "(BytesOfClearData, BytesOfProtectedData) : (1, 2), (BytesOfClearData, "
              "BytesOfProtectedData) : (3, 4)"}},
            {"senc",
             ProtectedFragment(Tenc(16), none, oneSample16),
             {"...", "|   Per_Sample_IV_Size : 16 (from the 'tenc' of track 1)",
              "|   sample 1 : InitializationVector : 0x000102030405060708090A0B0C0D0E0F"}},
            {"senc",
             ProtectedFragment(none, none, countTooBig),
             {"...", "| + sample_count : 3 (0x3)",
              "|   Per_Sample_IV_Size : unknown: no 'tenc' or 'seig' of track 1 was read "
              "before this box; the samples are shown as bytes",
              "|   bytes[0] : 0x0000000000000009ABCD"}},
            {"senc",
             ProtectedFragment(Tenc(8), none, countTooBig),
             {"...", "|   Per_Sample_IV_Size : 8 (from the 'tenc' of track 1)",
              "|   samples : 1 of 3: sample_count does not fit the box",
              "|   sample 1 : InitializationVector : 0x0000000000000009",
              "|   bytes after the samples[0] : 0xABCD"}},
            {"senc",
             ProtectedFragment(Tenc(0), none, subsamplesOnly),
             {"...", "|   Per_Sample_IV_Size : 0 (from the 'tenc', constant IV, of track 1)",
              "|   sample 1 : subsample_count : 1, (BytesOfClearData, BytesOfProtectedData) : "
              "(7, 9)"}},
            {"senc",
             ProtectedFragment(Tenc(8), Seig(16), oneSample16),
             {"...", "|   Per_Sample_IV_Size : 16 (from the 'seig' sample group of track 1)",
              "..."}},
            {"senc",
             ProtectedFragment(Seig(16), none, oneSample16),
             {"...", "|   Per_Sample_IV_Size : 16 (from the 'seig' sample group of track 1)",
              "..."}},
            {"uuid",
             ProtectedFragment(none, none, piff),
             {"...", "|   extended type : PIFF Sample Encryption", "|   AlgorithmID : 1 (0x1)",
              "|   IV_size : 8 (0x8)", "|   KID : 00010203-0405-0607-0809-0A0B0C0D0E0F",
              "|   sample_count : 1 (0x1)",
              "|   Per_Sample_IV_Size : 8 (from this box's override, in track 1)",
              "|   sample 1 : InitializationVector : 0x0000000000000005, subsample_count : 0"}},
        },
        BoxSet::Full);
}

// The other Smooth Streaming boxes, the segment levels, and a 'uuid' of no known type.
TEST(StreamingViewBoxHandler, SmoothStreamingAndLevels) {
    BoxBuilder tenc;
    tenc.Open("uuid").Bytes({0x89, 0x74, 0xDB, 0xCE, 0x7B, 0xE7, 0x4C, 0x51, 0x84, 0xF9, 0x71, 0x48,
                             0xF9, 0x88, 0x25, 0x54});
    tenc.U8(0).U24(0).U24(1).U8(8).Bytes(kKid).Close();
    BoxBuilder pssh;
    pssh.Open("uuid").Bytes({0xD0, 0x8A, 0x4F, 0x18, 0x10, 0xF3, 0x4A, 0x82, 0xB6, 0xC8, 0x32, 0xD8,
                             0xAB, 0xA1, 0x83, 0xD3});
    pssh.U8(0).U24(0).Bytes(kWidevine).U32(1).U8(0xEE).Close();
    BoxBuilder tfxd;  // version 1: 64-bit fields
    tfxd.Open("uuid").Bytes({0x6D, 0x1D, 0x9B, 0x05, 0x42, 0xD5, 0x44, 0xE6, 0x80, 0xE2, 0x14, 0x1D,
                             0xAF, 0xF7, 0x57, 0xB2});
    tfxd.U8(1).U24(0).U64(0x100000000).U64(20000000).Close();
    BoxBuilder tfrf;  // version 0: 32-bit fields
    tfrf.Open("uuid").Bytes({0xD4, 0x80, 0x7E, 0xF2, 0xCA, 0x39, 0x46, 0x95, 0x8E, 0x26, 0x54, 0x6E,
                             0x32, 0xA1, 0x85, 0x4A});
    tfrf.U8(0).U24(0).U8(2).U32(100).U32(10).U32(110).U32(10).Close();
    BoxBuilder other;
    other.Open("uuid").Bytes(kKid).U32(7).Close();
    BoxBuilder ssix;  // two subsegments, the second with two levels
    ssix.OpenFull("ssix", 0, 0).U32(2).U32(1).U32(0x00000100).U32(2).U32(0x01000010);
    ssix.U32(0x02000020).Close();
    BoxBuilder leva;  // every assignment type, then a reserved one
    leva.OpenFull("leva", 0, 0).U8(6).U32(1).U8(0x80).FourCC("rap ").U32(2).U8(1);
    leva.FourCC("seig").U32(3).U32(3).U8(2).U32(4).U8(3).U32(5).U8(4).U32(9).U32(6).U8(5);
    leva.Close();
    BoxBuilder trep;
    trep.OpenFull("trep", 0, 0).U32(2).OpenFull("tfdt", 0, 0).U32(5).Close().Close();
    ExpectNodeFields(
        {
            {"uuid",
             tenc,
             {"...", "|   extended type : PIFF Track Encryption",
              "|   default_AlgorithmID : 1 (AES 128-bit in CTR mode)",
              "|   default_IV_size : 8 (0x8)",
              "|   default_KID : 00010203-0405-0607-0809-0A0B0C0D0E0F"}},
            {"uuid",
             pssh,
             {"...", "|   extended type : PIFF Protection System Specific Header",
              "|   SystemID : EDEF8BA9-79D6-4ACE-A3C8-27DCD51D21ED (Widevine)",
              "|   DataSize : 1 (0x1)", "|   Data : 0xEE"}},
            {"uuid",
             tfxd,
             {"...", "|   extended type : Smooth Streaming Fragment Time ('tfxd')",
              "|   FragmentAbsoluteTime : 4294967296 (0x100000000)",
              "|   FragmentDuration : 20000000 (0x1312D00)"}},
            {"uuid",
             tfrf,
             {"...", "|   FragmentCount : 2 (0x2)",
              "|   fragment 1 : FragmentAbsoluteTime : 100, FragmentDuration : 10",
              "|   fragment 2 : FragmentAbsoluteTime : 110, FragmentDuration : 10"}},
            {"uuid", other, {"| + UUID : 0x00010203-0405-0607-0809-0A0B0C0D0E0F"}},
            {"ssix",
             ssix,
             {"...", "| + subsegment_count : 2 (0x2)",
              "|   subsegment 1 : range_count : 1, (level, range_size) : (0, 256)",
              "|   subsegment 2 : range_count : 2, (level, range_size) : (1, 16), (level, "
              "range_size) : (2, 32)"}},
            {"leva",
             leva,
             {"...", "| + level_count : 6 (0x6)",
              "|   level 1 : track_ID : 1, padding_flag : 1, assignment_type : 0 (sample "
              "grouping), grouping_type : 'rap '",
              "|   level 2 : track_ID : 2, padding_flag : 0, assignment_type : 1 (sample "
              "grouping with parameter), grouping_type : 'seig', grouping_type_parameter : 3",
              "|   level 3 : track_ID : 3, padding_flag : 0, assignment_type : 2 (track "
              "fragment)",
              "|   level 4 : track_ID : 4, padding_flag : 0, assignment_type : 3 (track "
              "fragment, later ones)",
              "|   level 5 : track_ID : 5, padding_flag : 0, assignment_type : 4 (sub-track), "
              "sub_track_ID : 9",
              "|   assignment_type : reserved in level 6: the levels from there on cannot be "
              "read"}},
            {"trep", trep, {"...", "| + track_ID : 2 (0x2)"}},
        },
        BoxSet::Full);
}
