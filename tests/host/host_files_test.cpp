// Files named beyond ASCII: the host opens them by the name it is given, on Windows
// (by the wide name) as on Linux.
#include "host_image.h"
#include "host_paths.h"
#include "regular_file.h"
#include "winhost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>

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

// The file system's names are UTF-8 (UTF-16 on Windows) whatever the C locale says,
// and come back as they went, in every script and beyond the Basic Multilingual Plane.
TEST(HostFiles, NamesInEveryScriptCrossToTheFileSystemAndBack) {
    const std::pair<const wchar_t*, const char*> names[] = {
        {L"café", "café"}, {L"Ελληνικά", "Ελληνικά"}, {L"Кириллица", "Кириллица"},
        {L"漢字", "漢字"}, {L"عربي", "عربي"},         {L"😀/x", "😀/x"}};
    for (const auto& [wide, utf8] : names) {
        EXPECT_EQ(Utf8Path(FileSystemPath(wide)), utf8);
        EXPECT_EQ(HostPath(FileSystemPath(wide)), wide);
    }
}

// Bytes that are not well-formed UTF-8 are never read as a character: an overlong
// '/' must not become a separator, nor an encoded surrogate half of a pair.
TEST(HostFiles, TextThatIsNotUtf8IsNeverAnotherName) {
    EXPECT_EQ(winhost::Utf8ToWide("a\xC0\xAF"
                                  "b\xFF\xED\xA0\x80"),
              L"a\uFFFD\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_FALSE(winhost::IsUtf8("a\xC0\xAF"));
    EXPECT_FALSE(winhost::IsUtf8("\xED\xA0\x80"));
    EXPECT_TRUE(winhost::IsUtf8("é😀"));
}
