// The first bytes of the picture files the host reads, checked before a file is read
// whole: a large file of another kind (a video dropped on a map button, say) is
// refused at once instead of being read into memory first.
#pragma once

#include "radiance_file.h"
#include "regular_file.h"

#include <cstring>
#include <string>

// PNG, JPEG, BMP, OpenEXR and Radiance files begin with their signatures; TGA has
// none, so any header a TGA decoder could take is let through (colour-map type 0 or
// 1, an image type it knows).
inline FileSignature ImageFileSignature() {
    return {
        18, [](const unsigned char* b, std::size_t n) -> std::string {
            auto starts = [&](const char* s, std::size_t k) {
                return n >= k && std::memcmp(b, s, k) == 0;
            };
            const bool known =
                starts("\x89PNG\r\n\x1a\n", 8) || starts("\xFF\xD8", 2) || starts("BM", 2) ||
                starts("\x76\x2F\x31\x01", 4) || IsRadianceFile(b, n) ||
                (n >= 18 && b[1] <= 1 &&
                 (b[2] == 1 || b[2] == 2 || b[2] == 3 || b[2] == 9 || b[2] == 10 || b[2] == 11));
            return known ? std::string()
                         : "it is not a picture file this host reads (PNG, JPEG, TGA, BMP, "
                           "Radiance .hdr or OpenEXR)";
        }};
}
