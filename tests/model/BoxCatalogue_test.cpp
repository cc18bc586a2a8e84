#include "model/BoxCatalogue.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(BoxCatalogue, LookupIsCaseInsensitiveAndFirstWins) {
    const struct {
        const char* type;
        int32_t id;
    } texts[] = {{"moov", BoxId::Moov},   {"MOOV", BoxId::Moov},          {"mOoV", BoxId::Moov},
                 {"LOCI", BoxId::Loci},   {"abcd", BoxId::Unknown},       {"????", BoxId::Empty},
                 {"", BoxId::Empty},      {"-", BoxId::AudioSampleEntry}, {"url ", BoxId::Url},
                 {"url", BoxId::Unknown}, {" ", BoxId::Unknown}};
    for (const auto& t : texts)
        EXPECT_EQ(FindBoxId(t.type), t.id) << t.type;
    // Raw type bytes end at the first zero byte.
    const struct {
        uint8_t bytes[4];
        int32_t id;
    } raw[] = {{{0, 0, 0, 0}, BoxId::Empty},
               {{0, 'a', 'b', 'c'}, BoxId::Empty},
               {{'a', 'b', 0, 0}, BoxId::Unknown},
               {{'-', 0, 0, 0}, BoxId::AudioSampleEntry},
               {{0xE9, 't', 'r', 'k'}, BoxId::Unknown},
               {{'T', 'R', 'A', 'K'}, BoxId::Trak}};
    for (const auto& r : raw)
        EXPECT_EQ(FindBoxId(r.bytes), r.id) << r.bytes[0];
}

// The texts themselves, misspellings included, are pinned by the expected exports.
TEST(BoxCatalogue, TextsAreTheUsersTexts) {
    int described = 0;
    for (int32_t id = 0; id < kBoxCatalogueSize; ++id) {
        ASSERT_NE(GetBoxTypeText(id), nullptr);
        ASSERT_NE(GetBoxLongName(id), nullptr);
        ASSERT_NE(GetBoxDescription(id), nullptr);
        described += GetBoxDescription(id)[0] != '\0';
        // Every type text maps back to its own id, except the repeated "-" and the empty one.
        if (std::strcmp(GetBoxTypeText(id), "-") != 0 && GetBoxTypeText(id)[0] != '\0') {
            EXPECT_EQ(FindBoxId(GetBoxTypeText(id)), id) << GetBoxTypeText(id);
        }
    }
    EXPECT_GT(described, 90);
    EXPECT_STREQ(GetBoxTypeText(BoxId::Unknown), "Unknown Type");
    EXPECT_STREQ(GetBoxLongName(BoxId::Unknown), "Unknown Type");
    EXPECT_EQ(GetBoxDescription(BoxId::Unknown), nullptr);
}
