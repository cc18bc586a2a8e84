#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

// Shared between a parse running on a worker thread and the thread that watches it: the driver
// stores how far into the file it is and looks for a cancel request once per box header, so
// the cost is two atomic operations a box, never one a byte.
struct CParseProgress {
    // The file offset of the box header read last.
    std::atomic<uint64_t> bytesDone{0};
    std::atomic<bool> cancelRequested{false};
    // Called on the parsing thread at each box, once bytesDone holds its offset and before the
    // cancel request is read; tests use it to hold a parse at a known place. Set before the
    // parse starts, never during it.
    std::function<void(const CParseProgress&)> beforeBox;

    void Reset() {
        bytesDone.store(0, std::memory_order_relaxed);
        cancelRequested.store(false, std::memory_order_relaxed);
    }
};
