#include "shell/OrvexLogView.h"

#include <QTextBlock>
#include <QtTest>

#include "shell/ShellTestSupport.h"

class OrvexLogViewTest : public QObject {
    Q_OBJECT

private slots:
    void blocksAreCountedAndShownLineByLine() {
        COrvexLogView log;
        log.PrintWarning("unbound %d", 1);  // counted nowhere, written all the same
        int32_t errors = 0;
        int32_t warnings = 0;
        log.SetCounters(&errors, &warnings);
        log.Print("processing offset : 0x%08X", 16u);
        log.PrintWarning("first");
        log.PrintError("broken %s", "box");
        QCOMPARE(log.GetWarningCount(), 1);
        QCOMPARE(log.GetErrorCount(), 1);
        QCOMPARE(log.GetLogText(), std::string("\r\n\r\nWARNING :\r\nunbound 1\r\n\r\n"
                                               "processing offset : 0x00000010"
                                               "\r\n\r\nWARNING :\r\nfirst\r\n\r\n"
                                               "\r\n\r\nERROR :\r\nbroken box\r\n\r\n"));
        // The control gets the text on the next flush; a CR LF split between two flushes
        // stays one break.
        QVERIFY(log.toPlainText().isEmpty());
        QTRY_COMPARE(log.toPlainText().split(QLatin1Char('\n')).size(), 16);
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

    void savingWritesSingleBytes() {
        COrvexLogView log;
        CScriptedPrompts prompts;
        log.OnSaveLog(prompts);  // cancelled
        QCOMPARE(prompts.saveDialogs.at(0).filters,
                 QStringList{QStringLiteral("Log File (*.txt)")});
        QCOMPARE(prompts.saveDialogs[0].defaultSuffix, QStringLiteral("Log"));
        prompts.saveAnswers << TempFile("empty.Log");
        log.OnSaveLog(prompts);
        QVERIFY(QFileInfo::exists(TempFile("empty.Log")));
        QCOMPARE(QFileInfo(TempFile("empty.Log")).size(), 0);
        // A Latin-1 character as one byte, a character beyond Latin-1 as '?'.
        log.PrintText("caf\xC3\xA9 \xE2\x82\xAC\r\nlast");
        QCOMPARE(log.SaveToFile(TempPath("full.txt")), 1);
        QCOMPARE(ReadWholeFile(TempFile("full.txt")), QByteArray("caf\xE9 ?\r\nlast"));
        QCOMPARE(log.SaveToFile(TempPath("no/such/folder.txt")), 0);
    }
};

QTEST_MAIN(OrvexLogViewTest)
#include "OrvexLogView_test.moc"
