#include "shell/FindBoxDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class FindBoxDlgTest : public QObject {
    Q_OBJECT

private slots:
    void findNextHandsOverTheTextCancelHides();
};

void FindBoxDlgTest::findNextHandsOverTheTextCancelHides() {
    CFindBoxDlg dialog;
    QSignalSpy finds(&dialog, &CFindBoxDlg::findNextRequested);
    QSignalSpy cancels(&dialog, &CFindBoxDlg::cancelRequested);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(&dialog.FindEdit(), QStringLiteral("url"));
    QTest::mouseClick(&dialog.FindNextButton(), Qt::LeftButton);
    // Return presses "&Find Next", the default button; the dialog stays for the next search.
    QTest::keyClick(&dialog.FindEdit(), Qt::Key_Return);
    QCOMPARE(finds.count(), 2);
    QCOMPARE(finds.at(1).at(0).toString(), QStringLiteral("url"));
    QVERIFY(dialog.isVisible());

    QTest::mouseClick(&dialog.CancelButton(), Qt::LeftButton);
    QCOMPARE(cancels.count(), 1);
    QVERIFY(!dialog.isVisible());
    // Shown again it keeps its text; Escape is a cancel too.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.GetFindText(), QStringLiteral("url"));
    QTest::keyClick(&dialog.FindEdit(), Qt::Key_Escape);
    QCOMPARE(cancels.count(), 2);
    QCOMPARE(finds.count(), 2);
}

QTEST_MAIN(FindBoxDlgTest)
#include "FindBoxDlg_test.moc"
