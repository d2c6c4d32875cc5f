// JPEG files for the decoder tests: made with the library's own encoder, and decoded with the
// library's own memory source as the reference the decoder under test must match.
#pragma once

#include "resources/DecodedImage.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cm::test {

struct JpegRecipe {
    int width = 16;
    int height = 16;
    int components = 3;  // 1 grey, 3 colour
    bool progressive = false;
    int acScansPerComponent = 0;  // > 0: one AC scan per coefficient band, this many refinements each
    size_t commentBytes = 0;      // a COM marker of this payload size after the header
};

// A smooth gradient picture encoded as the recipe says.
std::vector<uint8_t> EncodeJpeg(const JpegRecipe& recipe);

// Decodes with the library's jpeg_mem_src and default settings; only for valid files.
DecodedImage ReferenceDecode(const std::vector<uint8_t>& file);

}  // namespace cm::test
