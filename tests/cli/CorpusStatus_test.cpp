// The status of orvex-dump on every real media file we have (exit status, warning count, error
// count) against the committed list tests/data/corpus-status.txt, by path relative to the source
// tree. tools/update-corpus-status.sh rewrites the list after a deliberate change, running this
// test with ORVEX_UPDATE_CORPUS_STATUS=1. The third-party files are beside the checkout; when
// that folder is absent their lines are kept and their check is skipped.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/DumpProcess.h"

namespace fs = std::filesystem;

namespace {
const fs::path kSourceDir = ORVEX_SOURCE_DIR;
const fs::path kListPath = kSourceDir / "tests/data/corpus-status.txt";
constexpr const char* kThirdPartyFolder = "../shared/conformance/mp4parse-rust";

// "EXIT WARNINGS ERRORS" by path relative to the source tree; "-" for a count not logged.
using StatusList = std::map<std::string, std::string>;

// The media files directly in `folder` (not below it), by path relative to the source tree.
std::vector<std::string> MediaFiles(const std::string& folder) {
    const std::set<std::string> notMedia = {".txt", ".md", ".sh", ".py", ".json"};
    std::vector<std::string> files;
    for (const fs::path& file : SortedFiles(kSourceDir / folder)) {
        const std::string name = file.filename().string();
        if (!notMedia.contains(file.extension().string()) && !name.starts_with("LICENSE") &&
            !name.starts_with("README"))
            files.push_back(folder + "/" + name);
    }
    return files;
}

// Runs orvex-dump with its log on standard error and reads the counts from the log's last
// closing banner.
std::string Measure(const std::string& relative) {
    const ProcessRun run =
        RunOrvexDump({"--output", "/dev/null", "--log", "-", (kSourceDir / relative).string()});
    const size_t at = run.err.rfind("parsing done (warnings : ");
    unsigned warnings = 0, errors = 0;
    const bool counted =
        at != std::string::npos &&
        std::sscanf(run.err.c_str() + at, "parsing done (warnings : %u, errors : %u)", &warnings,
                    &errors) == 2;
    return (run.timedOut ? "timeout" : std::to_string(run.status)) + " " +
           (counted ? std::to_string(warnings) + " " + std::to_string(errors) : "- -");
}

StatusList ReadList() {
    StatusList list;
    std::ifstream in(kListPath);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            list[line.substr(0, line.find(' '))] = line.substr(line.find(' ') + 1);
    return list;
}

void WriteList(const StatusList& list) {
    std::ofstream out(kListPath, std::ios::trunc);
    out << "# orvex-dump on every real media file: path (from the source tree), exit status,\n"
           "# warning count, error count. Checked by tests/cli/CorpusStatus_test.cpp;\n"
           "# regenerate with tools/update-corpus-status.sh after a deliberate change.\n";
    for (const auto& [path, status] : list)
        out << path << " " << status << "\n";
}

// Checks (or, when updating, rewrites) the lines of one folder.
void CheckFolder(const std::string& folder) {
    const std::vector<std::string> files = MediaFiles(folder);
    ASSERT_FALSE(files.empty()) << "no media files in " << folder;
    StatusList list = ReadList();
    const std::string prefix = folder + "/";
    if (const char* update = std::getenv("ORVEX_UPDATE_CORPUS_STATUS");
        update != nullptr && std::string(update) == "1") {
        std::erase_if(list, [&](const auto& line) { return line.first.starts_with(prefix); });
        for (const std::string& file : files)
            list[file] = Measure(file);
        WriteList(list);
        return;
    }
    const std::string hint = " (after a deliberate change: tools/update-corpus-status.sh)";
    for (const std::string& file : files) {
        const auto expected = list.find(file);
        if (expected == list.end())
            ADD_FAILURE() << file << " is not in " << kListPath.string() << hint;
        else
            EXPECT_EQ(Measure(file), expected->second)
                << file << ": exit status, warnings, errors" << hint;
    }
    for (const auto& [path, status] : list)
        if (path.starts_with(prefix) && path.find('/', prefix.size()) == std::string::npos &&
            !fs::exists(kSourceDir / path))
            ADD_FAILURE() << path << " is listed but no longer exists" << hint;
}

TEST(CorpusStatus, OwnTestData) {
    CheckFolder("tests/data");
}

TEST(CorpusStatus, ThirdPartyConformanceFiles) {
    if (!fs::is_directory(kSourceDir / kThirdPartyFolder))
        GTEST_SKIP() << kThirdPartyFolder << " is not beside the checkout";
    CheckFolder(kThirdPartyFolder);
}
}  // namespace
