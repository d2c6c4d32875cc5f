#include "images/Noise.h"

#include <cmath>

namespace cm::content {

Rng::Rng(uint64_t seed) : state_(seed * 6364136223846793005ULL + 1442695040888963407ULL) { Next(); }

uint32_t Rng::Next() {
    // PCG32 (XSH RR): a 64-bit LCG stepped, its state permuted down to 32 bits.
    const uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const uint32_t xorshifted = uint32_t(((old >> 18) ^ old) >> 27);
    const uint32_t rot = uint32_t(old >> 59);
    return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

namespace {

float Lattice(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return float(h & 0xffffff) / 16777215.0f;
}

int Wrap(int i, int n) { return ((i % n) + n) % n; }

}  // namespace

float ValueNoise(float x, float y, int px, int py, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float a = Lattice(Wrap(ix, px), Wrap(iy, py), seed);
    const float b = Lattice(Wrap(ix + 1, px), Wrap(iy, py), seed);
    const float c = Lattice(Wrap(ix, px), Wrap(iy + 1, py), seed);
    const float d = Lattice(Wrap(ix + 1, px), Wrap(iy + 1, py), seed);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

float Fbm(float u, float v, int baseCells, int octaves, uint32_t seed) {
    return Fbm2(u, v, baseCells, baseCells, octaves, seed);
}

float Fbm2(float u, float v, int cellsU, int cellsV, int octaves, uint32_t seed) {
    float sum = 0, weight = 0.5f, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * ValueNoise(u * float(cellsU), v * float(cellsV), cellsU, cellsV, seed + uint32_t(o) * 101u);
        total += weight;
        weight *= 0.5f;
        cellsU *= 2;
        cellsV *= 2;
    }
    return sum / total;
}

}  // namespace cm::content
