// JPEG through libjpeg. Grey pictures stay grey, Adobe CMYK and YCCK become RGB as
// C * K (the host's values of these files since its first reader). A file whose
// data ends before the picture does is refused: libjpeg would fill the rest with
// grey. libjpeg reports errors by jumping out of its calls; the functions that call
// it hold nothing that needs destroying.
#include "image_readers.h"

#include <cstdio>
// libjpeg's headers need FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Progressive files may refine a picture in any number of scans, each a pass over
// all of it; real encoders use about ten.
constexpr int kMaxScans = 500;

struct Decoder {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    bool created = false;
    bool cutShort = false;
    bool tooManyScans = false;
    int errorCode = 0;
    char message[JMSG_LENGTH_MAX] = {};

    ~Decoder() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

Decoder& Of(j_common_ptr cinfo) { return *static_cast<Decoder*>(cinfo->client_data); }

[[noreturn]] void OnError(j_common_ptr cinfo) {
    Decoder& d = Of(cinfo);
    d.errorCode = cinfo->err->msg_code;
    cinfo->err->format_message(cinfo, d.message);
    std::longjmp(d.jump, 1);
}

// Warnings say the data was damaged and libjpeg went on; those that say the data
// ran out end the read, the others are let through as other readers do.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // tracing
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) {
        Of(cinfo).cutShort = true;
        std::longjmp(Of(cinfo).jump, 1);
    }
}

void OnProgress(j_common_ptr cinfo) {
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxScans) {
        Of(cinfo).tooManyScans = true;
        std::longjmp(Of(cinfo).jump, 1);
    }
}

bool ReadHeader(Decoder& d, const unsigned char* data, std::size_t size) {
    if (setjmp(d.jump)) return false;
    d.cinfo.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = OnError;
    d.errors.emit_message = OnMessage;
    d.cinfo.client_data = &d;  // kept by jpeg_create_decompress
    jpeg_create_decompress(&d.cinfo);
    d.created = true;
    d.progress.progress_monitor = OnProgress;
    d.cinfo.progress = &d.progress;
    jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    return true;
}

bool Start(Decoder& d) {
    if (setjmp(d.jump)) return false;
    jpeg_start_decompress(&d.cinfo);
    return true;
}

template <typename Store>
bool ReadRows(Decoder& d, unsigned char* row, Store* store) {
    if (setjmp(d.jump)) return false;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        const int y = static_cast<int>(d.cinfo.output_scanline);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1) return false;
        (*store)(y, row);
    }
    return true;
}

// x * y / 255, rounded.
std::uint8_t Product(unsigned x, unsigned y) {
    const unsigned t = x * y + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

}  // namespace

bool DecodeJpeg(const unsigned char* data, std::size_t size, ImageSink& sink) {
    auto d = std::make_unique<Decoder>();
    const auto width = [&] { return static_cast<std::int64_t>(d->cinfo.image_width); };
    const auto height = [&] { return static_cast<std::int64_t>(d->cinfo.image_height); };
    auto failure = [&](bool started) {
        if (d->cutShort)
            return started ? sink.CutShort(size, width(), height())
                           : sink.Fail("the file is cut short in its header");
        if (d->tooManyScans)
            return sink.Fail("JPEG with more than " + std::to_string(kMaxScans) +
                             " scans is not read");
        if (d->errorCode == JERR_BAD_PRECISION)
            return sink.Fail("JPEG with " + std::to_string(d->cinfo.data_precision) +
                             "-bit samples is not read");
        return sink.Fail(std::string("the JPEG file is damaged or of a kind not read: ") +
                         d->message);
    };
    if (!ReadHeader(*d, data, size)) return failure(false);
    jpeg_decompress_struct& c = d->cinfo;
    if (!sink.CheckSize(width(), height())) return false;
    if (c.arith_code) return sink.Fail("JPEG with arithmetic coding is not read");
    // Every 8 x 8 block of every component takes at least two bits of Huffman codes
    // in a sequential file, one in a progressive one.
    std::uint64_t blocks = 0;
    for (int i = 0; i < c.num_components; ++i)
        blocks += static_cast<std::uint64_t>(c.comp_info[i].width_in_blocks) *
                  c.comp_info[i].height_in_blocks;
    const std::uint64_t left = c.src->bytes_in_buffer;
    if (left * (c.progressive_mode ? 8 : 4) < blocks) return sink.CutShort(size, width(), height());

    const bool cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
    const bool grey = c.jpeg_color_space == JCS_GRAYSCALE;
    c.out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB;
    c.dct_method = JDCT_ISLOW;
    if (!sink.Begin(width(), height())) return false;
    if (!Start(*d)) return failure(true);
    if (static_cast<int>(c.output_width) != sink.Width() ||
        static_cast<int>(c.output_height) != sink.Height())
        return sink.Fail("the JPEG file is damaged: its size changed while it was read");

    const std::size_t w = c.output_width;
    std::vector<unsigned char> row(w * static_cast<std::size_t>(c.output_components));
    std::vector<unsigned char> rgb(cmyk ? w * 3 : 0);
    auto store = [&](int y, const unsigned char* samples) {
        if (!cmyk) return sink.StoreRow8(y, samples, c.output_components);
        for (std::size_t x = 0; x < w; ++x) {
            const unsigned char* p = samples + x * 4;
            for (int k = 0; k < 3; ++k) rgb[x * 3 + k] = Product(p[k], p[3]);
        }
        sink.StoreRow8(y, rgb.data(), 3);
    };
    if (!ReadRows(*d, row.data(), &store)) return failure(true);
    return true;
}
