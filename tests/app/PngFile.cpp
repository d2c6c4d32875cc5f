#include "PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace cm::test {

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height) {
    if (pixels == nullptr || width < 1 || height < 1) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(static_cast<size_t>(width) * 3);
        for (int y = 0; y < height; ++y) {
            const uint32_t* src = pixels + static_cast<size_t>(y) * width;
            for (int x = 0; x < width; ++x) {
                row[static_cast<size_t>(x) * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
                row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
                row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>(src[x]);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    return std::fclose(file) == 0 && ok;
}

}  // namespace cm::test
