#include "fuzz/sample_images.h"

#include "lumra/image_file.h"

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfMultiPartOutputFile.h>
#include <OpenEXR/ImfOutputPart.h>
#include <OpenEXR/ImfPartType.h>
#include <OpenEXR/ImfRgbaFile.h>
#include <OpenEXR/ImfTiledRgbaFile.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
// libjpeg's headers need FILE and size_t declared first.
#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <exception>
#include <functional>
#include <stdexcept>

namespace {

using Bytes = std::vector<unsigned char>;

// --- The pictures' content ---------------------------------------------------------

struct Rgba {
    unsigned r, g, b, a;
};

// Busy 8-bit content: neighbours differ, every channel takes many values.
Rgba Busy(int x, int y) {
    return {static_cast<unsigned>(x * 53 + y * 7) & 255,
            static_cast<unsigned>(x * 3 + y * 61 + 40) & 255,
            static_cast<unsigned>(x * x * 5 + y * 3) & 255,
            static_cast<unsigned>(x * 17 + y * 29 + 9) & 255};
}
// Smooth content, for the lossy formats.
Rgba Smooth(int x, int y, int w, int h) {
    return {static_cast<unsigned>(20 + x * 200 / std::max(w - 1, 1)),
            static_cast<unsigned>(30 + y * 190 / std::max(h - 1, 1)),
            static_cast<unsigned>(100 + (x + y) * 50 / std::max(w + h - 2, 1)), 255};
}
// 16-bit content with low bytes of their own.
Rgba Busy16(int x, int y) {
    const Rgba c = Busy(x, y);
    return {(c.r * 257) ^ (static_cast<unsigned>(x * 131 + y * 17) & 255),
            c.g * 256 + static_cast<unsigned>(y * 97 + x) % 256,
            (c.b * 257) ^ (static_cast<unsigned>(x * y) & 255),
            c.a * 256 + static_cast<unsigned>(x * 7 + y * 5) % 256};
}
constexpr int kPaletteSize = 16;
Rgba PaletteColour(unsigned i) { return {i * 16, 255 - i * 13, (i * 71) & 255, i * 17}; }
unsigned PaletteIndex(int x, int y) { return static_cast<unsigned>(x * 3 + y) % kPaletteSize; }

// What a sample decodes to, as 8- or 16-bit RGBA samples.
class Expected {
public:
    Expected(int w, int h) : w_(w), h_(h) {}
    template <typename F>
    std::vector<std::uint16_t> Of(F colour) const {
        std::vector<std::uint16_t> v;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                const Rgba c = colour(x, y);
                v.insert(v.end(),
                         {static_cast<std::uint16_t>(c.r), static_cast<std::uint16_t>(c.g),
                          static_cast<std::uint16_t>(c.b), static_cast<std::uint16_t>(c.a)});
            }
        return v;
    }

private:
    int w_, h_;
};

void Le16(Bytes& b, unsigned v) { b.push_back(v & 255), b.push_back((v >> 8) & 255); }
void Le32(Bytes& b, std::uint32_t v) { Le16(b, v & 0xffff), Le16(b, v >> 16); }

// --- PNG ------------------------------------------------------------------------------

struct PngFormat {
    PngFormat(int type, int depth, bool interlaced = false, bool paletted = false,
              std::vector<png_byte> alpha = {})
        : colourType(type),
          bitDepth(depth),
          interlace(interlaced),
          palette(paletted),
          trnsAlpha(std::move(alpha)) {}
    int colourType, bitDepth;
    bool interlace = false;
    bool palette = false;
    std::vector<png_byte> trnsAlpha;  // palette alpha
    bool trnsColour = false;          // a transparent grey or RGB value
    png_color_16 trns{};
};

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void PngFlush(png_structp) {}
void PngError(png_structp png, png_const_charp message) {
    std::snprintf(static_cast<char*>(png_get_error_ptr(png)), 200, "%s", message);
    png_longjmp(png, 1);
}

// `rows`: each row as PNG stores it (packed samples, 16-bit big-endian).
bool EncodePngRows(int w, int h, const PngFormat& format, const std::vector<Bytes>& rows,
                   Bytes& out, char* message) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, PngError, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h),
                 format.bitDepth, format.colourType,
                 format.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[kPaletteSize];
    if (format.palette) {
        for (unsigned i = 0; i < kPaletteSize; ++i) {
            const Rgba c = PaletteColour(i);
            palette[i] = {static_cast<png_byte>(c.r), static_cast<png_byte>(c.g),
                          static_cast<png_byte>(c.b)};
        }
        png_set_PLTE(png, info, palette, kPaletteSize);
        if (!format.trnsAlpha.empty())
            png_set_tRNS(png, info, format.trnsAlpha.data(),
                         static_cast<int>(format.trnsAlpha.size()), nullptr);
    }
    if (format.trnsColour)
        png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(&format.trns));
    png_write_info(png, info);
    if (format.interlace) png_set_interlace_handling(png);
    const int passes = format.interlace ? 7 : 1;
    for (int p = 0; p < passes; ++p)
        for (int y = 0; y < h; ++y) png_write_row(png, rows[static_cast<std::size_t>(y)].data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Rows of samples packed at `bits` bits (1 to 16), `channels` a pixel, from a
// function of (x, y, channel).
std::vector<Bytes> PackRows(int w, int h, int channels, int bits,
                            const std::function<unsigned(int, int, int)>& sample) {
    std::vector<Bytes> rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        Bytes& row = rows[static_cast<std::size_t>(y)];
        row.assign((static_cast<std::size_t>(w) * channels * bits + 7) / 8, 0);
        std::size_t bit = 0;
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c, bit += static_cast<std::size_t>(bits)) {
                const unsigned v = sample(x, y, c);
                if (bits == 16) {
                    row[bit / 8] = static_cast<unsigned char>(v >> 8), row[bit / 8 + 1] = v & 255;
                } else {
                    row[bit / 8] |= static_cast<unsigned char>(v << (8 - bits - bit % 8));
                }
            }
    }
    return rows;
}

unsigned Channel(const Rgba& c, int k) { return k == 0 ? c.r : k == 1 ? c.g : k == 2 ? c.b : c.a; }

