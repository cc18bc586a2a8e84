#include "parsing/3GPPBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/3GPPBoxes.h"
#include "model/SampleEntries.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

using namespace ISOFileFormat;

namespace {
// An 'esds' with one-byte descriptor sizes around the given DecoderSpecificInfo.
BoxBuilder& Esds(BoxBuilder& b, uint8_t objectType, uint8_t streamType,
                 const std::vector<uint8_t>& info) {
    const auto decoderConfig = static_cast<uint8_t>(13 + 2 + info.size());
    b.OpenFull("esds", 0, 0).U8(3).U8(static_cast<uint8_t>(3 + 2 + decoderConfig + 3)).U16(1).U8(0);
    b.U8(4).U8(decoderConfig).U8(objectType).U8(static_cast<uint8_t>(streamType << 2 | 1));
    b.U24(6144).U32(128000).U32(96000);
    b.U8(5).U8(static_cast<uint8_t>(info.size())).Bytes(info);
    return b.U8(6).U8(1).U8(2).Close();
}

using Warnings = std::vector<std::pair<std::string, std::string>>;

}  // namespace

TEST(ThreeGPPHandler, AudioEntriesAndAudioSpecificConfig) {
    struct Audio {
        int32_t entryId = 0;
        uint16_t channels = 0;
        uint32_t rate = 0;
        uint8_t aot = 0, sfi = 0, ch = 0, sbr = 0, ps = 0, extAot = 0, extSfi = 0;
        uint16_t sync = 0, sync2 = 0;
    };
    auto run = [](const std::vector<uint8_t>& info, Audio& a) {
        BoxBuilder f;
        OpenTrackEntries(f, "soun", 1);
        OpenAudioEntry(f, "mp4a");
        Esds(f, 0x40, 5, info).Close().Close();
        return ParseRecords(f, [&](const Box& b) {
            if (auto* e = RecordAs<AudioSampleEntry>(b, 102)) {
                a.entryId = e->id, a.channels = e->channelcount, a.rate = e->samplerate;
            } else if (auto* d = RecordAs<ESDescriptorBox>(b, 103)) {
                a.aot = d->audioObjectType, a.sfi = d->samplingFrequencyIndex;
                a.ch = d->channelConfiguration, a.sbr = d->sbrPresentFlag;
                a.ps = d->psPresentFlag, a.extAot = d->extensionAudioObjectType;
                a.extSfi = d->extensionSamplingFrequencyIndex;
                a.sync = d->syncExtensionType, a.sync2 = d->syncExtensionType2;
            }
        });
    };

    // AAC-LC as in the real files is pinned by the expected exports; here the extensions.
    Audio lc;
    ParseOutcome o = run({0x12, 0x10}, lc);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(lc.sync, 0);

    // SBR in 5 bytes: the extension frequency is read, but no second sync word fits.
    Audio sbr;
    o = run({0x12, 0x10, 0x56, 0xE5, 0x98}, sbr);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(sbr.sync, 0x2B7);
    EXPECT_EQ(sbr.extAot, 5);
    EXPECT_EQ(sbr.sbr, 1);
    EXPECT_EQ(sbr.extSfi, 3);
    EXPECT_EQ(sbr.sync2, 0);

    // SBR and parametric stereo.
    Audio ps;
    o = run({0x12, 0x10, 0x56, 0xE5, 0x9D, 0x48, 0x80}, ps);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(ps.sbr, 1);
    EXPECT_EQ(ps.sync2, 0x548);
    EXPECT_EQ(ps.ps, 1);

    // Configurations shorter than what is read: the position comes back to the end of the
    // DecoderSpecificInfo, so the SLConfigDescriptor is still read in place.
    Audio empty, four;
    o = run({}, empty);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    o = run({0x12, 0x10, 0x56, 0xE5}, four);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(four.extAot, 5);
    EXPECT_EQ(four.sbr, 0);  // the byte behind the configuration, taken as the flag
}

