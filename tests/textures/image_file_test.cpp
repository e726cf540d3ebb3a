#include "tests/textures/texture_fixture.h"

#include "lumra/png_write.h"

// The program writes no format with it; the tests make files of other formats with it.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

#include <sys/stat.h>

namespace {

// A 3 x 2 picture with values across the range PNG keeps, and beyond it.
const std::vector<float> kPicture = {0.0f,  0.18f, 1.0f, 0.5f, 0.02f, 0.9f, 0.75f, 0.3f,   0.05f,
                                     0.01f, 0.6f,  0.4f, 1.0f, 1.0f,  1.0f, 0.25f, 0.125f, 0.0625f};

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<size_t>(size));
}

void SaveBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Each channel within `absolute` plus `relative` times the channel's value, or
// times the pixel's largest channel for formats with a shared exponent.
void ExpectPicture(const HostImage& img, const std::vector<float>& rgb, int width, int height,
                   float relative, float absolute, bool sharedExponent = false) {
    ASSERT_EQ(img.width, width);
    ASSERT_EQ(img.height, height);
    for (int i = 0; i < width * height; ++i) {
        const float* px = &rgb[static_cast<size_t>(i) * 3];
        const float largest = std::max(px[0], std::max(px[1], px[2]));
        for (int c = 0; c < 3; ++c) {
            const float want = rgb[static_cast<size_t>(i) * 3 + static_cast<size_t>(c)];
            EXPECT_NEAR(img.rgba[static_cast<size_t>(i) * 4 + static_cast<size_t>(c)], want,
                        absolute + relative * (sharedExponent ? largest : want))
                << "pixel " << i << " channel " << c;
        }
        EXPECT_FLOAT_EQ(img.rgba[static_cast<size_t>(i) * 4 + 3], 1.0f);
    }
}

}  // namespace

using ImageFiles = TextureFiles;

TEST_F(ImageFiles, LinearFormatsKeepTheirValues) {
    std::vector<float> bright = kPicture;
    bright[4] = 37.5f;  // HDR files keep values far above 1
    HostImage img;
    std::string error;
    ASSERT_TRUE(ReadImageFile(Write("a.exr", 3, 2, bright), img, error)) << error;
    ExpectPicture(img, bright, 3, 2, 1e-3f, 0.0f);  // read back as half floats
    ASSERT_TRUE(ReadImageFile(Write("a.HDR", 3, 2, bright), img, error)) << error;
    ExpectPicture(img, bright, 3, 2, 1.0f / 128.0f, 0.0f, true);  // 8-bit mantissas
}

TEST_F(ImageFiles, PngIsEncodedForDisplayAndReadBackLinear) {
    HostImage img;
    std::string error;
    ASSERT_TRUE(ReadImageFile(Write("a.png", 3, 2, kPicture), img, error)) << error;
    // One 8-bit step at the display-encoded value, carried back through gamma 2.2.
    ExpectPicture(img, kPicture, 3, 2, 0.02f, 0.001f);
    // Out of range values are clamped, not wrapped.
    ASSERT_TRUE(ReadImageFile(Write("b.png", 1, 1, {-1.0f, 7.0f, std::nanf("")}), img, error));
    EXPECT_EQ(img.rgba[0], 0.0f);
    EXPECT_EQ(img.rgba[1], 1.0f);
    EXPECT_EQ(img.rgba[2], 0.0f);
}

