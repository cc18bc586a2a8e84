// Runs orvex-dump on the real media files and compares what it prints, byte for byte, with the
// exports committed under tests/data/expected (each checked by hand when it was first made;
// tools/update-expected-exports.sh rewrites them after a deliberate change of the output).
//
// An expected file names its media file on its first line, "Parsed File Name : NAME", exactly
// as orvex-dump was given it: orvex-dump runs in tests/data with that NAME, so the line comes
// out the same. "<NAME>.indented.txt" holds the --indent form. TZ=UTC pins the dates, which
// are shown in local time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {
namespace fs = std::filesystem;

const fs::path kDataDir = ORVEX_TEST_DATA_DIR;
const fs::path kExpectedDir = kDataDir / "expected";
constexpr std::string_view kFirstLinePrefix = "Parsed File Name : ";
constexpr std::string_view kIndentedSuffix = ".indented.txt";

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

struct DumpRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
};

// orvex-dump ARGS in `workingDir` with TZ=UTC, its standard output captured through a pipe.
// No shell: the arguments reach it as they are.
DumpRun RunDump(const fs::path& workingDir, const std::vector<std::string>& args) {
    DumpRun run;
    int fds[2];
    if (::pipe(fds) != 0) return run;
    std::vector<std::string> argv{ORVEX_DUMP_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& arg : argv)
        cargv.push_back(arg.data());
    cargv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        if (::chdir(workingDir.c_str()) != 0) ::_exit(127);
        ::setenv("TZ", "UTC", 1);
        ::execv(cargv[0], cargv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return run;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got > 0) {
            run.out.append(buffer, static_cast<size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fds[0]);
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    return run;
}

// Where two texts first differ, by line (lines end in CR LF), for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    const auto mismatch =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const size_t at = static_cast<size_t>(mismatch.first - expected.begin());
    const size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t from = lineStart == std::string::npos || at == 0 ? 0 : lineStart + 1;
    const size_t line = static_cast<size_t>(
        std::count(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(from), '\n'));
    auto lineAt = [from](const std::string& text) {
        if (from >= text.size()) return std::string("<end of text>");
        return text.substr(from, text.find('\n', from) - from);
    };
    return "first difference at byte " + std::to_string(at) + ", line " + std::to_string(line + 1) +
           "\n  expected: " + lineAt(expected) + "\n  actual:   " + lineAt(actual) + "\n(sizes " +
           std::to_string(expected.size()) + " and " + std::to_string(actual.size()) + " bytes)";
}

std::vector<std::string> ExpectedFiles() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kExpectedDir, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && EndsWith(name, ".txt")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ExpectedExport : public ::testing::TestWithParam<std::string> {};

TEST_P(ExpectedExport, OrvexDumpPrintsItByteForByte) {
    const std::string expected = ReadWholeFile(kExpectedDir / GetParam());
    ASSERT_EQ(expected.rfind(kFirstLinePrefix, 0), 0u) << GetParam() << " has no first line";
    const size_t lineEnd = expected.find("\r\n");
    ASSERT_NE(lineEnd, std::string::npos);
    const std::string mediaName =
        expected.substr(kFirstLinePrefix.size(), lineEnd - kFirstLinePrefix.size());
    ASSERT_TRUE(fs::is_regular_file(kDataDir / mediaName)) << mediaName;

    std::vector<std::string> args;
    if (EndsWith(GetParam(), kIndentedSuffix)) args.push_back("--indent");
    args.push_back(mediaName);
    const DumpRun run = RunDump(kDataDir, args);
    ASSERT_EQ(run.status, 0) << "orvex-dump " << mediaName;
    EXPECT_TRUE(run.out == expected)
        << GetParam() << ": " << FirstDifference(expected, run.out)
        << "\nAfter a deliberate change of the output: tools/update-expected-exports.sh";
}

INSTANTIATE_TEST_SUITE_P(RealFiles, ExpectedExport, ::testing::ValuesIn(ExpectedFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
                             return name;
                         });

// A media file added to tests/data without its expected export would go unchecked, and a
// missing expected folder would make the suite above silently empty.
TEST(ExpectedExports, EveryMediaFileHasItsFlatExport) {
    std::vector<std::string> media;
    for (const auto& entry : fs::directory_iterator(kDataDir)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".mp4" || ext == ".3gp"))
            media.push_back(entry.path().filename().string());
    }
    ASSERT_FALSE(media.empty());
    for (const std::string& name : media)
        EXPECT_TRUE(fs::is_regular_file(kExpectedDir / (name + ".txt"))) << name;
    EXPECT_FALSE(ExpectedFiles().empty());
}

// Exports in the flat and the indented form differ only by the tab characters before each
// line: a tab that slipped into the flat form, or a line left out of either, shows here.
TEST(ExpectedExports, IndentedFormIsTheFlatFormWithTabs) {
    bool compared = false;
    for (const std::string& name : ExpectedFiles()) {
        if (!EndsWith(name, kIndentedSuffix)) continue;
        const std::string flatName = name.substr(0, name.size() - kIndentedSuffix.size()) + ".txt";
        std::string indented = ReadWholeFile(kExpectedDir / name);
        std::string withoutTabs;
        bool lineStart = true;
        for (char c : indented) {
            if (lineStart && c == '\t') continue;
            lineStart = c == '\n';
            withoutTabs += c;
        }
        EXPECT_TRUE(withoutTabs == ReadWholeFile(kExpectedDir / flatName)) << name;
        EXPECT_NE(indented.find("\r\n\t\t\t| + "), std::string::npos) << name;
        compared = true;
    }
    EXPECT_TRUE(compared);
}

}  // namespace