TEST(ThreeGPPHandler, EsdsDescriptorForms) {
    struct Esd {
        bool seen = false;
        uint8_t version = 0xFF, oti = 0, streamType = 0, pli = 0;
        uint16_t esId = 0;
        uint32_t start = 0, end = 0, maxBitrate = 0;
    };
    auto parse = [](const BoxBuilder& f, Esd& e) {
        return ParseRecords(f, [&](const Box& b) {
            if (auto* d = RecordAs<ESDescriptorBox>(b, 103)) {
                e.seen = true, e.version = d->version, e.esId = d->ES_ID;
                e.oti = d->objectTypeIndication, e.streamType = d->streamType;
                e.maxBitrate = d->maxBitrate, e.pli = d->profile_and_level_indication;
                e.start = d->visual_object_sequence_start_code;
                e.end = d->visual_object_sequence_end_code;
            }
        });
    };

    // Multi-byte sizes are not understood: version and flags only, the rest passed.
    BoxBuilder multi;
    multi.OpenFull("esds", 1, 0).Bytes({3, 0x80, 0x80, 0x80, 0x22, 0, 1, 0, 4, 0x80}).Zeros(20);
    multi.Close();
    Esd m;
    ParseOutcome o = parse(multi, m);
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(m.seen);
    EXPECT_EQ(m.version, 1);
    EXPECT_EQ(m.esId, 0);
    EXPECT_EQ(o.warnings, (Warnings{{"esds", "28"}}));

    // A multi-byte DecoderConfigDescriptor size behind a one-byte ES_Descriptor size: nothing
    // half-read is kept either.
    BoxBuilder mixed;
    mixed.OpenFull("esds", 0, 0).Bytes({3, 0x22, 0, 7, 0, 4, 0x80, 0x80, 0x80, 0x14}).Zeros(22);
    mixed.Close();
    Esd x;
    o = parse(mixed, x);
    EXPECT_EQ(x.esId, 0);
    EXPECT_EQ(x.oti, 0);
    EXPECT_EQ(o.warnings.size(), 1u);

    // Visual: start code, profile and level, the object passed, the end code.
    BoxBuilder visual;
    OpenTrackEntries(visual, "vide", 1);
    OpenVisualEntry(visual, "mp4v", "codec");
    Esds(visual, 0x20, 4, {0, 0, 1, 0xB0, 0x08, 0, 0, 1, 0xB5, 0, 0, 1, 0xB1}).Close().Close();
    Esd v;
    o = parse(visual, v);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(o.entries[2].id, 101);
    EXPECT_EQ(v.streamType, 4);
    EXPECT_EQ(v.start, 0x1B0u);
    EXPECT_EQ(v.pli, 8);
    EXPECT_EQ(v.end, 0x1B1u);

    // No DecoderSpecificInfo (an MP3 stream): the SLConfigDescriptor follows the decoder
    // configuration directly and the box is read exactly, not beyond its end.
    BoxBuilder mp3;
    mp3.OpenFull("esds", 0, 0).Bytes({3, 21, 0, 2, 0, 4, 13, 0x6B, 0x15}).U24(0).U32(320000);
    mp3.U32(0).Bytes({6, 1, 2}).Close().Leaf("free");
    Esd p;
    o = parse(mp3, p);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.errors, 0) << o.log;
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(p.oti, 0x6B);
    EXPECT_EQ(p.maxBitrate, 320000u);

    // Optional ES_Descriptor fields (dependsOn_ES_ID, a URL) are passed, not taken as the
    // decoder configuration.
    BoxBuilder optional;
    optional.OpenFull("esds", 0, 0).Bytes({3, 27, 0, 9, 0xC0, 0, 5, 3, 'a', 'b', 'c'});
    optional.Bytes({4, 13, 0x40, 0x15}).U24(0).U32(64000).U32(0).Bytes({6, 1, 2}).Close();
    Esd opt;
    o = parse(optional, opt);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(opt.esId, 9);
    EXPECT_EQ(opt.oti, 0x40);
    EXPECT_EQ(opt.maxBitrate, 64000u);
}

