// Timings and memory of the box view on a big file, run by hand. Nothing is checked by a test:
// the figures are printed beside their targets.
//
//   bench/make_synthetic_mp4.py --samples 1000000 --output /tmp/big.mp4
//   ninja -C build orvex_view_bench
//   QT_QPA_PLATFORM=offscreen build/bench/orvex_view_bench [--auto-expand] /tmp/big.mp4
//
// One process measures one opening, so that its memory figures are the viewer's alone.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
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

}  // namespace

int main(int argc, char** argv) {
    const bool autoExpand = argc == 3 && std::strcmp(argv[1], "--auto-expand") == 0;
    if (argc != 2 && !autoExpand) {
        std::fputs("Usage: orvex_view_bench [--auto-expand] MEDIA_FILE\n", stderr);
        return 64;
    }
    QApplication app(argc, argv);
    const char* file = argv[argc - 1];
    if (!Measure(QString::fromLocal8Bit(file), autoExpand)) {
        std::fprintf(stderr, "orvex_view_bench: %s did not parse\n", file);
        return 1;
    }
    return 0;
}
