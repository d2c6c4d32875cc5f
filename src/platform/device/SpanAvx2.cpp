// The AVX2 span loops: eight pixels at a time, specialised at compile time by the switches of
// Span.h, chosen at run time from a table when the processor has AVX2. Every
// operation mirrors PlainSpan's arithmetic (Span.h), lane by lane, so the pixels are the same;
// a test draws the same scenes through both and compares every bit.
#include "platform/device/D3DTypes.h"
#include "platform/device/Span.h"
#include "platform/device/SpanVariants.h"

#include <array>
#include <cstdint>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CM_HAVE_AVX2_SPANS 1
#include <immintrin.h>
#endif

namespace cm {

#ifdef CM_HAVE_AVX2_SPANS

// Everything up to the matching pop is compiled for the wider instructions; only the selector
// below stays plain, so nothing runs them on a processor without them.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace {

[[gnu::always_inline]] inline __m256 Interpolate(float rowValue, float gradient, __m256 fi) {
    return _mm256_add_ps(_mm256_set1_ps(rowValue), _mm256_mul_ps(fi, _mm256_set1_ps(gradient)));
}

// u - floor(u), zero where that is not in [0, 1).
[[gnu::always_inline]] inline __m256 WrapFraction(__m256 u) {
    const __m256 f = _mm256_sub_ps(u, _mm256_floor_ps(u));
    const __m256 ok = _mm256_and_ps(_mm256_cmp_ps(f, _mm256_setzero_ps(), _CMP_GE_OQ),
                                    _mm256_cmp_ps(f, _mm256_set1_ps(1.0f), _CMP_LT_OQ));
    return _mm256_and_ps(f, ok);
}

[[gnu::always_inline]] inline __m256i PointIndex(__m256 u, int size) {
    const __m256i i = _mm256_cvttps_epi32(_mm256_mul_ps(WrapFraction(u), _mm256_set1_ps(static_cast<float>(size))));
    return _mm256_min_epi32(i, _mm256_set1_epi32(size - 1));
}

[[gnu::always_inline]] inline void BilinearAxis(__m256 u, int size, __m256i& i0, __m256i& i1, __m256i& weight) {
    const __m256i t = _mm256_sub_epi32(
        _mm256_cvttps_epi32(_mm256_mul_ps(WrapFraction(u), _mm256_set1_ps(static_cast<float>(size * 256)))),
        _mm256_set1_epi32(128));
    i0 = _mm256_srai_epi32(t, 8);
    weight = _mm256_and_si256(t, _mm256_set1_epi32(255));
    const __m256i last = _mm256_set1_epi32(size - 1);
    i0 = _mm256_blendv_epi8(i0, last, _mm256_cmpgt_epi32(_mm256_setzero_si256(), i0));
    i1 = _mm256_add_epi32(i0, _mm256_set1_epi32(1));
    i1 = _mm256_andnot_si256(_mm256_cmpeq_epi32(i1, _mm256_set1_epi32(size)), i1);
}

// Byte channels of eight pixels as two registers of 16-bit channels (the halves come back
// together in Pack16, so the lane order in between does not matter).
[[gnu::always_inline]] inline void Unpack16(__m256i c, __m256i& lo, __m256i& hi) {
    lo = _mm256_unpacklo_epi8(c, _mm256_setzero_si256());
    hi = _mm256_unpackhi_epi8(c, _mm256_setzero_si256());
}
[[gnu::always_inline]] inline __m256i Pack16(__m256i lo, __m256i hi) { return _mm256_packus_epi16(lo, hi); }

// A per-pixel 32-bit value 0..256 spread over the four 16-bit channels of its pixel.
[[gnu::always_inline]] inline void SpreadWeight(__m256i w, __m256i& lo, __m256i& hi) {
    const __m256i w2 = _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
    lo = _mm256_unpacklo_epi32(w2, w2);
    hi = _mm256_unpackhi_epi32(w2, w2);
}

// (a (256 - w) + b w + 128) >> 8 per 16-bit channel, computed as (256 a + (b - a) w + 128) >> 8:
// the product may wrap around 16 bits, but the sum is in 0..65408, so the wrapped sum is exact.
[[gnu::always_inline]] inline __m256i Lerp16(__m256i a, __m256i b, __m256i w) {
    const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(_mm256_slli_epi16(a, 8), _mm256_set1_epi16(128)),
                                         _mm256_mullo_epi16(_mm256_sub_epi16(b, a), w));
    return _mm256_srli_epi16(sum, 8);
}