TEST(ThreeGPPHandler, VisualAndSpeechEntries) {
    BoxBuilder f;
    OpenTrackEntries(f, "vide", 3);
    OpenVisualEntry(f, "avc1", "codec");
    f.Open("avcC").Bytes(
        {1, 0x64, 0, 0x1F, 0xFF, 0xE1, 0, 4, 0x67, 0x64, 0, 0x1F, 1, 0, 2, 0x68, 0xEE});
    f.Close().Close();
    OpenVisualEntry(f, "S263", "codec");  // type compared without case
    f.Open("d263").FourCC("FFMP").Bytes({0, 10, 0}).Close().Close();
    OpenVisualEntry(f, "s263", "codec");
    f.Open("d263").FourCC("FFMP").Bytes({0, 45, 3}).Open("bitr").U32(64000).U32(96000).Close();
    f.Close().Close().Close();
    OpenTrackEntries(f, "soun", 3);
    OpenAudioEntry(f, "samr").Open("damr").FourCC("FFMP").U8(1).U16(0x81FF).U8(0).U8(1).Close();
    f.Close();
    OpenAudioEntry(f, "sawb").Open("damr").FourCC("FFMP").U8(1).U16(0x83FF).U8(0).U8(1).Close();
    f.Close();
    OpenAudioEntry(f, "sawp").Open("dawp").FourCC("FFMP").U8(2).Close().Close().Close();

    // The fields of 'avcC', 'd263', 'bitr' and 'damr' are pinned by the expected exports of
    // the real files; here which record each type becomes, and the wideband forms.
    uint8_t level45 = 0, ampVersion = 0;
    ParseOutcome o = ParseRecords(f, [&](const Box& b) {
        if (auto* d = RecordAs<H263SpecificBox>(b, 108)) {
            if (d->H263_Level == 45) level45 = 1;
        } else if (auto* w = RecordAs<AMRWPSpecificBox>(b, 111)) {
            ampVersion = w->decoder_version;
        }
    });
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.errors, 0) << o.log;
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    std::vector<std::pair<std::string, int32_t>> ids;
    for (const RecordedBox& s : o.entries)
        ids.emplace_back(s.type, s.id);
    EXPECT_EQ(ids, (std::vector<std::pair<std::string, int32_t>>{{"hdlr", 13},
                                                                 {"stsd", 24},
                                                                 {"avc1", 112},
                                                                 {"avcC", 113},
                                                                 {"S263", 106},
                                                                 {"d263", 108},
                                                                 {"s263", 106},
                                                                 {"d263", 108},
                                                                 {"bitr", 109},
                                                                 {"hdlr", 13},
                                                                 {"stsd", 24},
                                                                 {"samr", 104},
                                                                 {"damr", 107},
                                                                 {"sawb", 104},
                                                                 {"damr", 107},
                                                                 {"sawp", 110},
                                                                 {"dawp", 111}}));
    EXPECT_EQ(o.entries[8].depth, 3);  // 'bitr' inside 'd263'
    EXPECT_EQ(level45, 1);
    EXPECT_EQ(ampVersion, 2);
}

