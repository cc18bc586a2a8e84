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
        frame.resize(1100, 860);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.OpenMediaFile(TestDataFile("h264_aac.mp4")));
        QVERIFY(prompts.messages.empty());
        // From 'moov' down: the nesting of the boxes shows best there.
        COrvexView& view = frame.GetView();
        const auto& nodes = view.GetDocument().GetViewBoxes();
        for (size_t i = 0; i < nodes.size(); ++i) {
            const CISOViewBoxLayer* name = nodes[i]->GetShortTypeNameLayer();
            if (!name || name->Text() != "moov") continue;
            const CTreeGeometry& geometry = view.GetGeometry();
            view.verticalScrollBar()->setValue(
                static_cast<int>(geometry.GetPlacement(geometry.FindNode(i)).top) - 5);
            break;
        }
        QVERIFY(view.verticalScrollBar()->value() > 0);
        QCoreApplication::processEvents();

        const QImage image = frame.grab().toImage();
        QCOMPARE(image.size(), frame.size() * image.devicePixelRatio());
        const QByteArray target = qgetenv("ORVEX_SCREENSHOT");
        if (!target.isEmpty()) QVERIFY(image.save(QString::fromLocal8Bit(target), "PNG"));
    }
};

QTEST_MAIN(ScreenshotTest)
#include "Screenshot_test.moc"
