#include "host_image.h"

#include "image_readers.h"
#include "image_sink.h"
#include "radiance_file.h"
#include "regular_file.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {

std::atomic<std::size_t> g_maxPixels{kDefaultMaxImagePixels};

// The largest file worth reading for a picture of the allowed size: four 32-bit
// floats a pixel, uncompressed, and room for headers.
std::uint64_t MaxFileBytes() {
    const std::uint64_t pixels = MaxImagePixels();
    constexpr std::uint64_t kHeaderRoom = 1 << 20;
    return pixels > (UINT64_MAX - kHeaderRoom) / 16 ? UINT64_MAX : pixels * 16 + kHeaderRoom;
}

// Whether the bytes at `at` are the literal's (which may hold zero bytes).
template <std::size_t N>
bool Starts(const unsigned char* data, std::size_t size, const char (&prefix)[N],
            std::size_t at = 0) {
    return size >= at + N - 1 && std::memcmp(data + at, prefix, N - 1) == 0;
}

// Formats told apart by their first bytes that the host does not read, with what to
// convert them to; empty for none of them.
std::string UnreadFormat(const unsigned char* d, std::size_t n) {
    const char* picture = "; save it as PNG, TIFF or TGA";
    const char* hdr = "; save it as OpenEXR or Radiance .hdr";
    auto refuse = [](const char* kind, const char* advice) {
        return std::string(kind) + " files are not read" + advice;
    };
    if (Starts(d, n, "GIF87a") || Starts(d, n, "GIF89a")) return refuse("GIF", picture);
    if (Starts(d, n, "8BPS")) return refuse("Photoshop (PSD)", picture);
    if (Starts(d, n, "RIFF") && Starts(d, n, "WEBP", 8)) return refuse("WebP", picture);
    if (Starts(d, n, "\0\0\0\x0cjP  ") || Starts(d, n, "\xff\x4f\xff\x51"))
        return refuse("JPEG 2000", picture);
    if (Starts(d, n, "\xff\x0a") || Starts(d, n, "\0\0\0\x0cJXL "))
        return refuse("JPEG XL", picture);
    if (Starts(d, n, "ftyp", 4)) return refuse("HEIF and AVIF", picture);
    if (Starts(d, n, "DDS ")) return refuse("DirectDraw Surface (DDS)", picture);
    if (Starts(d, n, "qoif")) return refuse("QOI", picture);
    if (Starts(d, n, "\x53\x80\xf6\x34")) return refuse("Softimage PIC", picture);
    if (Starts(d, n, "\0\0\1\0")) return refuse("Windows icon", picture);
    if (n >= 3 && d[0] == 'P' && (d[1] == 'F' || d[1] == 'f') && (d[2] == '\n' || d[2] == ' '))
        return refuse("Portable float map (PFM)", hdr);
    if (n >= 3 && d[0] == 'P' && d[1] >= '1' && d[1] <= '7' &&
        (d[2] == '\n' || d[2] == ' ' || d[2] == '\r' || d[2] == '\t'))
        return refuse("Netpbm (PBM, PGM, PPM, PAM)", picture);
    return {};
}

constexpr const char* kNotAPicture =
    "not a picture: the file is none of PNG, JPEG, TIFF, OpenEXR, Radiance .hdr, TGA or BMP";

// Enough of a file's first bytes to tell its format (a TGA header is the longest).
constexpr std::size_t kSignatureBytes = 32;

// Why a file that begins with these bytes cannot be a picture the host reads, told
// as DecodeHostImage would tell it; empty when a reader may take it.
std::string FirstBytesRefusal(const unsigned char* d, std::size_t n) {
    if (IsPngFile(d, n) || IsJpegFile(d, n) || IsTiffFile(d, n) || IsExrFile(d, n) ||
        IsRadianceFile(d, n) || IsBmpFile(d, n))
        return {};
    if (std::string reason = UnreadFormat(d, n); !reason.empty()) return reason;
    return IsTgaFile(d, n) ? std::string() : std::string(kNotAPicture);
}

