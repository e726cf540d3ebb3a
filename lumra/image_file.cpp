#include "lumra/image_file.h"

#include "lumra/png_write.h"
#include "regular_file.h"

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfOutputFile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>

namespace {

constexpr float kDisplayGamma = 2.2f;

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool WriteBytes(const std::string& path, const std::string& bytes, std::string& error) {
    return ReplaceRegularFile(path, bytes.data(), bytes.size(), error);
}

// An EXR file assembled in memory: the library's last writes (the table of line
// offsets, in its destructor) cannot fail unseen, and the file is replaced whole.
class MemoryExrStream : public Imf::OStream {
public:
    explicit MemoryExrStream(const std::string& name) : Imf::OStream(name.c_str()) {}
    void write(const char c[], int n) override {
        const std::size_t count = static_cast<std::size_t>(n);
        if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
        std::memcpy(bytes_.data() + position_, c, count);
        position_ += count;
    }
    std::uint64_t tellp() override { return position_; }
    void seekp(std::uint64_t pos) override { position_ = static_cast<std::size_t>(pos); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

unsigned char DisplayByte(float linear) {
    if (!(linear > 0.0f)) return 0;  // also NaN
    if (linear >= 1.0f) return 255;
    return static_cast<unsigned char>(std::pow(linear, 1.0f / kDisplayGamma) * 255.0f + 0.5f);
}

bool WritePng(const std::string& path, int width, int height, const float* rgb,
              std::string& error) {
    std::string encoded;
    if (!EncodePng(width, height, rgb, &encoded)) {
        error = "cannot encode \"" + path + "\" as PNG";
        return false;
    }
    return WriteBytes(path, encoded, error);
}

bool WriteExr(const std::string& path, int width, int height, const float* rgb,
              std::string& error) {
    try {
        Imf::Header header(width, height);
        const char* names[3] = {"R", "G", "B"};
        Imf::FrameBuffer frame;
        const size_t xStride = 3 * sizeof(float);
        const size_t yStride = xStride * static_cast<size_t>(width);
        for (int c = 0; c < 3; ++c) {
            header.channels().insert(names[c], Imf::Channel(Imf::FLOAT));
            frame.insert(names[c], Imf::Slice(Imf::FLOAT,
                                              reinterpret_cast<char*>(const_cast<float*>(rgb + c)),
                                              xStride, yStride));
        }
        MemoryExrStream stream(path);
        {
            Imf::OutputFile file(stream, header);
            file.setFrameBuffer(frame);
            file.writePixels(height);
        }
        return WriteBytes(path, stream.Bytes(), error);
    } catch (const std::exception& e) {
        error = "cannot encode \"" + path + "\" as EXR: " + e.what();
        return false;
    }
}

// One pixel as shared-exponent RGBE.
void ToRgbe(const float* c, unsigned char out[4]) {
    const float r = std::max(c[0], 0.0f), g = std::max(c[1], 0.0f), b = std::max(c[2], 0.0f);
    const float v = std::max(r, std::max(g, b));
    if (!(v >= 1.0e-32f) || !std::isfinite(v)) {
        out[0] = out[1] = out[2] = out[3] = 0;
        return;
    }
    int e = 0;
    const float scale = std::frexp(v, &e) * 256.0f / v;
    out[0] = static_cast<unsigned char>(r * scale);
    out[1] = static_cast<unsigned char>(g * scale);
    out[2] = static_cast<unsigned char>(b * scale);
    out[3] = static_cast<unsigned char>(e + 128);
}

// One channel of a scanline with the format's run-length scheme: runs of 3 to
// 127 equal bytes as (128 + n, byte), everything else as (n, n bytes).
void EncodeChannel(const unsigned char* data, int n, std::string& out) {
    int i = 0;
    while (i < n) {
        int run = 1;
        while (i + run < n && run < 127 && data[i + run] == data[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<char>(128 + run));
            out.push_back(static_cast<char>(data[i]));
            i += run;
            continue;
        }
        // Literal bytes up to the next run of three or more.
        int start = i, count = 0;
        while (i < n && count < 128) {
            if (i + 2 < n && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
            ++i;
            ++count;
        }
        out.push_back(static_cast<char>(count));
        out.append(reinterpret_cast<const char*>(data + start), static_cast<size_t>(count));
    }
}

}  // namespace

std::vector<unsigned char> DisplayBytes(const float* values, std::size_t count) {
    std::vector<unsigned char> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = DisplayByte(values[i]);
    return bytes;
}

bool EncodePng(int width, int height, const float* rgb, std::string* png) {
    const std::vector<unsigned char> bytes =
        DisplayBytes(rgb, static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    std::vector<unsigned char> encoded;
    std::string error;
    png->clear();
    if (!EncodePng(width, height, bytes.data(), &encoded, &error)) return false;
    png->assign(encoded.begin(), encoded.end());
    return true;
}

std::string EncodeRadianceHdr(int width, int height, const float* rgb) {
    std::string out = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) +
                      " +X " + std::to_string(width) + "\n";
    const bool runLength = width >= 8 && width < 32768;
    std::vector<unsigned char> line(static_cast<size_t>(width) * 4);
    std::vector<unsigned char> channel(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            ToRgbe(rgb + (static_cast<size_t>(y) * static_cast<size_t>(width) +
                          static_cast<size_t>(x)) *
                             3,
                   &line[static_cast<size_t>(x) * 4]);
        if (!runLength) {
            out.append(reinterpret_cast<const char*>(line.data()), line.size());
            continue;
        }
        out.push_back(2);
        out.push_back(2);
        out.push_back(static_cast<char>(width >> 8));
        out.push_back(static_cast<char>(width & 0xff));
        for (int c = 0; c < 4; ++c) {
            for (int x = 0; x < width; ++x)
                channel[static_cast<size_t>(x)] =
                    line[static_cast<size_t>(x) * 4 + static_cast<size_t>(c)];
            EncodeChannel(channel.data(), width, out);
        }
    }
    return out;
}

bool WriteImageFile(const std::string& path, int width, int height, const float* rgb,
                    std::string& error) {
    error.clear();
    if (width <= 0 || height <= 0 || !rgb) {
        error = "cannot write \"" + path + "\": the picture is empty";
        return false;
    }
    const std::string ext = LowerExtension(path);
    if (ext == ".png") return WritePng(path, width, height, rgb, error);
    if (ext == ".exr") return WriteExr(path, width, height, rgb, error);
    if (ext == ".hdr") return WriteBytes(path, EncodeRadianceHdr(width, height, rgb), error);
    error = "cannot write \"" + path + "\": " +
            (ext.empty() ? std::string("the name has no extension")
                         : "unknown picture type \"" + ext + "\"") +
            " (use .png, .exr or .hdr)";
    return false;
}

bool ReadImageFile(const std::string& path, HostImage& image, std::string& error) {
    return ReadHostImage(path, image, error, kDisplayGamma);
}
