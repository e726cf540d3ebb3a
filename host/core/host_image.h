// Images as the host holds them in memory: linear floating-point RGBA.
#pragma once

#include "maxexport.h"

#include <cstddef>
#include <functional>
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

// Asked by a reader once it knows a picture's size and before it decodes any of it
// (or takes memory for it): false, with the reason, refuses the picture. The
// bitmap texture uses it to keep the maps of one material within their budget.
using ImageAdmission = std::function<bool(int width, int height, std::string& reason)>;

// Reads a picture file: PNG, JPEG, TIFF, OpenEXR, Radiance .hdr, TGA or BMP, told
// apart by their first bytes, not by the name. Eight- and 16-bit samples are
// display-encoded and are linearised with `gamma` (2.2 for colour pictures, 1 for
// data such as normal maps); .hdr, .exr and floating-point TIFF are linear already.
// Files without alpha read as opaque. Only ordinary files are read. Every format is
// decoded by a reader made for untrusted files and bounded by the file's own size:
// a file whose data cannot fill the picture its header announces is refused as cut
// short before any pixel memory is taken, as are pictures over MaxImagePixels() and
// those `admit` refuses. Other formats (GIF, PSD, WebP...) are refused by name. On
// failure returns false with the reason in `error` and leaves `image` empty.
CoreExport bool ReadHostImage(const std::string& path, HostImage& image, std::string& error,
                              float gamma = 2.2f, const ImageAdmission& admit = {});

// The same for a file's bytes already in memory.
CoreExport bool DecodeHostImage(const unsigned char* data, std::size_t size, HostImage& image,
                                std::string& error, float gamma = 2.2f,
                                const ImageAdmission& admit = {});
