// Files named beyond ASCII: the host opens them by the name it is given, on Windows
// as on Linux.
#include "host_image.h"
#include "host_paths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// A Radiance picture of 2 x 1 pixels, its scanline flat (too short to be run-length
// encoded): red 1, then green 0.5.
const unsigned char kHdr[] = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 2\n"
                             "\x80\x00\x00\x81"
                             "\x00\x80\x00\x80";

}  // namespace

TEST(HostFiles, APictureInAFolderNamedBeyondAsciiIsReadByItsName) {
    const std::wstring folder =
        std::filesystem::temp_directory_path().wstring() + L"/lumra \u00e9\U0001F600 " +
        std::to_wstring(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::wstring file = folder + L"/sky \u00e9\U0001F600.hdr";
    std::filesystem::create_directories(FileSystemPath(folder));
    std::FILE* out = OpenFile(FileSystemPath(file), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(kHdr, 1, sizeof kHdr - 1, out);
    std::fclose(out);
    // The file system holds the name as given, not a replacement of it.
    std::filesystem::path listed;
    for (const auto& entry : std::filesystem::directory_iterator(FileSystemPath(folder)))
        listed = entry.path().filename();
    EXPECT_EQ(listed, FileSystemPath(L"sky \u00e9\U0001F600.hdr"));

    HostImage image;
    std::string error;
    ASSERT_TRUE(ReadHostImage(FileSystemPath(file), image, error)) << error;
    ASSERT_EQ(image.width, 2);
    EXPECT_FLOAT_EQ(image.Pixel(0, 0)[0], 1.0f);
    EXPECT_FLOAT_EQ(image.Pixel(1, 0)[1], 0.5f);
    std::filesystem::remove_all(FileSystemPath(folder));
}
