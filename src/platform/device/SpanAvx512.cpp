// The AVX-512 span loops: sixteen pixels at a time, the same specialisations and the same
// arithmetic as the AVX2 loops (SpanAvx2.cpp), with mask registers for the span's tail and the
// depth test; the short ends of two rows share a block. Chosen when the processor has AVX-512
// F, BW, VL and DQ.
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

[[gnu::always_inline]] inline __m512 Interpolate(__m512 rowValue, float gradient, __m512 fi) {
    return _mm512_add_ps(rowValue, _mm512_mul_ps(fi, _mm512_set1_ps(gradient)));
}
[[gnu::always_inline]] inline __m512 Interpolate(float rowValue, float gradient, __m512 fi) {
    return Interpolate(_mm512_set1_ps(rowValue), gradient, fi);
}

// u - floor(u), unchecked.
[[gnu::always_inline]] inline __m512 Fraction(__m512 u) {
    return _mm512_sub_ps(u, _mm512_roundscale_ps(u, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
}

// u - floor(u), zero where that is not in [0, 1).
[[gnu::always_inline]] inline __m512 WrapFraction(__m512 u) {
    const __m512 f = Fraction(u);
    const __mmask16 ok = _mm512_cmp_ps_mask(f, _mm512_setzero_ps(), _CMP_GE_OQ) &
                         _mm512_cmp_ps_mask(f, _mm512_set1_ps(1.0f), _CMP_LT_OQ);
    return _mm512_maskz_mov_ps(ok, f);
}

[[gnu::always_inline]] inline __m512i PointIndex(__m512 u, int size) {
    const __m512i i = _mm512_cvttps_epi32(_mm512_mul_ps(WrapFraction(u), _mm512_set1_ps(static_cast<float>(size))));
    return _mm512_min_epi32(i, _mm512_set1_epi32(size - 1));
}

// Texel addresses and weights along one axis. For power-of-two sizes a mask wraps the columns,
// and the fraction needs no check: where the check would take 0 (a fraction of exactly 1, NaN,
// whose conversion gives INT_MIN) t differs from 0's by a multiple of size * 256, which the
// mask and the weight's byte do not see.
[[gnu::always_inline]] inline void BilinearAxis(__m512 u, int size, __m512i& i0, __m512i& i1, __m512i& weight) {
    const __m512 scale = _mm512_set1_ps(static_cast<float>(size * 256));
    const __m512i half = _mm512_set1_epi32(128);
    if ((size & (size - 1)) == 0) {
        const __m512i t = _mm512_sub_epi32(_mm512_cvttps_epi32(_mm512_mul_ps(Fraction(u), scale)), half);
        const __m512i last = _mm512_set1_epi32(size - 1);
        weight = _mm512_and_si512(t, _mm512_set1_epi32(255));
        i0 = _mm512_and_si512(_mm512_srai_epi32(t, 8), last);
        i1 = _mm512_and_si512(_mm512_add_epi32(i0, _mm512_set1_epi32(1)), last);
        return;
    }
    const __m512i t = _mm512_sub_epi32(_mm512_cvttps_epi32(_mm512_mul_ps(WrapFraction(u), scale)), half);
    weight = _mm512_and_si512(t, _mm512_set1_epi32(255));
    i0 = _mm512_srai_epi32(t, 8);
    i0 = _mm512_mask_mov_epi32(i0, _mm512_cmplt_epi32_mask(i0, _mm512_setzero_si512()), _mm512_set1_epi32(size - 1));
    i1 = _mm512_add_epi32(i0, _mm512_set1_epi32(1));
    i1 = _mm512_maskz_mov_epi32(_mm512_cmpneq_epi32_mask(i1, _mm512_set1_epi32(size)), i1);
}

// Sixteen pixels as 16-bit channels: lo holds pixels 0 and 1 of each 128-bit lane, hi pixels
// 2 and 3 (the order of the byte unpacks).
struct Halves {
    __m512i lo, hi;
};

[[gnu::always_inline]] inline Halves Unpack(__m512i c) {
    return {_mm512_unpacklo_epi8(c, _mm512_setzero_si512()), _mm512_unpackhi_epi8(c, _mm512_setzero_si512())};
}
// Each channel as 256 x + 128, the start of a blend, in the same one instruction per half.
[[gnu::always_inline]] inline Halves UnpackRaised(__m512i c) {
    const __m512i k128 = _mm512_set1_epi8(static_cast<char>(0x80));
    return {_mm512_unpacklo_epi8(k128, c), _mm512_unpackhi_epi8(k128, c)};
}
[[gnu::always_inline]] inline __m512i Pack(Halves h) { return _mm512_packus_epi16(h.lo, h.hi); }

// A per-pixel byte (the low byte of each 32-bit lane) in all four 16-bit channels of its pixel.
[[gnu::always_inline]] inline Halves Spread(__m512i w) {
    const __m512i lo = _mm512_set4_epi32(static_cast<int>(0x80048004u), static_cast<int>(0x80048004u),
                                         static_cast<int>(0x80008000u), static_cast<int>(0x80008000u));
    const __m512i hi = _mm512_set4_epi32(static_cast<int>(0x800C800Cu), static_cast<int>(0x800C800Cu),
                                         static_cast<int>(0x80088008u), static_cast<int>(0x80088008u));
    return {_mm512_shuffle_epi8(w, lo), _mm512_shuffle_epi8(w, hi)};
}

// 256 a + 128 + (b - a) w: the blend (a (256 - w) + b w + 128) >> 8 before its shift, from a
// raised and a, b plain. The true value lies in 0..65535, so the wrapping product is exact.
[[gnu::always_inline]] inline __m512i BlendSum(__m512i raisedA, __m512i a, __m512i b, __m512i w) {
    return _mm512_add_epi16(raisedA, _mm512_mullo_epi16(_mm512_sub_epi16(b, a), w));
}
// A blend sum's result raised again: (sum >> 8) << 8 | 128 in one instruction.
[[gnu::always_inline]] inline __m512i Raise(__m512i sum) {
    return _mm512_ternarylogic_epi32(sum, _mm512_set1_epi16(static_cast<short>(0xFF00)), _mm512_set1_epi16(0x80),
                                     0xEA);  // (a & b) | c
}

// (x + (x >> 8)) >> 8, which equals (257 x) >> 16 for every 16-bit x: one high product.
[[gnu::always_inline]] inline __m512i Div255(__m512i x) { return _mm512_mulhi_epu16(x, _mm512_set1_epi16(257)); }

// a * b / 255 rounded, per 16-bit channel.
[[gnu::always_inline]] inline __m512i Mul16(__m512i a, __m512i b) {
    return Div255(_mm512_add_epi16(_mm512_mullo_epi16(a, b), _mm512_set1_epi16(128)));
}
[[gnu::always_inline]] inline Halves Mul16(Halves a, Halves b) { return {Mul16(a.lo, b.lo), Mul16(a.hi, b.hi)}; }

// Texel pairs (x, y), (x + 1, y) of sixteen pixels by 64-bit gathers; lanes whose right
// neighbour wraps to column 0 are fetched again (see SpanAvx2.cpp).
[[gnu::always_inline]] inline void TexelPairs(const uint32_t* texels, __m512i index, __mmask16 seam, __m512i wrapIndex,
                                              __m512i& left, __m512i& right) {
    // The gathers hold pixels 0-7 and 8-15 as (left, right) pairs; two permutes sort them out.
    const __m512i lo = _mm512_i32gather_epi64(_mm512_castsi512_si256(index), texels, 4);
    const __m512i hi = _mm512_i32gather_epi64(_mm512_extracti64x4_epi64(index, 1), texels, 4);
    const __m512i even = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    left = _mm512_permutex2var_epi32(lo, even, hi);
    right = _mm512_permutex2var_epi32(lo, _mm512_add_epi32(even, _mm512_set1_epi32(1)), hi);
    if (seam) right = _mm512_mask_i32gather_epi32(right, seam, wrapIndex, texels, 4);
}

// Row index of texel row y: a shift for power-of-two widths.
[[gnu::always_inline]] inline __m512i RowStart(__m512i y, int width) {
    if ((width & (width - 1)) == 0) return _mm512_sll_epi32(y, _mm_cvtsi32_si128(__builtin_ctz(width)));
    return _mm512_mullo_epi32(y, _mm512_set1_epi32(width));
}

// One half of the filter: rows blended first, then the two results.
[[gnu::always_inline]] inline __m512i BilinearHalf(__m512i c00, __m512i c10, __m512i c01, __m512i c11, __m512i raised00,
                                                   __m512i raised01, __m512i wx, __m512i wy) {
    const __m512i top = BlendSum(raised00, c00, c10, wx), bottom = BlendSum(raised01, c01, c11, wx);
    const __m512i t = _mm512_srli_epi16(top, 8), b = _mm512_srli_epi16(bottom, 8);
    return _mm512_srli_epi16(BlendSum(Raise(top), t, b, wy), 8);
}

// The texel rows a row of pixels samples, and their blend weight, spread to every channel.
struct TexelRows {
    __m512i row0, row1;  // first texels of the two rows
    Halves wy;
    bool upperOnly;  // the weight is zero in every pixel: the lower row does not count
};

[[gnu::always_inline]] inline TexelRows RowsAt(const SpanSetup& s, __m512 v) {
    __m512i y0, y1, wy;
    BilinearAxis(v, s.texHeight, y0, y1, wy);
    return {RowStart(y0, s.texWidth), RowStart(y1, s.texWidth), Spread(wy),
            _mm512_test_epi32_mask(wy, wy) == 0};
}

[[gnu::always_inline]] inline Halves Bilinear(const SpanSetup& s, __m512 u, const TexelRows& rows) {
    __m512i x0, x1, wx;
    BilinearAxis(u, s.texWidth, x0, x1, wx);
    const __mmask16 seam = _mm512_cmpeq_epi32_mask(x1, _mm512_setzero_si512());
    const Halves wxs = Spread(wx);
    __m512i c00, c10;
    TexelPairs(s.texels, _mm512_add_epi32(rows.row0, x0), seam, rows.row0, c00, c10);
    const Halves p00 = Unpack(c00), p10 = Unpack(c10), r00 = UnpackRaised(c00);
    if (rows.upperOnly) {  // (top (256 - 0) + bottom 0 + 128) >> 8 of the rows' blend is top
        return {_mm512_srli_epi16(BlendSum(r00.lo, p00.lo, p10.lo, wxs.lo), 8),
                _mm512_srli_epi16(BlendSum(r00.hi, p00.hi, p10.hi, wxs.hi), 8)};
    }
    __m512i c01, c11;
    TexelPairs(s.texels, _mm512_add_epi32(rows.row1, x0), seam, rows.row1, c01, c11);
    const Halves p01 = Unpack(c01), p11 = Unpack(c11), r01 = UnpackRaised(c01);
    return {BilinearHalf(p00.lo, p10.lo, p01.lo, p11.lo, r00.lo, r01.lo, wxs.lo, rows.wy.lo),
            BilinearHalf(p00.hi, p10.hi, p01.hi, p11.hi, r00.hi, r01.hi, wxs.hi, rows.wy.hi)};
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

// What a row's blocks share: 1 / q where it is constant, its flat colour, and whether that is
// white (modulating by white changes nothing, so it is skipped).
struct RowConstants {
    __m512 w;  // 1 / q, when it is the same all along the row
    bool constantW;
    TexelRows rows;  // for bilinear filtering where v is the same all along the row
    __m512i flatDiffuse;
    Halves diffuse;  // the flat colour with alpha 255, as 16-bit channels
    bool white;
};

// What all rows of a call share (they are one triangle's): whether q is constant along x, and
// the flat colour.
template <bool kFlat>
[[gnu::always_inline]] inline RowConstants TriangleConstants(const SpanSetup& s, const SpanRow& row) {
    RowConstants rc{};
    rc.constantW = s.dq == 0.0f;
    if constexpr (kFlat) {
        const uint32_t d = ScalarColorByte(row.a) << 24 | ScalarColorByte(row.r) << 16 | ScalarColorByte(row.g) << 8 |
                           ScalarColorByte(row.b);
        rc.flatDiffuse = _mm512_set1_epi32(static_cast<int>(d));
        rc.diffuse = Unpack(_mm512_set1_epi32(static_cast<int>(d | 0xFF000000u)));
        rc.white = d == 0xFFFFFFFFu;
    }
    return rc;
}

template <bool kAligned>
[[gnu::always_inline]] inline RowConstants Prepare(const SpanSetup& s, const SpanRow& row, const RowConstants& triangle) {
    RowConstants rc = triangle;
    // q + i dq is the row's q in every pixel when dq is zero (the product is a zero of dq's
    // sign), so w is one division per row instead of one per block.
    if (rc.constantW) rc.w = _mm512_set1_ps(1.0f / (row.q + 0.0f * s.dq));
    // So is v in triangles where dvq is zero too (screen-aligned quads): its texel rows are
    // worked out once per row.
    if constexpr (kAligned) {
        const __m512 fi = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        rc.rows = RowsAt(s, _mm512_mul_ps(Interpolate(row.vq, s.dvq, fi), rc.w));
    }
    return rc;
}

// Fog on one half: (c f + F (255 - f) + 128) as in Mul16, computed as F 255 + 128 + (c - F) f
// with one product (the true value lies in 0..65535). Alpha lanes take f = 255, which keeps them.
[[gnu::always_inline]] inline __m512i FogHalf(__m512i c, __m512i fog, __m512i f) {
    const __m512i alpha255 = _mm512_set1_epi64(static_cast<long long>(0x00FF000000000000ull));
    const __m512i base = _mm512_add_epi16(_mm512_mullo_epi16(fog, _mm512_set1_epi16(255)), _mm512_set1_epi16(128));
    return Div255(_mm512_add_epi16(base, _mm512_mullo_epi16(_mm512_sub_epi16(c, fog), _mm512_or_si512(f, alpha255))));
}

[[gnu::always_inline]] inline Halves Fog(const SpanSetup& s, __m512 fq, __m512 fi, __m512 w, Halves c) {
    __m512 f = _mm512_mul_ps(Interpolate(fq, s.dfq, fi), w);
    f = _mm512_min_ps(_mm512_max_ps(f, _mm512_setzero_ps()), _mm512_set1_ps(1.0f));
    const __m512i f8 =
        _mm512_cvttps_epi32(_mm512_add_ps(_mm512_mul_ps(f, _mm512_set1_ps(255.0f)), _mm512_set1_ps(0.5f)));
    const Halves f16 = Spread(f8);
    const Halves fog = Unpack(_mm512_set1_epi32(static_cast<int>(s.fogColor)));
    return {FogHalf(c.lo, fog.lo, f16.lo), FogHalf(c.hi, fog.hi, f16.hi)};
}

// The pixels of a block: sixteen of one row from i on, or (merged) up to eight at the end of
// one row in lanes 0-7 and up to eight at the end of another in lanes 8-15. Every lane's
// values come from its own row and pixel index alone, so merging changes no pixel.
struct Pixels {
    const SpanRow* lo;  // lanes 0-7, and 8-15 unless merged
    const SpanRow* hi;  // lanes 8-15 when merged
    int iLo, iHi;       // the pixel index of lane 0 in lo's row, and of lane 8 in hi's
};

template <bool kMerged>
[[gnu::always_inline]] inline __m512 RowValue(const Pixels& p, float SpanRow::*field) {
    if constexpr (kMerged) return _mm512_mask_blend_ps(0xFF00, _mm512_set1_ps(p.lo->*field), _mm512_set1_ps(p.hi->*field));
    else return _mm512_set1_ps(p.lo->*field);
}

// Each lane's pixel index in its row, as a float.
template <bool kMerged>
[[gnu::always_inline]] inline __m512 PixelIndex(const Pixels& p) {
    if constexpr (kMerged) {
        const __m512 iota8 = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7);
        const __m512 first = _mm512_mask_blend_ps(0xFF00, _mm512_set1_ps(static_cast<float>(p.iLo)),
                                                  _mm512_set1_ps(static_cast<float>(p.iHi)));
        return _mm512_add_ps(first, iota8);
    } else {
        const __m512 iota = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        return _mm512_add_ps(_mm512_set1_ps(static_cast<float>(p.iLo)), iota);
    }
}

[[gnu::always_inline]] inline __mmask16 FirstLanes(int n) {
    return n >= 16 ? static_cast<__mmask16>(0xFFFF) : static_cast<__mmask16>((1u << n) - 1);
}

template <bool kMerged>
[[gnu::always_inline]] inline __mmask16 PixelMask(const Pixels& p) {
    if constexpr (kMerged) return static_cast<__mmask16>(FirstLanes(p.lo->count - p.iLo) | FirstLanes(p.hi->count - p.iHi) << 8);
    else return FirstLanes(p.lo->count - p.iLo);
}

// The 32-bit values of a buffer (depth or colour) under the lanes; lanes outside mask are
// neither read nor written.
template <bool kMerged, typename T>
[[gnu::always_inline]] inline __m512i Load(const Pixels& p, T* SpanRow::*buffer, __mmask16 mask) {
    const T* lo = p.lo->*buffer + p.iLo;
    if constexpr (kMerged)
        return _mm512_inserti32x8(_mm512_castsi256_si512(_mm256_maskz_loadu_epi32(static_cast<__mmask8>(mask), lo)),
                                  _mm256_maskz_loadu_epi32(static_cast<__mmask8>(mask >> 8), p.hi->*buffer + p.iHi), 1);
    else return _mm512_maskz_loadu_epi32(mask, lo);
}
template <bool kMerged, typename T>
[[gnu::always_inline]] inline void Store(const Pixels& p, T* SpanRow::*buffer, __mmask16 mask, __m512i values) {
    T* lo = p.lo->*buffer + p.iLo;
    if constexpr (kMerged) {
        _mm256_mask_storeu_epi32(lo, static_cast<__mmask8>(mask), _mm512_castsi512_si256(values));
        _mm256_mask_storeu_epi32(p.hi->*buffer + p.iHi, static_cast<__mmask8>(mask >> 8),
                                 _mm512_extracti32x8_epi32(values, 1));
    } else {
        _mm512_mask_storeu_epi32(lo, mask, values);
    }
}

// The constants of a merged block: lanes 0-7 from a's, 8-15 from b's. The flat colour is the
// triangle's, the same in both.
[[gnu::always_inline]] inline RowConstants Merge(const RowConstants& a, const RowConstants& b) {
    RowConstants m = a;
    m.w = _mm512_mask_blend_ps(0xFF00, a.w, b.w);
    m.rows.row0 = _mm512_mask_blend_epi32(0xFF00, a.rows.row0, b.rows.row0);
    m.rows.row1 = _mm512_mask_blend_epi32(0xFF00, a.rows.row1, b.rows.row1);
    // Halves keep pixels 0-7 in their lower 256 bits.
    m.rows.wy = {_mm512_mask_blend_epi64(0xF0, a.rows.wy.lo, b.rows.wy.lo),
                 _mm512_mask_blend_epi64(0xF0, a.rows.wy.hi, b.rows.wy.hi)};
    m.rows.upperOnly = a.rows.upperOnly && b.rows.upperOnly;
    return m;
}

// The pixels of a block.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat, bool kAligned,
          bool kMerged>
[[gnu::always_inline]] inline void Block(const SpanSetup& s, const Pixels& p, const RowConstants& rc) {
    __mmask16 mask = PixelMask<kMerged>(p);
    const __m512 fi = PixelIndex<kMerged>(p);
    const auto row = [&](float SpanRow::*field) { return RowValue<kMerged>(p, field); };
    const __m512 z = Interpolate(row(&SpanRow::z), s.dz, fi);
    if constexpr (kZTest) {
        mask &= _mm512_cmp_ps_mask(z, _mm512_castsi512_ps(Load<kMerged>(p, &SpanRow::depth, mask)), _CMP_LE_OQ);
        if (!mask) return;
    }
    const __m512 w = rc.constantW ? rc.w : _mm512_div_ps(_mm512_set1_ps(1.0f), Interpolate(row(&SpanRow::q), s.dq, fi));

    __m512i diffuse;
    if constexpr (kFlat) {
        diffuse = rc.flatDiffuse;
    } else {
        const __m512i a = ColorBytes(Interpolate(row(&SpanRow::a), s.da, fi));
        const __m512i r = ColorBytes(Interpolate(row(&SpanRow::r), s.dr, fi));
        const __m512i g = ColorBytes(Interpolate(row(&SpanRow::g), s.dg, fi));
        const __m512i b = ColorBytes(Interpolate(row(&SpanRow::b), s.db, fi));
        diffuse = _mm512_or_si512(_mm512_or_si512(_mm512_slli_epi32(a, 24), _mm512_slli_epi32(r, 16)),
                                  _mm512_or_si512(_mm512_slli_epi32(g, 8), b));
    }

    __m512i c;
    if constexpr (kTex == TexMode::None) {
        c = kFog ? Pack(Fog(s, row(&SpanRow::fq), fi, w, Unpack(diffuse))) : diffuse;
    } else {
        const __m512 u = _mm512_mul_ps(Interpolate(row(&SpanRow::uq), s.duq, fi), w);
        Halves t{};
        if constexpr (kTex == TexMode::Point) {
            const __m512 v = _mm512_mul_ps(Interpolate(row(&SpanRow::vq), s.dvq, fi), w);
            const __m512i index =
                _mm512_add_epi32(RowStart(PointIndex(v, s.texHeight), s.texWidth), PointIndex(u, s.texWidth));
            const __m512i texel = _mm512_i32gather_epi32(index, s.texels, 4);
            if (!kFog && rc.white) c = texel;
            else t = Unpack(texel);
        } else {
            if constexpr (kAligned) t = Bilinear(s, u, rc.rows);
            else t = Bilinear(s, u, RowsAt(s, _mm512_mul_ps(Interpolate(row(&SpanRow::vq), s.dvq, fi), w)));
        }
        if (kTex == TexMode::Bilinear || kFog || !rc.white) {
            // Alpha is the texel's: the diffuse alpha is taken as 255, by which the product is exact.
            if constexpr (kFlat) {
                if (!rc.white) t = Mul16(t, rc.diffuse);
            } else {
                t = Mul16(t, Unpack(_mm512_or_si512(diffuse, _mm512_set1_epi32(static_cast<int>(0xFF000000u)))));
            }
            if constexpr (kFog) t = Fog(s, row(&SpanRow::fq), fi, w, t);
            c = Pack(t);
        }
    }

    if constexpr (kZWrite) Store<kMerged>(p, &SpanRow::depth, mask, _mm512_castps_si512(z));
    if constexpr (kBlend == BlendMode::Add) c = _mm512_adds_epu8(c, Load<kMerged>(p, &SpanRow::color, mask));
    Store<kMerged>(p, &SpanRow::color, mask, c);
}

// Pixels i .. i + 15 of a row.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat, bool kAligned>
[[gnu::always_inline]] inline void RowBlock(const SpanSetup& s, const SpanRow& row, int i, const RowConstants& rc) {
    Block<kTex, kBlend, kFog, kZTest, kZWrite, kFlat, kAligned, false>(s, Pixels{&row, nullptr, i, 0}, rc);
}

// Pixels in the last block of a row: 1 to 16.
inline int LastBlock(int count) { return count - ((count - 1) & ~15); }

// kAligned: bilinear filtering in a triangle where q and vq do not change along x.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat, bool kAligned>
void Avx512Spans(const SpanSetup& s, const SpanRow* rows, int rowCount) {
    auto block = RowBlock<kTex, kBlend, kFog, kZTest, kZWrite, kFlat, kAligned>;
    if (rowCount <= 0) return;
    const RowConstants triangle = TriangleConstants<kFlat>(s, rows[0]);
    int r = 0;
    // Two rows side by side: their blocks are independent, so the long latencies of one (texel
    // loads, the divide) overlap with the other's work. When both end in a block of eight
    // pixels or fewer (most rows of small triangles), those two ends share one block.
    for (; r + 1 < rowCount; r += 2) {
        const SpanRow& a = rows[r];
        const SpanRow& b = rows[r + 1];
        const RowConstants ca = Prepare<kAligned>(s, a, triangle), cb = Prepare<kAligned>(s, b, triangle);
        const bool merge = LastBlock(a.count) <= 8 && LastBlock(b.count) <= 8;
        const int endA = merge ? a.count - LastBlock(a.count) : a.count;
        const int endB = merge ? b.count - LastBlock(b.count) : b.count;
        const int both = endA < endB ? endA : endB;
        int i = 0;
        for (; i < both; i += 16) {
            block(s, a, i, ca);
            block(s, b, i, cb);
        }
        for (int j = i; j < endA; j += 16) block(s, a, j, ca);
        for (int j = i; j < endB; j += 16) block(s, b, j, cb);
        if (merge)
            Block<kTex, kBlend, kFog, kZTest, kZWrite, kFlat, kAligned, true>(s, Pixels{&a, &b, endA, endB},
                                                                               Merge(ca, cb));
    }
    if (r < rowCount) {
        const RowConstants c = Prepare<kAligned>(s, rows[r], triangle);
        for (int i = 0; i < rows[r].count; i += 16) block(s, rows[r], i, c);
    }
}

// kAligned: the table of the loops for screen-aligned triangles, which exist for bilinear
// filtering only.
template <int kIndex, bool kAligned>
constexpr SpanFunction Entry() {
    constexpr bool flat = kIndex & 1, zWrite = (kIndex >> 1) & 1, zTest = (kIndex >> 2) & 1, fog = (kIndex >> 3) & 1;
    constexpr BlendMode blend = static_cast<BlendMode>((kIndex >> 4) & 1);
    constexpr TexMode tex = static_cast<TexMode>(kIndex >> 5);
    if constexpr (zWrite && !zTest) return nullptr;  // never chosen: writes need the test on
    else if constexpr (kAligned && tex != TexMode::Bilinear) return nullptr;
    else return &Avx512Spans<tex, blend, fog, zTest, zWrite, flat, kAligned>;
}

template <bool kAligned, int... kI>
constexpr auto MakeTable(std::integer_sequence<int, kI...>) {
    return std::array<SpanFunction, sizeof...(kI)>{Entry<kI, kAligned>()...};
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
    static constexpr auto table = MakeTable<false>(std::make_integer_sequence<int, kSpanVariants>{});
    static constexpr auto aligned = MakeTable<true>(std::make_integer_sequence<int, kSpanVariants>{});
    if (!has || !FastSpanCovers(s)) return nullptr;
    return (ScreenAligned(s) ? aligned : table)[SpanVariant(s.tex, s.blend, s.fog, s.zTest, s.zWrite, s.flatColor)];
}

#else

SpanFunction SelectAvx512Span(const SpanSetup&) { return nullptr; }

#endif

}  // namespace cm
