// The AVX2 span loops: eight pixels at a time, specialised at compile time by the switches of
// Span.h, chosen at run time from a table when the processor has AVX2. Every step gives, lane
// by lane, the result of PlainSpan's arithmetic (Span.h), some by a shorter route whose
// exactness the comments argue, so the pixels are the same; a test draws the same scenes
// through both and compares every bit.
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

// u - floor(u), unchecked.
[[gnu::always_inline]] inline __m256 Fraction(__m256 u) { return _mm256_sub_ps(u, _mm256_floor_ps(u)); }

// u - floor(u), zero where that is not in [0, 1).
[[gnu::always_inline]] inline __m256 WrapFraction(__m256 u) {
    const __m256 f = Fraction(u);
    const __m256 ok = _mm256_and_ps(_mm256_cmp_ps(f, _mm256_setzero_ps(), _CMP_GE_OQ),
                                    _mm256_cmp_ps(f, _mm256_set1_ps(1.0f), _CMP_LT_OQ));
    return _mm256_and_ps(f, ok);
}

[[gnu::always_inline]] inline __m256i PointIndex(__m256 u, int size) {
    const __m256i i = _mm256_cvttps_epi32(_mm256_mul_ps(WrapFraction(u), _mm256_set1_ps(static_cast<float>(size))));
    return _mm256_min_epi32(i, _mm256_set1_epi32(size - 1));
}

// Texel addresses and weights along one axis. For power-of-two sizes a mask wraps the columns,
// and the fraction needs no check: where the check would take 0 (a fraction of exactly 1, NaN,
// whose conversion gives INT_MIN) t differs from 0's by a multiple of size * 256, which the
// mask and the weight's byte do not see.
[[gnu::always_inline]] inline void BilinearAxis(__m256 u, int size, __m256i& i0, __m256i& i1, __m256i& weight) {
    const __m256 scale = _mm256_set1_ps(static_cast<float>(size * 256));
    const __m256i half = _mm256_set1_epi32(128);
    const __m256i last = _mm256_set1_epi32(size - 1);
    if ((size & (size - 1)) == 0) {
        const __m256i t = _mm256_sub_epi32(_mm256_cvttps_epi32(_mm256_mul_ps(Fraction(u), scale)), half);
        weight = _mm256_and_si256(t, _mm256_set1_epi32(255));
        i0 = _mm256_and_si256(_mm256_srai_epi32(t, 8), last);
        i1 = _mm256_and_si256(_mm256_add_epi32(i0, _mm256_set1_epi32(1)), last);
        return;
    }
    const __m256i t = _mm256_sub_epi32(_mm256_cvttps_epi32(_mm256_mul_ps(WrapFraction(u), scale)), half);
    weight = _mm256_and_si256(t, _mm256_set1_epi32(255));
    i0 = _mm256_srai_epi32(t, 8);
    i0 = _mm256_blendv_epi8(i0, last, _mm256_cmpgt_epi32(_mm256_setzero_si256(), i0));
    i1 = _mm256_add_epi32(i0, _mm256_set1_epi32(1));
    i1 = _mm256_andnot_si256(_mm256_cmpeq_epi32(i1, _mm256_set1_epi32(size)), i1);
}

// Eight pixels as 16-bit channels: lo holds pixels 0 and 1 of each 128-bit lane, hi pixels 2
// and 3 (the order of the byte unpacks; Pack puts them back in place).
struct Halves {
    __m256i lo, hi;
};

[[gnu::always_inline]] inline Halves Unpack(__m256i c) {
    return {_mm256_unpacklo_epi8(c, _mm256_setzero_si256()), _mm256_unpackhi_epi8(c, _mm256_setzero_si256())};
}
// Each channel as 256 x + 128, the start of a blend, in the same one instruction per half.
[[gnu::always_inline]] inline Halves UnpackRaised(__m256i c) {
    const __m256i k128 = _mm256_set1_epi8(static_cast<char>(0x80));
    return {_mm256_unpacklo_epi8(k128, c), _mm256_unpackhi_epi8(k128, c)};
}
[[gnu::always_inline]] inline __m256i Pack(Halves h) { return _mm256_packus_epi16(h.lo, h.hi); }

