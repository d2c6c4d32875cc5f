#include "resources/PngImage.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace cm {

namespace {
// libpng's default handlers print to standard error; a refused file is reported by the result.
void Quiet(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void Ignore(png_structp, png_const_charp) {}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool WriteTo(FILE* file, const Image& image) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Ignore);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row(static_cast<size_t>(image.width) * 3);
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        // Fast filters and level: frames are written by the thousand and read rarely.
        png_set_compression_level(png, 3);
        png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < image.height; ++y) {
            const uint32_t* src = image.pixels.data() + size_t(y) * image.width;
            for (int x = 0; x < image.width; ++x) {
                row[size_t(x) * 3 + 0] = png_byte(src[x] >> 16);
                row[size_t(x) * 3 + 1] = png_byte(src[x] >> 8);
                row[size_t(x) * 3 + 2] = png_byte(src[x]);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return ok;
}
}  // namespace

bool WritePng(const std::string& path, const Image& image) {
    if (image.width < 1 || image.height < 1 || image.pixels.size() != size_t(image.width) * image.height) return false;
    const std::string part = path + ".part";
    File file(std::fopen(part.c_str(), "wb"));
    if (!file) return false;
    const bool written = WriteTo(file.get(), image);
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed || std::rename(part.c_str(), path.c_str()) != 0) {
        std::remove(part.c_str());
        return false;
    }
    return true;
}

namespace {
// Everything after libpng's error jump point lives here, so no local of the function that
// calls setjmp changes after it. An error jumps out of this function without running its
// destructors, so it owns nothing: the row buffer belongs to the caller.
__attribute__((noinline)) bool ReadBody(png_structp png, png_infop info, Image& out, std::vector<png_byte>& row) {
    png_read_info(png, info);
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int channels = type == PNG_COLOR_TYPE_RGB ? 3 : type == PNG_COLOR_TYPE_RGBA ? 4 : 0;
    if (channels == 0 || depth != 8 || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) return false;
    out.width = int(png_get_image_width(png, info));
    out.height = int(png_get_image_height(png, info));
    out.pixels.resize(size_t(out.width) * out.height);
    row.resize(size_t(out.width) * channels);
    for (int y = 0; y < out.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        uint32_t* dst = out.pixels.data() + size_t(y) * out.width;
        for (int x = 0; x < out.width; ++x) {
            const png_byte* p = row.data() + size_t(x) * channels;
            dst[x] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
    return true;
}

bool ReadFrom(FILE* file, Image& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Quiet, Ignore);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> row;
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, 8192, 8192);
    const bool ok = ReadBody(png, info, out, row);
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}
}  // namespace

bool ReadPng(const std::string& path, Image& image) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    Image out;
    if (!ReadFrom(file.get(), out)) return false;
    image = std::move(out);
    return true;
}

}  // namespace cm
