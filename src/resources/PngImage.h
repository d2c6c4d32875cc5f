// PNG files of frames through libpng: 8-bit RGB, no time stamp or other varying chunk, so the
// same pixels always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cm {

// Pixels X8R8G8B8 (blue in the low byte), rows packed.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Writes path + ".part" and renames it to path once complete. False (and no file) on failure.
bool WritePng(const std::string& path, const Image& image);
// Reads an 8-bit RGB or RGBA PNG (alpha dropped) of at most 8192 x 8192. False on anything else.
bool ReadPng(const std::string& path, Image& image);

}  // namespace cm
