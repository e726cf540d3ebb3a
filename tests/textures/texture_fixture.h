// Pictures written at test time into a folder of their own.
#pragma once

#include "lumra/image_file.h"

#include "winhost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

class TextureFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("lumra_textures_" + std::to_string(getpid()) + "_" + info->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    // Writes linear RGB pixels and returns the file's path.
    std::string Write(const std::string& name, int width, int height,
                      const std::vector<float>& rgb) {
        const std::string path = PathOf(name);
        std::string error;
        EXPECT_TRUE(WriteImageFile(path, width, height, rgb.data(), error)) << error;
        return path;
    }

    // A picture whose red channel is each texel centre's u and green its v
    // (v up), so that bilinear lookups away from the edges give back (u, v).
    std::string WriteCoordinateRamp(const std::string& name, int width, int height) {
        std::vector<float> rgb;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                rgb.push_back((static_cast<float>(x) + 0.5f) / static_cast<float>(width));
                rgb.push_back(1.0f - (static_cast<float>(y) + 0.5f) / static_cast<float>(height));
                rgb.push_back(0.0f);
            }
        }
        return Write(name, width, height, rgb);
    }

    std::filesystem::path dir_;
};

// A UTF-8 path as the SDK holds file names.
inline std::wstring Wide(const std::string& s) { return winhost::Utf8ToWide(s); }
