// How much work preview shading has done: shading calls and iterations of their
// progressive loops, counted over every thread. The class descriptor offers it
// as an interface, so that a host can report the mean loop length.
//
// Each render thread counts in counters of its own, so that counting costs no
// traffic between cores; a query sums them. A thread keeps its counters by index,
// with nothing to do when it ends: thread-exit destructors crash on some
// toolchains (mingw-w64's emulated thread-local storage).
#pragma once

#include "shading/ishadestatistics.h"

#include <array>
#include <atomic>
#include <cstdint>

class ShadeStatistics : public IShadeStatistics {
public:
    // Counts one shading call of the calling thread.
    void Record(std::uint64_t iterations);
    std::uint64_t Calls() override;
    std::uint64_t Iterations() override;
    void Reset() override;

    // One thread's counters, on a cache line of their own. Threads take them in
    // turn; beyond kSlots threads, two may share a slot, and still count exactly.
    struct alignas(64) Counters {
        std::atomic<std::uint64_t> calls{0};
        std::atomic<std::uint64_t> iterations{0};
    };
    static constexpr std::size_t kSlots = 64;

private:
    std::array<Counters, kSlots> slots_;
};

extern ShadeStatistics shadeStatistics;
