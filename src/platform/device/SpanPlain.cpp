// The reference span loop: one pixel at a time, every state read at run time. The vector loops
// must reproduce its output bit for bit.
#include "platform/device/D3DTypes.h"
#include "platform/device/PixelMath.h"
#include "platform/device/Span.h"

namespace cm {

using namespace pixel;

namespace {

uint32_t StageArgument(uint32_t arg, uint32_t texel, uint32_t diffuse, uint32_t factor) {
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_TEXTURE: return texel;
        case D3DTA_TFACTOR: return factor;
        default: return diffuse;  // DIFFUSE, and CURRENT, which on stage 0 is the diffuse colour
    }
}

// One colour operation on all four bytes; the caller picks the bytes it wants.
uint32_t StageOperation(uint32_t op, uint32_t a1, uint32_t a2, uint32_t diffuse) {
    switch (op) {
        case D3DTOP_SELECTARG1: return a1;
        case D3DTOP_SELECTARG2: return a2;
        case D3DTOP_MODULATE: return Modulate(a1, a2);
        case D3DTOP_MODULATE2X: { const uint32_t m = Modulate(a1, a2); return AddSaturate(m, m); }
        case D3DTOP_MODULATE4X: {
            const uint32_t m = Modulate(a1, a2);
            const uint32_t m2 = AddSaturate(m, m);
            return AddSaturate(m2, m2);
        }
        case D3DTOP_ADD: return AddSaturate(a1, a2);
        default: return diffuse;  // DISABLE and anything unknown pass the colour through
    }
}

uint32_t Combine(const SpanSetup& s, uint32_t texel, uint32_t diffuse) {
    switch (s.combine) {
        case CombineMode::Diffuse: return diffuse;
        case CombineMode::Modulate: return (Modulate(texel, diffuse) & 0x00FFFFFFu) | (texel & 0xFF000000u);
        case CombineMode::Texture: return texel;
        case CombineMode::Generic: break;
    }
    const uint32_t f = s.textureFactor;
    const uint32_t rgb = StageOperation(s.colorOp, StageArgument(s.colorArg1, texel, diffuse, f),
                                        StageArgument(s.colorArg2, texel, diffuse, f), diffuse);
    const uint32_t alpha = StageOperation(s.alphaOp, StageArgument(s.alphaArg1, texel, diffuse, f),
                                          StageArgument(s.alphaArg2, texel, diffuse, f), diffuse);
    return (rgb & 0x00FFFFFFu) | (alpha & 0xFF000000u);
}

bool DepthPasses(uint32_t func, float z, float stored) {
    switch (func) {
        case D3DCMP_NEVER: return false;
        case D3DCMP_LESS: return z < stored;
        case D3DCMP_EQUAL: return z == stored;
        case D3DCMP_LESSEQUAL: return z <= stored;
        case D3DCMP_GREATER: return z > stored;
        case D3DCMP_NOTEQUAL: return z != stored;
        case D3DCMP_GREATEREQUAL: return z >= stored;
        default: return true;  // ALWAYS
    }
}

uint32_t BlendFactor(uint32_t factor, uint32_t channelShift, uint32_t src, uint32_t dst, bool isSource) {
    const uint32_t sc = Channel(src, channelShift), dc = Channel(dst, channelShift);
    const uint32_t sa = src >> 24, da = dst >> 24;
    switch (factor) {
        case D3DBLEND_ZERO: return 0;
        case D3DBLEND_ONE: return 255;
        case D3DBLEND_SRCCOLOR: return sc;
        case D3DBLEND_INVSRCCOLOR: return 255 - sc;
        case D3DBLEND_SRCALPHA: return sa;
        case D3DBLEND_INVSRCALPHA: return 255 - sa;
        case D3DBLEND_DESTALPHA: return da;
        case D3DBLEND_INVDESTALPHA: return 255 - da;
        case D3DBLEND_DESTCOLOR: return dc;
        case D3DBLEND_INVDESTCOLOR: return 255 - dc;
        default: return isSource ? 255 : 0;
    }
}

uint32_t Blend(const SpanSetup& s, uint32_t src, uint32_t dst) {
    switch (s.blend) {
        case BlendMode::Opaque: return src;
        case BlendMode::Add: return AddSaturate(src, dst);
        case BlendMode::Generic: break;
    }
    uint32_t out = 0;
    for (uint32_t shift = 0; shift < 32; shift += 8) {
        const uint32_t fs = BlendFactor(s.srcBlend, shift, src, dst, true);
        const uint32_t fd = BlendFactor(s.destBlend, shift, src, dst, false);
        const uint32_t sum = Mul8(Channel(src, shift), fs) + Mul8(Channel(dst, shift), fd);
        out |= (sum > 255 ? 255 : sum) << shift;
    }
    return out;
}

}  // namespace

void PlainSpan(const SpanSetup& s, const SpanRow& row) {
    for (int i = 0; i < row.count; ++i) {
        const float fi = static_cast<float>(i);
        const float z = row.z + fi * s.dz;
        if (s.zTest && !DepthPasses(s.zFunc, z, row.depth[i])) continue;

        const float w = 1.0f / (row.q + fi * s.dq);
        uint32_t texel = 0xFFFFFFFFu;
        if (s.tex != TexMode::None) {
            const float u = (row.uq + fi * s.duq) * w;
            const float v = (row.vq + fi * s.dvq) * w;
            texel = s.tex == TexMode::Point ? SamplePoint(s.texels, s.texWidth, s.texHeight, u, v)
                                            : SampleBilinear(s.texels, s.texWidth, s.texHeight, u, v);
        }
        const uint32_t diffuse = Pack(ColorByte(row.a + fi * s.da), ColorByte(row.r + fi * s.dr),
                                      ColorByte(row.g + fi * s.dg), ColorByte(row.b + fi * s.db));
        uint32_t c = Combine(s, texel, diffuse);
        if (s.fog) c = ApplyFog(c, FogByte((row.fq + fi * s.dfq) * w), s.fogColor);

        if (s.zTest && s.zWrite) row.depth[i] = z;
        row.color[i] = Blend(s, c, row.color[i]);
    }
}

void PlainSpans(const SpanSetup& s, const SpanRow* rows, int rowCount) {
    for (int r = 0; r < rowCount; ++r) PlainSpan(s, rows[r]);
}

}  // namespace cm
