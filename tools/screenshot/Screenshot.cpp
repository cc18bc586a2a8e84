// Makes docs/screenshot.png: the window on a real file, grabbed as an image. Run by
// `ninja -C build screenshot`, which needs no display (QT_QPA_PLATFORM=offscreen):
//
//   orvex_screenshot OUTPUT.png
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>

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
    // The whole tree expanded, as most users keep it, except the sample lines.
    SetSwitchSetting(settings, SwitchAutoExpand, true);
    SetSwitchSetting(settings, SwitchNoExpandMDAT, true);
    SetSwitchSetting(settings, SwitchNoExpandQI, true);
    CShellPrompts prompts;
    CMainFrame frame(settings, prompts);
    frame.resize(1100, 860);
    frame.show();
    if (!frame.OpenMediaFile(QStringLiteral(ORVEX_SOURCE_DIR "/tests/data/h264_aac.mp4"))) {
        std::fputs("orvex_screenshot: cannot open tests/data/h264_aac.mp4\n", stderr);
        return 1;
    }
    // From just above 'moov': the nesting of the boxes shows best there.
    COrvexView& view = frame.GetView();
    const auto& nodes = view.GetDocument().GetViewBoxes();
    const auto moov = std::find_if(nodes.begin(), nodes.end(), [](const auto& node) {
        return node->GetShortTypeNameLayer() && node->GetShortTypeNameLayer()->Text() == "moov";
    });
    const CTreeGeometry& geometry = view.GetGeometry();
    const size_t at = geometry.FindNode(static_cast<size_t>(moov - nodes.begin()));
    view.verticalScrollBar()->setValue(static_cast<int>(geometry.GetPlacement(at).top) - 5);
    QCoreApplication::processEvents();

    if (!frame.grab().toImage().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "orvex_screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
