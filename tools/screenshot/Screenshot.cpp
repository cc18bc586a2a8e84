// Makes docs/screenshot.png: the window on a real file, grabbed as an image. Run by
// `ninja -C build screenshot`, which needs no display (QT_QPA_PLATFORM=offscreen):
//
//   orvex_screenshot OUTPUT.png
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <cstdio>

#include "document/OrvexDoc.h"
#include "document/Settings.h"
#include "shell/MainFrame.h"
#include "shell/OrvexView.h"
#include "shell/ShellPrompts.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: orvex_screenshot OUTPUT.png\n", stderr);
        return 64;
    }
    QApplication app(argc, argv);
    CMemorySettingsStore settings;
    // The whole tree expanded, as most users keep it, except the sample lines; the hex pane on.
    SetSwitchSetting(settings, SwitchAutoExpand, true);
    SetSwitchSetting(settings, SwitchNoExpandMDAT, true);
    SetSwitchSetting(settings, SwitchNoExpandQI, true);
    SetFlagSetting(settings, kHexPaneSetting, true);

    // The status bar names the file: a copy in a folder that says nothing of this machine.
    const QString folder = QDir::tempPath() + QStringLiteral("/Videos");
    const QString sample = folder + QStringLiteral("/h264_aac.mp4");
    QDir().mkpath(folder);
    QFile::remove(sample);
    if (!QFile::copy(QStringLiteral(ORVEX_SOURCE_DIR "/tests/data/h264_aac.mp4"), sample)) {
        std::fprintf(stderr, "orvex_screenshot: cannot copy the sample to %s\n",
                     qPrintable(sample));
        return 1;
    }
    CShellPrompts prompts;
    CMainFrame frame(settings, prompts);
    frame.resize(1500, 860);
    frame.show();
    COrvexView& view = frame.GetView();
    const bool opened = frame.OpenMediaFile(sample);
    view.WaitForParse();
    QFile::remove(sample);
    if (!opened || !view.GetDocument().IsParsed()) {
        std::fputs("orvex_screenshot: cannot open tests/data/h264_aac.mp4\n", stderr);
        return 1;
    }
    // 'moov' selected, from just above it: the nesting of the boxes shows best there, and the
    // hex pane shades its header and children.
    CNodeList& nodes = view.GetDocument().GetNodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes.IsBox(i) && nodes.GetTitle(i) == "moov") {
            view.SelectNode(i);
            const CTreeGeometry& geometry = view.GetGeometry();
            const size_t at = geometry.FindNode(i);
            view.verticalScrollBar()->setValue(static_cast<int>(geometry.GetPlacement(at).top) - 5);
            break;
        }
    }
    QCoreApplication::processEvents();

    if (!frame.grab().toImage().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "orvex_screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
