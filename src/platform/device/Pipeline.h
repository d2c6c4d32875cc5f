// Per-device drawing machinery kept between draws: the combined transform (recomputed only
// after SetTransform), the rasterizer's states (resolved again only after a state, texture,
// size or span path has been set), and the scratch of processed vertices and clipped polygons,
// which grows to the largest draw seen and is then reused, so drawing does not allocate.
#pragma once

#include "math/Matrix4.h"
#include "platform/device/Rasterizer.h"

#include <vector>

namespace cm {

// A vertex after transform: clip-space position (x, y, z, w), the attributes that are
// interpolated across a triangle, and the fog factor (1 = no fog).
struct ClipVertex {
    float x, y, z, w;
    float r, g, b, a;  // diffuse, 0..255
    float u, v;
    float fog;         // 0..1
    float q;           // pre-transformed vertices: their rhw (1/w), linear in screen space
};

struct Pipeline {
    bool transformDirty = true;
    Matrix4 worldView;            // world * view: eye space, for fog depth
    Matrix4 worldViewProjection;  // full transform to clip space
    bool contextDirty = true;
    RasterContext context;        // the draws' states, without gradients or pixel counts
    std::vector<ClipVertex> vertices;
};

}  // namespace cm
