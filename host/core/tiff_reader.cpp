// TIFF through libtiff: the first picture of a file. Grey, RGB and palette pictures
// of 1 to 16 bits and of 32-bit floats are read sample for sample (floats linear,
// the others display-encoded, like PNG); the rarer photometric kinds of 8 bits
// (CMYK, CIE L*a*b*...) through libtiff's own conversion to 8-bit RGBA. What it does
// not read it names: "TIFF with 12-bit samples is not read".
#include "image_readers.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Source {
    const unsigned char* data;
    std::size_t size;
    toff_t pos;
    char message[256];
};

tmsize_t Read(thandle_t h, void* out, tmsize_t n) {
    auto* s = static_cast<Source*>(h);
    if (n < 0 || s->pos >= s->size) return 0;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(n), s->size - s->pos);
    std::memcpy(out, s->data + s->pos, count);
    s->pos += count;
    return static_cast<tmsize_t>(count);
}
tmsize_t Write(thandle_t, void*, tmsize_t) { return 0; }
toff_t Seek(thandle_t h, toff_t offset, int whence) {
    auto* s = static_cast<Source*>(h);
    const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->pos : s->size;
    s->pos = base + offset;
    return s->pos;
}
int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return static_cast<Source*>(h)->size; }
int Map(thandle_t h, void** base, toff_t* size) {
    auto* s = static_cast<Source*>(h);
    *base = const_cast<unsigned char*>(s->data);
    *size = s->size;
    return 1;
}
void Unmap(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* s = static_cast<Source*>(user);
    if (s->message[0] == '\0') std::vsnprintf(s->message, sizeof s->message, format, args);
    return 1;
}
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// How many bytes of decoded data each compressed byte can give at most: none 1,
// PackBits 128 from 2, Deflate 1032 (a 258-byte match in 2 bits), LZW a 4096-byte
// string in a 9-bit code, JPEG 8 x 8 pixels of three 8-bit samples in 1.5 bits a
// block; 0 for compressions the host does not read.
std::uint64_t CompressionRatio(std::uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
            return 1;
        case COMPRESSION_PACKBITS:
            return 64;
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
            return 1032;
        case COMPRESSION_LZW:
            return 3641;
        case COMPRESSION_JPEG:
            return 1024;
        default:
            return 0;
    }
}

std::string CompressionName(std::uint16_t compression) {
    const TIFFCodec* codec = TIFFFindCODEC(compression);
    return codec && codec->name ? codec->name : "number " + std::to_string(compression);
}

struct Layout {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 1, samples = 1, format = SAMPLEFORMAT_UINT, photometric = 0;
    std::uint16_t planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    int colour = 0;      // colour samples: 1 grey or palette, 3 RGB
    int alpha = -1;      // the sample holding alpha, or -1
    bool direct = true;  // read sample for sample; else through libtiff's RGBA conversion
};

bool ReadLayout(TIFF* tif, Layout& l, ImageSink& sink) {
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &l.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;

    if (CompressionRatio(l.compression) == 0)
        return sink.Fail("TIFF with " + CompressionName(l.compression) +
                         " compression is not read (save it uncompressed, or with LZW, "
                         "Deflate, PackBits or JPEG)");
    if (l.format == SAMPLEFORMAT_INT || l.format == SAMPLEFORMAT_COMPLEXINT ||
        l.format == SAMPLEFORMAT_COMPLEXIEEEFP)
        return sink.Fail("TIFF with signed or complex samples is not read");
    const bool floats = l.format == SAMPLEFORMAT_IEEEFP;
    if (floats && l.bits != 32)
        return sink.Fail("TIFF with " + std::to_string(l.bits) +
                         "-bit floating-point samples is not read");
    if (!floats && l.bits != 1 && l.bits != 2 && l.bits != 4 && l.bits != 8 && l.bits != 16)
        return sink.Fail("TIFF with " + std::to_string(l.bits) + "-bit samples is not read");
    if (l.orientation < ORIENTATION_TOPLEFT || l.orientation > ORIENTATION_BOTLEFT)
        return sink.Fail("TIFF stored turned on its side (orientation " +
                         std::to_string(l.orientation) + ") is not read");
    if (l.planar != PLANARCONFIG_CONTIG && l.planar != PLANARCONFIG_SEPARATE)
        return sink.Fail("the TIFF file is damaged: unknown planar configuration");

    // JPEG-compressed YCbCr comes out of the codec as RGB.
    if (l.compression == COMPRESSION_JPEG && l.photometric == PHOTOMETRIC_YCBCR) {
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        l.photometric = PHOTOMETRIC_RGB;
    }
    switch (l.photometric) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_PALETTE:
            l.colour = 1;
            break;
        case PHOTOMETRIC_RGB:
            l.colour = 3;
            break;
        default:
            l.direct = false;
            break;
    }
    if (l.direct) {
        if (l.samples < l.colour)
            return sink.Fail("the TIFF file is damaged: " + std::to_string(l.samples) +
                             " samples a pixel are too few for its colours");
        if (l.bits < 8 && (l.samples != 1 || l.photometric == PHOTOMETRIC_RGB))
            return sink.Fail("TIFF with " + std::to_string(l.bits) +
                             "-bit colour samples is not read");
        if (l.photometric == PHOTOMETRIC_PALETTE && (floats || l.bits == 16 || l.samples != 1))
            return sink.Fail("TIFF with a palette of this layout is not read");
        if (l.samples > l.colour) {
            std::uint16_t count = 0;
            std::uint16_t* kinds = nullptr;
            TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &kinds);
            // The first extra sample is alpha unless it says it is something else.
            if (count == 0 || !kinds || kinds[0] != EXTRASAMPLE_UNSPECIFIED ||
                l.samples == l.colour + 1)
                l.alpha = l.colour;
        }
    } else if (l.bits != 8 || floats) {
        return sink.Fail("TIFF with " + std::to_string(l.bits) +
                         "-bit samples of photometric kind " + std::to_string(l.photometric) +
                         " is not read");
    }
    return true;
}

