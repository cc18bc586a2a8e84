#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// The per-user settings as the system has always kept them: keys holding named values, each a
// 32-bit number or a text. The shell keeps them in a file; the CLI and the tests in memory.
// Readers apply the type rules below themselves, so a value of the wrong type or size counts
// as missing, whatever store it comes from.

constexpr std::string_view kSettingsKey = "software\\Orvex";
constexpr std::string_view kRecentFilesKey = "software\\Orvex\\MRU\\Recent Document List";

struct SettingValue {
    enum class Type { Number32, Text, Other };
    Type type = Type::Other;
    uint32_t number = 0;      // Number32
    std::string text;         // Text: the characters, without the terminating zero
    uint32_t byteLength = 0;  // the stored length in bytes (a text counts its terminator)

    static SettingValue Number(uint32_t value) { return {Type::Number32, value, {}, 4}; }
    static SettingValue Text(std::string value);
};

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual std::optional<SettingValue> ReadValue(std::string_view key,
                                                  std::string_view name) const = 0;
    virtual bool WriteValue(std::string_view key, std::string_view name,
                            const SettingValue& value) = 0;
    virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
};

// A store that lives in memory only: empty, it gives every default.
class CMemorySettingsStore : public ISettingsStore {
public:
    std::optional<SettingValue> ReadValue(std::string_view key,
                                          std::string_view name) const override;
    bool WriteValue(std::string_view key, std::string_view name,
                    const SettingValue& value) override;
    bool DeleteValue(std::string_view key, std::string_view name) override;

private:
    std::map<std::pair<std::string, std::string>, SettingValue, std::less<>> m_values;
};

enum SwitchSetting : int32_t {
    SwitchAutoExpand = 0,
    SwitchAutoParse = 1,
    SwitchNoExpandMDAT = 2,
    SwitchNoExpandQI = 3,
    // Decode only the box set of the early MP4 and 3GPP years, exactly as it was always shown.
    SwitchClassicBoxSet = 4
};

// The switch at `index`: on only when stored as a 4-byte 32-bit number equal to 1, off for any
// other number; the default when missing or of another type. An index outside 0-4 is off.
bool GetSwitchSetting(const ISettingsStore& store, int32_t index);
bool SetSwitchSetting(ISettingsStore& store, int32_t index, bool on);

// A flag of its own name kept as the switches are: on only when stored as a 4-byte 32-bit
// number equal to 1, `defaultValue` when missing or of another type.
bool GetFlagSetting(const ISettingsStore& store, std::string_view name, bool defaultValue);
bool SetFlagSetting(ISettingsStore& store, std::string_view name, bool on);
// Whether the viewer shows its hex pane, a flag.
constexpr std::string_view kHexPaneSetting = "Hex Pane";

// The hex editor's path: only a text of at most 260 characters with its terminator counts;
// otherwise `path` is left as it was and the result is false.
bool GetHexEditorPath(const ISettingsStore& store, std::string& path);
bool SetHexEditorPath(ISettingsStore& store, const std::string& path);
