// The pixel buffer the image decoders produce and the texture manager uploads: one 32-bit word
// per pixel, rows top to bottom, each word 0xAARRGGBB with alpha always 255 (the upload's
// X8R8G8B8 source format ignores it, but the value is fixed so results compare exactly).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cm {

struct DecodedImage {
    int32_t width = 0;   // pixels
    int32_t height = 0;  // pixels
    std::vector<uint32_t> pixels;  // width * height words, row y starts at y * width

    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline uint32_t PackOpaque(uint32_t red, uint32_t green, uint32_t blue) {
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// Neither decoder accepts an image wider or taller than kMaxImageSide, nor one of more than
// kMaxImagePixels pixels (a 4096 x 4096 square, 64 MiB of pixels): the show's textures are a few
// hundred pixels a side, and larger declared sizes come from damaged or hostile files. The side
// limit alone would let a 107-byte progressive JPEG, whose missing scans the library fills with
// grey, claim a 512 MiB pixel array and as much again for its coefficients.
inline constexpr int32_t kMaxImageSide = 16384;
inline constexpr int64_t kMaxImagePixels = int64_t{1} << 24;

inline bool ImageSizeAllowed(int64_t width, int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

}  // namespace cm
