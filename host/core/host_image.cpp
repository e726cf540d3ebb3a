#include "host_image.h"

#include "image_signature.h"
#include "radiance_file.h"
#include "regular_file.h"

#if defined(LUMRA_HAVE_OPENEXR)
#include <OpenEXR/ImfArray.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfRgbaFile.h>
#include <OpenEXR/ImfTileDescription.h>
#endif
#include <stb_image.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace {

std::atomic<std::size_t> g_maxPixels{kDefaultMaxImagePixels};

// The largest file worth reading for a picture of the allowed size: four 32-bit
// floats a pixel, uncompressed, and room for headers.
std::uint64_t MaxFileBytes() {
    const std::uint64_t pixels = MaxImagePixels();
    constexpr std::uint64_t kHeaderRoom = 1 << 20;
    return pixels > (UINT64_MAX - kHeaderRoom) / 16 ? UINT64_MAX : pixels * 16 + kHeaderRoom;
}

std::string PixelCount(std::int64_t w, std::int64_t h) {
    return std::to_string(w) + " x " + std::to_string(h) + " pixels";
}

bool WithinPixelLimit(std::int64_t w, std::int64_t h, std::string& error) {
    if (w <= 0 || h <= 0) return error = "the image has no pixels", false;
    const std::uint64_t pixels = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
    if (pixels > MaxImagePixels())
        return error = PixelCount(w, h) + " is more than the " + std::to_string(MaxImagePixels()) +
                       " a picture may have",
               false;
    return true;
}

std::string CutShort(std::size_t size, std::int64_t w, std::int64_t h) {
    return "the file is cut short: " + std::to_string(size) + " bytes cannot hold " +
           PixelCount(w, h);
}

bool HasExrMagic(const std::vector<unsigned char>& bytes) {
    return bytes.size() >= 4 && bytes[0] == 0x76 && bytes[1] == 0x2f && bytes[2] == 0x31 &&
           bytes[3] == 0x01;
}

#if defined(LUMRA_HAVE_OPENEXR)
// OpenEXR reading from the bytes already in memory.
class MemoryStream : public Imf::IStream {
public:
    MemoryStream(const std::vector<unsigned char>& bytes, const std::string& name)
        : Imf::IStream(name.c_str()), bytes_(bytes) {}
    bool isMemoryMapped() const override { return true; }
    char* readMemoryMapped(int n) override {
        Check(n);
        char* p = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes_.data())) + pos_;
        pos_ += static_cast<std::uint64_t>(n);
        return p;
    }
    bool read(char c[], int n) override {
        Check(n);
        std::memcpy(c, bytes_.data() + pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::uint64_t>(n);
        return pos_ < bytes_.size();
    }
    std::uint64_t tellg() override { return pos_; }
    void seekg(std::uint64_t pos) override { pos_ = pos; }

private:
    void Check(int n) const {
        if (n < 0 || pos_ > bytes_.size() || static_cast<std::uint64_t>(n) > bytes_.size() - pos_)
            throw std::runtime_error("the file ends early");
    }
    const std::vector<unsigned char>& bytes_;
    std::uint64_t pos_ = 0;
};

// Scanlines that each stored block of a scanline file holds, by compression.
int LinesPerBlock(Imf::Compression c) {
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

#endif

bool ReadExr(const std::vector<unsigned char>& bytes, const std::string& path, HostImage& image,
             std::string& error) {
#if !defined(LUMRA_HAVE_OPENEXR)
    (void)bytes, (void)path, (void)image;
    error = "OpenEXR files are not read by this build of the host";
    return false;
#else
    try {
        MemoryStream stream(bytes, path);
        Imf::RgbaInputFile file(stream);
        const Imath::Box2i dw = file.dataWindow();
        const std::int64_t width = std::int64_t(dw.max.x) - dw.min.x + 1;
        const std::int64_t height = std::int64_t(dw.max.y) - dw.min.y + 1;
        if (!WithinPixelLimit(width, height, error)) return false;
        // Every stored block takes an 8-byte entry in the offset table and at
        // least 8 bytes of its own.
        std::int64_t blocks = 0;
        if (file.header().hasTileDescription()) {
            const Imf::TileDescription& td = file.header().tileDescription();
            const std::int64_t tx = std::max<std::int64_t>(td.xSize, 1);
            const std::int64_t ty = std::max<std::int64_t>(td.ySize, 1);
            blocks = ((width + tx - 1) / tx) * ((height + ty - 1) / ty);
        } else {
            const int lines = LinesPerBlock(file.header().compression());
            blocks = (height + lines - 1) / lines;
        }
        if (static_cast<std::uint64_t>(blocks) * 16 > bytes.size())
            return error = CutShort(bytes.size(), width, height), false;

        const auto w = static_cast<int>(width);
        const auto h = static_cast<int>(height);
        Imf::Array2D<Imf::Rgba> pixels(h, w);
        file.setFrameBuffer(&pixels[0][0] - dw.min.x - static_cast<ptrdiff_t>(dw.min.y) * w, 1,
                            static_cast<size_t>(w));
        file.readPixels(dw.min.y, dw.max.y);
        image.rgba.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
        float* out = image.rgba.data();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const Imf::Rgba& p = pixels[y][x];
                *out++ = p.r;
                *out++ = p.g;
                *out++ = p.b;
                *out++ = p.a;
            }
        }
        image.width = w;
        image.height = h;
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
#endif
}

std::uint32_t U16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const unsigned char* p) {
    return U16(p) | (static_cast<std::uint32_t>(U16(p + 2)) << 16);
}

