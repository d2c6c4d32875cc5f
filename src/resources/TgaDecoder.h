// Decoding a run-length compressed 24-bit TGA image (type 10) held in memory.
//
// Rows are taken as stored bottom-up whatever the header's origin bit says: the first decoded
// row becomes the last row of the image. Pixels are stored blue, green, red; every packet, run
// or raw, covers 1 to 128 pixels, and a packet that crosses a row end continues on the next row.
// The ID field and any colour map are skipped by their declared lengths.
//
// Refused: a header shorter than 18 bytes, other image types or depths, a zero side, a size
// beyond kMaxImageSide or kMaxImagePixels, and packet data that ends before the image is full.
// Packet pixels beyond the last image pixel are ignored.
#pragma once

#include "resources/DecodedImage.h"

#include <cstdint>
#include <span>
#include <string>

namespace cm {

// On success fills `image` and returns true; on refusal returns false, leaves `image` empty and
// says why in `error`.
bool DecodeTga(std::span<const uint8_t> data, DecodedImage& image, std::string& error);

}  // namespace cm
