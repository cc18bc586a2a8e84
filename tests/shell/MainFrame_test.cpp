#include "shell/MainFrame.h"

#include <sys/stat.h>

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <climits>
#include <memory>

#include "shell/AboutDialog.h"
#include "shell/FindBoxDlg.h"
#include "shell/GeneralOptionPage.h"
#include "shell/OrvexLogView.h"
#include "shell/OrvexOptions.h"
#include "shell/OrvexPaneContainer.h"
#include "shell/RecentFileList.h"
#include "shell/SettingsFileStore.h"
#include "shell/ShellResources.h"
#include "shell/ShellTestSupport.h"
#include "shell/WindowPlacement.h"
#include "support/DumpProcess.h"

namespace {

const QString kStartTitle = QStringLiteral("Orvex - The Visual ISO Base Media File Format Viewer");

// The texts of a menu's items, "-" for a separator and "Title>" before a submenu's items.
QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            texts << QStringLiteral("-");
        } else if (action->menu()) {
            texts << action->text() + QStringLiteral(">") << MenuTexts(action->menu());
        } else if (action->isVisible()) {
            texts << action->text();
        }
    }
    return texts;
}

QMenu* FileMenu(CMainFrame& frame) {
    return frame.menuBar()->actions().front()->menu();
}

// The orvex program run as its own process, without a display to show a window on.
ProcessRun RunOrvex(const std::vector<std::string>& args, unsigned timeoutSeconds = 20) {
    return RunProgram(ORVEX_GUI_PATH, args, timeoutSeconds, {},
                      {"QT_QPA_PLATFORM=offscreen", "ORVEX_CONFIG_DIR=" + TempPath("config")});
}

using Entry = CRecentFileList::Entry;
using Entries = QList<Entry>;

QString Media(int n) {
    return QStringLiteral("/media/clips/file%1.mp4").arg(n);
}

void StoreEntries(ISettingsStore& store, SettingValue count, int documents) {
    store.WriteValue(kRecentFilesKey, "DocumentCount", count);
    for (int i = 1; i <= documents; ++i)
        store.WriteValue(kRecentFilesKey, "Document" + std::to_string(i),
                         SettingValue::Text(Media(i).toStdString()));
}

