// Images as the host holds them in memory: linear floating-point RGBA.
#pragma once

#include "maxexport.h"

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

// Reads a PNG, JPEG, TGA, BMP, Radiance .hdr or OpenEXR file. Eight- and 16-bit
// files hold display-encoded values and are linearised with `gamma` (2.2 for
// colour pictures, 1 for data such as normal maps); .hdr and .exr are linear
// already. Files without alpha read as opaque. On failure returns false with the
// reason in `error` and leaves `image` empty.
CoreExport bool ReadHostImage(const std::string& path, HostImage& image, std::string& error,
                              float gamma = 2.2f);
