// The WebAssembly SIMD span loops: four pixels at a time, specialised at compile time by the
// switches of Span.h like the AVX2 loops, for the browser build. Every operation mirrors
// PlainSpan's arithmetic (Span.h) lane by lane, so the pixels are the same. WebAssembly has no
// masked loads and stores: a block reads its four colour and depth values and writes back the
// old ones where a pixel is not drawn, and a row's last, partial block works on a copy.
#include "platform/device/D3DTypes.h"
#include "platform/device/PixelMath.h"
#include "platform/device/Span.h"
#include "platform/device/SpanVariants.h"
#include "platform/device/TextureSurface.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#ifdef __wasm_simd128__
#include <wasm_simd128.h>
#endif

namespace cm {

#ifdef __wasm_simd128__

namespace {

// The interpolated values as vectors: a row's first pixel's, or the setup's gradients. Made
// once per row or call, since the engine does not lift them out of the pixel loop itself.
struct Values {
    v128_t z, q, uq, vq, fq, r, g, b, a;
};

[[gnu::always_inline]] inline Values Splat(float z, float q, float uq, float vq, float fq, float r, float g, float b,
                                           float a) {
    return {wasm_f32x4_splat(z),  wasm_f32x4_splat(q), wasm_f32x4_splat(uq), wasm_f32x4_splat(vq), wasm_f32x4_splat(fq),
            wasm_f32x4_splat(r),  wasm_f32x4_splat(g), wasm_f32x4_splat(b),  wasm_f32x4_splat(a)};
}

[[gnu::always_inline]] inline v128_t Interpolate(v128_t rowValue, v128_t gradient, v128_t fi) {
    return wasm_f32x4_add(rowValue, wasm_f32x4_mul(fi, gradient));
}

// int(x) for x in [0, 2^23), as the plain loop's conversions (their values are clamped or
// wrapped into that range): floor(x) + 2^23 holds floor(x) in its mantissa. The saturating
// conversion costs several times more in the engines, for the range checks it needs.
[[gnu::always_inline]] inline v128_t Truncate(v128_t x) {
    const v128_t magic = wasm_f32x4_add(wasm_f32x4_floor(x), wasm_f32x4_splat(8388608.0f));
    return wasm_i32x4_sub(magic, wasm_i32x4_splat(0x4B000000));
}

static_assert(TextureSurface::kMaxSize * 256 < (1u << 23), "texel coordinates in 1/256 must stay below 2^23");

// One axis of the texture: its size, last index, and the size (and 256 times it) as floats.
struct Axis {
    v128_t size, last, sizeF, size256F;
};

[[gnu::always_inline]] inline Axis MakeAxis(int size) {
    return {wasm_i32x4_splat(size), wasm_i32x4_splat(size - 1), wasm_f32x4_splat(static_cast<float>(size)),
            wasm_f32x4_splat(static_cast<float>(size * 256))};
}

// What every block of a call shares.
struct Invariants {
    Values gradient;
    Axis x, y;
    v128_t fogColor;  // 16-bit channels of two pixels
};

// Clamped to [lo, hi]; NaN gives lo, as the plain loop's `!(x > lo)` test.
[[gnu::always_inline]] inline v128_t Clamp(v128_t x, float lo, float hi) {
    return wasm_f32x4_pmin(wasm_f32x4_pmax(wasm_f32x4_splat(lo), x), wasm_f32x4_splat(hi));
}

// u - floor(u), zero where that is not in [0, 1).
[[gnu::always_inline]] inline v128_t WrapFraction(v128_t u) {
    const v128_t f = wasm_f32x4_sub(u, wasm_f32x4_floor(u));
    return wasm_v128_and(f, wasm_v128_and(wasm_f32x4_ge(f, wasm_f32x4_splat(0.0f)), wasm_f32x4_lt(f, wasm_f32x4_splat(1.0f))));
}

[[gnu::always_inline]] inline v128_t PointIndex(v128_t u, const Axis& axis) {
    const v128_t i = Truncate(wasm_f32x4_mul(WrapFraction(u), axis.sizeF));
    return wasm_i32x4_min(i, axis.last);
}

[[gnu::always_inline]] inline void BilinearAxis(v128_t u, const Axis& axis, v128_t& i0, v128_t& i1, v128_t& weight) {
    const v128_t t = wasm_i32x4_sub(Truncate(wasm_f32x4_mul(WrapFraction(u), axis.size256F)),
                                    wasm_i32x4_splat(128));
    i0 = wasm_i32x4_shr(t, 8);
    weight = wasm_v128_and(t, wasm_i32x4_splat(255));
    i0 = wasm_v128_bitselect(axis.last, i0, wasm_i32x4_lt(i0, wasm_i32x4_splat(0)));
    i1 = wasm_i32x4_add(i0, wasm_i32x4_splat(1));
    i1 = wasm_v128_andnot(i1, wasm_i32x4_eq(i1, axis.size));
}

// Byte channels of four pixels as two registers of 16-bit channels (pixels 0-1 and 2-3).
[[gnu::always_inline]] inline void Unpack16(v128_t c, v128_t& lo, v128_t& hi) {
    lo = wasm_u16x8_extend_low_u8x16(c);
    hi = wasm_u16x8_extend_high_u8x16(c);
}
[[gnu::always_inline]] inline v128_t Pack16(v128_t lo, v128_t hi) { return wasm_u8x16_narrow_i16x8(lo, hi); }

// A per-pixel 32-bit value 0..256 spread over the four 16-bit channels of its pixel.
[[gnu::always_inline]] inline void SpreadWeight(v128_t w, v128_t& lo, v128_t& hi) {
    lo = wasm_i16x8_shuffle(w, w, 0, 0, 0, 0, 2, 2, 2, 2);
    hi = wasm_i16x8_shuffle(w, w, 4, 4, 4, 4, 6, 6, 6, 6);
}

// (a (256 - w) + b w + 128) >> 8 per 16-bit channel, as (256 a + (b - a) w + 128) >> 8: the
// product may wrap around 16 bits, but the sum is in 0..65408, so the wrapped sum is exact.
[[gnu::always_inline]] inline v128_t Lerp16(v128_t a, v128_t b, v128_t w) {
    const v128_t sum = wasm_i16x8_add(wasm_i16x8_add(wasm_i16x8_shl(a, 8), wasm_i16x8_splat(128)),
                                      wasm_i16x8_mul(wasm_i16x8_sub(b, a), w));
    return wasm_u16x8_shr(sum, 8);
}

// x = a b + 128; (x + (x >> 8)) >> 8.
[[gnu::always_inline]] inline v128_t Mul16(v128_t a, v128_t b) {
    const v128_t x = wasm_i16x8_add(wasm_i16x8_mul(a, b), wasm_i16x8_splat(128));
    return wasm_u16x8_shr(wasm_i16x8_add(x, wasm_u16x8_shr(x, 8)), 8);
}

// Texels (x, y) and (x + 1, y) of four pixels, from 64-bit loads. A load at the last column
// reads one texel past the row (the surface keeps a spare texel at its end); those lanes, where
// the right neighbour wraps to column 0, are fetched again.
[[gnu::always_inline]] inline void TexelPairs(const uint32_t* texels, v128_t index, v128_t seam, v128_t wrapIndex, v128_t& left, v128_t& right) {
    v128_t a = wasm_v128_load64_zero(texels + wasm_i32x4_extract_lane(index, 0));
    a = wasm_v128_load64_lane(texels + wasm_i32x4_extract_lane(index, 1), a, 1);
    v128_t b = wasm_v128_load64_zero(texels + wasm_i32x4_extract_lane(index, 2));
    b = wasm_v128_load64_lane(texels + wasm_i32x4_extract_lane(index, 3), b, 1);
    left = wasm_i32x4_shuffle(a, b, 0, 2, 4, 6);
    right = wasm_i32x4_shuffle(a, b, 1, 3, 5, 7);
    if (wasm_v128_any_true(seam)) {
        const v128_t wrapped = wasm_u32x4_make(
            texels[wasm_i32x4_extract_lane(wrapIndex, 0)], texels[wasm_i32x4_extract_lane(wrapIndex, 1)],
            texels[wasm_i32x4_extract_lane(wrapIndex, 2)], texels[wasm_i32x4_extract_lane(wrapIndex, 3)]);
        right = wasm_v128_bitselect(wrapped, right, seam);
    }
}

[[gnu::always_inline]] inline v128_t Bilinear(const SpanSetup& s, const Invariants& k, v128_t u, v128_t v) {
    v128_t x0, x1, wx, y0, y1, wy;
    BilinearAxis(u, k.x, x0, x1, wx);
    BilinearAxis(v, k.y, y0, y1, wy);
    const v128_t row0 = wasm_i32x4_mul(y0, k.x.size), row1 = wasm_i32x4_mul(y1, k.x.size);
    const v128_t seam = wasm_i32x4_eq(x1, wasm_i32x4_splat(0));  // x0 is the last column
    v128_t c00, c10, c01, c11;
    TexelPairs(s.texels, wasm_i32x4_add(row0, x0), seam, row0, c00, c10);
    TexelPairs(s.texels, wasm_i32x4_add(row1, x0), seam, row1, c01, c11);
    v128_t wxl, wxh, wyl, wyh, a, b, c, d;
    SpreadWeight(wx, wxl, wxh);
    SpreadWeight(wy, wyl, wyh);
    Unpack16(c00, a, b);
    Unpack16(c10, c, d);
    const v128_t topLo = Lerp16(a, c, wxl), topHi = Lerp16(b, d, wxh);
    Unpack16(c01, a, b);
    Unpack16(c11, c, d);
    const v128_t bottomLo = Lerp16(a, c, wxl), bottomHi = Lerp16(b, d, wxh);
    return Pack16(Lerp16(topLo, bottomLo, wyl), Lerp16(topHi, bottomHi, wyh));
}

[[gnu::always_inline]] inline v128_t ColorBytes(v128_t value) {
    return Truncate(wasm_f32x4_add(Clamp(value, 0.0f, 255.0f), wasm_f32x4_splat(0.5f)));
}

// The row's first values, its flat colour, and whether that is white: modulating by white
// changes nothing (t * 255 / 255 rounds back to t), so a white flat colour skips the multiply.
struct RowConstants {
    Values start;
    v128_t flatDiffuse;
    bool white;
};

template <bool kFlat>
[[gnu::always_inline]] inline RowConstants Prepare(const SpanRow& row) {
    RowConstants rc{Splat(row.z, row.q, row.uq, row.vq, row.fq, row.r, row.g, row.b, row.a), wasm_i32x4_splat(0), false};
    if constexpr (kFlat) {
        using namespace pixel;
        const uint32_t d = Pack(ColorByte(row.a), ColorByte(row.r), ColorByte(row.g), ColorByte(row.b));
        rc.flatDiffuse = wasm_u32x4_splat(d);
        rc.white = d == 0xFFFFFFFFu;
    }
    return rc;
}

// Pixels i .. i + 3 of a row, whose colour and depth values are at color and depth.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat>
[[gnu::always_inline]] inline void Block(const SpanSetup& s, const Invariants& k, const RowConstants& rc, int i, uint32_t* color,
                                         float* depth) {
    const Values& row = rc.start;
    const Values& d = k.gradient;
    const v128_t alphaMask = wasm_u32x4_splat(0xFF000000u);
    const v128_t fi = wasm_f32x4_add(wasm_f32x4_splat(static_cast<float>(i)), wasm_f32x4_make(0, 1, 2, 3));
    const v128_t z = Interpolate(row.z, d.z, fi);
    v128_t stored = z;
    v128_t drawn = wasm_i32x4_splat(-1);
    if constexpr (kZTest) {
        stored = wasm_v128_load(depth);
        drawn = wasm_f32x4_le(z, stored);
        if (!wasm_v128_any_true(drawn)) return;
    }
    const v128_t w = wasm_f32x4_div(wasm_f32x4_splat(1.0f), Interpolate(row.q, d.q, fi));

    v128_t diffuse;
    if constexpr (kFlat) {
        diffuse = rc.flatDiffuse;
    } else {
        const v128_t a = ColorBytes(Interpolate(row.a, d.a, fi));
        const v128_t r = ColorBytes(Interpolate(row.r, d.r, fi));
        const v128_t g = ColorBytes(Interpolate(row.g, d.g, fi));
        const v128_t b = ColorBytes(Interpolate(row.b, d.b, fi));
        diffuse = wasm_v128_or(wasm_v128_or(wasm_i32x4_shl(a, 24), wasm_i32x4_shl(r, 16)),
                               wasm_v128_or(wasm_i32x4_shl(g, 8), b));
    }

    v128_t c;
    if constexpr (kTex == TexMode::None) {
        c = diffuse;
    } else {
        const v128_t u = wasm_f32x4_mul(Interpolate(row.uq, d.uq, fi), w);
        const v128_t v = wasm_f32x4_mul(Interpolate(row.vq, d.vq, fi), w);
        v128_t texel;
        if constexpr (kTex == TexMode::Point) {
            const v128_t index = wasm_i32x4_add(wasm_i32x4_mul(PointIndex(v, k.y), k.x.size), PointIndex(u, k.x));
            texel = wasm_u32x4_make(s.texels[wasm_i32x4_extract_lane(index, 0)], s.texels[wasm_i32x4_extract_lane(index, 1)],
                                    s.texels[wasm_i32x4_extract_lane(index, 2)], s.texels[wasm_i32x4_extract_lane(index, 3)]);
        } else {
            texel = Bilinear(s, k, u, v);
        }
        if (rc.white) {
            c = texel;
        } else {
            v128_t tl, th, dl, dh;
            Unpack16(texel, tl, th);
            Unpack16(diffuse, dl, dh);
            c = wasm_v128_bitselect(texel, Pack16(Mul16(tl, dl), Mul16(th, dh)), alphaMask);
        }
    }

    if constexpr (kFog) {
        const v128_t f = Clamp(wasm_f32x4_mul(Interpolate(row.fq, d.fq, fi), w), 0.0f, 1.0f);
        const v128_t f8 = Truncate(
            wasm_f32x4_add(wasm_f32x4_mul(f, wasm_f32x4_splat(255.0f)), wasm_f32x4_splat(0.5f)));
        v128_t fl, fh, cl, ch;
        SpreadWeight(f8, fl, fh);
        Unpack16(c, cl, ch);
        const auto fog = [](v128_t col, v128_t fogc, v128_t f16) {
            const v128_t x = wasm_i16x8_add(wasm_i16x8_add(wasm_i16x8_mul(col, f16),
                                                           wasm_i16x8_mul(fogc, wasm_i16x8_sub(wasm_i16x8_splat(255), f16))),
                                            wasm_i16x8_splat(128));
            return wasm_u16x8_shr(wasm_i16x8_add(x, wasm_u16x8_shr(x, 8)), 8);
        };
        c = wasm_v128_bitselect(c, Pack16(fog(cl, k.fogColor, fl), fog(ch, k.fogColor, fh)), alphaMask);
    }

    if constexpr (kZWrite) wasm_v128_store(depth, wasm_v128_bitselect(z, stored, drawn));
    if constexpr (kBlend == BlendMode::Add || kZTest) {
        const v128_t dst = wasm_v128_load(color);
        if constexpr (kBlend == BlendMode::Add) c = wasm_u8x16_add_sat(c, dst);
        c = wasm_v128_bitselect(c, dst, drawn);
    }
    wasm_v128_store(color, c);
}

template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat>
void Simd128Spans(const SpanSetup& s, const SpanRow* rows, int rowCount) {
    constexpr auto block = Block<kTex, kBlend, kFog, kZTest, kZWrite, kFlat>;
    const Invariants k{Splat(s.dz, s.dq, s.duq, s.dvq, s.dfq, s.dr, s.dg, s.db, s.da), MakeAxis(s.texWidth),
                       MakeAxis(s.texHeight), wasm_u16x8_extend_low_u8x16(wasm_u32x4_splat(s.fogColor))};
    for (int r = 0; r < rowCount; ++r) {
        const SpanRow& row = rows[r];
        const RowConstants rc = Prepare<kFlat>(row);
        int i = 0;
        for (; i + 4 <= row.count; i += 4) block(s, k, rc, i, row.color + i, row.depth + i);
        if (i == row.count) continue;
        // The last one to three pixels, through a copy of four.
        const size_t left = static_cast<size_t>(row.count - i);
        uint32_t color[4] = {};
        float depth[4] = {};
        std::memcpy(color, row.color + i, left * sizeof color[0]);
        std::memcpy(depth, row.depth + i, left * sizeof depth[0]);
        block(s, k, rc, i, color, depth);
        std::memcpy(row.color + i, color, left * sizeof color[0]);
        if constexpr (kZWrite) std::memcpy(row.depth + i, depth, left * sizeof depth[0]);
    }
}

template <int kIndex>
constexpr SpanFunction Entry() {
    constexpr bool flat = kIndex & 1, zWrite = (kIndex >> 1) & 1, zTest = (kIndex >> 2) & 1, fog = (kIndex >> 3) & 1;
    constexpr BlendMode blend = static_cast<BlendMode>((kIndex >> 4) & 1);
    constexpr TexMode tex = static_cast<TexMode>(kIndex >> 5);
    // Depth writes happen only where the depth test is on; the other entries are never chosen.
    if constexpr (zWrite && !zTest) return nullptr;
    else return &Simd128Spans<tex, blend, fog, zTest, zWrite, flat>;
}

template <int... kI>
constexpr auto MakeTable(std::integer_sequence<int, kI...>) {
    return std::array<SpanFunction, sizeof...(kI)>{Entry<kI>()...};
}

}  // namespace

SpanFunction SelectSimd128Span(const SpanSetup& s) {
    static constexpr auto table = MakeTable(std::make_integer_sequence<int, kSpanVariants>{});
    if (!FastSpanCovers(s)) return nullptr;
    return table[SpanVariant(s.tex, s.blend, s.fog, s.zTest, s.zWrite, s.flatColor)];
}

#else

SpanFunction SelectSimd128Span(const SpanSetup&) { return nullptr; }

#endif

}  // namespace cm
