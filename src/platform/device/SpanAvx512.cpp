// The AVX-512 span loops: sixteen pixels at a time, the same specialisations and the same
// arithmetic as the AVX2 loops (SpanAvx2.cpp), with mask registers for the span's tail and the
// depth test. Chosen when the processor has AVX-512 F, BW, VL and DQ.
#include "platform/device/D3DTypes.h"
#include "platform/device/Span.h"
#include "platform/device/SpanVariants.h"

#include <array>
#include <cstdint>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CM_HAVE_AVX512_SPANS 1
// GCC 12 reports the deliberately undefined pass-through operand inside its own AVX-512
// intrinsics as uninitialized; nothing of ours is.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>
#endif

namespace cm {

#ifdef CM_HAVE_AVX512_SPANS

// Everything up to the matching pop is compiled for the wider instructions; only the selector
// below stays plain, so nothing runs them on a processor without them.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,avx512vl,avx512dq"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl,avx512dq")
#endif

namespace {

[[gnu::always_inline]] inline __m512 Interpolate(float rowValue, float gradient, __m512 fi) {
    return _mm512_add_ps(_mm512_set1_ps(rowValue), _mm512_mul_ps(fi, _mm512_set1_ps(gradient)));
}

[[gnu::always_inline]] inline __m512 WrapFraction(__m512 u) {
    const __m512 f = _mm512_sub_ps(u, _mm512_roundscale_ps(u, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
    const __mmask16 ok = _mm512_cmp_ps_mask(f, _mm512_setzero_ps(), _CMP_GE_OQ) &
                         _mm512_cmp_ps_mask(f, _mm512_set1_ps(1.0f), _CMP_LT_OQ);
    return _mm512_maskz_mov_ps(ok, f);
}

[[gnu::always_inline]] inline __m512i PointIndex(__m512 u, int size) {
    const __m512i i = _mm512_cvttps_epi32(_mm512_mul_ps(WrapFraction(u), _mm512_set1_ps(static_cast<float>(size))));
    return _mm512_min_epi32(i, _mm512_set1_epi32(size - 1));
}

[[gnu::always_inline]] inline void BilinearAxis(__m512 u, int size, __m512i& i0, __m512i& i1, __m512i& weight) {
    const __m512i t = _mm512_sub_epi32(
        _mm512_cvttps_epi32(_mm512_mul_ps(WrapFraction(u), _mm512_set1_ps(static_cast<float>(size * 256)))),
        _mm512_set1_epi32(128));
    i0 = _mm512_srai_epi32(t, 8);
    weight = _mm512_and_si512(t, _mm512_set1_epi32(255));
    i0 = _mm512_mask_mov_epi32(i0, _mm512_cmplt_epi32_mask(i0, _mm512_setzero_si512()), _mm512_set1_epi32(size - 1));
    i1 = _mm512_add_epi32(i0, _mm512_set1_epi32(1));
    i1 = _mm512_maskz_mov_epi32(_mm512_cmpneq_epi32_mask(i1, _mm512_set1_epi32(size)), i1);
}

[[gnu::always_inline]] inline void Unpack16(__m512i c, __m512i& lo, __m512i& hi) {
    lo = _mm512_unpacklo_epi8(c, _mm512_setzero_si512());
    hi = _mm512_unpackhi_epi8(c, _mm512_setzero_si512());
}
[[gnu::always_inline]] inline __m512i Pack16(__m512i lo, __m512i hi) { return _mm512_packus_epi16(lo, hi); }

[[gnu::always_inline]] inline void SpreadWeight(__m512i w, __m512i& lo, __m512i& hi) {
    const __m512i w2 = _mm512_or_si512(w, _mm512_slli_epi32(w, 16));
    lo = _mm512_unpacklo_epi32(w2, w2);
    hi = _mm512_unpackhi_epi32(w2, w2);
}

// (256 a + (b - a) w + 128) >> 8; see SpanAvx2.cpp for why the wrapping product is exact.
[[gnu::always_inline]] inline __m512i Lerp16(__m512i a, __m512i b, __m512i w) {
    const __m512i sum = _mm512_add_epi16(_mm512_add_epi16(_mm512_slli_epi16(a, 8), _mm512_set1_epi16(128)),
                                         _mm512_mullo_epi16(_mm512_sub_epi16(b, a), w));
    return _mm512_srli_epi16(sum, 8);
}

[[gnu::always_inline]] inline __m512i Mul16(__m512i a, __m512i b) {
    const __m512i x = _mm512_add_epi16(_mm512_mullo_epi16(a, b), _mm512_set1_epi16(128));
    return _mm512_srli_epi16(_mm512_add_epi16(x, _mm512_srli_epi16(x, 8)), 8);
}

// Texel pairs (x, y), (x + 1, y) of sixteen pixels by 64-bit gathers; lanes whose right
// neighbour wraps to column 0 are fetched again (see SpanAvx2.cpp).
[[gnu::always_inline]] inline void TexelPairs(const uint32_t* texels, __m512i index, __mmask16 seam, __m512i wrapIndex, __m512i& left,
                       __m512i& right) {
    // Each 128-bit lane k of the first gather holds pixels 4k, 4k + 1, of the second 4k + 2,
    // 4k + 3, so the lane-wise shuffles below de-interleave into pixel order.
    const __m512i order = _mm512_setr_epi32(0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15);
    const __m512i idx = _mm512_permutexvar_epi32(order, index);
    const __m512 lo = _mm512_castsi512_ps(_mm512_i32gather_epi64(_mm512_castsi512_si256(idx), texels, 4));
    const __m512 hi = _mm512_castsi512_ps(_mm512_i32gather_epi64(_mm512_extracti64x4_epi64(idx, 1), texels, 4));
    left = _mm512_castps_si512(_mm512_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
    right = _mm512_castps_si512(_mm512_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
    if (seam) right = _mm512_mask_i32gather_epi32(right, seam, wrapIndex, texels, 4);
}

[[gnu::always_inline]] inline __m512i Bilinear(const SpanSetup& s, __m512 u, __m512 v) {
    __m512i x0, x1, wx, y0, y1, wy;
    BilinearAxis(u, s.texWidth, x0, x1, wx);
    BilinearAxis(v, s.texHeight, y0, y1, wy);
    const __m512i width = _mm512_set1_epi32(s.texWidth);
    const __m512i row0 = _mm512_mullo_epi32(y0, width), row1 = _mm512_mullo_epi32(y1, width);
    const __mmask16 seam = _mm512_cmpeq_epi32_mask(x1, _mm512_setzero_si512());
    __m512i c00, c10, c01, c11;
    TexelPairs(s.texels, _mm512_add_epi32(row0, x0), seam, row0, c00, c10);
    TexelPairs(s.texels, _mm512_add_epi32(row1, x0), seam, row1, c01, c11);
    __m512i wxl, wxh, wyl, wyh, a, b, c, d;
    SpreadWeight(wx, wxl, wxh);
    SpreadWeight(wy, wyl, wyh);
    Unpack16(c00, a, b);
    Unpack16(c10, c, d);
    const __m512i topLo = Lerp16(a, c, wxl), topHi = Lerp16(b, d, wxh);
    Unpack16(c01, a, b);
    Unpack16(c11, c, d);
    const __m512i bottomLo = Lerp16(a, c, wxl), bottomHi = Lerp16(b, d, wxh);
    return Pack16(Lerp16(topLo, bottomLo, wyl), Lerp16(topHi, bottomHi, wyh));
}

[[gnu::always_inline]] inline __m512i ColorBytes(__m512 value) {
    __m512 v = _mm512_max_ps(value, _mm512_setzero_ps());  // NaN and negatives give 0
    v = _mm512_min_ps(v, _mm512_set1_ps(255.0f));
    return _mm512_cvttps_epi32(_mm512_add_ps(v, _mm512_set1_ps(0.5f)));
}

[[gnu::always_inline]] inline uint32_t ScalarColorByte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value > 255.0f) value = 255.0f;
    return static_cast<uint32_t>(value + 0.5f);
}

constexpr __mmask64 kAlphaBytes = 0x8888888888888888ull;

// What a row's blocks share: its flat colour, and whether that is white (modulating by white
// changes nothing, so it is skipped).
struct RowConstants {
    __m512i flatDiffuse;
    bool white;
};

template <bool kFlat>
[[gnu::always_inline]] inline RowConstants Prepare(const SpanRow& row) {
    RowConstants rc{};
    if constexpr (kFlat) {
        const uint32_t d = ScalarColorByte(row.a) << 24 | ScalarColorByte(row.r) << 16 | ScalarColorByte(row.g) << 8 |
                           ScalarColorByte(row.b);
        rc.flatDiffuse = _mm512_set1_epi32(static_cast<int>(d));
        rc.white = d == 0xFFFFFFFFu;
    }
    return rc;
}

// Pixels i .. i + 15 of a row.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat>
[[gnu::always_inline]] inline void Block(const SpanSetup& s, const SpanRow& row, int i, const RowConstants& rc) {
    const __m512 iota = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const int left = row.count - i;
    __mmask16 mask = left >= 16 ? static_cast<__mmask16>(0xFFFF) : static_cast<__mmask16>((1u << left) - 1);
    const __m512 fi = _mm512_add_ps(_mm512_set1_ps(static_cast<float>(i)), iota);
    float* depth = row.depth + i;
    uint32_t* color = row.color + i;
    const __m512 z = Interpolate(row.z, s.dz, fi);
    if constexpr (kZTest) {
        const __m512 stored = _mm512_maskz_loadu_ps(mask, depth);
        mask &= _mm512_cmp_ps_mask(z, stored, _CMP_LE_OQ);
        if (!mask) return;
    }
    const __m512 w = _mm512_div_ps(_mm512_set1_ps(1.0f), Interpolate(row.q, s.dq, fi));

    __m512i diffuse;
    if constexpr (kFlat) {
        diffuse = rc.flatDiffuse;
    } else {
        const __m512i a = ColorBytes(Interpolate(row.a, s.da, fi));
        const __m512i r = ColorBytes(Interpolate(row.r, s.dr, fi));
        const __m512i g = ColorBytes(Interpolate(row.g, s.dg, fi));
        const __m512i b = ColorBytes(Interpolate(row.b, s.db, fi));
        diffuse = _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi32(a, 24), _mm512_slli_epi32(r, 16)),
                                  _mm512_or_si512(_mm512_slli_epi32(g, 8), b));
    }

    __m512i c;
    if constexpr (kTex == TexMode::None) {
        c = diffuse;
    } else {
        const __m512 u = _mm512_mul_ps(Interpolate(row.uq, s.duq, fi), w);
        const __m512 v = _mm512_mul_ps(Interpolate(row.vq, s.dvq, fi), w);
        __m512i texel;
        if constexpr (kTex == TexMode::Point) {
            const __m512i index = _mm512_add_epi32(
                _mm512_mullo_epi32(PointIndex(v, s.texHeight), _mm512_set1_epi32(s.texWidth)),
                PointIndex(u, s.texWidth));
            texel = _mm512_i32gather_epi32(index, s.texels, 4);
        } else {
            texel = Bilinear(s, u, v);
        }
        if (rc.white) {
            c = texel;
        } else {
            __m512i tl, th, dl, dh;
            Unpack16(texel, tl, th);
            Unpack16(diffuse, dl, dh);
            c = _mm512_mask_blend_epi8(kAlphaBytes, Pack16(Mul16(tl, dl), Mul16(th, dh)), texel);
        }
    }

    if constexpr (kFog) {
        __m512 f = _mm512_mul_ps(Interpolate(row.fq, s.dfq, fi), w);
        f = _mm512_min_ps(_mm512_max_ps(f, _mm512_setzero_ps()), _mm512_set1_ps(1.0f));
        const __m512i f8 = _mm512_cvttps_epi32(_mm512_add_ps(_mm512_mul_ps(f, _mm512_set1_ps(255.0f)),
                                                             _mm512_set1_ps(0.5f)));
        __m512i fl, fh, cl, ch, gl, gh;
        SpreadWeight(f8, fl, fh);
        Unpack16(c, cl, ch);
        Unpack16(_mm512_set1_epi32(static_cast<int>(s.fogColor)), gl, gh);
        const __m512i k255 = _mm512_set1_epi16(255), k128 = _mm512_set1_epi16(128);
        auto fog = [&](__m512i col, __m512i fogc, __m512i f16) {
            const __m512i x = _mm512_add_epi16(
                _mm512_add_epi16(_mm512_mullo_epi16(col, f16),
                                 _mm512_mullo_epi16(fogc, _mm512_sub_epi16(k255, f16))),
                k128);
            return _mm512_srli_epi16(_mm512_add_epi16(x, _mm512_srli_epi16(x, 8)), 8);
        };
        c = _mm512_mask_blend_epi8(kAlphaBytes, Pack16(fog(cl, gl, fl), fog(ch, gh, fh)), c);
    }

    if constexpr (kZWrite) _mm512_mask_storeu_ps(depth, mask, z);
    if constexpr (kBlend == BlendMode::Add) c = _mm512_adds_epu8(c, _mm512_maskz_loadu_epi32(mask, color));
    _mm512_mask_storeu_epi32(color, mask, c);
}

template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat>
void Avx512Spans(const SpanSetup& s, const SpanRow* rows, int rowCount) {
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
        for (; i < both; i += 16) {
            block(s, a, i, ca);
            block(s, b, i, cb);
        }
        for (int j = i; j < a.count; j += 16) block(s, a, j, ca);
        for (int j = i; j < b.count; j += 16) block(s, b, j, cb);
    }
    if (r < rowCount) {
        const RowConstants c = Prepare<kFlat>(rows[r]);
        for (int i = 0; i < rows[r].count; i += 16) block(s, rows[r], i, c);
    }
}

template <int kIndex>
constexpr SpanFunction Entry() {
    constexpr bool flat = kIndex & 1, zWrite = (kIndex >> 1) & 1, zTest = (kIndex >> 2) & 1, fog = (kIndex >> 3) & 1;
    constexpr BlendMode blend = static_cast<BlendMode>((kIndex >> 4) & 1);
    constexpr TexMode tex = static_cast<TexMode>(kIndex >> 5);
    if constexpr (zWrite && !zTest) return nullptr;  // never chosen: writes need the test on
    else return &Avx512Spans<tex, blend, fog, zTest, zWrite, flat>;
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

SpanFunction SelectAvx512Span(const SpanSetup& s) {
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq");
    static constexpr auto table = MakeTable(std::make_integer_sequence<int, kSpanVariants>{});
    if (!has || !FastSpanCovers(s)) return nullptr;
    return table[SpanVariant(s.tex, s.blend, s.fog, s.zTest, s.zWrite, s.flatColor)];
}

#else

SpanFunction SelectAvx512Span(const SpanSetup&) { return nullptr; }

#endif

}  // namespace cm
