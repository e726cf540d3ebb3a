#include "shading/shade_statistics.h"

ShadeStatistics shadeStatistics;

namespace {

// The slot each thread counts in: given out in turn when it first shades.
std::atomic<std::size_t> nextSlot{0};
constexpr std::size_t kNoSlot = ~std::size_t{0};

}  // namespace

void ShadeStatistics::Record(std::uint64_t iterations) {
    // Trivially destructible: the thread gives nothing back when it ends.
    thread_local std::size_t slot = kNoSlot;
    if (slot == kNoSlot) slot = nextSlot.fetch_add(1, std::memory_order_relaxed) % kSlots;
    Counters& c = slots_[slot];
    c.calls.fetch_add(1, std::memory_order_relaxed);
    c.iterations.fetch_add(iterations, std::memory_order_relaxed);
}

std::uint64_t ShadeStatistics::Calls() {
    std::uint64_t n = 0;
    for (const Counters& c : slots_) n += c.calls.load(std::memory_order_relaxed);
    return n;
}

std::uint64_t ShadeStatistics::Iterations() {
    std::uint64_t n = 0;
    for (const Counters& c : slots_) n += c.iterations.load(std::memory_order_relaxed);
    return n;
}

void ShadeStatistics::Reset() {
    for (Counters& c : slots_) {
        c.calls.store(0, std::memory_order_relaxed);
        c.iterations.store(0, std::memory_order_relaxed);
    }
}
