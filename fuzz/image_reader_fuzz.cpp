// libFuzzer target: the host's picture readers on arbitrary bytes, as a texture
// reads a file: the format told from the first bytes, the size read first and held
// to the pixel limit (lowered here, so that every input decodes quickly, as real use
// lowers it with --max-image-pixels) and to an admission like the texture budget's,
// then the pixels. A picture that decodes must be whole; one refused must say why.
#include "host_image.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kMaxPixels = 1 << 12;
constexpr std::int64_t kBudgetPixels = 1 << 11;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "image_reader_fuzz: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetMaxImagePixels(kMaxPixels);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Colour and data maps are read with different gammas.
    const float gamma = size % 2 ? 1.0f : 2.2f;
    bool asked = false;
    const ImageAdmission admit = [&](int width, int height, std::string& reason) {
        Check(!asked, "a reader asked for its memory twice");
        asked = true;
        Check(width > 0 && height > 0 &&
                  static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <=
                      kMaxPixels,
              "a picture over the pixel limit was admitted for decoding");
        if (static_cast<std::int64_t>(width) * height > kBudgetPixels) {
            reason = "over the budget";
            return false;
        }
        return true;
    };
    HostImage image;
    std::string error;
    if (DecodeHostImage(data, size, image, error, gamma, admit)) {
        Check(asked, "a picture was decoded without being admitted");
        Check(error.empty(), "a decoded picture came with an error");
        Check(image.width > 0 && image.height > 0 &&
                  image.rgba.size() == static_cast<std::size_t>(image.width) *
                                           static_cast<std::size_t>(image.height) * 4,
              "a decoded picture is not whole");
    } else {
        Check(!error.empty(), "a refusal without a reason");
        Check(image.Empty() && image.rgba.empty(), "a refused picture left pixels behind");
    }
    return 0;
}
