// Timings of the box view on a big file, run by hand; without a file named in
// ORVEX_VIEW_BENCH_FILE it is skipped. Nothing is checked against a time: the figures are printed.
//
//   bench/make_synthetic_mp4.py --samples 1000000 --output /tmp/big.mp4
//   ORVEX_VIEW_BENCH_FILE=/tmp/big.mp4 QT_QPA_PLATFORM=offscreen build/shell_ViewSpeed_test
#include <QElapsedTimer>
#include <QScrollBar>
#include <QtTest>
#include <algorithm>
#include <cstdio>

#include "document/Settings.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ScriptedPrompts.h"

namespace {

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

size_t FindType(COrvexView& view, const std::string& type) {
    const auto& nodes = view.GetDocument().GetViewBoxes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        const CISOViewBoxLayer* layer = nodes[i]->GetShortTypeNameLayer();
        if (layer && layer->Text() == type) return i;
    }
    return nodes.size();
}

}  // namespace

class ViewSpeedTest : public QObject {
    Q_OBJECT

private slots:
    void timings_data() {
        QTest::addColumn<bool>("autoExpand");
        QTest::newRow("collapsed") << false;
        QTest::newRow("expanded") << true;
    }

    void timings() {
        const QString path = qEnvironmentVariable("ORVEX_VIEW_BENCH_FILE");
        if (path.isEmpty()) QSKIP("set ORVEX_VIEW_BENCH_FILE to a big media file");
        QFETCH(bool, autoExpand);

        CMemorySettingsStore settings;
        SetSwitchSetting(settings, SwitchAutoExpand, autoExpand);
        CScriptedPrompts prompts;
        CMainFrame frame(settings, prompts);
        frame.resize(1280, 900);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        COrvexView& view = frame.GetView();

        // From the open command to the first frame painted (the log is filled on the way).
        QElapsedTimer timer;
        timer.start();
        QVERIFY(frame.OpenMediaFile(path));
        const double parsed = Milliseconds(timer);
        QCoreApplication::processEvents();
        view.viewport()->repaint();
        const double firstFrame = Milliseconds(timer);
        QVERIFY(view.GetDocument().IsParsed());
        std::printf("%s: %zu nodes, %zu displayed, content %d x %d\n",
                    autoExpand ? "expanded" : "collapsed", view.GetDocument().GetViewBoxes().size(),
                    view.GetGeometry().GetCount(), view.GetContentSize().width(),
                    view.GetContentSize().height());
        std::printf("  open and parse %.0f ms, first frame painted at %.0f ms\n", parsed,
                    firstFrame);

        // One screen painted at positions from the top to the end, the worst of each.
        auto paintAt = [&](int position) {
            view.verticalScrollBar()->setValue(position);
            QElapsedTimer paint;
            paint.start();
            view.viewport()->repaint();
            return Milliseconds(paint);
        };
        const int maximum = view.verticalScrollBar()->maximum();
        double worst = 0;
        int worstAt = 0;
        for (int step = 0; step <= 40; ++step) {
            const int position = static_cast<int>(int64_t{maximum} * step / 40);
            const double ms = std::max(paintAt(position), paintAt(position));
            if (ms > worst) {
                worst = ms;
                worstAt = position;
            }
        }
        std::printf("  one screen: worst %.2f ms (at %d of %d)\n", worst, worstAt, maximum);

        // Expanding and collapsing 'mdat', each up to the frame painted after it.
        const size_t mdat = FindType(view, "mdat");
        for (int round = 0; round < 2 && mdat < view.GetDocument().GetViewBoxes().size(); ++round) {
            const bool wasExpanded = view.GetDocument().GetViewBoxes()[mdat]->IsExpanded();
            timer.restart();
            view.ToggleNode(mdat);
            view.viewport()->repaint();
            std::printf("  %s 'mdat': %.1f ms (%zu displayed)\n",
                        wasExpanded ? "collapse" : "expand", Milliseconds(timer),
                        view.GetGeometry().GetCount());
        }
        if (maximum > 0)
            std::printf("  one screen at the end: %.2f ms\n",
                        paintAt(view.verticalScrollBar()->maximum()));
        std::fflush(stdout);
    }
};

QTEST_MAIN(ViewSpeedTest)
#include "ViewSpeed_test.moc"
