// The vector span loops (AVX2 and AVX-512 where the processor has them, WebAssembly SIMD in the
// browser build) against the plain ones: the same random draws under every state combination
// the vector loops specialise must leave bit-identical colour and depth buffers, every pixel
// drawn by the loops asked for.
#include "DeviceFixture.h"

#include "platform/device/Span.h"

#include <limits>
#include <random>
#include <string>
#include <vector>

namespace cm::test {
namespace {

struct Combination {
    TexMode tex;
    bool additive, fog, zTest, zWrite, gouraud, perspective, pow2;
};

void Apply(Device* d, const Combination& c, TextureSurface* texture) {
    d->SetRenderState(D3DRENDERSTATE_ZENABLE, c.zTest);
    d->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, c.zWrite);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, c.additive);
    d->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_FOGENABLE, c.fog);
    d->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
    d->SetRenderState(D3DRENDERSTATE_FOGEND, FloatBits(30.0f));
    d->SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0x00C08040u);
    d->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, c.perspective);
    d->SetTexture(0, c.tex == TexMode::None ? nullptr : texture);
    const uint32_t filter = c.tex == TexMode::Point ? D3DTFG_POINT : D3DTFG_LINEAR;
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    d->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    UsePerspective(d, 100);
}

// Screen-aligned quads (rhw and v changing down a quad only), whose texel rows the widest loops
// work out once per row, and whose rows end in blocks of eight pixels, which pairs of rows
// share: for the 32 texels high texture, one with a texel row per pixel row on the texels'
// centres (the lower row's weight is zero in every row), one with half a texel row per pixel
// row (zero in every other row), one with rhw changing from top to bottom.
std::vector<TLVertex> AlignedQuads(bool gouraud) {
    const uint32_t c0 = 0xFFC0A080u, c1 = gouraud ? 0xFF4080F0u : c0;
    std::vector<TLVertex> v;
    auto quad = [&](float x0, float y0, float x1, float y1, float u0, float u1, float v0, float v1, float rhwTop,
                    float rhwBottom) {
        const TLVertex a = TL(x0, y0, c0, u0, v0, 0.2f, rhwTop), b = TL(x1, y0, c1, u1, v0, 0.6f, rhwTop);
        const TLVertex c = TL(x1, y1, c0, u1, v1, 0.6f, rhwBottom), d = TL(x0, y1, c1, u0, v1, 0.2f, rhwBottom);
        v.insert(v.end(), {a, b, c, a, c, d});
    };
    quad(20, 100, 300, 140, -0.3f, 2.7f, 0.5f / 32, 40.5f / 32, 1.0f, 1.0f);
    quad(20, 160, 300, 200, 0.3f, 1.7f, 0.5f / 32, 20.5f / 32, 1.0f, 1.0f);
    quad(330, 200, 620, 330, 0.1f, -1.4f, 0.13f, 1.9f, 1.0f, 0.25f);
    return v;
}