// A linear picture's PNG is the one PNG encoder's file of its display bytes, and
// decodes to exactly those bytes.
TEST_F(ImageFiles, PngOfLinearPictureHoldsItsDisplayBytes) {
    std::vector<float> gradient;  // wide enough for every row filter to be worth trying
    for (int i = 0; i < 40 * 7 * 3; ++i) gradient.push_back(static_cast<float>(i % 97) / 80.0f);
    const struct {
        const char* name;
        int width, height;
        std::vector<float> rgb;
    } cases[] = {
        {"range", 3, 2, kPicture},
        {"beyond", 2, 1, {-1.0f, 7.0f, std::nanf(""), 1e38f, -0.0f, 1e-30f}},
        {"gradient", 40, 7, gradient},
    };
    for (const auto& c : cases) {
        std::string png, error;
        ASSERT_TRUE(EncodePng(c.width, c.height, c.rgb.data(), &png)) << c.name;
        const std::vector<unsigned char> display = DisplayBytes(c.rgb.data(), c.rgb.size());
        std::vector<unsigned char> direct;
        ASSERT_TRUE(EncodePng(c.width, c.height, display.data(), &direct, &error)) << error;
        EXPECT_EQ(png, std::string(direct.begin(), direct.end())) << c.name;

        const std::string file = PathOf(std::string(c.name) + ".png");
        ASSERT_TRUE(WriteImageFile(file, c.width, c.height, c.rgb.data(), error)) << error;
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), png) << c.name;

        HostImage img;  // read back without gamma: the stored bytes over 255
        ASSERT_TRUE(ReadHostImage(file, img, error, 1.0f)) << error;
        ASSERT_EQ(std::make_pair(img.width, img.height), std::make_pair(c.width, c.height));
        std::vector<unsigned char> stored;
        for (std::size_t i = 0; i < display.size(); ++i)
            stored.push_back(
                static_cast<unsigned char>(std::lround(img.rgba[i / 3 * 4 + i % 3] * 255.0f)));
        EXPECT_EQ(stored, display) << c.name;
    }
}

TEST_F(ImageFiles, RadianceRunLengthScanlinesRoundTrip) {
    // Wide enough for run-length scanlines, with runs and unrepeated stretches.
    constexpr int kWidth = 300;
    std::vector<float> rgb;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c)
                rgb.push_back(x < 140 ? 0.5f * static_cast<float>(y + 1)
                                      : static_cast<float>((x * 7 + c * 13) % 97) / 10.0f);
    HostImage img;
    std::string error;
    ASSERT_TRUE(ReadImageFile(Write("runs.hdr", kWidth, 3, rgb), img, error)) << error;
    ExpectPicture(img, rgb, kWidth, 3, 1.0f / 128.0f, 0.0f, true);
}

TEST_F(ImageFiles, EightBitFormatsAreLinearisedWithGamma22) {
    // TGA, BMP and JPEG written by the encoder library from known bytes.
    const unsigned char bytes[6] = {0, 64, 128, 255, 200, 32};
    for (const char* name : {"a.tga", "a.bmp", "a.jpg"}) {
        std::string encoded;
        const std::string ext = std::string(name).substr(2);
        if (ext == "tga") stbi_write_tga_to_func(AppendBytes, &encoded, 2, 1, 3, bytes);
        if (ext == "bmp") stbi_write_bmp_to_func(AppendBytes, &encoded, 2, 1, 3, bytes);
        if (ext == "jpg") stbi_write_jpg_to_func(AppendBytes, &encoded, 2, 1, 3, bytes, 100);
        SaveBytes(PathOf(name), encoded);
        HostImage img;
        std::string error;
        ASSERT_TRUE(ReadImageFile(PathOf(name), img, error)) << name << ": " << error;
        ASSERT_EQ(img.width, 2);
        ASSERT_EQ(img.height, 1);
        const float tolerance = ext == "jpg" ? 0.05f : 1e-5f;  // JPEG is lossy
        for (int i = 0; i < 6; ++i)
            EXPECT_NEAR(img.rgba[static_cast<size_t>(i / 3 * 4 + i % 3)],
                        std::pow(bytes[i] / 255.0f, 2.2f), tolerance)
                << name << " sample " << i;
    }
}

