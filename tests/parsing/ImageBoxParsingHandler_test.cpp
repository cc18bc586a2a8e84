#include "parsing/ImageBoxParsingHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ImageBoxes.h"
#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// Every box of the family cut inside each of its field groups ends the parse with the driver's
// message and reads nothing past the box; counts larger than the box hold ask for no room.
namespace {

using ISOFileFormat::ItemLocationBox;

// The payload after the header (and after version and flags for a full box), read inside
// `parent` when it is not empty ('iref' version `parentVersion`, or 'grpl').
struct WholeBox {
    const char* type;
    bool full;
    uint8_t version;
    uint32_t flags;
    std::vector<uint8_t> payload;
    const char* parent = "";
    uint8_t parentVersion = 0;
};

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const std::vector<uint8_t>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

BoxBuilder BoxThenFree(const WholeBox& box, size_t bytes) {
    BoxBuilder b;
    const std::string parent = box.parent;
    if (parent == "iref") b.OpenFull("iref", box.parentVersion, 0);
    if (parent == "grpl") b.Open("grpl");
    if (box.full) {
        b.OpenFull(box.type, box.version, box.flags);
    } else {
        b.Open(box.type);
    }
    b.Bytes(std::vector<uint8_t>(box.payload.begin(), box.payload.begin() + bytes)).Close();
    if (!parent.empty()) b.Close();
    return b.Leaf("free");
}

std::string NameOf(const WholeBox& box) {
    return std::string(box.type) + " v" + std::to_string(box.version) + " flags " +
           std::to_string(box.flags);
}

}  // namespace

TEST(ImageHandler, BoxesCutShort) {
    const WholeBox whole[] = {
        {"pitm", true, 0, 0, {0, 1}},
        {"pitm", true, 1, 0, {0, 0, 0, 1}},
        {"infe", true, 0, 0, {0, 1, 0, 0, 'n', 0, 't', 0}},
        {"infe", true, 2, 0, Join({{0, 1, 0, 0}, {'h', 'v', 'c', '1'}, {'n', 0}})},
        {"infe", true, 3, 0, Join({{0, 0, 0, 1, 0, 0}, {'u', 'r', 'i', ' '}, {'n', 0, 'u', 0}})},
        // offset and length 4, base offset 4: item ID, method, reference, base, extents
        {"iloc", true, 1, 0,
         Join({{0x44, 0x40, 0, 1},
               {0, 1, 0, 1, 0, 0},
               {0, 0, 0, 9},
               {0, 1},
               {0, 0, 0, 2, 0, 0, 0, 3}})},
        // offset 0, length 8, base 8
        {"iloc", true, 0, 0,
         Join({{0x08, 0x80, 0, 1},
               {0, 1, 0, 0},
               {0, 0, 0, 0, 0, 0, 0, 9},
               {0, 1},
               {0, 0, 0, 0, 0, 0, 0, 3}})},
        // index 4, offset 8, length 4, no base; 32-bit count and ID
        {"iloc", true, 2, 0,
         Join({{0x84, 0x04, 0, 0, 0, 1},
               {0, 0, 0, 1, 0, 2, 0, 0},
               {0, 1},
               {0, 0, 0, 1},
               {0, 0, 0, 0, 0, 0, 0, 2},
               {0, 0, 0, 4}})},
        {"dimg", false, 0, 0, {0, 1, 0, 2, 0, 2, 0, 3}, "iref", 0},
        {"thmb", false, 0, 0, {0, 0, 0, 1, 0, 1, 0, 0, 0, 2}, "iref", 1},
        {"ipma", true, 0, 0, {0, 0, 0, 1, 0, 1, 2, 0x81, 0x02}},
        {"ipma", true, 1, 1, {0, 0, 0, 1, 0, 0, 0, 1, 1, 0x80, 0x01}},
        {"ispe", true, 0, 0, {0, 0, 0, 64, 0, 0, 0, 48}},
        {"pixi", true, 0, 0, {3, 8, 8, 8}},
        {"auxC", true, 0, 0, {'u', 'r', 'n', 0}},
        {"irot", false, 0, 0, {1}},
        {"lsel", false, 0, 0, {0, 1}},
        {"a1lx", false, 0, 0, {0, 0, 1, 0, 2, 0, 3}},
        {"a1lx", false, 0, 0, {1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3}},
        {"ster", true, 0, 0, {0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 2}, "grpl"},
    };
    for (const WholeBox& box : whole) {
        const std::string name = NameOf(box);
        const ParseOutcome full =
            ParseRecords(BoxThenFree(box, box.payload.size()), {}, BoxSet::Full);
        ASSERT_EQ(full.result, 0) << name << full.log;
        EXPECT_EQ(full.log.find("greater than the length"), std::string::npos) << name;
        // The last byte of an optional trailing string ('infe' version 0) ends a whole box.
        const size_t cuts = box.payload.size() - (std::string(box.type) == "infe" ? 1 : 0);
        for (size_t cut = 0; cut < cuts; ++cut) {
            const ParseOutcome o = ParseRecords(BoxThenFree(box, cut), {}, BoxSet::Full);
            EXPECT_NE(o.result, 0) << name << " cut at " << cut;
            EXPECT_NE(o.log.find("greater than the length specified"), std::string::npos)
                << name << " cut at " << cut;
        }
    }
}

