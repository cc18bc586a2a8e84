#include "shell/BoxCommands.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTemporaryFile>
#include <QWidget>
#include <cerrno>
#include <string>

#include "document/BoxExport.h"
#include "document/JsonExport.h"
#include "document/TreeExport.h"
#include "presentation/ISOViewBox.h"
#include "shell/GeneralOptionPage.h"
#include "shell/ShellPrompts.h"

namespace {
constexpr char kNoteCaption[] = "Note";

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The node's short type name, the name proposed for the files made from it.
QString DefaultFileName(const CISOViewBox& node) {
    const CISOViewBoxLayer* layer = node.GetShortTypeNameLayer();
    return layer ? QString::fromUtf8(layer->Text().data(),
                                     static_cast<qsizetype>(layer->Text().size()))
                 : QString();
}

CShellPrompts::FileDialog SaveDialog(const QString& filter, const QString& suffix,
                                     const QString& fileName) {
    CShellPrompts::FileDialog dialog;
    dialog.caption = QStringLiteral("Save As");
    dialog.filters = QStringList{filter};
    dialog.defaultSuffix = suffix;
    dialog.fileName = fileName;
    return dialog;
}

CShellPrompts::FileDialog TextFileDialog(const QString& fileName) {
    return SaveDialog(QStringLiteral("Text File (*.txt)"), QStringLiteral("txt"), fileName);
}

CShellPrompts::FileDialog JsonFileDialog() {
    return SaveDialog(QStringLiteral("JSON File (*.json)"), QStringLiteral("json"), QString());
}
}  // namespace

CBoxCommands::CBoxCommands(COrvexDoc& document, ISettingsStore& settings, CShellPrompts& prompts,
                           QWidget& owner)
    : m_document(&document),
      m_settings(settings),
      m_prompts(prompts),
      m_owner(owner),
      m_folders(settings, prompts) {}

CBoxCommands::~CBoxCommands() {
    for (const QString& path : m_temporaryFiles)
        QFile::remove(path);
}

QString CBoxCommands::CurrentFile() const {
    return QFile::decodeName(m_document->GetFilePath().c_str());
}

QWidget* CBoxCommands::DialogParent() const {
    return m_owner.window();
}

const CISOViewBox* CBoxCommands::NodeAt(size_t index) {
    CNodeList& nodes = m_document->GetNodes();
    return index < nodes.size() ? &nodes.Node(index) : nullptr;
}

void CBoxCommands::ReportFailure(const QString& path, const QString& reason) {
    m_prompts.ShowMessage(DialogParent(), CShellPrompts::Icon::Warning,
                          QString::fromLatin1(kNoteCaption),
                          MessageWithReason(QStringLiteral("Operation failed"), path, reason));
}

template <class Write>
void CBoxCommands::WriteOrReport(const QString& path, Write write) {
    errno = 0;
    if (!write()) ReportFailure(path, SystemReason(errno));
}

void CBoxCommands::DumpToBinaryFile(const CISOViewBox& node) {
    if (node.GetBoxSize() == 0) {
        m_prompts.ShowMessage(DialogParent(), CShellPrompts::Icon::Information,
                              QString::fromLatin1(kNoteCaption),
                              QStringLiteral("This box is not appropriate for dump."));
        return;
    }
    const QString path =
        m_folders.GetSaveFileName(DialogParent(), CDialogFolders::Purpose::Dump,
                                  SaveDialog(QStringLiteral("Box's Dumped Binary File (*.bin)"),
                                             QStringLiteral("bin"), DefaultFileName(node)),
                                  CurrentFile());
    if (path.isEmpty()) return;
    WriteOrReport(path, [&] {
        return m_document->GetReader().CopyRange(static_cast<int64_t>(node.GetFileOffset()),
                                                 node.GetBoxSize(), LocalPath(path).c_str()) != 0;
    });
}

