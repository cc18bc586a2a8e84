#include "parsing/AudioBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/AudioBoxes.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// The entries and configurations ffmpeg writes (Opus, FLAC, AC-3, Enhanced AC-3, Apple Lossless,
// AAC) are pinned by the expected exports; here the forms those files do not have, and every
// configuration cut short.
using namespace ISOFileFormat;

namespace {

std::string Describe(const Box& b) {
    const std::string type(reinterpret_cast<const char*>(b.type), 4);
    if (auto* e = As<AudioSampleEntry>(b)) return Fields(type, e->id, e->channelcount);
    if (auto* o = As<OpusSpecificBox>(b))
        return Fields(type, o->OutputChannelCount, o->PreSkip, o->InputSampleRate, o->OutputGain,
                      o->ChannelMappingFamily, o->StreamCount, o->CoupledCount, o->ChannelMapping);
    if (auto* f = As<FLACSpecificBox>(b))
        return WithEntries(type, f->blocks, [](const FLACSpecificBox::MetadataBlock& m) {
            const auto& i = m.streamInfo;
            return Fields(m.LastMetadataBlockFlag, m.BlockType, m.Length, i.sampleRate, i.channels,
                          i.bitsPerSample, i.totalSamples, i.md5[15]);
        });
    if (auto* d = As<EC3SpecificBox>(b))
        return WithEntries(Fields(type, d->data_rate, d->num_ind_sub), d->substreams,
                           [](const EC3SpecificBox::IndependentSubstream& s) {
                               return Fields(s.fscod, s.bsid, s.asvc, s.bsmod, s.acmod, s.lfeon,
                                             s.num_dep_sub, s.chan_loc);
                           });
    if (auto* a = As<ALACSpecificConfig>(b))
        return Fields("config", a->id, a->frameLength, a->numChannels, a->sampleRate);
    if (auto* p = As<PCMConfigurationBox>(b))
        return Fields(type, p->format_flags, p->PCM_sample_size);
    if (auto* m = As<MHAConfigurationBox>(b))
        return Fields(type, m->mpegh3daProfileLevelIndication, m->referenceChannelLayout,
                      m->mpegh3daConfig);
    if (auto* c = As<ChannelLayoutBox>(b))
        return WithEntries(Fields(type, c->version, c->stream_structure, c->definedLayout,
                                  c->omittedChannelsMap, c->object_count),
                           c->speakers, [](const ChannelLayoutBox::Speaker& s) {
                               return Fields(s.speaker_position, s.azimuth, s.elevation);
                           });
    if (auto* d = As<ESDescriptorFullBox>(b))
        return Fields("esds+", d->ES_ID, d->dependsOn_ES_ID, d->URLstring, d->OCR_ES_Id,
                      d->objectTypeIndication, d->maxBitrate, d->hasAudioSpecificConfig,
                      d->audioObjectType, d->samplingFrequency, d->channelConfiguration,
                      d->sbrPresentFlag, d->psPresentFlag, d->extensionSamplingFrequency,
                      d->decoderSpecificInfo.size(), d->predefined, d->slConfigRest,
                      d->otherDescriptors.size());
    if (auto* d = As<ESDescriptorBox>(b)) return Fields("esds", d->ES_ID, d->objectTypeIndication);
    return "";
}

// An 'esds' of one ES_Descriptor whose sizes all take the four-byte form.
BoxBuilder LongSizedEsds(uint8_t objectType, const std::vector<uint8_t>& info) {
    const auto size = [](size_t n) {
        return std::vector<uint8_t>{0x80, 0x80, 0x80, static_cast<uint8_t>(n)};
    };
    BoxBuilder b;
    b.OpenFull("esds", 0, 0).U8(3).Bytes(size(3 + 5 + 13 + 5 + info.size() + 5 + 1));
    b.U16(7).U8(0).U8(4).Bytes(size(13 + 5 + info.size())).U8(objectType).U8(0x15).U24(0);
    b.U32(96000).U32(64000).U8(5).Bytes(size(info.size())).Bytes(info);
    return b.U8(6).Bytes(size(1)).U8(2).Close();
}

const std::vector<uint8_t> kStreamInfo = {
    0x12, 0, 0x12, 0, 0, 0, 0x10, 0, 0, 0x20, 0x0A, 0xC4, 0x42, 0xF0, 0,  0,  0x56,
    0x22, 1, 2,    3, 4, 5, 6,    7, 8, 9,    10,   11,   12,   13,   14, 15, 0xAB};

}  // namespace

