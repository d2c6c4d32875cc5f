// The contract between triangle setup and the span loops that fill rows of pixels.
//
// Per pixel i of a row (0 at the row's first pixel) every interpolated value is computed as
// rowValue + float(i) * gradient in single precision, never by accumulation, so a vector loop
// evaluating eight or sixteen pixels at once gets the same bits as the plain loop. The rest of the
// pixel pipeline is integer arithmetic, identical in all:
//   perspective:  w = 1 / q; u = uq * w; v = vq * w; fog = fq * w (q = 1/w of the vertex, or 1
//                 everywhere when perspective correction is off)
//   wrap:         f = u - floor(u), taken as 0 when not in [0, 1) (NaN, infinities, rounding)
//   point:        texel int(f * size), at most size - 1
//   bilinear:     t = int(f * size * 256) - 128; texel t >> 8 and the next one (both wrapped),
//                 weight t & 255 in 1/256; rows blended first, each step (a(256-w) + b w + 128) >> 8
//   modulate:     x = t * d + 128; (x + (x >> 8)) >> 8, which is t * d / 255 rounded
//   diffuse:      channel = int(clamp(value, 0, 255) + 0.5)
//   fog:          f8 = int(clamp(fog, 0, 1) * 255 + 0.5); x = c f8 + F (255 - f8) + 128, then
//                 as modulate; alpha untouched
//   depth:        test z <= stored (LESSEQUAL), write on pass when enabled
//   additive:     per byte saturating add; opaque: replace
#pragma once

#include <cstdint>

namespace cm {

enum class TexMode : uint8_t { None, Point, Bilinear };
enum class BlendMode : uint8_t { Opaque, Add, Generic };
// How stage 0 combines texture and diffuse colour.
enum class CombineMode : uint8_t { Diffuse, Modulate, Texture, Generic };

// A draw's switches are compared field by field when draws are batched (BandedFrame.cpp,
// SameStates): a field added here is added there too.
struct SpanSetup {
    // Gradients along x, per pixel.
    float dq, duq, dvq, dz, dfq;
    float dr, dg, db, da;
    // Texture, when the mode samples one.
    const uint32_t* texels;
    int texWidth, texHeight;
    // Fog colour (ARGB, alpha ignored).
    uint32_t fogColor;
    // Switches of this triangle (the fast loops are chosen by them; the plain loop reads them).
    TexMode tex;
    CombineMode combine;
    BlendMode blend;
    bool fog;
    bool zTest;
    bool zWrite;
    bool flatColor;  // colour gradients are zero
    uint32_t zFunc;  // D3DCMP_*, for the plain loop
    // Generic stage 0 and blending, for the plain loop only.
    uint32_t colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    uint32_t srcBlend, destBlend;
    uint32_t textureFactor;
};

struct SpanRow {
    float q, uq, vq, z, fq;
    float r, g, b, a;
    uint32_t* color;  // first pixel of the span
    float* depth;     // first depth value of the span
    int count;        // pixels, > 0
};

// Fills rowCount rows (distinct rows of the target) of one triangle.
using SpanFunction = void (*)(const SpanSetup& setup, const SpanRow* rows, int rowCount);

// The reference loop: handles every state combination, one row.
void PlainSpan(const SpanSetup& setup, const SpanRow& row);
void PlainSpans(const SpanSetup& setup, const SpanRow* rows, int rowCount);
// Instruction sets the vector loops may use; each level also allows the ones below it. A build
// has either WebAssembly's (Simd128) or x86's.
enum class SpanLevel : uint8_t { Plain, Simd128, Avx2, Avx512, Best = Avx512 };

inline constexpr int kSpanLevelCount = 4;

// A loop specialised for the setup's switches, or null when no vector loop covers them (or the
// processor lacks the instructions). Gives the same pixels as PlainSpan. chosen (if given)
// receives the instruction set of the loop returned, Plain for null.
SpanFunction SelectFastSpan(const SpanSetup& setup, SpanLevel level, SpanLevel* chosen = nullptr);
SpanFunction SelectFastSpan(const SpanSetup& setup);
// The loops of one instruction set alone (null where the processor or the build lacks it).
SpanFunction SelectSimd128Span(const SpanSetup& setup);
SpanFunction SelectAvx2Span(const SpanSetup& setup);
SpanFunction SelectAvx512Span(const SpanSetup& setup);

}  // namespace cm