// The stored data of every strip or tile lies within the file, and is enough for
// the picture at the compression's best ratio.
bool HoldsItsPixels(TIFF* tif, const Layout& l, std::size_t size, ImageSink& sink) {
    const std::uint32_t striles =
        TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t stored = 0;
    for (std::uint32_t i = 0; i < striles; ++i) {
        int err = 0;
        const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tif, i, &err);
        const std::uint64_t bytes = err ? 0 : TIFFGetStrileByteCountWithErr(tif, i, &err);
        if (err || bytes == 0 || offset > size || bytes > size - offset)
            return sink.CutShort(size, l.width, l.height);
        stored += bytes;
    }
    const std::uint64_t raw = static_cast<std::uint64_t>(l.height) *
                              ((static_cast<std::uint64_t>(l.width) * l.samples * l.bits + 7) / 8);
    if (striles == 0 || stored * CompressionRatio(l.compression) < raw)
        return sink.CutShort(size, l.width, l.height);
    return true;
}

// Every row of every plane, decoded into `raw`: planes one after the other, each of
// `rowBytes` a row.
bool ReadPlanes(TIFF* tif, const Layout& l, std::size_t rowBytes, std::vector<unsigned char>& raw) {
    const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
    const std::size_t planeBytes = rowBytes * l.height;
    raw.assign(planeBytes * static_cast<std::size_t>(planes), 0);
    if (!TIFFIsTiled(tif)) {
        std::uint32_t rowsPerStrip = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
        rowsPerStrip = std::clamp<std::uint32_t>(rowsPerStrip, 1, l.height);
        const std::uint32_t strips = (l.height + rowsPerStrip - 1) / rowsPerStrip;
        for (int p = 0; p < planes; ++p) {
            for (std::uint32_t s = 0; s < strips; ++s) {
                const std::uint32_t rows = std::min(rowsPerStrip, l.height - s * rowsPerStrip);
                unsigned char* out = raw.data() + planeBytes * static_cast<std::size_t>(p) +
                                     static_cast<std::size_t>(s) * rowsPerStrip * rowBytes;
                const tmsize_t want = static_cast<tmsize_t>(rows * rowBytes);
                const uint32_t strip = static_cast<std::uint32_t>(p) * strips + s;
                if (TIFFReadEncodedStrip(tif, strip, out, want) < want) return false;
            }
        }
        return true;
    }
    std::uint32_t tw = 0, th = 0;
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
    const tmsize_t tileBytes = TIFFTileSize(tif);
    const tmsize_t tileRowBytes = TIFFTileRowSize(tif);
    if (tw == 0 || th == 0 || tileBytes <= 0 || tileRowBytes <= 0) return false;
    std::vector<unsigned char> tile(static_cast<std::size_t>(tileBytes));
    const std::size_t bitsPerPixel =
        static_cast<std::size_t>(l.bits) * (planes > 1 ? 1 : l.samples);
    for (int p = 0; p < planes; ++p) {
        for (std::uint32_t y = 0; y < l.height; y += th) {
            for (std::uint32_t x = 0; x < l.width; x += tw) {
                const std::uint32_t index = TIFFComputeTile(tif, x, y, 0, static_cast<uint16_t>(p));
                if (TIFFReadEncodedTile(tif, index, tile.data(), tileBytes) < 0) return false;
                // Tiles of sub-byte samples start on byte boundaries: tile widths are
                // multiples of 16.
                const std::size_t skip = x * bitsPerPixel / 8;
                const std::size_t bytes =
                    std::min<std::size_t>(static_cast<std::size_t>(tileRowBytes), rowBytes - skip);
                for (std::uint32_t r = 0; r < th && y + r < l.height; ++r)
                    std::memcpy(raw.data() + planeBytes * static_cast<std::size_t>(p) +
                                    (y + r) * rowBytes + skip,
                                tile.data() + static_cast<std::size_t>(r) *
                                                  static_cast<std::size_t>(tileRowBytes),
                                bytes);
            }
        }
    }
    return true;
}

