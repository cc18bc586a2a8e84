// The status of orvex-dump on every real media file we have: exit status, warning count and
// error count, against the committed list tests/data/corpus-status.txt. Any change fails until
// the list is regenerated on purpose with tools/update-corpus-status.sh, which runs this test
// with ORVEX_UPDATE_CORPUS_STATUS=1 so that it writes the list instead of checking it.
//
// Paths in the list are relative to the source tree. The third-party files are beside the
// checkout; when that folder is absent their lines are kept and their check is skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/DumpProcess.h"

namespace fs = std::filesystem;

namespace {
const fs::path kSourceDir = ORVEX_SOURCE_DIR;
const fs::path kListPath = kSourceDir / "tests/data/corpus-status.txt";
constexpr const char* kOwnFolder = "tests/data";
constexpr const char* kThirdPartyFolder = "../shared/conformance/mp4parse-rust";

struct Status {
    std::string exit, warnings, errors;
    bool operator==(const Status&) const = default;
    std::string Text() const { return exit + " " + warnings + " " + errors; }
};
using StatusList = std::map<std::string, Status>;  // by path relative to the source tree

bool IsMediaFile(const fs::path& path) {
    const std::string name = path.filename().string();
    const std::string ext = path.extension().string();
    return fs::is_regular_file(path) && ext != ".txt" && ext != ".md" && ext != ".sh" &&
           ext != ".py" && ext != ".json" && name.rfind("LICENSE", 0) != 0 &&
           name.rfind("README", 0) != 0;
}

// The media files directly in `folder` (not below it), by path relative to the source tree.
std::vector<std::string> MediaFiles(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(kSourceDir / folder)) {
        if (IsMediaFile(entry.path()))
            files.push_back(folder + "/" + entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs orvex-dump with its log and reads the counts from the log's last closing banner.
Status Measure(const std::string& relative) {
    const std::string log = TempPath("corpus.log");
    fs::remove(log);
    const DumpProcessRun run =
        RunOrvexDump({"--output", "/dev/null", "--log", log, (kSourceDir / relative).string()});
    Status status{run.timedOut ? "timeout" : std::to_string(run.status), "-", "-"};
    const std::string trace = ReadFile(log);
    const std::string banner = "parsing done (warnings : ";
    const size_t at = trace.rfind(banner);
    if (at != std::string::npos) {
        std::istringstream counts(trace.substr(at + banner.size()));
        std::string warnings, label, colon, errors;
        counts >> warnings >> label >> colon >> errors;  // "W, errors : E)"
        if (!warnings.empty() && warnings.back() == ',') warnings.pop_back();
        if (!errors.empty() && errors.back() == ')') errors.pop_back();
        status.warnings = warnings;
        status.errors = errors;
    }
    return status;
}

StatusList ReadList() {
    StatusList list;
    std::ifstream in(kListPath);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string path;
        Status status;
        fields >> path >> status.exit >> status.warnings >> status.errors;
        list[path] = status;
    }
    return list;
}

void WriteList(const StatusList& list) {
    std::ofstream out(kListPath, std::ios::trunc);
    out << "# orvex-dump on every real media file: path (from the source tree), exit status,\n"
           "# warning count, error count. Checked by tests/cli/CorpusStatus_test.cpp;\n"
           "# regenerate with tools/update-corpus-status.sh after a deliberate change.\n";
    for (const auto& [path, status] : list)
        out << path << " " << status.Text() << "\n";
}

bool Updating() {
    const char* update = std::getenv("ORVEX_UPDATE_CORPUS_STATUS");
    return update != nullptr && std::string(update) == "1";
}

// Checks (or, when updating, rewrites) the lines of one folder.
void CheckFolder(const std::string& folder) {
    const std::vector<std::string> files = MediaFiles(folder);
    ASSERT_FALSE(files.empty()) << "no media files in " << folder;
    StatusList list = ReadList();
    const std::string prefix = folder + "/";
    if (Updating()) {
        std::erase_if(list, [&](const auto& line) { return line.first.rfind(prefix, 0) == 0; });
        for (const std::string& file : files)
            list[file] = Measure(file);
        WriteList(list);
        return;
    }
    const std::string hint = " (after a deliberate change: tools/update-corpus-status.sh)";
    for (const std::string& file : files) {
        const auto expected = list.find(file);
        if (expected == list.end()) {
            ADD_FAILURE() << file << " is not in " << kListPath.string() << hint;
            continue;
        }
        const Status actual = Measure(file);
        EXPECT_EQ(actual.Text(), expected->second.Text())
            << file << ": exit status, warnings, errors" << hint;
    }
    for (const auto& [path, status] : list) {
        if (path.rfind(prefix, 0) == 0 && path.find('/', prefix.size()) == std::string::npos &&
            !fs::exists(kSourceDir / path)) {
            ADD_FAILURE() << path << " is listed but no longer exists" << hint;
        }
    }
}

TEST(CorpusStatus, OwnTestData) {
    CheckFolder(kOwnFolder);
}

TEST(CorpusStatus, ThirdPartyConformanceFiles) {
    if (!fs::is_directory(kSourceDir / kThirdPartyFolder))
        GTEST_SKIP() << kThirdPartyFolder << " is not beside the checkout";
    CheckFolder(kThirdPartyFolder);
}
}  // namespace
