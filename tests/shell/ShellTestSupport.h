#pragma once

// Helpers of the shell's Qt tests: scripted prompts, a main window to drive, test files.

#include <QtGui>
#include <QtTest>
#include <functional>
#include <string>
#include <vector>

#include "document/Settings.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ShellPrompts.h"
#include "support/BoxBuilder.h"
#include "support/DumpProcess.h"
#include "support/TestDocumentView.h"

// Answers the shell's questions from a script instead of a user, and records what was asked:
// message boxes are noted and dismissed, file dialogs take the next scripted answer (an empty
// answer, or none left, is a cancel).
class CScriptedPrompts : public CShellPrompts {
public:
    struct Message {
        Icon icon;
        QString title, text;
    };

    void ShowMessage(QWidget*, Icon icon, const QString& title, const QString& text) override {
        messages.push_back(Message{icon, title, text});
        if (onMessage) onMessage();
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
    std::vector<FileDialog> openDialogs, saveDialogs;
    QStringList openAnswers, saveAnswers;
    // Runs while a message is "shown", to see the state the user sees it in.
    std::function<void()> onMessage;
};

// A main window on settings held in memory, answering through scripted prompts.
struct FrameHarness {
    // Opens wait for their parse, so that a test sees the file shown when the call returns;
    // the tests of the background parse itself set a shorter wait.
    FrameHarness() { frame.GetView().SetQuickParseWait(std::chrono::minutes(5)); }
    QAction* Action(const char* name) {
        return frame.findChild<QAction*>(QString::fromLatin1(name));
    }
    bool Show(int width, int height) {
        frame.resize(width, height);
        frame.show();
        return QTest::qWaitForWindowExposed(&frame);
    }
    COrvexView& View() { return frame.GetView(); }

    CMemorySettingsStore settings;
    CScriptedPrompts prompts;
    CMainFrame frame{settings, prompts};
};

inline QString TestDataFile(const char* name) {
    return QStringLiteral(ORVEX_TEST_DATA_DIR "/") + QString::fromUtf8(name);
}
inline QByteArray ReadWholeFile(const QString& path) {
    return QByteArray::fromStdString(ReadFileBytes(path.toStdString()));
}
inline QString WriteBoxes(const BoxBuilder& boxes, const std::string& name) {
    return QString::fromStdString(boxes.WriteTempFile(name));
}
// A path in the test process's temporary folder, removed with it when the process ends.
inline QString TempFile(const std::string& name) {
    return QString::fromStdString(TempPath(name));
}
