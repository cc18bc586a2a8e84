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
