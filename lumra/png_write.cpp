#include "png_write.h"

#include "regular_file.h"

#include <png.h>

#include <vector>

namespace {

// Encodes with the library's in-memory writer; on failure, false with the library's reason.
bool EncodeRgb(int width, int height, const std::uint8_t* rgb, std::vector<unsigned char>* bytes,
               std::string* reason) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (png_image_write_get_memory_size(image, size, 0, rgb, width * 3, nullptr)) {
        bytes->resize(size);
        if (!png_image_write_to_memory(&image, bytes->data(), &size, 0, rgb, width * 3, nullptr))
            size = 0;
    }
    if (size == 0) {
        *reason = image.message;
        png_image_free(&image);
        return false;
    }
    bytes->resize(size);
    return true;
}

}  // namespace

bool EncodePng(int width, int height, const std::uint8_t* rgb, std::vector<unsigned char>* bytes,
               std::string* error) {
    std::string reason;
    if (EncodeRgb(width, height, rgb, bytes, &reason)) return true;
    *error = "cannot encode the picture as PNG: " + reason;
    return false;
}

bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb,
              std::string* error) {
    // Encoded in memory first, so that the file is replaced whole or not at all.
    std::vector<unsigned char> bytes;
    std::string reason;
    if (!EncodeRgb(width, height, rgb, &bytes, &reason)) {
        *error = "cannot encode " + path + " as PNG: " + reason;
        return false;
    }
    return ReplaceRegularFile(path, bytes.data(), bytes.size(), *error);
}
