#include "shell/DialogFolders.h"

#include <QDir>
#include <QFileInfo>
#include <optional>
#include <string_view>
#include <utility>

namespace {
std::string_view ValueName(CDialogFolders::Purpose purpose) {
    switch (purpose) {
        case CDialogFolders::Purpose::Open:
            return "Open Folder";
        case CDialogFolders::Purpose::Export:
            return "Export Folder";
        case CDialogFolders::Purpose::Dump:
            return "Dump Folder";
        case CDialogFolders::Purpose::Log:
            return "Log Folder";
    }
    return {};
}
}  // namespace

QString CDialogFolders::StartFolder(Purpose purpose, const QString& currentFile) const {
    const std::optional<SettingValue> stored =
        m_settings.ReadValue(kSettingsKey, ValueName(purpose));
    if (stored && stored->type == SettingValue::Type::Text) {
        const QString folder = QString::fromStdString(stored->text);
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    }
    if (currentFile.isEmpty()) return {};
    return QFileInfo(currentFile).absolutePath();
}

void CDialogFolders::Remember(Purpose purpose, const QString& chosenFile) {
    if (chosenFile.isEmpty()) return;
    // A failure to write costs only the convenience.
    m_settings.WriteValue(kSettingsKey, ValueName(purpose),
                          SettingValue::Text(QFileInfo(chosenFile).absolutePath().toStdString()));
}

QString CDialogFolders::Ask(QWidget* parent, Purpose purpose, CShellPrompts::FileDialog dialog,
                            const QString& currentFile, AskFunction ask) {
    dialog.directory = StartFolder(purpose, currentFile);
    const QString chosen = (m_prompts.*ask)(parent, dialog);
    Remember(purpose, chosen);
    return chosen;
}

QString CDialogFolders::GetOpenFileName(QWidget* parent, Purpose purpose,
                                        CShellPrompts::FileDialog dialog,
                                        const QString& currentFile) {
    return Ask(parent, purpose, std::move(dialog), currentFile, &CShellPrompts::GetOpenFileName);
}

QString CDialogFolders::GetSaveFileName(QWidget* parent, Purpose purpose,
                                        CShellPrompts::FileDialog dialog,
                                        const QString& currentFile) {
    return Ask(parent, purpose, std::move(dialog), currentFile, &CShellPrompts::GetSaveFileName);
}