// --- JPEG -----------------------------------------------------------------------------

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};
[[noreturn]] void JpegFail(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

enum class JpegKind { Colour420, Colour444, Grey, Progressive, Cmyk, Ycck, Restarts };

bool EncodeJpeg(int w, int h, JpegKind kind, const Bytes& pixels, Bytes& out) {
    jpeg_compress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    const bool cmyk = kind == JpegKind::Cmyk || kind == JpegKind::Ycck;
    cinfo.input_components = kind == JpegKind::Grey ? 1 : cmyk ? 4 : 3;
    cinfo.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (kind == JpegKind::Colour444)
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    if (kind == JpegKind::Progressive) jpeg_simple_progression(&cinfo);
    if (kind == JpegKind::Ycck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
    if (kind == JpegKind::Restarts) cinfo.restart_in_rows = 1, cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride =
        static_cast<std::size_t>(w) * static_cast<std::size_t>(cinfo.input_components);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

// --- TIFF -----------------------------------------------------------------------------

struct TiffMemory {
    Bytes bytes;
    toff_t pos = 0;
};
tmsize_t TiffRead(thandle_t h, void* out, tmsize_t n) {
    auto* m = static_cast<TiffMemory*>(h);
    const std::size_t count = std::min<std::size_t>(
        static_cast<std::size_t>(n), m->pos < m->bytes.size() ? m->bytes.size() - m->pos : 0);
    std::memcpy(out, m->bytes.data() + m->pos, count);
    m->pos += count;
    return static_cast<tmsize_t>(count);
}
tmsize_t TiffWrite(thandle_t h, void* in, tmsize_t n) {
    auto* m = static_cast<TiffMemory*>(h);
    if (m->pos + static_cast<std::size_t>(n) > m->bytes.size())
        m->bytes.resize(m->pos + static_cast<std::size_t>(n));
    std::memcpy(m->bytes.data() + m->pos, in, static_cast<std::size_t>(n));
    m->pos += static_cast<toff_t>(n);
    return n;
}
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<TiffMemory*>(h);
    m->pos = (whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->bytes.size()) + off;
    return m->pos;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<TiffMemory*>(h)->bytes.size(); }
int TiffMap(thandle_t, void**, toff_t*) { return 0; }
void TiffUnmap(thandle_t, void*, toff_t) {}

struct TiffFormat {
    std::uint16_t bits = 8, samples = 3, photometric = PHOTOMETRIC_RGB,
                  compression = COMPRESSION_NONE;
    std::uint16_t format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG,
                  orientation = ORIENTATION_TOPLEFT;
    std::uint16_t predictor = 1;
    bool alpha = false, tiled = false, palette = false;
    std::uint32_t rowsPerStrip = 2;
};

// `rows`: each stored row of each plane (planes one after the other when separate),
// as TIFF holds them in native byte order.
bool EncodeTiff(int w, int h, const TiffFormat& s, const std::vector<Bytes>& rows, Bytes& out) {
    TiffMemory m;
    TIFF* t = TIFFClientOpen("sample", "w", &m, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                             TiffMap, TiffUnmap);
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(w));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(h));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, s.planar);
    TIFFSetField(t, TIFFTAG_COMPRESSION, s.compression);
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, s.format);
    TIFFSetField(t, TIFFTAG_ORIENTATION, s.orientation);
    if (s.predictor != 1) TIFFSetField(t, TIFFTAG_PREDICTOR, s.predictor);
    if (s.alpha) {
        const std::uint16_t kind = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    std::vector<std::uint16_t> r(s.palette ? std::size_t(1) << s.bits : 0), g(r.size()),
        b(r.size());
    if (s.palette) {
        for (unsigned i = 0; i < r.size() && i < kPaletteSize; ++i) {
            const Rgba c = PaletteColour(i);
            r[i] = static_cast<std::uint16_t>(c.r * 257),
            g[i] = static_cast<std::uint16_t>(c.g * 257),
            b[i] = static_cast<std::uint16_t>(c.b * 257);
        }
        TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (s.compression == COMPRESSION_JPEG) {
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
        TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    const int planes = s.planar == PLANARCONFIG_SEPARATE ? s.samples : 1;
    bool ok = true;
    if (s.tiled) {
        const std::uint32_t tile = 16;
        TIFFSetField(t, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, tile);
        const std::size_t rowBytes = rows[0].size();
        const std::size_t pixelBits = rowBytes * 8 / static_cast<std::size_t>(w);
        const std::size_t tileRow = tile * pixelBits / 8;
        Bytes buffer(tileRow * tile);
        for (int p = 0; p < planes && ok; ++p)
            for (int ty = 0; ty < h && ok; ty += static_cast<int>(tile))
                for (int tx = 0; tx < w && ok; tx += static_cast<int>(tile)) {
                    std::fill(buffer.begin(), buffer.end(), 0);
                    for (std::uint32_t yy = 0; yy < tile && ty + static_cast<int>(yy) < h; ++yy) {
                        const Bytes& row = rows[static_cast<std::size_t>(p * h + ty) + yy];
                        const std::size_t from = static_cast<std::size_t>(tx) * pixelBits / 8;
                        std::memcpy(&buffer[yy * tileRow], &row[from],
                                    std::min(tileRow, row.size() - from));
                    }
                    ok = TIFFWriteTile(t, buffer.data(), static_cast<std::uint32_t>(tx),
                                       static_cast<std::uint32_t>(ty), 0,
                                       static_cast<std::uint16_t>(p)) >= 0;
                }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP,
                     s.compression == COMPRESSION_JPEG ? 16u : s.rowsPerStrip);
        for (int p = 0; p < planes && ok; ++p)
            for (int y = 0; y < h && ok; ++y)
                ok = TIFFWriteScanline(t,
                                       const_cast<unsigned char*>(
                                           rows[static_cast<std::size_t>(p * h + y)].data()),
                                       static_cast<std::uint32_t>(y),
                                       static_cast<std::uint16_t>(p)) >= 0;
    }
    TIFFClose(t);
    out = std::move(m.bytes);
    return ok;
}

// Native-order rows of 8-bit, 16-bit or float samples.
template <typename T>
Bytes RowOf(const std::vector<T>& samples) {
    Bytes row(samples.size() * sizeof(T));
    std::memcpy(row.data(), samples.data(), row.size());
    return row;
}

// --- OpenEXR --------------------------------------------------------------------------

class ExrMemory : public Imf::OStream {
public:
    ExrMemory() : Imf::OStream("sample") {}
    void write(const char c[], int n) override {
        if (pos_ + static_cast<std::size_t>(n) > bytes.size())
            bytes.resize(pos_ + static_cast<std::size_t>(n));
        std::memcpy(bytes.data() + pos_, c, static_cast<std::size_t>(n));
        pos_ += static_cast<std::size_t>(n);
    }
    std::uint64_t tellp() override { return pos_; }
    void seekp(std::uint64_t p) override { pos_ = static_cast<std::size_t>(p); }
    Bytes bytes;

private:
    std::size_t pos_ = 0;
};

// Values exact in half precision.
float ExrValue(int x, int y, int c) {
    return static_cast<float>((x * 5 + y * 3 + c * 7) % 64) / 16.0f;
}

enum class ExrKind { ScanlineZip, ScanlinePiz, Tiled, MultiPart, Luminance };

bool EncodeExr(int w, int h, ExrKind kind, Bytes& out, std::vector<float>& linear) {
    std::vector<Imf::Rgba> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    linear.clear();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Imf::Rgba& p = pixels[static_cast<std::size_t>(y * w + x)];
            const bool grey = kind == ExrKind::Luminance;
            p = Imf::Rgba(ExrValue(x, y, 0), grey ? ExrValue(x, y, 0) : ExrValue(x, y, 1),
                          grey ? ExrValue(x, y, 0) : ExrValue(x, y, 2),
                          grey ? 1.0f : ExrValue(x, y, 3) / 4.0f);
            linear.insert(linear.end(), {p.r, p.g, p.b, p.a});
        }
    ExrMemory stream;
    {
        if (kind == ExrKind::Tiled) {
            Imf::TiledRgbaOutputFile file(stream, Imf::Header(w, h), Imf::WRITE_RGBA, 8, 8,
                                          Imf::ONE_LEVEL);
            file.setFrameBuffer(pixels.data(), 1, static_cast<std::size_t>(w));
            file.writeTiles(0, file.numXTiles() - 1, 0, file.numYTiles() - 1);
        } else if (kind == ExrKind::MultiPart) {
            std::vector<Imf::Header> headers(2, Imf::Header(w, h));
            for (int i = 0; i < 2; ++i) {
                headers[static_cast<std::size_t>(i)].setName(i == 0 ? "beauty" : "extra");
                headers[static_cast<std::size_t>(i)].setType(Imf::SCANLINEIMAGE);
                for (const char* c : {"R", "G", "B", "A"})
                    headers[static_cast<std::size_t>(i)].channels().insert(c,
                                                                           Imf::Channel(Imf::HALF));
            }
            Imf::MultiPartOutputFile file(stream, headers.data(), 2);
            for (int i = 0; i < 2; ++i) {
                Imf::OutputPart part(file, i);
                Imf::FrameBuffer fb;
                char* base = reinterpret_cast<char*>(pixels.data());
                const std::size_t xs = sizeof(Imf::Rgba), ys = xs * static_cast<std::size_t>(w);
                fb.insert("R", Imf::Slice(Imf::HALF, base + offsetof(Imf::Rgba, r), xs, ys));
                fb.insert("G", Imf::Slice(Imf::HALF, base + offsetof(Imf::Rgba, g), xs, ys));
                fb.insert("B", Imf::Slice(Imf::HALF, base + offsetof(Imf::Rgba, b), xs, ys));
                fb.insert("A", Imf::Slice(Imf::HALF, base + offsetof(Imf::Rgba, a), xs, ys));
                part.setFrameBuffer(fb);
                part.writePixels(h);
            }
        } else {
            Imf::Header header(w, h);
            header.compression() =
                kind == ExrKind::ScanlinePiz ? Imf::PIZ_COMPRESSION : Imf::ZIP_COMPRESSION;
            Imf::RgbaOutputFile file(stream, header,
                                     kind == ExrKind::Luminance ? Imf::WRITE_Y : Imf::WRITE_RGBA);
            file.setFrameBuffer(pixels.data(), 1, static_cast<std::size_t>(w));
            file.writePixels(h);
        }
    }
    out = std::move(stream.bytes);
    return true;
}

