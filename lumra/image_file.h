// Image files of the command-line host: writing rendered pictures and reading
// any picture the host reads.
#pragma once

#include "host_image.h"

#include <cstddef>
#include <string>
#include <vector>

// Writes linear RGB (three floats a pixel, rows from the top) as the file's
// extension asks, in any letter case:
// - .png: 8 bits a channel, clamped to 0..1 and encoded for display with the
//   host's display gamma 2.2;
// - .exr: 32-bit float channels R, G, B, linear;
// - .hdr: Radiance RGBE, run-length encoded, linear.
// Returns false with a reason in `error` for an unknown extension, an empty
// picture or a file that cannot be written.
bool WriteImageFile(const std::string& path, int width, int height, const float* rgb,
                    std::string& error);

// The 8-bit display encoding of linear values that .png files get: clamped to
// 0..1, gamma 2.2, rounded.
std::vector<unsigned char> DisplayBytes(const float* values, std::size_t count);
// The bytes of the .png file WriteImageFile writes for the picture: its
// DisplayBytes encoded by png_write.h's EncodePng; false when it cannot be encoded.
bool EncodePng(int width, int height, const float* rgb, std::string* png);

// Reads any picture the host reads into linear RGBA (8- and 16-bit files
// decoded with gamma 2.2).
bool ReadImageFile(const std::string& path, HostImage& image, std::string& error);

// The bytes of a Radiance .hdr file holding the picture.
std::string EncodeRadianceHdr(int width, int height, const float* rgb);
