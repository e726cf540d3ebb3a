// OpenEXR through the OpenEXR library, from the bytes in memory: scanline and tiled
// files, and the first part of multi-part ones, as RGBA (luminance-chroma and
// luminance files become RGB; a missing alpha is 1).
#include "image_readers.h"

#include <OpenEXR/ImfArray.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfRgbaFile.h>
#include <OpenEXR/ImfTileDescription.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>

namespace {

// The file ended before what its header announced.
struct EndsEarly : std::runtime_error {
    EndsEarly() : std::runtime_error("the file ends early") {}
};

class MemoryStream : public Imf::IStream {
public:
    MemoryStream(const unsigned char* data, std::size_t size)
        : Imf::IStream("picture"), data_(data), size_(size) {}
    bool isMemoryMapped() const override { return true; }
    char* readMemoryMapped(int n) override {
        Check(n);
        char* p = reinterpret_cast<char*>(const_cast<unsigned char*>(data_)) + pos_;
        pos_ += static_cast<std::uint64_t>(n);
        return p;
    }
    bool read(char c[], int n) override {
        Check(n);
        std::memcpy(c, data_ + pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::uint64_t>(n);
        return pos_ < size_;
    }
    std::uint64_t tellg() override { return pos_; }
    void seekg(std::uint64_t pos) override { pos_ = pos; }

private:
    void Check(int n) const {
        if (n < 0 || pos_ > size_ || static_cast<std::uint64_t>(n) > size_ - pos_)
            throw EndsEarly();
    }
    const unsigned char* data_;
    std::size_t size_;
    std::uint64_t pos_ = 0;
};

// Scanlines that each stored block of a scanline file holds, by compression (as
// stored in the file: any byte).
int LinesPerBlock(int c) {
    switch (c) {
        case Imf::ZIP_COMPRESSION:
        case Imf::PXR24_COMPRESSION:
            return 16;
        case Imf::PIZ_COMPRESSION:
        case Imf::B44_COMPRESSION:
        case Imf::B44A_COMPRESSION:
        case Imf::DWAA_COMPRESSION:
            return 32;
        case Imf::DWAB_COMPRESSION:
            return 256;
        default:
            return 1;
    }
}

std::int32_t I32(const unsigned char* p) {
    return static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                     (std::uint32_t(p[3]) << 24));
}

// What the first part's header says, read before the library sees the file: it
// takes memory for the picture's tables as it opens a file, so the size and the
// attributes are checked first.
struct ExrLayout {
    std::int64_t width = 0, height = 0;
    int compression = 0;
    bool tiled = false;
    std::int64_t tileWidth = 1, tileHeight = 1;
    std::int64_t chunkCount = -1;  // as multi-part files state it
};

// The blocks of a part, each with an entry of the offset table the library reads.
std::int64_t Blocks(const ExrLayout& l) {
    if (l.chunkCount >= 0) return l.chunkCount;
    if (l.width <= 0 || l.height <= 0) return 0;
    if (l.tiled)
        return ((l.width + l.tileWidth - 1) / l.tileWidth) *
               ((l.height + l.tileHeight - 1) / l.tileHeight);
    return (l.height + LinesPerBlock(l.compression) - 1) / LinesPerBlock(l.compression);
}

// Whether an attribute's value is as the library will read it: fixed-size types of
// their size, and the types whose reader goes by counts inside the value (channel
// lists, string vectors, previews) within the attribute. The library reads those
// without looking at the attribute's size, so any difference would have it read the
// rest of the header otherwise than the host checked it.
bool AttributeHoldsItself(const std::string& type, const unsigned char* v, std::int32_t size,
                          std::size_t longest) {
    static const std::pair<const char*, std::int32_t> kFixed[] = {
        {"box2i", 16},         {"box2f", 16},      {"int", 4},       {"float", 4},
        {"double", 8},         {"compression", 1}, {"lineOrder", 1}, {"envmap", 1},
        {"deepImageState", 1}, {"v2i", 8},         {"v2f", 8},       {"v2d", 16},
        {"v3i", 12},           {"v3f", 12},        {"v3d", 24},      {"m33f", 36},
        {"m33d", 72},          {"m44f", 64},       {"m44d", 128},    {"chromaticities", 32},
        {"keycode", 28},       {"timecode", 8},    {"tiledesc", 9},  {"rational", 8}};
    for (const auto& [name, bytes] : kFixed)
        if (type == name) return size == bytes;
    if (type == "chlist") {  // names with 16 bytes each, then an empty name
        for (std::int64_t at = 0;;) {
            if (at >= size) return false;
            if (v[at] == 0) return at + 1 == size;
            const std::size_t room =
                std::min<std::size_t>(static_cast<std::size_t>(size - at), longest + 1);
            const void* end = std::memchr(v + at, 0, room);
            if (!end) return false;
            at = (static_cast<const unsigned char*>(end) - v) + 1 + 16;
        }
    }
    if (type == "stringvector") {  // strings, each with its length first
        for (std::int64_t at = 0; at < size;) {
            if (size - at < 4) return false;
            const std::int32_t n = I32(v + at);
            if (n < 0 || n > size - at - 4) return false;
            at += 4 + n;
        }
    } else if (type == "preview") {  // width, height, then 4 bytes a pixel
        if (size < 8) return false;
        const std::uint64_t w = static_cast<std::uint32_t>(I32(v)),
                            h = static_cast<std::uint32_t>(I32(v + 4));
        if (w * h * 4 != static_cast<std::uint64_t>(size) - 8) return false;
    } else if (type == "floatvector") {
        return size % 4 == 0;
    }
    return true;
}

// Walks every header of the file (one, or one a part) as the library will read
// it, each attribute within the file; false with the reason.
bool ScanExrHeaders(const unsigned char* d, std::size_t size, ExrLayout& l, std::string& why) {
    if (size < 8) return why = "the file is cut short in its header", false;
    const bool multiPart = d[5] & 0x10;
    // Names and type names of at most 31 bytes, or 255 in files that say so.
    const std::size_t longest = (d[5] & 0x04) ? 255 : 31;
    std::size_t pos = 8;
    bool sawWindow = false;
    std::int64_t blocks = 0;
    auto text = [&](std::string& out) {
        const std::size_t room = std::min<std::size_t>(size - pos, longest + 1);
        const void* end = std::memchr(d + pos, 0, room);
        if (!end) return false;
        out.assign(reinterpret_cast<const char*>(d + pos),
                   static_cast<const unsigned char*>(end) - (d + pos));
        pos += out.size() + 1;
        return true;
    };
    for (int part = 0;; ++part) {
        if (part > 0 && (!multiPart || (pos < size && d[pos] == 0))) break;
        ExrLayout here;
        for (;;) {
            if (pos >= size) return why = "the file is cut short in its header", false;
            if (d[pos] == 0) {  // the end of this header
                ++pos;
                break;
            }
            if (part > 1000) return why = "the file is damaged: it has too many parts", false;
            std::string attribute, type;
            if (!text(attribute) || !text(type) || type.empty())
                return why = "the file is damaged: an attribute's name or type is too long", false;
            if (size - pos < 4) return why = "the file is cut short in its header", false;
            const std::int32_t bytes = I32(d + pos);
            pos += 4;
            if (bytes < 0 || static_cast<std::size_t>(bytes) > size - pos)
                return why = "the file is cut short in its header", false;
            const unsigned char* value = d + pos;
            pos += static_cast<std::size_t>(bytes);
            if (!AttributeHoldsItself(type, value, bytes, longest))
                return why =
                           "the file is damaged: its attribute \"" + attribute + "\" is not whole",
                       false;
            if (attribute == "dataWindow" && bytes == 16) {
                here.width = std::int64_t(I32(value + 8)) - I32(value) + 1;
                here.height = std::int64_t(I32(value + 12)) - I32(value + 4) + 1;
                sawWindow = sawWindow || part == 0;
            } else if (attribute == "compression" && bytes == 1) {
                here.compression = value[0];
            } else if (attribute == "tiles" && bytes == 9) {
                here.tiled = true;
                here.tileWidth = std::max<std::int64_t>(static_cast<std::uint32_t>(I32(value)), 1);
                here.tileHeight =
                    std::max<std::int64_t>(static_cast<std::uint32_t>(I32(value + 4)), 1);
            } else if (attribute == "chunkCount" && bytes == 4) {
                here.chunkCount = I32(value);
                if (here.chunkCount < 0)
                    return why = "the file is damaged: a negative chunk count", false;
            }
        }
        if (part == 0) l = here;
        blocks += Blocks(here);
    }
    if (!sawWindow) return why = "the file is damaged: it has no data window", false;
    // Every part's offset table is read when the file is opened: 8 bytes a block,
    // and each block at least 8 bytes of its own.
    if (static_cast<std::uint64_t>(blocks) * 16 > size)
        return why = "the file is cut short: " + std::to_string(size) + " bytes cannot hold its " +
                     std::to_string(blocks) + " blocks",
               false;
    return true;
}

}  // namespace

