// The pre-transformed vertex of all screen-space drawing (vertex format 0x144, 28 bytes):
// x, y in pixels of the 640 x 480 target (pixel centres at integers), z depth 0..1, rhw = 1/w,
// diffuse packed ARGB, u, v texture coordinates.
#pragma once

#include <cstdint>

namespace cm {

struct ScreenVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float rhw = 1.0f;
    uint32_t diffuse = 0xFFFFFFFFu;
    float u = 0.0f;
    float v = 0.0f;
};

static_assert(sizeof(ScreenVertex) == 28, "ScreenVertex is read by the device as format 0x144");

}  // namespace cm
