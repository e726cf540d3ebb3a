// The preview's random numbers: the run-time's linear congruential generator,
// one state per render thread, restarted by every shading call from a counter
// that all threads share.
#pragma once

#include <atomic>
#include <cstdint>

// Advanced once per shading call, from any thread; 0 when the module loads.
extern std::atomic<std::uint32_t> shadeCallCounter;

// Advances the shared counter and answers its new value, wrapping from
// 0xFFFFFFFE to 0 (the counter never holds 0xFFFFFFFF).
inline std::uint32_t AdvanceShadeCallCounter() {
    std::uint32_t current = shadeCallCounter.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
        next = current + 1u;
        if (next == 0xFFFFFFFFu) next = 0u;
    } while (!shadeCallCounter.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return next;
}

class ShadeRandom {
public:
    // Starts the sequence again from the given state.
    void Restart(std::uint32_t state) { state_ = state; }
    // An integer in 0..32767.
    int Draw() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    // A number in [0, 1): a draw of 32767 gives 0.
    float Uniform() { return static_cast<float>(Draw() % 32767) * 3.0518509e-05f; }

private:
    std::uint32_t state_ = 0;
};

// This thread's generator.
ShadeRandom& ThreadShadeRandom();
