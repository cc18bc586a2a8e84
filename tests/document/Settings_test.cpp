#include "document/Settings.h"

#include <gtest/gtest.h>

TEST(Settings, SwitchesFollowTheTypeRules) {
    CMemorySettingsStore store;
    // Nothing stored: AutoParse on, the others off; an unknown index is off.
    EXPECT_FALSE(GetSwitchSetting(store, SwitchAutoExpand));
    EXPECT_TRUE(GetSwitchSetting(store, SwitchAutoParse));
    EXPECT_FALSE(GetSwitchSetting(store, SwitchNoExpandMDAT));
    EXPECT_FALSE(GetSwitchSetting(store, SwitchNoExpandQI));
    EXPECT_FALSE(GetSwitchSetting(store, 4));
    EXPECT_FALSE(GetSwitchSetting(store, -1));

    // Only the number 1 is on; any other number is off.
    store.WriteValue(kSettingsKey, "AutoParse", SettingValue::Number(2));
    EXPECT_FALSE(GetSwitchSetting(store, SwitchAutoParse));
    store.WriteValue(kSettingsKey, "AutoExpand", SettingValue::Number(1));
    EXPECT_TRUE(GetSwitchSetting(store, SwitchAutoExpand));
    // A text "1" or a number of the wrong size counts as missing: the default.
    store.WriteValue(kSettingsKey, "AutoParse", SettingValue::Text("1"));
    EXPECT_TRUE(GetSwitchSetting(store, SwitchAutoParse));
    SettingValue wide = SettingValue::Number(1);
    wide.byteLength = 8;
    store.WriteValue(kSettingsKey, "AutoExpand", wide);
    EXPECT_FALSE(GetSwitchSetting(store, SwitchAutoExpand));
    // Values under another key do not count.
    store.WriteValue("software\\Other", "NoExpandQI", SettingValue::Number(1));
    EXPECT_FALSE(GetSwitchSetting(store, SwitchNoExpandQI));

    EXPECT_TRUE(SetSwitchSetting(store, SwitchNoExpandQI, true));
    EXPECT_TRUE(GetSwitchSetting(store, SwitchNoExpandQI));
    EXPECT_TRUE(SetSwitchSetting(store, SwitchNoExpandQI, false));
    EXPECT_FALSE(GetSwitchSetting(store, SwitchNoExpandQI));
}

TEST(Settings, HexEditorPathHasAtMost260CharactersWithItsTerminator) {
    CMemorySettingsStore store;
    std::string path = "unchanged";
    EXPECT_FALSE(GetHexEditorPath(store, path));
    EXPECT_EQ(path, "unchanged");

    std::string longest(259, 'p');
    SetHexEditorPath(store, longest);
    EXPECT_TRUE(GetHexEditorPath(store, path));
    EXPECT_EQ(path, longest);

    SetHexEditorPath(store, std::string(260, 'q'));
    path = "unchanged";
    EXPECT_FALSE(GetHexEditorPath(store, path));
    EXPECT_EQ(path, "unchanged");

    // Characters, not bytes, count: 259 two-byte characters still fit.
    std::string accented;
    for (int i = 0; i < 259; ++i)
        accented += "\xC3\xA9";
    SetHexEditorPath(store, accented);
    EXPECT_TRUE(GetHexEditorPath(store, path));

    // A number is not a path.
    store.WriteValue(kSettingsKey, "Hex Editor", SettingValue::Number(7));
    path = "unchanged";
    EXPECT_FALSE(GetHexEditorPath(store, path));
}