TEST(AudioHandler, ConfigurationsOfEveryForm) {
    BoxBuilder flac;  // STREAMINFO, then a padding block flagged last; what follows is not read
    flac.OpenFull("dfLa", 0, 0).U8(0).U24(34).Bytes(kStreamInfo).U8(0x81).U24(2).U16(0).Close();
    BoxBuilder alac;  // the configuration shares the entry's type
    alac.OpenFull("alac", 0, 0).U32(4096).U8(0).U8(16).U8(40).U8(10).U8(14).U8(2).U16(255);
    alac.U32(0).U32(0).U32(44100).Close();
    BoxBuilder chnl;  // own positions: one explicit (azimuth -30, elevation 10), then an object
    chnl.OpenFull("chnl", 0, 0).U8(3).U8(0).U8(2).U8(126).U16(0xFFE2).U8(10).U8(4).Close();
    BoxBuilder chnlDefined;
    chnlDefined.OpenFull("chnl", 0, 0).U8(1).U8(12).U64(0x8000000000000001).Close();

    const std::pair<BoxBuilder, Lines> cases[] = {
        // Mapping family 1: stream counts and one mapping byte per output channel.
        {AudioEntryWith("Opus", BoxBuilder().Leaf("dOps", {0, 3, 1, 0x38, 0, 0, 0xAC, 0x44, 0xFF,
                                                           0x00, 1, 2, 1, 0, 2, 1})),
         {Fields("Opus", BoxId::Opus, 2), "dOps 3 312 44100 -256 1 2 1 [0,2,1]"}},
        {AudioEntryWith("fLaC", flac),
         {Fields("fLaC", BoxId::FLaC, 2), "dfLa 0 0 34 44100 2 16 22050 171 1 1 2 0 0 0 0 0"}},
        // Two independent substreams, the second with dependent ones at chan_loc 0x1FF.
        {AudioEntryWith("ec-3", BoxBuilder().Leaf("dec3", {0x10, 0x01, 0x20, 0x0F, 0x00, 0x60, 0x47,
                                                           0x03, 0xFF})),
         {Fields("ec-3", BoxId::Ec3, 2), "dec3 512 1 0 16 0 0 7 1 0 0 1 16 0 4 3 1 1 511"}},
        {AudioEntryWith("alac", alac),
         {Fields("alac", BoxId::Alac, 2), Fields("config", BoxId::AlacConfig, 4096, 2, 44100)}},
        {AudioEntryWith("ipcm", BoxBuilder().OpenFull("pcmC", 0, 0).U8(1).U8(24).Close()),
         {Fields("ipcm", BoxId::Ipcm, 2), "pcmC 1 24"}},
        {AudioEntryWith("mhm1", BoxBuilder().Leaf("mhaC", {1, 0x0D, 6, 0, 3, 0xAA, 0xBB, 0xCC})),
         {Fields("mhm1", BoxId::Mhm1, 2), "mhaC 13 6 [170,187,204]"}},
        {AudioEntryWith("mp4a", chnl),
         {Fields("mp4a", BoxId::Mp4a, 2), "chnl 0 3 0 0 4 2 0 0 126 -30 10"}},
        {AudioEntryWith("mp4a", chnlDefined),
         {Fields("mp4a", BoxId::Mp4a, 2), "chnl 0 1 12 9223372036854775809 0"}},
        // Another version is another layout: the box is passed.
        {AudioEntryWith("mp4a", BoxBuilder().OpenFull("chnl", 1, 0).U8(0x11).U8(2).Close()),
         {Fields("mp4a", BoxId::Mp4a, 2), "chnl 1 0 0 0 0", "passed chnl:2"}},
    };
    for (const auto& [file, lines] : cases)
        EXPECT_EQ(RecordLines(file, Describe, BoxSet::Full), lines);
}