// x = a b + 128; (x + (x >> 8)) >> 8.
[[gnu::always_inline]] inline __m256i Mul16(__m256i a, __m256i b) {
    const __m256i x = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// Texels (x, y) and (x + 1, y) of eight pixels as two registers, from 64-bit loads. A load at
// the last column reads one texel past the row (the surface keeps a spare texel at its end);
// those lanes, where the right neighbour wraps to column 0, are fetched again.
[[gnu::always_inline]] inline void TexelPairs(const uint32_t* texels, __m256i index, __m256i seam, __m256i wrapIndex, __m256i& left,
                       __m256i& right) {
    // Loading pixels 0, 1, 4, 5 into one register and 2, 3, 6, 7 into the other makes the
    // de-interleaving shuffles below come out in pixel order.
    const __m256i order = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
    const __m256i idx = _mm256_permutevar8x32_epi32(index, order);
    const long long* base = reinterpret_cast<const long long*>(texels);
    const __m256 lo = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_castsi256_si128(idx), 4));
    const __m256 hi = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_extracti128_si256(idx, 1), 4));
    left = _mm256_castps_si256(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
    right = _mm256_castps_si256(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
    if (!_mm256_testz_si256(seam, seam))
        right = _mm256_mask_i32gather_epi32(right, reinterpret_cast<const int*>(texels), wrapIndex, seam, 4);
}

[[gnu::always_inline]] inline __m256i Bilinear(const SpanSetup& s, __m256 u, __m256 v) {
    __m256i x0, x1, wx, y0, y1, wy;
    BilinearAxis(u, s.texWidth, x0, x1, wx);
    BilinearAxis(v, s.texHeight, y0, y1, wy);
    const __m256i width = _mm256_set1_epi32(s.texWidth);
    const __m256i row0 = _mm256_mullo_epi32(y0, width), row1 = _mm256_mullo_epi32(y1, width);
    const __m256i seam = _mm256_cmpeq_epi32(x1, _mm256_setzero_si256());  // x0 is the last column
    __m256i c00, c10, c01, c11;
    TexelPairs(s.texels, _mm256_add_epi32(row0, x0), seam, row0, c00, c10);
    TexelPairs(s.texels, _mm256_add_epi32(row1, x0), seam, row1, c01, c11);
    __m256i wxl, wxh, wyl, wyh, a, b, c, d;
    SpreadWeight(wx, wxl, wxh);
    SpreadWeight(wy, wyl, wyh);
    Unpack16(c00, a, b);
    Unpack16(c10, c, d);
    const __m256i topLo = Lerp16(a, c, wxl), topHi = Lerp16(b, d, wxh);
    Unpack16(c01, a, b);
    Unpack16(c11, c, d);
    const __m256i bottomLo = Lerp16(a, c, wxl), bottomHi = Lerp16(b, d, wxh);
    return Pack16(Lerp16(topLo, bottomLo, wyl), Lerp16(topHi, bottomHi, wyh));
}

[[gnu::always_inline]] inline __m256i ColorBytes(__m256 value) {
    __m256 v = _mm256_max_ps(value, _mm256_setzero_ps());  // NaN and negatives give 0
    v = _mm256_min_ps(v, _mm256_set1_ps(255.0f));
    return _mm256_cvttps_epi32(_mm256_add_ps(v, _mm256_set1_ps(0.5f)));
}

[[gnu::always_inline]] inline uint32_t ScalarColorByte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value > 255.0f) value = 255.0f;
    return static_cast<uint32_t>(value + 0.5f);
}

