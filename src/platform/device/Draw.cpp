// The vertex stage of drawing: reading the two vertex formats, transform, lighting and fog per
// vertex, primitive assembly, clipping, the viewport mapping, and the choice of span loops.
#include "platform/device/BandedFrame.h"
#include "platform/device/Clipper.h"
#include "platform/device/Device.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/Pipeline.h"
#include "platform/device/Rasterizer.h"
#include "platform/device/RenderTarget.h"
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

// The fog and lighting a draw's vertices share.
struct VertexShading {
    bool fogOn;
    uint32_t fogMode;
    float fogStart, fogEnd, fogDensity;
    bool lit;  // lighting without lights: ambient and emissive of the material
    float litR, litG, litB;
};

// Fog per vertex: the vertex mode for untransformed vertices, the table mode (evaluated per
// vertex here) when one is set.
VertexShading ResolveVertexShading(const DeviceState& st, bool transformed) {
    const uint32_t* rs = st.renderStates;
    VertexShading v{};
    v.fogOn = rs[D3DRENDERSTATE_FOGENABLE] != 0;
    const uint32_t tableMode = rs[D3DRENDERSTATE_FOGTABLEMODE];
    v.fogMode = tableMode != D3DFOG_NONE ? tableMode : (transformed ? rs[D3DRENDERSTATE_FOGVERTEXMODE] : D3DFOG_NONE);
    v.fogStart = st.RenderStateFloat(D3DRENDERSTATE_FOGSTART);
    v.fogEnd = st.RenderStateFloat(D3DRENDERSTATE_FOGEND);
    v.fogDensity = st.RenderStateFloat(D3DRENDERSTATE_FOGDENSITY);
    v.lit = transformed && rs[D3DRENDERSTATE_LIGHTING] != 0;
    if (v.lit) {
        const uint32_t amb = rs[D3DRENDERSTATE_AMBIENT];
        const D3DMaterial7& m = st.material;
        auto channel = [](float ma, uint32_t ambient, float me) {
            return Clamp01(ma * static_cast<float>(ambient & 0xFF) / 255.0f + me) * 255.0f;
        };
        v.litR = channel(m.ambient.r, amb >> 16, m.emissive.r);
        v.litG = channel(m.ambient.g, amb >> 8, m.emissive.g);
        v.litB = channel(m.ambient.b, amb, m.emissive.b);
    }
    return v;
}

void TransformVertex(const uint8_t* p, const Matrix4& M, const Matrix4& WV, const VertexShading& sh, ClipVertex& v) {
    const float x = ReadFloat(p), y = ReadFloat(p + 4), z = ReadFloat(p + 8);
    v.x = x * M.m[0] + y * M.m[4] + z * M.m[8] + M.m[12];
    v.y = x * M.m[1] + y * M.m[5] + z * M.m[9] + M.m[13];
    v.z = x * M.m[2] + y * M.m[6] + z * M.m[10] + M.m[14];
    v.w = x * M.m[3] + y * M.m[7] + z * M.m[11] + M.m[15];
    SetColor(v, ReadWord(p + 24));
    if (sh.lit) v.r = sh.litR, v.g = sh.litG, v.b = sh.litB;
    v.q = 1.0f;
    v.u = ReadFloat(p + 28);
    v.v = ReadFloat(p + 32);
    if (sh.fogOn) {
        const float eyeZ = x * WV.m[2] + y * WV.m[6] + z * WV.m[10] + WV.m[14];
        v.fog = FogFactor(sh.fogMode, std::fabs(eyeZ), sh.fogStart, sh.fogEnd, sh.fogDensity);
    } else {
        v.fog = 1.0f;
    }
}

// Pre-transformed: pixels and depth as given, w = 1 for the clipper's planes.
void ReadScreenVertex(const uint8_t* p, const VertexShading& sh, ClipVertex& v) {
    v.x = ReadFloat(p);
    v.y = ReadFloat(p + 4);
    v.z = Clamp01(ReadFloat(p + 8));
    v.w = 1.0f;
    SetColor(v, ReadWord(p + 16));
    v.q = ReadFloat(p + 12);
    v.u = ReadFloat(p + 20);
    v.v = ReadFloat(p + 24);
    v.fog = sh.fogOn ? FogFactor(sh.fogMode, v.z, sh.fogStart, sh.fogEnd, sh.fogDensity) : 1.0f;
}

