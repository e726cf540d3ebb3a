#include "bench/legacy_image_readers.h"

#include <OpenEXR/ImfArray.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfRgbaFile.h>
#include <stb_image.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// Decoded samples, linearised with a table.
template <typename T>
void LinearisePixels(const T* data, size_t count, float gamma, float maxValue,
                     std::vector<float>& out) {
    std::vector<float> table(static_cast<size_t>(maxValue) + 1);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = std::pow(static_cast<float>(i) / maxValue, gamma);
    out.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) out[i * 4 + c] = table[data[i * 4 + c]];
        out[i * 4 + 3] = static_cast<float>(data[i * 4 + 3]) / maxValue;  // alpha is linear
    }
}

struct StbFree {
    void operator()(void* p) const { stbi_image_free(p); }
};

}  // namespace

bool ReadWithStb(const unsigned char* data, std::size_t bytes, HostImage& image, std::string& error,
                 float gamma) {
    image = HostImage();
    if (bytes > static_cast<std::size_t>(INT_MAX))
        return error = "the file is too large for its format", false;
    const int size = static_cast<int>(bytes);
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &w, &h, &channels)) {
        const char* reason = stbi_failure_reason();
        error = reason ? reason : "the file is not an image this host reads";
        return false;
    }
    bool ok = false;
    if (stbi_is_16_bit_from_memory(data, size)) {
        std::unique_ptr<stbi_us, StbFree> pixels(
            stbi_load_16_from_memory(data, size, &w, &h, &channels, 4));
        if (pixels)
            LinearisePixels(pixels.get(), static_cast<size_t>(w) * static_cast<size_t>(h), gamma,
                            65535.0f, image.rgba);
        ok = pixels != nullptr;
    } else {
        std::unique_ptr<stbi_uc, StbFree> pixels(
            stbi_load_from_memory(data, size, &w, &h, &channels, 4));
        if (pixels)
            LinearisePixels(pixels.get(), static_cast<size_t>(w) * static_cast<size_t>(h), gamma,
                            255.0f, image.rgba);
        ok = pixels != nullptr;
    }
    if (!ok) {
        const char* reason = stbi_failure_reason();
        error = reason ? reason : "the file is not an image this host reads";
        return false;
    }
    image.width = w;
    image.height = h;
    return true;
}

namespace {

class MemoryStream : public Imf::IStream {
public:
    MemoryStream(const unsigned char* data, std::size_t size)
        : Imf::IStream("picture"), data_(data), size_(size) {}
    bool isMemoryMapped() const override { return true; }
    char* readMemoryMapped(int n) override {
        Check(n);
        char* p = reinterpret_cast<char*>(const_cast<unsigned char*>(data_)) + pos_;
        pos_ += static_cast<std::uint64_t>(n);
        return p;
    }
    bool read(char c[], int n) override {
        Check(n);
        std::memcpy(c, data_ + pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::uint64_t>(n);
        return pos_ < size_;
    }
    std::uint64_t tellg() override { return pos_; }
    void seekg(std::uint64_t pos) override { pos_ = pos; }

private:
    void Check(int n) const {
        if (n < 0 || pos_ > size_ || static_cast<std::uint64_t>(n) > size_ - pos_)
            throw std::runtime_error("the file ends early");
    }
    const unsigned char* data_;
    std::size_t size_;
    std::uint64_t pos_ = 0;
};

}  // namespace

bool ReadExrAsBefore(const unsigned char* data, std::size_t size, HostImage& image,
                     std::string& error) {
    try {
        MemoryStream stream(data, size);
        Imf::RgbaInputFile file(stream);
        const Imath::Box2i dw = file.dataWindow();
        const int w = dw.max.x - dw.min.x + 1, h = dw.max.y - dw.min.y + 1;
        Imf::Array2D<Imf::Rgba> pixels(h, w);
        file.setFrameBuffer(&pixels[0][0] - dw.min.x - static_cast<ptrdiff_t>(dw.min.y) * w, 1,
                            static_cast<size_t>(w));
        file.readPixels(dw.min.y, dw.max.y);
        image.rgba.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        float* out = image.rgba.data();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const Imf::Rgba& p = pixels[y][x];
                *out++ = p.r;
                *out++ = p.g;
                *out++ = p.b;
                *out++ = p.a;
            }
        }
        image.width = w;
        image.height = h;
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}
