// Fits a frame into another size with its shape kept: the picture is scaled by one factor to
// the largest size that fits, centred, and the rest is black. Each output pixel is the area
// average of the source pixels under it (a box filter), in 16.16 fixed point, so the result
// is the same on every machine.
#pragma once

#include "resources/PngImage.h"

namespace cm::record {

// The picture's rectangle inside a width x height output for a source of sw x sh.
struct FitRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
FitRect FitInside(int sw, int sh, int width, int height);

// out gets width x height pixels; a same-size request copies the source.
void ScaleToFit(const Image& source, int width, int height, Image& out);

// A picture drawn at its final size placed in the middle of width x height, black around it;
// one larger than that is scaled to fit instead.
void CentreInside(const Image& picture, int width, int height, Image& out);

}  // namespace cm::record