bool DecodeRadianceFile(const unsigned char* data, std::size_t size, ImageSink& sink,
                        HostImage& image) {
    RadianceLayout layout;
    std::string error;
    if (!ReadRadianceLayout(data, size, layout, error)) return sink.Fail(error);
    // The reader refuses a file too short for its pixels before it takes memory.
    if (!sink.Admit(layout.width, layout.height)) return false;
    if (!DecodeRadiance(data, size, MaxImagePixels(), image, error)) return sink.Fail(error);
    return true;
}

// No reader for this format in this build (the libraries are on Linux only).
[[maybe_unused]] bool NotInThisBuild(ImageSink& sink, const char* kind) {
    return sink.Fail(std::string(kind) + " files are not read by this build of the host");
}

}  // namespace

void SetMaxImagePixels(std::size_t pixels) { g_maxPixels = pixels; }
std::size_t MaxImagePixels() { return g_maxPixels; }

bool DecodeHostImage(const unsigned char* data, std::size_t size, HostImage& image,
                     std::string& error, float gamma, const ImageAdmission& admit) {
    image = HostImage();
    error.clear();
    ImageSink sink(image, error, gamma, admit);
    bool ok = false;
    try {
        if (size == 0) {
            ok = sink.Fail("the file is empty");
        } else if (IsPngFile(data, size)) {
#if defined(LUMRA_HAVE_PNG)
            ok = DecodePng(data, size, sink);
#else
            ok = NotInThisBuild(sink, "PNG");
#endif
        } else if (IsJpegFile(data, size)) {
#if defined(LUMRA_HAVE_JPEG)
            ok = DecodeJpeg(data, size, sink);
#else
            ok = NotInThisBuild(sink, "JPEG");
#endif
        } else if (IsTiffFile(data, size)) {
#if defined(LUMRA_HAVE_TIFF)
            ok = DecodeTiff(data, size, sink);
#else
            ok = NotInThisBuild(sink, "TIFF");
#endif
        } else if (IsExrFile(data, size)) {
#if defined(LUMRA_HAVE_OPENEXR)
            ok = DecodeExr(data, size, sink);
#else
            ok = NotInThisBuild(sink, "OpenEXR");
#endif
        } else if (IsRadianceFile(data, size)) {
            ok = DecodeRadianceFile(data, size, sink, image);
        } else if (IsBmpFile(data, size)) {
            ok = DecodeBmp(data, size, sink);
        } else if (std::string reason = UnreadFormat(data, size); !reason.empty()) {
            ok = sink.Fail(reason);
        } else if (IsTgaFile(data, size)) {
            ok = DecodeTga(data, size, sink);
        } else {
            ok = sink.Fail(kNotAPicture);
        }
    } catch (const std::bad_alloc&) {
        ok = sink.Fail("not enough memory for the picture");
    }
    if (!ok) image = HostImage();
    return ok;
}

bool ReadHostImage(const std::string& path, HostImage& image, std::string& error, float gamma,
                   const ImageAdmission& admit) {
    image = HostImage();
    error.clear();
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    std::vector<unsigned char> bytes;
    try {
        // The first bytes are looked at before the rest is read: a large file that is
        // no picture (a video dropped on a map button, say) costs nothing.
        bool notAPicture = false;
        const FileSignature picture{kSignatureBytes, [&](const unsigned char* head, std::size_t n) {
                                        std::string refusal = FirstBytesRefusal(head, n);
                                        notAPicture = !refusal.empty();
                                        return refusal;
                                    }};
        if (!ReadRegularFile(path, MaxFileBytes(), bytes, error, &picture)) {
            if (!notAPicture) error = "the file cannot be read: " + error;
            return false;
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the file";
        return false;
    }
    return DecodeHostImage(bytes.data(), bytes.size(), image, error, gamma, admit);
}
