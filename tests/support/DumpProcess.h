#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs a program of ours as its own process, without a shell, standard input from /dev/null,
// and collects what it printed. A sanitizer report exits with 99, outside the programs' own
// statuses, so it cannot pass for a parse result; a run that takes longer than its time limit
// is killed and reported as timed out.
struct ProcessRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    bool timedOut = false;
    std::string out;  // standard output
    std::string err;  // standard error
};

// `environment` holds "NAME=VALUE" entries set over the test's own environment; an empty
// `workingDir` is the test's own.
ProcessRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      unsigned timeoutSeconds = 60, const std::string& workingDir = {},
                      const std::vector<std::string>& environment = {});

// The orvex-dump built with the tests.
inline ProcessRun RunOrvexDump(const std::vector<std::string>& args, unsigned timeoutSeconds = 60) {
    return RunProgram(ORVEX_DUMP_PATH, args, timeoutSeconds);
}

// The bytes of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// The regular files directly in `folder`, sorted; none when the folder is absent.
std::vector<std::filesystem::path> SortedFiles(const std::filesystem::path& folder);