// Row y of the stored picture to the sink's row `to`, sample for sample.
class RowConverter {
public:
    RowConverter(TIFF* tif, const Layout& l, ImageSink& sink) : l_(l), sink_(sink) {
        out_ = 1 + (l.colour == 3 ? 2 : 0) + (l.alpha >= 0 ? 1 : 0);
        if (l.photometric == PHOTOMETRIC_PALETTE) {
            out_ = 3;
            std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
            TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b);
            palette_.assign(static_cast<std::size_t>(3) << l.bits, 0);
            if (r && g && b)
                for (std::size_t i = 0; i < (std::size_t(1) << l.bits); ++i)
                    palette_[i * 3] = r[i], palette_[i * 3 + 1] = g[i], palette_[i * 3 + 2] = b[i];
        }
        const std::size_t n = static_cast<std::size_t>(l.width) * 4;
        if (l.format == SAMPLEFORMAT_IEEEFP)
            floats_.resize(n);
        else if (l.bits == 16 || !palette_.empty())
            wide_.resize(n);
        else
            narrow_.resize(n);
    }

    // `planes[p]` points at row y of plane p (one plane when the samples are interleaved).
    void Convert(int to, const unsigned char* const* planes) {
        const bool separate = l_.planar == PLANARCONFIG_SEPARATE;
        const int stride = separate ? 1 : l_.samples;
        auto sample = [&](std::uint32_t x, int s) -> std::uint32_t {
            const unsigned char* p = planes[separate ? s : 0];
            const std::size_t i = static_cast<std::size_t>(x) * static_cast<std::size_t>(stride) +
                                  static_cast<std::size_t>(separate ? 0 : s);
            switch (l_.bits) {
                case 16:
                    return reinterpret_cast<const std::uint16_t*>(p)[i];
                case 8:
                    return p[i];
                default: {  // 1, 2 or 4 bits, one sample a pixel, first pixel in the high bits
                    const std::size_t bit = i * l_.bits;
                    return (p[bit / 8] >> (8 - l_.bits - bit % 8)) & ((1u << l_.bits) - 1);
                }
            }
        };
        // The samples taken: the colour ones, then alpha.
        int channels[4] = {0, 1, 2, 3};
        const int count = l_.colour + (l_.alpha >= 0 ? 1 : 0);
        if (l_.alpha >= 0) channels[l_.colour] = l_.alpha;
        const bool flip =
            l_.orientation == ORIENTATION_TOPRIGHT || l_.orientation == ORIENTATION_BOTRIGHT;
        for (std::uint32_t i = 0; i < l_.width; ++i) {
            const std::uint32_t x = flip ? l_.width - 1 - i : i;
            if (!floats_.empty()) {
                float* o = &floats_[static_cast<std::size_t>(i) * 4];
                const float* f0 = reinterpret_cast<const float*>(planes[0]);
                for (int c = 0; c < 3; ++c) {
                    const int s = l_.colour == 3 ? c : 0;
                    o[c] = separate ? reinterpret_cast<const float*>(planes[s])[x]
                                    : f0[x * l_.samples + static_cast<std::uint32_t>(s)];
                }
                o[3] = l_.alpha < 0 ? 1.0f
                       : separate   ? reinterpret_cast<const float*>(planes[l_.alpha])[x]
                                    : f0[x * l_.samples + static_cast<std::uint32_t>(l_.alpha)];
                continue;
            }
            if (!palette_.empty()) {
                const std::uint32_t v = sample(x, 0);
                for (int c = 0; c < 3; ++c)
                    wide_[i * 3 + static_cast<std::uint32_t>(c)] =
                        palette_[v * 3 + static_cast<std::uint32_t>(c)];
                continue;
            }
            const std::uint32_t top = (1u << l_.bits) - 1;
            for (int c = 0; c < count; ++c) {
                std::uint32_t v = sample(x, channels[c]);
                if (c == 0 && l_.photometric == PHOTOMETRIC_MINISWHITE) v = top - v;
                // Grey of fewer than 8 bits widens to 8 by repeating its bits.
                if (l_.bits < 8) v = v * (255 / top);
                if (l_.bits == 16)
                    wide_[i * static_cast<std::uint32_t>(count) + static_cast<std::uint32_t>(c)] =
                        static_cast<std::uint16_t>(v);
                else
                    narrow_[i * static_cast<std::uint32_t>(count) + static_cast<std::uint32_t>(c)] =
                        static_cast<std::uint8_t>(v);
            }
        }
        if (!floats_.empty())
            sink_.StoreLinearRow(to, floats_.data());
        else if (!wide_.empty())
            sink_.StoreRow16(to, wide_.data(), out_);
        else
            sink_.StoreRow8(to, narrow_.data(), out_);
    }

