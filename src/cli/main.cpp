// orvex-dump: the headless twin of the viewer. Parses one media file and prints the tree
// of boxes as the viewer's whole-tree text export writes it.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "model/TextConversion.h"
#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/LogWriter.h"
#include "parsing/MobileMP4BoxParsingHandler.h"

namespace {
constexpr int kExitUsage = 64;
constexpr int kExitCannotOpen = 66;
constexpr char kVersion[] = "orvex-dump (Orvex) 1.1.9";

void PrintUsage(std::FILE* to) {
    std::fputs(
        "Usage: orvex-dump [--indent] [--output FILE] [--log FILE] MEDIA_FILE\n"
        "Parses an ISO base media file (MP4, 3GP, 3G2, Mobile MP4) and writes its tree of\n"
        "boxes as text, exactly as the viewer's \"Export To\" command writes it.\n"
        "\n"
        "  --indent       indent every node by its depth with tab characters\n"
        "  --output FILE  write the text to FILE instead of standard output\n"
        "  --log FILE     write the parse log to FILE ('-' for standard error)\n"
        "  --help         show this help and exit\n"
        "  --version      show the version and exit\n"
        "\n"
        "The text starts with \"Parsed File Name : MEDIA_FILE\"; lines end with CR LF and each\n"
        "character is one byte. This version writes that first line only: the tree of boxes\n"
        "follows once the presentation is in place.\n"
        "\n"
        "Exit status: 0 when the file parsed completely; 1 to 6 the parse result (its message\n"
        "on standard error); 66 when the file cannot be opened; 64 for a usage error.\n",
        to);
}

// A callback processor that keeps nothing: the parse is run for its log and result.
class CTraceOnly : public IParserCallbackProcessor {
public:
    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box*) override { return 0; }
    int32_t OnBoxList(size_t, const std::vector<std::unique_ptr<ISOFileFormat::Box>>&) override {
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry*) override { return 0; }
    int32_t OnParseEnd() override { return 0; }
};

// Why a path cannot be opened as a media file, for the user.
std::string DescribeOpenFailure(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "is a directory";
    if (!S_ISREG(st.st_mode)) return "is not a regular file";
    return "cannot be read";
}
}  // namespace

int main(int argc, char** argv) {
    bool indent = false;
    std::string outputPath;
    std::string logPath;
    std::string mediaPath;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("%s\n", kVersion);
            return 0;
        }
        if (arg == "--indent") {
            indent = true;
        } else if ((arg == "--output" || arg == "--log") && i + 1 < argc) {
            (arg == "--output" ? outputPath : logPath) = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            std::fprintf(stderr, "orvex-dump: unknown option '%s'\n", arg.c_str());
            PrintUsage(stderr);
            return kExitUsage;
        } else if (mediaPath.empty()) {
            mediaPath = arg;
        } else {
            std::fprintf(stderr, "orvex-dump: only one media file can be given\n");
            return kExitUsage;
        }
    }
    if (mediaPath.empty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    (void)indent;

    CStringLogWriter log;
    CTraceOnly trace;
    CISOFileFormatParser parser(&trace, &log);
    parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    if (!parser.Open(mediaPath.c_str())) {
        std::fprintf(stderr, "orvex-dump: cannot open '%s': %s\n", mediaPath.c_str(),
                     DescribeOpenFailure(mediaPath).c_str());
        return kExitCannotOpen;
    }
    int32_t result = parser.Parse();

    if (!logPath.empty()) {
        if (logPath == "-") {
            std::string bytes = Utf8ToSingleByte(log.GetText());
            std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        } else if (!log.SaveToFile(logPath)) {
            std::fprintf(stderr, "orvex-dump: cannot write the log to '%s'\n", logPath.c_str());
        }
    }

    std::string text = Utf8ToSingleByte("Parsed File Name : " + mediaPath) + "\r\n";
    if (outputPath.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
            std::fprintf(stderr, "orvex-dump: cannot write '%s'\n", outputPath.c_str());
            return kExitCannotOpen;
        }
    }

    if (result != ParseOk) {
        std::fprintf(stderr, "orvex-dump: %s\n", GetParseResultMessage(result));
        return result;
    }
    return 0;
}
