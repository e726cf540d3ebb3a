#include "image_sink.h"

#include <cmath>
#include <mutex>
#include <tuple>

bool ImageSink::Fail(std::string reason) {
    error_ = std::move(reason);
    return false;
}

bool ImageSink::CutShort(std::uint64_t bytes, std::int64_t width, std::int64_t height) {
    return Fail("the file is cut short: " + std::to_string(bytes) + " bytes cannot hold " +
                std::to_string(width) + " x " + std::to_string(height) + " pixels");
}

bool ImageSink::CheckSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return Fail("the picture has no pixels");
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (width > INT32_MAX || height > INT32_MAX || pixels > MaxImagePixels())
        return Fail(std::to_string(width) + " x " + std::to_string(height) +
                    " pixels is more than the " + std::to_string(MaxImagePixels()) +
                    " a picture may have");
    return true;
}

bool ImageSink::Admit(std::int64_t width, std::int64_t height) {
    if (!CheckSize(width, height)) return false;
    std::string reason;
    if (admit_ && !admit_(static_cast<int>(width), static_cast<int>(height), reason))
        return Fail(reason);
    return true;
}

bool ImageSink::Begin(std::int64_t width, std::int64_t height) {
    if (!Admit(width, height)) return false;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    image_.rgba.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0.0f);
    image_.width = w;
    image_.height = h;
    return true;
}

std::shared_ptr<const ImageSink::Tables> ImageSink::TablesFor(float gamma, int maxValue) {
    static std::mutex mutex;
    static std::vector<std::tuple<float, int, std::shared_ptr<const Tables>>> made;
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [g, m, tables] : made)
        if (g == gamma && m == maxValue) return tables;
    // As the host has always linearised: the sample over its largest value, to the
    // power of the gamma, in single precision.
    auto tables = std::make_shared<Tables>();
    const float top = static_cast<float>(maxValue);
    tables->colour.resize(static_cast<std::size_t>(maxValue) + 1);
    tables->alpha.resize(tables->colour.size());
    for (std::size_t i = 0; i < tables->colour.size(); ++i) {
        tables->colour[i] = std::pow(static_cast<float>(i) / top, gamma);
        tables->alpha[i] = static_cast<float>(i) / top;
    }
    // A few gammas are ever used (2.2 for pictures, 1 for data); keep the latest few.
    if (made.size() >= 8) made.erase(made.begin());
    made.emplace_back(gamma, maxValue, tables);
    return tables;
}

namespace {

template <typename T>
void StoreRow(float* out, const T* in, int width, int channels, const float* colour,
              const float* alpha) {
    switch (channels) {
        case 1:
            for (int x = 0; x < width; ++x, out += 4) {
                out[0] = out[1] = out[2] = colour[in[x]];
                out[3] = 1.0f;
            }
            break;
        case 2:
            for (int x = 0; x < width; ++x, out += 4, in += 2) {
                out[0] = out[1] = out[2] = colour[in[0]];
                out[3] = alpha[in[1]];
            }
            break;
        case 3:
            for (int x = 0; x < width; ++x, out += 4, in += 3) {
                out[0] = colour[in[0]];
                out[1] = colour[in[1]];
                out[2] = colour[in[2]];
                out[3] = 1.0f;
            }
            break;
        default:
            for (int x = 0; x < width; ++x, out += 4, in += 4) {
                out[0] = colour[in[0]];
                out[1] = colour[in[1]];
                out[2] = colour[in[2]];
                out[3] = alpha[in[3]];
            }
            break;
    }
}

}  // namespace

void ImageSink::StoreRow8(int y, const std::uint8_t* samples, int channels) {
    if (!tables8_) tables8_ = TablesFor(gamma_, 255);
    StoreRow(Row(y), samples, Width(), channels, tables8_->colour.data(), tables8_->alpha.data());
}

void ImageSink::StoreRow16(int y, const std::uint16_t* samples, int channels) {
    if (!tables16_) tables16_ = TablesFor(gamma_, 65535);
    StoreRow(Row(y), samples, Width(), channels, tables16_->colour.data(), tables16_->alpha.data());
}

void ImageSink::StoreLinearRow(int y, const float* rgba) {
    float* out = Row(y);
    for (std::size_t i = 0; i < static_cast<std::size_t>(Width()) * 4; ++i) out[i] = rgba[i];
}