// What a row's blocks share: its flat colour, and whether that is white. Modulating by white
// changes nothing (t * 255 / 255 rounds back to t), so a white flat colour skips the multiply.
struct RowConstants {
    __m256i flatDiffuse;
    bool white;
};

template <bool kFlat>
[[gnu::always_inline]] inline RowConstants Prepare(const SpanRow& row) {
    RowConstants rc{};
    if constexpr (kFlat) {
        const uint32_t d = ScalarColorByte(row.a) << 24 | ScalarColorByte(row.r) << 16 | ScalarColorByte(row.g) << 8 |
                           ScalarColorByte(row.b);
        rc.flatDiffuse = _mm256_set1_epi32(static_cast<int>(d));
        rc.white = d == 0xFFFFFFFFu;
    }
    return rc;
}

// Pixels i .. i + 7 of a row.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat>
[[gnu::always_inline]] inline void Block(const SpanSetup& s, const SpanRow& row, int i, const RowConstants& rc) {
    const __m256 iota = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i iotaI = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i alphaMask = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256 fi = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(i)), iota);
    __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(row.count - i), iotaI);
    float* depth = row.depth + i;
    uint32_t* color = row.color + i;
    const __m256 z = Interpolate(row.z, s.dz, fi);
    if constexpr (kZTest) {
        const __m256 stored = _mm256_maskload_ps(depth, mask);
        mask = _mm256_and_si256(mask, _mm256_castps_si256(_mm256_cmp_ps(z, stored, _CMP_LE_OQ)));
        if (_mm256_testz_si256(mask, mask)) return;
    }
    const __m256 w = _mm256_div_ps(_mm256_set1_ps(1.0f), Interpolate(row.q, s.dq, fi));

    __m256i diffuse;
    if constexpr (kFlat) {
        diffuse = rc.flatDiffuse;
    } else {
        const __m256i a = ColorBytes(Interpolate(row.a, s.da, fi));
        const __m256i r = ColorBytes(Interpolate(row.r, s.dr, fi));
        const __m256i g = ColorBytes(Interpolate(row.g, s.dg, fi));
        const __m256i b = ColorBytes(Interpolate(row.b, s.db, fi));
        diffuse = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(a, 24), _mm256_slli_epi32(r, 16)),
                                  _mm256_or_si256(_mm256_slli_epi32(g, 8), b));
    }

    __m256i c;
    if constexpr (kTex == TexMode::None) {
        c = diffuse;
    } else {
        const __m256 u = _mm256_mul_ps(Interpolate(row.uq, s.duq, fi), w);
        const __m256 v = _mm256_mul_ps(Interpolate(row.vq, s.dvq, fi), w);
        __m256i texel;
        if constexpr (kTex == TexMode::Point) {
            const __m256i index = _mm256_add_epi32(
                _mm256_mullo_epi32(PointIndex(v, s.texHeight), _mm256_set1_epi32(s.texWidth)),
                PointIndex(u, s.texWidth));
            texel = _mm256_i32gather_epi32(reinterpret_cast<const int*>(s.texels), index, 4);
        } else {
            texel = Bilinear(s, u, v);
        }
        if (rc.white) {
            c = texel;
        } else {
            __m256i tl, th, dl, dh;
            Unpack16(texel, tl, th);
            Unpack16(diffuse, dl, dh);
            const __m256i modulated = Pack16(Mul16(tl, dl), Mul16(th, dh));
            c = _mm256_blendv_epi8(modulated, texel, alphaMask);
        }
    }

    if constexpr (kFog) {
        __m256 f = _mm256_mul_ps(Interpolate(row.fq, s.dfq, fi), w);
        f = _mm256_min_ps(_mm256_max_ps(f, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
        const __m256i f8 = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(f, _mm256_set1_ps(255.0f)),
                                                             _mm256_set1_ps(0.5f)));
        __m256i fl, fh, cl, ch, gl, gh;
        SpreadWeight(f8, fl, fh);
        Unpack16(c, cl, ch);
        Unpack16(_mm256_set1_epi32(static_cast<int>(s.fogColor)), gl, gh);
        const __m256i k255 = _mm256_set1_epi16(255), k128 = _mm256_set1_epi16(128);
        auto fog = [&](__m256i col, __m256i fogc, __m256i f16) {
            const __m256i x = _mm256_add_epi16(
                _mm256_add_epi16(_mm256_mullo_epi16(col, f16),
                                 _mm256_mullo_epi16(fogc, _mm256_sub_epi16(k255, f16))),
                k128);
            return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
        };
        const __m256i fogged = Pack16(fog(cl, gl, fl), fog(ch, gh, fh));
        c = _mm256_blendv_epi8(fogged, c, alphaMask);
    }

    if constexpr (kZWrite) _mm256_maskstore_ps(depth, mask, z);
    if constexpr (kBlend == BlendMode::Add) {
        const __m256i dst = _mm256_maskload_epi32(reinterpret_cast<const int*>(color), mask);
        c = _mm256_adds_epu8(c, dst);
    }
    _mm256_maskstore_epi32(reinterpret_cast<int*>(color), mask, c);
}

