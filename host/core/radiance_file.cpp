#include "radiance_file.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// A header longer than this is not a picture's header.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
// Run-length scanlines exist only for widths in [8, 32768); others are flat.
constexpr int kMinRunLengthWidth = 8;
constexpr int kMaxRunLengthWidth = 32767;
// A run packet repeats one byte at most 127 times in two bytes, so a component
// of a scanline takes at least two bytes for every 127 pixels.
constexpr int kLongestRun = 127;

// Lines of the header, each without its newline; false at the end of the bytes or
// of the header's room.
class HeaderLines {
public:
    HeaderLines(const unsigned char* data, std::size_t size)
        : data_(reinterpret_cast<const char*>(data)), end_(std::min(size, kMaxHeaderBytes)) {}
    bool Next(std::string_view& line) {
        const void* nl = std::memchr(data_ + pos_, '\n', end_ - pos_);
        if (!nl) return false;
        const std::size_t stop = static_cast<std::size_t>(static_cast<const char*>(nl) - data_);
        line = std::string_view(data_ + pos_, stop - pos_);
        pos_ = stop + 1;
        return true;
    }
    std::size_t Position() const { return pos_; }

private:
    const char* data_;
    std::size_t end_;
    std::size_t pos_ = 0;
};

// A positive decimal number up to INT_MAX at the front of `text`, which it leaves
// after the digits.
bool TakeDimension(std::string_view& text, int& value) {
    std::int64_t v = 0;
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') {
        v = v * 10 + (text[n] - '0');
        if (v > INT32_MAX) return false;
        ++n;
    }
    text.remove_prefix(n);
    value = static_cast<int>(v);
    return n > 0 && v > 0;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) return false;
    text.remove_prefix(prefix.size());
    return true;
}

void SkipSpaces(std::string_view& text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
}

// One pixel: each mantissa scaled by 2^(exponent - 136); exponent 0 is black.
void ConvertPixel(const unsigned char* rgbe, float* out) {
    if (rgbe[3] != 0) {
        const float scale = std::ldexp(1.0f, static_cast<int>(rgbe[3]) - (128 + 8));
        out[0] = static_cast<float>(rgbe[0]) * scale;
        out[1] = static_cast<float>(rgbe[1]) * scale;
        out[2] = static_cast<float>(rgbe[2]) * scale;
    } else {
        out[0] = out[1] = out[2] = 0.0f;
    }
    out[3] = 1.0f;
}

bool IsRunLengthStart(const unsigned char* p) { return p[0] == 2 && p[1] == 2 && !(p[2] & 0x80); }

// Decodes one run-length scanline of `width` pixels from [p, end) into rgbe (four
// bytes a pixel); advances p. The reason names what is wrong.
bool DecodeScanline(const unsigned char*& p, const unsigned char* end, int width,
                    unsigned char* rgbe, std::string& why) {
    if (end - p < 4) return why = "it ends early", false;
    if (!IsRunLengthStart(p))
        return why = "it is not run-length encoded as the first one is", false;
    const int length = (p[2] << 8) | p[3];
    if (length != width) return why = "it holds " + std::to_string(length) + " pixels", false;
    p += 4;
    for (int k = 0; k < 4; ++k) {
        int x = 0;
        while (x < width) {
            if (p == end) return why = "it ends early", false;
            const int count = *p++;
            const int left = width - x;
            if (count > 128) {
                const int n = count - 128;
                if (n > left) return why = "a run goes past its end", false;
                if (p == end) return why = "it ends early", false;
                const unsigned char value = *p++;
                for (int z = 0; z < n; ++z) rgbe[(x++) * 4 + k] = value;
            } else {
                if (count == 0) return why = "it holds an empty run", false;
                if (count > left) return why = "a run goes past its end", false;
                if (end - p < count) return why = "it ends early", false;
                for (int z = 0; z < count; ++z) rgbe[(x++) * 4 + k] = *p++;
            }
        }
    }
    return true;
}

}  // namespace