private:
    const Layout& l_;
    ImageSink& sink_;
    int out_ = 1;
    std::vector<std::uint16_t> palette_;
    std::vector<float> floats_;
    std::vector<std::uint16_t> wide_;
    std::vector<std::uint8_t> narrow_;
};

struct CloseTiff {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
struct FreeOptions {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

}  // namespace

bool DecodeTiff(const unsigned char* data, std::size_t size, ImageSink& sink) {
    Source source{data, size, 0, {}};
    std::unique_ptr<TIFFOpenOptions, FreeOptions> options(TIFFOpenOptionsAlloc());
    if (!options) return sink.Fail("not enough memory for the picture");
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnWarning, &source);
    // No single buffer of the library's larger than the largest picture allowed.
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        options.get(), static_cast<tmsize_t>(
                           std::min<std::uint64_t>(MaxImagePixels(), INT32_MAX / 16) * 16 + 65536));
    auto damaged = [&](const char* what) {
        return sink.Fail(
            std::string("the TIFF file is damaged") +
            (source.message[0] ? std::string(": ") + source.message : std::string(what)));
    };
    std::unique_ptr<TIFF, CloseTiff> tif(TIFFClientOpenExt(
        "picture", "rm", &source, Read, Write, Seek, Close, Size, Map, Unmap, options.get()));
    if (!tif) return damaged("");
    Layout l;
    if (!ReadLayout(tif.get(), l, sink) || !sink.CheckSize(l.width, l.height) ||
        !HoldsItsPixels(tif.get(), l, size, sink))
        return false;
    if (!sink.Begin(l.width, l.height)) return false;

    if (!l.direct) {
        std::vector<std::uint32_t> abgr(static_cast<std::size_t>(l.width) * l.height);
        if (!TIFFReadRGBAImageOriented(tif.get(), l.width, l.height, abgr.data(),
                                       ORIENTATION_TOPLEFT, 0))
            return damaged(": its pixels cannot be read");
        std::vector<std::uint8_t> row(static_cast<std::size_t>(l.width) * 4);
        for (std::uint32_t y = 0; y < l.height; ++y) {
            for (std::uint32_t x = 0; x < l.width; ++x) {
                const std::uint32_t v = abgr[static_cast<std::size_t>(y) * l.width + x];
                row[x * 4] = TIFFGetR(v), row[x * 4 + 1] = TIFFGetG(v);
                row[x * 4 + 2] = TIFFGetB(v), row[x * 4 + 3] = TIFFGetA(v);
            }
            sink.StoreRow8(static_cast<int>(y), row.data(), 4);
        }
        return true;
    }

    const bool separate = l.planar == PLANARCONFIG_SEPARATE;
    const std::size_t rowBytes =
        (static_cast<std::size_t>(l.width) * (separate ? 1 : l.samples) * l.bits + 7) / 8;
    std::vector<unsigned char> raw;
    if (!ReadPlanes(tif.get(), l, rowBytes, raw)) return damaged(": its pixels cannot be read");
    RowConverter convert(tif.get(), l, sink);
    std::vector<const unsigned char*> planes(separate ? l.samples : 1);
    const bool bottomUp =
        l.orientation == ORIENTATION_BOTLEFT || l.orientation == ORIENTATION_BOTRIGHT;
    for (std::uint32_t y = 0; y < l.height; ++y) {
        const std::uint32_t stored = bottomUp ? l.height - 1 - y : y;
        for (std::size_t p = 0; p < planes.size(); ++p)
            planes[p] = raw.data() + (p * l.height + stored) * rowBytes;
        convert.Convert(static_cast<int>(y), planes.data());
    }
    return true;
}
