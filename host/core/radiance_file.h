// Radiance pictures (.hdr): a text header, then pixels of three 8-bit mantissas
// sharing one exponent, stored flat or as run-length scanlines. Decoded from
// memory, never past its end, and refused when damaged rather than guessed at.
#pragma once

#include "host_image.h"

#include <cstddef>
#include <string>

// True when the bytes start as a Radiance file does ("#?RADIANCE" or "#?RGBE").
bool IsRadianceFile(const unsigned char* data, std::size_t size);

struct RadianceLayout {
    int width = 0;
    int height = 0;
    std::size_t pixelStart = 0;  // offset of the first pixel byte
};

// Reads the header: the format line must name 32-bit RGBE pixels and the size
// line must be "-Y height +X width" (rows from the top, pixels left to right).
bool ReadRadianceLayout(const unsigned char* data, std::size_t size, RadianceLayout& layout,
                        std::string& error);

// Decodes the whole picture (alpha 1). Pictures of more than maxPixels pixels, and
// files too short to hold the pixels their header claims, are refused before any
// pixel memory is taken.
bool DecodeRadiance(const unsigned char* data, std::size_t size, std::size_t maxPixels,
                    HostImage& image, std::string& error);