TEST(SpanPathTest, VectorLoopsGiveThePixelsOfThePlainLoop) {
    SpanSetup probe{};
    probe.tex = TexMode::Bilinear;
    probe.combine = CombineMode::Modulate;
    probe.blend = BlendMode::Add;
    if (!SelectFastSpan(probe)) GTEST_SKIP() << "this processor has no vector span loops";

    std::mt19937 rng(1234);
    TextureSurface* pow2 = TextureSurface::Create(64, 32);
    TextureSurface* odd = TextureSurface::Create(37, 19);
    for (TextureSurface* t : {pow2, odd})
        for (uint32_t i = 0; i < t->GetWidth() * t->GetHeight(); ++i) t->GetTexels()[i] = rng() | 0xFF000000u;

    SpanLevel avx2Level, widest;
    SelectFastSpan(probe, SpanLevel::Avx2, &avx2Level);
    SelectFastSpan(probe, SpanLevel::Best, &widest);
    for (int bits = 0; bits < 3 * 128; ++bits) {
        SCOPED_TRACE(testing::Message() << "state combination " << bits);
        const Combination c{static_cast<TexMode>(bits / 128), (bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                            (bits & 8) != 0, (bits & 16) != 0, (bits & 32) != 0, (bits & 64) != 0};
        TestDevice plain, avx2, fast;
        plain.device->SetSpanPath(SpanPath::Plain);
        avx2.device->SetSpanPath(SpanPath::Avx2);
        const RandomTriangles triangles(bits, 640, 480, 900, !c.gouraud);
        for (TestDevice* t : {&plain, &avx2, &fast}) {
            Apply(t->device, c, c.pow2 ? pow2 : odd);
            t->Clear(0xFF203040u);
            t->Draw(D3DPT_TRIANGLELIST, triangles.screen);
            t->Draw(D3DPT_TRIANGLELIST, triangles.world);
            t->Draw(D3DPT_TRIANGLELIST, AlignedQuads(c.gouraud));
            t->device->SetTexture(0, nullptr);
        }
        ASSERT_TRUE(plain.Target().color == avx2.Target().color && plain.Target().depth == avx2.Target().depth)
            << "AVX2 path";
        ASSERT_TRUE(plain.Target().color == fast.Target().color && plain.Target().depth == fast.Target().depth)
            << "fast path";
        // Every pixel went through the widest loops each path allows here.
        const uint64_t drawn = plain.device->GetPixelsDrawn();
        ASSERT_GT(drawn, 50000u);
        ASSERT_EQ(drawn, plain.device->GetPixelsDrawn(SpanLevel::Plain));
        ASSERT_EQ(drawn, avx2.device->GetPixelsDrawn(avx2Level));
        ASSERT_EQ(drawn, fast.device->GetPixelsDrawn(widest));
    }
    pow2->Release();
    odd->Release();
}

// Coordinates the wrap takes as 0 (a fraction that rounds up to 1, NaN, infinities), and ones
// just inside it, each over a quad of its own: the vector loops' wrapping (the AVX2 ones' too,
// which the fast path passes over on a processor with wider ones) must sample the texels the
// plain loop samples.
TEST(SpanPathTest, CoordinatesAtTheWrapsEdgesSampleThePlainLoopsTexels) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float edges[] = {-1e-9f, -3e-8f, 0.99999994f, -0.99999994f, 1e30f, -1e30f, nan, inf, -inf, 8388607.5f};
    for (const int width : {64, 37}) {
        TextureSurface* texture = TextureSurface::Create(width, width / 2);
        std::mt19937 rng(width);
        for (uint32_t i = 0; i < texture->GetWidth() * texture->GetHeight(); ++i) texture->GetTexels()[i] = rng();
        for (const TexMode tex : {TexMode::Point, TexMode::Bilinear}) {
            TestDevice plain, avx2, fast;
            plain.device->SetSpanPath(SpanPath::Plain);
            avx2.device->SetSpanPath(SpanPath::Avx2);
            for (TestDevice* t : {&plain, &avx2, &fast}) {
                Apply(t->device, Combination{tex, true, false, false, false, false, false, true}, texture);
                t->Clear(0xFF203040u);
                for (int i = 0; i < 100; ++i) {
                    const float u = edges[i % 10], v = edges[i / 10], x = (i % 10) * 60.0f, y = (i / 10) * 45.0f;
                    const uint32_t white = 0xFFFFFFFFu;
                    t->Draw(D3DPT_TRIANGLEFAN, {TL(x, y, white, u, v), TL(x + 50, y, white, u, v),
                                                TL(x + 50, y + 40, white, u, v), TL(x, y + 40, white, u, v)});
                }
            }
            const std::string where = std::to_string(width) + " wide, filter " + std::to_string(int(tex));
            EXPECT_TRUE(plain.Target().color == avx2.Target().color) << where << ", AVX2";
            EXPECT_TRUE(plain.Target().color == fast.Target().color) << where << ", fast";
        }
        texture->Release();
    }
}

}  // namespace
}  // namespace cm::test
