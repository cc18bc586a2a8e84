#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "shell/ShellPrompts.h"

// Answers the shell's questions from a script instead of a user, and records what was asked:
// message boxes are noted and dismissed, file dialogs take the next scripted answer (an empty
// answer, or none left, is a cancel).
class CScriptedPrompts : public CShellPrompts {
public:
    struct Message {
        Icon icon;
        QString title;
        QString text;
    };

    void ShowMessage(QWidget*, Icon icon, const QString& title, const QString& text) override {
        messages.push_back(Message{icon, title, text});
    }
    QString GetOpenFileName(QWidget*, const FileDialog& dialog) override {
        openDialogs.push_back(dialog);
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString GetSaveFileName(QWidget*, const FileDialog& dialog) override {
        saveDialogs.push_back(dialog);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }

    std::vector<Message> messages;
    std::vector<FileDialog> openDialogs;
    std::vector<FileDialog> saveDialogs;
    QStringList openAnswers;
    QStringList saveAnswers;
};
