// Timings of the hex pane on a 4 GiB sparse file, run by hand. Nothing is checked by a test:
// the figures are printed beside their target.
//
//   ninja -C build orvex_hex_bench
//   QT_QPA_PLATFORM=offscreen build/bench/orvex_hex_bench [FILE]
//
// Without FILE, a sparse file of 4 GiB is made in the temporary folder (an 'mdat' with a 64-bit
// size at its start, the rest a hole) and removed afterwards. One screen is painted at the
// start, the middle and the end of the file: the first painting there (its rows read from the
// file) and the best of the next ones (from the pane's pages).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>

#include "document/Settings.h"
#include "shell/HexPane.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ShellPrompts.h"

namespace {

constexpr double kScreenMs = 16;
constexpr uint64_t kFourGiB = uint64_t{1} << 32;
constexpr int kRepeats = 20;

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

    const struct {
        const char* where;
        uint64_t row;
    } places[] = {{"start", 0}, {"middle", pane.GetRowCount() / 2}, {"end", pane.GetRowCount()}};
    bool pass = true;
    for (const auto& place : places) {
        pane.ScrollToRow(place.row);
        const double first = PaintMs(pane, image);
        double best = first;
        for (int i = 0; i < kRepeats; ++i)
            best = std::min(best, PaintMs(pane, image));
        pass = pass && first <= kScreenMs && !pane.ShowsReadFailure();
        std::printf("  %-8s (top row %llu) first %7.3f ms, then %7.3f ms %s (at most %g ms)\n",
                    place.where, static_cast<unsigned long long>(pane.GetTopRow()), first, best,
                    first <= kScreenMs ? "PASS" : "FAIL", kScreenMs);
    }
    if (made) QFile::remove(path);
    return pass ? 0 : 1;
}
