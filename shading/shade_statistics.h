// How much work preview shading has done: shading calls and iterations of their
// progressive loops, counted over every thread. The class descriptor offers it
// as an interface, so that a host can report the mean loop length.
#pragma once

#include "baseinterface.h"

#include <atomic>
#include <cstdint>

#define LUMRA_SHADE_STATISTICS_INTERFACE Interface_ID(0x4C756D72, 0x53686164)

class IShadeStatistics : public FPInterface {
public:
    Interface_ID GetID() override { return LUMRA_SHADE_STATISTICS_INTERFACE; }
    FPInterfaceDesc* GetDesc() override { return nullptr; }
    virtual std::uint64_t Calls() = 0;
    virtual std::uint64_t Iterations() = 0;
    virtual void Reset() = 0;
};

class ShadeStatistics : public IShadeStatistics {
public:
    void Record(std::uint64_t iterations) {
        calls_.fetch_add(1, std::memory_order_relaxed);
        iterations_.fetch_add(iterations, std::memory_order_relaxed);
    }
    std::uint64_t Calls() override { return calls_.load(std::memory_order_relaxed); }
    std::uint64_t Iterations() override { return iterations_.load(std::memory_order_relaxed); }
    void Reset() override {
        calls_.store(0, std::memory_order_relaxed);
        iterations_.store(0, std::memory_order_relaxed);
    }

private:
    std::atomic<std::uint64_t> calls_{0};
    std::atomic<std::uint64_t> iterations_{0};
};

extern ShadeStatistics shadeStatistics;
