// Image decoders: TGA and JPEG straight from memory. An accepted image must have a sane size, a
// pixel per texel and opaque pixels; a refused one must come back empty with a reason.

#include "Harness.h"

#include "resources/DecodedImage.h"
#include "resources/JpegDecoder.h"
#include "resources/TgaDecoder.h"

namespace cm::fuzz {
namespace {

std::string CheckImage(bool accepted, const DecodedImage& image, const std::string& error) {
    if (!accepted) {
        if (image.width != 0 || image.height != 0 || !image.pixels.empty()) return "a refused image is not empty";
        if (error.empty()) return "a refusal without a reason";
        return {};
    }
    if (!ImageSizeAllowed(image.width, image.height)) {
        return "an accepted image of impossible size";
    }
    if (image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
        return "pixel count differs from width x height";
    }
    for (std::uint32_t pixel : image.pixels) {
        if ((pixel >> 24) != 0xFF) return "a pixel that is not opaque";
    }
    return {};
}

}  // namespace

std::string FuzzTga(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    DecodedImage image;
    std::string error;
    const bool accepted = DecodeTga(data, image, error);
    return CheckImage(accepted, image, error);
}

std::string FuzzJpeg(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    DecodedImage image;
    std::string error;
    const bool accepted = DecodeJpeg(data, image, error);
    return CheckImage(accepted, image, error);
}

}  // namespace cm::fuzz
