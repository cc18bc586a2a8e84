#include <QProgressBar>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <thread>

#include "ShellTestSupport.h"
#include "shell/OrvexLogView.h"

namespace {

// What a tree shows, node by node: how a background parse is compared with a synchronous one.
std::vector<std::string> TreeText(COrvexDoc& document) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < document.GetNodes().size(); ++i)
        lines.push_back(std::to_string(document.GetNodes().GetFileOffset(i)) + " " +
                        document.GetNodes().GetSummaryText(i));
    return lines;
}

}  // namespace

class BackgroundParseTest : public QObject {
    Q_OBJECT

    const QString kShown = TestDataFile("h263_amr.3gp");
    const QString kParsed = TestDataFile("mpeg4_aac.mp4");
    const QString kOther = TestDataFile("timed_text.3gp");

    std::unique_ptr<FrameHarness> m;
    // While set, the worker waits at the second box of the parse until it is cancelled.
    std::atomic<bool> hold{false};
    std::atomic<bool> held{false};

    // Shows kShown, then starts kParsed in the background and holds it.
    void StartHeldParse() {
        QVERIFY(m->frame.OpenUserFile(kShown));
        m->View().SetParseHook([this](const CParseProgress& p) {
            while (hold && p.bytesDone > 0 && !p.cancelRequested) {
                held = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            // Only the first parse is held: the one after a cancel runs freely.
            if (p.cancelRequested) hold = false;
        });
        m->View().SetQuickParseWait(std::chrono::milliseconds(0));
        hold = true;
        QVERIFY(m->frame.OpenUserFile(kParsed));
        QTRY_VERIFY(held);
    }

private slots:
    void init() {
        m = std::make_unique<FrameHarness>();
        hold = held = false;
    }
    void cleanup() { m.reset(); }

    void theFileBeforeStaysUntilTheNewOneIsCompleteAndTheSame() {
        StartHeldParse();
        COrvexDoc* before = &m->View().GetDocument();
        QVERIFY(m->View().IsParsing());
        QCOMPARE(m->frame.windowTitle(), QStringLiteral("Orvex - h263_amr.3gp"));
        QCOMPARE(m->frame.GetStatusText(), QStringLiteral("Parsing mpeg4_aac.mp4 ..."));
        QVERIFY(!m->Action("actionStartParsing")->isEnabled());
        QVERIFY(m->Action("actionCancelParsing")->isEnabled());
        // Held past the time a small file takes, the parse shows its progress.
        auto* bar = m->frame.findChild<QProgressBar*>(QStringLiteral("parseProgress"));
        QTRY_VERIFY(!bar->isHidden());
        QVERIFY(bar->value() > 0 && bar->value() < bar->maximum());

        hold = false;
        QTRY_VERIFY(!m->View().IsParsing());
        QVERIFY(&m->View().GetDocument() != before);
        QCOMPARE(m->frame.windowTitle(), QStringLiteral("Orvex - mpeg4_aac.mp4"));
        QVERIFY(m->frame.GetStatusText().startsWith(QStringLiteral("Loaded File : ")));
        QVERIFY(bar->isHidden());
        QVERIFY(m->Action("actionStartParsing")->isEnabled());
        QVERIFY(m->View().GetSelectedNode().has_value());

        FrameHarness synchronous;
        QVERIFY(synchronous.frame.OpenUserFile(kParsed));
        QVERIFY(TreeText(m->View().GetDocument()) == TreeText(synchronous.View().GetDocument()));
        // The log ends with the held parse's lines, all of them and in order.
        QVERIFY(m->frame.GetLogView().GetLogText().ends_with(
            synchronous.frame.GetLogView().GetLogText()));
    }

    void everyWayOfStoppingLeavesTheFileBefore_data() {
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("title");
        const QString shown = QStringLiteral("Orvex - h263_amr.3gp");
        QTest::newRow("Esc") << 0 << shown;
        QTest::newRow("Cancel button") << 1 << shown;
        QTest::newRow("another file") << 2 << QStringLiteral("Orvex - timed_text.3gp");
        QTest::newRow("New") << 3 << QString::fromUtf8(CMainFrame::kStartTitle);
        QTest::newRow("quit") << 4 << shown;
        // The hook would wait for ever: only the cancel of the window's end frees it.
        QTest::newRow("window destroyed") << 5 << QString();
    }
    void everyWayOfStoppingLeavesTheFileBefore() {
        QFETCH(int, way);
        QFETCH(QString, title);
        QVERIFY(m->Show(800, 600));
        StartHeldParse();
        const QString status =
            QStringLiteral("Loaded File : ") + QFileInfo(kShown).absoluteFilePath();
        const size_t nodes = m->View().GetDocument().GetNodes().size();
        switch (way) {
            case 0:
                QTest::keyClick(&m->frame, Qt::Key_Escape);
                break;
            case 1: {
                auto* cancel = m->frame.findChild<QPushButton*>(QStringLiteral("cancelParsing"));
                QTRY_VERIFY(cancel->isVisible());
                QTest::mouseClick(cancel, Qt::LeftButton);
                break;
            }
            case 2:
                m->View().SetQuickParseWait(std::chrono::minutes(5));
                QVERIFY(m->frame.OpenUserFile(kOther));
                break;
            case 3:
                m->Action("actionNew")->trigger();
                break;
            case 4:
                QVERIFY(m->frame.close());
                break;
            case 5:
                return m.reset();
        }
        QVERIFY(!m->View().IsParsing());
        QCOMPARE(m->frame.windowTitle(), title);
        const std::string log = m->frame.GetLogView().GetLogText();
        QVERIFY(log.find("processing offset : 0x00000000, box name : ftyp") != std::string::npos);
        QVERIFY(log.find("\r\nthe parse was cancelled.\r\n") != std::string::npos);
        QVERIFY(!m->frame.findChild<QProgressBar*>(QStringLiteral("parseProgress"))->isVisible());
        QVERIFY(!m->Action("actionCancelParsing")->isEnabled());
        QVERIFY(m->prompts.messages.empty());
        if (way == 0 || way == 1) {
            QCOMPARE(m->frame.GetStatusText().left(status.size()), status);
            QCOMPARE(m->View().GetDocument().GetNodes().size(), nodes);
        }
    }
};

QTEST_MAIN(BackgroundParseTest)
#include "BackgroundParse_test.moc"
