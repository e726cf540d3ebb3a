// The picture decoders the host used before its readers were made for untrusted
// files (stb_image for PNG, JPEG, TGA and BMP; OpenEXR read as it was), kept here only
// to measure the new readers against them and to check, over a corpus, that they
// decode to the same values. No texture reaches them: they are not part of the host
// library.
#pragma once

#include "host_image.h"

#include <cstddef>
#include <string>

bool ReadWithStb(const unsigned char* data, std::size_t size, HostImage& image, std::string& error,
                 float gamma = 2.2f);

// An OpenEXR file read as the host read it before: the library straight on the bytes.
bool ReadExrAsBefore(const unsigned char* data, std::size_t size, HostImage& image,
                     std::string& error);
