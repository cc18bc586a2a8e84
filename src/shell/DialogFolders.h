#pragma once

#include <QString>

#include "document/Settings.h"
#include "shell/ShellPrompts.h"

class QWidget;

// Where the file dialogs start. Each purpose remembers, in the settings under the program's key,
// the folder of the last file chosen for it ("Open Folder", "Export Folder", "Dump Folder",
// "Log Folder"); until then, or when that folder is gone, a dialog starts in the folder of the
// file being viewed.
class CDialogFolders {
public:
    enum class Purpose { Open, Export, Dump, Log };

    CDialogFolders(ISettingsStore& settings, CShellPrompts& prompts)
        : m_settings(settings), m_prompts(prompts) {}

    // The folder to start in; empty when there is none (the dialog's own default then).
    QString StartFolder(Purpose purpose, const QString& currentFile) const;
    // Remembers the folder of `chosenFile` for the purpose.
    void Remember(Purpose purpose, const QString& chosenFile);

    // The prompts' dialogs, started in the purpose's folder; the folder of a chosen file is
    // remembered. Empty when cancelled.
    QString GetOpenFileName(QWidget* parent, Purpose purpose, CShellPrompts::FileDialog dialog,
                            const QString& currentFile);
    QString GetSaveFileName(QWidget* parent, Purpose purpose, CShellPrompts::FileDialog dialog,
                            const QString& currentFile);

private:
    using AskFunction = QString (CShellPrompts::*)(QWidget*, const CShellPrompts::FileDialog&);
    QString Ask(QWidget* parent, Purpose purpose, CShellPrompts::FileDialog dialog,
                const QString& currentFile, AskFunction ask);

    ISettingsStore& m_settings;
    CShellPrompts& m_prompts;
};
