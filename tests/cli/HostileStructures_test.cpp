// Extreme but well-formed structures through everything orvex-dump does: each one parses to its
// result without exhausting the stack or memory, and what the export holds stays in proportion
// to the file (tools/measure-memory.py measures the memory itself).
#include <gtest/gtest.h>

#include <string>

#include "support/BoxBuilder.h"
#include "support/DumpPipeline.h"

namespace {
constexpr uint32_t kHuge = 0xFFFFFFFF;

struct Dumped {
    DumpOutcome outcome;
    size_t fileSize;
};

Dumped Dump(const BoxBuilder& file, const std::string& name) {
    return {DumpThroughDocument(file.WriteTempFile(name)), file.Size()};
}

// Every line of the export comes from bytes of the file: a sample line from at least one byte,
// a table line from one to twelve, a box from at least eight.
void ExpectExportInProportion(const Dumped& run) {
    EXPECT_LE(run.outcome.exportBytes, 64 * run.fileSize + 64 * 1024)
        << "export of " << run.outcome.exportBytes << " bytes for a file of " << run.fileSize;
}

// A video track whose sample table is `tables`, then an 'mdat' holding its chunks' offsets.
BoxBuilder MovieWithTables(const BoxBuilder& tables) {
    BoxBuilder f;
    f.Open("ftyp").FourCC("isom").U32(0).FourCC("isom").Close();
    f.Open("moov").Open("trak");
    f.Open("mdia").OpenFull("hdlr", 0, 0).U32(0).FourCC("vide").Zeros(12).U8(0).Close();
    f.Open("minf").Open("stbl").Append(tables).Close().Close().Close();
    f.Close().Close();
    f.Open("mdat").Zeros(64).Close();
    return f;
}

TEST(HostileStructures, DeepNestingAndManyBoxes) {
    BoxBuilder deep;
    for (int i = 0; i < 100000; ++i)
        deep.Open(i % 2 ? "trak" : "moov");
    deep.Leaf("free");
    for (int i = 0; i < 100000; ++i)
        deep.Close();
    const Dumped nested = Dump(deep, "deep.mp4");
    EXPECT_EQ(nested.outcome.result, 0);
    ExpectExportInProportion(nested);

    BoxBuilder many;
    for (int i = 0; i < 100000; ++i)
        many.Leaf(i % 3 ? "free" : "abcd");
    const Dumped flat = Dump(many, "many.mp4");
    EXPECT_EQ(flat.outcome.result, 0);
    ExpectExportInProportion(flat);

    BoxBuilder brands;
    brands.Open("ftyp").FourCC("3gp4").U32(0);
    for (int i = 0; i < 1000000; ++i)
        brands.FourCC(i % 2 ? "isom" : "zzzz");
    brands.Close();
    const Dumped ftyp = Dump(brands, "brands.mp4");
    EXPECT_EQ(ftyp.outcome.result, 0);
    ExpectExportInProportion(ftyp);
}

TEST(HostileStructures, BillionsOfSamplesFromAFewBytes) {
    BoxBuilder offsets;
    offsets.OpenFull("stco", 0, 0).U32(100);
    for (uint32_t i = 0; i < 100; ++i)
        offsets.U32(0x200 + i);
    offsets.Close();

    // One size for 2^32-1 samples, all in the first chunk: lines for no more samples than the
    // file has bytes.
    BoxBuilder constant;
    constant.OpenFull("stsc", 0, 0).U32(1).U32(1).U32(kHuge).U32(1).Close();
    constant.OpenFull("stsz", 0, 0).U32(512).U32(kHuge).Close();
    constant.OpenFull("stts", 0, 0).U32(1).U32(kHuge).U32(1).Close();
    constant.Append(offsets);
    const Dumped oneSize = Dump(MovieWithTables(constant), "constant.mp4");
    EXPECT_EQ(oneSize.outcome.result, 0);
    ExpectExportInProportion(oneSize);

    // Chunks of 2^32-1 samples whose sizes 'stsz' lists only in part.
    BoxBuilder chunky;
    chunky.OpenFull("stsc", 0, 0).U32(1).U32(1).U32(kHuge).U32(1).Close();
    chunky.OpenFull("stsz", 0, 0).U32(0).U32(3).U32(10).U32(20).U32(30).Close();
    chunky.Append(offsets);
    const Dumped shortSizes = Dump(MovieWithTables(chunky), "chunky.mp4");
    EXPECT_EQ(shortSizes.outcome.result, 0);
    ExpectExportInProportion(shortSizes);

    // A run whose samples carry no field costs the file nothing per sample; declaring a box
    // far larger than the file must not buy it a line per declared byte.
    BoxBuilder run;
    run.OpenFull("trun", 0, 0x000004).U32(kHuge).U32(0).CloseWithSize(256 * 1024);
    const Dumped fieldless = Dump(run, "fieldless.mp4");
    EXPECT_EQ(fieldless.outcome.result, 0);
    ExpectExportInProportion(fieldless);

    // A count that no box could hold ends the parse as exhausted memory, at once.
    BoxBuilder counted;
    counted.OpenFull("stsz", 0, 0).U32(0).U32(kHuge).U32(1).U32(2).Close();
    const Dumped tooMany = Dump(MovieWithTables(counted), "counted.mp4");
    EXPECT_EQ(tooMany.outcome.result, 4);
    EXPECT_EQ(tooMany.outcome.message, "failed due to lack of memory.");
}
}  // namespace
