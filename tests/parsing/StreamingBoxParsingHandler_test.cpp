#include "parsing/StreamingBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/StreamingBoxes.h"
#include "parsing/BoxFamilies.h"
#include "parsing/ISOFileFormatParser.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// Every box of the family cut inside each of its field groups ends the parse with the driver's
// message and reads nothing past the box; counts larger than the box hold ask for no room.
namespace {

// The payload after version and flags, and the version and flags it is read with.
struct WholeBox {
    const char* type;
    uint8_t version;
    uint32_t flags;
    std::vector<uint8_t> payload;
};

std::vector<uint8_t> Repeat(uint8_t byte, size_t count) {
    return std::vector<uint8_t>(count, byte);
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const std::vector<uint8_t>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

BoxBuilder FullBoxThenFree(const WholeBox& box, size_t bytes) {
    BoxBuilder b;
    b.OpenFull(box.type, box.version, box.flags);
    b.Bytes(std::vector<uint8_t>(box.payload.begin(), box.payload.begin() + bytes));
    return b.Close().Leaf("free");
}

}  // namespace

TEST(StreamingHandler, BoxesCutShort) {
    const WholeBox whole[] = {
        {"sidx", 0, 0, Join({Repeat(1, 18), {0, 2}, Repeat(2, 24)})},
        {"sidx", 1, 0, Join({Repeat(1, 26), {0, 1}, Repeat(2, 12)})},
        {"tfdt", 0, 0, Repeat(3, 4)},
        {"tfdt", 1, 0, Repeat(3, 8)},
        {"emsg", 0, 0, Join({{'a', 0, 'b', 0}, Repeat(4, 16)})},
        {"emsg", 1, 0, Join({Repeat(4, 20), {'a', 0, 'b', 0}})},
        {"prft", 0, 0, Repeat(5, 16)},
        {"prft", 1, 0, Repeat(5, 20)},
        {"schm", 0, 0, Repeat(6, 8)},
        {"schm", 0, 1, Join({Repeat(6, 8), {'u', 0}})},
        {"tenc", 0, 0, Join({{0, 0, 1, 8}, Repeat(7, 16)})},
        {"tenc", 1, 0, Join({{0, 0x19, 1, 0}, Repeat(7, 16), {4}, Repeat(8, 4)})},
        {"pssh", 0, 0, Join({Repeat(9, 16), {0, 0, 0, 2}, {1, 2}})},
        {"pssh", 1, 0, Join({Repeat(9, 16), {0, 0, 0, 2}, Repeat(10, 32), {0, 0, 0, 1}, {1}})},
        {"saiz", 1, 1, Join({Repeat(11, 8), {0}, {0, 0, 0, 3}, {1, 2, 3}})},
        {"saio", 0, 0, Join({{0, 0, 0, 2}, Repeat(12, 8)})},
        {"saio", 1, 1, Join({Repeat(11, 8), {0, 0, 0, 1}, Repeat(12, 8)})},
        {"senc", 0, 2, {0, 0, 0, 0}},
        {"ssix", 0, 0, Join({{0, 0, 0, 1}, {0, 0, 0, 2}, Repeat(13, 8)})},
        {"leva", 0, 0,
         Join({{2}, Repeat(14, 4), {1}, Repeat(15, 8), Repeat(14, 4), {4}, {0, 0, 0, 3}})},
        {"trep", 0, 0, {0, 0, 0, 1}},
    };
    for (const WholeBox& box : whole) {
        const std::string name = std::string(box.type) + " v" + std::to_string(box.version);
        const ParseOutcome full =
            ParseRecords(FullBoxThenFree(box, box.payload.size()), {}, BoxSet::Full);
        ASSERT_EQ(full.result, 0) << name;
        EXPECT_EQ(full.log.find("greater than the length"), std::string::npos) << name;
        for (size_t cut = 0; cut < box.payload.size(); ++cut) {
            const ParseOutcome o = ParseRecords(FullBoxThenFree(box, cut), {}, BoxSet::Full);
            EXPECT_NE(o.result, 0) << name << " cut at " << cut;
            EXPECT_NE(o.log.find("greater than the length specified"), std::string::npos)
                << name << " cut at " << cut;
        }
    }
}

// A count of 2^32 - 1 entries in a box of a few bytes: the parse ends at the box, and the
// table holds no more entries than the box's bytes.
TEST(StreamingHandler, HostileCountsStayInTheBox) {
    const WholeBox hostile[] = {
        {"pssh", 1, 0, Join({Repeat(9, 16), {0xFF, 0xFF, 0xFF, 0xFF}, Repeat(10, 16)})},
        {"saio", 1, 0, Join({{0xFF, 0xFF, 0xFF, 0xFF}, Repeat(12, 8)})},
        {"saiz", 0, 0, Join({{0}, {0xFF, 0xFF, 0xFF, 0xFF}, {1, 2}})},
        {"pssh", 0, 0, Join({Repeat(9, 16), {0xFF, 0xFF, 0xFF, 0xFF}, {1}})},
        {"sidx", 0, 0, Join({Repeat(1, 18), {0xFF, 0xFF}, Repeat(2, 12)})},
        {"ssix", 0, 0, Join({{0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}, Repeat(13, 8)})},
    };
    for (const WholeBox& box : hostile) {
        const ParseOutcome o =
            ParseRecords(FullBoxThenFree(box, box.payload.size()), {}, BoxSet::Full);
        EXPECT_NE(o.result, 0) << box.type;
        EXPECT_NE(o.log.find("greater than the length specified"), std::string::npos) << box.type;
    }
}

// The Smooth Streaming boxes, cut inside each field after their extended type, end the parse as
// their ISO counterparts do.
TEST(StreamingHandler, SmoothStreamingBoxesCutShort) {
    struct UuidBox {
        std::vector<uint8_t> uuid;
        uint8_t version;
        uint32_t flags;
        std::vector<uint8_t> payload;
    };
    const std::vector<uint8_t> senc = {0xA2, 0x39, 0x4F, 0x52, 0x5A, 0x9B, 0x4F, 0x14,
                                       0xA2, 0x44, 0x6C, 0x42, 0x7C, 0x64, 0x8D, 0xF4};
    const std::vector<uint8_t> tenc = {0x89, 0x74, 0xDB, 0xCE, 0x7B, 0xE7, 0x4C, 0x51,
                                       0x84, 0xF9, 0x71, 0x48, 0xF9, 0x88, 0x25, 0x54};
    const std::vector<uint8_t> tfxd = {0x6D, 0x1D, 0x9B, 0x05, 0x42, 0xD5, 0x44, 0xE6,
                                       0x80, 0xE2, 0x14, 0x1D, 0xAF, 0xF7, 0x57, 0xB2};
    const std::vector<uint8_t> tfrf = {0xD4, 0x80, 0x7E, 0xF2, 0xCA, 0x39, 0x46, 0x95,
                                       0x8E, 0x26, 0x54, 0x6E, 0x32, 0xA1, 0x85, 0x4A};
    const UuidBox whole[] = {
        {senc, 0, 1, Join({{0, 0, 1, 8}, Repeat(1, 16), {0, 0, 0, 0}})},
        {tenc, 0, 0, Join({{0, 0, 1, 16}, Repeat(2, 16)})},
        {tfxd, 1, 0, Repeat(3, 16)},
        {tfrf, 0, 0, Join({{1}, Repeat(4, 8)})},
    };
    for (const UuidBox& box : whole) {
        for (size_t cut = 0; cut <= box.payload.size(); ++cut) {
            BoxBuilder file;
            file.Open("uuid").Bytes(box.uuid).U8(box.version).U24(box.flags);
            file.Bytes(std::vector<uint8_t>(box.payload.begin(), box.payload.begin() + cut));
            file.Close().Leaf("free");
            const ParseOutcome o = ParseRecords(file, {}, BoxSet::Full);
            const bool whole = cut == box.payload.size();
            EXPECT_EQ(o.result == 0, whole) << int{box.uuid[0]} << " cut at " << cut;
            EXPECT_EQ(o.log.find("greater than the length specified") == std::string::npos, whole)
                << int{box.uuid[0]} << " cut at " << cut;
        }
    }
}

// The classic set knows none of these boxes.
TEST(StreamingHandler, ClassicSetLeavesThemUnknown) {
    const BoxBuilder file = BoxBuilder().OpenFull("tfdt", 1, 0).U64(5).Close();
    const ParseOutcome o = ParseRecords(file, {}, BoxSet::Classic);
    ASSERT_EQ(o.entries.size(), 1u);
    EXPECT_EQ(std::get<1>(o.entries[0]), BoxId::Unknown);
}

namespace {

// Keeps where the IV size of each 'senc' came from.
class IVSources : public IParserCallbackProcessor {
public:
    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box* r) override {
        if (const auto* senc = dynamic_cast<const ISOFileFormat::SampleEncryptionBox*>(r))
            sources.push_back(senc->ivSource);
        return 0;
    }
    int32_t OnBoxList(size_t, const std::vector<std::unique_ptr<ISOFileFormat::Box>>&) override {
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry*) override { return 0; }
    int32_t OnParseEnd() override { return 0; }
    std::vector<ISOFileFormat::SampleEncryptionBox::IVSource> sources;
};

}  // namespace