QString CBoxCommands::HexEditorPath() {
    std::string stored;
    if (GetHexEditorPath(m_settings, stored) && !stored.empty())
        return QString::fromStdString(stored);

    m_prompts.ShowMessage(DialogParent(), CShellPrompts::Icon::Information,
                          QString::fromLatin1(kNoteCaption),
                          QStringLiteral("You havn't set any hex editor yet.\nLet it set now."));
    CShellPrompts::FileDialog dialog;
    dialog.caption = QStringLiteral("Open");
    dialog.filters = CGeneralOptionPage::HexEditorFilters();
    const QString chosen = m_prompts.GetOpenFileName(DialogParent(), dialog);
    if (chosen.isEmpty()) {
        m_prompts.ShowMessage(DialogParent(), CShellPrompts::Icon::Warning,
                              QString::fromLatin1(kNoteCaption),
                              QStringLiteral("You havn't set any hex editor."));
        return {};
    }
    SetHexEditorPath(m_settings, chosen.toStdString());
    return chosen;
}

void CBoxCommands::DumpAndOpenInHexEditor(const CISOViewBox& node) {
    const QString editor = HexEditorPath();
    if (editor.isEmpty()) return;

    QTemporaryFile copy(QDir(QDir::tempPath()).filePath(QStringLiteral("_ixXXXXXX")));
    copy.setAutoRemove(false);
    if (!copy.open()) {
        ReportFailure(QDir::tempPath(), copy.errorString());
        return;
    }
    const QString copyPath = copy.fileName();
    copy.close();
    errno = 0;
    if (m_document->GetReader().CopyRange(static_cast<int64_t>(node.GetFileOffset()),
                                          node.GetBoxSize(), LocalPath(copyPath).c_str()) == 0) {
        const int error = errno;
        QFile::remove(copyPath);
        ReportFailure(copyPath, SystemReason(error));
        return;
    }
    // Started directly, the path as one argument: no shell sees it, spaces and all.
    QProcess process;
    process.setProgram(editor);
    process.setArguments(QStringList{copyPath});
    if (!process.startDetached()) {
        QFile::remove(copyPath);
        ReportFailure(editor, process.errorString());
        return;
    }
    m_temporaryFiles.push_back(copyPath);
}

void CBoxCommands::ExportToTextFile(const CISOViewBox& node) {
    const QString path =
        m_folders.GetSaveFileName(DialogParent(), CDialogFolders::Purpose::Export,
                                  TextFileDialog(DefaultFileName(node)), CurrentFile());
    if (path.isEmpty()) return;
    WriteOrReport(path, [&] { return ExportBoxToFile(node, LocalPath(path)); });
}

int CBoxCommands::ExportTree(bool indented) {
    if (!m_document->IsFileOpen() || !m_document->IsParsed()) return 0;
    const QString path = m_folders.GetSaveFileName(DialogParent(), CDialogFolders::Purpose::Export,
                                                   TextFileDialog(QString()), CurrentFile());
    if (path.isEmpty()) return 1;
    WriteOrReport(path, [&] {
        return ExportTreeToFile(m_document->GetNodes(), m_document->GetFilePath(), indented,
                                LocalPath(path));
    });
    return 1;
}

int CBoxCommands::ExportTreeJson() {
    if (!m_document->IsFileOpen() || !m_document->IsParsed()) return 0;
    const QString path = m_folders.GetSaveFileName(DialogParent(), CDialogFolders::Purpose::Export,
                                                   JsonFileDialog(), CurrentFile());
    if (path.isEmpty()) return 1;
    WriteOrReport(path, [&] {
        return ExportTreeJsonToFile(*m_document, m_document->GetFilePath(), LocalPath(path));
    });
    return 1;
}

std::unique_ptr<QMenu> CBoxCommands::CreateBoxContextMenu(size_t node, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(QStringLiteral("Box Context Menu"), parent);
    // The node is looked up again when a command runs: the menu holds an index, not a node.
    auto command = [this, node](void (CBoxCommands::*run)(const CISOViewBox&)) {
        return [this, node, run] {
            if (const CISOViewBox* box = NodeAt(node)) (this->*run)(*box);
        };
    };
    menu->addAction(QStringLiteral("&Dump This Box to Binary File"), menu.get(),
                    command(&CBoxCommands::DumpToBinaryFile));
    menu->addAction(QStringLiteral("Dump This Box and Open In Hex Editor"), menu.get(),
                    command(&CBoxCommands::DumpAndOpenInHexEditor));
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Export This Box to Text File"), menu.get(),
                    command(&CBoxCommands::ExportToTextFile));
    return menu;
}
