#include "parsing/VideoBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "model/BoxCatalogue.h"
#include "model/SampleEntries.h"
#include "model/VideoBoxes.h"
#include "parsing/BitReader.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

using namespace ISOFileFormat;

namespace {

std::string Describe(const Box& b) {
    const std::string type(reinterpret_cast<const char*>(b.type), 4);
    if (auto* e = As<VisualSampleEntry>(b)) return Fields(type, e->id, e->width, e->height);
    if (auto* d = As<DolbyVisionConfigurationBox>(b))
        return Fields(type, d->dv_version_major, d->dv_profile, d->dv_level);
    if (auto* h = As<HEVCConfigurationBox>(b))
        return Fields(type, h->general_level_idc, h->numOfArrays, h->arrays.size());
    if (auto* m = As<MasteringDisplayColourVolumeBox>(b))
        return Fields(type, m->white_point_x, m->min_display_mastering_luminance);
    if (auto* a = As<AVCHighConfigurationBox>(b))
        return Fields(type, a->AVCLevelIndication, a->numOfPicutreParamterSets, a->hasHighFields,
                      a->chroma_format, a->sequenceParameterSetExt.size());
    return "";
}

}  // namespace

TEST(CBitReader, FieldsOfAnyWidthNeverPastTheBytes) {
    const std::vector<uint8_t> bytes = {0xA5, 0x0F, 0xFF};
    CBitReader bits(bytes);
    EXPECT_EQ(bits.Read(1), 1u);
    EXPECT_EQ(bits.Read(6), 0x12u);
    EXPECT_EQ(bits.Read(9), 0x10Fu);  // across a byte boundary
    EXPECT_EQ(bits.BytesLeft(), 1u);
    EXPECT_FALSE(bits.Overrun());
    EXPECT_EQ(bits.Read(12), 0xFF0u);  // the bits past the end read as zeros
    EXPECT_TRUE(bits.Overrun());
    EXPECT_EQ(bits.MissingBytes(), 1u);

    CBitReader lengths(bytes);
    std::vector<uint8_t> out;
    lengths.Read(3);
    EXPECT_TRUE(lengths.ReadBytes(2, out));  // from the next byte boundary
    EXPECT_EQ(out, (std::vector<uint8_t>{0x0F, 0xFF}));
    EXPECT_FALSE(lengths.ReadBytes(0xFFFFFFFFFFFFull, out));  // no allocation from the length
    EXPECT_TRUE(out.empty() && lengths.Overrun());
}

TEST(CVideoBoxParsingHandler, EntriesOfEveryTrackKind) {
    BoxBuilder video;  // types compared without case; not the generic entry
    OpenVisualEntry(OpenTrackEntries(video, "vide", 3), "HVC1").Close();
    OpenVisualEntry(video, "vp08").Close();
    OpenVisualEntry(video, "dvav").Close().Close();
    BoxBuilder other;  // another kind of track still reads them as video
    OpenVisualEntry(OpenTrackEntries(other, "meta", 2), "av01").Close();
    OpenVisualEntry(other, "encv").Close().Close();
    BoxBuilder sound;  // an audio track's entries stay audio entries
    OpenAudioEntry(OpenTrackEntries(sound, "soun", 1), "hev1").Close().Close();

    EXPECT_EQ(RecordLines(video, Describe, BoxSet::Full),
              (Lines{Fields("HVC1", BoxId::Hvc1, 176, 144), Fields("vp08", BoxId::Vp08, 176, 144),
                     Fields("dvav", BoxId::Dvav, 176, 144)}));
    EXPECT_EQ(
        RecordLines(other, Describe, BoxSet::Full),
        (Lines{Fields("av01", BoxId::Av01, 176, 144), Fields("encv", BoxId::Encv, 176, 144)}));
    EXPECT_EQ(RecordLines(sound, Describe, BoxSet::Full), Lines{});
}

// Each configuration cut after every byte of it and followed by 0xFF bytes in its entry: the parse
// ends at the cut box (result 3) with the size error in the log, no field holds a byte of the box
// after it, and a whole box is read exactly. An 'avcC' may also end before its High-profile fields.
TEST(CVideoBoxParsingHandler, ConfigurationsCutAnywhere) {
    constexpr size_t kNoOther = SIZE_MAX;  // no other length is whole
    const std::vector<std::tuple<const char*, std::vector<uint8_t>, std::string, size_t>> boxes = {
        {"dvcC",
         {1, 0, 0x0B, 0x35, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "dvcC 1 5 38",
         kNoOther},
        {"hvcC",
         {1,    0x01, 0x60, 0,    0, 0, 0x90, 0, 0,    0, 0, 0, 90, 0xF0, 0x00,
          0xFC, 0xFD, 0xF8, 0xF8, 0, 0, 0x0F, 1, 0xA0, 0, 1, 0, 2,  0x40, 0x01},
         "hvcC 90 1 1",
         kNoOther},
        {"mdcv",
         {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 0, 0, 9, 0, 0, 0, 10},
         "mdcv 7 10",
         kNoOther},
        {"avcC",
         {1, 100, 0, 30, 0xFF, 0xE0, 0, 0xFD, 0xF8, 0xF8, 1, 0, 1, 0x6D},
         "avcC 30 0 1 1 1",
         7},
        {"av1C", {0x81, 0, 0x0C, 0}, "", kNoOther},
        {"clap", std::vector<uint8_t>(32, 1), "", kNoOther},
        {"clli", {0, 1, 0, 2}, "", kNoOther},
        {"fiel", {1, 0}, "", kNoOther},
        {"frma", {'a', 'v', 'c', '1'}, "", kNoOther},
        {"colr", {'n', 'c', 'l', 'x', 0, 1, 0, 1, 0, 1, 0}, "", kNoOther},
    };
    for (const auto& [type, payload, whole, shortWhole] : boxes) {
        for (size_t cut = 0; cut <= payload.size(); ++cut) {
            SCOPED_TRACE(std::string(type) + " cut at " + std::to_string(cut));
            BoxBuilder file;
            OpenVisualEntry(OpenTrackEntries(file, "vide"), "hvc1").Open(type);
            file.Bytes(std::vector<uint8_t>(payload.begin(), payload.begin() + cut)).Close();
            if (cut == payload.size() || cut == shortWhole) {
                file.Close().Close();
            } else {
                file.Bytes(std::vector<uint8_t>(64, 0xFF)).Close().Close();
            }
            const ParseOutcome outcome = ParseRecords(file, Describe, BoxSet::Full);
            if (cut == payload.size() || cut == shortWhole) {
                EXPECT_EQ(outcome.result, 0) << outcome.log;
                EXPECT_EQ(outcome.log.find("WARNING"), std::string::npos) << outcome.log;
                if (!whole.empty() && cut == payload.size()) {
                    EXPECT_EQ(outcome.lines.back(), whole);
                }
                continue;
            }
            EXPECT_EQ(outcome.result, 3);
            for (const std::string& line : outcome.parsedLines) {
                for (const char* allOnes : {" 63", " 127", " 255", " 65535", " 4294967295"})
                    EXPECT_EQ((line + " ").find(std::string(allOnes) + " "), std::string::npos)
                        << line;
            }
            EXPECT_NE(outcome.log.find("the processed length of the box is greater"),
                      std::string::npos)
                << outcome.log;
        }
    }
}
