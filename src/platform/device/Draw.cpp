// The vertex stage of drawing: reading the two vertex formats, transform, lighting and fog per
// vertex, primitive assembly, clipping, the viewport mapping, and the choice of span loops.
#include "platform/device/Clipper.h"
#include "platform/device/Device.h"
#include "platform/device/Pipeline.h"
#include "platform/device/Rasterizer.h"
#include "platform/device/TextureSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cm {

namespace {

// Guard band, in viewport half-widths for transformed vertices and in pixels for pre-transformed.
constexpr float kGuardBand = 4.0f;
constexpr float kScreenGuardBand = 8192.0f;

float ReadFloat(const uint8_t* p) {
    float f;
    std::memcpy(&f, p, sizeof(f));
    return f;
}

uint32_t ReadWord(const uint8_t* p) {
    uint32_t w;
    std::memcpy(&w, p, sizeof(w));
    return w;
}

float Clamp01(float f) { return f >= 0.0f ? (f <= 1.0f ? f : 1.0f) : 0.0f; }  // NaN gives 0

// Vertex fog from a distance to the eye. FOGEND == FOGSTART fogs everything completely.
float FogFactor(uint32_t mode, float distance, float start, float end, float density) {
    switch (mode) {
        case D3DFOG_LINEAR: return end == start ? 0.0f : Clamp01((end - distance) / (end - start));
        case D3DFOG_EXP: return Clamp01(std::exp(-density * distance));
        case D3DFOG_EXP2: {
            const float d = density * distance;
            return Clamp01(std::exp(-d * d));
        }
        default: return 0.0f;  // the factor comes from the specular alpha, which these formats lack
    }
}

void SetColor(ClipVertex& v, uint32_t argb) {
    v.a = static_cast<float>(argb >> 24);
    v.r = static_cast<float>((argb >> 16) & 0xFF);
    v.g = static_cast<float>((argb >> 8) & 0xFF);
    v.b = static_cast<float>(argb & 0xFF);
}

bool ReadsTexture(uint32_t op, uint32_t arg1, uint32_t arg2) {
    if (op == D3DTOP_DISABLE) return false;
    const bool a1 = (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE, a2 = (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
    if (op == D3DTOP_SELECTARG1) return a1;
    if (op == D3DTOP_SELECTARG2) return a2;
    return a1 || a2;
}

// Modifiers (complement, alpha replicate) make an argument something else than the diffuse.
bool IsDiffuse(uint32_t arg) { return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT; }

// Which single argument an operation selects, or 0xFFFFFFFF when it is not a plain selection.
uint32_t Selected(uint32_t op, uint32_t arg1, uint32_t arg2) {
    if (op == D3DTOP_SELECTARG1) return arg1;
    if (op == D3DTOP_SELECTARG2) return arg2;
    if (op == D3DTOP_DISABLE) return D3DTA_CURRENT;
    return 0xFFFFFFFFu;
}

// Stage 0 and blending reduced to the switches the span loops take.
void ResolveSpanStates(const DeviceState& st, SpanSetup& s) {
    const uint32_t* t = st.stageStates[0];
    TextureSurface* texture = st.textures[0];
    uint32_t cop = t[D3DTSS_COLOROP], c1 = t[D3DTSS_COLORARG1], c2 = t[D3DTSS_COLORARG2];
    uint32_t aop = t[D3DTSS_ALPHAOP], a1 = t[D3DTSS_ALPHAARG1], a2 = t[D3DTSS_ALPHAARG2];
    // A stage that reads a texture when none is bound passes the incoming colour on.
    if (!texture && ReadsTexture(cop, c1, c2)) cop = D3DTOP_SELECTARG1, c1 = D3DTA_CURRENT;
    if (!texture && ReadsTexture(aop, a1, a2)) aop = D3DTOP_SELECTARG1, a1 = D3DTA_CURRENT;
    if (cop == D3DTOP_DISABLE) aop = D3DTOP_DISABLE;  // a disabled stage ends the cascade

    const uint32_t colorSel = Selected(cop, c1, c2), alphaSel = Selected(aop, a1, a2);
    const bool modulateTexDiffuse =
        cop == D3DTOP_MODULATE && ((c1 == D3DTA_TEXTURE && IsDiffuse(c2)) || (c2 == D3DTA_TEXTURE && IsDiffuse(c1)));
    if (colorSel != 0xFFFFFFFFu && IsDiffuse(colorSel) && alphaSel != 0xFFFFFFFFu && IsDiffuse(alphaSel))
        s.combine = CombineMode::Diffuse;
    else if (modulateTexDiffuse && alphaSel == D3DTA_TEXTURE)
        s.combine = CombineMode::Modulate;
    else if (colorSel == D3DTA_TEXTURE && alphaSel == D3DTA_TEXTURE)
        s.combine = CombineMode::Texture;
    else
        s.combine = CombineMode::Generic;
    s.colorOp = cop, s.colorArg1 = c1, s.colorArg2 = c2;
    s.alphaOp = aop, s.alphaArg1 = a1, s.alphaArg2 = a2;

    const bool sampled = texture && (ReadsTexture(cop, c1, c2) || ReadsTexture(aop, a1, a2));
    if (sampled) {
        // Without mipmapping the magnification filter decides.
        s.tex = t[D3DTSS_MAGFILTER] == D3DTFG_POINT ? TexMode::Point : TexMode::Bilinear;
        s.texels = texture->GetTexels();
        s.texWidth = static_cast<int>(texture->GetWidth());
        s.texHeight = static_cast<int>(texture->GetHeight());
    } else {
        s.tex = TexMode::None;
        s.texels = nullptr;
        s.texWidth = s.texHeight = 0;
    }

    const uint32_t* rs = st.renderStates;
    s.srcBlend = rs[D3DRENDERSTATE_SRCBLEND];
    s.destBlend = rs[D3DRENDERSTATE_DESTBLEND];
    if (!rs[D3DRENDERSTATE_ALPHABLENDENABLE] || (s.srcBlend == D3DBLEND_ONE && s.destBlend == D3DBLEND_ZERO))
        s.blend = BlendMode::Opaque;
    else if (s.srcBlend == D3DBLEND_ONE && s.destBlend == D3DBLEND_ONE)
        s.blend = BlendMode::Add;
    else
        s.blend = BlendMode::Generic;
    s.fog = rs[D3DRENDERSTATE_FOGENABLE] != 0;
    s.fogColor = rs[D3DRENDERSTATE_FOGCOLOR];
    s.zTest = rs[D3DRENDERSTATE_ZENABLE] != 0;
    s.zWrite = s.zTest && rs[D3DRENDERSTATE_ZWRITEENABLE] != 0;
    s.zFunc = rs[D3DRENDERSTATE_ZFUNC];
    s.textureFactor = rs[D3DRENDERSTATE_TEXTUREFACTOR];
}

}  // namespace

HResult Device::Draw(PrimitiveType type, uint32_t fvf, const uint8_t* data, uint32_t count) {
    if (type < D3DPT_TRIANGLELIST || count < 3) return kD3DOk;  // points and lines draw nothing here
    if (!rasterizing_) return kD3DOk;
    const DeviceState& st = state_;
    const uint32_t* rs = st.renderStates;
    Pipeline& pipe = *pipeline_;
    const bool transformed = fvf == kFvfMeshVertex;

    // Fog per vertex: the vertex mode for untransformed vertices, the table mode (evaluated per
    // vertex here) when one is set.
    const bool fogOn = rs[D3DRENDERSTATE_FOGENABLE] != 0;
    const uint32_t tableMode = rs[D3DRENDERSTATE_FOGTABLEMODE];
    const uint32_t fogMode = tableMode != D3DFOG_NONE ? tableMode
                                                      : (transformed ? rs[D3DRENDERSTATE_FOGVERTEXMODE] : D3DFOG_NONE);
    const float fogStart = st.RenderStateFloat(D3DRENDERSTATE_FOGSTART);
    const float fogEnd = st.RenderStateFloat(D3DRENDERSTATE_FOGEND);
    const float fogDensity = st.RenderStateFloat(D3DRENDERSTATE_FOGDENSITY);

    if (transformed && pipe.transformDirty) {
        // Full 4x4 products: Matrix4::Multiply treats its operands as affine.
        auto mul = [](const Matrix4& a, const Matrix4& b, Matrix4& out) {
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) {
                    float sum = 0.0f;
                    for (int k = 0; k < 4; ++k) sum += a.m[r * 4 + k] * b.m[k * 4 + c];
                    out.m[r * 4 + c] = sum;
                }
        };
        mul(st.world, st.view, pipe.worldView);
        mul(pipe.worldView, st.projection, pipe.worldViewProjection);
        pipe.transformDirty = false;
    }

    // Lighting without lights: ambient and emissive of the material, alpha from the vertex.
    const bool lit = transformed && rs[D3DRENDERSTATE_LIGHTING] != 0;
    float litR = 0, litG = 0, litB = 0;
    if (lit) {
        const uint32_t amb = rs[D3DRENDERSTATE_AMBIENT];
        const D3DMaterial7& m = st.material;
        auto channel = [](float ma, uint32_t ambient, float me) {
            return Clamp01(ma * static_cast<float>(ambient & 0xFF) / 255.0f + me) * 255.0f;
        };
        litR = channel(m.ambient.r, amb >> 16, m.emissive.r);
        litG = channel(m.ambient.g, amb >> 8, m.emissive.g);
        litB = channel(m.ambient.b, amb, m.emissive.b);
    }

    if (pipe.vertices.size() < count) pipe.vertices.resize(count);
    ClipVertex* out = pipe.vertices.data();
    const Matrix4& M = pipe.worldViewProjection;
    const Matrix4& WV = pipe.worldView;
    for (uint32_t i = 0; i < count; ++i) {
        ClipVertex& v = out[i];
        if (transformed) {
            const uint8_t* p = data + static_cast<size_t>(i) * kMeshVertexStride;
            const float x = ReadFloat(p), y = ReadFloat(p + 4), z = ReadFloat(p + 8);
            v.x = x * M.m[0] + y * M.m[4] + z * M.m[8] + M.m[12];
            v.y = x * M.m[1] + y * M.m[5] + z * M.m[9] + M.m[13];
            v.z = x * M.m[2] + y * M.m[6] + z * M.m[10] + M.m[14];
            v.w = x * M.m[3] + y * M.m[7] + z * M.m[11] + M.m[15];
            SetColor(v, ReadWord(p + 24));
            if (lit) v.r = litR, v.g = litG, v.b = litB;
            v.q = 1.0f;
            v.u = ReadFloat(p + 28);
            v.v = ReadFloat(p + 32);
            if (fogOn) {
                const float eyeZ = x * WV.m[2] + y * WV.m[6] + z * WV.m[10] + WV.m[14];
                v.fog = FogFactor(fogMode, std::fabs(eyeZ), fogStart, fogEnd, fogDensity);
            } else {
                v.fog = 1.0f;
            }
        } else {
            // Pre-transformed: pixels and depth as given, w = 1 for the clipper's planes.
            const uint8_t* p = data + static_cast<size_t>(i) * kScreenVertexStride;
            v.x = ReadFloat(p);
            v.y = ReadFloat(p + 4);
            v.z = Clamp01(ReadFloat(p + 8));
            v.w = 1.0f;
            SetColor(v, ReadWord(p + 16));
            v.q = ReadFloat(p + 12);
            v.u = ReadFloat(p + 20);
            v.v = ReadFloat(p + 24);
            v.fog = fogOn ? FogFactor(fogMode, v.z, fogStart, fogEnd, fogDensity) : 1.0f;
        }
    }

    RasterContext ctx;
    RenderTarget& target = GetRenderTarget();
    const Viewport& vp = st.viewport;
    ctx.target = &target;
    ctx.x0 = std::clamp(vp.x, 0, target.width);
    ctx.x1 = std::clamp(vp.x + vp.width, ctx.x0, target.width);
    ctx.y0 = std::clamp(vp.y, 0, target.height);
    ctx.y1 = std::clamp(vp.y + vp.height, ctx.y0, target.height);
    ctx.cullMode = rs[D3DRENDERSTATE_CULLMODE];
    ctx.perspective = rs[D3DRENDERSTATE_TEXTUREPERSPECTIVE] != 0;
    ctx.spanLevel = spanPath_ == SpanPath::Plain  ? SpanLevel::Plain
                    : spanPath_ == SpanPath::Avx2 ? SpanLevel::Avx2
                                                  : SpanLevel::Best;
    ResolveSpanStates(st, ctx.setup);
    const bool flat = rs[D3DRENDERSTATE_SHADEMODE] == D3DSHADE_FLAT;

    const float halfW = static_cast<float>(vp.width) * 0.5f, halfH = static_cast<float>(vp.height) * 0.5f;
    const float zScale = vp.maxZ - vp.minZ;
    auto project = [&](const ClipVertex& c, RasterVertex& r) {
        if (transformed) {
            const float iw = 1.0f / c.w;
            r.x = static_cast<float>(vp.x) + (1.0f + c.x * iw) * halfW;
            r.y = static_cast<float>(vp.y) + (1.0f - c.y * iw) * halfH;
            r.z = vp.minZ + c.z * iw * zScale;
            r.q = iw;
        } else {
            r.x = c.x;
            r.y = c.y;
            r.z = c.z;
            r.q = c.q;
        }
        r.r = c.r, r.g = c.g, r.b = c.b, r.a = c.a;
        r.u = c.u, r.v = c.v, r.fog = c.fog;
    };

    const uint32_t triangles = type == D3DPT_TRIANGLELIST ? count / 3 : count - 2;
    ClipVertex clipped[kMaxClipVertices];
    RasterVertex raster[kMaxClipVertices];
    for (uint32_t t = 0; t < triangles; ++t) {
        uint32_t i0, i1, i2, provoking;
        if (type == D3DPT_TRIANGLELIST) i0 = 3 * t, i1 = i0 + 1, i2 = i0 + 2, provoking = i0;
        else if (type == D3DPT_TRIANGLEFAN) i0 = t + 1, i1 = t + 2, i2 = 0, provoking = i0;
        else if (t % 2 == 0) i0 = t, i1 = t + 1, i2 = t + 2, provoking = t;
        else i0 = t + 1, i1 = t, i2 = t + 2, provoking = t;  // odd strip triangles keep the winding
        ClipVertex a = out[i0], b = out[i1], c = out[i2];
        if (flat) {
            const ClipVertex& p = out[provoking];
            for (ClipVertex* v : {&a, &b, &c}) v->r = p.r, v->g = p.g, v->b = p.b, v->a = p.a;
        }
        int n;
        if (transformed) {
            const uint32_t ca = ClipCode(a, kGuardBand), cb = ClipCode(b, kGuardBand), cc = ClipCode(c, kGuardBand);
            if (ca & cb & cc) continue;
            if ((ca | cb | cc) == 0) clipped[0] = a, clipped[1] = b, clipped[2] = c, n = 3;
            else n = ClipTriangle(a, b, c, kGuardBand, false, clipped);
        } else {
            bool inside = true;
            for (const ClipVertex* v : {&a, &b, &c})
                if (!(std::fabs(v->x) <= kScreenGuardBand && std::fabs(v->y) <= kScreenGuardBand)) inside = false;
            if (inside) clipped[0] = a, clipped[1] = b, clipped[2] = c, n = 3;
            else n = ClipTriangle(a, b, c, kScreenGuardBand, true, clipped);
        }
        for (int k = 0; k < n; ++k) project(clipped[k], raster[k]);
        for (int k = 1; k + 1 < n; ++k) RasterizeTriangle(ctx, raster[0], raster[k], raster[k + 1]);
    }
    pixelsDrawn_ += ctx.pixels;
    return kD3DOk;
}

}  // namespace cm
