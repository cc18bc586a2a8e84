// Timings and memory of the box view on a big file, run by hand. Nothing is checked by a test:
// the figures are printed beside their targets.
//
//   bench/make_synthetic_mp4.py --samples 1000000 --output /tmp/big.mp4
//   ninja -C build orvex_view_bench
//   QT_QPA_PLATFORM=offscreen build/bench/orvex_view_bench [--auto-expand] /tmp/big.mp4
//   QT_QPA_PLATFORM=offscreen build/bench/orvex_view_bench --responsiveness /tmp/big.mp4
//
// One process measures one opening, so that its memory figures are the viewer's alone.
// --responsiveness parses the file once the way it was parsed before, on the window's thread,
// and once as the viewer does, on a worker, while a 10 ms timer on the window's thread notes
// the longest gap between its ticks: how long the window could not have repainted.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "document/Settings.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ShellPrompts.h"

namespace {

// The targets for the file with 10^6 samples per track.
constexpr double kFirstFrameMs = 500;
constexpr double kResidentMb = 200;
constexpr double kToggleMs = 100;
constexpr double kScreenMs = 16;
constexpr double kRepaintGapMs = 100;

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// A "VmRSS:" or "VmHWM:" line of /proc/self/status, in MB; -1 where there is none.
double StatusMb(std::string_view field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, field.size(), field) == 0)
            return std::stod(line.substr(field.size())) / 1024;  // the line counts kB
    }
    return -1;
}

void Report(const char* what, double value, double limit, const char* unit) {
    std::printf("  %-50s %9.2f %-2s %s (at most %g %s)\n", what, value, unit,
                value <= limit ? "PASS" : "FAIL", limit, unit);
}

// The window at the size measured, shown and settled.
void ShowFrame(CMainFrame& frame) {
    frame.resize(1280, 900);
    frame.show();
    QCoreApplication::processEvents();
}

bool Measure(const QString& path, bool autoExpand) {
    CMemorySettingsStore settings;
    SetSwitchSetting(settings, SwitchAutoExpand, autoExpand);
    CShellPrompts prompts;
    CMainFrame frame(settings, prompts);
    ShowFrame(frame);
    COrvexView& view = frame.GetView();

    // From the open command to the first frame painted (the log is filled on the way).
    QElapsedTimer timer;
    timer.start();
    if (!frame.OpenMediaFile(path)) return false;
    view.WaitForParse();
    if (!view.GetDocument().IsParsed()) return false;
    const double parsed = Milliseconds(timer);
    QCoreApplication::processEvents();
    view.viewport()->repaint();
    const double firstFrame = Milliseconds(timer);
    const double resident = StatusMb("VmRSS:");
    const double peak = StatusMb("VmHWM:");
    std::printf("%s tree: %zu nodes, %zu displayed, content %d x %d\n",
                autoExpand ? "expanded" : "collapsed", view.GetDocument().GetNodes().size(),
                view.GetGeometry().GetCount(), view.GetContentSize().width(),
                view.GetContentSize().height());
    std::printf("  open and parse %.0f ms; peak resident memory %.1f MB\n", parsed, peak);
    Report("open command to first frame painted", firstFrame, kFirstFrameMs, "ms");
    Report("resident memory after it (VmRSS)", resident, kResidentMb, "MB");

    // One screen painted at a position, the worse of two paints.
    auto paintAt = [&](int position) {
        view.verticalScrollBar()->setValue(position);
        double worst = 0;
        for (int i = 0; i < 2; ++i) {
            QElapsedTimer paint;
            paint.start();
            view.viewport()->repaint();
            worst = std::max(worst, Milliseconds(paint));
        }
        return worst;
    };
    auto paintTopMiddleEnd = [&](const char* when) {
        const int maximum = view.verticalScrollBar()->maximum();
        const struct {
            const char* name;
            int position;
        } places[] = {{"top", 0}, {"middle", maximum / 2}, {"end", maximum}};
        for (const auto& place : places) {
            const std::string what = std::string("one screen at the ") + place.name + when;
            Report(what.c_str(), paintAt(place.position), kScreenMs, "ms");
        }
        // The worst of 41 positions from the top to the end, where the others may miss a spike.
        double worst = 0;
        for (int step = 0; step <= 40; ++step)
            worst = std::max(worst, paintAt(static_cast<int>(int64_t{maximum} * step / 40)));
        Report((std::string("one screen, worst of 41 positions") + when).c_str(), worst, kScreenMs,
               "ms");
    };
    paintTopMiddleEnd("");

    // Expanding and collapsing a node, each up to the frame painted after it. In a collapsed
    // tree a table's box is out of sight, so only 'mdat' is toggled there.
    const CNodeList& nodes = view.GetDocument().GetNodes();
    auto toggle = [&](std::string_view type) {
        size_t node = 0;
        while (node < nodes.size() && !(nodes.IsBox(node) && nodes.GetTitle(node) == type))
            ++node;
        if (node == nodes.size()) return;
        for (int round = 0; round < 2; ++round) {
            const bool wasExpanded = nodes.IsExpanded(node);
            view.verticalScrollBar()->setValue(0);
            QElapsedTimer clock;
            clock.start();
            view.ToggleNode(node);
            view.viewport()->repaint();
            const double ms = Milliseconds(clock);
            const std::string what = std::string(wasExpanded ? "collapse '" : "expand '") +
                                     std::string(type) + "' and paint";
            Report(what.c_str(), ms, kToggleMs, "ms");
            if (!wasExpanded && type == "mdat") paintTopMiddleEnd(" ('mdat' open)");
        }
    };
    toggle("mdat");
    if (autoExpand) toggle("stsz");
    std::printf("  peak resident memory at the end (VmHWM) %.1f MB\n", StatusMb("VmHWM:"));
    std::fflush(stdout);
    return true;
}

