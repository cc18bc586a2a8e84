#include "document/AudioFamilyFacts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/TrackInfoCollector.h"
#include "model/Format.h"
#include "support/RecordPipeline.h"

// The General Information of the real files is pinned by the expected exports; here the facts
// that only crafted configurations give, noted the way the document notes every record.
namespace {

// An 'esds' of MPEG-4 audio with this AudioSpecificConfig.
BoxBuilder Aac(const std::vector<uint8_t>& config) {
    const auto n = static_cast<uint8_t>(config.size());
    BoxBuilder b;
    b.OpenFull("esds", 0, 0).U8(3).U8(static_cast<uint8_t>(3 + 15 + 2 + n + 3)).U16(1).U8(0);
    b.U8(4).U8(static_cast<uint8_t>(15 + n)).U8(0x40).U8(0x15).U24(0).U32(128000).U32(96000);
    return b.U8(5).U8(n).Bytes(config).U8(6).U8(1).U8(2).Close();
}

// "name channels rate size", each number only when its bit is set ("-" otherwise).
std::string AudioFacts(const BoxBuilder& file, BoxSet set) {
    CTrackInfoCollector collector;
    ParseRecords(
        file,
        [&](const ISOFileFormat::Box& box) {
            collector.Note(box);
            return std::string();
        },
        set);
    const AudioCodecInfo& a = collector.GetAudioInfo();
    const auto fact = [&](uint32_t bit, uint32_t value) {
        return (a.mask & bit) != 0 ? std::to_string(value) : std::string("-");
    };
    return a.name + " " + fact(CodecInfoBit::ChannelCount, a.channelCount) + " " +
           fact(CodecInfoBit::SampleRate, a.sampleRate) + " " +
           fact(CodecInfoBit::SampleSize, a.sampleSize);
}

}  // namespace

TEST(AudioFamilyFacts, NameRateChannelsAndSizeFromTheConfiguration) {
    std::vector<uint8_t> streamInfo = {0x80, 0, 0, 34, 0x10, 0, 0x10, 0, 0, 0, 0, 0, 0, 0};
    // 96000 Hz, 6 channels, 24 bits
    for (const uint8_t byte : {0x17, 0x70, 0x0B, 0x70, 0, 0, 0, 0})
        streamInfo.push_back(byte);
    streamInfo.resize(4 + 34);
    BoxBuilder flac;
    flac.OpenFull("dfLa", 0, 0).Bytes(streamInfo).Close();

    const std::pair<BoxBuilder, const char*> cases[] = {
        // The entry says 2 channels and 44100 Hz; each configuration says better.
        {AudioEntryWith("mp4a", Aac({0x12, 0x08})), "AAC 1 44100 16"},
        {AudioEntryWith("mp4a", Aac({0x11, 0x90})), "AAC 2 48000 16"},
        // channelConfiguration 0 leaves the entry's count; SBR gives the output rate.
        {AudioEntryWith("mp4a", Aac({0x2B, 0x82, 0x08, 0x00})), "AAC 2 44100 16"},
        {AudioEntryWith("mp4a", Aac({0x17, 0x80, 0x17, 0x70, 0x08})), "AAC 1 12000 16"},
        {AudioEntryWith("Opus", BoxBuilder().Leaf("dOps", {0, 6, 0, 0, 0, 0, 0xAC, 0x44, 0, 0, 0})),
         "Opus 6 44100 16"},
        {AudioEntryWith("fLaC", flac), "FLAC 6 96000 24"},
        {AudioEntryWith("ac-3", BoxBuilder().Leaf("dac3", {0x50, 0x3D, 0x00})), "AC-3 6 44100 16"},
        {AudioEntryWith("ec-3", BoxBuilder().Leaf("dec3", {0x02, 0x00, 0xA0, 0x04, 0x00})),
         "E-AC-3 2 32000 16"},
        {AudioEntryWith("mha1", BoxBuilder().Leaf("mhaC", {1, 0x0D, 6, 0, 0})),
         "MPEG-H 2 44100 16"},
        {AudioEntryWith("ipcm", BoxBuilder().OpenFull("pcmC", 0, 0).U8(1).U8(24).Close()),
         "PCM 2 44100 24"},
        // A protected entry is named by its configuration.
        {AudioEntryWith("enca", BoxBuilder().Leaf("dac3", {0x10, 0x08, 0x80})), "AC-3 1 48000 16"},
        {AudioEntryWith("enca", Aac({0x12, 0x10})), "AAC 2 44100 16"},
    };
    for (const auto& [file, facts] : cases)
        EXPECT_EQ(AudioFacts(file, BoxSet::Full), facts);
    // The classic set keeps the classic facts: the entry's channels.
    EXPECT_EQ(AudioFacts(AudioEntryWith("mp4a", Aac({0x12, 0x08})), BoxSet::Classic),
              "AAC 2 44100 16");
}
