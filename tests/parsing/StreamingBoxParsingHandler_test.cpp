#include "parsing/StreamingBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    };
    for (const WholeBox& box : hostile) {
        const ParseOutcome o =
            ParseRecords(FullBoxThenFree(box, box.payload.size()), {}, BoxSet::Full);
        EXPECT_NE(o.result, 0) << box.type;
        EXPECT_NE(o.log.find("greater than the length specified"), std::string::npos) << box.type;
    }
}

// The classic set knows none of these boxes.
TEST(StreamingHandler, ClassicSetLeavesThemUnknown) {
    const BoxBuilder file = BoxBuilder().OpenFull("tfdt", 1, 0).U64(5).Close();
    const ParseOutcome o = ParseRecords(file, {}, BoxSet::Classic);
    ASSERT_EQ(o.entries.size(), 1u);
    EXPECT_EQ(std::get<1>(o.entries[0]), BoxId::Unknown);
}
