// orvex-dump: the headless twin of the viewer. Parses one media file and prints the tree
// of boxes exactly as the viewer's whole-tree text export writes it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "document/DocumentView.h"
#include "document/Integrity.h"
#include "document/JsonExport.h"
#include "document/OrvexDoc.h"
#include "document/ParseControl.h"
#include "document/Settings.h"
#include "document/TreeExport.h"
#include "model/FileReader.h"
#include "model/TextConversion.h"
#include "parsing/LogWriter.h"
#include "presentation/FixedMetricSurface.h"

namespace {
constexpr int kExitUsage = 64;
constexpr int kExitCannotOpen = 66;
constexpr char kVersion[] = "orvex-dump (Orvex) " ORVEX_VERSION;

void PrintUsage(std::FILE* to) {
    std::fputs(
        "Usage: orvex-dump [--format text|json] [--indent] [--classic] [--output FILE]\n"
        "                  [--log FILE] [--init INIT_FILE] MEDIA_FILE\n"
        "       orvex-dump --check MEDIA_FILE...\n"
        "Parses an ISO base media file (MP4, 3GP, 3G2, Mobile MP4) and writes its tree of\n"
        "boxes as text, exactly as the viewer's \"Export To\" command writes it.\n"
        "\n"
        "  --format FMT   text (the default) or json\n"
        "  --indent       indent every node by its depth with tab characters (text only)\n"
        "  --classic      decode only the classic box set, as the viewer's option does\n"
        "  --output FILE  write the text to FILE instead of standard output\n"
        "  --log FILE     write the parse log to FILE ('-' for standard error)\n"
        "  --init INIT_FILE  read MEDIA_FILE, a media segment, with the tracks of its init\n"
        "                 segment INIT_FILE; both trees are written, the init's first\n"
        "  --check        list what is wrong with each MEDIA_FILE instead of the tree\n"
        "  --help         show this help and exit\n"
        "  --version      show the version and exit\n"
        "\n"
        "The text starts with \"Parsed File Name : MEDIA_FILE\", then every node of the tree,\n"
        "displayed or not; lines end with CR LF and each character is one byte. Settings are\n"
        "not read: the defaults apply, so every box Orvex knows is decoded unless --classic\n"
        "is given. Nothing is written when the parse fails.\n"
        "\n"
        "With --format json one JSON document (UTF-8) is written instead, as the viewer's\n"
        "\"JSON File\" export writes it, also when the parse fails: then with the result, its\n"
        "message and the log's errors, and no boxes.\n"
        "\n"
        "Exit status: 0 when the file parsed completely; 1 to 6 the parse result (its message\n"
        "on standard error); 66 when the file cannot be opened or the output cannot be\n"
        "written; 64 for a usage error.\n"
        "\n"
        "With --init the init segment is parsed first and its tree written under the line\n"
        "\"Init Segment File Name : INIT_FILE\"; the segment's tree follows as usual, its\n"
        "media data view and quick information computed with the init's track kinds,\n"
        "timescales, 'trex' defaults and 'tenc' IV sizes. With --format json the document\n"
        "is {\"initSegment\": <export of INIT_FILE>, \"segment\": <export of MEDIA_FILE>}.\n"
        "The exit status is the worse of the two parses; with --classic both files are read\n"
        "one after the other, each on its own.\n"
        "\n"
        "With --check each finding is one line \"FILE:0xOFFSET: SEVERITY: ID: SENTENCE\"\n"
        "(severity error, warning or note), then one summary line per file. Exit status: 0\n"
        "when no file has an error, 1 when one has, 66 when a file cannot be opened.\n",
        to);
}

// The document's window, without a window: nodes are measured with fixed metrics, scrolling
// is moot and messages go to standard error.
class CConsoleView : public IDocumentView {
public:
    IDrawingSurface& GetMeasureSurface() override { return m_surface; }
    bool ShowsGeometry() const override { return false; }
    void ScrollToOrigin() override {}
    void SetScrollSize(int32_t, int32_t) override {}
    void Invalidate() override {}
    void ShowWarning(const std::string&, const std::string& text) override {
        if (m_file.empty()) {
            std::fprintf(stderr, "orvex-dump: %s\n", text.c_str());
        } else {
            std::fprintf(stderr, "orvex-dump: %s: %s\n", m_file.c_str(), text.c_str());
        }
    }
    // With two files, each message names the one it is about.
    void NameFile(const std::string& path) { m_file = path; }

private:
    CFixedMetricSurface m_surface;
    std::string m_file;
};

// The log when nobody asked for it: the trace of a million boxes would take tens of megabytes
// for nothing, so only the counters are kept.
class CCountingLogWriter : public CLogWriterBase {
public:
    int PrintText(std::string_view) override { return 0; }
    bool WantsText() const override { return false; }
    int Clear() override { return 0; }
    int SaveToFile(const std::string&) override { return 0; }
};

// Ends the process once everything is written. The tree of a large file holds millions of
// nodes, and freeing them one by one takes a sixth of the whole run, while the system takes the
// memory back at once. Builds with AddressSanitizer still tear the document down, so that the
// leak check keeps watching its destructors.
// --check: the findings of each file, one line each, and a summary line per file. Returns 1
// when a file has an error-level finding (or fails to parse), 66 when one cannot be opened.
int CheckFiles(const std::vector<std::string>& paths) {
    int status = 0;
    for (const std::string& path : paths) {
        CCountingLogWriter counts;
        CConsoleView view;
        CMemorySettingsStore settings;
        SetSwitchSetting(settings, SwitchAutoParse, false);
        COrvexDoc document(view, &counts, settings);
        CParseControl control(document, view, settings);
        if (!control.OpenFile(path)) {
            std::fprintf(stderr, "orvex-dump: cannot open '%s': %s\n", path.c_str(),
                         DescribeOpenFailure(path).c_str());
            status = kExitCannotOpen;
            continue;
        }
        const int32_t result = control.StartParsing();
        uint64_t bySeverity[3] = {};
        for (const Finding& f : document.GetFindings()) {
            const std::string_view severity = SeverityName(f.severity);
            std::printf("%s:0x%08llX: %.*s: %.*s: %s\n", path.c_str(),
                        static_cast<unsigned long long>(f.offset),
                        static_cast<int>(severity.size()), severity.data(),
                        static_cast<int>(f.id.size()), f.id.data(), f.sentence.c_str());
            ++bySeverity[static_cast<int>(f.severity)];
        }
        std::printf("%s: %llu errors, %llu warnings, %llu notes (parse result %d)\n", path.c_str(),
                    static_cast<unsigned long long>(bySeverity[0]),
                    static_cast<unsigned long long>(bySeverity[1]),
                    static_cast<unsigned long long>(bySeverity[2]), static_cast<int>(result));
        if ((bySeverity[0] != 0 || result != 0) && status == 0) status = 1;
    }
    return std::fflush(stdout) == 0 ? status : kExitCannotOpen;
}

int ExitWithoutTeardown(int status) {
#if !defined(__SANITIZE_ADDRESS__)
    std::fflush(nullptr);
    std::_Exit(status);
#endif
    return status;
}
// What an option that takes a value needs, for the message when it is missing; null for an
// option without a value.
const char* ValueNeeded(const std::string& option) {
    if (option == "--format") return "a format: text or json";
    if (option == "--output" || option == "--log" || option == "--init") return "a file name";
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    bool indent = false;
    bool json = false;
    bool classic = false;
    bool check = false;
    std::vector<std::string> checkPaths;
    std::string outputPath;
    std::string logPath;
    std::string mediaPath;
    std::string initPath;
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
        } else if (arg == "--classic") {
            classic = true;
        } else if (arg == "--check") {
            check = true;
        } else if (const char* needs = ValueNeeded(arg)) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "orvex-dump: option '%s' needs %s\n", arg.c_str(), needs);
                PrintUsage(stderr);
                return kExitUsage;
            }
            const std::string value = argv[++i];
            if (arg == "--format") {
                if (value != "text" && value != "json") {
                    std::fprintf(stderr, "orvex-dump: unknown format '%s' (text or json)\n",
                                 value.c_str());
                    PrintUsage(stderr);
                    return kExitUsage;
                }
                json = value == "json";
            } else if (arg == "--init") {
                initPath = value;
            } else {
                (arg == "--output" ? outputPath : logPath) = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "orvex-dump: unknown option '%s'\n", arg.c_str());
            PrintUsage(stderr);
            return kExitUsage;
        } else if (check) {
            checkPaths.push_back(arg);
        } else if (mediaPath.empty()) {
            mediaPath = arg;
        } else {
            std::fprintf(stderr, "orvex-dump: only one media file can be given\n");
            return kExitUsage;
        }
    }
    if (check) {
        if (!mediaPath.empty()) checkPaths.insert(checkPaths.begin(), mediaPath);
        if (checkPaths.empty() || classic || json || indent || !outputPath.empty() ||
            !logPath.empty() || !initPath.empty()) {
            // The classic reading has no integrity report; the other options shape a tree.
            std::fprintf(stderr, "orvex-dump: --check takes media files and no other option\n");
            return kExitUsage;
        }
        return ExitWithoutTeardown(CheckFiles(checkPaths));
    }
    if (mediaPath.empty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (json && indent) {
        // JSON has its own structure; tabs before its lines would only add bytes.
        std::fprintf(stderr, "orvex-dump: --indent is for the text format only\n");
        return kExitUsage;
    }

    CStringLogWriter log;
    CCountingLogWriter counts;
    ILogWriter* const logWriter = logPath.empty() ? static_cast<ILogWriter*>(&counts) : &log;
    CConsoleView view;
    CMemorySettingsStore settings;  // empty: every default
    // The one parse is started below, where its result is wanted: after a failed automatic
    // parse, StartParsing would parse the whole file a second time.
    SetSwitchSetting(settings, SwitchAutoParse, false);
    SetSwitchSetting(settings, SwitchClassicBoxSet, classic);
    COrvexDoc document(view, logWriter, settings);
    // The init segment is read first, in a document of its own whose facts the segment's
    // parse starts from.
    CConsoleView initView;
    std::unique_ptr<COrvexDoc> initDocument;
    int32_t initResult = 0;
    if (!initPath.empty()) {
        initView.NameFile(initPath);
        view.NameFile(mediaPath);
        initDocument = std::make_unique<COrvexDoc>(initView, logWriter, settings);
        CParseControl initControl(*initDocument, initView, settings);
        if (!initControl.OpenFile(initPath)) {
            std::fprintf(stderr, "orvex-dump: cannot open '%s': %s\n", initPath.c_str(),
                         DescribeOpenFailure(initPath).c_str());
            return kExitCannotOpen;
        }
        initResult = initControl.StartParsing();
        document.UseInitSegment(initDocument.get());
    }
    CParseControl control(document, view, settings);
    if (!control.OpenFile(mediaPath)) {
        std::fprintf(stderr, "orvex-dump: cannot open '%s': %s\n", mediaPath.c_str(),
                     DescribeOpenFailure(mediaPath).c_str());
        return kExitCannotOpen;
    }
    const int32_t result = std::max(initResult, control.StartParsing());

    if (!logPath.empty()) {
        if (logPath == "-") {
            std::string bytes = Utf8ToSingleByte(log.GetText());
            std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        } else if (!log.SaveToFile(logPath)) {
            std::fprintf(stderr, "orvex-dump: cannot write the log to '%s'\n", logPath.c_str());
        }
    }
    if (result != 0 && !json) return result;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> outputFile(
        outputPath.empty() ? nullptr : std::fopen(outputPath.c_str(), "wb"), &std::fclose);
    std::FILE* const out = outputPath.empty() ? stdout : outputFile.get();
    bool written = out != nullptr;
    if (written && json) {
        written = initDocument
                      ? WriteSegmentWithInitJson(*initDocument, initPath, document, mediaPath, out)
                      : WriteTreeJson(document, mediaPath, out);
    } else if (written) {
        CSingleByteFileSink sink(out);
        if (initDocument)
            WriteTreeText(initDocument->GetNodes(), initPath, indent, sink,
                          "Init Segment File Name");
        WriteTreeText(document.GetNodes(), mediaPath, indent, sink);
        written = sink.Ok() && std::fflush(out) == 0;
    }
    if (outputFile && std::fclose(outputFile.release()) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "orvex-dump: cannot write '%s'\n",
                     outputPath.empty() ? "standard output" : outputPath.c_str());
        return kExitCannotOpen;
    }
    return ExitWithoutTeardown(result);
}
