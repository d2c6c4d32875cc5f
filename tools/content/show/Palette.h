// The show's colours and the few painting helpers its images share. Palette: navy #050A1A, ice
// #8FD3FF, cyan #3FE0FF, white, aurora violet #7A5CFF and green #3CFFB0, amber #FFB347 for the
// sparks only.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>

#include "images/Image.h"

namespace cm::content {

constexpr float kPi = 3.14159265358979f;
inline const Rgb kNavy = Hex(0x050A1A), kIce = Hex(0x8FD3FF), kCyan = Hex(0x3FE0FF), kWhite = Hex(0xFFFFFF),
                 kViolet = Hex(0x7A5CFF), kGreen = Hex(0x3CFFB0), kAmber = Hex(0xFFB347);

inline float Clamp01(float v) { return std::fmin(1.0f, std::fmax(0.0f, v)); }

// Sets every pixel from fn(u, v), u and v the pixel centre in 0..1 across and down.
void Fill(Image& im, const std::function<Rgb(float u, float v)>& fn);

// Aurora curtains: the light at (u, v) of a band whose lower edge waves around `base` (v grows
// downward), brightest at that edge and fading upward over `height`. Tiles in u.
Rgb Aurora(float u, float v, float base, float height, uint32_t seed);

}  // namespace cm::content
