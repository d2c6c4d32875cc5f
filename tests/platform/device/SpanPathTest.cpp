// The vector span loops (AVX2 and AVX-512 where the processor has them, WebAssembly SIMD in the
// browser build) against the plain ones: the same random draws under every state combination
// the vector loops specialise must leave bit-identical colour and depth buffers, every pixel
// drawn by the loops asked for.
#include "DeviceFixture.h"

#include "platform/d3dx/D3DX.h"
#include "platform/device/Span.h"

#include <cstring>
#include <random>

namespace cm::test {
namespace {

struct Target {
    DirectDraw* dd = DirectDraw::Create(640, 480);
    Device* device = Device::Create(dd);
    ~Target() {
        device->Release();
        dd->Release();
    }
};

struct Combination {
    TexMode tex;
    bool additive, fog, zTest, zWrite, gouraud, perspective, pow2;
};

void Apply(Device* d, const Combination& c, TextureSurface* texture) {
    d->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
    d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRENDERSTATE_ZENABLE, c.zTest);
    d->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, c.zWrite);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, c.additive);
    d->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_FOGENABLE, c.fog);
    d->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
    const float end = 30.0f;
    uint32_t bits;
    std::memcpy(&bits, &end, 4);
    d->SetRenderState(D3DRENDERSTATE_FOGEND, bits);
    d->SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0x00C08040u);
    d->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, c.perspective);
    d->SetTexture(0, c.tex == TexMode::None ? nullptr : texture);
    const uint32_t filter = c.tex == TexMode::Point ? D3DTFG_POINT : D3DTFG_LINEAR;
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    Matrix4 projection;
    D3DXMatrixPerspective(&projection, 0.2f, 0.15f, 0.08f, 100.0f);
    d->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
}

TEST(SpanPathTest, VectorLoopsGiveThePixelsOfThePlainLoop) {
    SpanSetup probe{};
    probe.tex = TexMode::Bilinear;
    probe.combine = CombineMode::Modulate;
    probe.blend = BlendMode::Add;
    if (!SelectFastSpan(probe)) GTEST_SKIP() << "this processor has no vector span loops";

    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    TextureSurface* pow2 = TextureSurface::Create(64, 32);
    TextureSurface* odd = TextureSurface::Create(37, 19);
    for (TextureSurface* t : {pow2, odd})
        for (uint32_t i = 0; i < t->GetWidth() * t->GetHeight(); ++i) t->GetTexels()[i] = rng() | 0xFF000000u;

    SpanLevel avx2Level, widest;
    SelectFastSpan(probe, SpanLevel::Avx2, &avx2Level);
    SelectFastSpan(probe, SpanLevel::Best, &widest);
    for (int bits = 0; bits < 3 * 128; ++bits) {
        const Combination c{static_cast<TexMode>(bits / 128), (bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                            (bits & 8) != 0, (bits & 16) != 0, (bits & 32) != 0, (bits & 64) != 0};
        Target plain, avx2, fast;
        plain.device->SetSpanPath(SpanPath::Plain);
        avx2.device->SetSpanPath(SpanPath::Avx2);
        for (Target* t : {&plain, &avx2, &fast}) {
            Apply(t->device, c, c.pow2 ? pow2 : odd);
            t->device->Clear(true, 0xFF203040u, true, 1.0f);
        }
        // Pre-transformed triangles of every size, partly off screen, with varied rhw, depth and
        // texture coordinates far outside 0..1; then transformed ones at fogged depths.
        std::vector<TLVertex> screen;
        for (int i = 0; i < 54; ++i) {
            const float size = i < 25 ? 12.0f : (i < 50 ? 150.0f : 900.0f);
            const float cx = any(rng) * 700 - 30, cy = any(rng) * 540 - 30;
            for (int k = 0; k < 3; ++k) {
                const uint32_t color = c.gouraud ? rng() : 0xFFC0A080u;
                screen.push_back(TL(cx + (any(rng) - 0.5f) * size, cy + (any(rng) - 0.5f) * size, color,
                                    any(rng) * 6 - 3, any(rng) * 6 - 3, any(rng), 0.1f + any(rng) * 2));
            }
        }
        std::vector<XYZVertex> world;
        for (int i = 0; i < 30; ++i) {
            const float cx = any(rng) * 40 - 20, cy = any(rng) * 30 - 15, cz = any(rng) * 50 - 5;
            for (int k = 0; k < 3; ++k) {
                const uint32_t color = c.gouraud ? rng() : 0xFF80FF40u;
                world.push_back(XYZ(cx + any(rng) * 20 - 10, cy + any(rng) * 20 - 10, cz + any(rng) * 20 - 10, color,
                                    any(rng) * 4 - 2, any(rng) * 4 - 2));
            }
        }
        for (Target* t : {&plain, &avx2, &fast}) {
            t->device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, screen.data(),
                                     static_cast<uint32_t>(screen.size()), 0);
            t->device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfMeshVertex, world.data(),
                                     static_cast<uint32_t>(world.size()), 0);
        }
        const RenderTarget& a = plain.device->GetRenderTarget();
        for (Target* t : {&avx2, &fast}) {
            const RenderTarget& b = t->device->GetRenderTarget();
            const char* name = t == &avx2 ? "AVX2 path" : "fast path";
            ASSERT_EQ(0, std::memcmp(a.color.data(), b.color.data(), a.color.size() * 4)) << name << " " << bits;
            ASSERT_EQ(0, std::memcmp(a.depth.data(), b.depth.data(), a.depth.size() * 4)) << name << " " << bits;
        }
        // Every pixel went through the widest loops each path allows here.
        const uint64_t drawn = plain.device->GetPixelsDrawn();
        ASSERT_GT(drawn, 50000u);
        ASSERT_EQ(drawn, plain.device->GetPixelsDrawn(SpanLevel::Plain)) << bits;
        ASSERT_EQ(drawn, avx2.device->GetPixelsDrawn(avx2Level)) << bits;
        ASSERT_EQ(drawn, fast.device->GetPixelsDrawn(widest)) << bits;
    }
    pow2->Release();
    odd->Release();
}

}  // namespace
}  // namespace cm::test
