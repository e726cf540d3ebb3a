// Windows bitmaps. The values are those the host has always given these files:
// channels of up to 8 bits widened to 8 bits by repeating their bits, a 32-bit
// alpha channel that is zero everywhere taken as opaque (writers leave the fourth
// byte unused), palette entries opaque.
#include "image_readers.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

enum : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };
constexpr std::size_t kFileHeaderBytes = 14;

std::uint32_t U16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const unsigned char* p) {
    return U16(p) | (static_cast<std::uint32_t>(U16(p + 2)) << 16);
}

int HighBit(std::uint32_t v) {
    int n = -1;
    while (v) ++n, v >>= 1;
    return n;
}

int BitCount(std::uint32_t v) {
    int n = 0;
    for (; v; v &= v - 1) ++n;
    return n;
}

// A channel of the pixel value, selected by a mask of at most 8 bits, widened to
// 8 bits by repeating its bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;  // right shift that puts the mask's top bit at bit 7
    int bits = 0;

    explicit Channel(std::uint32_t m) : mask(m), shift(HighBit(m) - 7), bits(BitCount(m)) {}
    std::uint8_t Of(std::uint32_t v) const {
        static constexpr unsigned kMul[9] = {0, 0xff, 0x55, 0x49, 0x11, 0x21, 0x41, 0x81, 0x01};
        static constexpr unsigned kShift[9] = {0, 0, 0, 1, 0, 2, 4, 6, 0};
        v &= mask;
        v = shift < 0 ? v << -shift : v >> shift;
        v >>= 8 - bits;
        return static_cast<std::uint8_t>((v * kMul[bits]) >> kShift[bits]);
    }
};

struct Layout {
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    std::uint32_t bits = 0, compression = kRgb;
    std::uint32_t offset = 0;
    std::uint32_t rMask = 0, gMask = 0, bMask = 0, aMask = 0;
    std::size_t paletteStart = 0, paletteEntries = 0, paletteEntryBytes = 4;
};

bool ReadLayout(const unsigned char* d, std::size_t size, Layout& l, ImageSink& sink) {
    if (size < kFileHeaderBytes + 16) return sink.Fail("the BMP file is cut short in its header");
    l.offset = U32(d + 10);
    const std::uint32_t hsz = U32(d + 14);
    if (hsz != 12 && hsz != 40 && hsz != 52 && hsz != 56 && hsz != 108 && hsz != 124)
        return sink.Fail("BMP with a " + std::to_string(hsz) + "-byte header is not read");
    if (size < kFileHeaderBytes + hsz) return sink.Fail("the BMP file is cut short in its header");
    const unsigned char* h = d + kFileHeaderBytes;
    std::uint32_t planes = 0, used = 0;
    if (hsz == 12) {
        l.width = U16(h + 4);
        l.height = U16(h + 6);
        planes = U16(h + 8);
        l.bits = U16(h + 10);
        l.paletteEntryBytes = 3;
    } else {
        l.width = static_cast<std::int32_t>(U32(h + 4));
        const std::int32_t height = static_cast<std::int32_t>(U32(h + 8));
        l.topDown = height < 0;
        l.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
        planes = U16(h + 12);
        l.bits = U16(h + 14);
        l.compression = U32(h + 16);
        used = U32(h + 32);
    }
    if (planes != 1)
        return sink.Fail("the BMP file is damaged: it has " + std::to_string(planes) + " planes");
    const std::uint32_t b = l.bits;
    const bool palette = b == 1 || b == 4 || b == 8;
    if (!palette && b != 16 && b != 24 && b != 32)
        return sink.Fail("BMP with " + std::to_string(b) + " bits a pixel is not read");
    const std::uint32_t c = l.compression;
    if (!(c == kRgb || (c == kRle8 && b == 8) || (c == kRle4 && b == 4) ||
          (c == kBitFields && (b == 16 || b == 32))))
        return sink.Fail("BMP with compression " + std::to_string(c) + " at " + std::to_string(b) +
                         " bits a pixel is not read");
    if (l.topDown && (c == kRle8 || c == kRle4))
        return sink.Fail("the BMP file is damaged: run-length pictures are stored bottom-up");

    std::size_t headerEnd = kFileHeaderBytes + hsz;
    if (c == kBitFields) {
        if (hsz == 40) {
            // The masks follow the header; this layout has no alpha mask.
            if (size < headerEnd + 12) return sink.Fail("the BMP file is cut short in its header");
            l.rMask = U32(d + headerEnd), l.gMask = U32(d + headerEnd + 4),
            l.bMask = U32(d + headerEnd + 8);
            headerEnd += 12;
        } else {
            l.rMask = U32(h + 40), l.gMask = U32(h + 44), l.bMask = U32(h + 48);
            l.aMask = hsz >= 56 ? U32(h + 52) : 0;
        }
        if (l.rMask == 0 || l.gMask == 0 || l.bMask == 0 ||
            (l.rMask == l.gMask && l.gMask == l.bMask))
            return sink.Fail("the BMP file is damaged: its channel masks are unusable");
        for (std::uint32_t m : {l.rMask, l.gMask, l.bMask, l.aMask})
            if (BitCount(m) > 8)
                return sink.Fail("BMP with more than 8 bits a channel is not read");
    } else if (b == 16) {
        l.rMask = 31u << 10, l.gMask = 31u << 5, l.bMask = 31u;
    } else if (b == 32) {
        l.rMask = 0xffu << 16, l.gMask = 0xffu << 8, l.bMask = 0xffu, l.aMask = 0xffu << 24;
    }
    if (l.offset < headerEnd || l.offset > size)
        return sink.Fail("the BMP file is damaged: its pixels start at byte " +
                         std::to_string(l.offset) + " of " + std::to_string(size));
    if (palette) {
        l.paletteStart = headerEnd;
        const std::size_t room = (l.offset - headerEnd) / l.paletteEntryBytes;
        l.paletteEntries = std::min<std::size_t>({used ? used : 1u << b, 256, room});
        if (l.paletteEntries == 0) return sink.Fail("the BMP file is damaged: it has no palette");
    }
    return true;
}

