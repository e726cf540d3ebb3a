// The picture readers over a corpus of every format and variant (fuzz/sample_images.h):
// each decodes to the values it was made with, and to the values the replaced
// decoder gave wherever that one read it.
#include "bench/legacy_image_readers.h"
#include "fuzz/sample_images.h"

#include "host_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Large enough for several JPEG blocks and TIFF tiles, odd so that every row pads.
constexpr int kWidth = 37, kHeight = 23;

const std::vector<SampleImage>& Corpus() {
    static const std::vector<SampleImage> corpus = [] {
        std::vector<SampleImage> images;
        std::string error;
        EXPECT_TRUE(MakeSampleImages(kWidth, kHeight, &images, &error)) << error;
        return images;
    }();
    return corpus;
}

bool Decode(const SampleImage& s, HostImage& image, float gamma = 2.2f) {
    std::string error;
    const bool ok = DecodeHostImage(s.bytes.data(), s.bytes.size(), image, error, gamma);
    EXPECT_TRUE(ok) << s.name << ": " << error;
    return ok;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(ImageCorpus, HoldsEveryFormat) {
    for (const char* ext : {".png", ".jpg", ".tif", ".exr", ".hdr", ".tga", ".bmp"})
        EXPECT_TRUE(std::any_of(Corpus().begin(), Corpus().end(), [&](const SampleImage& s) {
            return s.name.size() > 4 && s.name.compare(s.name.size() - 4, 4, ext) == 0;
        })) << ext;
}

TEST(ImageCorpus, EveryVariantDecodesToTheValuesItWasMadeWith) {
    for (const SampleImage& s : Corpus()) {
        SCOPED_TRACE(s.name);
        HostImage image;
        // Lossy files are compared as samples: read without the gamma.
        if (!Decode(s, image, s.tolerance ? 1.0f : 2.2f)) continue;
        ASSERT_EQ(image.width, s.width);
        ASSERT_EQ(image.height, s.height);
        if (s.depth == 0) {
            if (s.linear.empty()) continue;  // Radiance: its own tests check values
            ASSERT_EQ(image.rgba.size(), s.linear.size());
            for (std::size_t i = 0; i < s.linear.size(); ++i)
                ASSERT_TRUE(SameBits(image.rgba[i], s.linear[i]))
                    << "value " << i << ": " << image.rgba[i] << " for " << s.linear[i];
            continue;
        }
        const float top = s.depth == 16 ? 65535.0f : 255.0f;
        ASSERT_EQ(image.rgba.size(), s.samples.size());
        for (std::size_t i = 0; i < s.samples.size(); ++i) {
            const float v = static_cast<float>(s.samples[i]) / top;
            if (s.tolerance) {
                ASSERT_NEAR(image.rgba[i] * 255.0f, s.samples[i], s.tolerance + 0.01f)
                    << "sample " << i;
                continue;
            }
            const float want = i % 4 == 3 ? v : std::pow(v, 2.2f);
            ASSERT_TRUE(SameBits(image.rgba[i], want)) << "pixel " << i / 4 << " channel " << i % 4
                                                       << ": " << image.rgba[i] << " for " << want;
        }
    }
}

TEST(ImageCorpus, ValuesAreTheReplacedDecodersWhereverItReadTheFile) {
    int compared = 0;
    for (const SampleImage& s : Corpus()) {
        if (!s.oldDecoderReads) continue;
        SCOPED_TRACE(s.name);
        for (float gamma : {2.2f, 1.0f}) {
            HostImage now, before;
            std::string error;
            if (!Decode(s, now, gamma)) continue;
            ASSERT_TRUE(ReadWithStb(s.bytes.data(), s.bytes.size(), before, error, gamma)) << error;
            ASSERT_EQ(now.width, before.width);
            ASSERT_EQ(now.height, before.height);
            ASSERT_EQ(now.rgba.size(), before.rgba.size());
            float worst = 0.0f;
            for (std::size_t i = 0; i < now.rgba.size(); ++i) {
                if (s.tolerance == 0)
                    ASSERT_TRUE(SameBits(now.rgba[i], before.rgba[i]))
                        << "value " << i << ": " << now.rgba[i] << " was " << before.rgba[i];
                else if (gamma == 1.0f)
                    worst = std::max(worst, std::fabs(now.rgba[i] - before.rgba[i]) * 255.0f);
            }
            // JPEG decoders may round the inverse transform, the upsampling of colour
            // and the conversion to RGB each their own way: a step or two.
            EXPECT_LE(worst, 2.01f);
            ++compared;
        }
    }
    EXPECT_GT(compared, 40);
}
