// Replays every input of tests/data/regressions through everything orvex-dump does (parse,
// document, quick information, conformance, media data view, export), in this process so that
// the sanitizers of the CI build watch it. These are inputs that once crashed, hung or used far
// too much memory, found by fuzzing or made by hand; each name ends in ".r<N>", N the parse
// result the input must give. tests/data/regressions/README.md says where each one comes from.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/DumpPipeline.h"
#include "support/DumpProcess.h"

namespace fs = std::filesystem;

namespace {
const fs::path kFolder = fs::path(ORVEX_TEST_DATA_DIR) / "regressions";

// The result a file's name promises: ".r3" is 3; -1 when the name has no such ending.
int32_t PromisedResult(const fs::path& input) {
    const std::string ext = input.extension().string();
    return ext.size() == 3 && ext[1] == 'r' && ext[2] >= '0' && ext[2] <= '6' ? ext[2] - '0' : -1;
}

void ExpectResult(const fs::path& input, int32_t promised) {
    const DumpOutcome outcome = DumpThroughDocument(input.string());
    ASSERT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.result, promised) << outcome.message;
    // Nothing fails silently: a failure has its message, a success its export and no message.
    EXPECT_EQ(outcome.message.empty(), outcome.result == 0) << outcome.message;
    EXPECT_EQ(outcome.exportBytes > 0, outcome.result == 0);
    EXPECT_TRUE(outcome.jsonWritten);
    EXPECT_GT(outcome.logBytes, 0u);
    // A file that does not parse has something wrong with it, and says where.
    if (outcome.result != 0) {
        EXPECT_GT(outcome.findings, 0u);
    }
    EXPECT_TRUE(outcome.findingsWellFormed);
    // Every line of the export comes from bytes of the file: a sample line from at least one
    // byte, a table line from one to twelve, a box from at least eight.
    EXPECT_LE(outcome.exportBytes, 64 * fs::file_size(input) + 64 * 1024);
}

TEST(Regressions, EveryInputGivesItsResult) {
    std::vector<fs::path> inputs = SortedFiles(kFolder);
    std::erase_if(inputs, [](const fs::path& input) { return input.extension() == ".md"; });
    ASSERT_FALSE(inputs.empty()) << "no inputs in " << kFolder;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const int32_t promised = PromisedResult(input);
        ASSERT_NE(promised, -1) << "the name must end in .r0 to .r6, the expected parse result";
        ExpectResult(input, promised);
    }
}

// Extreme but well-formed structures, too big to keep as files: each parses without exhausting
// the stack or memory.
TEST(Regressions, HugeStructuresParseInProportion) {
    BoxBuilder deep, many, brands;
    for (int i = 0; i < 100000; ++i) {
        deep.Open(i % 2 ? "trak" : "moov");
        many.Leaf(i % 3 ? "free" : "abcd");
    }
    deep.Leaf("free");
    for (int i = 0; i < 100000; ++i)
        deep.Close();
    brands.Open("ftyp").FourCC("3gp4").U32(0);
    for (int i = 0; i < 1000000; ++i)
        brands.FourCC(i % 2 ? "isom" : "zzzz");
    brands.Close();
    for (const BoxBuilder* file : {&deep, &many, &brands})
        ExpectResult(file->WriteTempFile("huge.mp4"), 0);
}
}  // namespace
