#include "document/Settings.h"

#include <gtest/gtest.h>

TEST(Settings, SwitchesFollowTheTypeRules) {
    SettingValue wide = SettingValue::Number(1);
    wide.byteLength = 8;
    // Only a 32-bit number 1 under the program's key is on; a number of another size or a text
    // counts as missing (the default: AutoParse on, the others off).
    const struct {
        std::string_view key;
        SettingValue value;
        bool autoExpand, autoParse;
    } cases[] = {
        {"", SettingValue::Number(0), false, true},
        {kSettingsKey, SettingValue::Number(1), true, true},
        {kSettingsKey, SettingValue::Number(2), false, false},
        {kSettingsKey, SettingValue::Text("1"), false, true},
        {kSettingsKey, wide, false, true},
        {"software\\Other", SettingValue::Number(1), false, true},
    };
    for (const auto& c : cases) {
        CMemorySettingsStore store;
        if (!c.key.empty()) {
            store.WriteValue(c.key, "AutoExpand", c.value);
            store.WriteValue(c.key, "AutoParse", c.value);
        }
        EXPECT_EQ(GetSwitchSetting(store, SwitchAutoExpand), c.autoExpand) << &c - cases;
        EXPECT_EQ(GetSwitchSetting(store, SwitchAutoParse), c.autoParse) << &c - cases;
    }
    CMemorySettingsStore store;
    for (const int32_t index : {int32_t{SwitchNoExpandMDAT}, int32_t{SwitchNoExpandQI}, 4, -1})
        EXPECT_FALSE(GetSwitchSetting(store, index)) << index;
    EXPECT_TRUE(SetSwitchSetting(store, SwitchNoExpandQI, true));
    EXPECT_TRUE(GetSwitchSetting(store, SwitchNoExpandQI));
    EXPECT_TRUE(SetSwitchSetting(store, SwitchNoExpandQI, false));
    EXPECT_FALSE(GetSwitchSetting(store, SwitchNoExpandQI));
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
    // Nothing stored, or a number, is no path.
    CMemorySettingsStore store;
    std::string path = "unchanged";
    EXPECT_FALSE(GetHexEditorPath(store, path));
    store.WriteValue(kSettingsKey, "Hex Editor", SettingValue::Number(7));
    EXPECT_FALSE(GetHexEditorPath(store, path));
    EXPECT_EQ(path, "unchanged");
}
