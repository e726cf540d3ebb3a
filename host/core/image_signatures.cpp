// The signatures of the formats the host reads, on every platform (the readers
// of some are Linux only, and the other builds refuse those by name).
#include "image_readers.h"

#include <cstring>

bool IsPngFile(const unsigned char* data, std::size_t size) {
    return size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
}

bool IsJpegFile(const unsigned char* data, std::size_t size) {
    return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

bool IsTiffFile(const unsigned char* data, std::size_t size) {
    return size >= 4 &&
           ((data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) &&
             data[3] == 0) ||
            (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43)));
}

bool IsExrFile(const unsigned char* data, std::size_t size) {
    return size >= 4 && data[0] == 0x76 && data[1] == 0x2f && data[2] == 0x31 && data[3] == 0x01;
}

bool IsBmpFile(const unsigned char* data, std::size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}
