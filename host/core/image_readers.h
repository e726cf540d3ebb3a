// The host's picture readers, one a format, each decoding from memory into an
// ImageSink (image_sink.h) and never reading past the end of the bytes. Called by
// DecodeHostImage once the first bytes have told the format apart. Each returns
// false with the reason in the sink; the reason says what is wrong with the file,
// not which library found it.
#pragma once

#include "image_sink.h"

#include <cstddef>

bool IsPngFile(const unsigned char* data, std::size_t size);
bool IsJpegFile(const unsigned char* data, std::size_t size);
bool IsTiffFile(const unsigned char* data, std::size_t size);
bool IsExrFile(const unsigned char* data, std::size_t size);
bool IsBmpFile(const unsigned char* data, std::size_t size);
// TGA files have no signature: true when the header is one the TGA reader takes.
bool IsTgaFile(const unsigned char* data, std::size_t size);

// With libpng: 1 to 16 bits, grey, palette, RGB, with alpha or a transparent colour,
// interlaced or not.
bool DecodePng(const unsigned char* data, std::size_t size, ImageSink& sink);
// With libjpeg: baseline and progressive Huffman-coded JPEG, grey, YCbCr, RGB,
// CMYK and YCCK.
bool DecodeJpeg(const unsigned char* data, std::size_t size, ImageSink& sink);
// With libtiff: the first picture of the file, in strips or tiles, uncompressed or
// LZW, Deflate, PackBits or JPEG compressed; 8- and 16-bit samples, 32-bit floats.
bool DecodeTiff(const unsigned char* data, std::size_t size, ImageSink& sink);
// With OpenEXR: scanline and tiled files, the first part of multi-part files; R, G,
// B, A or luminance channels.
bool DecodeExr(const unsigned char* data, std::size_t size, ImageSink& sink);
// The host's own: 1-, 4- and 8-bit palettes (also run-length encoded), 16 and 32
// bits with channel masks, 24 bits; bottom-up and top-down.
bool DecodeBmp(const unsigned char* data, std::size_t size, ImageSink& sink);
// The host's own: true colour, grey and palette, flat or run-length encoded, from
// any corner.
bool DecodeTga(const unsigned char* data, std::size_t size, ImageSink& sink);
