#include "shading/shade_statistics.h"

ShadeStatistics shadeStatistics;

namespace {

// The calling thread's counters, given back when the thread ends. The counts they
// hold stay in them, so nothing is lost when a thread goes.
class ThreadCounters {
public:
    ShadeStatistics::Counters& Get() {
        if (!counters_) counters_ = shadeStatistics.Acquire();
        return *counters_;
    }
    ~ThreadCounters() {
        if (counters_) shadeStatistics.Release(counters_);
    }

private:
    ShadeStatistics::Counters* counters_ = nullptr;
};

void Add(std::atomic<std::uint64_t>& counter, std::uint64_t n) {
    // Only this thread writes the counter: no read-modify-write is needed.
    counter.store(counter.load(std::memory_order_relaxed) + n, std::memory_order_relaxed);
}

}  // namespace

void ShadeStatistics::Record(std::uint64_t iterations) {
    thread_local ThreadCounters mine;
    Counters& c = mine.Get();
    Add(c.calls, 1);
    Add(c.iterations, iterations);
}

ShadeStatistics::Counters* ShadeStatistics::Acquire() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!free_.empty()) {
        Counters* c = free_.back();
        free_.pop_back();
        return c;
    }
    return &all_.emplace_back();
}

void ShadeStatistics::Release(Counters* counters) {
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(counters);
}

std::uint64_t ShadeStatistics::Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::uint64_t n = 0;
    for (const Counters& c : all_) n += c.calls.load(std::memory_order_relaxed);
    return n;
}

std::uint64_t ShadeStatistics::Iterations() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::uint64_t n = 0;
    for (const Counters& c : all_) n += c.iterations.load(std::memory_order_relaxed);
    return n;
}

void ShadeStatistics::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Counters& c : all_) {
        c.calls.store(0, std::memory_order_relaxed);
        c.iterations.store(0, std::memory_order_relaxed);
    }
}
