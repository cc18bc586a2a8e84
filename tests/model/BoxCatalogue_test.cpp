#include "model/BoxCatalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

using namespace std::string_view_literals;

TEST(BoxCatalogue, LookupIsCaseInsensitiveAndFirstWins) {
    using namespace BoxId;
    const std::pair<const char*, int32_t> texts[] = {
        {"moov", Moov},    {"MOOV", Moov},   {"mOoV", Moov}, {"LOCI", Loci},
        {"abcd", Unknown}, {"????", Empty},  {"", Empty},    {"-", AudioSampleEntry},
        {"url ", Url},     {"url", Unknown}, {" ", Unknown}};
    for (const auto& [type, id] : texts)
        EXPECT_EQ(FindBoxId(type), id) << type;
    // Raw type bytes end at the first zero byte.
    const std::pair<std::string_view, int32_t> raw[] = {
        {"\0\0\0\0"sv, Empty},           {"\0abc"sv, Empty},     {"ab\0\0"sv, Unknown},
        {"-\0\0\0"sv, AudioSampleEntry}, {"\xE9trk"sv, Unknown}, {"TRAK"sv, Trak}};
    for (const auto& [bytes, id] : raw)
        EXPECT_EQ(FindBoxId(reinterpret_cast<const uint8_t*>(bytes.data())), id) << bytes;
}

// The texts themselves, misspellings included, are pinned by the expected exports.
TEST(BoxCatalogue, TextsAreTheUsersTexts) {
    int described = 0;
    for (int32_t id = 0; id < kBoxCatalogueSize; ++id) {
        ASSERT_TRUE(GetBoxTypeText(id) && GetBoxLongName(id) && GetBoxDescription(id)) << id;
        described += GetBoxDescription(id)[0] != '\0';
        // Every type text maps back to its own id, except the repeated "-" and the empty one.
        const std::string type = GetBoxTypeText(id);
        EXPECT_TRUE(type == "-" || type.empty() || FindBoxId(type.c_str()) == id) << type;
        // The classic set knows its own rows and nothing of the families after them.
        if (type != "-" && !type.empty()) {
            EXPECT_EQ(FindBoxId(type.c_str(), BoxSet::Classic), id < 117 ? id : BoxId::Unknown)
                << type;
        }
    }
    EXPECT_EQ(kClassicBoxCount, 117);
    EXPECT_GT(kBoxCatalogueSize, kClassicBoxCount);
    EXPECT_GT(described, 90);
    EXPECT_STREQ(GetBoxTypeText(BoxId::Unknown), "Unknown Type");
    EXPECT_STREQ(GetBoxLongName(BoxId::Unknown), "Unknown Type");
    EXPECT_EQ(GetBoxDescription(BoxId::Unknown), nullptr);
}
