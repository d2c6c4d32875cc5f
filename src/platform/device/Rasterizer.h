// Triangle setup and scan conversion. Screen space: x right, y down, in pixels of the target;
// pixel (i, j) is sampled at its centre (i, j). Vertices are snapped to 1/256 pixel and coverage
// is decided exactly with 64-bit edge functions: a centre strictly inside is covered, one
// exactly on an edge only for a top edge (horizontal, triangle below) or a left edge.
#pragma once

#include "platform/device/Span.h"

#include <cstdint>

namespace cm {

struct RenderTarget;

// A vertex ready for setup: screen position, depth 0..1, q = 1/w for perspective-correct
// interpolation of texture coordinates and fog, diffuse channels 0..255, fog factor 0..1.
// Depth and the diffuse colour are interpolated linearly in screen space (Gouraud shading as
// the rasterizers of the time did it); texture coordinates and fog through q.
struct RasterVertex {
    float x, y, z, q;
    float r, g, b, a;
    float u, v;
    float fog;
};

struct RasterContext {
    RenderTarget* target = nullptr;
    // Pixels that may be written: [x0, x1) x [y0, y1), inside the target.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    uint32_t cullMode = 1;      // D3DCULL_*
    bool perspective = true;    // texture coordinates and fog divided by w
    SpanLevel spanLevel = SpanLevel::Best;
    // Rows dealt out in blocks to several threads: with blockRows > 0 only the rows of the
    // blocks b (rows b * blockRows on) with b mod blockStride == blockPhase are written.
    int blockRows = 0, blockStride = 1, blockPhase = 0;
    SpanSetup setup{};          // the draw's switches; gradients are filled per triangle
    uint64_t pixels[kSpanLevelCount] = {};  // covered pixels, accumulated per span loop level
};

void RasterizeTriangle(RasterContext& context, const RasterVertex& v0, const RasterVertex& v1,
                       const RasterVertex& v2);

}  // namespace cm
