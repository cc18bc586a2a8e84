#include "presentation/3GPPViewBoxHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordPipeline.h"

namespace {

// An 'esds' with one-byte descriptor sizes, in a sample entry of the given type; no
// DecoderSpecificInfo unless `withInfo`.
BoxBuilder Esds(const char* entry, uint8_t objectType, uint8_t streamType,
                const std::vector<uint8_t>& info, bool withInfo = true) {
    BoxBuilder b;
    if (entry[2] == '4' && entry[3] == 'v')
        OpenVisualEntry(OpenTrackEntries(b, "vide"), entry);
    else
        OpenAudioEntry(OpenTrackEntries(b, "soun"), entry);
    const auto config = static_cast<uint8_t>(13 + (withInfo ? 2 + info.size() : 0));
    b.OpenFull("esds", 0, 0).U8(3).U8(static_cast<uint8_t>(3 + 2 + config + 3)).U16(0x12).U8(0);
    b.U8(4).U8(config).U8(objectType).U8(static_cast<uint8_t>(streamType << 2 | 1));
    b.U24(6144).U32(128000).U32(96000);
    if (withInfo) b.U8(5).U8(static_cast<uint8_t>(info.size())).Bytes(info);
    return b.U8(6).U8(1).U8(2).Close().Close().Close();
}

}  // namespace

// The entries and codec boxes of real files ('mp4a', 'samr', 'mp4v', 's263', 'avc1' and their
// 'esds', 'damr', 'd263', 'avcC', 'tx3g', 'btrt', and the asset boxes 'auth', 'titl', 'dscp',
// 'perf', 'gnre', 'yrrc') are pinned byte for byte by the expected exports
// (tests/cli/ExpectedExports_test.cpp); these are the forms those files do not have.
TEST(C3GPPViewBoxHandler, SampleEntriesAndCodecConfiguration) {
    BoxBuilder h263;
    OpenVisualEntry(OpenTrackEntries(h263, "vide"), "s263").Open("d263").FourCC("ab");
    h263.U8(0).U8(10).U8(0).Close().Close().Close();
    BoxBuilder hint;
    OpenTrackEntries(hint, "hint", 2).Open("rtp ").Zeros(6).U16(3).U32(0x0001AB0F).Close();
    hint.Open("srtp").Zeros(6).U16(1).Close().Close();
    BoxBuilder avc;
    OpenVisualEntry(OpenTrackEntries(avc, "vide"), "avc1").Open("avcC").U32(0x0142C01E).U8(0xFF);
    avc.U8(0xE1).U16(4).U32(0x6742C01E).U8(2).U16(2).U16(0x68CE).U16(0).Close().Close().Close();
    BoxBuilder text;
    OpenTrackEntries(text, "text").Open("tx3g").Zeros(6).U16(1).U32(0x60000800).U8(1).U8(0xFF);
    text.U32(0x0010FF80).U32(0).U32(0x003CFFFF).U32(5).U16(1).U8(0x0B).U8(18).U32(~0u);
    text.Close().Close();

    ExpectNodeFields({
        // A vendor code shorter than four characters ends at its first zero byte.
        {"d263", h263, {"| + vendor : 'ab'", "..."}},
        {"rtp ", hint, {"| + data_reference_index : 3 (0x3)", "|   data : 0x0001AB0F"}},
        {"srtp", hint, {"| + data_reference_index : 1 (0x1)", "|   data : 0x"}},
        // A parameter set of length 0 is listed, empty.
        {"avcC", avc, {"...", "|   [0] : 0x68CE", "|   [1] : 0x"}},
        {"tx3g",
         text,
         {"...", "|   vertical-justification : -1 (0xFFFFFFFFFFFFFFFF)", "...",
          "|   default-text-box : top 0, left 0, bottom 60, right -1", "..."}},
        // Sample entry types outside a sample description are bare boxes to the driver: their
        // catalogue ids are ours, their records are not, and nothing may be read from them.
        {"mp4a", BoxBuilder().Open("mp4a").Zeros(40).Close(), {}},
        {"tx3g", BoxBuilder().Open("tx3g").Zeros(40).Close(), {}},
        {"s263", BoxBuilder().Open("s263").Zeros(4).Close(), {}},
    });
}