// --- TGA and BMP, byte by byte ----------------------------------------------------------

// A TGA of type `type` (1, 2, 3; +8 run-length) with `depth` bits a pixel; the
// pixels are given in display order (top row first, left to right) as stored
// bytes, and laid out from the corner the flags ask.
Bytes EncodeTga(int w, int h, unsigned type, unsigned depth, bool topDown, bool rightToLeft,
                const std::vector<Bytes>& pixels, const Bytes& palette, unsigned entryBits) {
    Bytes b = {3, static_cast<unsigned char>(palette.empty() ? 0 : 1),
               static_cast<unsigned char>(type)};
    Le16(b, 0);
    Le16(b, palette.empty() ? 0 : static_cast<unsigned>(palette.size() * 8 / entryBits));
    b.push_back(static_cast<unsigned char>(palette.empty() ? 0 : entryBits));
    Le16(b, 0), Le16(b, 0), Le16(b, static_cast<unsigned>(w)), Le16(b, static_cast<unsigned>(h));
    b.push_back(static_cast<unsigned char>(depth));
    b.push_back(static_cast<unsigned char>((topDown ? 0x20 : 0) | (rightToLeft ? 0x10 : 0) |
                                           (depth == 32 ? 8 : 0)));
    b.insert(b.end(), {'i', 'd', '!'});  // the image id
    b.insert(b.end(), palette.begin(), palette.end());
    std::vector<Bytes> stored;
    for (int i = 0; i < h; ++i) {
        const int y = topDown ? i : h - 1 - i;
        for (int j = 0; j < w; ++j)
            stored.push_back(
                pixels[static_cast<std::size_t>(y * w + (rightToLeft ? w - 1 - j : j))]);
    }
    if (type < 8) {
        for (const Bytes& p : stored) b.insert(b.end(), p.begin(), p.end());
        return b;
    }
    // Runs of equal pixels as run packets, the rest as raw packets, across rows.
    for (std::size_t i = 0; i < stored.size();) {
        std::size_t run = 1;
        while (i + run < stored.size() && run < 128 && stored[i + run] == stored[i]) ++run;
        if (run >= 2) {
            b.push_back(static_cast<unsigned char>(0x80 | (run - 1)));
            b.insert(b.end(), stored[i].begin(), stored[i].end());
            i += run;
            continue;
        }
        std::size_t n = 1;
        while (i + n < stored.size() && n < 128 &&
               !(i + n + 1 < stored.size() && stored[i + n] == stored[i + n + 1]))
            ++n;
        b.push_back(static_cast<unsigned char>(n - 1));
        for (std::size_t k = 0; k < n; ++k)
            b.insert(b.end(), stored[i + k].begin(), stored[i + k].end());
        i += n;
    }
    return b;
}