TEST(AudioHandler, ElementaryStreamDescriptors) {
    BoxBuilder optional;  // the optional ES_Descriptor fields, the SL fields of predefined 0
    OpenAudioEntry(OpenTrackEntries(optional, "soun"), "enca").OpenFull("esds", 0, 0);
    optional.Bytes({3, 32, 0, 9, 0xE0, 0, 5, 3, 'a', 'b', 'c', 0, 6, 4, 13, 0x6B, 0x15});
    optional.U24(0).U32(320000).U32(0).Bytes({6, 4, 0, 0x7F, 0x10, 0x20, 0x0A, 1, 0xEE});
    optional.Close().Close().Close();

    const std::pair<BoxBuilder, Lines> cases[] = {
        // AAC-LC with the sizes in their longest form.
        {LongSizedEsds(0x40, {0x12, 0x10}), {"esds+ 7 0  0 64 96000 1 2 44100 2 0 0 0 2 2 [] 0"}},
        // An escaped object type (32 + 10) and an explicit 24-bit frequency.
        {LongSizedEsds(0x40, {0xF9, 0x5E, 0x00, 0x5D, 0xC0, 0x40}),
         {"esds+ 7 0  0 64 96000 1 42 12000 2 0 0 0 6 2 [] 0"}},
        // Explicit SBR (5): the output rate follows, then the core's type.
        {LongSizedEsds(0x40, {0x2B, 0x92, 0x08, 0x00}),
         {"esds+ 7 0  0 64 96000 1 2 22050 2 1 0 44100 4 2 [] 0"}},
        // Backward-compatible SBR and parametric stereo after the core's configuration.
        {LongSizedEsds(0x40, {0x13, 0x10, 0x56, 0xE5, 0x9D, 0x48, 0x80}),
         {"esds+ 7 0  0 64 96000 1 2 24000 2 1 1 48000 7 2 [] 0"}},
        // Cut before its channelConfiguration: the bytes are kept, the box is whole.
        {LongSizedEsds(0x40, {0x12}), {"esds+ 7 0  0 64 96000 0 0 44100 0 0 0 0 1 2 [] 0"}},
        {LongSizedEsds(0x6B, {1, 2, 3}), {"esds+ 7 0  0 107 96000 0 0 0 0 0 0 0 3 2 [] 0"}},
        {optional,
         {Fields("enca", BoxId::Enca, 2),
          "esds+ 9 5 abc 6 107 320000 0 0 0 0 0 0 0 0 0 [127,16,32] 1"}},
        // Two-byte sizes with their high part in use: 145, 136 and 120.
        {BoxBuilder()
             .OpenFull("esds", 0, 0)
             .Bytes({3, 0x81, 0x11, 0, 3, 0, 4, 0x81, 0x08, 0x6C, 0x11})
             .U24(0)
             .U32(1)
             .U32(2)
             .Bytes({5, 0x80, 0x78})
             .Zeros(120)
             .Bytes({6, 1, 2})
             .Close(),
         {"esds+ 3 0  0 108 1 0 0 0 0 0 0 0 120 2 [] 0"}},
        // A descriptor larger than its box ends the parse at the box.
        {BoxBuilder().OpenFull("esds", 0, 0).Bytes({3, 0x80, 0x40, 0, 1}).Close().Leaf("free"),
         {"result 3"}},
    };
    for (const auto& [file, lines] : cases)
        EXPECT_EQ(RecordLines(file, Describe, BoxSet::Full), lines);
    // The classic set reads the classic record, which does not understand the long sizes.
    EXPECT_EQ(RecordLines(LongSizedEsds(0x40, {0x12, 0x10}), Describe),
              (Lines{"esds 0 0", "passed esds:37"}));
}

// Every configuration cut inside each of its field groups ends the parse with the driver's
// message, reads nothing past the file and keeps no half-read table.
TEST(AudioHandler, ConfigurationsCutShort) {
    const std::pair<const char*, std::vector<uint8_t>> whole[] = {
        {"dOps", {0, 2, 1, 0x38, 0, 0, 0xAC, 0x44, 0, 0, 1, 1, 1, 0, 1}},
        {"dfLa",
         [] {
             std::vector<uint8_t> v = {0, 0, 0, 0, 0x80, 0, 0, 34};
             v.insert(v.end(), kStreamInfo.begin(), kStreamInfo.end());
             return v;
         }()},
        {"dac3", {0x10, 0x10, 0x80}},
        {"dec3", {0x10, 0x01, 0x20, 0x0F, 0x00, 0x60, 0x47, 0x03, 0xFF}},
        {"alac", std::vector<uint8_t>(28, 1)},
        {"pcmC", {0, 0, 0, 0, 1, 16}},
        {"mhaC", {1, 0x0D, 6, 0, 2, 0xAA, 0xBB}},
        {"chnl", {0, 0, 0, 0, 1, 5, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"esds", {0, 0, 0, 0, 3, 0x80, 0x19, 0, 1, 0, 4, 17,   0x40, 0x15, 0, 0,
                  0, 0, 0, 0, 0, 0,    0,    0, 0, 5, 2, 0x12, 0x10, 6,    1, 2}},
    };
    for (const auto& [type, payload] : whole) {
        ASSERT_EQ(
            ParseRecords(AudioEntryWith("mp4a", BoxBuilder().Leaf(type, payload)), {}, BoxSet::Full)
                .result,
            0)
            << type;
        // Without its first block or descriptor the box is empty, not cut.
        const std::string name = type;
        const size_t first = name == "esds" || name == "dfLa" ? 5 : 0;
        for (size_t cut = first; cut < payload.size(); ++cut) {
            const std::vector<uint8_t> part(payload.begin(), payload.begin() + cut);
            const ParseOutcome o = ParseRecords(
                AudioEntryWith("mp4a", BoxBuilder().Leaf(type, part)), {}, BoxSet::Full);
            EXPECT_NE(o.result, 0) << type << " cut at " << cut;
            EXPECT_NE(o.log.find("greater than the length specified"), std::string::npos)
                << type << " cut at " << cut;
        }
    }
}
