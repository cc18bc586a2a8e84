// The orvex program's command line, run as a separate process.
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void helpAndVersionNeedNoDisplay() {
        QProcess orvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Not even a platform to show a window on: these must answer without one.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        orvex.setProcessEnvironment(environment);

        orvex.start(QStringLiteral(ORVEX_GUI_PATH), {QStringLiteral("--version")});
        QVERIFY(orvex.waitForFinished(20000));
        QCOMPARE(orvex.exitCode(), 0);
        QCOMPARE(orvex.readAllStandardOutput(), QByteArray("orvex (Orvex) " ORVEX_VERSION "\n"));

        orvex.start(QStringLiteral(ORVEX_GUI_PATH), {QStringLiteral("--help")});
        QVERIFY(orvex.waitForFinished(20000));
        QCOMPARE(orvex.exitCode(), 0);
        QVERIFY(orvex.readAllStandardOutput().startsWith("Usage: orvex [MEDIA_FILE]\n"));
    }

    void usageErrorsExitWith64() {
        QProcess orvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        orvex.setProcessEnvironment(environment);
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--frobnicate")},
              QStringList{QStringLiteral("a.mp4"), QStringLiteral("b.mp4")}}) {
            orvex.start(QStringLiteral(ORVEX_GUI_PATH), arguments);
            QVERIFY(orvex.waitForFinished(20000));
            QCOMPARE(orvex.exitStatus(), QProcess::NormalExit);
            QCOMPARE(orvex.exitCode(), 64);
            QVERIFY(orvex.readAllStandardError().contains("orvex: "));
        }
    }

    void aFileThatCannotBeOpenedIsReported() {
        QProcess orvex;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QTemporaryDir config;
        environment.insert(QStringLiteral("ORVEX_CONFIG_DIR"), config.path());
        orvex.setProcessEnvironment(environment);
        orvex.start(QStringLiteral(ORVEX_GUI_PATH), {QStringLiteral("/no/such/file.mp4")});
        QVERIFY(orvex.waitForStarted(20000));
        // The window stays open: the message comes once it is up.
        QByteArray error;
        QTRY_VERIFY_WITH_TIMEOUT((error += orvex.readAllStandardError())
                                     .contains("orvex: cannot open '/no/such/file.mp4'"),
                                 20000);
        orvex.kill();
        orvex.waitForFinished(20000);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLine_test.moc"
