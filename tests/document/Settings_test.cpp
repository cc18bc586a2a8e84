#include "document/Settings.h"

#include <gtest/gtest.h>

// Only a 32-bit number 1 under the program's key is on; a number of another size, or one under
// another key, counts as missing. Indexes outside the switches are off.
TEST(Settings, SwitchesFollowTheTypeRules) {
    SettingValue wide = SettingValue::Number(1);
    wide.byteLength = 8;
    CMemorySettingsStore store, other;
    store.WriteValue(kSettingsKey, "AutoExpand", wide);
    store.WriteValue(kSettingsKey, "AutoParse", wide);
    other.WriteValue("software\\Other", "AutoExpand", SettingValue::Number(1));
    other.WriteValue("software\\Other", "AutoParse", SettingValue::Number(0));
    for (const CMemorySettingsStore* s : {&store, &other}) {
        EXPECT_FALSE(GetSwitchSetting(*s, SwitchAutoExpand));
        EXPECT_TRUE(GetSwitchSetting(*s, SwitchAutoParse));
    }
    for (const int32_t index : {int32_t{SwitchNoExpandMDAT}, int32_t{SwitchNoExpandQI},
                                int32_t{SwitchClassicBoxSet}, 5, -1})
        EXPECT_FALSE(GetSwitchSetting(other, index)) << index;
    EXPECT_FALSE(SetSwitchSetting(other, 5, true));
    for (const int32_t index : {int32_t{SwitchNoExpandQI}, int32_t{SwitchClassicBoxSet}}) {
        EXPECT_TRUE(SetSwitchSetting(other, index, true));
        EXPECT_TRUE(GetSwitchSetting(other, index));
    }
}

// At most 260 characters with the terminator; characters count, not bytes.
TEST(Settings, HexEditorPathHasAtMost259Characters) {
    std::string accented;
    for (int i = 0; i < 259; ++i)
        accented += "\xC3\xA9";
    const std::pair<std::string, bool> cases[] = {
        {std::string(259, 'p'), true}, {std::string(260, 'q'), false}, {accented, true}};
    for (const auto& [stored, kept] : cases) {
        CMemorySettingsStore store;
        SetHexEditorPath(store, stored);
        std::string path = "unchanged";
        EXPECT_EQ(GetHexEditorPath(store, path), kept) << stored.size();
        EXPECT_EQ(path, kept ? stored : "unchanged");
    }
}
