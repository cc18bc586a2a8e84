#include "document/QuickInformation.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "document/CollectorTestSupport.h"
#include "document/GeneralViewBox.h"
#include "document/LineViewBox.h"
#include "presentation/FixedMetricSurface.h"

using namespace collector_test;
using namespace ISOFileFormat;

// Depths show in the indented export, the section's two children in the document test.
TEST(QuickInformation, SectionExpansionFollowsTheSwitches) {
    CTrackInfoCollector collector;
    CFixedMetricSurface surface;
    for (const auto& [autoExpand, noExpandQI, expanded] : {std::tuple{false, false, false},
                                                           {false, true, false},
                                                           {true, false, true},
                                                           {true, true, false}}) {
        std::vector<std::unique_ptr<CISOViewBox>> list;
        list.push_back(std::make_unique<CLineViewBox>(0, 0, 0));  // appended after, not replaced
        BuildQuickInformation(collector, surface, autoExpand, noExpandQI, list);
        ASSERT_EQ(list.size(), 3u);
        EXPECT_EQ(list[1]->IsExpanded(), expanded) << autoExpand << noExpandQI;
        EXPECT_TRUE(list[2]->IsExpanded());
        EXPECT_FALSE(list[1]->NeedsMeasure() || list[2]->NeedsMeasure());
    }
}

// What no real file shows, as lines of the general information: no video track, a text
// track, an 'esds' for AMR; a 'btrt' after a 'bitr'; codec boxes of odd contents. A missing
// kind of track has no biggest chunk line.
TEST(QuickInformation, GeneralInformationOfCraftedTracks) {
    const struct {
        const char* what;
        std::function<void(Tracks&)> craft;
        std::vector<const char*> lines;  // each found in the text
    } cases[] = {
        {"sound and text",
         [](Tracks& t) {
             t.Add({HandlerKindSound, {{1, 10}}, Numbers{100}, SampleSizes{32, 10}});
             auto& samr = t.Make<AudioSampleEntry>(BoxId::Samr, 53);
             samr.samplerate = 8000u << 16;
             auto& damr = t.Make<AMRSpecificBox>(17);
             std::copy_n("AMRV", 4, damr.vendor);
             damr.frames_per_sample = 10;
             auto& esds = t.Make<ESDescriptorBox>(40);
             esds.objectTypeIndication = 0x40;
             esds.bufferSizeDB = 320;
             esds.maxBitrate = 12200;
             esds.avgBitrate = 12000;
             t.Note(samr, damr, esds);
             t.Add({HandlerKindText, {{1, 2}}, Numbers{100, 200}, Sizes({40, 2, 70, 3})});
         },
         {"\n|   - : No Video Track\n",
          "\n|   Frames Per Sample : 10"
          "\n|   Max Bitrate : 12200"
          "\n|   Avarge Bitrate : 12000"
          "\n|   Decoder Buffer Size : 320"
          "\n|   Decoder Version : 0"
          "\n|   Vendor : AMRV",
          "Media Data\n|   Biggest Sound Chunk : 320 bytes\n|   Biggest Text Chunk : 73 bytes"}},
        {"'btrt' after 'bitr'",
         [](Tracks& t) {
             t.Add({HandlerKindVideo, {{1, 1}}, Numbers{100}, Sizes({500})});
             auto& s263 = t.Make<VisualSampleEntry>(BoxId::S263, 86);
             auto& bitr = t.Make<BitrateBox>(16);
             bitr.avgBitrate = 64000;
             bitr.maxBitrate = 128000;
             auto& btrt = t.Make<MPEG4BitRateBox>(20);
             btrt.bufferSizeDB = 4096;
             btrt.maxBitrate = 130000;
             btrt.avgBitrate = 65000;
             t.Note(s263, bitr, btrt);
         },
         {"\n|   Size : 0 x 0 pixels"
          "\n|   Max Bitrate : 130000"
          "\n|   Avarge Bitrate : 65000"
          "\n|   Decoder Buffer Size : 4096"
          "\n|    : Audio Codec\n|   - : No Sound Track\n|    : Media Data"
          "\n|   Biggest Video Chunk : 500 bytes"}},
        // A zero byte ends a vendor, a Latin-1 one comes out as UTF-8; the fraction of a sample
        // rate is dropped; an 'esds' neither visual nor audio is ignored.
        {"3GPP codec boxes",
         [](Tracks& t) {
             t.Add({HandlerKindVideo});
             t.Add({HandlerKindSound});
             auto& s263 = t.Make<VisualSampleEntry>(BoxId::S263, 86);
             s263.width = 176;
             auto& d263 = t.Make<H263SpecificBox>(15);
             std::copy_n("ab\0d", 4, d263.vendor);
             auto& samr = t.Make<AudioSampleEntry>(BoxId::Samr, 53);
             samr.samplerate = 8000u << 16 | 0x8000;
             auto& damr = t.Make<AMRSpecificBox>(17);
             std::copy_n("F\351ED", 4, damr.vendor);  // 0xE9: e acute in Latin-1
             auto& esds = t.Make<ESDescriptorBox>(40);
             esds.objectTypeIndication = 0x6B;
             esds.maxBitrate = 1;
             t.Note(s263, d263, samr, damr, esds);
         },
         {"\n|   Vendor : ab\n|    : Audio Codec", "\n|   Sample Rate : 8000 Hz\n",
          "\n|   Frames Per Sample : 0"
          "\n|   Decoder Version : 0"
          "\n|   Vendor : F\303\251ED"
          "\n|    : Media Data"}},
        // MPEG-4 visual: profile and level from the high and low nibble.
        {"MPEG-4 visual and AMR-WB",
         [](Tracks& t) {
             t.Add({HandlerKindVideo});
             t.Add({HandlerKindSound});
             auto& mp4v = t.Make<VisualSampleEntry>(BoxId::Mp4v, 86);
             auto& visual = t.Make<ESDescriptorBox>(40);
             visual.objectTypeIndication = 0x20;
             visual.profile_and_level_indication = 0x38;
             auto& sawb = t.Make<AudioSampleEntry>(BoxId::Sawb, 53);  // the name only
             sawb.samplerate = 16000u << 16;
             t.Note(mp4v, visual, sawb);
         },
         {"\n|   Profile : 3\n|   Level : 8\n", "\n|   Type : AMR WideBand\n|    : Media Data"}},
    };
    for (const auto& c : cases) {
        Tracks tracks;
        c.craft(tracks);
        CGeneralViewBox node(1);
        FillGeneralInformation(node, tracks.Done());
        const std::string text = node.GetText(false);
        for (const char* lines : c.lines)
            EXPECT_NE(text.find(lines), std::string::npos) << c.what << text;
        EXPECT_EQ(text.find("Biggest Text") != std::string::npos,
                  tracks.collector.GetTextTrackCount() != 0);
    }
}
