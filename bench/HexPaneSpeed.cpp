// Timings of the hex pane on a 4 GiB sparse file, run by hand. Nothing is checked by a test:
// the figures are printed beside their target.
//
//   ninja -C build orvex_hex_bench
//   QT_QPA_PLATFORM=offscreen build/bench/orvex_hex_bench [FILE]
//
// Without FILE, a sparse file of 4 GiB is made in the temporary folder (an 'mdat' with a 64-bit
// size at its start, the rest a hole) and removed afterwards. One screen is painted near the
// start, the middle and the end of the file: at ten places each that were never read (the rows
// read from the file), the median and the slowest, and then again at the last of them (from the
// pane's pages), the median. The machine is shared: a slowest far above the median is another
// process taking the core.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "document/Settings.h"
#include "shell/HexPane.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ShellPrompts.h"

namespace {

constexpr double kScreenMs = 16;
constexpr uint64_t kFourGiB = uint64_t{1} << 32;
constexpr int kPlaces = 10;
constexpr int kRepeats = 21;
// Rows between two places: more than the pane keeps.
constexpr uint64_t kPlaceDistance = 100000;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double PaintMs(CHexPane& pane, QImage& image) {
    QElapsedTimer timer;
    timer.start();
    QPainter painter(&image);
    pane.PaintContents(painter);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// 'mdat' of 4 GiB: size 1, type, 64-bit size; the rest is a hole.
bool MakeSparseFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const unsigned char header[16] = {0, 0, 0, 1, 'm', 'd', 'a', 't', 0, 0, 0, 1, 0, 0, 0, 0};
    return file.write(reinterpret_cast<const char*>(header), sizeof header) == sizeof header &&
           file.resize(static_cast<qint64>(kFourGiB));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool made = argc < 2;
    const QString path = made ? QDir::temp().filePath(QStringLiteral("orvex-hex-bench.mp4"))
                              : QString::fromLocal8Bit(argv[1]);
    if (made && !MakeSparseFile(path)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(path));
        return 1;
    }
    CMemorySettingsStore settings;
    settings.WriteValue(kSettingsKey, "Hex Pane", SettingValue::Number(1));
    CShellPrompts prompts;
    CMainFrame frame(settings, prompts);
    frame.resize(1280, 900);
    frame.show();
    QCoreApplication::processEvents();
    if (!frame.OpenMediaFile(path)) return 1;
    // Shaded as the user sees it: the 'mdat' selected.
    frame.GetView().SelectByteOffset(0);
    CHexPane& pane = frame.GetHexPane();
    QCoreApplication::processEvents();
    QImage image(pane.viewport()->size(), QImage::Format_RGB32);
    std::printf("%s: %llu rows, a screen of %dx%d pixels\n", qPrintable(path),
                static_cast<unsigned long long>(pane.GetRowCount()), image.width(), image.height());

    // The last place of the end is the file's last screen.
    const uint64_t span = (kPlaces - 1) * kPlaceDistance;
    const struct {
        const char* where;
        uint64_t firstRow;
    } places[] = {
        {"start", 0}, {"middle", pane.GetRowCount() / 2}, {"end", pane.GetRowCount() - span}};
    bool pass = true;
    for (const auto& place : places) {
        std::vector<double> cold, warm;
        for (int i = 0; i < kPlaces; ++i) {
            pane.ScrollToRow(place.firstRow + static_cast<uint64_t>(i) * kPlaceDistance);
            cold.push_back(PaintMs(pane, image));
        }
        for (int i = 0; i < kRepeats; ++i)
            warm.push_back(PaintMs(pane, image));
        const double median = Median(cold);
        pass = pass && median <= kScreenMs && !pane.ShowsReadFailure();
        std::printf(
            "  %-7s rows read: median %6.3f ms, slowest %6.3f ms; cached: %6.3f ms %s "
            "(at most %g ms)\n",
            place.where, median, *std::max_element(cold.begin(), cold.end()), Median(warm),
            median <= kScreenMs ? "PASS" : "FAIL", kScreenMs);
    }
    if (made) QFile::remove(path);
    return pass ? 0 : 1;
}