TEST(ThreeGPPHandler, TextHintAndOtherEntries) {
    BoxBuilder f;
    OpenTrackEntries(f, "text", 1).Open("tx3g").Zeros(6).U16(1).U32(0x20000).U8(1).U8(0xFF);
    f.Bytes({0, 0, 0, 0xFF}).U16(0).U16(0).U16(60).U16(0xFFF6).U16(0).U16(0).U16(1).U8(0);
    f.U8(18).Bytes({0xFF, 0xFF, 0xFF, 0xFF});
    f.Open("ftab").U16(2).U16(1).U8(5).Text("Serif").U16(2).U8(0).Close().Close().Close();
    OpenTrackEntries(f, "hint", 1)
        .Open("rtp ")
        .Zeros(6)
        .U16(1)
        .Bytes({0, 1, 0, 1, 0, 0, 5, 0xDC})
        .Close();
    f.Close();
    OpenTrackEntries(f, "meta", 2).Open("mp4a").Zeros(6).U16(3).Zeros(20).Close();
    f.Open("xyz1").Zeros(6).U16(4).Zeros(10).Close().Close();

    int8_t vjust = 0;
    int16_t right = 0;
    uint8_t fontSize = 0;
    std::vector<std::pair<uint16_t, std::string>> fonts;
    std::vector<uint8_t> hintData;
    uint16_t otherIndex = 0;
    ParseOutcome o = ParseRecords(f, [&](const Box& b) {
        if (auto* t = RecordAs<TextSampleEntry>(b, 65)) {
            vjust = t->vertical_justification, right = t->default_text_box.right;
            fontSize = t->default_style.font_size;
        } else if (auto* ft = RecordAs<FontTableBox>(b, 66)) {
            for (const auto& e : ft->entries)
                fonts.emplace_back(e.font_ID, std::string(e.font_name.begin(), e.font_name.end()));
        } else if (auto* h = RecordAs<HintSampleEntry>(b, 62)) {
            hintData = h->data;
        } else if (b.id == 64) {
            otherIndex = static_cast<const SampleEntry&>(b).data_reference_index;
        }
    });
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    std::vector<std::pair<std::string, int32_t>> ids;
    for (const RecordedBox& s : o.entries)
        ids.emplace_back(s.type, s.id);
    EXPECT_EQ(ids, (std::vector<std::pair<std::string, int32_t>>{{"hdlr", 13},
                                                                 {"stsd", 24},
                                                                 {"tx3g", 65},
                                                                 {"ftab", 66},
                                                                 {"hdlr", 13},
                                                                 {"stsd", 24},
                                                                 {"rtp ", 62},
                                                                 {"hdlr", 13},
                                                                 {"stsd", 24},
                                                                 {"mp4a", 102},
                                                                 {"xyz1", 64}}));
    EXPECT_EQ(vjust, -1);
    EXPECT_EQ(right, -10);
    EXPECT_EQ(fontSize, 18);
    EXPECT_EQ(fonts, (std::vector<std::pair<uint16_t, std::string>>{{1, "Serif"}, {2, ""}}));
    EXPECT_EQ(hintData, (std::vector<uint8_t>{0, 1, 0, 1, 0, 0, 5, 0xDC}));
    EXPECT_EQ(otherIndex, 4);
}