bool IsRadianceFile(const unsigned char* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    return bytes.substr(0, 11) == "#?RADIANCE\n" || bytes.substr(0, 7) == "#?RGBE\n";
}

bool ReadRadianceLayout(const unsigned char* data, std::size_t size, RadianceLayout& layout,
                        std::string& error) {
    HeaderLines lines(data, size);
    std::string_view line;
    if (!lines.Next(line) || (line != "#?RADIANCE" && line != "#?RGBE"))
        return error = "not a Radiance picture", false;
    bool rgbe = false;
    for (;;) {
        if (!lines.Next(line)) return error = "the Radiance header does not end", false;
        if (line.empty()) break;
        if (line == "FORMAT=32-bit_rle_rgbe") rgbe = true;
    }
    if (!rgbe) return error = "the Radiance picture does not hold 32-bit RGBE pixels", false;
    if (!lines.Next(line)) return error = "the Radiance picture has no size line", false;
    std::string_view rest = line;
    int height = 0, width = 0;
    bool ok = TakePrefix(rest, "-Y ") && TakeDimension(rest, height);
    SkipSpaces(rest);
    ok = ok && TakePrefix(rest, "+X ") && TakeDimension(rest, width);
    SkipSpaces(rest);
    if (!ok || !rest.empty())
        return error = "the Radiance size line \"" + std::string(line.substr(0, 40)) +
                       "\" is not \"-Y height +X width\" with positive sizes",
               false;
    layout.width = width;
    layout.height = height;
    layout.pixelStart = lines.Position();
    return true;
}

bool DecodeRadiance(const unsigned char* data, std::size_t size, std::size_t maxPixels,
                    HostImage& image, std::string& error) {
    RadianceLayout layout;
    if (!ReadRadianceLayout(data, size, layout, error)) return false;
    const int w = layout.width;
    const int h = layout.height;
    const std::uint64_t pixels = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
    if (pixels > maxPixels)
        return error = std::to_string(w) + " x " + std::to_string(h) + " pixels is more than the " +
                       std::to_string(maxPixels) + " a picture may have",
               false;

    const unsigned char* p = data + layout.pixelStart;
    const unsigned char* end = data + size;
    const std::uint64_t available = static_cast<std::uint64_t>(end - p);
    const bool runLength =
        w >= kMinRunLengthWidth && w <= kMaxRunLengthWidth && available >= 4 && IsRunLengthStart(p);
    const std::uint64_t rowMinimum =
        runLength ? 4 + 4 * 2 * static_cast<std::uint64_t>((w + kLongestRun - 1) / kLongestRun)
                  : 4 * static_cast<std::uint64_t>(w);
    if (available < rowMinimum * static_cast<std::uint64_t>(h))
        return error = "the Radiance picture is cut short: " + std::to_string(available) +
                       " bytes cannot hold " + std::to_string(w) + " x " + std::to_string(h) +
                       " pixels",
               false;

    std::vector<float> rgba(static_cast<std::size_t>(pixels) * 4);
    if (runLength) {
        std::vector<unsigned char> scanline(static_cast<std::size_t>(w) * 4);
        for (int y = 0; y < h; ++y) {
            std::string why;
            if (!DecodeScanline(p, end, w, scanline.data(), why))
                return error = "Radiance scanline " + std::to_string(y) + " is damaged: " + why,
                       false;
            float* out =
                rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 4;
            for (int x = 0; x < w; ++x)
                ConvertPixel(&scanline[static_cast<std::size_t>(x) * 4], out + x * 4);
        }
    } else {
        for (std::size_t i = 0; i < pixels; ++i) ConvertPixel(p + i * 4, &rgba[i * 4]);
    }
    image.width = w;
    image.height = h;
    image.rgba = std::move(rgba);
    return true;
}