// From clip space (or the device's pixels) to pixels of the target: the viewport's mapping, then
// the scale of the render size, as a viewport of the target's size would map it; exact (x
// itself) at the device's own size.
struct ScreenMapping {
    bool transformed;
    float vpX, vpY, halfW, halfH, minZ, zScale;
    float sx, sy;

    void Project(const ClipVertex& c, RasterVertex& r) const {
        if (transformed) {
            const float iw = 1.0f / c.w;
            r.x = (vpX + (1.0f + c.x * iw) * halfW) * sx;
            r.y = (vpY + (1.0f - c.y * iw) * halfH) * sy;
            r.z = minZ + c.z * iw * zScale;
            r.q = iw;
        } else {
            r.x = c.x * sx;
            r.y = c.y * sy;
            r.z = c.z;
            r.q = c.q;
        }
        r.r = c.r, r.g = c.g, r.b = c.b, r.a = c.a;
        r.u = c.u, r.v = c.v, r.fog = c.fog;
    }
};

ScreenMapping MakeScreenMapping(const Viewport& vp, bool transformed, int width, int height,
                                const RenderTarget& target) {
    ScreenMapping m;
    m.transformed = transformed;
    m.vpX = static_cast<float>(vp.x), m.vpY = static_cast<float>(vp.y);
    m.halfW = static_cast<float>(vp.width) * 0.5f, m.halfH = static_cast<float>(vp.height) * 0.5f;
    m.minZ = vp.minZ, m.zScale = vp.maxZ - vp.minZ;
    m.sx = static_cast<float>(target.width) / static_cast<float>(width);
    m.sy = static_cast<float>(target.height) / static_cast<float>(height);
    return m;
}

// The vertex numbers of triangle t of a list, fan or strip, and the one giving flat colour.
void TriangleIndices(PrimitiveType type, uint32_t t, uint32_t& i0, uint32_t& i1, uint32_t& i2, uint32_t& provoking) {
    if (type == D3DPT_TRIANGLELIST) i0 = 3 * t, i1 = i0 + 1, i2 = i0 + 2, provoking = i0;
    else if (type == D3DPT_TRIANGLEFAN) i0 = t + 1, i1 = t + 2, i2 = 0, provoking = i0;
    else if (t % 2 == 0) i0 = t, i1 = t + 1, i2 = t + 2, provoking = t;
    else i0 = t + 1, i1 = t, i2 = t + 2, provoking = t;  // odd strip triangles keep the winding
}

// A triangle clipped against the guard band (or the planes of clip space): 0 to
// kMaxClipVertices vertices of a convex polygon in clipped.
int ClipToGuardBand(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, bool transformed,
                    ClipVertex* clipped) {
    if (transformed) {
        const uint32_t ca = ClipCode(a, kGuardBand), cb = ClipCode(b, kGuardBand), cc = ClipCode(c, kGuardBand);
        if (ca & cb & cc) return 0;
        if ((ca | cb | cc) == 0) return clipped[0] = a, clipped[1] = b, clipped[2] = c, 3;
        return ClipTriangle(a, b, c, kGuardBand, false, clipped);
    }
    bool inside = true;
    for (const ClipVertex* v : {&a, &b, &c})
        if (!(std::fabs(v->x) <= kScreenGuardBand && std::fabs(v->y) <= kScreenGuardBand)) inside = false;
    if (inside) return clipped[0] = a, clipped[1] = b, clipped[2] = c, 3;
    return ClipTriangle(a, b, c, kScreenGuardBand, true, clipped);
}

// Assembles the draw's triangles, clips and projects them, and hands each screen triangle (a
// fan of the clipped polygon) to emit.
template <typename Emit>
void AssembleTriangles(PrimitiveType type, uint32_t count, const ClipVertex* out, bool flat,
                       const ScreenMapping& mapping, Emit&& emit) {
    const uint32_t triangles = type == D3DPT_TRIANGLELIST ? count / 3 : count - 2;
    ClipVertex clipped[kMaxClipVertices];
    RasterVertex raster[kMaxClipVertices];
    for (uint32_t t = 0; t < triangles; ++t) {
        uint32_t i0, i1, i2, provoking;
        TriangleIndices(type, t, i0, i1, i2, provoking);
        ClipVertex a = out[i0], b = out[i1], c = out[i2];
        if (flat) {
            const ClipVertex& p = out[provoking];
            for (ClipVertex* v : {&a, &b, &c}) v->r = p.r, v->g = p.g, v->b = p.b, v->a = p.a;
        }
        const int n = ClipToGuardBand(a, b, c, mapping.transformed, clipped);
        for (int k = 0; k < n; ++k) mapping.Project(clipped[k], raster[k]);
        for (int k = 1; k + 1 < n; ++k) emit(raster[0], raster[k], raster[k + 1]);
    }
}

}  // namespace

