#include "preview_render.h"

#include "lumra/image_file.h"
#include "lumra/png_write.h"

#include "mtl.h"

#include <algorithm>

PreviewRenderer::PreviewRenderer(int threads, int size, SampleSlotBackground background, Sink sink)
    : threads_(std::max(1, threads)),
      size_(size),
      background_(background),
      sink_(std::move(sink)) {}

PreviewRenderer::~PreviewRenderer() { Stop(); }

std::vector<int> PreviewRenderer::PassSizes(int size) {
    std::vector<int> sizes;
    for (int side : {size / 4, size / 2})
        if (side >= 16 && (sizes.empty() || side > sizes.back())) sizes.push_back(side);
    sizes.push_back(size);
    return sizes;
}

void PreviewRenderer::Start(Mtl* mtl, long long generation) {
    Stop();
    cancel_ = false;
    busy_ = true;
    thread_ = std::thread([this, mtl, generation] { Render(mtl, generation); });
}

double PreviewRenderer::Stop() {
    if (!thread_.joinable()) return 0.0;
    const auto start = std::chrono::steady_clock::now();
    cancel_ = true;
    thread_.join();
    busy_ = false;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void PreviewRenderer::Render(Mtl* mtl, long long generation) {
    const std::vector<int> sizes = PassSizes(size_);
    for (int side : sizes) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<Color> pixels;
        if (!Pass(mtl, side, &pixels)) break;
        // Encoded for display as `render -o x.png` encodes a slot.
        const std::vector<unsigned char> rgb =
            DisplayBytes(reinterpret_cast<const float*>(pixels.data()), pixels.size() * 3);
        PreviewFrame frame;
        frame.generation = generation;
        frame.size = side;
        frame.last = side == sizes.back();
        std::string error;
        if (!EncodePng(side, side, rgb.data(), &frame.png, &error)) break;
        frame.done = std::chrono::steady_clock::now();
        frame.passSeconds = std::chrono::duration<double>(frame.done - start).count();
        // A render stopped while this pass was encoded hands nothing on: the page
        // would otherwise see a picture older than the edit that stopped it.
        if (cancel_) break;
        sink_(std::move(frame));
    }
    busy_ = false;
}

bool PreviewRenderer::Pass(Mtl* mtl, int side, std::vector<Color>* pixels) {
    // The material was updated on the host's thread; the stop is looked at before
    // every row, so a new edit waits one row at most. Each pixel is seeded as in a
    // single-threaded render: the same edit gives the same picture.
    SampleSlot slot(side, side, background_);
    *pixels = ShadeSampleSlot(*mtl, slot, threads_, 0, {}, &cancel_);
    return !cancel_;
}
