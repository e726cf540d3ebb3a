// The picture readers against damaged and hostile files: every truncation and many
// single-byte changes of every sample picture either decode whole or are refused
// with a reason; headers announcing pictures their data cannot fill are refused as
// cut short before any pixel memory is asked for; formats not read are named.
#include "fuzz/sample_images.h"

#include "host_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

const std::vector<SampleImage>& SmallCorpus() {
    static const std::vector<SampleImage> corpus = [] {
        std::vector<SampleImage> images;
        std::string error;
        EXPECT_TRUE(MakeSampleImages(13, 7, &images, &error)) << error;
        return images;
    }();
    return corpus;
}

const SampleImage& Sample(const std::string& name) {
    for (const SampleImage& s : SmallCorpus())
        if (s.name == name) return s;
    ADD_FAILURE() << "no sample " << name;
    return SmallCorpus().front();
}

struct Outcome {
    bool ok = false;
    bool admitted = false;  // the reader asked for the picture's memory
    std::string error;
    HostImage image;
};

// Decodes a copy of exactly `size` bytes, so that reading past them is caught.
Outcome Decode(const std::vector<unsigned char>& bytes, std::size_t size) {
    const std::vector<unsigned char> copy(bytes.begin(),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(size));
    Outcome o;
    const ImageAdmission admit = [&](int, int, std::string&) { return o.admitted = true; };
    o.ok = DecodeHostImage(copy.data(), copy.size(), o.image, o.error, 2.2f, admit);
    return o;
}

// Either a whole picture of the sample's size, or a refusal with a reason and no pixels.
void ExpectWholeOrRefused(const SampleImage& s, const Outcome& o, const std::string& what) {
    if (o.ok) {
        EXPECT_TRUE(o.error.empty()) << what;
        EXPECT_EQ(o.image.rgba.size(), static_cast<std::size_t>(o.image.width) * o.image.height * 4)
            << what;
    } else {
        EXPECT_FALSE(o.error.empty()) << what;
        EXPECT_TRUE(o.image.rgba.empty()) << what;
    }
    (void)s;
}

std::uint32_t Be32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
void PutBe32(unsigned char* p, std::uint32_t v) {
    p[0] = v >> 24, p[1] = (v >> 16) & 255, p[2] = (v >> 8) & 255, p[3] = v & 255;
}
void PutLe16(unsigned char* p, unsigned v) { p[0] = v & 255, p[1] = (v >> 8) & 255; }
std::uint32_t Crc32(const unsigned char* p, std::size_t n) {
    std::uint32_t c = 0xffffffffu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xffffffffu;
}

// The sample's header made to announce 4096 x 4096 pixels, its data left as it is.
std::vector<unsigned char> Announcing4k(const SampleImage& s) {
    std::vector<unsigned char> b = s.bytes;
    const std::string ext = s.name.substr(s.name.rfind('.'));
    if (ext == ".png") {  // IHDR is the first chunk
        PutBe32(&b[16], 4096), PutBe32(&b[20], 4096);
        PutBe32(&b[29], Crc32(&b[12], 17));
    } else if (ext == ".jpg") {  // the frame header: FFC0/FFC2, length, precision, height, width
        for (std::size_t i = 2; i + 9 < b.size(); ++i)
            if (b[i] == 0xff && (b[i + 1] == 0xc0 || b[i + 1] == 0xc2)) {
                b[i + 5] = 0x10, b[i + 6] = 0, b[i + 7] = 0x10, b[i + 8] = 0;
                break;
            }
    } else if (ext == ".tif") {  // little-endian, first directory: width and length tags
        const std::uint32_t ifd = b[4] | (b[5] << 8) | (b[6] << 16) | (std::uint32_t(b[7]) << 24);
        const unsigned entries = b[ifd] | (b[ifd + 1] << 8);
        for (unsigned e = 0; e < entries; ++e) {
            unsigned char* entry = &b[ifd + 2 + e * 12];
            const unsigned tag = entry[0] | (entry[1] << 8);
            if (tag == 256 || tag == 257) {
                std::memset(entry + 8, 0, 4);
                PutLe16(entry + 8, 4096);
            }
        }
    } else if (ext == ".tga") {
        PutLe16(&b[12], 4096), PutLe16(&b[14], 4096);
    } else if (ext == ".bmp") {
        const bool core = b[14] == 12;
        if (core)
            PutLe16(&b[18], 4096), PutLe16(&b[20], 4096);
        else
            PutLe16(&b[18], 4096), PutLe16(&b[22], 4096);
    } else if (ext == ".exr") {  // dataWindow: box2i min x, min y, max x, max y
        const char key[] = "dataWindow\0box2i";
        for (std::size_t i = 0; i + sizeof key + 20 < b.size(); ++i)
            if (std::memcmp(&b[i], key, sizeof key) == 0) {
                unsigned char* box = &b[i + sizeof key + 4];
                box[8] = 0xff, box[9] = 0x0f, box[10] = box[11] = 0;
                box[12] = 0xff, box[13] = 0x0f, box[14] = box[15] = 0;
                break;
            }
    }
    return b;
}

}  // namespace

TEST(ImageReaders, EveryTruncationOfEverySampleDecodesWholeOrIsRefused) {
    for (const SampleImage& s : SmallCorpus()) {
        for (std::size_t n = 0; n < s.bytes.size(); ++n)
            ExpectWholeOrRefused(s, Decode(s.bytes, n), s.name + " cut at " + std::to_string(n));
        const Outcome whole = Decode(s.bytes, s.bytes.size());
        EXPECT_TRUE(whole.ok) << s.name << ": " << whole.error;
    }
}