struct BmpFormat {
    unsigned bits = 24, compression = 0, headerBytes = 40;
    bool topDown = false;
    std::uint32_t masks[4] = {0, 0, 0, 0};
};

// `rows`: each row's stored bytes in display order (top first), unpadded, or the
// run-length data of the whole picture as rows[0].
Bytes EncodeBmp(int w, int h, const BmpFormat& s, const std::vector<Bytes>& rows,
                const Bytes& palette) {
    Bytes header;
    const bool core = s.headerBytes == 12;
    Le32(header, s.headerBytes);
    if (core) {
        Le16(header, static_cast<unsigned>(w)), Le16(header, static_cast<unsigned>(h)),
            Le16(header, 1), Le16(header, s.bits);
    } else {
        Le32(header, static_cast<std::uint32_t>(w));
        Le32(header, static_cast<std::uint32_t>(s.topDown ? -h : h));
        Le16(header, 1), Le16(header, s.bits), Le32(header, s.compression);
        Le32(header, 0), Le32(header, 2835), Le32(header, 2835);
        Le32(header, palette.empty() ? 0 : static_cast<std::uint32_t>(palette.size() / 4)),
            Le32(header, 0);
        if (s.headerBytes >= 108) {
            for (std::uint32_t m : s.masks) Le32(header, m);
            Le32(header, 0x73524742);  // sRGB
            header.resize(s.headerBytes, 0);
        }
    }
    Bytes masks;
    if (s.headerBytes == 40 && s.compression == 3)
        for (int i = 0; i < 3; ++i) Le32(masks, s.masks[i]);
    Bytes pixels;
    if (s.compression == 1 || s.compression == 2) {
        pixels = rows[0];
    } else {
        for (int i = 0; i < h; ++i) {
            const Bytes& row = rows[static_cast<std::size_t>(s.topDown ? i : h - 1 - i)];
            pixels.insert(pixels.end(), row.begin(), row.end());
            pixels.resize((pixels.size() + 3) & ~std::size_t(3), 0);
        }
    }
    const std::uint32_t offset =
        static_cast<std::uint32_t>(14 + header.size() + masks.size() + palette.size());
    Bytes b = {'B', 'M'};
    Le32(b, offset + static_cast<std::uint32_t>(pixels.size()));
    Le32(b, 0), Le32(b, offset);
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), masks.begin(), masks.end());
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// Run-length data of palette indices: RLE8 runs and absolute stretches, or RLE4
// runs of alternating pairs; rows from the bottom.
Bytes BmpRunLength(int w, int h, bool four, const std::function<unsigned(int, int)>& index) {
    Bytes out;
    for (int y = h - 1; y >= 0; --y) {
        int x = 0;
        while (x < w) {
            if (!four && x + 3 <= w && x % 5 == 0) {  // an absolute stretch of three
                out.insert(out.end(), {0, 3, static_cast<unsigned char>(index(x, y)),
                                       static_cast<unsigned char>(index(x + 1, y)),
                                       static_cast<unsigned char>(index(x + 2, y)), 0});
                x += 3;
                continue;
            }
            int run = 1;
            const unsigned v = index(x, y);
            if (four) {
                while (x + run < w && run < 255 &&
                       index(x + run, y) == (run % 2 ? index(x + 1, y) : v))
                    ++run;
                out.push_back(static_cast<unsigned char>(run));
                out.push_back(
                    static_cast<unsigned char>((v << 4) | (x + 1 < w ? index(x + 1, y) : 0)));
            } else {
                while (x + run < w && run < 255 && index(x + run, y) == v) ++run;
                out.push_back(static_cast<unsigned char>(run));
                out.push_back(static_cast<unsigned char>(v));
            }
            x += run;
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

// --- All of them ---------------------------------------------------------------------

class Maker {
public:
    Maker(int w, int h, std::vector<SampleImage>* out) : w_(w), h_(h), out_(out), e_(w, h) {}

    SampleImage& Add(std::string name, Bytes bytes, std::vector<std::uint16_t> samples,
                     int depth = 8) {
        SampleImage s;
        s.name = std::move(name);
        s.bytes = std::move(bytes);
        s.width = w_, s.height = h_;
        s.depth = depth;
        s.samples = std::move(samples);
        out_->push_back(std::move(s));
        return out_->back();
    }

    void Png() {
        struct Variant {
            const char* name;
            PngFormat format;
            int channels, bits;
            std::function<unsigned(int, int, int)> sample;
            std::function<Rgba(int, int)> decoded;
            int depth;
        };
        auto busy = [](int x, int y, int c) { return Channel(Busy(x, y), c); };
        auto busy16 = [](int x, int y, int c) { return Channel(Busy16(x, y), c); };
        auto grey = [](int x, int y) { return Busy(x, y).r; };
        std::vector<Variant> variants = {
            {"png_rgb8",
             {PNG_COLOR_TYPE_RGB, 8},
             3,
             8,
             busy,
             [](int x, int y) {
                 Rgba c = Busy(x, y);
                 c.a = 255;
                 return c;
             },
             8},
            {"png_rgba8", {PNG_COLOR_TYPE_RGB_ALPHA, 8}, 4, 8, busy, Busy, 8},
            {"png_rgba8_interlaced", {PNG_COLOR_TYPE_RGB_ALPHA, 8, true}, 4, 8, busy, Busy, 8},
            {"png_grey8",
             {PNG_COLOR_TYPE_GRAY, 8},
             1,
             8,
             [=](int x, int y, int) { return grey(x, y); },
             [=](int x, int y) {
                 return Rgba{grey(x, y), grey(x, y), grey(x, y), 255};
             },
             8},
            {"png_grey_alpha8",
             {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
             2,
             8,
             [=](int x, int y, int c) { return c == 0 ? grey(x, y) : Busy(x, y).a; },
             [=](int x, int y) {
                 return Rgba{grey(x, y), grey(x, y), grey(x, y), Busy(x, y).a};
             },
             8},
            {"png_grey1",
             {PNG_COLOR_TYPE_GRAY, 1},
             1,
             1,
             [](int x, int y, int) { return unsigned((x + y) % 3 == 0); },
             [](int x, int y) {
                 const unsigned v = (x + y) % 3 == 0 ? 255 : 0;
                 return Rgba{v, v, v, 255};
             },
             8},
            {"png_grey2_interlaced",
             {PNG_COLOR_TYPE_GRAY, 2, true},
             1,
             2,
             [](int x, int y, int) { return unsigned(x + 2 * y) % 4; },
             [](int x, int y) {
                 const unsigned v = unsigned(x + 2 * y) % 4 * 85;
                 return Rgba{v, v, v, 255};
             },
             8},
            {"png_palette8",
             {PNG_COLOR_TYPE_PALETTE, 8, false, true},
             1,
             8,
             [](int x, int y, int) { return PaletteIndex(x, y); },
             [](int x, int y) {
                 Rgba c = PaletteColour(PaletteIndex(x, y));
                 c.a = 255;
                 return c;
             },
             8},
            {"png_palette4_trns",
             {PNG_COLOR_TYPE_PALETTE, 4, false, true, {0, 40, 80, 120, 160, 200}},
             1,
             4,
             [](int x, int y, int) { return PaletteIndex(x, y); },
             [](int x, int y) {
                 const unsigned i = PaletteIndex(x, y);
                 Rgba c = PaletteColour(i);
                 c.a = i < 6 ? i * 40 : 255;
                 return c;
             },
             8},
            {"png_rgb16",
             {PNG_COLOR_TYPE_RGB, 16},
             3,
             16,
             busy16,
             [](int x, int y) {
                 Rgba c = Busy16(x, y);
                 c.a = 65535;
                 return c;
             },
             16},
            {"png_rgba16_interlaced",
             {PNG_COLOR_TYPE_RGB_ALPHA, 16, true},
             4,
             16,
             busy16,
             Busy16,
             16},
            {"png_grey16",
             {PNG_COLOR_TYPE_GRAY, 16},
             1,
             16,
             [](int x, int y, int) { return Busy16(x, y).g; },
             [](int x, int y) {
                 const unsigned v = Busy16(x, y).g;
                 return Rgba{v, v, v, 65535};
             },
             16},
        };
        PngFormat trnsRgb{PNG_COLOR_TYPE_RGB, 8};
        trnsRgb.trnsColour = true;
        trnsRgb.trns.red = static_cast<png_uint_16>(Busy(1, 1).r),
        trnsRgb.trns.green = static_cast<png_uint_16>(Busy(1, 1).g),
        trnsRgb.trns.blue = static_cast<png_uint_16>(Busy(1, 1).b);
        variants.push_back({"png_rgb8_trns", trnsRgb, 3, 8, busy,
                            [](int x, int y) {
                                Rgba c = Busy(x, y);
                                const Rgba t = Busy(1, 1);
                                c.a = c.r == t.r && c.g == t.g && c.b == t.b ? 0 : 255;
                                return c;
                            },
                            8});
        for (const Variant& v : variants) {
            Bytes bytes;
            char message[200] = {};
            if (!EncodePngRows(w_, h_, v.format, PackRows(w_, h_, v.channels, v.bits, v.sample),
                               bytes, message))
                throw std::runtime_error(std::string(v.name) + ": " + message);
            Add(std::string(v.name) + ".png", std::move(bytes), e_.Of(v.decoded), v.depth)
                .oldDecoderReads = true;
        }
    }

    void Jpeg() {
        const std::pair<const char*, JpegKind> kinds[] = {
            {"jpeg_420", JpegKind::Colour420},    {"jpeg_444", JpegKind::Colour444},
            {"jpeg_grey", JpegKind::Grey},        {"jpeg_progressive", JpegKind::Progressive},
            {"jpeg_cmyk", JpegKind::Cmyk},        {"jpeg_ycck", JpegKind::Ycck},
            {"jpeg_restarts", JpegKind::Restarts}};
        for (const auto& [name, kind] : kinds) {
            const bool cmyk = kind == JpegKind::Cmyk || kind == JpegKind::Ycck;
            const bool grey = kind == JpegKind::Grey;
            Bytes pixels;
            for (int y = 0; y < h_; ++y)
                for (int x = 0; x < w_; ++x) {
                    const Rgba c = Smooth(x, y, w_, h_);
                    if (grey)
                        pixels.push_back(static_cast<unsigned char>(c.g));
                    else if (cmyk)
                        pixels.insert(pixels.end(), {static_cast<unsigned char>(c.r),
                                                     static_cast<unsigned char>(c.g),
                                                     static_cast<unsigned char>(c.b), 200});
                    else
                        pixels.insert(pixels.end(), {static_cast<unsigned char>(c.r),
                                                     static_cast<unsigned char>(c.g),
                                                     static_cast<unsigned char>(c.b)});
                }
            Bytes bytes;
            if (!EncodeJpeg(w_, h_, kind, pixels, bytes))
                throw std::runtime_error(std::string(name) + " cannot be encoded");
            const int width = w_, height = h_;
            SampleImage& s =
                Add(std::string(name) + ".jpg", std::move(bytes), e_.Of([=](int x, int y) {
                    Rgba c = Smooth(x, y, width, height);
                    if (grey) c.r = c.b = c.g;
                    // Adobe's CMYK is stored inverted: the picture is C * K.
                    if (cmyk)
                        c = {(c.r * 200 + 127) / 255, (c.g * 200 + 127) / 255,
                             (c.b * 200 + 127) / 255, 255};
                    return c;
                }));
            s.tolerance = 6;
            s.oldDecoderReads = true;
        }
    }

    void Tiff() {
        auto rows8 = [&](int channels, const std::function<unsigned(int, int, int)>& f) {
            std::vector<Bytes> rows;
            for (int y = 0; y < h_; ++y) {
                std::vector<std::uint8_t> v;
                for (int x = 0; x < w_; ++x)
                    for (int c = 0; c < channels; ++c)
                        v.push_back(static_cast<std::uint8_t>(f(x, y, c)));
                rows.push_back(RowOf(v));
            }
            return rows;
        };
        auto busy = [](int x, int y, int c) { return Channel(Busy(x, y), c); };
        auto opaque = [](int x, int y) {
            Rgba c = Busy(x, y);
            c.a = 255;
            return c;
        };
        auto add = [&](const char* name, const TiffFormat& format, const std::vector<Bytes>& rows,
                       std::vector<std::uint16_t> want, int depth = 8) -> SampleImage& {
            Bytes bytes;
            if (!EncodeTiff(w_, h_, format, rows, bytes))
                throw std::runtime_error(std::string(name) + " cannot be encoded");
            return Add(std::string(name) + ".tif", std::move(bytes), std::move(want), depth);
        };
        TiffFormat rgb;
        add("tiff_rgb8", rgb, rows8(3, busy), e_.Of(opaque));
        TiffFormat rgba = rgb;
        rgba.samples = 4, rgba.alpha = true, rgba.compression = COMPRESSION_LZW, rgba.predictor = 2;
        add("tiff_rgba8_lzw", rgba, rows8(4, busy), e_.Of(Busy));
        TiffFormat tiled = rgb;
        tiled.tiled = true, tiled.compression = COMPRESSION_ADOBE_DEFLATE;
        add("tiff_rgb8_tiled_deflate", tiled, rows8(3, busy), e_.Of(opaque));
        TiffFormat planar = rgb;
        planar.planar = PLANARCONFIG_SEPARATE, planar.compression = COMPRESSION_PACKBITS;
        {
            std::vector<Bytes> rows;
            for (int c = 0; c < 3; ++c) {
                auto plane = rows8(1, [&](int x, int y, int) { return Channel(Busy(x, y), c); });
                rows.insert(rows.end(), plane.begin(), plane.end());
            }
            add("tiff_rgb8_planar_packbits", planar, rows, e_.Of(opaque));
        }
        TiffFormat grey16 = rgb;
        grey16.bits = 16, grey16.samples = 1, grey16.photometric = PHOTOMETRIC_MINISBLACK,
        grey16.compression = COMPRESSION_ADOBE_DEFLATE;
        {
            std::vector<Bytes> rows;
            for (int y = 0; y < h_; ++y) {
                std::vector<std::uint16_t> v;
                for (int x = 0; x < w_; ++x)
                    v.push_back(static_cast<std::uint16_t>(Busy16(x, y).g));
                rows.push_back(RowOf(v));
            }
            add("tiff_grey16_deflate", grey16, rows, e_.Of([](int x, int y) {
                const unsigned v = Busy16(x, y).g;
                return Rgba{v, v, v, 65535};
            }),
                16);
        }
        TiffFormat white = grey16;
        white.bits = 1, white.photometric = PHOTOMETRIC_MINISWHITE,
        white.compression = COMPRESSION_NONE;
        add("tiff_miniswhite1", white,
            PackRows(w_, h_, 1, 1, [](int x, int y, int) { return unsigned((x * y) % 3 == 0); }),
            e_.Of([](int x, int y) {
                const unsigned v = (x * y) % 3 == 0 ? 0 : 255;
                return Rgba{v, v, v, 255};
            }));
        TiffFormat palette = grey16;
        palette.bits = 8, palette.photometric = PHOTOMETRIC_PALETTE, palette.palette = true;
        palette.orientation = ORIENTATION_BOTLEFT;
        {
            // Stored from the bottom row up.
            auto rows = rows8(1, [&](int x, int y, int) { return PaletteIndex(x, h_ - 1 - y); });
            add("tiff_palette8_bottom_up", palette, rows, e_.Of([](int x, int y) {
                const Rgba c = PaletteColour(PaletteIndex(x, y));
                return Rgba{c.r * 257, c.g * 257, c.b * 257, 65535};
            }),
                16);
        }
        TiffFormat floats = rgb;
        floats.bits = 32, floats.format = SAMPLEFORMAT_IEEEFP,
        floats.compression = COMPRESSION_ADOBE_DEFLATE;
        {
            std::vector<Bytes> rows;
            std::vector<float> linear;
            for (int y = 0; y < h_; ++y) {
                std::vector<float> v;
                for (int x = 0; x < w_; ++x) {
                    for (int c = 0; c < 3; ++c) v.push_back(ExrValue(x, y, c) * 10.0f + 0.1f);
                    linear.insert(linear.end(), {v[v.size() - 3], v[v.size() - 2], v.back(), 1.0f});
                }
                rows.push_back(RowOf(v));
            }
            SampleImage& s = add("tiff_rgb_float", floats, rows, {}, 0);
            s.linear = std::move(linear);
        }
        TiffFormat jpeg = rgb;
        jpeg.photometric = PHOTOMETRIC_YCBCR, jpeg.compression = COMPRESSION_JPEG;
        {
            const int width = w_, height = h_;
            auto smooth = [=](int x, int y, int c) {
                return Channel(Smooth(x, y, width, height), c);
            };
            add("tiff_jpeg_ycbcr", jpeg, rows8(3, smooth), e_.Of([=](int x, int y) {
                return Smooth(x, y, width, height);
            })).tolerance = 6;
        }
        TiffFormat cmyk = rgb;
        cmyk.samples = 4, cmyk.photometric = PHOTOMETRIC_SEPARATED;
        {
            auto ink = [](int x, int y, int c) {
                return c == 3 ? 40u : 255 - Channel(Busy(x, y), c);
            };
            // libtiff's conversion: each colour is (255 - ink) * (255 - black) / 255.
            add("tiff_cmyk8", cmyk, rows8(4, ink), e_.Of([](int x, int y) {
                Rgba c = Busy(x, y);
                auto k = [](unsigned v) { return v * 215 / 255; };
                return Rgba{k(c.r), k(c.g), k(c.b), 255};
            })).tolerance = 1;
        }
    }

    void Exr() {
        const std::pair<const char*, ExrKind> kinds[] = {{"exr_zip", ExrKind::ScanlineZip},
                                                         {"exr_piz", ExrKind::ScanlinePiz},
                                                         {"exr_tiled", ExrKind::Tiled},
                                                         {"exr_multipart", ExrKind::MultiPart},
                                                         {"exr_luminance", ExrKind::Luminance}};
        for (const auto& [name, kind] : kinds) {
            Bytes bytes;
            std::vector<float> linear;
            EncodeExr(w_, h_, kind, bytes, linear);
            SampleImage& s = Add(std::string(name) + ".exr", std::move(bytes), {}, 0);
            s.linear = std::move(linear);
        }
    }

    void Radiance() {
        for (int width : {5, std::max(w_, 9)}) {
            std::vector<float> rgb;
            for (int y = 0; y < h_; ++y)
                for (int x = 0; x < width; ++x)
                    for (int c = 0; c < 3; ++c) rgb.push_back(ExrValue(x, y, c) * 3.0f);
            const std::string text = EncodeRadianceHdr(width, h_, rgb.data());
            SampleImage& s = Add(width >= 8 ? "radiance_runs.hdr" : "radiance_flat.hdr",
                                 Bytes(text.begin(), text.end()), {}, 0);
            s.width = width;
        }
    }

    void Tga() {
        auto bgr = [](const Rgba& c) {
            return Bytes{static_cast<unsigned char>(c.b), static_cast<unsigned char>(c.g),
                         static_cast<unsigned char>(c.r)};
        };
        auto pixels = [&](const std::function<Bytes(int, int)>& f) {
            std::vector<Bytes> v;
            for (int y = 0; y < h_; ++y)
                for (int x = 0; x < w_; ++x) v.push_back(f(x, y));
            return v;
        };
        // Runs for the run-length variants: pairs of equal pixels.
        auto runs = [](int x, int y) { return Busy(x / 3, y); };
        auto opaque = [](Rgba c) {
            c.a = 255;
            return c;
        };
        struct Variant {
            const char* name;
            unsigned type, depth;
            bool topDown, rightToLeft, oldReads;
            std::function<Bytes(int, int)> stored;
            std::function<Rgba(int, int)> decoded;
        };
        const std::vector<Variant> variants = {
            {"tga_rgb24", 2, 24, false, false, true, [&](int x, int y) { return bgr(Busy(x, y)); },
             [&](int x, int y) { return opaque(Busy(x, y)); }},
            {"tga_rgba32_top_down", 2, 32, true, false, true,
             [&](int x, int y) {
                 Bytes b = bgr(Busy(x, y));
                 b.push_back(static_cast<unsigned char>(Busy(x, y).a));
                 return b;
             },
             Busy},
            {"tga_rgb24_right_to_left", 2, 24, false, true, false,
             [&](int x, int y) { return bgr(Busy(x, y)); },
             [&](int x, int y) { return opaque(Busy(x, y)); }},
            {"tga_rgb24_rle", 10, 24, false, false, true,
             [&](int x, int y) { return bgr(runs(x, y)); },
             [&](int x, int y) { return opaque(runs(x, y)); }},
            {"tga_rgba32_rle_top_down", 10, 32, true, false, true,
             [&](int x, int y) {
                 Bytes b = bgr(runs(x, y));
                 b.push_back(static_cast<unsigned char>(runs(x, y).a));
                 return b;
             },
             runs},
            {"tga_rgb16", 2, 16, false, false, true,
             [&](int x, int y) {
                 const Rgba c = Busy(x, y);
                 Bytes b;
                 Le16(b, (c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3);
                 return b;
             },
             [&](int x, int y) {
                 const Rgba c = Busy(x, y);
                 return Rgba{(c.r >> 3) * 255 / 31, (c.g >> 3) * 255 / 31, (c.b >> 3) * 255 / 31,
                             255};
             }},
            {"tga_grey8", 3, 8, false, false, true,
             [&](int x, int y) { return Bytes{static_cast<unsigned char>(Busy(x, y).g)}; },
             [&](int x, int y) {
                 const unsigned v = Busy(x, y).g;
                 return Rgba{v, v, v, 255};
             }},
            {"tga_grey_alpha16_rle", 11, 16, true, false, true,
             [&](int x, int y) {
                 return Bytes{static_cast<unsigned char>(runs(x, y).g),
                              static_cast<unsigned char>(runs(x, y).a)};
             },
             [&](int x, int y) {
                 const Rgba c = runs(x, y);
                 return Rgba{c.g, c.g, c.g, c.a};
             }},
        };
        for (const Variant& v : variants) {
            Add(std::string(v.name) + ".tga",
                EncodeTga(w_, h_, v.type, v.depth, v.topDown, v.rightToLeft, pixels(v.stored), {},
                          0),
                e_.Of(v.decoded))
                .oldDecoderReads = v.oldReads;
        }
        Bytes palette;
        for (unsigned i = 0; i < kPaletteSize; ++i) {
            const Bytes e = bgr(PaletteColour(i));
            palette.insert(palette.end(), e.begin(), e.end());
        }
        auto index = [](int x, int y) {
            return Bytes{static_cast<unsigned char>(PaletteIndex(x / 2, y))};
        };
        auto colour = [&](int x, int y) { return opaque(PaletteColour(PaletteIndex(x / 2, y))); };
        Add("tga_palette.tga", EncodeTga(w_, h_, 1, 8, false, false, pixels(index), palette, 24),
            e_.Of(colour))
            .oldDecoderReads = true;
        Add("tga_palette_rle.tga", EncodeTga(w_, h_, 9, 8, true, false, pixels(index), palette, 24),
            e_.Of(colour))
            .oldDecoderReads = true;
    }

    void Bmp() {
        auto opaque = [](Rgba c) {
            c.a = 255;
            return c;
        };
        auto rows = [&](const std::function<Bytes(int, int)>& f) {
            std::vector<Bytes> v(static_cast<std::size_t>(h_));
            for (int y = 0; y < h_; ++y)
                for (int x = 0; x < w_; ++x) {
                    const Bytes p = f(x, y);
                    v[static_cast<std::size_t>(y)].insert(v[static_cast<std::size_t>(y)].end(),
                                                          p.begin(), p.end());
                }
            return v;
        };
        auto bgr = [](const Rgba& c) {
            return Bytes{static_cast<unsigned char>(c.b), static_cast<unsigned char>(c.g),
                         static_cast<unsigned char>(c.r)};
        };
        auto add = [&](const char* name, const BmpFormat& s, const std::vector<Bytes>& r,
                       const Bytes& palette, const std::function<Rgba(int, int)>& decoded,
                       bool oldReads = true) {
            Add(std::string(name) + ".bmp", EncodeBmp(w_, h_, s, r, palette), e_.Of(decoded))
                .oldDecoderReads = oldReads;
        };
        BmpFormat rgb;
        add("bmp_rgb24", rgb, rows([&](int x, int y) { return bgr(Busy(x, y)); }), {},
            [&](int x, int y) { return opaque(Busy(x, y)); });
        BmpFormat topDown = rgb;
        topDown.topDown = true;
        add("bmp_rgb24_top_down", topDown, rows([&](int x, int y) { return bgr(Busy(x, y)); }), {},
            [&](int x, int y) { return opaque(Busy(x, y)); });
        BmpFormat argb = rgb;
        argb.bits = 32;
        add("bmp_argb32", argb, rows([&](int x, int y) {
                Bytes b = bgr(Busy(x, y));
                b.push_back(static_cast<unsigned char>(Busy(x, y).a));
                return b;
            }),
            {}, Busy);
        add("bmp_xrgb32", argb, rows([&](int x, int y) {
                Bytes b = bgr(Busy(x, y));
                b.push_back(0);
                return b;
            }),
            {}, [&](int x, int y) { return opaque(Busy(x, y)); });
        BmpFormat rgb555 = rgb;
        rgb555.bits = 16;
        auto c555 = [&](int x, int y) {
            const Rgba c = Busy(x, y);
            Bytes b;
            Le16(b, (c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3);
            return b;
        };
        auto widen5 = [](unsigned v) { return (v << 3) | (v >> 2); };
        add("bmp_rgb555", rgb555, rows(c555), {}, [&](int x, int y) {
            const Rgba c = Busy(x, y);
            return Rgba{widen5(c.r >> 3), widen5(c.g >> 3), widen5(c.b >> 3), 255};
        });
        BmpFormat rgb565 = rgb555;
        rgb565.compression = 3, rgb565.masks[0] = 0xf800, rgb565.masks[1] = 0x07e0,
        rgb565.masks[2] = 0x001f;
        rgb565.topDown = true;
        auto c565 = [&](int x, int y) {
            const Rgba c = Busy(x, y);
            Bytes b;
            Le16(b, (c.r >> 3) << 11 | (c.g >> 2) << 5 | c.b >> 3);
            return b;
        };
        add("bmp_rgb565_top_down", rgb565, rows(c565), {}, [&](int x, int y) {
            const Rgba c = Busy(x, y);
            return Rgba{widen5(c.r >> 3), ((c.g >> 2) << 2) | (c.g >> 6), widen5(c.b >> 3), 255};
        });
        BmpFormat v5 = argb;
        v5.headerBytes = 124, v5.compression = 3;
        v5.masks[0] = 0x00ff0000, v5.masks[1] = 0x0000ff00, v5.masks[2] = 0x000000ff,
        v5.masks[3] = 0xff000000;
        add("bmp_v5_argb32", v5, rows([&](int x, int y) {
                Bytes b = bgr(Busy(x, y));
                b.push_back(static_cast<unsigned char>(Busy(x, y).a));
                return b;
            }),
            {}, Busy);

        Bytes palette;
        for (unsigned i = 0; i < kPaletteSize; ++i) {
            Bytes e = bgr(PaletteColour(i));
            e.push_back(0);
            palette.insert(palette.end(), e.begin(), e.end());
        }
        auto colour = [&](int x, int y) { return opaque(PaletteColour(PaletteIndex(x, y))); };
        BmpFormat pal8 = rgb;
        pal8.bits = 8;
        add("bmp_palette8", pal8, rows([](int x, int y) {
                return Bytes{static_cast<unsigned char>(PaletteIndex(x, y))};
            }),
            palette, colour);
        BmpFormat pal4 = rgb;
        pal4.bits = 4;
        std::vector<Bytes> packed4 =
            PackRows(w_, h_, 1, 4, [](int x, int y, int) { return PaletteIndex(x, y); });
        add("bmp_palette4", pal4, packed4, palette, colour);
        BmpFormat pal1 = rgb;
        pal1.bits = 1;
        std::vector<Bytes> packed1 =
            PackRows(w_, h_, 1, 1, [](int x, int y, int) { return PaletteIndex(x, y) & 1; });
        add("bmp_palette1", pal1, packed1, palette,
            [&](int x, int y) { return opaque(PaletteColour(PaletteIndex(x, y) & 1)); });
        BmpFormat rle8 = pal8;
        rle8.compression = 1;
        auto runIndex = [](int x, int y) { return PaletteIndex(x / 4, y); };
        add(
            "bmp_palette8_rle", rle8, {BmpRunLength(w_, h_, false, runIndex)}, palette,
            [&](int x, int y) { return opaque(PaletteColour(runIndex(x, y))); }, false);
        BmpFormat rle4 = pal4;
        rle4.compression = 2;
        add(
            "bmp_palette4_rle", rle4, {BmpRunLength(w_, h_, true, runIndex)}, palette,
            [&](int x, int y) { return opaque(PaletteColour(runIndex(x, y))); }, false);
        BmpFormat core = rgb;
        core.headerBytes = 12;
        add("bmp_core_rgb24", core, rows([&](int x, int y) { return bgr(Busy(x, y)); }), {},
            [&](int x, int y) { return opaque(Busy(x, y)); });
    }

private:
    int w_, h_;
    std::vector<SampleImage>* out_;
    Expected e_;
};

}  // namespace

bool MakeSampleImages(int width, int height, std::vector<SampleImage>* images, std::string* error) {
    images->clear();
    try {
        Maker m(width, height, images);
        m.Png();
        m.Jpeg();
        m.Tiff();
        m.Exr();
        m.Radiance();
        m.Tga();
        m.Bmp();
        return true;
    } catch (const std::exception& e) {
        *error = e.what();
        return false;
    }
}
