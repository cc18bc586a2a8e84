// orvex-dump on paths that are not media files, and on files whose parse fails: each failure
// is refused at once with a message naming the path and the reason, never by hanging, and a
// failed parse reaches the user exactly once, on standard error and in the log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/BoxBuilder.h"
#include "support/DumpProcess.h"

namespace {
constexpr int kCannotOpen = 66;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Refused with 66, nothing on standard output, and the reason after the quoted path.
void ExpectRefused(const std::string& path, const std::string& reason) {
    SCOPED_TRACE(path);
    const DumpProcessRun run = RunOrvexDump({"--log", TempPath("refused.log"), path}, 10);
    ASSERT_FALSE(run.timedOut) << "orvex-dump hung on " << path;
    EXPECT_EQ(run.status, kCannotOpen);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "orvex-dump: cannot open '" + path + "': " + reason + "\n");
}

TEST(HostilePaths, NonRegularFilesAreRefusedAtOnce) {
    ExpectRefused(std::filesystem::path(TempPath("x")).parent_path().string(), "is a directory");
    ExpectRefused("/dev/zero", "is a device, not a regular file");
    ExpectRefused("/dev/null", "is a device, not a regular file");
    ExpectRefused(TempPath("missing.mp4"), "No such file or directory");
    ExpectRefused(TempPath("missing") + "/below.mp4", "No such file or directory");

    // Nobody ever writes to this FIFO: opening it for reading in the usual way would block.
    const std::string fifo = TempPath("pipe.mp4");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectRefused(fifo, "is a FIFO, not a regular file");
}

TEST(HostilePaths, UnreadableFileNamesItsReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not apply to root";
    const std::string path = BoxBuilder().Leaf("free").WriteTempFile("locked.mp4");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ExpectRefused(path, "Permission denied");
}

TEST(HostilePaths, UnwritableOutputIsReported) {
    const std::string media = BoxBuilder().Leaf("free").WriteTempFile("small.mp4");
    const std::string nowhere = TempPath("missing") + "/out.txt";
    const DumpProcessRun run = RunOrvexDump({"--output", nowhere, media}, 10);
    EXPECT_EQ(run.status, kCannotOpen);
    EXPECT_EQ(run.err, "orvex-dump: cannot write '" + nowhere + "'\n");

    const DumpProcessRun logRun = RunOrvexDump({"--log", nowhere, media}, 10);
    EXPECT_EQ(logRun.status, 0);
    EXPECT_EQ(logRun.err, "orvex-dump: cannot write the log to '" + nowhere + "'\n");
}

// A 'moov' that declares more bytes than the file holds: the file ends inside it (result 3).
// The file is parsed once, so the message and the log's banners appear once each.
TEST(HostilePaths, FailedParseIsReportedOnceOnStandardErrorAndInTheLog) {
    BoxBuilder file;
    file.Open("ftyp").FourCC("isom").U32(0).Close();
    file.Open("moov").Leaf("free", {1, 2, 3, 4}).CloseWithSize(400);
    const std::string media = file.WriteTempFile("truncated.mp4");
    const std::string log = TempPath("truncated.log");

    const DumpProcessRun run = RunOrvexDump({"--log", log, media}, 10);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "orvex-dump: error occured in parsing. check if the file is corrupted.\n");
    const std::string trace = ReadFile(log);
    EXPECT_EQ(Count(trace, "started parsing"), 1u) << trace;
    EXPECT_EQ(Count(trace, "parsing done (warnings : 0, errors : 0)"), 1u) << trace;
}

// A box read past its size ends the parse with an error block in the log as well.
TEST(HostilePaths, OverreadBoxIsLoggedAndReported) {
    BoxBuilder file;
    file.OpenFull("mvhd", 0, 0).U32(0).CloseWithSize(16);
    file.Zeros(100);
    const std::string media = file.WriteTempFile("overread.mp4");
    const std::string log = TempPath("overread.log");

    const DumpProcessRun run = RunOrvexDump({"--log", log, media}, 10);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(Count(run.err, "orvex-dump: error occured in parsing"), 1u) << run.err;
    const std::string trace = ReadFile(log);
    EXPECT_EQ(Count(trace, "ERROR :\r\nthe processed length of the box is greater"), 1u) << trace;
    EXPECT_EQ(Count(trace, "ERROR :\r\nerror occured in parsing"), 1u) << trace;
    EXPECT_EQ(Count(trace, "parsing done (warnings : 0, errors : 2)"), 1u) << trace;
}
}  // namespace
