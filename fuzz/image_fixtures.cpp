// Writes the sample pictures (sample_images.h) as files in a folder: the image
// fuzzer's starting corpus.
//
//   image_fixtures DIR [WIDTH HEIGHT]      (default 13 x 7 pixels)
#include "fuzz/sample_images.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: image_fixtures DIR [WIDTH HEIGHT]\n");
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 13;
    const int height = argc == 4 ? std::atoi(argv[3]) : 7;
    if (width < 1 || height < 1 || width > 4096 || height > 4096) {
        std::fprintf(stderr, "image_fixtures: the size must be 1 to 4096 pixels each way\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    std::vector<SampleImage> images;
    std::string error;
    if (!MakeSampleImages(width, height, &images, &error)) {
        std::fprintf(stderr, "image_fixtures: %s\n", error.c_str());
        return 1;
    }
    for (const SampleImage& image : images) {
        const std::filesystem::path file = dir / image.name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.bytes.data()),
                  static_cast<std::streamsize>(image.bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "image_fixtures: cannot write %s\n", file.string().c_str());
            return 1;
        }
    }
    return 0;
}