// The fewest bytes a BMP or TGA file of its claimed size and layout can take (the
// decoder would read zeros past the end of a shorter one); 0 for other formats,
// whose size the pixel limit alone bounds.
std::uint64_t MinimumFileBytes(const std::vector<unsigned char>& b, std::int64_t w,
                               std::int64_t h) {
    const std::uint64_t pixels = static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h);
    if (b.size() >= 34 && b[0] == 'B' && b[1] == 'M') {
        const std::uint32_t offset = U32(&b[10]);
        const std::uint32_t headerSize = U32(&b[14]);
        const std::uint32_t bits = headerSize == 12 ? U16(&b[24]) : U16(&b[28]);
        const std::uint32_t compression = headerSize == 12 ? 0 : U32(&b[30]);
        if (compression != 0 && compression != 3) return 0;  // run-length rows vary
        const std::uint64_t rowBits = static_cast<std::uint64_t>(w) * bits;
        const std::uint64_t stride = (rowBits + 31) / 32 * 4;
        return offset + stride * static_cast<std::uint64_t>(h - 1) + (rowBits + 7) / 8;
    }
    // A TGA header has no magic; the decoder recognised the type byte already.
    if (b.size() >= 18) {
        const unsigned type = b[2];
        const std::uint64_t pixelBytes = (b[16] + 7u) / 8u;
        const std::uint64_t palette = b[1] == 1 ? U16(&b[5]) * ((b[7] + 7u) / 8u) : 0;
        const std::uint64_t start = 18 + b[0] + palette;
        if (type == 1 || type == 2 || type == 3) return start + pixels * pixelBytes;
        // A run packet covers up to 128 pixels with one header byte and one pixel.
        if (type == 9 || type == 10 || type == 11)
            return start + (pixels + 127) / 128 * (1 + pixelBytes);
    }
    return 0;
}

bool IsTga(const std::vector<unsigned char>& b) {
    // The only format the decoder takes without a signature.
    return !(b.size() >= 2 && b[0] == 'B' && b[1] == 'M') && b.size() >= 18 &&
           (b[2] == 1 || b[2] == 2 || b[2] == 3 || b[2] == 9 || b[2] == 10 || b[2] == 11);
}

// Decoded samples, linearised with a table.
template <typename T>
void LinearisePixels(const T* data, size_t count, float gamma, float maxValue,
                     std::vector<float>& out) {
    std::vector<float> table(static_cast<size_t>(maxValue) + 1);
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = std::pow(static_cast<float>(i) / maxValue, gamma);
    out.resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) out[i * 4 + c] = table[data[i * 4 + c]];
        out[i * 4 + 3] = static_cast<float>(data[i * 4 + 3]) / maxValue;  // alpha is linear
    }
}

struct StbFree {
    void operator()(void* p) const { stbi_image_free(p); }
};

bool ReadWithStb(const std::vector<unsigned char>& bytes, HostImage& image, std::string& error,
                 float gamma) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return error = "the file is too large for its format", false;
    const auto* data = bytes.data();
    const int size = static_cast<int>(bytes.size());
    int w = 0, h = 0, channels = 0;
    // The size first, so that a small file claiming a huge picture takes no memory.
    if (!stbi_info_from_memory(data, size, &w, &h, &channels)) {
        const char* reason = stbi_failure_reason();
        error = reason ? reason : "the file is not an image this host reads";
        return false;
    }
    if (!WithinPixelLimit(w, h, error)) return false;
    const std::uint64_t minimum = MinimumFileBytes(bytes, w, h);
    if ((bytes[0] == 'B' || IsTga(bytes)) && minimum > bytes.size())
        return error = CutShort(bytes.size(), w, h), false;

    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    bool ok = false;
    if (stbi_is_16_bit_from_memory(data, size)) {
        std::unique_ptr<stbi_us, StbFree> pixels(
            stbi_load_16_from_memory(data, size, &w, &h, &channels, 4));
        if (pixels) LinearisePixels(pixels.get(), count, gamma, 65535.0f, image.rgba);
        ok = pixels != nullptr;
    } else {
        std::unique_ptr<stbi_uc, StbFree> pixels(
            stbi_load_from_memory(data, size, &w, &h, &channels, 4));
        if (pixels) LinearisePixels(pixels.get(), count, gamma, 255.0f, image.rgba);
        ok = pixels != nullptr;
    }
    if (!ok) {
        const char* reason = stbi_failure_reason();
        error = reason ? reason : "the file is not an image this host reads";
        return false;
    }
    image.width = w;
    image.height = h;
    return true;
}

}  // namespace

void SetMaxImagePixels(std::size_t pixels) { g_maxPixels = pixels; }
std::size_t MaxImagePixels() { return g_maxPixels; }

bool ReadHostImage(const std::string& path, HostImage& image, std::string& error, float gamma) {
    image = HostImage();
    error.clear();
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    bool ok = false;
    try {
        std::vector<unsigned char> bytes;
        if (const FileSignature picture = ImageFileSignature();
            !ReadRegularFile(path, MaxFileBytes(), bytes, error, &picture)) {
            error = "the file cannot be read: " + error;
        } else if (HasExrMagic(bytes)) {
            ok = ReadExr(bytes, path, image, error);
        } else if (IsRadianceFile(bytes.data(), bytes.size())) {
            ok = DecodeRadiance(bytes.data(), bytes.size(), MaxImagePixels(), image, error);
        } else {
            ok = ReadWithStb(bytes, image, error, gamma);
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the picture";
    }
    if (!ok) image = HostImage();
    return ok;
}
