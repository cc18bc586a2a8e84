#include "support/DumpProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include "support/BoxBuilder.h"

namespace {
std::string ReadAndRemove(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char buffer[65536];
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<size_t>(got));
        ::close(fd);
    }
    ::unlink(path.c_str());
    return text;
}

void AppendExitCode(const char* name) {
    const char* current = std::getenv(name);
    std::string value = current != nullptr && *current != '\0' ? std::string(current) + ":" : "";
    ::setenv(name, (value + "exitcode=99").c_str(), 1);
}
}  // namespace

DumpProcessRun RunOrvexDump(const std::vector<std::string>& args, unsigned timeoutSeconds) {
    static int runs = 0;
    const std::string stem = TempPath("orvex-dump-run-" + std::to_string(runs++));
    const std::string outPath = stem + ".out";
    const std::string errPath = stem + ".err";

    std::vector<std::string> argv{ORVEX_DUMP_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& arg : argv)
        cargv.push_back(arg.data());
    cargv.push_back(nullptr);

    DumpProcessRun run;
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
        AppendExitCode("ASAN_OPTIONS");
        AppendExitCode("UBSAN_OPTIONS");
        // The alarm survives exec and kills the program if it hangs.
        ::alarm(timeoutSeconds);
        ::execv(cargv[0], cargv.data());
        ::_exit(127);
    }
    if (pid < 0) return run;
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    run.timedOut = WIFSIGNALED(raw) && WTERMSIG(raw) == SIGALRM;
    run.out = ReadAndRemove(outPath);
    run.err = ReadAndRemove(errPath);
    return run;
}
