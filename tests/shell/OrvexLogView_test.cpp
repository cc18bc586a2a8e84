#include "shell/OrvexLogView.h"

#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include "shell/ScriptedPrompts.h"
#include "shell/ShellTestSupport.h"

class OrvexLogViewTest : public QObject {
    Q_OBJECT

private slots:
    void looksLikeTheLogPane() {
        COrvexLogView log;
        QVERIFY(log.isReadOnly());
        QCOMPARE(log.font().pointSize(), 8);
        QCOMPARE(log.font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(log.palette().color(QPalette::Base), QColor(0xFF, 0xF1, 0xBD));
        QCOMPARE(log.lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    void errorAndWarningBlocksAreCounted() {
        COrvexLogView log;
        QCOMPARE(log.GetErrorCount(), -1);
        QCOMPARE(log.GetWarningCount(), -1);
        log.PrintWarning("unbound %d", 1);  // counted nowhere, written all the same

        int32_t errors = 0;
        int32_t warnings = 0;
        log.SetCounters(&errors, &warnings);
        log.Print("processing offset : 0x%08X", 16u);
        log.PrintWarning("first");
        log.PrintWarning("second");
        log.PrintError("broken %s", "box");
        QCOMPARE(log.GetWarningCount(), 2);
        QCOMPARE(log.GetErrorCount(), 1);
        QCOMPARE(log.GetLogText(), std::string("\r\n\r\nWARNING :\r\nunbound 1\r\n\r\n"
                                               "processing offset : 0x00000010"
                                               "\r\n\r\nWARNING :\r\nfirst\r\n\r\n"
                                               "\r\n\r\nWARNING :\r\nsecond\r\n\r\n"
                                               "\r\n\r\nERROR :\r\nbroken box\r\n\r\n"));

        // The control gets the text on the next flush, line by line as in the log.
        QVERIFY(log.toPlainText().isEmpty());
        QTRY_VERIFY(!log.toPlainText().isEmpty());
        const QStringList lines = log.toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines[2], QStringLiteral("WARNING :"));
        QCOMPARE(lines[5], QStringLiteral("processing offset : 0x00000010"));

        // Clearing empties the text and leaves the counters to the parse that bound them.
        QCOMPARE(log.Clear(), 0);
        QVERIFY(log.GetLogText().empty());
        QVERIFY(log.toPlainText().isEmpty());
        QVERIFY(log.isReadOnly());
        QCOMPARE(log.GetWarningCount(), 2);
        QCOMPARE(log.GetErrorCount(), 1);
    }

    void aLineBreakSplitBetweenTwoFlushesStaysOneBreak() {
        COrvexLogView log;
        log.PrintText("one\r");
        log.Flush();
        log.PrintText("\ntwo\r\nthree\nfour\rfive");
        log.Flush();
        QCOMPARE(log.toPlainText(), QStringLiteral("one\ntwo\nthree\nfour\nfive"));
        log.PrintText("\r\n");
        log.Flush();
        QCOMPARE(log.toPlainText().count(QLatin1Char('\n')), 5);
        // The view follows the end.
        QCOMPARE(log.textCursor().position(), log.document()->characterCount() - 1);
    }

    void savingWritesEveryLineWithItsOwnBreak() {
        QTemporaryDir dir;
        COrvexLogView log;
        const QString empty = dir.filePath(QStringLiteral("empty.txt"));
        QCOMPARE(log.SaveToFile(Local(empty)), 1);
        QVERIFY(QFileInfo::exists(empty));
        QCOMPARE(QFileInfo(empty).size(), 0);

        // A line far longer than any cut, a Latin-1 character as one byte, a character beyond
        // Latin-1 as '?'.
        const std::string longLine(1000, 'w');
        log.PrintText(longLine + "\r\n");
        log.PrintText("caf\xC3\xA9 \xE2\x82\xAC\r\nlast");
        const QString full = dir.filePath(QStringLiteral("full.txt"));
        QCOMPARE(log.SaveToFile(Local(full)), 1);
        QCOMPARE(ReadWholeFile(full),
                 QByteArray::fromStdString(longLine) + QByteArray("\r\ncaf\xE9 ?\r\nlast"));

        QCOMPARE(log.SaveToFile(Local(dir.filePath(QStringLiteral("no/such/folder.txt")))), 0);
    }

    void theSaveCommandAsksForALogFile() {
        QTemporaryDir dir;
        COrvexLogView log;
        log.PrintText("trace\r\n");
        CScriptedPrompts prompts;
        log.OnSaveLog(prompts);  // cancelled
        QCOMPARE(prompts.saveDialogs.size(), size_t{1});
        QCOMPARE(prompts.saveDialogs[0].filters, QStringList{QStringLiteral("Log File (*.txt)")});
        QCOMPARE(prompts.saveDialogs[0].defaultSuffix, QStringLiteral("Log"));

        const QString path = dir.filePath(QStringLiteral("saved.Log"));
        prompts.saveAnswers << path;
        log.OnSaveLog(prompts);
        QCOMPARE(ReadWholeFile(path), QByteArray("trace\r\n"));
    }

    void aWholeParseTraceGoesInAtOnce() {
        COrvexLogView log;
        for (int i = 0; i < 100000; ++i) {
            log.Print("processing offset : 0x%08X", static_cast<unsigned>(i * 8));
            log.PrintText(", box name : free\r\n");
        }
        log.Flush();
        const QString shown = log.toPlainText();
        QCOMPARE(shown.count(QLatin1Char('\n')), 100000);
        QVERIFY(
            shown.endsWith(QStringLiteral("processing offset : 0x000C34F8, box name : free\n")));
        // The lines are shown in groups: far fewer paragraphs than lines.
        QCOMPARE(log.document()->blockCount(), 100000 / COrvexLogView::kLinesPerParagraph + 1);
        // Every line is where the log has it.
        const QTextBlock second = log.document()->findBlockByNumber(1);
        QCOMPARE(second.text().split(QChar(QChar::LineSeparator)).front(),
                 QStringLiteral("processing offset : 0x00000080, box name : free"));
    }
};

QTEST_MAIN(OrvexLogViewTest)
#include "OrvexLogView_test.moc"
