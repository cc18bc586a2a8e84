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

// A full box of 32-bit words; a 'uuid' with a 32-bit or a 64-bit size.
BoxBuilder Table(std::string_view type, uint8_t version, std::vector<uint32_t> words) {
    BoxBuilder b;
    b.OpenFull(type, version, 0);
    for (uint32_t word : words)
        b.U32(word);
    return b.Close();
}
// An extended type of no known box: only its header is read.
BoxBuilder Uuid(bool large) {
    return BoxBuilder().Open("uuid", large).U64(0x6D1D9B0642D544E6).U64(0x80E2141DAFF757B2).Close();
}
constexpr const char* kUuid = "6d1d9b06-42d5-44e6-80e2-141daff757b2";

struct Case {
    const char* name;
    BoxBuilder file;
    uint32_t headerSize;
    // The numbers of the table's rows in order; nullopt for a row that is text only.
    std::vector<std::optional<int64_t>> rows;
    std::string userType = "";
};

TEST(JsonExport, TableRowsAndHeadersKeepTheirNumbers) {
    const Case cases[] = {
        // Each 64-bit offset as two words.
        {"64-bit chunk offsets",
         Table("co64", 0, {3, 0x123, 0x456789AB, 0, ~0u, 0x7FFFFFFF, ~0u}),
         8,
         {0x123456789AB, 0xFFFFFFFF, INT64_MAX}},
        {"32-bit chunk offsets", Table("stco", 0, {2, 0xFFFFFFFF, 0}), 8, {0xFFFFFFFF, 0}},
        {"signed composition offset", Table("ctts", 1, {1, 1, 0x80000000}), 8, {INT32_MIN}},
        {"unsigned composition offset", Table("ctts", 0, {1, 1, 0xFFFFFFFF}), 8, {0xFFFFFFFF}},
        {"sample sizes", Table("stsz", 0, {0, 2, 6000, 0}), 8, {6000, 0}},
        {"4-bit sample sizes", Table("stz2", 0, {4, 8, 0xF1700009}), 8, {15, 1, 7, 0, 0, 0, 0, 9}},
        {"sync samples", Table("stss", 0, {2, 1, 0xFFFFFFFF}), 8, {1, 0xFFFFFFFF}},
        {"rows of two fields", Table("stts", 0, {1, 5, 1024}), 8, {std::nullopt}},
        {"uuid", Uuid(false), 24, {}, kUuid},
        {"uuid with a 64-bit size", Uuid(true), 32, {}, kUuid},
        {"64-bit size", BoxBuilder().Open("free", true).U32(0).Close(), 16, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const rapidjson::Document json = ExportJson(c.file);
        ASSERT_EQ(json["parse"]["result"].GetInt(), 0);
        const auto& box = json["boxes"][0];
        EXPECT_EQ(box["headerSize"].GetUint(), c.headerSize);
        EXPECT_EQ(box.HasMember("userType") ? box["userType"].GetString() : "", c.userType);
        std::vector<std::optional<int64_t>> rows;
        for (const auto& field : box["fields"].GetArray()) {
            if (!field.HasMember("label") ||
                field["label"].GetString() !=
                    std::string("entry ") + std::to_string(rows.size() + 1))
                continue;
            const bool number = field.HasMember("value") && field["value"].IsInt64();
            EXPECT_EQ(number, field.HasMember("kind")) << field["text"].GetString();
            rows.push_back(number ? std::optional(field["value"].GetInt64()) : std::nullopt);
        }
        EXPECT_EQ(rows, c.rows);
    }
}

}  // namespace

namespace {
template <class Write>
std::string JsonText(Write write) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&text, &size);
    EXPECT_TRUE(write(file));
    std::fclose(file);
    std::string json(text, size);
    std::free(text);
    return json;
}
}  // namespace

// A segment opened in the viewer with its init segment shows both trees in one list; its export
// is still the two documents apart, the same as orvex-dump --init writes.
TEST(JsonExport, SegmentWithItsInitSegmentIsTwoDocuments) {
    const std::string data = ORVEX_TEST_DATA_DIR;
    const std::string initPath = data + "/dash_init.m4s";
    const std::string segmentPath = data + "/dash_segment.m4s";
    TestDocument viewer;
    ASSERT_TRUE(viewer.doc.OpenInitSegment(initPath));
    ASSERT_EQ(viewer.control.OpenFile(segmentPath), 1);
    TestDocument init;
    ASSERT_EQ(init.control.OpenFile(initPath), 1);
    TestDocument segment;
    segment.doc.UseInitSegment(&init.doc);
    ASSERT_EQ(segment.control.OpenFile(segmentPath), 1);

    const std::string apart = JsonText([&](std::FILE* file) {
        return WriteSegmentWithInitJson(init.doc, initPath, segment.doc, segmentPath, file);
    });
    EXPECT_EQ(
        JsonText([&](std::FILE* file) { return WriteTreeJson(viewer.doc, segmentPath, file); }),
        apart);
    EXPECT_NE(apart.find("\"initSegment\""), std::string::npos);
}
