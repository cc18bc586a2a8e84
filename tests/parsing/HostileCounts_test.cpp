// Counts and lengths read from the file never size a table or a buffer alone: whatever they say,
// no allocation grows beyond what the box and the file hold, and the parse ends the way a read
// beyond the box ends it (result 3), or as for exhausted memory (result 4) when the table could
// not even be addressed in 32 bits.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "support/BoxBuilder.h"
#include "support/RecordPipeline.h"

// The largest single allocation made since the last reset: a table sized from a count alone
// shows up here however the allocator treats it.
namespace {
std::atomic<size_t> g_largestAllocation{0};
}

// None of them inlined: the compiler would otherwise pair malloc() and free() with its own idea
// of new and delete, and warn.
[[gnu::noinline]] void* operator new(size_t size) {
    size_t seen = g_largestAllocation.load();
    while (size > seen && !g_largestAllocation.compare_exchange_weak(seen, size)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

BoxBuilder HintEntry(uint64_t declaredSize) {
    BoxBuilder b;
    OpenTrackEntries(b, "hint", 1).Open("rtp ").Zeros(6).U16(1).Zeros(8);
    return b.CloseWithSize(declaredSize).Close();
}

// Each box sits in a container and before 4 KiB of padding, so that neither the end of the
// file nor the next box can pass for the end of the box.
TEST(HostileCounts, NeverAllocateFromTheCountAlone) {
    const std::vector<std::tuple<const char*, BoxBuilder, int32_t>> cases = {
        {"stts: count x 8 beyond 32 bits", WordBox("stts", 0, 0, {0x20000001, 1, 1}), 4},
        {"stco", WordBox("stco", 0, 0, {0x3FFFFFFF, 1}), 3},
        {"stsz", WordBox("stsz", 0, 0, {0, 0x3FFFFFFF, 1}), 3},
        {"dref", WordBox("dref", 0, 0, {0x3FFFFFFF, 1}), 3},
        {"stsd", WordBox("stsd", 0, 0, {0x3FFFFFFF, 1}), 3},
        {"tfra", WordBox("tfra", 1, 0, {1, 0x3F, 0x07FFFFFF, 0, 1}), 3},
        {"trun without per-sample fields", WordBox("trun", 0, 1, {0x0FFFFFFF, 8}), 0},
        {"hint entry of 1 GiB", HintEntry(0x40000000), 3},
        {"hint entry of 2 GiB", HintEntry(0x7FFFFFF0), 3},
        {"ftab", BoxBuilder().Open("ftab").U32(0xFFFF0001).U32(0x01610000).Close(), 3},
        {"kywd", WordBox("kywd", 0, 0, {0x0000FFC8, 0x61620000}), 3},
        {"avcC", BoxBuilder().Open("avcC").U32(0x0142001E).U32(0xFFFF1000).Close(), 3},
        {"sdp of 4 GiB", BoxBuilder().Open("sdp ").Text("v=0").CloseWithSize(0xFFFFFFF0u), 3},
        {"rtp smaller than its fixed fields",
         BoxBuilder().Open("rtp ").FourCC("sdp ").CloseWithSize(10), 3},
        {"dcmc count beyond the box", WordBox("dcmc", 0, 0, {0x10000000, 1, 1, 0x61000000}), 3},
        {"dcmc count beyond 32 bits", WordBox("dcmc", 0, 0, {0xFFFFFFFF}), 4},
        {"dcmc name beyond the box", WordBox("dcmc", 0, 0, {1, 0, 1000, 0x61626300}), 3},
        {"dcmc name beyond the file", WordBox("dcmc", 0, 0, {1, 0, 0xFFFFFFF0}), 3},
        {"hvcC units beyond the box",
         BoxBuilder().Open("hvcC").U8(1).Zeros(21).U8(1).U8(33).U16(0xFFFF).U16(0xFFFF).Close(), 3},
        {"av1C of 4 GiB", BoxBuilder().Open("av1C").U32(0x81000C00).CloseWithSize(0xFFFFFFF0u), 3},
        {"colr profile of 4 GiB", BoxBuilder().Open("colr").FourCC("prof").CloseWithSize(~0u), 3},
    };
    for (const auto& [name, box, result] : cases) {
        SCOPED_TRACE(name);
        g_largestAllocation = 0;
        // The full set: the families read some of these types in place of the classic reading.
        const ParseOutcome o = ParseRecords(
            BoxBuilder().Open("moov").Append(box).Leaf("free", std::vector<uint8_t>(4096)).Close(),
            {}, BoxSet::Full);
        EXPECT_EQ(o.result, result) << o.log;
        EXPECT_LT(g_largestAllocation.load(), size_t{1} << 20);
    }
}

}  // namespace
