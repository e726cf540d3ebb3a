// PNG through libpng. Samples of 1, 2 and 4 bits widen to 8 by repeating their bits,
// palettes and a transparent colour become alpha, 16-bit samples keep their 16 bits.
// libpng reports errors by jumping out of its calls; the functions that call it
// hold nothing that needs destroying.
#include "image_readers.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Deflate turns at most 1032 bytes into one (a 258-byte match in two bits).
constexpr std::uint64_t kDeflateRatio = 1032;

struct Source {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;
    char message[200];  // libpng's reason, or ours
    bool cutShort;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t n) {
    auto* s = static_cast<Source*>(png_get_io_ptr(png));
    if (n > s->size - s->pos) {
        s->cutShort = true;
        png_error(png, "the file ends early");
    }
    std::memcpy(out, s->data + s->pos, n);
    s->pos += n;
}

void OnError(png_structp png, png_const_charp message) {
    auto* s = static_cast<Source*>(png_get_error_ptr(png));
    if (!s->cutShort) std::snprintf(s->message, sizeof s->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}  // damaged ancillary chunks are skipped

std::uint32_t U32(const unsigned char* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// The bytes of the file's image data chunks, counted without decoding them.
std::uint64_t ImageDataBytes(const unsigned char* data, std::size_t size) {
    std::uint64_t total = 0;
    for (std::size_t pos = 8; size - pos >= 12;) {
        const std::uint64_t length = U32(data + pos);
        if (std::memcmp(data + pos + 4, "IDAT", 4) == 0) total += length;
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0) break;
        if (length > size - pos - 12) break;
        pos += static_cast<std::size_t>(length) + 12;
    }
    return total;
}

struct Header {
    png_uint_32 width, height;
    int bitDepth, colourType, interlace, channels;
    png_size_t rowBytes;
};

// Reads up to the image data and sets the conversions; false with s.message set.
bool ReadHeader(png_structp png, png_infop info, Header& h) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);  // the host's own limits apply
    png_read_info(png, info);
    png_get_IHDR(png, info, &h.width, &h.height, &h.bitDepth, &h.colourType, &h.interlace, nullptr,
                 nullptr);
    if (h.colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (h.colourType == PNG_COLOR_TYPE_GRAY && h.bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (h.bitDepth == 16) png_set_swap(png);  // native 16-bit samples
    if (h.interlace != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
    png_read_update_info(png, info);
    h.channels = png_get_channels(png, info);
    h.rowBytes = png_get_rowbytes(png, info);
    return true;
}

// Decodes every row into `rows` (all of them at once for interlaced pictures, which
// come in seven passes; otherwise one row at a time, handed to `store`).
template <typename Store>
bool ReadRows(png_structp png, const Header& h, unsigned char* rows, Store* store) {
    if (setjmp(png_jmpbuf(png))) return false;
    if (h.interlace != PNG_INTERLACE_NONE) {
        // The row pointers live in the picture buffer's own vector, made by the caller.
        png_read_image(png, reinterpret_cast<png_bytepp>(rows));
        return true;
    }
    for (png_uint_32 y = 0; y < h.height; ++y) {
        png_read_row(png, rows, nullptr);
        (*store)(static_cast<int>(y), rows);
    }
    return true;
}

}  // namespace

bool DecodePng(const unsigned char* data, std::size_t size, ImageSink& sink) {
    // The size first, from the header chunk that must come first, whatever follows.
    if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0 &&
        !sink.CheckSize(U32(data + 16), U32(data + 20)))
        return false;
    Source source{data, size, 0, {}, false};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return sink.Fail("not enough memory for the picture");
    }
    struct Destroy {
        png_structp& png;
        png_infop& info;
        ~Destroy() { png_destroy_read_struct(&png, &info, nullptr); }
    } destroy{png, info};
    png_set_read_fn(png, &source, ReadBytes);

    auto failure = [&](const Header* h) {
        if (source.cutShort)
            return h ? sink.CutShort(size, h->width, h->height)
                     : sink.Fail("the file is cut short in its header");
        return sink.Fail(std::string("the PNG file is damaged: ") + source.message);
    };
    Header h{};
    if (!ReadHeader(png, info, h)) return failure(nullptr);
    if (!sink.CheckSize(h.width, h.height)) return false;
    const int bits = h.bitDepth == 16 ? 16 : 8;
    // The rows as stored, each with its filter byte, cannot come from fewer bytes.
    png_byte storedChannels = 1;
    switch (h.colourType) {
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            storedChannels = 2;
            break;
        case PNG_COLOR_TYPE_RGB:
            storedChannels = 3;
            break;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            storedChannels = 4;
            break;
        default:
            break;
    }
    const std::uint64_t raw = static_cast<std::uint64_t>(h.height) *
                              (1 + (static_cast<std::uint64_t>(h.width) * storedChannels *
                                        static_cast<unsigned>(h.bitDepth) +
                                    7) /
                                       8);
    if (ImageDataBytes(data, size) * kDeflateRatio < raw)
        return sink.CutShort(size, h.width, h.height);
    if (!sink.Begin(h.width, h.height)) return false;

    auto store = [&](int y, const unsigned char* row) {
        if (bits == 16)
            sink.StoreRow16(y, reinterpret_cast<const std::uint16_t*>(row), h.channels);
        else
            sink.StoreRow8(y, row, h.channels);
    };
    if (h.interlace == PNG_INTERLACE_NONE) {
        // 16-bit samples are read as such: the row is aligned for them.
        std::vector<std::uint16_t> row((h.rowBytes + 1) / 2);
        if (!ReadRows(png, h, reinterpret_cast<unsigned char*>(row.data()), &store))
            return failure(&h);
        return true;
    }
    std::vector<std::uint16_t> pixels((h.rowBytes * h.height + 1) / 2);
    std::vector<png_bytep> rows(h.height);
    for (png_uint_32 y = 0; y < h.height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(pixels.data()) + y * h.rowBytes;
    if (!ReadRows(png, h, reinterpret_cast<unsigned char*>(rows.data()), &store))
        return failure(&h);
    for (png_uint_32 y = 0; y < h.height; ++y) store(static_cast<int>(y), rows[y]);
    return true;
}
