// Writing pictures as PNG files: the one PNG encoder of the command-line host. Linear
// pictures reach it through image_file.h, which turns them into display bytes first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB image, rows top to bottom. False, with the reason, when it cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb,
              std::string* error);
// The bytes of a PNG file of an 8-bit RGB image; false, with the reason, when it
// cannot be encoded.
bool EncodePng(int width, int height, const std::uint8_t* rgb, std::vector<unsigned char>* bytes,
               std::string* error);
