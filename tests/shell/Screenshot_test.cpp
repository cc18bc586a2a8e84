// The window on a real file, grabbed as an image. With ORVEX_SCREENSHOT=PATH set, the image is
// also saved there: that is how docs/screenshot.png is made
// (ORVEX_SCREENSHOT=docs/screenshot.png build/shell_Screenshot_test).
#include <QImage>
#include <QScrollBar>
#include <QSplitter>
#include <QtTest>

#include "document/Settings.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ScriptedPrompts.h"
#include "shell/ShellTestSupport.h"

class ScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void grabsTheWindowOnARealFile() {
        CMemorySettingsStore settings;
        // The whole tree expanded, as most users keep it, except the sample lines.
        SetSwitchSetting(settings, SwitchAutoExpand, true);
        SetSwitchSetting(settings, SwitchNoExpandMDAT, true);
        SetSwitchSetting(settings, SwitchNoExpandQI, true);
        CScriptedPrompts prompts;
        CMainFrame frame(settings, prompts);
        frame.resize(1100, 760);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.OpenMediaFile(TestDataFile("h264_aac.mp4")));
        QVERIFY(prompts.messages.empty());
        QCoreApplication::processEvents();

        const QImage image = frame.grab().toImage();
        QCOMPARE(image.size(), frame.size() * image.devicePixelRatio());
        const QByteArray target = qgetenv("ORVEX_SCREENSHOT");
        if (!target.isEmpty()) QVERIFY(image.save(QString::fromLocal8Bit(target), "PNG"));
    }
};

QTEST_MAIN(ScreenshotTest)
#include "Screenshot_test.moc"
