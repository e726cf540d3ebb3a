// What every picture reader of the host shares: where the decoded pixels go, the
// checks a picture passes before it may take memory, and the linearisation of
// display-encoded samples. Each format's reader (image_readers.h) reads the header,
// checks that the file can hold the picture it announces, then calls Begin and
// stores rows.
#pragma once

#include "host_image.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ImageSink {
public:
    ImageSink(HostImage& image, std::string& error, float gamma, const ImageAdmission& admit)
        : image_(image), error_(error), gamma_(gamma), admit_(admit) {}

    // Fails the read with `reason`; always false.
    bool Fail(std::string reason);
    // "the file is cut short: N bytes cannot hold W x H pixels", as a failure.
    bool CutShort(std::uint64_t bytes, std::int64_t width, std::int64_t height);

    // The picture's size, once the header is read: false (with the reason) for a
    // picture without pixels or over the pixel limit. Takes no memory.
    bool CheckSize(std::int64_t width, std::int64_t height);
    // Checks the size again and asks the admission. False with the reason.
    bool Admit(std::int64_t width, std::int64_t height);
    // Admits the picture and takes its memory (every pixel transparent black until a
    // row is stored). False with the reason.
    bool Begin(std::int64_t width, std::int64_t height);

    int Width() const { return image_.width; }
    int Height() const { return image_.height; }
    float Gamma() const { return gamma_; }
    // Four floats a pixel, for row y counted from the top.
    float* Row(int y) {
        return image_.rgba.data() +
               static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) * 4;
    }

    // Row y from display-encoded samples of `channels` interleaved channels: grey,
    // grey and alpha, RGB or RGBA. Colour goes through the gamma, alpha stays
    // linear; missing alpha is 1.
    void StoreRow8(int y, const std::uint8_t* samples, int channels);
    void StoreRow16(int y, const std::uint16_t* samples, int channels);
    // Row y from linear RGBA floats.
    void StoreLinearRow(int y, const float* rgba);

    // Sample value to float, for every value of 8- or 16-bit samples: colours through
    // a gamma, alpha linear.
    struct Tables {
        std::vector<float> colour, alpha;
    };

private:
    // Made once a gamma and depth for the process (16-bit ones take 65536 powers).
    static std::shared_ptr<const Tables> TablesFor(float gamma, int maxValue);

    HostImage& image_;
    std::string& error_;
    float gamma_;
    const ImageAdmission& admit_;
    std::shared_ptr<const Tables> tables8_, tables16_;
};
