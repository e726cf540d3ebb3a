#include "host_image.h"

#include <OpenEXR/ImfArray.h>
#include <OpenEXR/ImfRgbaFile.h>
#include <stb_image.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace {

bool HasExrMagic(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char magic[4] = {};
    const size_t n = std::fread(magic, 1, 4, f);
    std::fclose(f);
    return n == 4 && magic[0] == 0x76 && magic[1] == 0x2f && magic[2] == 0x31 && magic[3] == 0x01;
}

bool ReadExr(const std::string& path, HostImage& image, std::string& error) {
    try {
        Imf::RgbaInputFile file(path.c_str());
        const Imath::Box2i dw = file.dataWindow();
        const int width = dw.max.x - dw.min.x + 1;
        const int height = dw.max.y - dw.min.y + 1;
        if (width <= 0 || height <= 0) {
            error = "the image has no pixels";
            return false;
        }
        Imf::Array2D<Imf::Rgba> pixels(height, width);
        file.setFrameBuffer(&pixels[0][0] - dw.min.x - static_cast<ptrdiff_t>(dw.min.y) * width, 1,
                            static_cast<size_t>(width));
        file.readPixels(dw.min.y, dw.max.y);
        image.width = width;
        image.height = height;
        image.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
        float* out = image.rgba.data();
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Imf::Rgba& p = pixels[y][x];
                *out++ = p.r;
                *out++ = p.g;
                *out++ = p.b;
                *out++ = p.a;
            }
        }
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

// Decoded samples of `bits` bits, linearised with a table.
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

bool ReadWithStb(const std::string& path, HostImage& image, std::string& error, float gamma) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         std::fclose);
    if (!file) {
        error = std::string("the file cannot be opened: ") + std::strerror(errno);
        return false;
    }
    std::FILE* f = file.get();
    int w = 0, h = 0, channels = 0;
    bool ok = false;
    if (stbi_is_hdr_from_file(f)) {
        std::unique_ptr<float, StbFree> data(stbi_loadf_from_file(f, &w, &h, &channels, 4));
        if (data) {
            const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
            image.rgba.assign(data.get(), data.get() + n);
            ok = true;
        }
    } else if (stbi_is_16_bit_from_file(f)) {
        std::unique_ptr<stbi_us, StbFree> data(stbi_load_from_file_16(f, &w, &h, &channels, 4));
        if (data) {
            LinearisePixels(data.get(), static_cast<size_t>(w) * static_cast<size_t>(h), gamma,
                            65535.0f, image.rgba);
            ok = true;
        }
    } else {
        std::unique_ptr<stbi_uc, StbFree> data(stbi_load_from_file(f, &w, &h, &channels, 4));
        if (data) {
            LinearisePixels(data.get(), static_cast<size_t>(w) * static_cast<size_t>(h), gamma,
                            255.0f, image.rgba);
            ok = true;
        }
    }
    if (!ok) {
        const char* reason = stbi_failure_reason();
        error = reason ? reason : "the file is not an image this host reads";
        image.rgba.clear();
        return false;
    }
    image.width = w;
    image.height = h;
    return true;
}

}  // namespace

bool ReadHostImage(const std::string& path, HostImage& image, std::string& error, float gamma) {
    image = HostImage();
    error.clear();
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    bool ok = false;
    try {
        ok = HasExrMagic(path) ? ReadExr(path, image, error)
                               : ReadWithStb(path, image, error, gamma);
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the picture";
    }
    if (!ok) image = HostImage();
    return ok;
}
