// libFuzzer target: arbitrary bytes through everything orvex-dump does with a file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/DumpPipeline.h"

namespace {
// The reader opens files by path, so the input goes into one anonymous in-memory file that is
// reused for every run and reached through /proc.
int InputFile() {
    static const int fd = ::memfd_create("orvex-fuzz-input", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    return fd;
}

void WriteInput(int fd, const uint8_t* data, size_t size) {
    if (::ftruncate(fd, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
        ssize_t wrote = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (wrote <= 0) std::abort();
        done += static_cast<size_t>(wrote);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = InputFile();
    WriteInput(fd, data, size);
    const DumpOutcome outcome = DumpThroughDocument("/proc/self/fd/" + std::to_string(fd));
    // A regular file always opens, and every parse ends with one of the driver's results.
    if (!outcome.opened || outcome.result < 0 || outcome.result > 6) std::abort();
    // The JSON export is a whole document whatever the bytes were.
    if (!outcome.jsonWritten) std::abort();
    // The integrity checks ran with the parse; what they found points into the file.
    if (!outcome.findingsWellFormed) std::abort();
    return 0;
}
