// Truevision TGA. The values are those the host has always given these files:
// 15- and 16-bit colours widened to 8 bits as v * 255 / 31 with no alpha, 32-bit
// pixels with their alpha as stored, 8-bit true-colour and palette entries as grey.
#include "image_readers.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kHeaderBytes = 18;

std::uint32_t U16(const unsigned char* p) { return p[0] | (p[1] << 8); }

struct Layout {
    unsigned type = 0;  // 1 palette, 2 true colour, 3 grey; +8 run-length encoded
    bool runLength = false;
    int width = 0, height = 0;
    unsigned depth = 0;       // bits a stored pixel (a palette index for type 1)
    unsigned colourBits = 0;  // bits of a colour: the pixel's, or the palette entry's
    bool topDown = false, rightToLeft = false;
    std::size_t paletteStart = 0, paletteFirst = 0, paletteLength = 0, paletteEntryBytes = 0;
    std::size_t pixelStart = 0;
    int channels = 0;  // of a decoded colour: 1 grey, 2 grey and alpha, 3, 4
    bool rgb16 = false;
};

// Channels of a decoded colour of `bits` bits, or 0 when such pixels are not read.
int ColourChannels(unsigned bits, bool grey, bool& rgb16) {
    rgb16 = false;
    switch (bits) {
        case 8:
            return 1;
        case 16:
            if (grey) return 2;
            [[fallthrough]];
        case 15:
            rgb16 = true;
            return 3;
        case 24:
            return 3;
        case 32:
            return 4;
        default:
            return 0;
    }
}

bool ReadLayout(const unsigned char* d, std::size_t size, Layout& l, std::string* why) {
    auto fail = [&](const std::string& reason) {
        if (why) *why = reason;
        return false;
    };
    if (size < kHeaderBytes) return fail("the TGA file is cut short in its header");
    const unsigned mapType = d[1];
    l.type = d[2];
    l.runLength = l.type >= 8;
    const unsigned base = l.type & 7;
    if (mapType > 1 ||
        (l.type != 1 && l.type != 2 && l.type != 3 && l.type != 9 && l.type != 10 && l.type != 11))
        return fail("not a TGA picture of a kind this host reads");
    l.paletteFirst = U16(d + 3);
    l.paletteLength = U16(d + 5);
    const unsigned entryBits = d[7];
    l.width = static_cast<int>(U16(d + 12));
    l.height = static_cast<int>(U16(d + 14));
    l.depth = d[16];
    l.topDown = (d[17] >> 5) & 1;
    l.rightToLeft = (d[17] >> 4) & 1;
    if (base == 1 && mapType != 1)
        return fail("the TGA file is damaged: a palette picture without a palette");
    l.paletteEntryBytes = mapType ? (entryBits + 7) / 8 : 0;
    if (mapType && entryBits != 8 && entryBits != 15 && entryBits != 16 && entryBits != 24 &&
        entryBits != 32)
        return fail("TGA with " + std::to_string(entryBits) + "-bit palette entries is not read");
    if (base == 1) {
        if (l.depth != 8 && l.depth != 16)
            return fail("TGA with " + std::to_string(l.depth) + "-bit palette indices is not read");
        if (l.paletteLength == 0) return fail("the TGA file is damaged: its palette is empty");
        l.colourBits = entryBits;
    } else {
        l.colourBits = l.depth;
    }
    l.channels = ColourChannels(l.colourBits, base == 3, l.rgb16);
    if (l.channels == 0 || (base != 1 && l.depth != 8 && l.depth != 15 && l.depth != 16 &&
                            l.depth != 24 && l.depth != 32))
        return fail("TGA with " + std::to_string(l.depth) + " bits a pixel is not read");
    l.paletteStart = kHeaderBytes + d[0];
    l.pixelStart = l.paletteStart + l.paletteLength * l.paletteEntryBytes;
    return true;
}

