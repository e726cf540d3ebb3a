// The material editor's sample slot as a preview that follows edits: rendered in
// passes of growing size on render threads, each pass handed on as a PNG picture
// when it is done. A new edit stops the render between rows.
//
// Start and Stop are called on the host thread; the material must not change
// between them (Stop first), since the render threads shade it.
#pragma once

#include "sample_slot.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

class Mtl;

struct PreviewFrame {
    long long generation = 0;  // of the material's state it shows
    int size = 0;              // pixels on a side
    bool last = false;         // the slot's full size
    std::vector<unsigned char> png;
    double passSeconds = 0.0;  // shading and encoding this pass
    std::chrono::steady_clock::time_point done;
};

class PreviewRenderer {
public:
    using Sink = std::function<void(PreviewFrame&&)>;
    // `sink` is called on a render thread with each pass.
    PreviewRenderer(int threads, int size, SampleSlotBackground background, Sink sink);
    ~PreviewRenderer();
    PreviewRenderer(const PreviewRenderer&) = delete;
    PreviewRenderer& operator=(const PreviewRenderer&) = delete;

    // The slot's sides, pass after pass: a quarter, a half, then the whole size.
    static std::vector<int> PassSizes(int size);

    // Renders the material, updated for time 0 already, as the given generation.
    void Start(Mtl* mtl, long long generation);
    // Stops the render between rows and waits for its threads; the seconds that
    // took (0 when nothing was rendering).
    double Stop();
    // True while a render has passes left.
    bool Busy() const { return busy_.load(); }
    int Size() const { return size_; }
    int Threads() const { return threads_; }

private:
    void Render(Mtl* mtl, long long generation);
    // One pass; false when it was stopped.
    bool Pass(Mtl* mtl, int side, std::vector<Color>* pixels);

    int threads_;
    int size_;
    SampleSlotBackground background_;
    Sink sink_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> busy_{false};
    std::thread thread_;
};
