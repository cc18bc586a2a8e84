#include "parsing/ISOBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/BoxCatalogue.h"
#include "model/ISOBoxes.h"
#include "model/SampleEntries.h"
#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// The boxes of the real files in their usual forms (version 0 headers, 'stts', 'stsc', 'stco',
// 'stss', 'ctts', 'sbgp'...) are pinned by the expected exports (tests/cli), and the forms of
// 'elst', 'co64', 'trex', 'uuid' and 16-bit 'tfra' fields the node tests of the presentation
// show (they parse with these handlers); here the other versions, the signed and wide fields,
// the optional ones and the texts that are cut.
using namespace ISOFileFormat;

namespace {

std::string Describe(const Box& b) {
    if (auto* m = As<MovieHeaderBox>(b)) return Fields("mvhd", m->duration, m->next_track_ID);
    if (auto* t = As<TrackHeaderBox>(b)) return Fields("tkhd", t->duration, t->height >> 16);
    if (auto* m = As<MediaHeaderBox>(b))
        return Fields("mdhd", m->timescale, m->duration, std::string(m->language, m->language + 3));
    if (auto* h = As<HandlerRererenceBox>(b)) return Fields("hdlr", h->handlerKind, h->name);
    if (auto* c = As<CopyRightBox>(b))
        return Fields("cprt", std::string(c->language, c->language + 3), c->notice);
    if (auto* s = As<SampleSizeBox>(b)) return Fields("stsz", s->sample_count, s->entry_size);
    if (auto* s = As<CompactSampleSizeBox>(b)) return Fields("stz2", s->entry_size);
    if (auto* p = As<DegradationPriorityBox>(b)) return Fields("stdp", p->priority);
    if (auto* d = As<SampleDependencyTypeBox>(b))
        return WithEntries(Fields("sdtp", d->sample_count), d->entries, [](const auto& x) {
            return Fields(x.sample_depends_on, x.sample_is_depended_on, x.sample_has_redundancy);
        });
    if (auto* d = As<SampleDescriptionBox>(b))
        return WithEntries(Fields("stsd", d->handlerKind, d->entry_count), d->entries,
                           [](const auto& e) { return Fields(e ? e->id : BoxId::Unknown); });
    if (auto* d = As<DataReferenceBox>(b)) return Fields("dref", d->entries.size());
    if (auto* u = As<DataReferenceBox::DataEntryUrnBox>(b))
        return Fields("urn", u->name + "|" + u->location);
    if (auto* u = As<DataReferenceBox::DataEntryUrlBox>(b)) return Fields("url", u->location);
    if (auto* t = As<TrackFragmentHeaderBox>(b))
        return Fields("tfhd", t->track_ID, t->base_data_offset, t->sample_description_index,
                      t->default_sample_duration, t->default_sample_size, t->default_sample_flags);
    if (auto* t = As<TrackRunBox>(b))
        return WithEntries(Fields("trun", t->sample_count, t->data_offset, t->first_sample_flags),
                           t->entries, [](const auto& x) {
                               return Fields(x.sample_duration, x.sample_size, x.sample_flags,
                                             x.sample_composition_time_offset);
                           });
    if (auto* t = As<TrackFragmentRandomAccessBox>(b))
        return WithEntries(Fields("tfra", t->length_size_of_traf_num, t->length_size_of_trun_num,
                                  t->length_size_of_sample_num),
                           t->entries, [](const auto& x) {
                               return Fields(x.time, x.moof_offset, x.traf_number, x.trun_number,
                                             x.sample_number);
                           });
    if (auto* m = As<MovieFragmentRandomAceessOffsetBox>(b)) return Fields("mfro", m->mfra_size);
    return "";
}

// A track whose 'stsd' announces `count` entries and holds one entry of a type no handler
// knows, of `payload` bytes: what the kind of the track reads of an entry.
BoxBuilder Track(const char* handler, uint32_t count, size_t payload) {
    BoxBuilder b;
    b.Open("trak").Tkhd(1, 0).Open("mdia");
    if (handler) b.Hdlr(handler);
    b.Open("minf").Open("stbl").OpenFull("stsd", 0, 0).U32(count);
    b.Open("xyz ").Zeros(payload).Close().Close().OpenFull("stco", 0, 0).U32(0).Close();
    return b.Close().Close().Close().Close();
}

TEST(ISOBoxParsingHandler, RecordsOfCraftedBoxes) {
    BoxBuilder headers;  // 64-bit times and durations; the pad bit of the language is ignored
    headers.OpenFull("mvhd", 1, 0).U64(1).U64(2).U32(600).U64(0x300000003ull).U32(1 << 16);
    headers.U16(0x100).Zeros(10).Matrix().Zeros(24).U32(7).Close();
    headers.OpenFull("tkhd", 1, 3).U64(1).U64(2).U32(9).Zeros(4).U64(0x500000005ull).Zeros(12);
    headers.U16(0x100).Zeros(2).Matrix().U32(320u << 16).U32(240u << 16).Close();
    headers.OpenFull("mdhd", 1, 0).U64(1).U64(2).U32(1000).U64(0x123456789ull);
    headers.U16(0x8000 | (5 << 10) | (14 << 5) | 7).U16(0).Close();
    BoxBuilder texts;  // handler names cut at 50 bytes, notices at 200, Latin-1 to UTF-8
    const uint16_t fra = (6 << 10) | (18 << 5) | 1;
    texts.Hdlr("vide", std::string(80, 'n')).Hdlr("text", "Sub\xE9titles");
    texts.OpenFull("hdlr", 0, 0).U32(0).FourCC("hint").Zeros(12).Close();
    texts.OpenFull("cprt", 0, 0).U16(fra).Text("(c) Orvex", true).Close();
    texts.OpenFull("cprt", 0, 0).U16(fra).Text(std::string(250, 'c'), true).Close();
    BoxBuilder refs;  // data entries in their 'dref', and one outside it
    const std::string longUrl = "http://" + std::string(293, 'x');
    refs.Open("dinf").OpenFull("dref", 0, 0).U32(3).OpenFull("url ", 0, 1).Close();
    refs.OpenFull("urn ", 0, 0).Text("urn:a", true).Text("http://b\xE9", true).Close();
    refs.OpenFull("url ", 0, 0).Text(longUrl, true).Close().Close().Close();
    refs.OpenFull("url ", 0, 0).Text("lone", true).Close();
    BoxBuilder counts;  // 'sdtp' and 'stdp' count the samples of the last 'stsz'
    counts.OpenFull("sdtp", 0, 0).Bytes({0x24, 0x18}).Close();  // no 'stsz' yet: passed
    counts.OpenFull("stsz", 0, 0).U32(0).U32(3).U32(10).U32(20).U32(30).Close();
    counts.OpenFull("sdtp", 0, 0).Bytes({0xE4, 0x24, 0x1B}).Close();
    counts.OpenFull("stdp", 0, 0).U16(1).U16(2).U16(0xFFFF).Close();
    counts.OpenFull("stsz", 0, 0).U32(512).U32(2).Close();  // uniform: no table
    counts.OpenFull("stdp", 0, 0).U16(5).U16(6).Close();
    BoxBuilder compact;  // every field size; 12 is none of them
    compact.OpenFull("stz2", 0, 0).U24(0).U8(4).U32(3).Bytes({0x3C, 0x70}).Close();
    compact.OpenFull("stz2", 0, 0).U24(0).U8(8).U32(2).Bytes({200, 7}).Close();
    compact.OpenFull("stz2", 0, 0).U24(0).U8(16).U32(1).U16(0xABCD).Close();
    compact.OpenFull("stz2", 0, 0).U24(0).U8(12).U32(2).Bytes({1, 2, 3}).Close();
    BoxBuilder fragments;  // optional fields by flags
    fragments.OpenFull("tfhd", 0, 0x39).U32(2).U64(1ull << 36).U32(100).U32(200).U32(1 << 25);
    fragments.Close().OpenFull("tfhd", 0, 0x02).U32(3).U32(4).Close();
    fragments.OpenFull("trun", 0, 0x301).U32(2).U32(0xFFFFFFF0).U32(10).U32(11).U32(20).U32(21);
    fragments.Close().OpenFull("trun", 0, 0xC04).U32(1).U32(1 << 25).U32(0x02401234);
    fragments.U32(0xFFFFFFFF).Close().OpenFull("trun", 0, 0x001).U32(0x0FFFFFFF).U32(8).Close();
    BoxBuilder access;  // tfra fields of 24/32/32, then 8 bits
    access.Open("mfra").OpenFull("tfra", 0, 0).U32(2).U24(0).U8(0x2F).U32(2).U32(10).U32(20);
    access.U24(0x123456).U32(0x89ABCDEF).U32(5).U32(30).U32(40).U24(1).U32(2).U32(3).Close();
    access.OpenFull("tfra", 0, 0).U32(3).U24(0).U8(0).U32(1).U32(1).U32(2).U8(7).U8(8).U8(9);
    access.Close().OpenFull("mfro", 0, 0).U32(0x55).Close().Close();

    EXPECT_EQ(RecordLines(headers, Describe),
              (Lines{"mvhd 12884901891 7", "tkhd 21474836485 240", "mdhd 1000 4886718345 eng"}));
    EXPECT_EQ(RecordLines(texts, Describe),
              (Lines{"hdlr 1 " + std::string(50, 'n'), "hdlr 4 Sub\xC3\xA9titles", "hdlr 3 ",
                     "cprt fra (c) Orvex", "cprt fra " + std::string(200, 'c')}));
    EXPECT_EQ(RecordLines(refs, Describe), (Lines{"dref 3", "url ", "urn urn:a|http://b\xC3\xA9",
                                                  "url " + longUrl.substr(0, 200), "url lone"}));
    EXPECT_EQ(RecordLines(counts, Describe),
              (Lines{"sdtp 0", "stsz 3 [10,20,30]", "sdtp 3 2 1 0 2 1 0 1 2 3", "stdp [1,2,65535]",
                     "stsz 2 []", "stdp [5,6]", "passed sdtp:2"}));
    EXPECT_EQ(RecordLines(compact, Describe),
              (Lines{"stz2 [3,12,7]", "stz2 [200,7]", "stz2 [43981]", "stz2 []", "passed stz2:3"}));
    EXPECT_EQ(RecordLines(fragments, Describe),
              (Lines{"tfhd 2 68719476736 0 100 200 33554432", "tfhd 3 0 4 0 0 0",
                     "trun 2 -16 0 10 11 0 0 20 21 0 0",
                     "trun 1 0 33554432 0 0 305414146 4294967295", "trun 268435455 8 0"}));
    EXPECT_EQ(RecordLines(access, Describe),
              (Lines{"tfra 2 3 3 10 20 1193046 2309737967 5 30 40 1 2 3", "tfra 0 0 0 1 2 7 8 9",
                     "mfro 85"}));
}

// The handler of a track chooses the id its sample entries are read as; the entries are then
// owned by their 'stsd'.
TEST(ISOBoxParsingHandler, TrackKindForcesTheSampleEntryIds) {
    const auto stsd = [](const Box& b) { return b.id == BoxId::Stsd ? Describe(b) : ""; };
    BoxBuilder kinds;
    kinds.Open("moov").Append(Track("soun", 1, 28)).Append(Track("vide", 1, 78));
    kinds.Append(Track("hint", 1, 8)).Append(Track("text", 1, 38)).Append(Track("meta", 1, 8));
    EXPECT_EQ(RecordLines(kinds.Close(), stsd),
              (Lines{Fields("stsd", HandlerKindSound, 1, BoxId::AudioSampleEntry),
                     Fields("stsd", HandlerKindVideo, 1, BoxId::VisualSampleEntry),
                     Fields("stsd", HandlerKindHint, 1, BoxId::HintSampleEntry),
                     Fields("stsd", HandlerKindText, 1, BoxId::Tx3g),
                     Fields("stsd", HandlerKindOther, 1, BoxId::UnknownSampleEntry)}));
    // A new 'tkhd' forgets the previous track's handler; a short 'stsd' ends its mode.
    BoxBuilder forget;
    forget.Open("moov").Append(Track("soun", 1, 28)).Append(Track(nullptr, 3, 8)).Close();
    EXPECT_EQ(RecordLines(forget, stsd),
              (Lines{Fields("stsd", HandlerKindSound, 1, BoxId::AudioSampleEntry),
                     Fields("stsd", HandlerKindOther, 3, BoxId::UnknownSampleEntry)}));
}

TEST(ParsingHandlers, EveryIdHasOneParser) {
    std::set<int32_t> ids;
    auto add = [&](auto rows) {
        for (const auto& row : rows)
            EXPECT_TRUE(ids.insert(row.id).second) << "claimed twice: " << GetBoxTypeText(row.id);
    };
    add(CISOBoxParsingHandler::Rows());
    add(C3GPPBoxParsingHandler::Rows());
    add(CMobileMP4BoxParsingHandler::Rows());
}

}  // namespace
