#include "document/JsonExport.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

namespace {

// The JSON export of a file of the given boxes, parsed back.
rapidjson::Document ExportJson(const BoxBuilder& boxes) {
    TestDocument t;
    EXPECT_EQ(t.control.OpenFile(boxes.WriteTempFile("boxes.mp4")), 1);
    char* text = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&text, &size);
    EXPECT_TRUE(WriteTreeJson(t.doc, "boxes.mp4", file));
    std::fclose(file);
    rapidjson::Document json;
    json.Parse(text, size);
    std::free(text);
    EXPECT_FALSE(json.HasParseError());
    return json;
}

BoxBuilder Ctts(uint8_t version, std::vector<uint32_t> offsets) {
    BoxBuilder b;
    b.OpenFull("ctts", version, 0).U32(static_cast<uint32_t>(offsets.size()));
    for (uint32_t offset : offsets)
        b.U32(1).U32(offset);
    return b.Close();
}

BoxBuilder Uuid(bool largeSize) {
    return BoxBuilder()
        .Open("uuid", largeSize)
        .U32(0x6D1D9B05)
        .U32(0x42D544E6)
        .U32(0x80E2141D)
        .U32(0xAFF757B2)
        .U32(7)
        .Close();
}

struct Case {
    const char* name;
    BoxBuilder file;
    uint32_t headerSize;
    // The numbers of the table's rows in order; nullopt for a row that is text only.
    std::vector<std::optional<int64_t>> rows;
    const char* userType = nullptr;
};

TEST(JsonExport, TableRowsAndHeadersKeepTheirNumbers) {
    const Case cases[] = {
        {"64-bit chunk offsets", BoxBuilder().OpenFull("co64", 0, 0).U32(3).U64(0x123456789AB)
                                     .U64(0xFFFFFFFF).U64(0x7FFFFFFFFFFFFFFF).Close(),
         8, {0x123456789AB, 0xFFFFFFFF, INT64_MAX}},
        {"32-bit chunk offsets", BoxBuilder().OpenFull("stco", 0, 0).U32(2).U32(0xFFFFFFFF)
                                     .U32(0).Close(),
         8, {0xFFFFFFFF, 0}},
        {"signed composition offsets", Ctts(1, {0xFFFFFFFF, 0x7FFFFFFF, 0x80000000}), 8,
         {-1, INT32_MAX, INT32_MIN}},
        {"unsigned composition offsets", Ctts(0, {0xFFFFFFFF}), 8, {0xFFFFFFFF}},
        {"sample sizes", BoxBuilder().OpenFull("stsz", 0, 0).U32(0).U32(2).U32(6000).U32(0)
                             .Close(),
         8, {6000, 0}},
        {"4-bit sample sizes", BoxBuilder().OpenFull("stz2", 0, 0).U24(0).U8(4).U32(3).U8(0xF1)
                                   .U8(0x70).Close(),
         8, {15, 1, 7}},
        {"sync samples", BoxBuilder().OpenFull("stss", 0, 0).U32(2).U32(1).U32(0xFFFFFFFF)
                             .Close(),
         8, {1, 0xFFFFFFFF}},
        {"rows of two fields", BoxBuilder().OpenFull("stts", 0, 0).U32(1).U32(5).U32(1024)
                                   .Close(),
         8, {std::nullopt}},
        {"uuid", Uuid(false), 24, {}, "6d1d9b05-42d5-44e6-80e2-141daff757b2"},
        {"uuid with a 64-bit size", Uuid(true), 32, {}, "6d1d9b05-42d5-44e6-80e2-141daff757b2"},
        {"64-bit size", BoxBuilder().Open("free", true).U32(0).Close(), 16, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const rapidjson::Document json = ExportJson(c.file);
        ASSERT_TRUE(json.IsObject());
        ASSERT_EQ(json["parse"]["result"].GetInt(), 0);
        const auto& box = json["boxes"][0];
        EXPECT_EQ(box["headerSize"].GetUint(), c.headerSize);
        if (c.userType) {
            ASSERT_TRUE(box.HasMember("userType"));
            EXPECT_STREQ(box["userType"].GetString(), c.userType);
        } else {
            EXPECT_FALSE(box.HasMember("userType"));
        }
        std::vector<std::optional<int64_t>> rows;
        for (const auto& field : box["fields"].GetArray()) {
            if (!field.HasMember("label")) continue;
            if (std::string(field["label"].GetString()).rfind("entry ", 0) != 0) continue;
            if (!field.HasMember("value")) {
                rows.push_back(std::nullopt);
                continue;
            }
            EXPECT_STREQ(field["kind"].GetString(), "number");
            ASSERT_TRUE(field["value"].IsInt64()) << field["text"].GetString();
            rows.push_back(field["value"].GetInt64());
        }
        EXPECT_EQ(rows, c.rows);
    }
}

}  // namespace
