// Runs orvex-dump on the real media files and compares what it prints, byte for byte, with the
// exports committed under tests/data/expected (the default, full box set) and
// tests/data/expected-classic (with --classic, which must never change), each checked by hand
// when it was first made; tools/update-expected-exports.sh rewrites them after a deliberate
// change of the output.
// Each names its media file on its first line, "Parsed File Name : NAME", as orvex-dump, run in
// tests/data, was given it; "<NAME>.indented.txt" holds the --indent form. A media segment read
// with its init segment ("<NAME>.with-init.txt", orvex-dump --init INIT NAME) names the init on
// its first line, "Init Segment File Name : INIT", and the segment on the heading of the second
// tree. TZ=UTC pins the dates, which are shown in local time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "support/DumpProcess.h"

namespace {
namespace fs = std::filesystem;

const fs::path kDataDir = ORVEX_TEST_DATA_DIR;
// Each folder of expected exports with the options orvex-dump runs with for it.
struct ExpectedFolder {
    const char* name;
    std::vector<std::string> options;
};
const ExpectedFolder kFolders[] = {{"expected", {}}, {"expected-classic", {"--classic"}}};
constexpr std::string_view kFirstLinePrefix = "Parsed File Name : ";
constexpr std::string_view kInitLinePrefix = "Init Segment File Name : ";
constexpr std::string_view kIndentedSuffix = ".indented.txt";

// The first line where two texts differ, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    const auto e =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first;
    const size_t at = static_cast<size_t>(e - expected.begin());
    const size_t from = at == 0 ? 0 : expected.rfind('\n', at - 1) + 1;
    return "line " + std::to_string(std::count(expected.begin(), e, '\n') + 1) +
           "\n  expected: " + expected.substr(from, expected.find('\n', from) - from) +
           "\n  actual:   " + actual.substr(from, actual.find('\n', from) - from);
}

// "folder/name.txt" for every expected export.
std::vector<std::string> ExpectedFiles() {
    std::vector<std::string> names;
    for (const ExpectedFolder& folder : kFolders)
        for (const fs::path& file : SortedFiles(kDataDir / folder.name))
            if (file.extension() == ".txt")
                names.push_back(std::string(folder.name) + "/" + file.filename().string());
    return names;
}

const ExpectedFolder& FolderOf(const std::string& expectedFile) {
    const std::string folder = expectedFile.substr(0, expectedFile.find('/'));
    for (const ExpectedFolder& f : kFolders)
        if (folder == f.name) return f;
    return kFolders[0];
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    return name;
}

class ExpectedExport : public ::testing::TestWithParam<std::string> {};

// The name on the line "PREFIX NAME\r\n" that starts at `from`; empty when there is none there.
std::string NameOnLine(const std::string& text, size_t from, std::string_view prefix) {
    const size_t end = text.find("\r\n", from);
    if (end == std::string::npos || text.compare(from, prefix.size(), prefix) != 0) return {};
    return text.substr(from + prefix.size(), end - from - prefix.size());
}

TEST_P(ExpectedExport, OrvexDumpPrintsItByteForByte) {
    const std::string expected = ReadFileBytes(kDataDir / GetParam());
    std::vector<std::string> args = FolderOf(GetParam()).options;
    const std::string initName = NameOnLine(expected, 0, kInitLinePrefix);
    std::string mediaName = NameOnLine(expected, 0, kFirstLinePrefix);
    if (!initName.empty()) {
        ASSERT_TRUE(fs::is_regular_file(kDataDir / initName)) << initName;
        const size_t heading = expected.find(std::string("\r\n") + std::string(kFirstLinePrefix));
        ASSERT_NE(heading, std::string::npos) << GetParam() << " has no segment heading";
        mediaName = NameOnLine(expected, heading + 2, kFirstLinePrefix);
        args.insert(args.end(), {"--init", initName});
    }
    ASSERT_TRUE(!mediaName.empty() && fs::is_regular_file(kDataDir / mediaName))
        << GetParam() << " names no media file: " << mediaName;

    if (GetParam().ends_with(kIndentedSuffix)) args.push_back("--indent");
    args.push_back(mediaName);
    const ProcessRun run = RunProgram(ORVEX_DUMP_PATH, args, 60, kDataDir, {"TZ=UTC"});
    ASSERT_EQ(run.status, 0) << "orvex-dump " << mediaName;
    EXPECT_TRUE(run.out == expected)
        << GetParam() << ": " << FirstDifference(expected, run.out)
        << "\nAfter a deliberate change of the output: tools/update-expected-exports.sh";
}

INSTANTIATE_TEST_SUITE_P(RealFiles, ExpectedExport, ::testing::ValuesIn(ExpectedFiles()), TestName);

// A media file added to tests/data without its expected export would go unchecked, and a
// missing expected folder would make the suite above silently empty.
TEST(ExpectedExports, EveryMediaFileHasItsFlatExport) {
    int media = 0;
    for (const fs::path& file : SortedFiles(kDataDir)) {
        static const std::set<std::string> kMedia = {".mp4", ".m4s", ".3gp", ".avif", ".heic"};
        if (kMedia.count(file.extension().string()) == 0) continue;
        for (const ExpectedFolder& folder : kFolders)
            EXPECT_TRUE(
                fs::is_regular_file(kDataDir / folder.name / (file.filename().string() + ".txt")))
                << folder.name << " " << file;
        ++media;
    }
    EXPECT_GT(media, 0);
}

// Exports in the flat and the indented form differ only by the tab characters before each
// line: a tab that slipped into the flat form, or a line left out of either, shows here.
TEST(ExpectedExports, IndentedFormIsTheFlatFormWithTabs) {
    bool compared = false;
    for (const std::string& name : ExpectedFiles()) {
        if (!name.ends_with(kIndentedSuffix)) continue;
        const std::string flatName = name.substr(0, name.size() - kIndentedSuffix.size()) + ".txt";
        const std::string indented = ReadFileBytes(kDataDir / name);
        std::string withoutTabs;
        bool lineStart = false;  // the first line, the file name, is never indented
        for (const char c : indented) {
            if (c == '\t' && lineStart) continue;
            withoutTabs += c;
            lineStart = c == '\n';
        }
        EXPECT_TRUE(withoutTabs == ReadFileBytes(kDataDir / flatName)) << name;
        EXPECT_NE(indented.find("\r\n\t\t\t| + "), std::string::npos) << name;
        compared = true;
    }
    EXPECT_TRUE(compared);
}
}  // namespace