// A per-pixel byte (the low byte of each 32-bit lane) in all four 16-bit channels of its pixel;
// the shuffle's 0x80 bytes give the channels' zero high bytes.
[[gnu::always_inline]] inline Halves Spread(__m256i w) {
    const int p0 = static_cast<int>(0x80008000u), p1 = static_cast<int>(0x80048004u);
    const int p2 = static_cast<int>(0x80088008u), p3 = static_cast<int>(0x800C800Cu);
    const __m256i lo = _mm256_setr_epi32(p0, p0, p1, p1, p0, p0, p1, p1);
    const __m256i hi = _mm256_setr_epi32(p2, p2, p3, p3, p2, p2, p3, p3);
    return {_mm256_shuffle_epi8(w, lo), _mm256_shuffle_epi8(w, hi)};
}

// 256 a + 128 + (b - a) w: the blend (a (256 - w) + b w + 128) >> 8 before its shift, from a
// raised and a, b plain. The product may wrap around 16 bits, but the true sum lies in
// 0..65535, so the wrapped sum is exact.
[[gnu::always_inline]] inline __m256i BlendSum(__m256i raisedA, __m256i a, __m256i b, __m256i w) {
    return _mm256_add_epi16(raisedA, _mm256_mullo_epi16(_mm256_sub_epi16(b, a), w));
}
// A blend sum's result raised again: (sum >> 8) << 8 | 128, as (sum & 0xFF00) | 128.
[[gnu::always_inline]] inline __m256i Raise(__m256i sum) {
    return _mm256_or_si256(_mm256_and_si256(sum, _mm256_set1_epi16(static_cast<short>(0xFF00))),
                           _mm256_set1_epi16(0x80));
}

// (x + (x >> 8)) >> 8, which equals (257 x) >> 16 for every 16-bit x: one high product.
[[gnu::always_inline]] inline __m256i Div255(__m256i x) { return _mm256_mulhi_epu16(x, _mm256_set1_epi16(257)); }

// a * b / 255 rounded, per 16-bit channel.
[[gnu::always_inline]] inline __m256i Mul16(__m256i a, __m256i b) {
    return Div255(_mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128)));
}
[[gnu::always_inline]] inline Halves Mul16(Halves a, Halves b) { return {Mul16(a.lo, b.lo), Mul16(a.hi, b.hi)}; }