TEST_F(ImageFiles, WritingFailuresSayWhy) {
    std::string error;
    EXPECT_FALSE(WriteImageFile(PathOf("a.tiff"), 3, 2, kPicture.data(), error));
    EXPECT_NE(error.find(".tiff"), std::string::npos) << error;
    EXPECT_FALSE(WriteImageFile(PathOf("noextension"), 3, 2, kPicture.data(), error));
    EXPECT_NE(error.find("extension"), std::string::npos) << error;
    for (const char* name : {"missing/a.png", "missing/a.exr", "missing/a.hdr"}) {
        EXPECT_FALSE(WriteImageFile(PathOf(name), 3, 2, kPicture.data(), error)) << name;
        EXPECT_NE(error.find(PathOf(name)), std::string::npos) << error;
    }
    EXPECT_FALSE(WriteImageFile(PathOf("a.png"), 0, 2, kPicture.data(), error));
    EXPECT_FALSE(std::filesystem::exists(PathOf("a.png")));
}

TEST_F(ImageFiles, ReadingFailuresSayWhy) {
    HostImage img;
    std::string error;
    EXPECT_FALSE(ReadImageFile(PathOf("absent.png"), img, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(img.Empty());
    // Truncated files of each kind.
    for (const char* name : {"cut.png", "cut.exr", "cut.hdr"}) {
        const std::string path = Write(name, 3, 2, kPicture);
        std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
        EXPECT_FALSE(ReadImageFile(path, img, error)) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_TRUE(img.Empty()) << name;
    }
}

namespace {

std::string Le16(unsigned v) { return {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)}; }
std::string Le32(std::uint32_t v) { return Le16(v & 0xffff) + Le16(v >> 16); }
std::string Be32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// The CRC of a PNG chunk's type and data.
std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t c = 0xffffffffu;
    for (unsigned char b : bytes) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xffffffffu;
}

// The 54-byte header of an uncompressed 24-bit BMP, without its pixels.
std::string BmpHeader(std::uint32_t width, std::uint32_t height) {
    return "BM" + Le32(54) + Le32(0) + Le32(54) + Le32(40) + Le32(width) + Le32(height) + Le16(1) +
           Le16(24) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
}

// The 18-byte header of an uncompressed 24-bit TGA.
std::string TgaHeader(unsigned width, unsigned height) {
    return std::string("\0\0\2", 3) + std::string(9, '\0') + Le16(width) + Le16(height) + "\x18" +
           std::string(1, '\0');
}

std::string RadianceHeader(int width, int height) {
    return "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) + " +X " +
           std::to_string(width) + "\n";
}

}  // namespace