TEST(ImageReaders, ChangedBytesOfEverySampleDecodeWholeOrAreRefused) {
    for (const SampleImage& s : SmallCorpus()) {
        // Every byte of the headers, then a spread through the data.
        for (std::size_t i = 0; i < s.bytes.size(); i += i < 256 ? 1 : 5) {
            for (unsigned char change : {0xff, 0x80, 0x01}) {
                std::vector<unsigned char> b = s.bytes;
                b[i] = change == 0xff ? static_cast<unsigned char>(~b[i])
                                      : static_cast<unsigned char>(b[i] ^ change);
                ExpectWholeOrRefused(s, Decode(b, b.size()),
                                     s.name + " changed at " + std::to_string(i));
            }
        }
    }
}

TEST(ImageReaders, HeadersAnnouncingMoreThanTheirDataAreCutShortBeforeTakingMemory) {
    const char* samples[] = {"png_rgb8.png",
                             "png_rgba16_interlaced.png",
                             "png_palette4_trns.png",
                             "jpeg_420.jpg",
                             "jpeg_progressive.jpg",
                             "jpeg_grey.jpg",
                             "tiff_rgb8.tif",
                             "tiff_rgba8_lzw.tif",
                             "tiff_rgb8_tiled_deflate.tif",
                             "tiff_jpeg_ycbcr.tif",
                             "tga_rgb24.tga",
                             "tga_rgb24_rle.tga",
                             "bmp_rgb24.bmp",
                             "bmp_palette8_rle.bmp",
                             "bmp_core_rgb24.bmp",
                             "exr_zip.exr",
                             "exr_tiled.exr"};
    for (const char* name : samples) {
        const std::vector<unsigned char> b = Announcing4k(Sample(name));
        const Outcome o = Decode(b, b.size());
        EXPECT_FALSE(o.ok) << name;
        EXPECT_FALSE(o.admitted) << name << ": memory was asked for";
        EXPECT_NE(o.error.find("cut short"), std::string::npos) << name << ": " << o.error;
    }
}

TEST(ImageReaders, AJpegHeaderWithoutScanDataIsRefusedAsCutShort) {
    // Tables and a frame of 4096 x 4096, then the end of the picture: 150-odd bytes.
    std::vector<unsigned char> b = Announcing4k(Sample("jpeg_grey.jpg"));
    std::size_t sos = 0;
    for (std::size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xff && b[i + 1] == 0xda) sos = i;
    ASSERT_GT(sos, 0u);
    const std::size_t header = sos + 2 + ((b[sos + 2] << 8) | b[sos + 3]);
    b.resize(header);
    for (std::size_t extra : {std::size_t(0), std::size_t(1)}) {
        std::vector<unsigned char> file = b;
        if (extra) file.insert(file.end(), {0xff, 0xd9});
        const Outcome o = Decode(file, file.size());
        EXPECT_FALSE(o.ok);
        EXPECT_FALSE(o.admitted);
        EXPECT_NE(o.error.find("cut short"), std::string::npos) << o.error;
    }
}

TEST(ImageReaders, FormatsNotReadAreNamed) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"GIF89a\x0d\0\x07\0", "GIF"},
        {"8BPS\0\1", "Photoshop"},
        {std::string("RIFF\0\0\0\0WEBPVP8 ", 16), "WebP"},
        {"P6\n13 7\n255\n", "Netpbm"},
        {std::string("\0\0\0\x18"
                     "ftypavif",
                     12),
         "AVIF"},
        {"just some text, not a picture", "not a picture"},
    };
    for (const auto& [bytes, named] : files) {
        const std::vector<unsigned char> b(bytes.begin(), bytes.end());
        const Outcome o = Decode(b, b.size());
        EXPECT_FALSE(o.ok) << named;
        EXPECT_NE(o.error.find(named), std::string::npos) << o.error;
    }
}

TEST(ImageReaders, UnusualSampleLayoutsAreRefusedByName) {
    // A TIFF with 12-bit samples: the bits-a-sample tag of an 8-bit sample changed.
    std::vector<unsigned char> b = Sample("tiff_rgb8.tif").bytes;
    const std::uint32_t ifd = b[4] | (b[5] << 8) | (b[6] << 16) | (std::uint32_t(b[7]) << 24);
    const unsigned entries = b[ifd] | (b[ifd + 1] << 8);
    for (unsigned e = 0; e < entries; ++e) {
        unsigned char* entry = &b[ifd + 2 + e * 12];
        if ((entry[0] | (entry[1] << 8)) != 258) continue;
        // Three values: stored elsewhere, each 8; make them 12.
        const std::uint32_t at =
            entry[8] | (entry[9] << 8) | (entry[10] << 16) | (std::uint32_t(entry[11]) << 24);
        for (int k = 0; k < 3; ++k) PutLe16(&b[at + k * 2], 12);
    }
    Outcome o = Decode(b, b.size());
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("TIFF with 12-bit samples is not read"), std::string::npos) << o.error;
    // An arithmetic-coded JPEG: the baseline frame marker made SOF9.
    b = Sample("jpeg_444.jpg").bytes;
    for (std::size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xff && b[i + 1] == 0xc0) {
            b[i + 1] = 0xc9;
            break;
        }
    o = Decode(b, b.size());
    EXPECT_FALSE(o.ok);
    EXPECT_NE(o.error.find("arithmetic coding"), std::string::npos) << o.error;
    (void)Be32;
}