TEST(ThreeGPPHandler, AssetTexts) {
    const uint16_t eng = (5 << 10) | (14 << 5) | 7;
    BoxBuilder f;
    f.Open("udta");
    f.OpenFull("titl", 0, 0).U16(eng).Bytes({0xFE, 0xFF, 0, 'A', 0, 'B', 0, 0}).Close();
    f.OpenFull("auth", 0, 0).U16(eng).Bytes({'J', 0xC3, 0xBC, 'r', 0xFF, 'g'}).Close();
    f.OpenFull("perf", 0, 0).U16(eng).Text("Band", true).Close();
    f.OpenFull("dscp", 0, 0).U16(eng).Close();
    f.OpenFull("gnre", 0, 0).U16(eng).Bytes({0xFF, 0xFE, 'x', 0}).Close();
    f.OpenFull("rtng", 0, 0).FourCC("MPAA").FourCC("PG13").U16(eng).Text("fine", true).Text("junk");
    f.Close();
    f.OpenFull("clsf", 0, 0).FourCC("NONE").U16(7).U16(eng).Text(std::string(300, 'x')).Close();
    f.OpenFull("kywd", 0, 0).U16(eng).U8(2).U8(3).Text("one").U8(0).Close();
    f.OpenFull("loci", 0, 0).U16(eng).Text("Home", true).U8(1).U32(0xFFFF0000).U32(0x10000);
    f.U32(0).Text("earth", true).Text("", true).Close();
    f.OpenFull("albm", 0, 0).U16(eng).Text("Album", true).U8(7).Close();
    f.OpenFull("yrrc", 0, 0).U16(2024).Close();
    f.Close();

    std::string title, author, performer, description = "unset", genre, rating, classification;
    std::string language, locName, body;
    std::vector<std::string> keywords;
    uint32_t longitude = 0;
    uint8_t track = 0;
    uint16_t year = 0, table = 0;
    ParseOutcome o = ParseRecords(f, [&](const Box& b) {
        if (auto* t = RecordAs<TitleBox>(b, 91)) {
            title = t->title, language.assign(t->language, t->language + 3);
        } else if (auto* a = RecordAs<AuthorBox>(b, 90)) {
            author = a->author;
        } else if (auto* p = RecordAs<PerformerBox>(b, 93)) {
            performer = p->performer;
        } else if (auto* d = RecordAs<DescriptionBox>(b, 92)) {
            description = d->description;
        } else if (auto* g = RecordAs<GenreBox>(b, 94)) {
            genre = g->genre;
        } else if (auto* r = RecordAs<RatingBox>(b, 95)) {
            rating = r->RatingInfo;
        } else if (auto* c = RecordAs<ClassificationBox>(b, 96)) {
            classification = c->ClassificationInfo, table = c->ClassificationTable;
        } else if (auto* k = RecordAs<KeywordsBox>(b, 97)) {
            for (const auto& e : k->keywords)
                keywords.push_back(e.KeywordInfo);
        } else if (auto* l = RecordAs<LocationInformationBox>(b, 98)) {
            locName = l->Name, longitude = l->Longitude, body = l->Astronomical_body;
        } else if (auto* al = RecordAs<AlbumBox>(b, 99)) {
            track = al->TrackNumber;
        } else if (auto* y = RecordAs<RecordingYearBox>(b, 100)) {
            year = y->RecordingYear;
        }
    });
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.warnings, Warnings{}) << o.log;
    EXPECT_EQ(language, "eng");
    // UTF-16 behind its mark; the terminating zero character is kept, and not shown.
    EXPECT_EQ(title, std::string("AB\0", 3));
    EXPECT_EQ(TextBeforeZero(title), "AB");
    // Invalid UTF-8 costs one replacement character, not the text.
    EXPECT_EQ(author, "J\xC3\xBCr\xEF\xBF\xBDg");
    EXPECT_EQ(performer, std::string("Band\0", 5));
    EXPECT_EQ(description, "");
    // A little-endian mark is not recognised: the bytes are taken as UTF-8.
    EXPECT_EQ(genre, std::string("\xEF\xBF\xBD\xEF\xBF\xBDx\0", 8));
    EXPECT_EQ(rating, "fine");
    EXPECT_EQ(classification, std::string(200, 'x'));  // cut at its buffer, box read whole
    EXPECT_EQ(table, 7);
    EXPECT_EQ(keywords, (std::vector<std::string>{"one", ""}));
    EXPECT_EQ(locName, "Home");
    EXPECT_EQ(longitude, 0xFFFF0000u);
    EXPECT_EQ(body, "earth");
    EXPECT_EQ(track, 7);
    EXPECT_EQ(year, 2024);

    // An album box without its optional track number ends after its title: track number 0,
    // and the next box is read in its place.
    BoxBuilder noTrack;
    noTrack.Open("udta").OpenFull("albm", 0, 0).U16(eng).Text("A", true).Close().Leaf("free");
    noTrack.Close();
    track = 99;
    o = ParseRecords(noTrack, [&](const Box& b) {
        if (auto* a = dynamic_cast<const AlbumBox*>(&b)) track = a->TrackNumber;
    });
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.errors, 0);
    EXPECT_TRUE(o.warnings.empty());
    EXPECT_EQ(track, 0);
}

TEST(ThreeGPPHandler, TrackSelectionAndHintTexts) {
    BoxBuilder f;
    f.OpenFull("tsel", 0, 0).U32(5).FourCC("LANG").FourCC("bwas").U16(0).Close();
    f.Open("hnti").Open("rtp ").FourCC("sdp ").Text("v=0\r\n").Close();
    f.Open("sdp ").Text("a=x\r\n").Close().Close();
    f.Open("sdp ").Close();

    int32_t group = 0;
    std::vector<std::string> attributes, texts;
    std::string format;
    ParseOutcome o = ParseRecords(f, [&](const Box& b) {
        if (auto* t = RecordAs<TrackSelectionBox>(b, 70)) {
            group = t->SwitchGroup;
            for (const auto& a : t->AttributeList)
                attributes.emplace_back(a.begin(), a.end());
        } else if (auto* r = RecordAs<RTPMovieHintInformation>(b, 71)) {
            format.assign(r->descriptionformat, r->descriptionformat + 4);
            texts.emplace_back(r->sdptext.begin(), r->sdptext.end());
        } else if (auto* s = RecordAs<RTPTrackSDPHintInformation>(b, 73)) {
            texts.emplace_back(s->sdptext.begin(), s->sdptext.end());
        }
    });
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(group, 5);
    EXPECT_EQ(attributes, (std::vector<std::string>{"LANG", "bwas"}));
    EXPECT_EQ(o.warnings, (Warnings{{"tsel", "2"}}));  // the trailing two bytes
    EXPECT_EQ(format, "sdp ");
    EXPECT_EQ(texts, (std::vector<std::string>{"v=0\r\n", "a=x\r\n", ""}));
    ASSERT_EQ(o.entries.size(), 5u);
    EXPECT_EQ(o.entries[2].depth, 1);
    EXPECT_EQ(o.entries[3].depth, 1);
    EXPECT_EQ(o.entries[4].depth, 0);
}

