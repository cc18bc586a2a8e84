#include "document/QuickInformation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/CollectorTestSupport.h"
#include "document/GeneralViewBox.h"
#include "document/LineViewBox.h"
#include "model/3GPPBoxes.h"
#include "model/SampleEntries.h"
#include "presentation/FixedMetricSurface.h"

using namespace collector_test;
using namespace ISOFileFormat;

namespace {

void NoteHandler(CTrackInfoCollector& collector, Records& records, int32_t kind) {
    auto& hdlr = records.Make<HandlerRererenceBox>(33);
    hdlr.handlerKind = kind;
    collector.NoteBox(hdlr.id, &hdlr);
}

std::string GeneralText(const CTrackInfoCollector& collector) {
    CGeneralViewBox node(1);
    FillGeneralInformation(node, collector);
    return node.GetText(false);
}

}  // namespace

TEST(QuickInformation, SectionNodesAndTheirExpansion) {
    CTrackInfoCollector collector;
    CFixedMetricSurface surface;
    struct Case {
        bool autoExpand, noExpandQI, expanded;
    };
    for (const Case c : {Case{false, false, false}, Case{false, true, false},
                         Case{true, false, true}, Case{true, true, false}}) {
        std::vector<std::unique_ptr<CISOViewBox>> list;
        list.push_back(std::make_unique<CLineViewBox>(0, 0, 0));  // appended after, not replaced
        BuildQuickInformation(collector, surface, c.autoExpand, c.noExpandQI, list);
        ASSERT_EQ(list.size(), 3u);
        const CISOViewBox& title = *list[1];
        EXPECT_EQ(title.IsExpanded(), c.expanded) << c.autoExpand << c.noExpandQI;
        EXPECT_EQ(title.GetDepth(), 0);
        EXPECT_EQ(title.GetChildCount(), 2);
        EXPECT_FALSE(title.NeedsMeasure());
        EXPECT_EQ(title.GetSummaryText(), "Not an Actual Box");

        const CISOViewBox& general = *list[2];
        EXPECT_TRUE(general.IsExpanded());
        EXPECT_EQ(general.GetDepth(), 1);
        EXPECT_EQ(general.GetChildCount(), 0);
        EXPECT_FALSE(general.NeedsMeasure());
        EXPECT_EQ(general.GetBoxSize(), 0u);
        EXPECT_EQ(general.GetFileOffset(), 0u);
    }
}

TEST(QuickInformation, NoVideoTrack) {
    Records records;
    CTrackInfoCollector collector;
    NoteHandler(collector, records, 2);
    auto& mp4a = records.Make<AudioSampleEntry>(BoxId::Mp4a, 40);
    mp4a.samplerate = 44100u << 16;
    collector.NoteCodecBox(&mp4a);
    auto& esds = records.Make<ESDescriptorBox>(40);
    esds.objectTypeIndication = 0x40;
    esds.maxBitrate = 128000;
    esds.avgBitrate = 96000;
    esds.bufferSizeDB = 0;
    collector.NoteCodecBox(&esds);
    collector.FinishTrack();

    EXPECT_EQ(GeneralText(collector),
              "\n| + General Information"
              "\n| +  : Track Count"
              "\n|   Total Number Of Tracks : 1"
              "\n|   Number Of Video Tracks : 0"
              "\n|   Number Of Sound Tracks : 1"
              "\n|   Number Of Timed Text Tracks : 0"
              "\n|   Number Of Hint Tracks : 0"
              "\n|    : Video Codec"
              "\n|   - : No Video Track"
              "\n|    : Audio Codec"
              "\n|   Type : AAC"
              "\n|   Number Of Channels : 2"
              "\n|   Sample Rate : 44100 Hz"
              "\n|   Sample Size : 16"
              "\n|   Max Bitrate : 128000"
              "\n|   Avarge Bitrate : 96000"
              "\n|   Decoder Buffer Size : 0"
              "\n|    : Media Data"
              "\n|   Biggest Sound Chunk : 0 bytes");

    // Nothing at all: both placeholders, no biggest chunk.
    CTrackInfoCollector empty;
    const std::string text = GeneralText(empty);
    EXPECT_NE(text.find("\n|   - : No Video Track\n|    : Audio Codec\n|   - : No Sound Track\n|"
                        "    : Media Data"),
              std::string::npos);
    EXPECT_EQ(text.find("Biggest"), std::string::npos);
}

