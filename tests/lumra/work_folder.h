// The command line's tests run as a user beyond ASCII runs the program: from a
// working folder named with an accent and a character beyond the Basic Multilingual
// Plane, made for the test program and removed after it. The tests write their
// files into it.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <string>

class NonAsciiWorkFolder : public ::testing::Environment {
public:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("lumra tests é😀 " + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
    }
    void TearDown() override {
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

private:
    std::filesystem::path folder_;
};

inline ::testing::Environment* const kNonAsciiWorkFolder =
    ::testing::AddGlobalTestEnvironment(new NonAsciiWorkFolder);

// Where the tests write their files: the working folder.
inline std::filesystem::path WorkFolder() { return std::filesystem::current_path(); }
