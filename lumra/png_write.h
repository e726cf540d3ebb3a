// Writing pictures as PNG files.
#pragma once

#include <cstdint>
#include <string>

// An 8-bit RGB image, rows top to bottom. False, with the reason, when it cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb,
              std::string* error);
