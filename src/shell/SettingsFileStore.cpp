#include "shell/SettingsFileStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSaveFile>
#include <cmath>
#include <utility>

namespace {

// A settings file is a few hundred bytes; anything this big is not ours and reads as empty.
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;
constexpr char kFileName[] = "settings.json";

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A JSON number counts as a 32-bit number when it is whole and fits in 32 bits, as unsigned or
// as signed (a window placed left of the screen is stored with its negative coordinate's bits).
std::optional<uint32_t> ToNumber32(double value) {
    if (!std::isfinite(value) || std::floor(value) != value) return std::nullopt;
    if (value < -2147483648.0 || value > 4294967295.0) return std::nullopt;
    if (value < 0) return static_cast<uint32_t>(static_cast<int32_t>(value));
    return static_cast<uint32_t>(value);
}

}  // namespace

CSettingsFileStore::CSettingsFileStore(QString filePath) : m_filePath(std::move(filePath)) {}

QString CSettingsFileStore::DefaultFilePath() {
    QString dir = qEnvironmentVariable("ORVEX_CONFIG_DIR");
    if (dir.isEmpty()) {
        // A relative XDG_CONFIG_HOME is invalid and is ignored, as the XDG rules ask.
        const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
        const QString base = (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
                                 ? xdg
                                 : QDir::homePath() + QStringLiteral("/.config");
        dir = base + QStringLiteral("/Orvex");
    }
    return QDir(dir).filePath(QString::fromLatin1(kFileName));
}

QJsonObject CSettingsFileStore::Load() const {
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    if (file.size() > kMaxFileSize) return {};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.read(kMaxFileSize), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return {};
    return document.object();
}

bool CSettingsFileStore::Save(const QJsonObject& root) const {
    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath())) return false;
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<SettingValue> CSettingsFileStore::ReadValue(std::string_view key,
                                                          std::string_view name) const {
    const QJsonValue keyValue = Load().value(ToQString(key));
    if (!keyValue.isObject()) return std::nullopt;
    const QJsonObject values = keyValue.toObject();
    const auto it = values.constFind(ToQString(name));
    if (it == values.constEnd()) return std::nullopt;
    const QJsonValue value = it.value();
    if (value.isString()) return SettingValue::Text(value.toString().toStdString());
    if (value.isDouble()) {
        if (const std::optional<uint32_t> number = ToNumber32(value.toDouble()))
            return SettingValue::Number(*number);
    }
    return SettingValue{};  // present, but of no type the readers accept
}

bool CSettingsFileStore::WriteValue(std::string_view key, std::string_view name,
                                    const SettingValue& value) {
    QJsonValue json;
    switch (value.type) {
        case SettingValue::Type::Number32:
            json = QJsonValue(static_cast<qint64>(value.number));
            break;
        case SettingValue::Type::Text:
            json = QJsonValue(QString::fromStdString(value.text));
            break;
        case SettingValue::Type::Other:
            return false;
    }
    QJsonObject root = Load();
    const QString keyName = ToQString(key);
    QJsonObject values = root.value(keyName).toObject();
    values.insert(ToQString(name), json);
    root.insert(keyName, values);
    return Save(root);
}

bool CSettingsFileStore::DeleteValue(std::string_view key, std::string_view name) {
    QJsonObject root = Load();
    const QString keyName = ToQString(key);
    QJsonObject values = root.value(keyName).toObject();
    const QString valueName = ToQString(name);
    if (!values.contains(valueName)) return false;
    values.remove(valueName);
    root.insert(keyName, values);
    return Save(root);
}
