#pragma once

#include <QString>
#include <optional>
#include <string_view>

#include "document/Settings.h"

class QJsonObject;

// The per-user settings, kept in a JSON file: one object per key ("software\\Orvex", ...), in
// it one member per value, a JSON number for a 32-bit number and a JSON string for a text.
// Anything else (a fraction, a number out of range, true, null, an array) is a value of another
// type, which readers treat as missing.
//
// Nothing is cached: every read opens the file again, so a change written by another part of
// the program (or another instance) is seen at the next read. A missing, unreadable or corrupt
// file reads as empty; the next write replaces it. Writes go through a temporary file renamed
// over the old one, so a crash never leaves half a file.
class CSettingsFileStore : public ISettingsStore {
public:
    explicit CSettingsFileStore(QString filePath);

    // settings.json in $ORVEX_CONFIG_DIR when set, else in Orvex/ under $XDG_CONFIG_HOME,
    // else under ~/.config.
    static QString DefaultFilePath();

    const QString& GetFilePath() const { return m_filePath; }

    std::optional<SettingValue> ReadValue(std::string_view key,
                                          std::string_view name) const override;
    bool WriteValue(std::string_view key, std::string_view name,
                    const SettingValue& value) override;
    bool DeleteValue(std::string_view key, std::string_view name) override;

private:
    QJsonObject Load() const;
    bool Save(const QJsonObject& root) const;

    QString m_filePath;
};
