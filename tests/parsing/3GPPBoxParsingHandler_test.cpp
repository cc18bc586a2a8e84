#include "parsing/3GPPBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/3GPPBoxes.h"
#include "model/BoxCatalogue.h"
#include "model/MobileMP4Boxes.h"
#include "model/SampleEntries.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// The handlers registered beside the ISO one: 3GPP (with the MP4 and AVC file formats) and
// Mobile MP4. The entries and configurations of the real files (AAC-LC, AVC, H.263, AMR, timed
// text, RTP hints) are pinned by the expected exports (tests/cli); here their other forms.
using namespace ISOFileFormat;

namespace {

std::string Bytes(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string Describe(const Box& b) {
    const std::string type(reinterpret_cast<const char*>(b.type), 4);
    if (auto* e = As<AudioSampleEntry>(b))
        return Fields(type, e->id, e->channelcount, e->samplerate >> 16);
    if (auto* e = As<VisualSampleEntry>(b)) return Fields(type, e->id, e->width, e->height);
    if (auto* e = As<SampleEntry>(b)) return Fields(type, e->id, e->data_reference_index);
    if (auto* d = As<ESDescriptorBox>(b))
        return Fields("esds", d->version, d->ES_ID, d->objectTypeIndication, d->streamType,
                      d->maxBitrate, "|", d->audioObjectType, d->syncExtensionType,
                      d->extensionAudioObjectType, d->sbrPresentFlag,
                      d->extensionSamplingFrequencyIndex, d->syncExtensionType2, d->psPresentFlag);
    if (auto* h = As<H263SpecificBox>(b)) return Fields(type, h->H263_Level, h->H263_Profile);
    if (auto* r = As<BitrateBox>(b)) return Fields(type, r->avgBitrate, r->maxBitrate);
    if (auto* w = As<AMRWPSpecificBox>(b)) return Fields(type, w->decoder_version);
    if (auto* f = As<FontTableBox>(b))
        return WithEntries("ftab", f->entries,
                           [](const auto& e) { return Fields(e.font_ID, Bytes(e.font_name)); });
    if (auto* t = As<TitleBox>(b))
        return Fields(type, std::string(t->language, t->language + 3), t->title);
    if (auto* a = As<AuthorBox>(b)) return Fields(type, a->author);
    if (auto* p = As<PerformerBox>(b)) return Fields(type, p->performer);
    if (auto* d = As<DescriptionBox>(b)) return Fields(type, d->description);
    if (auto* g = As<GenreBox>(b)) return Fields(type, g->genre);
    if (auto* r = As<RatingBox>(b)) return Fields(type, r->RatingInfo);
    if (auto* c = As<ClassificationBox>(b))
        return Fields(type, c->ClassificationTable, c->ClassificationInfo.size());
    if (auto* k = As<KeywordsBox>(b))
        return WithEntries(type, k->keywords,
                           [](const auto& e) { return "'" + e.KeywordInfo + "'"; });
    if (auto* a = As<AlbumBox>(b)) return Fields(type, a->AlbumTitle, a->TrackNumber);
    if (auto* y = As<RecordingYearBox>(b)) return Fields(type, y->RecordingYear);
    if (auto* t = As<TrackSelectionBox>(b))
        return WithEntries(Fields(type, t->SwitchGroup), t->AttributeList,
                           [](const auto& a) { return std::string(a.begin(), a.end()); });
    return "";
}

TEST(ThreeGPPHandler, DescriptorsOfEveryForm) {
    BoxBuilder multi;  // multi-byte sizes are not understood: version and flags only
    multi.OpenFull("esds", 1, 0).Bytes({3, 0x80, 0x80, 0x80, 0x22, 0, 1, 0, 4, 0x80}).Zeros(20);
    multi.Close().OpenFull("esds", 0, 0).Bytes({3, 0x22, 0, 7, 0, 4, 0x80, 0x80, 0x80, 0x14});
    multi.Zeros(22).Close();
    BoxBuilder mp3;  // no DecoderSpecificInfo: the box is still read exactly
    mp3.OpenFull("esds", 0, 0).Bytes({3, 21, 0, 2, 0, 4, 13, 0x6B, 0x15}).U24(0).U32(320000);
    mp3.U32(0).Bytes({6, 1, 2}).Close();
    BoxBuilder optional;  // optional ES_Descriptor fields are passed
    optional.OpenFull("esds", 0, 0).Bytes({3, 27, 0, 9, 0xC0, 0, 5, 3, 'a', 'b', 'c', 4, 13});
    optional.Bytes({0x40, 0x15}).U24(0).U32(64000).U32(0).Bytes({6, 1, 2}).Close();

    // The AudioSpecificConfig forms (SBR, parametric stereo, too short, empty) are read through
    // the node tests of 'esds' in tests/presentation; here the descriptor forms around them.
    EXPECT_EQ(RecordLines(multi, Describe),
              (Lines{"esds 1 0 0 0 0 | 0 0 0 0 0 0 0", "esds 0 0 0 0 0 | 0 0 0 0 0 0 0",
                     "passed esds:28", "passed esds:25"}));
    EXPECT_EQ(RecordLines(mp3, Describe), (Lines{"esds 0 2 107 5 320000 | 0 0 0 0 0 0 0"}));
    EXPECT_EQ(RecordLines(optional, Describe), (Lines{"esds 0 9 64 5 64000 | 0 0 0 0 0 0 0"}));
}

TEST(ThreeGPPHandler, SampleEntriesByTrackKindAndType) {
    // 'avc1', 's263', 'samr' and their configurations are pinned by the expected exports.
    BoxBuilder video;  // types compared without case; a 'bitr' inside 'd263'
    OpenVisualEntry(OpenTrackEntries(video, "vide", 1), "S263").Open("d263").FourCC("FFMP");
    video.Bytes({0, 45, 3}).Open("bitr").U32(64000).U32(96000).Close().Close().Close().Close();
    BoxBuilder sound;  // AMR-WB is read and shown as AMR
    OpenAudioEntry(OpenTrackEntries(sound, "soun", 2), "sawb").Open("damr").FourCC("FFMP").U8(1);
    OpenAudioEntry(sound.U16(0).U16(1).Close().Close(), "sawp").Open("dawp").FourCC("FFMP").U8(2);
    sound.Close().Close().Close();
    BoxBuilder others;  // a font table, read in its text entry
    OpenTrackEntries(others, "text", 1).Open("tx3g").Zeros(6).U16(1).U32(0x20000).U8(1).U8(0xFF);
    others.Zeros(4).U16(0).U16(0).U16(60).U16(0xFFF6).Zeros(7).U8(18).Zeros(4);
    others.Open("ftab").U16(2).U16(1).U8(5).Text("Serif").U16(2).U8(0).Close().Close().Close();
    // Another kind of track: known types are still read as their kind, others generically.
    OpenTrackEntries(others, "meta", 2).Open("mp4a").Zeros(6).U16(3).Zeros(20).Close();
    others.Open("xyz1").Zeros(6).U16(4).Zeros(10).Close().Close();

    EXPECT_EQ(RecordLines(video, Describe),
              (Lines{Fields("S263", BoxId::S263, 176, 144), "d263 45 3", "bitr 64000 96000"}));
    EXPECT_EQ(RecordLines(sound, Describe),
              (Lines{Fields("sawb", BoxId::Samr, 2, 44100), Fields("sawp", BoxId::Sawp, 2, 44100),
                     "dawp 2"}));
    EXPECT_EQ(
        RecordLines(others, Describe),
        (Lines{Fields("tx3g", BoxId::Tx3g, 1), "ftab 1 Serif 2 ",
               Fields("mp4a", BoxId::Mp4a, "0 0"), Fields("xyz1", BoxId::UnknownSampleEntry, 4)}));
}

TEST(ThreeGPPHandler, AssetTextsAndTrackSelection) {
    const uint16_t eng = (5 << 10) | (14 << 5) | 7;
    BoxBuilder assets;  // UTF-16 behind its mark, UTF-8 otherwise, zero characters kept
    assets.Open("udta").OpenFull("titl", 0, 0).U16(eng).Bytes({0xFE, 0xFF, 0, 'A', 0, 'B', 0, 0});
    assets.Close().OpenFull("auth", 0, 0).U16(eng).Bytes({'J', 0xC3, 0xBC, 'r', 0xFF, 'g'}).Close();
    assets.OpenFull("perf", 0, 0).U16(eng).Text("Band", true).Close();
    assets.OpenFull("dscp", 0, 0).U16(eng).Close();
    assets.OpenFull("gnre", 0, 0).U16(eng).Bytes({0xFF, 0xFE, 'x', 0}).Close();
    assets.OpenFull("rtng", 0, 0).FourCC("MPAA").FourCC("PG13").U16(eng).Text("fine", true);
    assets.Text("junk").Close().OpenFull("clsf", 0, 0).FourCC("NONE").U16(7).U16(eng);
    assets.Text(std::string(300, 'x')).Close();  // cut at 200, read whole
    assets.OpenFull("kywd", 0, 0).U16(eng).U8(2).U8(3).Text("one").U8(0).Close();
    assets.OpenFull("albm", 0, 0).U16(eng).Text("Album", true).U8(7).Close();
    assets.OpenFull("albm", 0, 0).U16(eng).Text("A", true).Close();  // no track number
    assets.OpenFull("yrrc", 0, 0).U16(2024).Close();
    assets.OpenFull("tsel", 0, 0).U32(5).FourCC("LANG").FourCC("bwas").U16(0).Close().Close();

    EXPECT_EQ(RecordLines(assets, Describe),
              (Lines{std::string("titl eng AB\0", 12), "auth J\xC3\xBCr\xEF\xBF\xBDg",
                     std::string("perf Band\0", 10), "dscp ",
                     std::string("gnre \xEF\xBF\xBD\xEF\xBF\xBDx\0", 13), "rtng fine", "clsf 7 200",
                     "kywd 'one' ''", "albm Album 7", "albm A 0", "yrrc 2024", "tsel 5 LANG bwas",
                     "passed tsel:2"}));
}

// The chapter list and the DRM container are read through the node tests of tests/presentation.
TEST(MobileMP4Handler, DrmBoxLongerThanItsFieldIsPassed) {
    const auto describe = [](const Box& b) {
        auto* d = As<DoCoMoDRMBox>(b);
        return d ? Fields("dcmd", d->distiribution_right) : "";
    };
    BoxBuilder drm;
    drm.Open("drm ").Open("dcmd").U16(1).Close().Close().Open("dcmd").U16(2).Zeros(2).Close();
    EXPECT_EQ(RecordLines(drm, describe), (Lines{"dcmd 1", "dcmd 2", "passed dcmd:2"}));
}

}  // namespace
