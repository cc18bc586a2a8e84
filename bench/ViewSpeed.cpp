// Timings of the box view on a big file, run by hand. Nothing is checked against a time: the
// figures are printed.
//
//   bench/make_synthetic_mp4.py --samples 1000000 --output /tmp/big.mp4
//   ninja -C build orvex_view_bench
//   QT_QPA_PLATFORM=offscreen build/bench/orvex_view_bench /tmp/big.mp4
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>

#include "document/Settings.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ShellPrompts.h"

namespace {

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

bool Measure(const QString& path, bool autoExpand) {
    CMemorySettingsStore settings;
    SetSwitchSetting(settings, SwitchAutoExpand, autoExpand);
    CShellPrompts prompts;
    CMainFrame frame(settings, prompts);
    frame.resize(1280, 900);
    frame.show();
    QCoreApplication::processEvents();
    COrvexView& view = frame.GetView();

    // From the open command to the first frame painted (the log is filled on the way).
    QElapsedTimer timer;
    timer.start();
    if (!frame.OpenMediaFile(path) || !view.GetDocument().IsParsed()) return false;
    const double parsed = Milliseconds(timer);
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    const double firstFrame = Milliseconds(timer);
    std::printf("%s: %zu nodes, %zu displayed, content %d x %d\n",
                autoExpand ? "expanded" : "collapsed", view.GetDocument().GetNodes().size(),
                view.GetGeometry().GetCount(), view.GetContentSize().width(),
                view.GetContentSize().height());
    std::printf("  open and parse %.0f ms, first frame painted at %.0f ms\n", parsed, firstFrame);

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
    const CNodeList& nodes = view.GetDocument().GetNodes();
    size_t mdat = 0;
    while (mdat < nodes.size() && !(nodes.IsBox(mdat) && nodes.GetTitle(mdat) == "mdat"))
        ++mdat;
    for (int round = 0; round < 2 && mdat < nodes.size(); ++round) {
        const bool wasExpanded = nodes.IsExpanded(mdat);
        timer.restart();
        view.ToggleNode(mdat);
        view.viewport()->repaint();
        std::printf("  %s 'mdat': %.1f ms (%zu displayed)\n", wasExpanded ? "collapse" : "expand",
                    Milliseconds(timer), view.GetGeometry().GetCount());
    }
    if (maximum > 0)
        std::printf("  one screen at the end: %.2f ms\n",
                    paintAt(view.verticalScrollBar()->maximum()));
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: orvex_view_bench MEDIA_FILE\n", stderr);
        return 64;
    }
    QApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (bool autoExpand : {false, true}) {
        if (!Measure(path, autoExpand)) {
            std::fprintf(stderr, "orvex_view_bench: %s did not parse\n", argv[1]);
            return 1;
        }
    }
    return 0;
}
