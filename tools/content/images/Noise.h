// Seeded randomness for content: a small PCG32 generator and tileable value noise.
// Noise is periodic in both directions (period in lattice cells), so textures that wrap around a
// tube or repeat across a floor have no seam. Values lie in [0, 1].
#pragma once

#include <cstdint>

namespace cm::content {

class Rng {
public:
    explicit Rng(uint64_t seed);
    uint32_t Next();
    // Uniform in [0, 1).
    float Uniform() { return float(Next() >> 8) * (1.0f / 16777216.0f); }
    float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }

private:
    uint64_t state_;
};

// Smoothly interpolated lattice noise at (x, y) in cell units, repeating every (px, py) cells.
float ValueNoise(float x, float y, int px, int py, uint32_t seed);
// Sum of octaves, each twice the frequency and half the weight; u, v in [0, 1) tile seamlessly.
float Fbm(float u, float v, int baseCells, int octaves, uint32_t seed);
// The same with different cell counts across u and v: long features along the axis with fewer cells.
float Fbm2(float u, float v, int cellsU, int cellsV, int octaves, uint32_t seed);

}  // namespace cm::content
