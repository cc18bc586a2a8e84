#pragma once

#include <QString>
#include <cstddef>
#include <memory>
#include <vector>

#include "document/OrvexDoc.h"
#include "document/Settings.h"
#include "shell/DialogFolders.h"

class QMenu;
class QWidget;
class CISOViewBox;
class CShellPrompts;

// The commands on one box of the box view (dump its bytes to a file, open them in the hex
// editor, export its text) and the whole-tree export. Every question and message goes through
// the shell's prompts, over the window of `owner`.
//
// A dump or an export whose file cannot be written is reported ("Operation failed", with the
// path and the system's reason), never lost without a word. The dialogs start where
// CDialogFolders says.
class CBoxCommands {
public:
    CBoxCommands(COrvexDoc& document, ISettingsStore& settings, CShellPrompts& prompts,
                 QWidget& owner);
    // Removes the copies made for the hex editor.
    ~CBoxCommands();
    // The commands work on another document from now on; the hex editor's copies stay.
    void SetDocument(COrvexDoc& document) { m_document = &document; }
    CBoxCommands(const CBoxCommands&) = delete;
    CBoxCommands& operator=(const CBoxCommands&) = delete;

    // "&Dump This Box to Binary File": the box's bytes into a file of the user's choice. Nodes
    // that are not boxes (their box size is 0) are refused.
    void DumpToBinaryFile(const CISOViewBox& node);
    // "Dump This Box and Open In Hex Editor": the box's bytes into a new temporary file and the
    // hex editor started on it. Asks for the editor when none is set. The editor reads the file
    // at its own pace, so it is kept until these commands go (when Orvex exits).
    void DumpAndOpenInHexEditor(const CISOViewBox& node);
    // "&Export This Box to Text File": the node's plain text form.
    void ExportToTextFile(const CISOViewBox& node);
    // The whole tree as text, flat or indented: 0 when there is no parsed file (nothing is
    // asked), 1 otherwise, also when the user cancels or the file cannot be written.
    int ExportTree(bool indented);
    // The same as JSON: the document, its log's warnings and errors and every node.
    int ExportTreeJson();

    // "Box Context Menu" for the node at `node` in the document's list; each command runs when
    // its item is chosen. The caller owns the menu and destroys it before `parent`.
    std::unique_ptr<QMenu> CreateBoxContextMenu(size_t node, QWidget* parent = nullptr);

    // The hex editor's copies that still exist.
    const std::vector<QString>& GetTemporaryFiles() const { return m_temporaryFiles; }

private:
    const CISOViewBox* NodeAt(size_t index);
    QWidget* DialogParent() const;
    // The hex editor's path from the settings, or asked of the user and stored; empty when the
    // user declines.
    QString HexEditorPath();
    QString CurrentFile() const;
    // "Operation failed", naming the file and why.
    void ReportFailure(const QString& path, const QString& reason);
    // Runs `write` with errno cleared; when it fails, reports `path` with errno's reason.
    template <class Write>
    void WriteOrReport(const QString& path, Write write);

    COrvexDoc* m_document;
    ISettingsStore& m_settings;
    CShellPrompts& m_prompts;
    QWidget& m_owner;
    CDialogFolders m_folders;
    std::vector<QString> m_temporaryFiles;
};