template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat>
void Avx2Spans(const SpanSetup& s, const SpanRow* rows, int rowCount) {
    auto block = Block<kTex, kBlend, kFog, kZTest, kZWrite, kFlat>;
    int r = 0;
    // Two rows side by side: their blocks are independent, so the long latencies of one (texel
    // loads, the divide) overlap with the other's work.
    for (; r + 1 < rowCount; r += 2) {
        const SpanRow& a = rows[r];
        const SpanRow& b = rows[r + 1];
        const RowConstants ca = Prepare<kFlat>(a), cb = Prepare<kFlat>(b);
        const int both = a.count < b.count ? a.count : b.count;
        int i = 0;
        for (; i < both; i += 8) {
            block(s, a, i, ca);
            block(s, b, i, cb);
        }
        for (int j = i; j < a.count; j += 8) block(s, a, j, ca);
        for (int j = i; j < b.count; j += 8) block(s, b, j, cb);
    }
    if (r < rowCount) {
        const RowConstants c = Prepare<kFlat>(rows[r]);
        for (int i = 0; i < rows[r].count; i += 8) block(s, rows[r], i, c);
    }
}

template <int kIndex>
constexpr SpanFunction Entry() {
    constexpr bool flat = kIndex & 1, zWrite = (kIndex >> 1) & 1, zTest = (kIndex >> 2) & 1, fog = (kIndex >> 3) & 1;
    constexpr BlendMode blend = static_cast<BlendMode>((kIndex >> 4) & 1);
    constexpr TexMode tex = static_cast<TexMode>(kIndex >> 5);
    // Depth writes happen only where the depth test is on; the other entries are never chosen.
    if constexpr (zWrite && !zTest) return nullptr;
    else return &Avx2Spans<tex, blend, fog, zTest, zWrite, flat>;
}

template <int... kI>
constexpr auto MakeTable(std::integer_sequence<int, kI...>) {
    return std::array<SpanFunction, sizeof...(kI)>{Entry<kI>()...};
}

}  // namespace

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

SpanFunction SelectAvx2Span(const SpanSetup& s) {
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    static constexpr auto table = MakeTable(std::make_integer_sequence<int, kSpanVariants>{});
    if (!hasAvx2 || !FastSpanCovers(s)) return nullptr;
    return table[SpanVariant(s.tex, s.blend, s.fog, s.zTest, s.zWrite, s.flatColor)];
}

#else

SpanFunction SelectAvx2Span(const SpanSetup&) { return nullptr; }

#endif

}  // namespace cm
