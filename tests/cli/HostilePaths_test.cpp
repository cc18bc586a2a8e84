// orvex-dump on paths that are not media files, outputs it cannot write and files whose parse
// fails: each failure is reported at once with the path and the reason, never by hanging; a
// failed parse reaches the user exactly once, on standard error and in the log; output is
// written only for a parse that succeeded.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/DumpProcess.h"

namespace {
constexpr int kCannotOpen = 66;

// orvex-dump --log LOG PATH: the status, what it says, and lines its log holds exactly once.
void Check(const std::string& path, int status, const std::string& err,
           const std::vector<std::string>& loggedOnce = {}) {
    SCOPED_TRACE(path);
    const std::string log = TempPath("run.log");
    std::filesystem::remove(log);
    const ProcessRun run = RunOrvexDump({"--log", log, path}, 10);
    ASSERT_FALSE(run.timedOut) << "orvex-dump hung";
    EXPECT_EQ(run.status, status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, err);
    const std::string trace = ReadFileBytes(log);
    for (const std::string& line : loggedOnce) {
        EXPECT_NE(trace.find(line), std::string::npos) << trace;
        EXPECT_EQ(trace.find(line), trace.rfind(line)) << line << " more than once";
    }
}

void CheckRefused(const std::string& path, const std::string& reason) {
    Check(path, kCannotOpen, "orvex-dump: cannot open '" + path + "': " + reason + "\n");
}

TEST(HostilePaths, NonRegularFilesAreRefusedAtOnce) {
    CheckRefused(std::filesystem::path(TempPath("x")).parent_path().string(), "is a directory");
    CheckRefused("/dev/zero", "is a device, not a regular file");
    CheckRefused(TempPath("missing") + "/below.mp4", "No such file or directory");
    // Nobody ever writes to this FIFO: opening it for reading in the usual way would block.
    const std::string fifo = TempPath("pipe.mp4");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CheckRefused(fifo, "is a FIFO, not a regular file");
    if (::geteuid() == 0) return;  // permissions do not apply to root
    const std::string locked = BoxBuilder().Leaf("free").WriteTempFile("locked.mp4");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    CheckRefused(locked, "Permission denied");
}

TEST(HostilePaths, FailedParseIsReportedOnceOnStandardErrorAndInTheLog) {
    const std::string message =
        "orvex-dump: error occured in parsing. check if the file is corrupted.\n";
    // A 'moov' that declares more bytes than the file holds: the file ends inside it.
    BoxBuilder truncated;
    truncated.Open("ftyp").FourCC("isom").U32(0).Close();
    truncated.Open("moov").Leaf("free", {1, 2, 3, 4}).CloseWithSize(400);
    Check(truncated.WriteTempFile("truncated.mp4"), 3, message,
          {"started parsing",
           "ERROR :\r\ntruncated-box : 'moov' at 0x10 declares 400 bytes; the file ends 20 bytes "
           "into it",
           "parsing done (warnings : 0, errors : 1)"});
    // A box read past its size ends the parse with an error block in the log as well.
    BoxBuilder overread;
    overread.OpenFull("mvhd", 0, 0).U32(0).CloseWithSize(16).Zeros(100);
    Check(overread.WriteTempFile("overread.mp4"), 3, message,
          {"ERROR :\r\nthe processed length of the box is greater",
           "ERROR :\r\nerror occured in parsing",
           "ERROR :\r\nparse-failed : the parse stopped at 'mvhd' at 0x0: error occured in parsing",
           "parsing done (warnings : 0, errors : 3)"});
}

TEST(HostilePaths, UnwritableOutputIsReported) {
    const std::string media = BoxBuilder().Leaf("free").WriteTempFile("small.mp4");
    const std::string nowhere = TempPath("missing") + "/out.txt";
    const ProcessRun run = RunOrvexDump({"--output", nowhere, media}, 10);
    EXPECT_EQ(run.status, kCannotOpen);
    EXPECT_EQ(run.err, "orvex-dump: cannot write '" + nowhere + "'\n");
    // A log that cannot be written does not stop the export.
    const ProcessRun logRun = RunOrvexDump({"--log", nowhere, media}, 10);
    EXPECT_EQ(logRun.status, 0);
    EXPECT_NE(logRun.out, "");
    EXPECT_EQ(logRun.err, "orvex-dump: cannot write the log to '" + nowhere + "'\n");
}

// With --init a failure names the file it is about, and nothing is written.
TEST(HostilePaths, SegmentWithInitNamesTheFileThatFailed) {
    const std::string good = BoxBuilder().Leaf("free").WriteTempFile("good.m4s");
    BoxBuilder cut;
    const std::string broken = cut.Open("moov").CloseWithSize(400).WriteTempFile("cut.m4s");
    const std::string missing = TempPath("missing") + "/init.m4s";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{missing, good}, "cannot open '" + missing + "': No such file or directory"},
        {{broken, good}, broken + ": error occured in parsing. check if the file is corrupted."},
        {{good, broken}, broken + ": error occured in parsing. check if the file is corrupted."},
    };
    for (const auto& [files, message] : cases) {
        const ProcessRun run = RunOrvexDump({"--init", files[0], files[1]}, 10);
        EXPECT_EQ(run.status, files[0] == missing ? kCannotOpen : 3) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "orvex-dump: " + message + "\n");
    }
}

// A usage error says what is wrong on its first line, then shows the usage; status 64.
TEST(HostilePaths, UsageErrorsSayWhatIsWrong) {
    const std::string media = BoxBuilder().Leaf("free").WriteTempFile("usage.mp4");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{media, "--output"}, "option '--output' needs a file name"},
        {{media, "--log"}, "option '--log' needs a file name"},
        {{media, "--init"}, "option '--init' needs a file name"},
        {{"--check", "--init", media, media}, "--check takes media files and no other option"},
        {{media, "--format"}, "option '--format' needs a format: text or json"},
        {{"--format", "xml", media}, "unknown format 'xml' (text or json)"},
        {{"--frobnicate", media}, "unknown option '--frobnicate'"},
        {{media, media}, "only one media file can be given"},
        {{"--format", "json", "--indent", media}, "--indent is for the text format only"},
    };
    for (const auto& [args, message] : cases) {
        const ProcessRun run = RunOrvexDump(args, 10);
        EXPECT_EQ(run.status, 64) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("orvex-dump: " + message + "\n")) << run.err;
    }
}
}  // namespace
