// Small pictures made by the project's own code with each format's own encoder (or,
// for TGA, BMP and Radiance, byte by byte), one of every variant users' textures
// come in: palettes, grey, alpha, 16 bits, interlaced PNG, progressive and CMYK JPEG,
// tiled and planar TIFF, tiled and multi-part EXR, run-length TGA and BMP, bottom-up
// and top-down rows... They start the image fuzzer's corpus and are the picture
// readers' test corpus, each with the values it must decode to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SampleImage {
    std::string name;  // a file name with its extension: "png_palette_trns.png"
    std::vector<unsigned char> bytes;
    int width = 0;
    int height = 0;
    // What the pixels must decode to, RGBA from the top row down: display-encoded
    // samples of `depth` bits (8 or 16) in `samples`, or linear values in `linear`
    // (depth 0). Nothing for Radiance files.
    int depth = 8;
    std::vector<std::uint16_t> samples;
    std::vector<float> linear;
    // Lossy (JPEG): the decoded samples are within this many 8-bit steps.
    int tolerance = 0;
    // The replaced decoder read this variant, to the same values as the new readers
    // (run-length BMP, right-to-left TGA, TIFF and EXR it never read).
    bool oldDecoderReads = false;
};

// Every sample, each of width x height pixels (small for the fuzzer, larger for
// tests). False, with the reason, when one could not be made.
bool MakeSampleImages(int width, int height, std::vector<SampleImage>* images, std::string* error);
