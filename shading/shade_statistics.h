// How much work preview shading has done: shading calls and iterations of their
// progressive loops, counted over every thread. The class descriptor offers it
// as an interface, so that a host can report the mean loop length.
//
// Each render thread counts in counters of its own, so that counting costs no
// traffic between cores; a query sums them.
#pragma once

#include "shading/ishadestatistics.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class ShadeStatistics : public IShadeStatistics {
public:
    // Counts one shading call of the calling thread.
    void Record(std::uint64_t iterations);
    std::uint64_t Calls() override;
    std::uint64_t Iterations() override;
    void Reset() override;

    // One thread's counters, on a cache line of their own.
    struct alignas(64) Counters {
        std::atomic<std::uint64_t> calls{0};
        std::atomic<std::uint64_t> iterations{0};
    };
    // A thread takes counters when it first shades and gives them back, with their
    // counts, when it ends.
    Counters* Acquire();
    void Release(Counters* counters);

private:
    std::mutex mutex_;
    std::deque<Counters> all_;      // never shrinks: counters are reused
    std::vector<Counters*> free_;
};

extern ShadeStatistics shadeStatistics;
