// A colour of four floats, nominally 0..1, stored blue, green, red, alpha (the memory order of
// a packed 32-bit pixel) and constructed red-first. Packing for vertices and clears:
//   alpha << 24 | red << 16 | green << 8 | blue, each channel * 255 truncated toward zero and
//   not clamped (out-of-range values wrap into their neighbours, as the original did).
#pragma once

#include <cstdint>

namespace cm {

struct Color4 {
    float b = 0.0f;
    float g = 0.0f;
    float r = 0.0f;
    float a = 1.0f;

    Color4() = default;
    Color4(float red, float green, float blue, float alpha = 1.0f) : b(blue), g(green), r(red), a(alpha) {}

    uint32_t Pack() const;
};

// Truncation toward zero of channel * 255, reduced to 32 bits the way the original's integer
// conversion wraps: values outside 0..1 are not clamped, they spill into the other channels.
inline uint32_t PackChannel(float c) {
    const float scaled = c * 255.0f;
    // Converting an out-of-range float to an integer is undefined in C++; go through a wide
    // signed integer so that ordinary overshoots (say 1.2 or -0.1) wrap deterministically.
    if (!(scaled > -2147483648.0f && scaled < 2147483648.0f)) return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(scaled));
}

inline uint32_t Color4::Pack() const {
    return (PackChannel(a) << 24) | (PackChannel(r) << 16) | (PackChannel(g) << 8) | PackChannel(b);
}

static_assert(sizeof(Color4) == 16);

}  // namespace cm
