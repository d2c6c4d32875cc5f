#include "icons/PngEncoder.h"

#include <png.h>

#include <stdexcept>

namespace cm::content {
namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void Flush(png_structp) {}

// Everything after libpng's error jump point lives here; an error jumps out of it without running
// destructors, so it owns nothing.
__attribute__((noinline)) void WriteBody(png_structp png, png_infop info, const IconImage& icon) {
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(icon.size), png_uint_32(icon.size), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < icon.size; ++y) png_write_row(png, &icon.rgba[size_t(y) * icon.size * 4]);
    png_write_end(png, nullptr);
}

// No local changes after the jump point, so nothing is left indeterminate by an error's longjmp.
bool Write(png_structp png, png_infop info, const IconImage& icon, std::vector<uint8_t>& out) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_set_write_fn(png, &out, Append, Flush);
    WriteBody(png, info, icon);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const IconImage& icon) {
    if (icon.size < 1 || icon.rgba.size() != size_t(icon.size) * icon.size * 4)
        throw std::runtime_error("EncodePng: pixel count does not match the size");
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool ok = info != nullptr && Write(png, info, icon, out);
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    if (!ok) throw std::runtime_error("EncodePng: libpng failed");
    return out;
}

}  // namespace cm::content
