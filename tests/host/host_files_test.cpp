// Files named beyond ASCII: the host opens them by the name it is given, on Windows
// (by the wide name) as on Linux.
#include "host_image.h"
#include "host_paths.h"
#include "regular_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

// A Radiance picture of 2 x 1 pixels, its scanline flat (too short to be run-length
// encoded): red 1, then green 0.5.
const unsigned char kHdr[] =
    "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 2\n"
    "\x80\x00\x00\x81"
    "\x00\x80\x00\x80";

}  // namespace

TEST(HostFiles, APictureNamedBeyondAsciiIsReadByItsName) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("lumra_files_" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(folder);
    const std::wstring file = HostPath(folder) + L"/sky \u00e9\U0001F600.hdr";
    std::string error;
    ASSERT_TRUE(ReplaceRegularFile(Utf8Path(FileSystemPath(file)), kHdr, sizeof kHdr - 1, error))
        << error;
    // The file system holds the name as given, not a replacement of it.
    std::string listed;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        listed = Utf8Path(entry.path().filename());
    EXPECT_EQ(listed, "sky \u00e9\U0001F600.hdr");

    HostImage image;
    ASSERT_TRUE(ReadHostImage(Utf8Path(FileSystemPath(file)), image, error)) << error;
    ASSERT_EQ(image.width, 2);
    EXPECT_FLOAT_EQ(image.Pixel(0, 0)[0], 1.0f);
    EXPECT_FLOAT_EQ(image.Pixel(1, 0)[1], 0.5f);
    std::filesystem::remove_all(folder);
}