TEST(C3GPPViewBoxHandler, DecoderSpecificInfo) {
    ExpectNodeFields({
        // HE-AAC v2: 24000 Hz core, SBR at 48000 Hz, then parametric stereo.
        {"esds",
         Esds("mp4a", 0x40, 5, {0x13, 0x10, 0x56, 0xE5, 0x9D, 0x48, 0x80}),
         {"...", "|   audioObjectType : 2 (0x2)",
          "|   samplingFrequencyIndex : 0x6 (frequency : 24000)",
          "|   channelConfiguration : 2 (2 channel(s), Right and left of the front)",
          "|   syncExtensionType : 695 (0x2B7)", "|   extensionAudioObjectType : 5 (0x5)",
          "|    : for High Efficiency AAC Profile", "|   sbrPresentFlag : 1 (0x1)",
          "|   extensionSamplingFrequencyIndex : 0x3 (frequency : 48000)",
          "|    : for High Efficiency AAC v2 Profile (EAAC+)",
          "|   syncExtensionType : 1352 (0x548)", "|   psPresentFlag : 1 (0x1)",
          "|    : SLConfigDescriptor", "|   predefined : 2 (0x2)"}},
        // Index 13 is reserved: no frequency to show. Seven channels plus bass is the widest
        // layout.
        {"esds",
         Esds("mp4a", 0x40, 5, {0x16, 0xB8}),
         {"...", "|   samplingFrequencyIndex : 0xD (frequency : reserved)",
          "|   channelConfiguration : 7 (7+1 channel(s), Center, right and left of the front, "
          "right and left of front outward, and right and left of bacward, and front for bass)",
          "|    : SLConfigDescriptor", "..."}},
        // SBR in 5 bytes leaves no room for the second sync word. A configuration shorter than
        // what is read, or empty, shows what its next bytes say, and the reading goes back to
        // its end: the SLConfigDescriptor is read where it is.
        {"esds",
         Esds("mp4a", 0x40, 5, {0x12, 0x10, 0x56, 0xE5, 0x98}),
         {"...", "|   sbrPresentFlag : 1 (0x1)",
          "|   extensionSamplingFrequencyIndex : 0x3 (frequency : 48000)",
          "|    : SLConfigDescriptor", "|   predefined : 2 (0x2)"}},
        {"esds",
         Esds("mp4a", 0x40, 5, {0x12, 0x10, 0x56, 0xE5}),
         {"...", "|   extensionAudioObjectType : 5 (0x5)", "|   sbrPresentFlag : 0 (0x0)",
          "|   extensionSamplingFrequencyIndex : 0x0 (frequency : 96000)",
          "|    : SLConfigDescriptor", "|   predefined : 2 (0x2)"}},
        {"esds",
         Esds("mp4a", 0x40, 5, {}),
         {"...", "|    : DecoderSpecificInfo", "|   audioObjectType : 0 (0x0)",
          "|   samplingFrequencyIndex : 0xC (frequency : 7350)",
          "|   channelConfiguration : 0 (- channel(s), Set GASpecificConfig)",
          "|    : SLConfigDescriptor", "|   predefined : 2 (0x2)"}},
        // Visual: a profile and level known by name.
        {"esds",
         Esds("mp4v", 0x20, 4, {0, 0, 1, 0xB0, 0xF5, 0xAA, 0, 0, 1, 0xB1}),
         {"...", "|   profile_and_level_indication : 0xF5 (4:2:2 Profile @ Main Level)", "..."}},
        // MPEG-1 audio has no DecoderSpecificInfo: the warning, then the record's visual
        // fields, all zero. A stream type neither audio nor visual is questioned.
        {"esds",
         Esds("mp4a", 0x6B, 0x20, {}, false),
         {"...", "|   objectTypeIndication : 0x6B (107) - Warning! Check this value!",
          "|   streamType : 0x20 (?)", "...", "|    : DecoderSpecificInfo",
          "|   visual_object_sequence_start_code : 0x00000000",
          "|   profile_and_level_indication : 0x00 (Profile 0, Level 0)", "..."}},
    });
}