void Device::UpdateTransforms() {
    Pipeline& pipe = *pipeline_;
    if (!pipe.transformDirty) return;
    // Full 4x4 products: Matrix4::Multiply treats its operands as affine.
    auto mul = [](const Matrix4& a, const Matrix4& b, Matrix4& out) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                float sum = 0.0f;
                for (int k = 0; k < 4; ++k) sum += a.m[r * 4 + k] * b.m[k * 4 + c];
                out.m[r * 4 + c] = sum;
            }
    };
    mul(state_.world, state_.view, pipe.worldView);
    mul(pipe.worldView, state_.projection, pipe.worldViewProjection);
    pipe.transformDirty = false;
}

void Device::ProcessVertices(bool transformed, const uint8_t* data, uint32_t count) {
    Pipeline& pipe = *pipeline_;
    const VertexShading shading = ResolveVertexShading(state_, transformed);
    if (pipe.vertices.size() < count) pipe.vertices.resize(count);
    ClipVertex* out = pipe.vertices.data();
    for (uint32_t i = 0; i < count; ++i) {
        if (transformed)
            TransformVertex(data + static_cast<size_t>(i) * kMeshVertexStride, pipe.worldViewProjection,
                            pipe.worldView, shading, out[i]);
        else
            ReadScreenVertex(data + static_cast<size_t>(i) * kScreenVertexStride, shading, out[i]);
    }
}

RasterContext Device::MakeRasterContext() {
    const uint32_t* rs = state_.renderStates;
    const Viewport& vp = state_.viewport;
    RasterContext ctx;
    ctx.target = &directDraw_->GetRenderTarget();
    TargetRect(vp.x, vp.y, vp.width, vp.height, ctx.x0, ctx.y0, ctx.x1, ctx.y1);
    ctx.cullMode = rs[D3DRENDERSTATE_CULLMODE];
    ctx.perspective = rs[D3DRENDERSTATE_TEXTUREPERSPECTIVE] != 0;
    ctx.spanLevel = spanPath_ == SpanPath::Plain  ? SpanLevel::Plain
                    : spanPath_ == SpanPath::Avx2 ? SpanLevel::Avx2
                                                  : SpanLevel::Best;
    ResolveSpanStates(state_, ctx.setup);
    return ctx;
}

// The vertex stage, then each screen triangle either scan-converted at once or, with several
// threads, kept for the banded frame.
HResult Device::Draw(PrimitiveType type, uint32_t fvf, const uint8_t* data, uint32_t count) {
    if (type < D3DPT_TRIANGLELIST || count < 3) return kD3DOk;  // points and lines draw nothing here
    if (!rasterizing_) return kD3DOk;
    const bool transformed = fvf == kFvfMeshVertex;
    if (transformed) UpdateTransforms();
    ProcessVertices(transformed, data, count);

    Pipeline& pipe = *pipeline_;
    if (pipe.contextDirty) {
        pipe.context = MakeRasterContext();
        pipe.contextDirty = false;
    }
    const RasterContext& states = pipe.context;
    const ScreenMapping mapping = MakeScreenMapping(state_.viewport, transformed, width_, height_, *states.target);
    const bool flat = state_.renderStates[D3DRENDERSTATE_SHADEMODE] == D3DSHADE_FLAT;
    const ClipVertex* out = pipe.vertices.data();
    if (frame_) {
        frame_->BeginDraw(states, states.setup.texels ? state_.textures[0] : nullptr);
        AssembleTriangles(type, count, out, flat, mapping,
                          [&](const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
                              frame_->AddTriangle(a, b, c);
                          });
        frame_->EndDraw();
        return kD3DOk;
    }
    RasterContext ctx = states;
    AssembleTriangles(type, count, out, flat, mapping,
                      [&](const RasterVertex& a, const RasterVertex& b, const RasterVertex& c) {
                          RasterizeTriangle(ctx, a, b, c);
                      });
    for (int l = 0; l < kSpanLevelCount; ++l) pixelsDrawn_[l] += ctx.pixels[l];
    return kD3DOk;
}

}  // namespace cm
