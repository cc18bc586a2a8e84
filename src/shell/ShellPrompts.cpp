#include "shell/ShellPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <cstring>

namespace {
QString RunFileDialog(QWidget* parent, const CShellPrompts::FileDialog& dialog,
                      QFileDialog::AcceptMode mode) {
    QFileDialog box(parent, dialog.caption);
    box.setAcceptMode(mode);
    box.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                    : QFileDialog::AnyFile);
    box.setNameFilters(dialog.filters);
    if (!dialog.filters.isEmpty()) box.selectNameFilter(dialog.filters.front());
    box.setDefaultSuffix(dialog.defaultSuffix);
    if (!dialog.directory.isEmpty()) box.setDirectory(dialog.directory);
    if (!dialog.fileName.isEmpty()) box.selectFile(dialog.fileName);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return {};
    return box.selectedFiles().front();
}
}  // namespace

void CShellPrompts::ShowMessage(QWidget* parent, Icon icon, const QString& title,
                                const QString& text) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::Information, title,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

QString CShellPrompts::GetOpenFileName(QWidget* parent, const FileDialog& dialog) {
    return RunFileDialog(parent, dialog, QFileDialog::AcceptOpen);
}

QString CShellPrompts::GetSaveFileName(QWidget* parent, const FileDialog& dialog) {
    return RunFileDialog(parent, dialog, QFileDialog::AcceptSave);
}

QString MessageWithReason(const QString& text, const QString& path, const QString& reason) {
    return text + QStringLiteral("\n\n") + path + QStringLiteral(": ") + reason;
}

QString SystemReason(int error) {
    if (error == 0) return QStringLiteral("the system gave no reason");
    return QString::fromLocal8Bit(std::strerror(error));
}
