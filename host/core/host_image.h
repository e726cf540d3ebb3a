// Images as the host holds them in memory: linear floating-point RGBA.
#pragma once

#include "maxexport.h"

#include <cstddef>
#include <string>
#include <vector>

struct HostImage {
    int width = 0;
    int height = 0;
    // Four floats a pixel, rows from the top of the picture down.
    std::vector<float> rgba;

    bool Empty() const { return width <= 0 || height <= 0; }
    const float* Pixel(int x, int y) const {
        return rgba.data() +
               (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
};

// Pictures with more pixels than this are refused before they are decoded, so
// that a small damaged or hostile file cannot take the machine's memory; the
// limit can be raised for work that needs larger pictures.
constexpr std::size_t kDefaultMaxImagePixels = std::size_t(1) << 26;  // 8192 x 8192
CoreExport void SetMaxImagePixels(std::size_t pixels);
CoreExport std::size_t MaxImagePixels();

// Reads a PNG, JPEG, TGA, BMP, Radiance .hdr or OpenEXR file. Eight- and 16-bit
// files hold display-encoded values and are linearised with `gamma` (2.2 for
// colour pictures, 1 for data such as normal maps); .hdr and .exr are linear
// already. Files without alpha read as opaque. Only ordinary files are read, and
// files too short for the picture their header claims are refused. On failure returns false with
// the reason in `error` and leaves `image` empty.
CoreExport bool ReadHostImage(const std::string& path, HostImage& image, std::string& error,
                              float gamma = 2.2f);
