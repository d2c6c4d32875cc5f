// The per-pixel arithmetic shared by the plain span loop and the tails of the vector loops.
// Span.h states the formulas; every function here is exact integer or single-precision maths.
#pragma once

#include <cmath>
#include <cstdint>

namespace cm::pixel {

inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFFu; }
inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

// a * b / 255, rounded, for a, b in 0..255.
inline uint32_t Mul8(uint32_t a, uint32_t b) {
    const uint32_t x = a * b + 128;
    return (x + (x >> 8)) >> 8;
}

// The fraction of a texture coordinate under wrap addressing, in [0, 1).
inline float WrapFraction(float u) {
    const float f = u - std::floor(u);
    return (f >= 0.0f && f < 1.0f) ? f : 0.0f;
}

inline uint32_t SamplePoint(const uint32_t* texels, int width, int height, float u, float v) {
    int x = static_cast<int>(WrapFraction(u) * static_cast<float>(width));
    int y = static_cast<int>(WrapFraction(v) * static_cast<float>(height));
    if (x > width - 1) x = width - 1;
    if (y > height - 1) y = height - 1;
    return texels[y * width + x];
}

// Texel address and weight along one axis: t = int(f * size * 256) - 128, so the sample point
// sits half a texel left of u * size (texel centres at (i + 0.5) / size).
inline void BilinearAxis(float u, int size, int& i0, int& i1, uint32_t& weight) {
    const int t = static_cast<int>(WrapFraction(u) * static_cast<float>(size * 256)) - 128;
    i0 = t >> 8;  // arithmetic shift: floor, -1 for the first half texel
    weight = static_cast<uint32_t>(t & 255);
    if (i0 < 0) i0 = size - 1;
    i1 = i0 + 1 == size ? 0 : i0 + 1;
}

// a + (b - a) w / 256, rounded to nearest (halves up): truncating would leave every filtered
// sample half a level dark on average, a bias that additive layers add up.
inline uint32_t Lerp8(uint32_t a, uint32_t b, uint32_t w) { return (a * (256 - w) + b * w + 128) >> 8; }

inline uint32_t SampleBilinear(const uint32_t* texels, int width, int height, float u, float v) {
    int x0, x1, y0, y1;
    uint32_t wx, wy;
    BilinearAxis(u, width, x0, x1, wx);
    BilinearAxis(v, height, y0, y1, wy);
    const uint32_t c00 = texels[y0 * width + x0], c10 = texels[y0 * width + x1];
    const uint32_t c01 = texels[y1 * width + x0], c11 = texels[y1 * width + x1];
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t top = Lerp8(Channel(c00, shift), Channel(c10, shift), wx);
        const uint32_t bottom = Lerp8(Channel(c01, shift), Channel(c11, shift), wx);
        out |= Lerp8(top, bottom, wy) << shift;
    }
    return out;
}

// An interpolated colour channel (0..255 nominal) to a byte.
inline uint32_t ColorByte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value > 255.0f) value = 255.0f;
    return static_cast<uint32_t>(value + 0.5f);
}

inline uint32_t FogByte(float fog) {
    if (!(fog > 0.0f)) return 0;
    if (fog > 1.0f) fog = 1.0f;
    return static_cast<uint32_t>(fog * 255.0f + 0.5f);
}

// c * f + fogColour * (1 - f) on red, green and blue; alpha kept.
inline uint32_t ApplyFog(uint32_t c, uint32_t f8, uint32_t fogColor) {
    uint32_t out = c & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t x = Channel(c, shift) * f8 + Channel(fogColor, shift) * (255 - f8) + 128;
        out |= ((x + (x >> 8)) >> 8) << shift;
    }
    return out;
}

inline uint32_t AddSaturate(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = Channel(a, shift) + Channel(b, shift);
        out |= (s > 255 ? 255 : s) << shift;
    }
    return out;
}

inline uint32_t Modulate(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) out |= Mul8(Channel(a, shift), Channel(b, shift)) << shift;
    return out;
}

}  // namespace cm::pixel
