#include "shell/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QtTest>
#include <memory>

#include "document/Settings.h"
#include "shell/AboutDialog.h"
#include "shell/FindBoxDlg.h"
#include "shell/OrvexLogView.h"
#include "shell/OrvexPaneContainer.h"
#include "shell/OrvexView.h"
#include "shell/ScriptedPrompts.h"
#include "shell/SettingsFileStore.h"
#include "shell/ShellTestSupport.h"

namespace {

const QString kStartTitle = QStringLiteral("Orvex - The Visual ISO Base Media File Format Viewer");

QAction* Action(CMainFrame& frame, const char* name) {
    return frame.findChild<QAction*>(QString::fromLatin1(name));
}

// The texts of a menu's items, "-" for a separator and "Title>" before a submenu's items.
QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            texts << QStringLiteral("-");
        } else if (action->menu()) {
            texts << action->text() + QStringLiteral(">") << MenuTexts(action->menu());
        } else {
            texts << action->text();
        }
    }
    return texts;
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

class MainFrameTest : public QObject {
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

    void startsWithItsMenusToolbarAndTexts() {
        CMainFrame& frame = *m_frame;
        QCOMPARE(frame.windowTitle(), kStartTitle);
        QCOMPARE(frame.GetStatusText(), QStringLiteral("Ready"));
        QCOMPARE(frame.GetLogPane().GetTitle(), QStringLiteral("Logs"));
        QCOMPARE(frame.GetLogPane().GetClient(), &frame.GetLogView());

        QStringList menus;
        for (QAction* action : frame.menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "&View", "Process", "Logs", "&Help"}));
        const auto menuOf = [&](int i) { return frame.menuBar()->actions()[i]->menu(); };
        QCOMPARE(MenuTexts(menuOf(0)),
                 (QStringList{"&New\tCtrl+N", "&Open Media File...\tCtrl+O", "-", "&Export To>",
                              "Text File", "Text File with Indentation", "Options...", "-",
                              "(MRU list is empty)", "-", "E&xit"}));
        QCOMPARE(MenuTexts(menuOf(1)), QStringList{"&Find\tCtrl+F"});
        QCOMPARE(MenuTexts(menuOf(2)), (QStringList{"&Toolbar", "&Status Bar"}));
        QCOMPARE(MenuTexts(menuOf(3)), QStringList{"&Start Parsing"});
        QCOMPARE(MenuTexts(menuOf(4)), (QStringList{"&Clear Log View", "Save to &File"}));
        QCOMPARE(MenuTexts(menuOf(5)), QStringList{"&About..."});
        QVERIFY(!Action(frame, "actionRecentEmpty")->isEnabled());

        QCOMPARE(Action(frame, "actionNew")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(Action(frame, "actionOpen")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(Action(frame, "actionFind")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));

        // Prompts in the status bar and tooltips on the toolbar.
        const struct {
            const char* action;
            const char* prompt;
            const char* tip;
        } prompts[] = {
            {"actionNew", "Create a new document", "New"},
            {"actionOpen", "Open an existing document", "Open"},
            {"actionStartParsing", "Start parsing", "Start parsing"},
            {"actionFind", "Find", "Find"},
            {"actionExit", "Quit the application; prompts to save documents", "Exit"},
            {"actionViewToolBar", "Show or hide the toolbar", "Toggle ToolBar"},
            {"actionViewStatusBar", "Show or hide the status bar", "Toggle StatusBar"},
        };
        for (const auto& p : prompts) {
            QCOMPARE(Action(frame, p.action)->statusTip(), QString::fromLatin1(p.prompt));
            QCOMPARE(Action(frame, p.action)->toolTip(), QString::fromLatin1(p.tip));
        }

        QStringList buttons;
        for (QAction* action : frame.GetToolBar().actions())
            buttons << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        QCOMPARE(buttons, (QStringList{"actionNew", "actionOpen", "-", "actionStartParsing",
                                       "actionFind", "-", "actionOptions"}));
        QCOMPARE(frame.GetToolBar().iconSize(), QSize(16, 16));
    }

    void theViewMenuShowsAndHidesTheBars() {
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        QAction* toolBar = Action(*m_frame, "actionViewToolBar");
        QAction* statusBar = Action(*m_frame, "actionViewStatusBar");
        QVERIFY(toolBar->isChecked() && statusBar->isChecked());
        toolBar->trigger();
        QVERIFY(!toolBar->isChecked());
        QVERIFY(!m_frame->GetToolBar().isVisible());
        statusBar->trigger();
        QVERIFY(!m_frame->statusBar()->isVisible());
        toolBar->trigger();
        statusBar->trigger();
        QVERIFY(m_frame->GetToolBar().isVisible());
        QVERIFY(m_frame->statusBar()->isVisible());
    }

    void theBoxViewGetsThreeQuartersOfTheHeight() {
        m_frame->resize(800, 800);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        QSplitter& splitter = m_frame->GetSplitter();
        QCOMPARE(splitter.widget(0), static_cast<QWidget*>(&m_frame->GetView()));
        QCOMPARE(splitter.widget(1), static_cast<QWidget*>(&m_frame->GetLogPane()));
        const int height = splitter.height() - splitter.handleWidth();
        QCOMPARE(splitter.sizes(), (QList<int>{height - height / 4, height / 4}));
    }

    void theOpenDialogOpensTheChosenFile() {
        QAction* open = Action(*m_frame, "actionOpen");
        open->trigger();  // cancelled
        QCOMPARE(m_prompts->openDialogs.size(), size_t{1});
        QCOMPARE(m_prompts->openDialogs[0].filters,
                 (QStringList{"3gp files (*.3gp)", "mp4 files (*.mp4)", "All files (*)"}));
        QVERIFY(m_prompts->openDialogs[0].defaultSuffix.isEmpty());
        QCOMPARE(m_frame->windowTitle(), kStartTitle);

        m_prompts->openAnswers << TestDataFile("h263_amr.3gp");
        open->trigger();
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Orvex - h263_amr.3gp"));
        QVERIFY(m_frame->GetView().GetDocument().IsParsed());
        QVERIFY(m_frame->GetStatusText().startsWith(QStringLiteral("Loaded File : ")));

        // A file that cannot be opened leaves the title and the status text and says nothing;
        // the file shown before was closed first.
        const QString status = m_frame->GetStatusText();
        m_prompts->openAnswers << TestDataFile("no-such-file.mp4");
        open->trigger();
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Orvex - h263_amr.3gp"));
        QCOMPARE(m_frame->GetStatusText(), status);
        QVERIFY(!m_frame->GetView().GetDocument().IsFileOpen());
        QVERIFY(m_prompts->messages.empty());
    }

    void newEmptiesTheViewAndKeepsTheLog() {
        QVERIFY(m_frame->OpenMediaFile(TestDataFile("mpeg4_aac.mp4")));
        COrvexLogView& log = m_frame->GetLogView();
        const std::string logText = log.GetLogText();
        QVERIFY(logText.find("box name : moov") != std::string::npos);

        Action(*m_frame, "actionNew")->trigger();
        COrvexView& view = m_frame->GetView();
        QVERIFY(!view.GetDocument().IsFileOpen());
        QVERIFY(view.GetDocument().GetViewBoxes().empty());
        QCOMPARE(view.GetContentSize(), QSize(1, 1));
        QCOMPARE(view.GetScrollPosition(), QPoint(0, 0));
        QCOMPARE(m_frame->GetStatusText(), QStringLiteral("No loaded file"));
        QCOMPARE(m_frame->windowTitle(), kStartTitle);
        QCOMPARE(log.GetLogText(), logText);

        // Start Parsing with no file: the parse result's message.
        Action(*m_frame, "actionStartParsing")->trigger();
        QCOMPARE(m_prompts->messages.size(), size_t{1});
        QCOMPARE(m_prompts->messages[0].text, QStringLiteral("file was not opened."));
    }

    void startParsingParsesAFileOpenedWithoutParsing() {
        SetSwitchSetting(*m_settings, SwitchAutoParse, false);
        QVERIFY(m_frame->OpenMediaFile(TestDataFile("timed_text.3gp")));
        COrvexView& view = m_frame->GetView();
        QVERIFY(!view.GetDocument().IsParsed());
        QCOMPARE(view.GetContentSize(), QSize(1, 1));
        const QString loaded = m_frame->GetStatusText();

        // While the parse runs, the cursor is busy and the status bar says so.
        QStringList seen;
        connect(&view, &COrvexView::busyChanged, this, [&](bool busy) {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            seen << QStringLiteral("%1 %2 %3")
                        .arg(busy)
                        .arg(cursor ? int(cursor->shape()) : -1)
                        .arg(m_frame->GetStatusText());
        });
        Action(*m_frame, "actionStartParsing")->trigger();
        QCOMPARE(
            seen,
            (QStringList{QStringLiteral("1 %1 Parsing timed_text.3gp ...").arg(int(Qt::WaitCursor)),
                         QStringLiteral("0 -1 ") + loaded}));
        QVERIFY(view.GetDocument().IsParsed());
        QCOMPARE(view.GetContentSize().height(), view.GetDocument().GetExtentHeight());
        QCOMPARE(m_frame->GetStatusText(), loaded);

        // Once parsed, parsing again does nothing.
        const std::string log = m_frame->GetLogView().GetLogText();
        Action(*m_frame, "actionStartParsing")->trigger();
        QCOMPARE(m_frame->GetLogView().GetLogText(), log);
        QCOMPARE(seen.size(), 2);
    }

    void onlyTheFirstDroppedFileThatOpensIsOpened() {
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("missing.mp4"));
        const QString folder = dir.filePath(QStringLiteral("a folder.mp4"));
        QDir().mkpath(folder);
        const QString second = TestDataFile("rtp_hinted.mp4");
        const QString third = TestDataFile("h264_aac.mp4");

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(missing), QUrl::fromLocalFile(second),
                      QUrl::fromLocalFile(folder), QUrl::fromLocalFile(third)});
        QWidget* target = m_frame->GetView().viewport();
        const QPoint at(50, 50);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);

        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Orvex - rtp_hinted.mp4"));
        QVERIFY(m_frame->GetStatusText().contains(second));
        QCOMPARE(QString::fromStdString(m_frame->GetView().GetDocument().GetFilePath()), second);
        QVERIFY(m_prompts->messages.empty());
    }

    void theLogsMenuClearsAndSaves() {
        QVERIFY(m_frame->OpenMediaFile(TestDataFile("h264_aac.mp4")));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        m_prompts->saveAnswers << path;
        Action(*m_frame, "actionSaveLog")->trigger();
        const QByteArray saved = ReadWholeFile(path);
        QVERIFY(saved.contains("box name : moov\r\n"));
        QCOMPARE(saved.size(), qsizetype(m_frame->GetLogView().GetLogText().size()));

        Action(*m_frame, "actionClearLog")->trigger();
        QVERIFY(m_frame->GetLogView().GetLogText().empty());
        QVERIFY(m_frame->GetLogView().toPlainText().isEmpty());
    }

    void theAboutDialogShowsTitleVersionAndHistory() {
        CAboutDialog about(m_frame.get());
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("aboutTitle"))->text(),
                 QStringLiteral("Orvex - The visual ISO base meida file format viewer"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("aboutVersion"))->text(),
                 QStringLiteral("Version 1.1.9 (Unicode)"));
        const auto* history = about.findChild<QPlainTextEdit*>(QStringLiteral("aboutHistory"));
        QVERIFY(history->isReadOnly());
        QVERIFY(history->toPlainText().contains(QStringLiteral("1.1.9")));
        auto* close = about.findChild<QPushButton*>();
        QCOMPARE(close->text(), QStringLiteral("Close"));
        about.show();
        close->click();
        QVERIFY(!about.isVisible());
    }

    void thePlacementIsKeptInTheSettingsFile() {
        QTemporaryDir dir;
        CSettingsFileStore store(dir.filePath(QStringLiteral("settings.json")));
        const QRect placed(40, 30, 640, 480);
        QRect outer;
        {
            CMainFrame frame(store, *m_prompts);
            frame.RestorePlacement();  // nothing stored: the default placement stays
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            frame.setGeometry(placed);
            QCoreApplication::processEvents();
            outer = frame.frameGeometry();
            QVERIFY(frame.close());
        }
        const auto stored = ReadWindowPlacement(store);
        QVERIFY(stored);
        QCOMPARE(QRect(stored->x, stored->y, stored->width, stored->height), outer);

        CMainFrame again(store, *m_prompts);
        again.RestorePlacement();
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.frameGeometry(), QRect(stored->x, stored->y, stored->width, stored->height));

        // Three values of four: the default placement.
        store.DeleteValue(kSettingsKey, "height");
        CMainFrame partial(store, *m_prompts);
        const QSize defaultSize = partial.size();
        partial.RestorePlacement();
        QCOMPARE(partial.size(), defaultSize);
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

QTEST_MAIN(MainFrameTest)
#include "MainFrame_test.moc"