bool MeasureResponsiveness(const QString& path) {
    CMemorySettingsStore settings;
    CShellPrompts prompts;

    // On the window's thread: the open returns once the parse is over.
    double synchronous = 0;
    {
        CMainFrame frame(settings, prompts);
        ShowFrame(frame);
        frame.GetView().SetQuickParseWait(std::chrono::hours(1));
        QElapsedTimer timer;
        timer.start();
        if (!frame.OpenMediaFile(path) || !frame.GetView().GetDocument().IsParsed()) return false;
        synchronous = Milliseconds(timer);
    }

    CMainFrame frame(settings, prompts);
    ShowFrame(frame);
    COrvexView& view = frame.GetView();
    QEventLoop loop;
    QObject::connect(&view, &COrvexView::busyChanged, &loop, [&](bool busy) {
        if (!busy) loop.quit();
    });
    QElapsedTimer sinceTick;
    double largestGap = 0;
    int ticks = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        largestGap = std::max(largestGap, Milliseconds(sinceTick));
        sinceTick.restart();
        ++ticks;
    });
    QElapsedTimer timer;
    timer.start();
    sinceTick.start();
    probe.start();
    // The open itself (and its short wait for a small file) counts as a gap too.
    if (!frame.OpenMediaFile(path)) return false;
    if (view.IsParsing()) loop.exec();
    const double background = Milliseconds(timer);
    // The tick after the new tree was shown ends the last gap.
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    probe.stop();
    largestGap = std::max(largestGap, Milliseconds(sinceTick));
    if (!view.GetDocument().IsParsed()) return false;
    std::printf(
        "parse of %zu nodes on the window's thread %.0f ms, on a worker %.0f ms "
        "(%d ticks of the 10 ms timer meanwhile)\n",
        view.GetDocument().GetNodes().size(), synchronous, background, ticks);
    Report("largest gap between timer ticks during the parse", largestGap, kRepaintGapMs, "ms");
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool autoExpand = argc == 3 && std::strcmp(argv[1], "--auto-expand") == 0;
    const bool responsiveness = argc == 3 && std::strcmp(argv[1], "--responsiveness") == 0;
    if (argc != 2 && !autoExpand && !responsiveness) {
        std::fputs("Usage: orvex_view_bench [--auto-expand | --responsiveness] MEDIA_FILE\n",
                   stderr);
        return 64;
    }
    QApplication app(argc, argv);
    const char* file = argv[argc - 1];
    const QString path = QString::fromLocal8Bit(file);
    if (!(responsiveness ? MeasureResponsiveness(path) : Measure(path, autoExpand))) {
        std::fprintf(stderr, "orvex_view_bench: %s did not parse\n", file);
        return 1;
    }
    return 0;
}
