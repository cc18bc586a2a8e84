#include "support/DumpProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/BoxBuilder.h"

extern char** environ;

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::filesystem::path> SortedFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code absent;
    for (const auto& entry : std::filesystem::directory_iterator(folder, absent))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

ProcessRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      unsigned timeoutSeconds, const std::string& workingDir,
                      const std::vector<std::string>& environment) {
    static int runs = 0;
    const std::string stem = TempPath("run-" + std::to_string(runs++));
    const std::string outPath = stem + ".out", errPath = stem + ".err";

    std::vector<std::string> argv{program}, envp, overrides = environment;
    argv.insert(argv.end(), args.begin(), args.end());
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        const std::string current = std::getenv(name) ? std::getenv(name) : "";
        overrides.push_back(name + ("=" + current) + (current.empty() ? "" : ":") + "exitcode=99");
    }
    // The test's environment with the overrides put in place of, or beside, its variables.
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry != nullptr; ++entry)
        envp.emplace_back(*entry);
    for (const std::string& entry : overrides) {
        std::erase_if(envp, [&](const std::string& e) { return nameOf(e) == nameOf(entry); });
        envp.push_back(entry);
    }
    auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> result;
        for (std::string& text : texts)
            result.push_back(text.data());
        result.push_back(nullptr);
        return result;
    };
    std::vector<char*> cargv = pointers(argv), cenvp = pointers(envp);

    ProcessRun run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Files rather than pipes: nothing can block on a full pipe while the other is read.
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(127);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (!workingDir.empty() && ::chdir(workingDir.c_str()) != 0) ::_exit(127);
        // The alarm survives exec and kills the program if it hangs.
        ::alarm(timeoutSeconds);
        ::execve(cargv[0], cargv.data(), cenvp.data());
        ::_exit(127);
    }
    if (pid < 0) return run;
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    run.timedOut = WIFSIGNALED(raw) && WTERMSIG(raw) == SIGALRM;
    run.out = ReadFileBytes(outPath);
    run.err = ReadFileBytes(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return run;
}
