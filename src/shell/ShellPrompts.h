#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every modal question the shell asks: message boxes and the file dialogs. The windows ask
// through this one object, so that tests can answer in place of a user and nothing blocks.
class CShellPrompts {
public:
    enum class Icon { Information, Warning };

    struct FileDialog {
        QString caption;
        QStringList filters;    // "Description (*.ext)", the first selected
        QString defaultSuffix;  // appended to a name typed without one; empty for none
        QString fileName;       // proposed name
        QString directory;      // the folder shown first; empty for the dialog's default
    };

    virtual ~CShellPrompts() = default;

    // A message box with an OK button.
    virtual void ShowMessage(QWidget* parent, Icon icon, const QString& title, const QString& text);
    // The chosen path, or empty when cancelled.
    virtual QString GetOpenFileName(QWidget* parent, const FileDialog& dialog);
    // The chosen path, or empty when cancelled; replacing a file is confirmed first.
    virtual QString GetSaveFileName(QWidget* parent, const FileDialog& dialog);
};

// A message's text with, beneath it, the file it concerns and the system's reason for what went
// wrong: "TEXT\n\nPATH: REASON".
QString MessageWithReason(const QString& text, const QString& path, const QString& reason);
// The system's words for an error number (errno), or a plain admission when there is none.
QString SystemReason(int error);