// Asset boxes hold the language "eng" (0x15C7) after their version and flags.
TEST(C3GPPViewBoxHandler, AssetsTrackSelectionAndHintTexts) {
    ExpectNodeFields({
        // The classification text is shown under the rating's label.
        {"clsf",
         BoxBuilder().Leaf("clsf", {0, 0, 0, 0, 'B', 'B', 'F', 'C', 0, 3, 0x15, 0xC7, 'U', 0}),
         {"...", "| + ClassificationEntity : BBFC", "|   ClassificationTable : 3 (0x3)",
          "|   Language : eng", "|   RatingInfo : U"}},
        {"kywd",
         BoxBuilder().Leaf("kywd",
                           {0, 0, 0, 0, 0x15, 0xC7, 2, 3, 's', 'e', 'a', 4, 'b', 'o', 'a', 't'}),
         {"...", "| + Language : eng", "|   KeywordCnt : 2 (0x2)", "|    : Keywords",
          "|   Keywords 1 : sea", "|   Keywords 2 : boat"}},
        {"kywd",
         BoxBuilder().Leaf("kywd", {0, 0, 0, 0, 0x15, 0xC7, 0}),
         {"...", "| + Language : eng", "|   KeywordCnt : 0 (0x0)"}},
        {"loci",
         BoxBuilder().Leaf(
             "loci", {0,    0,    0, 0, 0x15, 0xC7, 'H', 'o', 'm', 'e', 0,   1,   0,   1, 0x80, 0,
                      0xFF, 0xFF, 0, 0, 0,    0x10, 0,   0,   'E', 'a', 'r', 't', 'h', 0, 0}),
         {"...", "| + Language : eng", "|   Name : Home", "|   Role : 1 (0x1)",
          "|   Longitude : 1.32768 (0x00018000)", "|   Latitude : 65535.0 (0xFFFF0000)",
          "|   altitude : 16.0 (0x00100000)", "|   Astronomical_body : Earth",
          "|   Additional_notes : 'empty' (zero-lengthed field)"}},
        // Codes compare without regard to case; the explanation follows the code directly.
        {"tsel",
         BoxBuilder().Leaf("tsel", {0,   0,   0,   0,   0,   0,   0,   0,   'L', 'A',
                                    'N', 'G', 'b', 'w', 'a', 's', 'a', 'b', 'c', 'd'}),
         {"| + version : 0 (0x0)", "|   flags : 000000h",
          "| + SwitchGroup : 0 (not intended for switching)", "|    : AttributeList",
          "|   Attribute 1 : LANG(Language, Value of grouping type LANG of \"alt-group\" "
          "attribute in session-level SDP)",
          "|   Attribute 2 : bwas(Bandwidth, Value of \"b=AS\" attribute in media-level SDP",
          "|   Attribute 3 : abcd"}},
        {"tsel",
         WordBox("tsel", 0, 0, {7}),
         {"...", "| + SwitchGroup : 7", "|    : AttributeList"}},
        // Only whole lines are shown: not what follows the last "\r\n", not a lone "\r" at the
        // end; an empty line is an empty field, and a zero byte ends a line's text.
        {"rtp ",
         BoxBuilder().Open("rtp ").FourCC("sdp ").Text("v=0\r\ns=x\r\n").Close(),
         {"| + descriptionformat : sdp ", "|   SDP : v=0", "|     : s=x"}},
        {"sdp ", BoxBuilder().Open("sdp ").Text("m=video 0 RTP/AVP 96").Close(), {}},
        {"sdp ",
         BoxBuilder().Open("sdp ").Text("a=x\r\n\r\nb=y").U8(0).Text("z\r\nc=tail\r").Close(),
         {"| + SDP : a=x", "|     : 'empty' (zero-lengthed field)", "|     : b=y"}},
    });
}
