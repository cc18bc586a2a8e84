// Counts and lengths read from the file never size a table or a buffer alone: whatever they say,
// no allocation grows beyond what the box and the file hold, and the parse ends the way a read
// beyond the box ends it (result 3), or as for exhausted memory (result 4) when the table could
// not even be addressed in 32 bits.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// The largest single allocation made since the last reset: a table sized from a count alone
// shows up here however the allocator treats it.
namespace {
std::atomic<size_t> g_largestAllocation{0};
}

void* operator new(size_t size) {
    size_t seen = g_largestAllocation.load();
    while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Not inlined: the compiler would otherwise pair its own idea of new with free() and warn.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

struct HostileCase {
    const char* name;
    BoxBuilder file;
    int32_t result;
};

// Inside a container, so that a read running past the box cannot pass for the file's end.
BoxBuilder InMoov(const BoxBuilder& box) {
    return BoxBuilder().Open("moov").Append(box).Close();
}

BoxBuilder HintEntry(uint64_t declaredSize) {
    BoxBuilder b;
    OpenTrackEntries(b, "hint", 1).Open("rtp ").Zeros(6).U16(1).Zeros(8);
    return b.CloseWithSize(declaredSize).Close();
}

TEST(HostileCounts, NeverAllocateFromTheCountAlone) {
    const std::vector<uint8_t> padding(4096);
    const std::vector<HostileCase> cases = {
        {"stts: count x 8 beyond 32 bits",
         BoxBuilder().OpenFull("stts", 0, 0).U32(0x20000001).U32(1).U32(1).Close(), 4},
        {"stco", InMoov(BoxBuilder().OpenFull("stco", 0, 0).U32(0x3FFFFFFF).U32(1).Close()), 3},
        {"stsz", InMoov(BoxBuilder().OpenFull("stsz", 0, 0).U32(0).U32(0x3FFFFFFF).U32(1).Close()),
         3},
        {"dref", InMoov(BoxBuilder().OpenFull("dref", 0, 0).U32(0x3FFFFFFF).U32(1).Close()), 3},
        {"stsd", InMoov(BoxBuilder().OpenFull("stsd", 0, 0).U32(0x3FFFFFFF).U32(1).Close()), 3},
        {"tfra",
         InMoov(
             BoxBuilder().OpenFull("tfra", 1, 0).U32(1).U32(0x3F).U32(0x07FFFFFF).U64(1).Close()),
         3},
        {"trun without per-sample fields",
         BoxBuilder().OpenFull("trun", 0, 0x001).U32(0x0FFFFFFF).U32(8).Close(), 0},
        {"hint entry of 1 GiB in a small file", InMoov(HintEntry(0x40000000)), 3},
        {"hint entry of 2 GiB", HintEntry(0x7FFFFFF0), 3},
        {"ftab",
         BoxBuilder().Open("ftab").U16(0xFFFF).U16(1).U8(1).Text("a").Close().Leaf("free", padding),
         3},
        {"kywd",
         BoxBuilder()
             .OpenFull("kywd", 0, 0)
             .U16(0)
             .U8(255)
             .U8(200)
             .Text("ab")
             .Close()
             .Leaf("free", padding),
         3},
        {"avcC",
         BoxBuilder()
             .Open("avcC")
             .Bytes({1, 66, 0, 30, 0xFF, 0xFF, 0x10, 0x00})
             .Close()
             .Leaf("free", padding),
         3},
        {"sdp of 4 GiB",
         BoxBuilder().Open("hnti").Open("sdp ").Text("v=0").CloseWithSize(0xFFFFFFF0u).Close(), 3},
        {"rtp smaller than its fixed fields",
         BoxBuilder().Open("rtp ").FourCC("sdp ").CloseWithSize(10).Leaf("free", padding), 3},
        {"dcmc count beyond the box",
         BoxBuilder()
             .OpenFull("dcmc", 0, 0)
             .U32(0x10000000)
             .U32(1)
             .U32(1)
             .Text("a")
             .Close()
             .Leaf("free", padding),
         3},
        {"dcmc count beyond 32 bits",
         BoxBuilder().OpenFull("dcmc", 0, 0).U32(0xFFFFFFFF).Close().Leaf("free", padding), 4},
        {"dcmc name beyond the box",
         BoxBuilder()
             .Open("drm ")
             .OpenFull("dcmc", 0, 0)
             .U32(1)
             .U32(0)
             .U32(1000)
             .Text("abc")
             .Close()
             .Leaf("free", padding)
             .Close(),
         3},
        {"dcmc name beyond the file",
         InMoov(BoxBuilder().OpenFull("dcmc", 0, 0).U32(1).U32(0).U32(0xFFFFFFF0).Close()), 3},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_largestAllocation = 0;
        const ParseOutcome o = ParseRecords(c.file);
        EXPECT_EQ(o.result, c.result) << o.log;
        EXPECT_LT(g_largestAllocation.load(), size_t{1} << 20);
    }
}

TEST(HostileCounts, ACountBeyondTheBoxReadsIntoTheNextOne) {
    BoxBuilder file;
    file.OpenFull("stss", 0, 0).U32(3).U32(1).Close().Leaf("free", std::vector<uint8_t>(8));
    const ParseOutcome o = ParseRecords(file);
    EXPECT_EQ(o.result, 3);
    EXPECT_NE(o.log.find("specified box size : 20 bytes, processed box size : 28"),
              std::string::npos)
        << o.log;
}

}  // namespace