// Texels (x, y) and (x + 1, y) of eight pixels as two registers, from 64-bit loads. A load at
// the last column reads one texel past the row (the surface keeps a spare texel at its end);
// those lanes, where the right neighbour wraps to column 0, are fetched again.
[[gnu::always_inline]] inline void TexelPairs(const uint32_t* texels, __m256i index, __m256i seam, __m256i wrapIndex,
                                              __m256i& left, __m256i& right) {
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

// Row index of texel row y: a shift for power-of-two widths.
[[gnu::always_inline]] inline __m256i RowStart(__m256i y, int width) {
    if ((width & (width - 1)) == 0) return _mm256_sll_epi32(y, _mm_cvtsi32_si128(__builtin_ctz(width)));
    return _mm256_mullo_epi32(y, _mm256_set1_epi32(width));
}

// One half of the filter: rows blended first, then the two results.
[[gnu::always_inline]] inline __m256i BilinearHalf(__m256i c00, __m256i c10, __m256i c01, __m256i c11, __m256i raised00,
                                                   __m256i raised01, __m256i wx, __m256i wy) {
    const __m256i top = BlendSum(raised00, c00, c10, wx), bottom = BlendSum(raised01, c01, c11, wx);
    const __m256i t = _mm256_srli_epi16(top, 8), b = _mm256_srli_epi16(bottom, 8);
    return _mm256_srli_epi16(BlendSum(Raise(top), t, b, wy), 8);
}

// The texel rows a row of pixels samples, and their blend weight, spread to every channel.
struct TexelRows {
    __m256i row0, row1;  // first texels of the two rows
    Halves wy;
    bool upperOnly;  // the weight is zero in every pixel: the lower row does not count
};

[[gnu::always_inline]] inline TexelRows RowsAt(const SpanSetup& s, __m256 v) {
    __m256i y0, y1, wy;
    BilinearAxis(v, s.texHeight, y0, y1, wy);
    return {RowStart(y0, s.texWidth), RowStart(y1, s.texWidth), Spread(wy), _mm256_testz_si256(wy, wy) != 0};
}

[[gnu::always_inline]] inline Halves Bilinear(const SpanSetup& s, __m256 u, const TexelRows& rows) {
    __m256i x0, x1, wx;
    BilinearAxis(u, s.texWidth, x0, x1, wx);
    const __m256i seam = _mm256_cmpeq_epi32(x1, _mm256_setzero_si256());  // x0 is the last column
    const Halves wxs = Spread(wx);
    __m256i c00, c10;
    TexelPairs(s.texels, _mm256_add_epi32(rows.row0, x0), seam, rows.row0, c00, c10);
    const Halves p00 = Unpack(c00), p10 = Unpack(c10), r00 = UnpackRaised(c00);
    if (rows.upperOnly) {  // (top (256 - 0) + bottom 0 + 128) >> 8 of the rows' blend is top
        return {_mm256_srli_epi16(BlendSum(r00.lo, p00.lo, p10.lo, wxs.lo), 8),
                _mm256_srli_epi16(BlendSum(r00.hi, p00.hi, p10.hi, wxs.hi), 8)};
    }
    __m256i c01, c11;
    TexelPairs(s.texels, _mm256_add_epi32(rows.row1, x0), seam, rows.row1, c01, c11);
    const Halves p01 = Unpack(c01), p11 = Unpack(c11), r01 = UnpackRaised(c01);
    return {BilinearHalf(p00.lo, p10.lo, p01.lo, p11.lo, r00.lo, r01.lo, wxs.lo, rows.wy.lo),
            BilinearHalf(p00.hi, p10.hi, p01.hi, p11.hi, r00.hi, r01.hi, wxs.hi, rows.wy.hi)};
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

// What a row's blocks share: 1 / q where it is constant, its flat colour, and whether that is
// white. Modulating by white changes nothing (t * 255 / 255 rounds back to t), so a white flat
// colour skips the multiply.
struct RowConstants {
    __m256 w;  // 1 / q, when it is the same all along the row
    bool constantW;
    TexelRows rows;  // for bilinear filtering where v is the same all along the row
    __m256i flatDiffuse;
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
        rc.flatDiffuse = _mm256_set1_epi32(static_cast<int>(d));
        rc.diffuse = Unpack(_mm256_set1_epi32(static_cast<int>(d | 0xFF000000u)));
        rc.white = d == 0xFFFFFFFFu;
    }
    return rc;
}

template <bool kAligned>
[[gnu::always_inline]] inline RowConstants Prepare(const SpanSetup& s, const SpanRow& row, const RowConstants& triangle) {
    RowConstants rc = triangle;
    // q + i dq is the row's q in every pixel when dq is zero (the product is a zero of dq's
    // sign), so w is one division per row instead of one per block.
    if (rc.constantW) rc.w = _mm256_set1_ps(1.0f / (row.q + 0.0f * s.dq));
    // So is v in triangles where dvq is zero too (screen-aligned quads): its texel rows are
    // worked out once per row.
    if constexpr (kAligned) {
        const __m256 fi = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
        rc.rows = RowsAt(s, _mm256_mul_ps(Interpolate(row.vq, s.dvq, fi), rc.w));
    }
    return rc;
}

// Fog on one half: (c f + F (255 - f) + 128) as in Mul16, computed as F 255 + 128 + (c - F) f
// with one product (the true value lies in 0..65535). Alpha lanes take f = 255, which keeps them.
[[gnu::always_inline]] inline __m256i FogHalf(__m256i c, __m256i fog, __m256i f) {
    const __m256i alpha255 = _mm256_set1_epi64x(static_cast<long long>(0x00FF000000000000ull));
    const __m256i base = _mm256_add_epi16(_mm256_mullo_epi16(fog, _mm256_set1_epi16(255)), _mm256_set1_epi16(128));
    return Div255(_mm256_add_epi16(base, _mm256_mullo_epi16(_mm256_sub_epi16(c, fog), _mm256_or_si256(f, alpha255))));
}

[[gnu::always_inline]] inline Halves Fog(const SpanSetup& s, const SpanRow& row, __m256 fi, __m256 w, Halves c) {
    __m256 f = _mm256_mul_ps(Interpolate(row.fq, s.dfq, fi), w);
    f = _mm256_min_ps(_mm256_max_ps(f, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
    const __m256i f8 =
        _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(f, _mm256_set1_ps(255.0f)), _mm256_set1_ps(0.5f)));
    const Halves f16 = Spread(f8);
    const Halves fog = Unpack(_mm256_set1_epi32(static_cast<int>(s.fogColor)));
    return {FogHalf(c.lo, fog.lo, f16.lo), FogHalf(c.hi, fog.hi, f16.hi)};
}

// Pixels i .. i + 7 of a row.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat, bool kAligned>
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
    const __m256 w = rc.constantW ? rc.w : _mm256_div_ps(_mm256_set1_ps(1.0f), Interpolate(row.q, s.dq, fi));

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
        c = kFog ? Pack(Fog(s, row, fi, w, Unpack(diffuse))) : diffuse;
    } else {
        const __m256 u = _mm256_mul_ps(Interpolate(row.uq, s.duq, fi), w);
        Halves t{};
        if constexpr (kTex == TexMode::Point) {
            const __m256 v = _mm256_mul_ps(Interpolate(row.vq, s.dvq, fi), w);
            const __m256i index =
                _mm256_add_epi32(RowStart(PointIndex(v, s.texHeight), s.texWidth), PointIndex(u, s.texWidth));
            const __m256i texel = _mm256_i32gather_epi32(reinterpret_cast<const int*>(s.texels), index, 4);
            if (!kFog && rc.white) c = texel;
            else t = Unpack(texel);
        } else {
            if constexpr (kAligned) t = Bilinear(s, u, rc.rows);
            else t = Bilinear(s, u, RowsAt(s, _mm256_mul_ps(Interpolate(row.vq, s.dvq, fi), w)));
        }
        // The channels stay 16-bit through modulation and fog, packed once at the end.
        if (kTex == TexMode::Bilinear || kFog || !rc.white) {
            // Alpha is the texel's: the diffuse alpha is taken as 255, by which the product is exact.
            if constexpr (kFlat) {
                if (!rc.white) t = Mul16(t, rc.diffuse);
            } else {
                t = Mul16(t, Unpack(_mm256_or_si256(diffuse, alphaMask)));
            }
            if constexpr (kFog) t = Fog(s, row, fi, w, t);
            c = Pack(t);
        }
    }

    if constexpr (kZWrite) _mm256_maskstore_ps(depth, mask, z);
    if constexpr (kBlend == BlendMode::Add) {
        const __m256i dst = _mm256_maskload_epi32(reinterpret_cast<const int*>(color), mask);
        c = _mm256_adds_epu8(c, dst);
    }
    _mm256_maskstore_epi32(reinterpret_cast<int*>(color), mask, c);
}

