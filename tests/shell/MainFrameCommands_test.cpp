// The commands that reach the main frame through its menus: export, find, options and the
// recent-file list, each run as a user would through the frame's own actions.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "document/Settings.h"
#include "shell/FindBoxDlg.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ScriptedPrompts.h"
#include "shell/ShellTestSupport.h"

namespace {
QAction* Action(CMainFrame& frame, const char* name) {
    return frame.findChild<QAction*>(QString::fromLatin1(name));
}

QStringList FileMenuTexts(CMainFrame& frame) {
    QStringList texts;
    for (QAction* action : frame.menuBar()->actions().front()->menu()->actions()) {
        if (action->isVisible() && !action->isSeparator() && !action->menu()) {
            texts << action->text();
        }
    }
    return texts;
}
}  // namespace

class MainFrameCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_settings = std::make_unique<CMemorySettingsStore>();
        m_prompts = std::make_unique<CScriptedPrompts>();
        m_frame = std::make_unique<CMainFrame>(*m_settings, *m_prompts);
    }
    void cleanup() {
        m_frame.reset();
        m_prompts.reset();
        m_settings.reset();
    }

    void exportWritesWhatOrvexDumpWritesOrSaysWhyNot() {
        Action(*m_frame, "actionExportText")->trigger();
        QCOMPARE(m_prompts->messages.size(), size_t{1});
        QCOMPARE(m_prompts->messages[0].title, QStringLiteral("error"));
        QCOMPARE(m_prompts->messages[0].text,
                 QStringLiteral("can't export. check the file was opened and parsing was done."));
        QVERIFY(m_prompts->saveDialogs.empty());

        QTemporaryDir dir;
        const QString media = TestDataFile("h263_amr.3gp");
        QVERIFY(m_frame->OpenUserFile(media));
        const QString flat = dir.filePath(QStringLiteral("flat.txt"));
        const QString indented = dir.filePath(QStringLiteral("indented.txt"));
        m_prompts->saveAnswers << flat << indented;
        Action(*m_frame, "actionExportText")->trigger();
        Action(*m_frame, "actionExportIndented")->trigger();
        QCOMPARE(m_prompts->messages.size(), size_t{1});
        for (const auto& [path, option] :
             {std::pair{flat, QString()}, std::pair{indented, QStringLiteral("--indent")}}) {
            QProcess dump;
            QStringList args;
            if (!option.isEmpty()) args << option;
            dump.start(QStringLiteral(ORVEX_DUMP_PATH), args << media);
            QVERIFY(dump.waitForFinished(60000));
            QCOMPARE(ReadWholeFile(path), dump.readAllStandardOutput());
        }
    }

    void findScrollsToEachMatchInTurnThenSaysNoneIsLeft() {
        QVERIFY(m_frame->OpenUserFile(TestDataFile("h264_aac.mp4")));
        m_frame->resize(900, 300);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        Action(*m_frame, "actionFind")->trigger();
        auto* dialog = m_frame->findChild<CFindBoxDlg*>();
        QVERIFY(dialog && dialog->isVisible());
        QScrollBar* vertical = m_frame->GetView().verticalScrollBar();
        // Two tracks, two 'tkhd' boxes, each inside collapsed containers: each find expands
        // the way and puts the box at the top; the third says none is left.
        QList<int> positions;
        for (int i = 0; i < 2; ++i) {
            emit dialog->findNextRequested(QStringLiteral("TKHD"));
            QVERIFY(m_prompts->messages.empty());
            positions << vertical->value();
        }
        QVERIFY(positions[1] > positions[0]);
        emit dialog->findNextRequested(QStringLiteral("tkhd"));
        QCOMPARE(m_prompts->messages.size(), size_t{1});
        QCOMPARE(m_prompts->messages[0].title, QStringLiteral("Find"));
        QCOMPARE(m_prompts->messages[0].text,
                 QStringLiteral("cannot find a box any more by that name."));
        QCOMPARE(vertical->value(), positions[1]);
        emit dialog->cancelRequested();
        QVERIFY(!dialog->isVisible());
    }

    void recentFilesAreListedReopenedAndKeptAcrossRuns() {
        QTemporaryDir dir;
        BoxBuilder box;
        box.Leaf("free", {1, 2, 3, 4});
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            paths << WriteBoxes(box, dir, QStringLiteral("f%1.mp4").arg(i).toUtf8().constData());
            QVERIFY(m_frame->OpenUserFile(paths.back()));
        }
        QStringList texts = FileMenuTexts(*m_frame);
        QVERIFY(!texts.contains(QStringLiteral("(MRU list is empty)")));
        QVERIFY(texts.contains(QStringLiteral("&1 ") + paths[9]));
        QVERIFY(texts.contains(QStringLiteral("&9 ") + paths[1]));
        QVERIFY(!texts.join(QChar('\n')).contains(paths[0] + QChar('\n')));

        // Choosing an entry that no longer opens removes it.
        QFile::remove(paths[5]);
        for (QAction* action : m_frame->menuBar()->actions().front()->menu()->actions()) {
            if (action->text().endsWith(paths[5])) action->trigger();
        }
        QVERIFY(!FileMenuTexts(*m_frame).join(QChar('\n')).contains(paths[5]));

        // Closing the window keeps the list; the next window reads it back.
        m_frame->close();
        CMainFrame next(*m_settings, *m_prompts);
        QStringList again = FileMenuTexts(next);
        QVERIFY(again.contains(QStringLiteral("&1 ") + paths[9]));
        QCOMPARE(again.filter(QRegularExpression(QStringLiteral("^&\\d "))).size(), 8);
    }

    void optionsWriteTheSettingsTheDocumentReads() {
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->windowTitle() == QStringLiteral("Options") && w->isVisible()) {
                    auto boxes = w->findChildren<QCheckBox*>();
                    for (QCheckBox* b : boxes) {
                        if (b->text() ==
                            QStringLiteral("Expands all the sub boxes when parsing done."))
                            b->setChecked(true);
                    }
                    for (QPushButton* b : w->findChildren<QPushButton*>()) {
                        if (b->text().remove(QChar('&')) == QStringLiteral("OK")) b->click();
                    }
                }
            }
        });
        Action(*m_frame, "actionOptions")->trigger();
        QVERIFY(GetSwitchSetting(*m_settings, SwitchAutoExpand));
        QVERIFY(m_frame->OpenUserFile(TestDataFile("h264_aac.mp4")));
        for (const auto& node : m_frame->GetView().GetDocument().GetViewBoxes()) {
            QVERIFY(node->IsExpanded());
        }
    }

private:
    std::unique_ptr<CMemorySettingsStore> m_settings;
    std::unique_ptr<CScriptedPrompts> m_prompts;
    std::unique_ptr<CMainFrame> m_frame;
};

QTEST_MAIN(MainFrameCommandsTest)
#include "MainFrameCommands_test.moc"
