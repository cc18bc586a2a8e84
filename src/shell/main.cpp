// orvex: the desktop viewer. `orvex [MEDIA_FILE]` opens the window, and MEDIA_FILE in it.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "model/FileReader.h"
#include "shell/MainFrame.h"
#include "shell/SettingsFileStore.h"
#include "shell/ShellPrompts.h"

namespace {

constexpr int kExitUsage = 64;

void PrintUsage(std::FILE* to) {
    std::fputs(
        "Usage: orvex [MEDIA_FILE]\n"
        "Shows an ISO base media file (MP4, 3GP, 3G2, Mobile MP4) as a tree of boxes, with its\n"
        "parse log. Without MEDIA_FILE the window opens empty; use File > Open Media File.\n"
        "\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and exit\n"
        "\n"
        "Without a display, set QT_QPA_PLATFORM=offscreen, or use orvex-dump for the text.\n"
        "Settings are kept in $ORVEX_CONFIG_DIR, $XDG_CONFIG_HOME/Orvex or ~/.config/Orvex.\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version need no display: answer them before Qt looks for one.
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            PrintUsage(stdout);
            return 0;
        }
        if (arg == QLatin1String("--version")) {
            std::printf("orvex (Orvex) %s\n", ORVEX_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvex"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEX_VERSION));

    // Qt has taken its own options (-platform, ...) out of the list by now.
    QString mediaPath;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            std::fprintf(stderr, "orvex: unknown option '%s'\n", arg.toLocal8Bit().constData());
            PrintUsage(stderr);
            return kExitUsage;
        }
        if (!mediaPath.isEmpty()) {
            std::fprintf(stderr, "orvex: only one media file can be given\n");
            return kExitUsage;
        }
        mediaPath = arg;
    }

    CSettingsFileStore settings(CSettingsFileStore::DefaultFilePath());
    CShellPrompts prompts;
    CMainFrame frame(settings, prompts);
    frame.RestorePlacement();
    frame.show();
    if (!mediaPath.isEmpty()) {
        // Once the window is up, so that the parse runs in view of its busy cursor. A file that
        // cannot be opened is also named on standard error, before the window's message waits
        // for the user.
        QTimer::singleShot(0, &frame, [&frame, mediaPath] {
            const std::string localPath = QFile::encodeName(mediaPath).toStdString();
            if (!CFileReader().Open(localPath.c_str())) {
                std::fprintf(stderr, "orvex: cannot open '%s': %s\n", localPath.c_str(),
                             DescribeOpenFailure(localPath).c_str());
            }
            frame.OpenUserFile(mediaPath);
        });
    }
    return QApplication::exec();
}