// kAligned: bilinear filtering in a triangle where q and vq do not change along x.
template <TexMode kTex, BlendMode kBlend, bool kFog, bool kZTest, bool kZWrite, bool kFlat, bool kAligned>
void Avx2Spans(const SpanSetup& s, const SpanRow* rows, int rowCount) {
    auto block = Block<kTex, kBlend, kFog, kZTest, kZWrite, kFlat, kAligned>;
    if (rowCount <= 0) return;
    const RowConstants triangle = TriangleConstants<kFlat>(s, rows[0]);
    int r = 0;
    // Two rows side by side: their blocks are independent, so the long latencies of one (texel
    // loads, the divide) overlap with the other's work.
    for (; r + 1 < rowCount; r += 2) {
        const SpanRow& a = rows[r];
        const SpanRow& b = rows[r + 1];
        const RowConstants ca = Prepare<kAligned>(s, a, triangle), cb = Prepare<kAligned>(s, b, triangle);
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
        const RowConstants c = Prepare<kAligned>(s, rows[r], triangle);
        for (int i = 0; i < rows[r].count; i += 8) block(s, rows[r], i, c);
    }
}

// kAligned: the table of the loops for screen-aligned triangles, which exist for bilinear
// filtering only.
template <int kIndex, bool kAligned>
constexpr SpanFunction Entry() {
    constexpr bool flat = kIndex & 1, zWrite = (kIndex >> 1) & 1, zTest = (kIndex >> 2) & 1, fog = (kIndex >> 3) & 1;
    constexpr BlendMode blend = static_cast<BlendMode>((kIndex >> 4) & 1);
    constexpr TexMode tex = static_cast<TexMode>(kIndex >> 5);
    // Depth writes happen only where the depth test is on; the other entries are never chosen.
    if constexpr (zWrite && !zTest) return nullptr;
    else if constexpr (kAligned && tex != TexMode::Bilinear) return nullptr;
    else return &Avx2Spans<tex, blend, fog, zTest, zWrite, flat, kAligned>;
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

SpanFunction SelectAvx2Span(const SpanSetup& s) {
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    static constexpr auto table = MakeTable<false>(std::make_integer_sequence<int, kSpanVariants>{});
    static constexpr auto aligned = MakeTable<true>(std::make_integer_sequence<int, kSpanVariants>{});
    if (!hasAvx2 || !FastSpanCovers(s)) return nullptr;
    return (ScreenAligned(s) ? aligned : table)[SpanVariant(s.tex, s.blend, s.fog, s.zTest, s.zWrite, s.flatColor)];
}

#else

SpanFunction SelectAvx2Span(const SpanSetup&) { return nullptr; }

#endif

}  // namespace cm