TEST(ThreeGPPHandler, HostileCountsAndLengths) {
    // Counts and lengths far beyond their boxes: nothing is reserved beyond what the box holds,
    // and the parse ends as a read beyond the box ends it.
    size_t reserved = 0;
    auto capacity = [&](const Box& b) {
        if (auto* t = RecordAs<FontTableBox>(b, 66)) reserved += t->entries.capacity();
        if (auto* k = RecordAs<KeywordsBox>(b, 97)) reserved += k->keywords.capacity();
        if (auto* a = RecordAs<AVCConfigurationBox>(b, 113))
            reserved += a->sequenceParameterSets.capacity() + a->pictureParameterSets.capacity();
        if (auto* h = RecordAs<HintSampleEntry>(b, 62)) reserved += h->data.capacity();
    };
    const std::vector<uint8_t> padding(4096);

    BoxBuilder ftab;
    ftab.Open("ftab").U16(0xFFFF).U16(1).U8(1).Text("a").Close().Leaf("free", padding);
    ParseOutcome o = ParseRecords(ftab, capacity);
    EXPECT_EQ(o.result, 3);
    EXPECT_LE(reserved, 2u);

    reserved = 0;
    BoxBuilder kywd;
    kywd.OpenFull("kywd", 0, 0).U16(0).U8(255).U8(200).Text("ab").Close().Leaf("free", padding);
    o = ParseRecords(kywd, capacity);
    EXPECT_EQ(o.result, 3);
    EXPECT_LE(reserved, 3u);

    reserved = 0;
    BoxBuilder avc;
    avc.Open("avcC").Bytes({1, 66, 0, 30, 0xFF, 0xFF, 0x10, 0x00}).Close().Leaf("free", padding);
    o = ParseRecords(avc, capacity);
    EXPECT_EQ(o.result, 3);
    EXPECT_LE(reserved, 1u);

    // A 'sdp ' claiming 4 GiB in a small file: the file ends inside the box, nothing kept.
    BoxBuilder sdp;
    sdp.Open("hnti").Open("sdp ").Text("v=0").CloseWithSize(0xFFFFFFF0u).Close();
    o = ParseRecords(sdp);
    EXPECT_EQ(o.result, 3);

    // A declared size smaller than the fixed fields leaves the text empty.
    std::string text = "unset";
    BoxBuilder tiny;
    tiny.Open("rtp ").FourCC("sdp ").CloseWithSize(10).Leaf("free", padding);
    o = ParseRecords(tiny, [&](const Box& b) {
        if (auto* r = RecordAs<RTPMovieHintInformation>(b, 71))
            text.assign(r->sdptext.begin(), r->sdptext.end());
    });
    EXPECT_EQ(o.result, 3);
    EXPECT_EQ(text, "");

    // A hint entry whose declared size is beyond the file: its data is not allocated.
    reserved = 0;
    BoxBuilder hint;
    OpenTrackEntries(hint, "hint", 1)
        .Open("rtp ")
        .Zeros(6)
        .U16(1)
        .Zeros(4)
        .CloseWithSize(0x7FFFFFF0u);
    hint.Close();
    o = ParseRecords(hint, capacity);
    EXPECT_NE(o.result, 0);
    EXPECT_EQ(reserved, 0u);
}
