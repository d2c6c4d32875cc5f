// The surfaces a device draws into: a colour buffer of 32-bit X8R8G8B8 pixels (blue in the low
// byte) and a depth buffer of floats, 0 nearest and 1 farthest, both width x height, rows packed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cm {

struct RenderTarget {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> color;
    std::vector<float> depth;

    RenderTarget() = default;
    RenderTarget(int w, int h) : width(w), height(h), color(static_cast<size_t>(w) * h, 0xFF000000u),
                                 depth(static_cast<size_t>(w) * h, 1.0f) {}

    uint32_t Pixel(int x, int y) const { return color[static_cast<size_t>(y) * width + x]; }
    float Depth(int x, int y) const { return depth[static_cast<size_t>(y) * width + x]; }
};

}  // namespace cm