// Drops the files on `widget` as the window system does: on the first widget up from it that
// takes drops. Whether the drop was taken.
bool DropOn(QWidget* widget, const QStringList& paths) {
    QWidget* target = widget;
    while (target && !target->acceptDrops() && !target->isWindow())
        target = target->parentWidget();
    if (!target || !target->acceptDrops()) return false;
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    const QPoint at = widget->mapTo(target, QPoint(2, 2));
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m = std::make_unique<FrameHarness>(); }
    void cleanup() { m.reset(); }

    void startsWithItsMenusToolbarAndTexts() {
        CMainFrame& frame = m->frame;
        QCOMPARE(frame.windowTitle(), kStartTitle);
        QCOMPARE(frame.GetStatusText(), QStringLiteral("Ready"));
        QCOMPARE(frame.GetLogPane().GetTitle(), QStringLiteral("Logs"));
        QStringList menus;
        for (QAction* action : frame.menuBar()->actions())
            menus << action->text() + QStringLiteral(":") << MenuTexts(action->menu());
        QCOMPARE(menus.join(QLatin1Char('|')),
                 QStringLiteral(
                     "&File:|&New\tCtrl+N|&Open Media File...\tCtrl+O|Open Segment With &Init...|-|"
                     "&Export To>|"
                     "Text File|Text File with Indentation|JSON File|Options...|-|"
                     "(MRU list is empty)|-|E&xit|&Edit:|&Find\tCtrl+F|&View:|&Toolbar|"
                     "&Status Bar|&Hex Pane|Process:|&Start Parsing|&Cancel Parsing\tEsc|Logs:|"
                     "&Clear Log View|Save to &File|&Help:|&About..."));
        QVERIFY(!m->Action("actionRecentEmpty")->isEnabled());

        QStringList buttons;
        for (QAction* action : frame.GetToolBar().actions())
            buttons << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        QCOMPARE(buttons, (QStringList{"actionNew", "actionOpen", "-", "actionStartParsing",
                                       "actionFind", "-", "actionOptions"}));
    }

    void theBarsToggleAndTheViewGetsThreeQuartersOfTheHeight() {
        QVERIFY(m->Show(800, 800));
        QSplitter& splitter = m->frame.GetSplitter();
        const int height = splitter.height() - splitter.handleWidth();
        QCOMPARE(splitter.sizes(), (QList<int>{height - height / 4, height / 4}));
        for (bool visible : {false, true}) {
            m->Action("actionViewToolBar")->trigger();
            m->Action("actionViewStatusBar")->trigger();
            QCOMPARE(m->frame.GetToolBar().isVisible(), visible);
            QCOMPARE(m->frame.statusBar()->isVisible(), visible);
        }
    }

    void openNewAndStartParsing() {
        QAction* open = m->Action("actionOpen");
        open->trigger();  // cancelled
        QCOMPARE(m->frame.windowTitle(), kStartTitle);
        // 2,000 bytes: one kilobyte, counted in 1,024 bytes.
        const QFileInfo media(WriteBoxes(BoxBuilder().Open("free").Zeros(1992).Close(), "k.mp4"));
        m->prompts.openAnswers << media.filePath() << TestDataFile("no-such-file.mp4");
        open->trigger();
        const QString status =
            QStringLiteral("Loaded File : %1, File Size : 1 KBytes").arg(media.absoluteFilePath());
        QCOMPARE(m->frame.GetStatusText(), status);
        QVERIFY(m->View().GetDocument().IsParsed());
        // A file that cannot be opened is named with the reason; the file shown stays.
        open->trigger();
        QCOMPARE(m->frame.windowTitle(), QStringLiteral("Orvex - k.mp4"));
        QCOMPARE(m->frame.GetStatusText(), status);
        QVERIFY(m->View().GetDocument().IsParsed());
        QCOMPARE(m->prompts.messages.size(), size_t{1});
        m->prompts.messages.clear();

        // New empties the view and keeps the log; parsing then has no file.
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("mpeg4_aac.mp4")));
        const std::string log = m->frame.GetLogView().GetLogText();
        m->Action("actionNew")->trigger();
        QVERIFY(m->View().GetDocument().GetNodes().empty());
        QCOMPARE(m->View().GetContentSize(), QSize(1, 1));
        QCOMPARE(m->frame.GetStatusText(), QStringLiteral("No loaded file"));
        QCOMPARE(m->frame.windowTitle(), kStartTitle);
        QCOMPARE(m->frame.GetLogView().GetLogText(), log);
        m->Action("actionStartParsing")->trigger();
        QCOMPARE(m->prompts.messages.at(0).icon, CShellPrompts::Icon::Warning);
        QCOMPARE(m->prompts.messages[0].title + ": " + m->prompts.messages[0].text,
                 QStringLiteral("Error: file was not opened."));

        // A file opened without parsing: Start Parsing parses it once, busy while it runs; the
        // window stays usable, so no busy cursor.
        SetSwitchSetting(m->settings, SwitchAutoParse, false);
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("timed_text.3gp")));
        QVERIFY(!m->View().GetDocument().IsParsed());
        const QString loaded = m->frame.GetStatusText();
        QStringList seen;
        connect(&m->View(), &COrvexView::busyChanged, this, [&](bool busy) {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            seen << QStringLiteral("%1 %2 %3")
                        .arg(busy)
                        .arg(cursor ? int(cursor->shape()) : -1)
                        .arg(m->frame.GetStatusText());
        });
        m->Action("actionStartParsing")->trigger();
        m->Action("actionStartParsing")->trigger();
        QCOMPARE(seen, (QStringList{QStringLiteral("1 -1 Parsing timed_text.3gp ..."),
                                    QStringLiteral("0 -1 ") + loaded}));
    }

    void aFileThatCannotBeOpenedIsNamedWithItsReasonAndTheShownOneStays() {
        const QString shown = TestDataFile("h263_amr.3gp");
        const QString path = TempFile("going.mp4");
        const auto makeDirectory = [&] { return QDir().mkpath(path); };
        const auto makeFifo = [&] { return ::mkfifo(path.toLocal8Bit().constData(), 0600) == 0; };
        const struct {
            std::function<bool()> make;  // what takes the file's place; none for a vanished one
            QString reason;
        } kinds[] = {{{}, QStringLiteral("No such file or directory")},
                     {makeDirectory, QStringLiteral("is a directory")},
                     {makeFifo, QStringLiteral("is a FIFO, not a regular file")}};
        const QString removed = QStringLiteral("\n\nIt is removed from the list of recent files.");
        enum Way { Menu, Drop, CommandLine, Recent };
        for (const Way way : {Menu, Drop, CommandLine, Recent}) {
            for (const auto& kind : kinds) {
                FrameHarness h;
                QVERIFY(QFile::copy(TestDataFile("mpeg4_aac.mp4"), path));
                QVERIFY(h.frame.OpenUserFile(path) && h.frame.OpenUserFile(shown));
                QVERIFY(QFile::remove(path) && (!kind.make || kind.make()));
                const QString title = h.frame.windowTitle(), status = h.frame.GetStatusText();
                bool listedWhenTold = false;
                h.prompts.onMessage = [&] {
                    listedWhenTold = h.frame.GetRecentFiles().GetEntries().contains({path});
                };
                switch (way) {
                    case Menu:
                        h.prompts.openAnswers << path;
                        h.Action("actionOpen")->trigger();
                        break;
                    case Drop:  // only the first file dropped is tried
                        QVERIFY(DropOn(h.View().viewport(), {path, TestDataFile("h264_aac.mp4")}));
                        break;
                    case CommandLine:
                        QVERIFY(!h.frame.OpenUserFile(path));
                        break;
                    case Recent:
                        for (QAction* action : FileMenu(h.frame)->actions()) {
                            if (action->text().endsWith(path)) action->trigger();
                        }
                        break;
                }
                const QString context = QStringLiteral("way %1, %2").arg(way).arg(kind.reason);
                QVERIFY2(h.prompts.messages.size() == 1, qPrintable(context));
                QCOMPARE(h.prompts.messages[0].title, QStringLiteral("Error"));
                QCOMPARE(h.prompts.messages[0].text, QStringLiteral("Cannot open the file.\n\n") +
                                                         path + QStringLiteral(": ") + kind.reason +
                                                         (way == Recent ? removed : QString()));
                QCOMPARE(h.frame.windowTitle(), title);
                QCOMPARE(h.frame.GetStatusText(), status);
                QCOMPARE(QString::fromStdString(h.View().GetDocument().GetFilePath()), shown);
                QVERIFY(h.View().GetDocument().IsParsed());
                // A recent entry goes only once the user was told.
                QVERIFY2(listedWhenTold, qPrintable(context));
                QCOMPARE(h.frame.GetRecentFiles().GetEntries().contains({path}), way != Recent);
                QDir().rmdir(path);
                QFile::remove(path);
            }
        }
        // With nothing shown, nothing changes either: the start title and "Ready".
        QVERIFY(!m->frame.OpenUserFile(QFileInfo(shown).absolutePath()));
        QCOMPARE(m->frame.windowTitle(), kStartTitle);
        QCOMPARE(m->frame.GetStatusText(), QStringLiteral("Ready"));
        QVERIFY(m->prompts.messages.at(0).text.endsWith(QStringLiteral(": is a directory")));
    }

    // Segment, then init segment: one view, the init's tree first; the recent files keep the
    // pair apart from the segment alone, and reopen it as a pair.
    void aSegmentOpensWithItsInitSegmentAlsoFromTheRecentFiles() {
        const QString segment = TempFile("seg.m4s"), init = TempFile("init.m4s");
        const QString pairTitle = QStringLiteral("Orvex - seg.m4s with init.m4s");
        for (const QString& gone : {QString(), init, segment}) {
            FrameHarness h;
            QVERIFY(QFile::copy(TestDataFile("dash_segment.m4s"), segment) &&
                    QFile::copy(TestDataFile("dash_init.m4s"), init));
            h.prompts.openAnswers << segment << init;
            h.Action("actionOpenSegmentWithInit")->trigger();
            QCOMPARE(h.frame.windowTitle(), pairTitle);
            QCOMPARE(QString::fromUtf8(h.View().GetDocument().GetNodes().GetTitle(0)),
                     QStringLiteral("Init Segment : ") + init);
            QVERIFY(h.frame.OpenUserFile(segment));
            QCOMPARE(h.frame.windowTitle(), QStringLiteral("Orvex - seg.m4s"));
            QCOMPARE(h.frame.GetRecentFiles().GetEntries(), (Entries{{segment}, {segment, init}}));
            if (!gone.isEmpty()) QVERIFY(QFile::remove(gone));
            for (QAction* action : FileMenu(h.frame)->actions()) {
                if (action->text().startsWith(QStringLiteral("&2 "))) action->trigger();
            }
            const bool reopened = gone.isEmpty();
            QCOMPARE(h.frame.windowTitle(),
                     reopened ? pairTitle : QStringLiteral("Orvex - seg.m4s"));
            QCOMPARE(h.frame.GetRecentFiles().GetEntries(),
                     (reopened ? Entries{{segment, init}, {segment}} : Entries{segment}));
            if (!reopened) {
                QCOMPARE(h.prompts.messages.at(0).text,
                         QStringLiteral("Cannot open the file.\n\n") + gone +
                             QStringLiteral(": No such file or directory\n\nIt is removed from "
                                            "the list of recent files."));
            }
            QFile::remove(segment);
            QFile::remove(init);
        }
    }

    void filesAreTakenWhereverTheyAreDropped() {
        QVERIFY(m->Show(640, 480));
        const QWidget* frame = &m->frame;
        QWidget* const places[] = {m->View().viewport(),   m->frame.GetLogView().viewport(),
                                   &m->frame.GetLogView(), &m->frame.GetLogPane(),
                                   &m->frame.GetToolBar(), m->frame.statusBar(),
                                   m->frame.menuBar()};
        const QStringList media{TestDataFile("h264_aac.mp4"), TestDataFile("rtp_hinted.mp4"),
                                TestDataFile("timed_text.3gp")};
        for (int i = 0; i < int(std::size(places)); ++i) {
            const QString first = media[i % media.size()];
            QVERIFY2(DropOn(places[i], {first, media[(i + 1) % media.size()]}),
                     qPrintable(places[i]->metaObject()->className()));
            QCOMPARE(QString::fromStdString(m->View().GetDocument().GetFilePath()), first);
            QCOMPARE(m->frame.windowTitle(),
                     QStringLiteral("Orvex - ") + QFileInfo(first).fileName());
        }
        QVERIFY(frame->acceptDrops() && m->prompts.messages.empty());
        // Nothing but local files is taken.
        QMimeData text;
        text.setText(QStringLiteral("h264_aac.mp4"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&m->frame, &enter);
        QVERIFY(!enter.isAccepted());
    }

    void dialogsStartWhereTheirPurposeLastChoseAFile() {
        const QTemporaryDir root;
        const QString media = root.filePath(QStringLiteral("media")),
                      exports = root.filePath(QStringLiteral("exports"));
        QVERIFY(QDir().mkpath(media) && QDir().mkpath(exports));
        const QString clip = media + QStringLiteral("/clip.mp4");
        QVERIFY(QFile::copy(TestDataFile("h263_amr.3gp"), clip));
        auto& p = m->prompts;
        // Nothing remembered and no file shown: the dialog's own default.
        p.openAnswers << clip;
        m->Action("actionOpen")->trigger();
        p.saveAnswers << exports + QStringLiteral("/tree.txt");
        m->Action("actionExportText")->trigger();
        m->Action("actionExportJson")->trigger();  // cancelled
        m->Action("actionSaveLog")->trigger();     // cancelled
        m->Action("actionOpen")->trigger();        // cancelled
        QCOMPARE(p.openDialogs.at(0).directory, QString());
        // An export starts in the shown file's folder, then in the last export's.
        QCOMPARE(p.saveDialogs.at(0).directory, media);
        QCOMPARE(p.saveDialogs.at(1).directory, exports);
        QCOMPARE(p.saveDialogs.at(2).directory, media);
        QCOMPARE(p.openDialogs.at(1).directory, media);
        // Kept in the settings file for the next window; a folder gone meanwhile is passed over.
        QVERIFY(QDir(exports).removeRecursively());
        CMainFrame next(m->settings, m->prompts);
        next.findChild<QAction*>(QStringLiteral("actionOpen"))->trigger();
        QCOMPARE(p.openDialogs.at(2).directory, media);
        QVERIFY(next.OpenUserFile(TestDataFile("h264_aac.mp4")));
        next.findChild<QAction*>(QStringLiteral("actionExportText"))->trigger();
        QCOMPARE(p.saveDialogs.at(3).directory, QFileInfo(TestDataFile("x")).absolutePath());
        QCOMPARE(m->settings.ReadValue(kSettingsKey, "Open Folder")->text, media.toStdString());
    }

    void optionsOkSavesAllSixCancelNothing() {
        CMemorySettingsStore& store = m->settings;
        SetSwitchSetting(store, SwitchAutoExpand, true);
        SetSwitchSetting(store, SwitchNoExpandMDAT, true);
        SetHexEditorPath(store, "/usr/bin/ghex");
        for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
            COrvexOptions options(store, m->prompts);
            CGeneralOptionPage& page = options.GetGeneralPage();
            QVERIFY(page.AutoParseBox().isChecked() && page.NoExpandMDATBox().isChecked());
            QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/usr/bin/ghex"));
            // Unchecking AutoExpand greys both dependent boxes; their states stay and are saved.
            QVERIFY(page.NoExpandMDATBox().isEnabled() && page.NoExpandQIBox().isEnabled());
            page.AutoExpandBox().click();
            QVERIFY(!page.NoExpandMDATBox().isEnabled() && !page.NoExpandQIBox().isEnabled());
            page.AutoParseBox().click();
            QVERIFY(!page.ClassicBox().isChecked());
            page.ClassicBox().click();
            // Browsing fills the path only; a cancelled browse keeps it.
            m->prompts.openAnswers = QStringList{QStringLiteral("/opt/hex editor/hexed")};
            page.BrowseButton().click();
            page.BrowseButton().click();
            QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/opt/hex editor/hexed"));
            QVERIFY(GetSwitchSetting(store, SwitchAutoExpand));
            options.findChild<QDialogButtonBox*>()->button(button)->click();
            QCOMPARE(GetSwitchSetting(store, SwitchAutoExpand), button == QDialogButtonBox::Cancel);
        }
        // Each of the six under its own name.
        QVERIFY(!GetSwitchSetting(store, SwitchAutoParse));
        QCOMPARE(store.ReadValue(kSettingsKey, "ClassicBoxSet")->number, 1u);
        QVERIFY(GetSwitchSetting(store, SwitchNoExpandMDAT));
        QCOMPARE(store.ReadValue(kSettingsKey, "NoExpandQI")->number, 0u);
        std::string path;
        QVERIFY(GetHexEditorPath(store, path));
        QCOMPARE(path, std::string("/opt/hex editor/hexed"));
    }

    void thePlacementIsKeptInTheSettingsFile() {
        CSettingsFileStore store(TempFile("placement.json"));
        QRect outer;
        {
            CMainFrame frame(store, m->prompts);
            frame.RestorePlacement();  // nothing stored: the default placement stays
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            frame.setGeometry(QRect(40, 30, 640, 480));
            QCoreApplication::processEvents();
            outer = frame.frameGeometry();
            QVERIFY(frame.close());
        }
        const auto stored = ReadWindowPlacement(store);
        QVERIFY(stored);
        QCOMPARE(QRect(stored->x, stored->y, stored->width, stored->height), outer);
        CMainFrame again(store, m->prompts);
        again.RestorePlacement();
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.frameGeometry(), outer);
    }

    void aPlacementOutOfReachIsClampedIntoTheScreenItMostlyLiesOn() {
        // Two screens side by side, less a panel along the first one's bottom.
        const QList<QRect> screens{QRect(0, 0, 1600, 960), QRect(1600, 0, 1280, 1024)};
        const struct {
            const char* what;
            WindowPlacement stored, expected;
        } cases[] = {
            {"within reach", {100, 100, 800, 600}, {100, 100, 800, 600}},
            {"saved at twice the scale", {0, 0, 3200, 2000}, {0, 0, 1600, 960}},
            {"mostly on the second", {1500, 900, 3200, 2000}, {1600, 0, 1280, 1024}},
            {"mostly on the first", {1100, 500, 800, 600}, {800, 360, 800, 600}},
            {"right of everything", {5000, 100, 800, 600}, {2080, 100, 800, 600}},
            {"above the first", {100, -900, 800, 600}, {100, 0, 800, 600}},
            {"below the second", {1700, 1100, 800, 600}, {1700, 424, 800, 600}},
            {"extreme numbers", {INT_MAX, INT_MIN, INT_MAX, INT_MAX}, {1600, 0, 1280, 1024}},
            {"no size", {10, 10, 0, -5}, {10, 10, 1, 1}},
        };
        for (const auto& c : cases) {
            const WindowPlacement got = ClampToAvailableGeometry(c.stored, screens);
            QVERIFY2(got == c.expected, qPrintable(QStringLiteral("%1: %2,%3 %4x%5")
                                                       .arg(QString::fromLatin1(c.what))
                                                       .arg(got.x)
                                                       .arg(got.y)
                                                       .arg(got.width)
                                                       .arg(got.height)));
        }
        QVERIFY(ClampToAvailableGeometry({5, 5, 9, 9}, {}) == (WindowPlacement{5, 5, 9, 9}));
        // The window restores within this machine's screen.
        WriteWindowPlacement(m->settings, WindowPlacement{-4000, 50, 9000, 7000});
        m->frame.RestorePlacement();
        QVERIFY(m->Show(m->frame.width(), m->frame.height()));
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(available.contains(m->frame.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(m->frame.x())
                                .arg(m->frame.y())
                                .arg(m->frame.frameGeometry().width())
                                .arg(m->frame.frameGeometry().height())));
    }

    void iconsAreDrawnAtTwiceTheSizeAndTheHistoryWrapsOnce() {
        // Every picture has one twice its size, which a screen scaled by two gets.
        const QStringList pictures =
            QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.png")});
        QVERIFY(pictures.size() >= 20);
        for (const QString& name : pictures) {
            if (name.contains(QLatin1Char('@'))) continue;
            const QString path = QStringLiteral(":/icons/") + name;
            const QSize size = QImage(path).size();
            QCOMPARE(QImage(QString(path).replace(".png", "@2x.png")).size(), size * 2);
            QCOMPARE(LoadIcon(name.chopped(4).toLatin1().constData()).pixmap(size, 2.0).size(),
                     size * 2);
        }
        // The history's lines are broken where the text breaks them, nowhere else.
        CAboutDialog about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* history = about.findChild<QPlainTextEdit*>(QStringLiteral("aboutHistory"));
        QCOMPARE(history->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(history->horizontalScrollBar()->maximum(), 0);
    }

    void theLogPaneShowsItsTextLineByLine() {
        COrvexLogView log;
        // Blocks as every log writer writes them; the control gets the text on the next flush,
        // and a CR LF split between two flushes stays one break.
        log.PrintWarning("first %d", 1);
        QCOMPARE(log.GetLogText(), std::string("\r\n\r\nWARNING :\r\nfirst 1\r\n\r\n"));
        QVERIFY(log.toPlainText().isEmpty());
        QTRY_COMPARE(log.toPlainText().split(QLatin1Char('\n')).size(), 6);
        log.PrintText("one\r");
        log.Flush();
        log.PrintText("\ntwo\nthree\rfour");
        log.Flush();
        QVERIFY(log.toPlainText().endsWith(QStringLiteral("\none\ntwo\nthree\nfour")));
        QCOMPARE(log.textCursor().position(), log.document()->characterCount() - 1);
        QCOMPARE(log.Clear(), 0);
        QVERIFY(log.GetLogText().empty() && log.toPlainText().isEmpty());
        // A long trace goes in as paragraphs of a fixed count of lines, counted from the clear.
        const int lines = 3 * COrvexLogView::kLinesPerParagraph + 5;
        for (int i = 0; i < lines; ++i)
            log.Print("processing offset : 0x%08X, box name : free\r\n", unsigned(i * 8));
        log.Flush();
        QCOMPARE(log.toPlainText().count(QLatin1Char('\n')), lines);
        QCOMPARE(log.document()->blockCount(), 4);
        QCOMPARE(log.document()->findBlockByNumber(1).text().split(QChar::LineSeparator).front(),
                 QStringLiteral("processing offset : 0x00000080, box name : free"));
    }

    void exportAndLogsWriteWhatOrvexDumpWritesOrSayWhyNot() {
        m->Action("actionExportText")->trigger();
        QCOMPARE(m->prompts.messages.size(), size_t{1});
        QCOMPARE(
            m->prompts.messages[0].title + ": " + m->prompts.messages[0].text,
            QStringLiteral("error: can't export. check the file was opened and parsing was done."));
        QVERIFY(m->prompts.saveDialogs.empty());

        const QString media = TestDataFile("h263_amr.3gp");
        QVERIFY(m->frame.OpenUserFile(media));
        m->prompts.saveAnswers << TempFile("flat.txt") << TempFile("indented.txt")
                               << TempFile("tree.json") << QString() << TempFile("log.txt");
        m->Action("actionExportText")->trigger();
        m->Action("actionExportIndented")->trigger();
        m->Action("actionExportJson")->trigger();
        m->Action("actionExportText")->trigger();  // cancelled: nothing written, nothing said
        QCOMPARE(m->prompts.messages.size(), size_t{1});
        QCOMPARE(m->prompts.saveDialogs.at(2).filters, QStringList{"JSON File (*.json)"});
        const ProcessRun flat = RunOrvexDump({media.toStdString()});
        const ProcessRun indented = RunOrvexDump({"--indent", media.toStdString()});
        const ProcessRun json = RunOrvexDump({"--format", "json", media.toStdString()});
        QCOMPARE(ReadWholeFile(TempFile("flat.txt")).toStdString(), flat.out);
        QCOMPARE(ReadWholeFile(TempFile("indented.txt")).toStdString(), indented.out);
        QCOMPARE(ReadWholeFile(TempFile("tree.json")).toStdString(), json.out);
        // The Logs menu saves the whole log in single bytes, and clears it.
        m->frame.GetLogView().PrintText("caf\xC3\xA9");
        m->Action("actionSaveLog")->trigger();
        const QByteArray saved = ReadWholeFile(TempFile("log.txt"));
        QVERIFY(saved.contains("box name : moov\r\n") && saved.endsWith("caf\xE9"));
        QCOMPARE(saved.size(), qsizetype(m->frame.GetLogView().GetLogText().size()) - 1);
        m->Action("actionClearLog")->trigger();
        QVERIFY(m->frame.GetLogView().GetLogText().empty());
    }

    void findScrollsToEachMatchInTurnThenSaysNoneIsLeft() {
        QVERIFY(m->frame.OpenUserFile(TestDataFile("h264_aac.mp4")));
        QVERIFY(m->Show(900, 300));
        m->Action("actionFind")->trigger();
        auto* dialog = m->frame.findChild<CFindBoxDlg*>();
        QVERIFY(dialog && dialog->isVisible());
        // Two tracks, two 'tkhd' boxes inside collapsed containers: each find expands the way
        // and puts the box at the top, by the button or by Return; the third says none is left.
        QTest::keyClicks(&dialog->FindEdit(), QStringLiteral("TKHD"));
        QList<int> tops;
        QTest::mouseClick(&dialog->FindNextButton(), Qt::LeftButton);
        for (int i = 0; i < 3; ++i) {
            if (i > 0) QTest::keyClick(&dialog->FindEdit(), Qt::Key_Return);
            tops << m->View().verticalScrollBar()->value();
        }
        const size_t tkhd = IndexOfType(m->View().GetDocument(), "tkhd");
        const auto& geometry = m->View().GetGeometry();
        QCOMPARE(tops[0], int(geometry.GetPlacement(geometry.FindNode(tkhd)).top));
        QVERIFY(tops[1] > tops[0] && tops[2] == tops[1]);
        QCOMPARE(m->prompts.messages.size(), size_t{1});
        QCOMPARE(m->prompts.messages[0].title + ": " + m->prompts.messages[0].text,
                 QStringLiteral("Find: cannot find a box any more by that name."));
        QVERIFY(dialog->isVisible());
        QTest::mouseClick(&dialog->CancelButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        // Shown again it keeps its text.
        m->Action("actionFind")->trigger();
        QCOMPARE(dialog->GetFindText(), QStringLiteral("TKHD"));
    }

    void recentFilesAreListedReopenedAndKeptAcrossRuns() {
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            const QString name = QStringLiteral("R&D %1.mp4").arg(i);
            paths << WriteBoxes(BoxBuilder().Leaf("free", {1, 2, 3, 4}), name.toStdString());
            QVERIFY(m->frame.OpenUserFile(paths.back()));
        }
        // Choosing an entry that no longer opens removes it. A menu shows '&' doubled.
        const auto label = [](QString path) { return path.replace("&", "&&"); };
        QFile::remove(paths[5]);
        for (QAction* action : FileMenu(m->frame)->actions()) {
            if (action->text().endsWith(label(paths[5]))) action->trigger();
        }
        QStringList expected;
        for (int i : {9, 8, 7, 6, 4, 3, 2, 1})
            expected << QStringLiteral("&%1 ").arg(expected.size() + 1) + label(paths[i]);
        const auto entries = [](CMainFrame& frame) {
            return MenuTexts(FileMenu(frame)).filter(QRegularExpression(QStringLiteral("^&\\d ")));
        };
        QCOMPARE(entries(m->frame), expected);
        QVERIFY(!MenuTexts(FileMenu(m->frame)).contains(QStringLiteral("(MRU list is empty)")));
        // Closing the window keeps the list; the next window reads it back.
        m->frame.close();
        CMainFrame next(m->settings, m->prompts);
        QCOMPARE(entries(next), expected);
    }

    void keepsNineMostRecentFirstComparingCase() {
        CRecentFileList list;
        for (int i = 1; i <= 10; ++i)
            list.Add(Media(i));
        list.Add(Media(5));
        list.Add(QStringLiteral("/media/clips/FILE5.mp4"));
        QCOMPARE(list.GetEntries(),
                 (Entries{QStringLiteral("/media/clips/FILE5.mp4"), Media(5), Media(10), Media(9),
                          Media(8), Media(7), Media(6), Media(4), Media(3)}));
        // An opened entry moves up; a failed one is removed (through the menu, below).
        QVERIFY(list.OpenEntry(7, [](const Entry& entry) { return entry.path == Media(4); }));
        QCOMPARE(list.GetEntries().mid(0, 3),
                 (Entries{Media(4), QStringLiteral("/media/clips/FILE5.mp4"), Media(5)}));
        // A pair is another entry than its segment, and than the segment with another init.
        const QString init = QStringLiteral("/media/init/R&D.mp4");
        for (const Entry& pair :
             {Entry{Media(4), init}, {Media(5), init}, {Media(4), Media(1)}, {Media(4), init}})
            list.Add(pair);
        QCOMPARE(list.GetEntries().mid(0, 4),
                 (Entries{{Media(4), init}, {Media(4), Media(1)}, {Media(5), init}, Media(4)}));
        QCOMPARE(CRecentFileList::MenuText(0, list.GetEntries()[0]),
                 QStringLiteral("&1 ") + Media(4) + QStringLiteral(" (with R&&D.mp4)"));
    }

    void readsTheStoredCountOrNine() {
        // The count stored and the entries read: from the maximum down, "Document1" the most
        // recent; without a count stored as a number nothing is read.
        const std::pair<SettingValue, int> cases[] = {
            {SettingValue::Number(0), 9},  {SettingValue::Number(1), 9},
            {SettingValue::Number(17), 9}, {SettingValue::Number(16), 16},
            {SettingValue::Number(4), 4},  {SettingValue::Text("4"), 0}};
        for (const auto& [count, entries] : cases) {
            CMemorySettingsStore store;
            StoreEntries(store, count, 16);
            CRecentFileList list;
            list.ReadFromSettings(store);
            QCOMPARE(list.GetCount(), entries);
            if (entries == 0) continue;
            QCOMPARE(list.GetMaxEntries(), entries);
            QCOMPARE(list.GetEntries().front().path + list.GetEntries().back().path,
                     Media(1) + Media(entries));
        }
    }

    void roundTripDeletesTheValuesNoLongerHeld() {
        CSettingsFileStore store(TempFile("recent.json"));
        StoreEntries(store, SettingValue::Number(16), 16);
        store.WriteValue(kRecentFilesKey, "Document2", SettingValue::Number(7));  // passed over
        CRecentFileList list;
        list.ReadFromSettings(store);
        QCOMPARE(list.GetCount(), 15);
        // The oldest entry fails to open: it must not come back from "Document16".
        QVERIFY(!list.OpenEntry(14, [](const Entry&) { return false; }));
        list.WriteToSettings(store);
        CRecentFileList again;
        again.ReadFromSettings(store);
        QCOMPARE(again.GetEntries(), list.GetEntries());
        QVERIFY(!store.ReadValue(kRecentFilesKey, "Document15"));
        CRecentFileList small;
        small.Add(Media(1));
        small.WriteToSettings(store);
        QCOMPARE(store.ReadValue(kRecentFilesKey, "DocumentCount")->number, 9u);
        QVERIFY(!store.ReadValue(kRecentFilesKey, "Document2"));
    }

    void pairsKeepTheirInitSegmentInTheSettings() {
        CSettingsFileStore store(TempFile("pairs.json"));
        // Each list written over the one before, and "DocumentInit1" to "DocumentInit3" then:
        // no init is left at a number now held by a file alone or by no entry.
        const std::pair<Entries, QStringList> rows[] = {
            {{{Media(2), Media(9)}, Media(1)}, {Media(9), {}, {}}},
            {{{Media(1), Media(3)}, {Media(2), Media(9)}, {Media(4), Media(9)}},
             {Media(3), Media(9), Media(9)}},
            {{Media(3), {Media(1), Media(3)}}, {{}, Media(3), {}}}};
        for (const auto& [entries, inits] : rows) {
            CRecentFileList list;
            std::for_each(entries.rbegin(), entries.rend(), [&](const Entry& e) { list.Add(e); });
            list.WriteToSettings(store);
            QStringList written;
            for (const std::string number : {"1", "2", "3"}) {
                const auto value = store.ReadValue(kRecentFilesKey, "DocumentInit" + number);
                written << (value ? QString::fromStdString(value->text) : QString());
            }
            QCOMPARE(written, inits);
            CRecentFileList again;
            again.ReadFromSettings(store);
            QCOMPARE(again.GetEntries(), entries);
        }
        // The segment of a pair is stored as a file alone is.
        QCOMPARE(store.ReadValue(kRecentFilesKey, "Document2")->text, Media(1).toStdString());
    }

    void theProgramAnswersItsCommandLine() {
        // --help and --version need no display, not even a platform to show a window on.
        const ProcessRun version =
            RunProgram(ORVEX_GUI_PATH, {"--version"}, 20, {}, {"QT_QPA_PLATFORM=no-such-platform"});
        QCOMPARE(version.status, 0);
        QCOMPARE(version.out, std::string("orvex (Orvex) " ORVEX_VERSION "\n"));
        const ProcessRun help = RunOrvex({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.starts_with("Usage: orvex [MEDIA_FILE]\n"));
        for (const std::vector<std::string>& usageError :
             {std::vector<std::string>{"--frobnicate"}, {"a.mp4", "b.mp4"}}) {
            const ProcessRun run = RunOrvex(usageError);
            QCOMPARE(run.status, 64);
            QVERIFY(run.err.find("orvex: ") != std::string::npos);
        }
        // The window stays open after saying so: it is stopped once its time is up.
        const ProcessRun missing = RunOrvex({"/no/such/file.mp4"}, 5);
        QVERIFY(missing.timedOut);
        QVERIFY(missing.err.find(
                    "orvex: cannot open '/no/such/file.mp4': No such file or directory\n") !=
                std::string::npos);
    }

private:
    std::unique_ptr<FrameHarness> m;
};

QTEST_MAIN(MainFrameTest)
#include "MainFrame_test.moc"