TEST_F(ImageFiles, RadiancePixelsDecodeExactly) {
    // Flat pixels: mantissas scaled by 2^(exponent - 136); exponent 0 is black.
    const std::string pixels =
        std::string("\x80\x40\x01\x81", 4) + std::string("\xff\xff\xff\0", 4);
    SaveBytes(PathOf("flat.hdr"), RadianceHeader(2, 1) + pixels);
    HostImage img;
    std::string error;
    ASSERT_TRUE(ReadImageFile(PathOf("flat.hdr"), img, error)) << error;
    const std::vector<float> want = {1.0f, 0.5f, 1.0f / 128.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    EXPECT_EQ(img.rgba, want);
    // A file wide enough for run-length scanlines whose first one is stored flat is
    // flat throughout.
    std::string wide;
    for (int i = 0; i < 8; ++i) wide += std::string("\x80\x80\x80\x81", 4);
    SaveBytes(PathOf("wide.hdr"), RadianceHeader(8, 1) + wide);
    ASSERT_TRUE(ReadImageFile(PathOf("wide.hdr"), img, error)) << error;
    EXPECT_EQ(img.rgba, std::vector<float>(32, 1.0f));
}

TEST_F(ImageFiles, DamagedRadianceFilesAreRefusedNotDecodedForever) {
    constexpr int kWidth = 40;
    std::vector<float> rgb;
    for (int i = 0; i < kWidth * 3 * 3; ++i) rgb.push_back(static_cast<float>(i % 11) / 3.0f);
    const std::string path = Write("runs.hdr", kWidth, 3, rgb);
    std::ifstream in(path, std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HostImage img;
    std::string error;
    ASSERT_TRUE(ReadImageFile(path, img, error)) << error;
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SaveBytes(PathOf("cut.hdr"), whole.substr(0, length));
        EXPECT_FALSE(ReadImageFile(PathOf("cut.hdr"), img, error)) << "cut at " << length;
        EXPECT_FALSE(error.empty());
    }
    // A run of length 0 inside a scanline makes no progress: refused, not looped on.
    const std::size_t start = RadianceHeader(kWidth, 3).size();
    std::string zero = whole;
    zero[start + 4] = '\0';
    SaveBytes(PathOf("zero.hdr"), zero);
    EXPECT_FALSE(ReadImageFile(PathOf("zero.hdr"), img, error));
    EXPECT_NE(error.find("scanline 0"), std::string::npos) << error;
}

TEST_F(ImageFiles, SmallFilesClaimingHugePicturesTakeNoMemory) {
    const std::vector<std::pair<const char*, std::string>> huge = {
        {"huge.bmp", BmpHeader(16000, 16000)},
        {"huge.tga", TgaHeader(65535, 65535)},
        {"huge.hdr", RadianceHeader(16000, 16000)},
        {"huge.png",
         std::string("\x89PNG\r\n\x1a\n", 8) + Le32(0x0d000000) + "IHDR" +
             std::string("\0\0\x3e\x80\0\0\x3e\x80\x08\x02\0\0\0", 13) +
             Be32(Crc32("IHDR" + std::string("\0\0\x3e\x80\0\0\x3e\x80\x08\x02\0\0\0", 13)))},
    };
    HostImage img;
    std::string error;
    for (const auto& [name, bytes] : huge) {
        SaveBytes(PathOf(name), bytes);
        EXPECT_FALSE(ReadImageFile(PathOf(name), img, error)) << name;
        EXPECT_NE(error.find("more than the 67108864"), std::string::npos) << name << ": " << error;
    }
    // Within the limit, a header without the pixels it announces is refused too.
    for (const auto& [name, bytes] : std::vector<std::pair<const char*, std::string>>{
             {"short.bmp", BmpHeader(4000, 4000)},
             {"short.tga", TgaHeader(4000, 4000)},
             {"short.hdr", RadianceHeader(4000, 4000) + "\x02\x02\x0f\xa0"}}) {
        SaveBytes(PathOf(name), bytes);
        EXPECT_FALSE(ReadImageFile(PathOf(name), img, error)) << name;
        EXPECT_NE(error.find("cut short"), std::string::npos) << name << ": " << error;
    }
    // The limit is a setting.
    SetMaxImagePixels(std::size_t(16000) * 16000);
    EXPECT_FALSE(ReadImageFile(PathOf("huge.bmp"), img, error));
    EXPECT_NE(error.find("cut short"), std::string::npos) << error;
    SetMaxImagePixels(5);
    for (const char* name : {"six.exr", "six.png", "six.hdr"}) {
        EXPECT_FALSE(ReadImageFile(Write(name, 3, 2, kPicture), img, error)) << name;
        EXPECT_NE(error.find("3 x 2 pixels is more than the 5"), std::string::npos) << error;
    }
    SetMaxImagePixels(kDefaultMaxImagePixels);
}

TEST_F(ImageFiles, OnlyOrdinaryFilesAreRead) {
    HostImage img;
    std::string error;
    ASSERT_EQ(mkfifo(PathOf("fifo.png").c_str(), 0600), 0);
    for (const std::string& path : {dir_.string(), std::string("/dev/zero"), PathOf("fifo.png")}) {
        EXPECT_FALSE(ReadImageFile(path, img, error)) << path;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << path << ": " << error;
    }
}
