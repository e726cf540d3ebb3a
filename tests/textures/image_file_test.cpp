#include "tests/textures/texture_fixture.h"

#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <cmath>
#include <fstream>

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
