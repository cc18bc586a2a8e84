#include "shell/FindBoxDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class FindBoxDlgTest : public QObject {
    Q_OBJECT

private slots:
    void showsItsTexts();
    void findNextHandsOverTheTextAndStaysOpen();
    void cancelAndEscapeAreCancels();
};

void FindBoxDlgTest::showsItsTexts() {
    CFindBoxDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Find a Box"));
    QVERIFY(!dialog.isModal());
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    QCOMPARE(
        texts,
        (QStringList{QStringLiteral("The box will be searched from the top visible box\n"
                                    "in the current screen."),
                     QStringLiteral("Input the box name to find like 'MOOV'. (No case sensitive)"),
                     QStringLiteral("Fi&nd what:")}));
    QCOMPARE(dialog.findChildren<QLabel*>().back()->buddy(), &dialog.FindEdit());
    QCOMPARE(dialog.FindNextButton().text(), QStringLiteral("&Find Next"));
    QVERIFY(dialog.FindNextButton().isDefault());
    QCOMPARE(dialog.CancelButton().text(), QStringLiteral("Cancel"));
}

void FindBoxDlgTest::findNextHandsOverTheTextAndStaysOpen() {
    CFindBoxDlg dialog;
    QSignalSpy finds(&dialog, &CFindBoxDlg::findNextRequested);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(&dialog.FindEdit(), QStringLiteral("url"));
    QTest::mouseClick(&dialog.FindNextButton(), Qt::LeftButton);
    // Return in the edit field presses the default button.
    QTest::keyClick(&dialog.FindEdit(), Qt::Key_Return);
    QCOMPARE(finds.count(), 2);
    QCOMPARE(finds.at(0).at(0).toString(), QStringLiteral("url"));
    QVERIFY(dialog.isVisible());
}

void FindBoxDlgTest::cancelAndEscapeAreCancels() {
    CFindBoxDlg dialog;
    QSignalSpy cancels(&dialog, &CFindBoxDlg::cancelRequested);
    QSignalSpy finds(&dialog, &CFindBoxDlg::findNextRequested);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.FindEdit().setText(QStringLiteral("moov"));
    QTest::mouseClick(&dialog.CancelButton(), Qt::LeftButton);
    QCOMPARE(cancels.count(), 1);
    QVERIFY(!dialog.isVisible());

    // Shown again, it keeps its last text.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.GetFindText(), QStringLiteral("moov"));
    QTest::keyClick(&dialog.FindEdit(), Qt::Key_Escape);
    QCOMPARE(cancels.count(), 2);
    QCOMPARE(finds.count(), 0);
}

QTEST_MAIN(FindBoxDlgTest)
#include "FindBoxDlg_test.moc"
