#include "images/ImageWriters.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace cm::content {

std::vector<uint8_t> EncodeJpeg(const Image& image, int quality) {
    const std::vector<uint8_t> rgb = image.ToBytes();
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);  // a fatal error exits: the build then fails, as it should
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.Width());
    cinfo.image_height = JDIMENSION(image.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const int stride = image.Width() * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + size_t(cinfo.next_scanline) * size_t(stride));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::vector<uint8_t> EncodeTga(const Image& image) {
    const int w = image.Width(), h = image.Height();
    if (w > 0xffff || h > 0xffff) throw std::runtime_error("EncodeTga: image too large");
    const std::vector<uint8_t> rgb = image.ToBytes();
    std::vector<uint8_t> out = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 24, 0};
    auto pixel = [&](int x, int y) { return rgb.data() + (size_t(y) * size_t(w) + size_t(x)) * 3; };
    auto same = [&](int y, int a, int b) {
        const uint8_t *p = pixel(a, y), *q = pixel(b, y);
        return p[0] == q[0] && p[1] == q[1] && p[2] == q[2];
    };
    auto put = [&](const uint8_t* p) {
        out.push_back(p[2]);
        out.push_back(p[1]);
        out.push_back(p[0]);
    };
    for (int y = h - 1; y >= 0; --y) {
        int x = 0;
        while (x < w) {
            // A run packet for two or more equal pixels, else a raw packet up to the next run.
            int run = 1;
            while (x + run < w && run < 128 && same(y, x, x + run)) ++run;
            if (run >= 2) {
                out.push_back(uint8_t(0x80 | (run - 1)));
                put(pixel(x, y));
                x += run;
                continue;
            }
            int raw = 1;
            while (x + raw < w && raw < 128 && !(x + raw + 1 < w && same(y, x + raw, x + raw + 1))) ++raw;
            out.push_back(uint8_t(raw - 1));
            for (int i = 0; i < raw; ++i) put(pixel(x + i, y));
            x += raw;
        }
    }
    return out;
}

}  // namespace cm::content