// Every item of the table, in its order, with a video, a sound, a text and a hint track.
TEST(QuickInformation, EveryItemOfA3GPFile) {
    Records records;
    CTrackInfoCollector collector;

    TrackSpec video;
    video.stsc = {{{1, 2}}};
    video.stco = std::vector<uint32_t>{100, 20000};
    video.stsz = Sizes({9000, 1000, 12000, 500});
    NoteTrack(collector, records, video);
    auto& s263 = records.Make<VisualSampleEntry>(BoxId::S263, 86);
    s263.width = 176;
    s263.height = 144;
    auto& d263 = records.Make<H263SpecificBox>(15);
    std::copy_n("VEND", 4, d263.vendor);
    d263.decoder_version = 3;
    d263.H263_Level = 45;
    d263.H263_Profile = 3;
    auto& bitr = records.Make<BitrateBox>(16);
    bitr.avgBitrate = 64000;
    bitr.maxBitrate = 128000;
    auto& btrt = records.Make<MPEG4BitRateBox>(20);
    btrt.bufferSizeDB = 4096;
    btrt.maxBitrate = 130000;
    btrt.avgBitrate = 65000;
    for (const Box* box : {static_cast<const Box*>(&s263), static_cast<const Box*>(&d263),
                           static_cast<const Box*>(&bitr), static_cast<const Box*>(&btrt)})
        collector.NoteCodecBox(box);

    TrackSpec sound = video;
    sound.handlerKind = 2;
    sound.stsz = ConstantSizes(32, 20);
    sound.stsc = {{{1, 10}}};
    NoteTrack(collector, records, sound);
    auto& samr = records.Make<AudioSampleEntry>(BoxId::Samr, 53);
    samr.channelcount = 2;
    samr.samplesize = 16;
    samr.samplerate = 8000u << 16;
    auto& damr = records.Make<AMRSpecificBox>(17);
    std::copy_n("AMRV", 4, damr.vendor);
    damr.decoder_version = 1;
    damr.frames_per_sample = 10;
    auto& esds = records.Make<ESDescriptorBox>(40);
    esds.objectTypeIndication = 0x40;
    esds.bufferSizeDB = 320;
    esds.maxBitrate = 12200;
    esds.avgBitrate = 12000;
    for (const Box* box : {static_cast<const Box*>(&samr), static_cast<const Box*>(&damr),
                           static_cast<const Box*>(&esds)})
        collector.NoteCodecBox(box);

    TrackSpec text = video;
    text.handlerKind = 4;
    text.stsz = Sizes({40, 2, 70, 3});
    NoteTrack(collector, records, text);
    TrackSpec hint = text;
    hint.handlerKind = 3;
    NoteTrack(collector, records, hint);
    collector.FinishTrack();

    EXPECT_EQ(GeneralText(collector),
              "\n| + General Information"
              "\n| +  : Track Count"
              "\n|   Total Number Of Tracks : 4"
              "\n|   Number Of Video Tracks : 1"
              "\n|   Number Of Sound Tracks : 1"
              "\n|   Number Of Timed Text Tracks : 1"
              "\n|   Number Of Hint Tracks : 1"
              "\n|    : Video Codec"
              "\n|   Name : H.263"
              "\n|   Size : 176 x 144 pixels"
              "\n|   Max Bitrate : 130000"
              "\n|   Avarge Bitrate : 65000"
              "\n|   Decoder Buffer Size : 4096"
              "\n|   Profile : 3"
              "\n|   Level : 45"
              "\n|   Decoder Version : 3"
              "\n|   Vendor : VEND"
              "\n|    : Audio Codec"
              "\n|   Type : AMR"
              "\n|   Number Of Channels : 2"
              "\n|   Sample Rate : 8000 Hz"
              "\n|   Sample Size : 16"
              "\n|   Frames Per Sample : 10"
              "\n|   Max Bitrate : 12200"
              "\n|   Avarge Bitrate : 12000"
              "\n|   Decoder Buffer Size : 320"
              "\n|   Decoder Version : 1"
              "\n|   Vendor : AMRV"
              "\n|    : Media Data"
              "\n|   Biggest Video Chunk : 12500 bytes"
              "\n|   Biggest Sound Chunk : 320 bytes"
              "\n|   Biggest Text Chunk : 73 bytes");
}
