#include "presentation/AudioViewBoxHandler.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/RecordPipeline.h"

// The nodes of the real files (Opus, FLAC, AC-3, Enhanced AC-3, Apple Lossless, AAC and MPEG-4
// visual 'esds') are pinned by the expected exports; these are the forms those files lack.
namespace {}  // namespace

TEST(AudioViewBoxHandler, ConfigurationFields) {
    BoxBuilder flac;  // block types by name, an unknown one by number
    flac.OpenFull("dfLa", 0, 0).U8(4).U24(0).U8(0x89).U24(1).U8(0).Close();
    BoxBuilder chnl;
    chnl.OpenFull("chnl", 0, 0).U8(3).U8(0).U8(2).U8(126).U16(0xFFE2).U8(0xF6).U8(4).Close();
    BoxBuilder chnlDefined;
    chnlDefined.OpenFull("chnl", 0, 0).U8(1).U8(12).U64(0x8000000000000001).Close();
    ExpectNodeFields(
        {
            {"dOps",
             AudioEntryWith("Opus", BoxBuilder().Leaf("dOps", {0, 2, 0, 0, 0, 0, 0xBB, 0x80, 0xFF,
                                                               0x00, 1, 1, 1, 1, 0})),
             {"...", "|   OutputGain : -256 (0xFFFFFFFFFFFFFF00)",
              "|   ChannelMappingFamily : 1 (0x1)", "|   StreamCount : 1 (0x1)",
              "|   CoupledCount : 1 (0x1)", "|   ChannelMapping[0] : 1 (0x1)",
              "|   ChannelMapping[1] : 0 (0x0)"}},
            {"dfLa",
             AudioEntryWith("fLaC", flac),
             {"...", "|   BlockType : 4 (VORBIS_COMMENT)", "...",
              "|   LastMetadataBlockFlag : 1 (0x1)", "|   BlockType : 9", "|   Length : 1 (0x1)"}},
            {"dec3",
             AudioEntryWith("ec-3",
                            BoxBuilder().Leaf("dec3", {0x10, 0x00, 0x4E, 0x47, 0x03, 0xFF})),
             {"| + data_rate : 512 kbit/s", "|   num_ind_sub : 0 (0x0)",
              "|    : independent substream 0", "|   fscod : 1 (44100 Hz)", "...",
              "|   bsmod : 4 (dialogue)", "|   acmod : 3 (3/0: L, C, R)", "...",
              "|   num_dep_sub : 1 (0x1)", "|   chan_loc : 511 (0x1FF)"}},
            {"dac3",
             AudioEntryWith("ac-3", BoxBuilder().Leaf("dac3", {0xC0, 0x1F, 0xE0})),
             {"| + fscod : 3 (reserved)", "...", "|   bit_rate_code : 31 (reserved)"}},
            {"pcmC",
             AudioEntryWith("fpcm", BoxBuilder().OpenFull("pcmC", 0, 0).U8(0).U8(32).Close()),
             {"...", "| + format_flags : 0x00 (big-endian)", "|   PCM_sample_size : 32 (0x20)"}},
            {"mhaC",
             AudioEntryWith("mha1", BoxBuilder().Leaf("mhaC", {1, 0x0D, 6, 0, 2, 0xAA, 0x0B})),
             {"...", "|   mpegh3daConfigLength : 2 (0x2)", "|   mpegh3daConfig : 0xAA0B"}},
            {"chnl",
             AudioEntryWith("mp4a", chnl),
             {"...", "| + stream_structure : 3 (channels and objects)",
              "|   definedLayout : 0 (0x0)", "|   speaker_position[0] : 2 (0x2)",
              "|   speaker_position[1] : 126 (azimuth -30, elevation -10)",
              "|   object_count : 4 (0x4)"}},
            {"chnl",
             AudioEntryWith("mp4a", chnlDefined),
             {"...", "| + stream_structure : 1 (channels)", "|   definedLayout : 12 (0xC)",
              "|   omittedChannelsMap : 0x8000000000000001"}},
            // A protected entry shows the fields every audio entry has.
            {"enca",
             AudioEntryWith("enca", BoxBuilder().Leaf("free", {})),
             {"| + data_reference_index : 1 (0x1)", "|   channelcount : 2 (0x2)", "...",
              "|   samplerate : 44100 (0xAC44)"}},
        },
        BoxSet::Full);
}

TEST(AudioViewBoxHandler, ElementaryStreamDescriptor) {
    BoxBuilder optional;  // every optional field, a custom SL configuration, a descriptor after it
    OpenAudioEntry(OpenTrackEntries(optional, "soun"), "mp4a").OpenFull("esds", 0, 0);
    optional.Bytes({3, 0x80, 31, 0, 9, 0xE0, 0, 5, 3, 'a', 'b', 'c', 0, 6, 4, 13, 0x6B, 0x15});
    optional.U24(0).U32(320000).U32(0).Bytes({6, 3, 0, 0x7F, 0x10, 0x0A, 1, 0xEE});
    optional.Close().Close().Close();
    BoxBuilder escaped;  // an explicit frequency, then explicit SBR
    OpenAudioEntry(OpenTrackEntries(escaped, "soun"), "mp4a").OpenFull("esds", 0, 0);
    escaped.Bytes({3, 30, 0, 1, 0, 4, 22, 0x40, 0x15}).U24(0).U32(0).U32(0);
    escaped.Bytes({5, 7, 0x2F, 0x80, 0x17, 0x70, 0x13, 0x08, 0x00, 6, 1, 2})
        .Close()
        .Close()
        .Close();
    ExpectNodeFields(
        {
            {"esds",
             optional,
             {"...", "|   streamPriority : 0 (0x0)", "|   dependsOn_ES_ID : 5 (0x5)",
              "|   URLlength : 3 (0x3)", "|   URLstring : abc", "|   OCR_ES_Id : 6 (0x6)",
              "|    : DecoderConfigDescriptor", "|   objectTypeIndication : MPEG-1 Audio (0x6B)",
              "|   streamType : AudioStream (0x5)", "...", "|    : SLConfigDescriptor",
              "|   predefined : 0 (0x0)", "|   fields : 0x7F10", "|    : descriptor tag 0x0A",
              "|   bytes : 0xEE"}},
            {"esds",
             escaped,
             {"...", "|    : DecoderSpecificInfo", "|   audioObjectType : 2 (0x2)",
              "|   samplingFrequencyIndex : 0xF (explicit)",
              "|   samplingFrequency : 12000 (0x2EE0)", "...",
              "|   extensionAudioObjectType : 5 (0x5)", "|   sbrPresentFlag : 1 (0x1)",
              "|   extensionSamplingFrequencyIndex : 0x6 (frequency : 24000)",
              "|   psPresentFlag : 0 (0x0)", "|   bytes : 0x2F801770130800", "..."}},
        },
        BoxSet::Full);
}
