#pragma once

#include <string>
#include <vector>

// Runs the orvex-dump built with the tests (ORVEX_DUMP_PATH) as its own process, without a
// shell, standard input from /dev/null, and collects what it printed. A sanitizer report
// exits with 99, outside the program's own statuses, so it cannot pass for a parse result; a
// run that takes longer than `timeoutSeconds` is killed and reported as timed out.
struct DumpProcessRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    bool timedOut = false;
    std::string out;  // standard output
    std::string err;  // standard error
};

DumpProcessRun RunOrvexDump(const std::vector<std::string>& args, unsigned timeoutSeconds = 60);