// A media segment read after its init segment by the same parser knows the init's 'tenc' only
// when the facts were carried into its parse, and only for that parse.
TEST(StreamingHandler, TrackFactsCarriedIntoOneParseOnly) {
    BoxBuilder init;
    init.Open("moov").Open("trak").Tkhd(1, 0).OpenFull("tenc", 0, 0).U32(0x108);
    init.Zeros(16).Close().Close().Close();
    BoxBuilder segment;
    segment.Open("moof").Open("traf").OpenFull("tfhd", 0, 0).U32(1).Close();
    segment.OpenFull("senc", 0, 0).U32(1).U64(7).Close().Close().Close();
    const std::string initFile = init.WriteTempFile("init.mp4");
    const std::string segmentFile = segment.WriteTempFile("segment.m4s");
    IVSources seen;
    CISOFileFormatParser parser(&seen, nullptr);
    AddBoxFamilyParsers(parser);
    const auto parse = [&](const std::string& file) {
        ASSERT_EQ(parser.Open(file.c_str()), 1);
        ASSERT_EQ(parser.Parse(), 0);
        parser.Close();
    };
    using Source = ISOFileFormat::SampleEncryptionBox::IVSource;
    parse(initFile);
    parse(segmentFile);
    parse(initFile);
    parser.CarryTrackFactsIntoNextParse();
    parse(segmentFile);
    parse(segmentFile);
    EXPECT_EQ(seen.sources,
              (std::vector<Source>{Source::Unknown, Source::TrackEncryption, Source::Unknown}));
}