bool DecodeExr(const unsigned char* data, std::size_t size, ImageSink& sink) {
    ExrLayout layout;
    std::string why;
    // The size first: a header within the limit, then whether the file holds it.
    if (ScanExrHeaders(data, size, layout, why) || layout.width > 0) {
        if (!sink.CheckSize(layout.width, layout.height)) return false;
    }
    if (!why.empty()) {
        if (why.find("cut short") != std::string::npos && layout.width > 0)
            return sink.CutShort(size, layout.width, layout.height);
        return sink.Fail(why);
    }
    try {
        MemoryStream stream(data, size);
        Imf::RgbaInputFile file(stream);
        const Imath::Box2i dw = file.dataWindow();
        const std::int64_t width = std::int64_t(dw.max.x) - dw.min.x + 1;
        const std::int64_t height = std::int64_t(dw.max.y) - dw.min.y + 1;
        if (!sink.CheckSize(width, height)) return false;
        // Every stored block takes an 8-byte entry in the offset table and at
        // least 8 bytes of its own.
        std::int64_t blocks = 0;
        if (file.header().hasTileDescription()) {
            const Imf::TileDescription& td = file.header().tileDescription();
            const std::int64_t tx = std::max<std::int64_t>(td.xSize, 1);
            const std::int64_t ty = std::max<std::int64_t>(td.ySize, 1);
            blocks = ((width + tx - 1) / tx) * ((height + ty - 1) / ty);
        } else {
            const int lines = LinesPerBlock(static_cast<int>(file.header().compression()));
            blocks = (height + lines - 1) / lines;
        }
        if (static_cast<std::uint64_t>(blocks) * 16 > size)
            return sink.CutShort(size, width, height);
        if (!sink.Begin(width, height)) return false;

        const auto w = static_cast<int>(width);
        const auto h = static_cast<int>(height);
        Imf::Array2D<Imf::Rgba> pixels(h, w);
        file.setFrameBuffer(&pixels[0][0] - dw.min.x - static_cast<ptrdiff_t>(dw.min.y) * w, 1,
                            static_cast<size_t>(w));
        file.readPixels(dw.min.y, dw.max.y);
        for (int y = 0; y < h; ++y) {
            float* out = sink.Row(y);
            for (int x = 0; x < w; ++x) {
                const Imf::Rgba& p = pixels[y][x];
                *out++ = p.r;
                *out++ = p.g;
                *out++ = p.b;
                *out++ = p.a;
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const EndsEarly&) {
        return sink.Fail("the file is cut short: its " + std::to_string(size) +
                         " bytes end before the picture does");
    } catch (const std::exception& e) {
        return sink.Fail(std::string("the OpenEXR file is damaged or of a kind not read: ") +
                         e.what());
    }
}