// Run-length encoded pixels (RLE8, RLE4) into RGBA bytes, rows from the top; what
// the runs do not reach stays transparent black.
bool DecodeRunLength(const unsigned char* p, const unsigned char* end, const Layout& l,
                     const std::array<std::array<std::uint8_t, 4>, 256>& pal,
                     std::vector<std::uint8_t>& rgba, ImageSink& sink) {
    const std::int64_t w = l.width, h = l.height;
    const bool four = l.compression == kRle4;
    std::int64_t x = 0, row = 0;  // row counted from the bottom
    auto put = [&](unsigned index) {
        if (x < w && row < h) {
            const std::size_t at =
                (static_cast<std::size_t>(h - 1 - row) * static_cast<std::size_t>(w) +
                 static_cast<std::size_t>(x)) *
                4;
            std::memcpy(&rgba[at], pal[index].data(), 4);
        }
        ++x;
    };
    while (row < h) {
        if (end - p < 2) return sink.CutShort(static_cast<std::uint64_t>(end - p), w, h);
        const unsigned count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(four ? (i & 1 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0, ++row;
        } else if (value == 1) {  // end of picture
            return true;
        } else if (value == 2) {  // move right and up
            if (end - p < 2) return sink.CutShort(static_cast<std::uint64_t>(end - p), w, h);
            x += p[0], row += p[1];
            p += 2;
        } else {  // `value` indices as they are, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t(1);
            if (static_cast<std::size_t>(end - p) < padded)
                return sink.CutShort(static_cast<std::uint64_t>(end - p), w, h);
            for (unsigned i = 0; i < value; ++i)
                put(four ? (i & 1 ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            p += padded;
        }
    }
    return true;
}

}  // namespace

bool DecodeBmp(const unsigned char* data, std::size_t size, ImageSink& sink) {
    Layout l;
    if (!ReadLayout(data, size, l, sink) || !sink.CheckSize(l.width, l.height)) return false;
    const std::int64_t w = l.width, h = l.height;
    const std::uint64_t pixels = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
    const std::uint64_t available = size - l.offset;
    const bool runLength = l.compression == kRle8 || l.compression == kRle4;
    const std::uint64_t rowBits = static_cast<std::uint64_t>(w) * l.bits;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    // A run covers at most 255 pixels in two bytes.
    const std::uint64_t needed =
        runLength ? (pixels + 254) / 255 * 2
                  : stride * static_cast<std::uint64_t>(h - 1) + (rowBits + 7) / 8;
    if (available < needed) return sink.CutShort(size, w, h);

    std::array<std::array<std::uint8_t, 4>, 256> pal{};  // entries past the palette are black
    for (auto& e : pal) e[3] = 255;
    for (std::size_t i = 0; i < l.paletteEntries; ++i) {
        const unsigned char* e = data + l.paletteStart + i * l.paletteEntryBytes;
        pal[i] = {e[2], e[1], e[0], 255};
    }
    if (!sink.Begin(w, h)) return false;

    const unsigned char* pixelsStart = data + l.offset;
    if (runLength) {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(pixels) * 4, 0);
        if (!DecodeRunLength(pixelsStart, data + size, l, pal, rgba, sink)) return false;
        for (int y = 0; y < sink.Height(); ++y)
            sink.StoreRow8(y, &rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 4],
                           4);
        return true;
    }

    const Channel r(l.rMask), g(l.gMask), b(l.bMask), a(l.aMask);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
    std::uint32_t anyAlpha = 0;
    for (int y = 0; y < sink.Height(); ++y) {
        const std::int64_t stored = l.topDown ? y : h - 1 - y;
        const unsigned char* p = pixelsStart + static_cast<std::uint64_t>(stored) * stride;
        std::uint8_t* out = row.data();
        for (std::int64_t x = 0; x < w; ++x, out += 4) {
            switch (l.bits) {
                case 1:
                case 4:
                case 8: {
                    const unsigned perByte = 8 / l.bits;
                    const unsigned shift = 8 - l.bits * (1 + static_cast<unsigned>(x % perByte));
                    const unsigned index = (p[x / perByte] >> shift) & ((1u << l.bits) - 1);
                    std::memcpy(out, pal[index].data(), 4);
                    break;
                }
                case 24:
                    out[0] = p[x * 3 + 2], out[1] = p[x * 3 + 1], out[2] = p[x * 3], out[3] = 255;
                    break;
                default: {
                    const std::uint32_t v = l.bits == 16 ? U16(p + x * 2) : U32(p + x * 4);
                    out[0] = r.Of(v), out[1] = g.Of(v), out[2] = b.Of(v);
                    out[3] = l.aMask ? a.Of(v) : 255;
                    anyAlpha |= out[3];
                    break;
                }
            }
        }
        sink.StoreRow8(y, row.data(), 4);
    }
    // An alpha channel that is zero throughout is an unused byte, not transparency.
    if (l.aMask && anyAlpha == 0)
        for (int y = 0; y < sink.Height(); ++y)
            for (int x = 0; x < sink.Width(); ++x) sink.Row(y)[x * 4 + 3] = 1.0f;
    return true;
}