// One colour from its stored bytes, as RGBA, RGB, grey and alpha or grey bytes.
void Colour(const unsigned char* p, const Layout& l, std::uint8_t* out) {
    if (l.rgb16) {
        const unsigned v = U16(p);
        out[0] = static_cast<std::uint8_t>(((v >> 10) & 31) * 255 / 31);
        out[1] = static_cast<std::uint8_t>(((v >> 5) & 31) * 255 / 31);
        out[2] = static_cast<std::uint8_t>((v & 31) * 255 / 31);
    } else if (l.channels >= 3) {
        out[0] = p[2], out[1] = p[1], out[2] = p[0];
        if (l.channels == 4) out[3] = p[3];
    } else {
        std::memcpy(out, p, static_cast<std::size_t>(l.channels));
    }
}

}  // namespace

bool IsTgaFile(const unsigned char* data, std::size_t size) {
    Layout l;
    return ReadLayout(data, size, l, nullptr) && l.width > 0 && l.height > 0;
}

bool DecodeTga(const unsigned char* data, std::size_t size, ImageSink& sink) {
    Layout l;
    std::string why;
    if (!ReadLayout(data, size, l, &why)) return sink.Fail(why);
    if (!sink.CheckSize(l.width, l.height)) return false;
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(l.width) * static_cast<std::uint64_t>(l.height);
    const std::uint64_t pixelBytes = (l.depth + 7) / 8;
    // A run packet covers at most 128 pixels with one byte and one pixel.
    const std::uint64_t needed =
        l.pixelStart +
        (l.runLength ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes);
    if (size < needed) return sink.CutShort(size, l.width, l.height);

    const bool palette = (l.type & 7) == 1;
    const std::size_t cs = static_cast<std::size_t>(l.channels);
    std::vector<std::uint8_t> pal;
    if (palette) {
        pal.resize(l.paletteLength * cs);
        for (std::size_t i = 0; i < l.paletteLength; ++i)
            Colour(data + l.paletteStart + i * l.paletteEntryBytes, l, &pal[i * cs]);
    }
    if (!sink.Begin(l.width, l.height)) return false;

    // Decoded in stored order into one colour a pixel, then placed by the origin.
    std::vector<std::uint8_t> colours(static_cast<std::size_t>(pixels) * cs);
    const unsigned char* p = data + l.pixelStart;
    const unsigned char* end = data + size;
    auto decodePixel = [&](const unsigned char* in, std::uint8_t* out) {
        if (!palette) return Colour(in, l, out);
        std::size_t index = l.depth == 8 ? in[0] : U16(in);
        index = index >= l.paletteFirst ? index - l.paletteFirst : l.paletteLength;
        if (index >= l.paletteLength) index = 0;  // outside the palette: its first entry
        std::memcpy(out, &pal[index * cs], cs);
    };
    std::size_t i = 0;
    while (i < pixels) {
        if (!l.runLength) {
            decodePixel(p, &colours[i * cs]);
            p += pixelBytes, ++i;
            continue;
        }
        if (p == end) return sink.CutShort(size, l.width, l.height);
        const unsigned packet = *p++;
        const std::size_t count = std::min<std::size_t>((packet & 127) + 1, pixels - i);
        if (packet & 128) {
            if (static_cast<std::uint64_t>(end - p) < pixelBytes)
                return sink.CutShort(size, l.width, l.height);
            decodePixel(p, &colours[i * cs]);
            for (std::size_t k = 1; k < count; ++k)
                std::memcpy(&colours[(i + k) * cs], &colours[i * cs], cs);
            p += pixelBytes;
        } else {
            if (static_cast<std::uint64_t>(end - p) < count * pixelBytes)
                return sink.CutShort(size, l.width, l.height);
            for (std::size_t k = 0; k < count; ++k, p += pixelBytes)
                decodePixel(p, &colours[(i + k) * cs]);
        }
        i += count;
    }

    const std::size_t w = static_cast<std::size_t>(l.width);
    std::vector<std::uint8_t> row(w * cs);
    for (int y = 0; y < sink.Height(); ++y) {
        const int stored = l.topDown ? y : l.height - 1 - y;
        const std::uint8_t* in = &colours[static_cast<std::size_t>(stored) * w * cs];
        if (l.rightToLeft) {
            for (std::size_t x = 0; x < w; ++x)
                std::memcpy(&row[x * cs], &in[(w - 1 - x) * cs], cs);
            in = row.data();
        }
        sink.StoreRow8(y, in, l.channels);
    }
    return true;
}
