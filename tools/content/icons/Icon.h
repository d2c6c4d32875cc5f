// The program's icon: a small globe cut from the rotoball backdrop (aurora over the ice field),
// its prime meridian and two neighbours drawn in ice, inside a cyan rim. Drawn afresh for every
// size, so a 16-pixel icon gets lines a pixel wide instead of a blurred copy of the large one.
//
// Units: pixels of a square icon of side `size`; colours 0..1 as in Image, clamped and rounded to
// 8 bits, alpha 0 outside the globe and partial on its edge. Deterministic: 4 x 4 samples per
// pixel at fixed offsets, no random state.
#pragma once

#include <cstdint>
#include <vector>

#include "images/Image.h"

namespace cm::content {

struct IconImage {
    int size = 0;
    std::vector<uint8_t> rgba;  // rows top to bottom, 4 bytes a pixel, not premultiplied
};

// The side lengths the desktop's icon themes look for.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// `backdrop` is the rotoball backdrop (any size); `size` from 16 to 1024.
IconImage DrawIcon(const Image& backdrop, int size);

}  // namespace cm::content
