#include "model/BoxCatalogue.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(BoxCatalogue, LookupIsCaseInsensitiveAndFirstWins) {
    EXPECT_EQ(FindBoxId("moov"), 2);
    EXPECT_EQ(FindBoxId("MOOV"), 2);
    EXPECT_EQ(FindBoxId("mOoV"), 2);
    EXPECT_EQ(FindBoxId("loci"), 98);
    EXPECT_EQ(FindBoxId("LOCI"), 98);
    EXPECT_EQ(FindBoxId("abcd"), -1);
    EXPECT_EQ(FindBoxId("????"), 0);
    EXPECT_EQ(FindBoxId("-"), 60);
    EXPECT_EQ(FindBoxId("url "), 22);
    EXPECT_EQ(FindBoxId("url"), -1);

    const uint8_t zeros[4] = {0, 0, 0, 0};
    const uint8_t leadingZero[4] = {0, 'a', 'b', 'c'};
    const uint8_t shortType[4] = {'a', 'b', 0, 0};
    const uint8_t dash[4] = {'-', 0, 0, 0};
    const uint8_t latin[4] = {0xE9, 't', 'r', 'k'};
    EXPECT_EQ(FindBoxId(zeros), 0);
    EXPECT_EQ(FindBoxId(leadingZero), 0);
    EXPECT_EQ(FindBoxId(shortType), -1);
    EXPECT_EQ(FindBoxId(dash), 60);
    EXPECT_EQ(FindBoxId(latin), -1);
    // Entry 62 has an empty type and can never be found by a lookup.
    for (const char* t : {"", " ", "    "})
        EXPECT_NE(FindBoxId(t), 62) << t;
}

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
    EXPECT_STREQ(GetBoxTypeText(-1), "Unknown Type");
    EXPECT_STREQ(GetBoxLongName(-1), "Unknown Type");
    EXPECT_EQ(GetBoxDescription(-1), nullptr);
    EXPECT_STREQ(GetBoxLongName(53), "Free Sapce Box");
    EXPECT_STREQ(GetBoxDescription(107),
                 "Structure which holds the AMR and AMR-WB Seecific information");
    EXPECT_STREQ(GetBoxLongName(17), "Hin Media Header Box");
    EXPECT_STREQ(GetBoxTypeText(62), "");
    EXPECT_STREQ(GetBoxLongName(62), "HintSampleEntry Box");
    EXPECT_STREQ(GetBoxTypeText(116), "uuid");
}
