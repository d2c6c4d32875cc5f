// Polygon clipping in homogeneous clip space (Sutherland-Hodgman), before the divide by w.
// Planes: near z >= 0, far z <= w, w >= a small positive epsilon, and a guard band |x|, |y| <=
// g w around the viewport. The guard band is wide, so on-screen edges are found by the
// rasterizer's scissor and clipping there only keeps coordinates small enough to snap exactly.
// Attributes are interpolated linearly in clip space, which is correct under perspective.
#pragma once

#include "platform/device/Pipeline.h"

#include <cstdint>

namespace cm {

inline constexpr int kMaxClipVertices = 3 + 7;

// Outcode bits of a vertex: one per plane it lies outside of.
uint32_t ClipCode(const ClipVertex& v, float guardBand);

// Clips the triangle (a, b, c); returns the number of vertices written to out (0 or 3..9).
// With screenSpace, the vertices are pre-transformed pixels (w = 1) and only the guard band
// (in pixels) applies.
int ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, float guardBand, bool screenSpace,
                 ClipVertex* out);

}  // namespace cm