// A count of 2^32 - 1 (or 2^16 - 1) entries in a box of a few bytes: the parse ends at the box,
// and the table holds no more entries than the box's bytes.
TEST(ImageHandler, HostileCountsStayInTheBox) {
    const WholeBox hostile[] = {
        {"iloc", true, 2, 0, {0x44, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 0, 0, 0, 0}},
        {"iloc", true, 0, 0, {0x44, 0x00, 0, 1, 0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"ipma", true, 0, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 1, 0x81}},
        {"ipma", true, 0, 0, {0, 0, 0, 1, 0, 1, 0xFF, 0x81}},
        {"dimg", false, 0, 0, {0, 1, 0xFF, 0xFF, 0, 2}, "iref"},
        {"altr", true, 0, 0, {0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1}, "grpl"},
        {"pixi", true, 0, 0, {0xFF, 8}},
    };
    for (const WholeBox& box : hostile) {
        const ParseOutcome o = ParseRecords(BoxThenFree(box, box.payload.size()), {}, BoxSet::Full);
        EXPECT_NE(o.result, 0) << NameOf(box);
        EXPECT_NE(o.log.find("greater than the length specified"), std::string::npos)
            << NameOf(box);
    }
}

// Extents with no offset, length or index field cost the box no byte: 2^16 - 1 of them in each
// item list as many as the box has bytes, whatever the count, and the box still parses whole.
TEST(ImageHandler, ExtentsWithoutFieldsAreBoundedByTheBox) {
    BoxBuilder file;
    file.OpenFull("iloc", 1, 0).U8(0).U8(0).U16(2);
    file.U16(1).U16(0).U16(0).U16(0xFFFF).U16(2).U16(0).U16(0).U16(0xFFFF).Close();
    size_t listed = 0;
    const ParseOutcome o = ParseRecords(
        file,
        [&](const ISOFileFormat::Box& box) {
            if (const auto* iloc = As<ItemLocationBox>(box)) {
                listed = 0;
                for (const ItemLocationBox::Item& item : iloc->items)
                    listed += item.extents.size();
            }
            return std::string();
        },
        BoxSet::Full);
    EXPECT_EQ(o.result, 0) << o.log;
    EXPECT_GT(listed, 0u);
    EXPECT_LE(listed, 20u);  // the payload's bytes after version and flags
}

// The classic set knows none of the item boxes but 'iloc', which it passes as before.
TEST(ImageHandler, ClassicSetLeavesThemUnknown) {
    const BoxBuilder file = BoxBuilder().OpenFull("pitm", 0, 0).U16(1).Close();
    const ParseOutcome o = ParseRecords(file, {}, BoxSet::Classic);
    ASSERT_EQ(o.entries.size(), 1u);
    EXPECT_EQ(std::get<1>(o.entries[0]), BoxId::Unknown);
}
