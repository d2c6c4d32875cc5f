// File encoders for the show's textures.
// JPEG: baseline, 3 components (YCbCr), through libjpeg's 6b interface, fixed quality.
// TGA: image type 10 (run-length true colour), 24 bits per pixel, no ID field, no colour map,
// origin bottom-left (rows stored bottom row first), pixels blue-green-red; packets never cross a
// row end, as the show's loader expects.
#pragma once

#include <cstdint>
#include <vector>

#include "images/Image.h"

namespace cm::content {

std::vector<uint8_t> EncodeJpeg(const Image& image, int quality = 90);
std::vector<uint8_t> EncodeTga(const Image& image);

}  // namespace cm::content
