// Drawing at another size than the device's own, with supersampling and on several threads:
// the same picture at every size, the same bytes for every thread count, and the filter's
// rounding.
#include "DeviceFixture.h"

#include "platform/d3dx/D3DX.h"
#include "platform/d3dx/FrameSink.h"

#include <cmath>
#include <cstring>
#include <random>

namespace cm::test {
namespace {

// A device of its own size w x h drawing into a target of tw x th.
struct Sized {
    DirectDraw* dd;
    Device* device;
    Sized(int w, int h, int tw, int th, int threads = 1)
        : dd(DirectDraw::Create(w, h)), device(Device::Create(dd)) {
        EXPECT_EQ(kD3DOk, device->SetRenderSize(tw, th));
        device->SetThreadCount(threads);
        device->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        device->Clear(true, 0xFF000000u, true, 1.0f);
    }
    ~Sized() {
        device->Release();
        dd->Release();
    }
    void Rect(float x0, float y0, float x1, float y1, uint32_t color) {
        const TLVertex v[4] = {TL(x0, y0, color), TL(x1, y0, color), TL(x1, y1, color), TL(x0, y1, color)};
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, kFvfScreenVertex, v, 4, 0);
    }
};

// Noise, or with smooth set, gradients (which minify without aliasing).
TextureSurface* NoiseTexture(uint32_t seed, bool smooth = false) {
    TextureSurface* t = TextureSurface::Create(64, 64);
    std::mt19937 rng(seed);
    for (uint32_t i = 0; i < 64 * 64; ++i)
        t->GetTexels()[i] = smooth ? 0xFF000000u | (i % 64) * 4 << 16 | (i / 64) * 4 << 8 | 0x80u : rng() | 0xFF000000u;
    return t;
}

// The kinds of draws the show makes, in the device's own pixels: a textured, fogged, depth-tested
// mesh, additive screen triangles of every size, a clear of the depth buffer in between.
void DrawScene(Device* d, TextureSurface* texture, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> any(0.0f, 1.0f);
    const float w = static_cast<float>(d->GetWidth()), h = static_cast<float>(d->GetHeight());
    Matrix4 projection;
    D3DXMatrixPerspective(&projection, 0.2f, 0.15f, 0.08f, 100.0f);
    d->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    d->SetTexture(0, texture);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    d->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
    d->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
    const float fogEnd = 40.0f;
    uint32_t bits;
    std::memcpy(&bits, &fogEnd, 4);
    d->SetRenderState(D3DRENDERSTATE_FOGEND, bits);
    std::vector<XYZVertex> mesh;
    for (int i = 0; i < 60; ++i) {
        const float cx = any(rng) * 40 - 20, cy = any(rng) * 30 - 15, cz = any(rng) * 40;
        for (int k = 0; k < 3; ++k)
            mesh.push_back(XYZ(cx + any(rng) * 16 - 8, cy + any(rng) * 16 - 8, cz + any(rng) * 16 - 8, rng(),
                               any(rng) * 4 - 2, any(rng) * 4 - 2));
    }
    d->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfMeshVertex, mesh.data(), static_cast<uint32_t>(mesh.size()), 0);
    d->Clear(false, 0, true, 1.0f);
    d->SetRenderState(D3DRENDERSTATE_FOGENABLE, kFalse);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
    d->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    std::vector<TLVertex> screen;
    for (int i = 0; i < 60; ++i) {
        const float size = (i % 3 == 0 ? 0.5f : 0.05f) * w, cx = any(rng) * w, cy = any(rng) * h;
        for (int k = 0; k < 3; ++k)
            screen.push_back(TL(cx + (any(rng) - 0.5f) * size, cy + (any(rng) - 0.5f) * size, rng() & 0xFF3F3F3Fu,
                                any(rng) * 3, any(rng) * 3, any(rng), 0.5f + any(rng)));
    }
    d->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, screen.data(), static_cast<uint32_t>(screen.size()), 0);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kFalse);
    d->SetTexture(0, nullptr);
}

TEST(RenderSizeTest, EveryThreadCountGivesTheSameBytes) {
    TextureSurface* texture = NoiseTexture(7);
    for (const auto& [w, h] : {std::pair{640, 480}, std::pair{1000, 750}}) {
        Sized one(640, 480, w, h, 1);
        DrawScene(one.device, texture, 99);
        const RenderTarget& a = one.device->GetRenderTarget();
        for (int threads : {2, 3}) {
            Sized many(640, 480, w, h, threads);
            DrawScene(many.device, texture, 99);
            const RenderTarget& b = many.device->GetRenderTarget();
            EXPECT_EQ(0, std::memcmp(a.color.data(), b.color.data(), a.color.size() * 4)) << w << " " << threads;
            EXPECT_EQ(0, std::memcmp(a.depth.data(), b.depth.data(), a.depth.size() * 4)) << w << " " << threads;
            EXPECT_EQ(one.device->GetPixelsDrawn(), many.device->GetPixelsDrawn());
        }
    }
    texture->Release();
}

// Covered pixels of a target: their count and bounding box.
struct Coverage {
    size_t count = 0;
    int x0 = INT32_MAX, y0 = INT32_MAX, x1 = -1, y1 = -1;
};

Coverage Covered(const RenderTarget& t) {
    Coverage c;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            if (t.Pixel(x, y) & 0xFFFFFF) {
                ++c.count;
                c.x0 = std::min(c.x0, x), c.y0 = std::min(c.y0, y), c.x1 = std::max(c.x1, x + 1), c.y1 = std::max(c.y1, y + 1);
            }
    return c;
}

// A quad from a to b of the device's own pixels covers the target's pixels from ceil(a s) to
// ceil(b s): the same fraction of the picture at any size, for screen quads and for meshes
// through the viewport alike.
TEST(RenderSizeTest, QuadsCoverTheSamePartOfThePictureAtEverySize) {
    struct Quad {
        float x0, y0, x1, y1;
    };
    for (const double s : {1.0, 2.25, 4.5}) {
        const int w = static_cast<int>(640 * s), h = static_cast<int>(480 * s);
        for (const Quad q : {Quad{0, 0, 640, 480}, Quad{100.25f, 50, 300, 200.75f}, Quad{160, 120, 480, 360}}) {
            Sized screen(640, 480, w, h), mesh(640, 480, w, h);
            screen.Rect(q.x0, q.y0, q.x1, q.y1, 0xFFFFFFFFu);
            // The same quad as transformed vertices under identity matrices (clip space).
            auto clip = [](float x, float y) { return XYZ(x / 320.0f - 1.0f, 1.0f - y / 240.0f, 0.5f); };
            const XYZVertex v[4] = {clip(q.x0, q.y0), clip(q.x1, q.y0), clip(q.x1, q.y1), clip(q.x0, q.y1)};
            mesh.device->DrawPrimitive(D3DPT_TRIANGLEFAN, kFvfMeshVertex, v, 4, 0);
            const int x0 = static_cast<int>(std::ceil(q.x0 * s)), x1 = static_cast<int>(std::ceil(q.x1 * s));
            const int y0 = static_cast<int>(std::ceil(q.y0 * s)), y1 = static_cast<int>(std::ceil(q.y1 * s));
            for (Sized* d : {&screen, &mesh}) {
                const Coverage c = Covered(d->device->GetRenderTarget());
                EXPECT_EQ(c.count, static_cast<size_t>(x1 - x0) * (y1 - y0)) << s << " " << q.x0;
                EXPECT_EQ(c.x0, x0) << s;
                EXPECT_EQ(c.y0, y0) << s;
                EXPECT_EQ(c.x1, x1) << s;
                EXPECT_EQ(c.y1, y1) << s;
            }
        }
    }
}

// A mesh of triangles sharing every edge, jittered off the pixel grid and reaching past the
// picture, drawn additively with 1: each pixel must end at exactly 1 (no gap, none drawn twice).
TEST(RenderSizeTest, FillRuleLeavesNoGapAndNoOverlapAtEverySize) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> jitter(-9.0f, 9.0f);
    constexpr int kColumns = 13, kRows = 10;
    std::vector<TLVertex> grid;
    for (int j = 0; j <= kRows; ++j)
        for (int i = 0; i <= kColumns; ++i) {
            const bool border = i == 0 || j == 0 || i == kColumns || j == kRows;
            grid.push_back(TL(-20 + i * 680.0f / kColumns + (border ? 0 : jitter(rng)),
                              -20 + j * 520.0f / kRows + (border ? 0 : jitter(rng)), 0xFF010101u));
        }
    std::vector<TLVertex> triangles;
    for (int j = 0; j < kRows; ++j)
        for (int i = 0; i < kColumns; ++i) {
            const TLVertex &a = grid[j * (kColumns + 1) + i], &b = grid[j * (kColumns + 1) + i + 1];
            const TLVertex &c = grid[(j + 1) * (kColumns + 1) + i], &d = grid[(j + 1) * (kColumns + 1) + i + 1];
            for (const TLVertex* v : {&a, &b, &d, &a, &d, &c}) triangles.push_back(*v);
        }
    for (const auto& [w, h, threads] : {std::tuple{640, 480, 1}, std::tuple{1000, 750, 2}, std::tuple{1440, 1080, 3}}) {
        Sized t(640, 480, w, h, threads);
        t.device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
        t.device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
        t.device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        t.device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        t.device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, triangles.data(),
                                static_cast<uint32_t>(triangles.size()), 0);
        size_t wrong = 0;
        for (uint32_t p : t.device->GetRenderTarget().color) wrong += (p & 0xFFFFFF) != 0x010101;
        EXPECT_EQ(wrong, 0u) << w << " x " << h;
    }
}

// A context of its own size w x h presenting at ow x oh, drawn at k times that.
struct Presented {
    D3DXContext* context = nullptr;
    Device* device = nullptr;
    MemorySink sink;
    Presented(int w, int h, int ow, int oh, int k) {
        D3DXInitialize();
        D3DXCreateContext(D3DX_DEFAULT, 0, &sink, w, h, &context);
        EXPECT_EQ(kD3DOk, context->SetRenderSize(ow, oh, k));
        device = context->GetD3DDevice();
        device->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    }
    ~Presented() {
        device->Release();
        context->Release();
        D3DXUninitialize();
    }
    const std::vector<uint32_t>& Frame() {
        context->UpdateFrame(D3DX_UPDATE_NOVSYNC);
        return sink.frame;
    }
};

// Mean absolute difference per channel between two frames of the same size.
double MeanDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int c = 0; c < 24; c += 8) sum += std::abs(int((a[i] >> c) & 0xFF) - int((b[i] >> c) & 0xFF));
    return sum / (3.0 * static_cast<double>(a.size()));
}

std::vector<uint32_t> Average2x2(const std::vector<uint32_t>& f, int w, int h) {
    std::vector<uint32_t> out(static_cast<size_t>(w / 2) * (h / 2));
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w / 2; ++x) {
            uint32_t p = 0;
            for (int c = 0; c < 32; c += 8) {
                uint32_t s = 2;
                for (int j = 0; j < 2; ++j)
                    for (int i = 0; i < 2; ++i) s += (f[(2 * y + j) * w + 2 * x + i] >> c) & 0xFF;
                p |= (s / 4) << c;
            }
            out[y * (w / 2) + x] = p;
        }
    return out;
}

std::vector<uint32_t> Double(const std::vector<uint32_t>& f, int w, int h) {
    std::vector<uint32_t> out(static_cast<size_t>(4) * w * h);
    for (int y = 0; y < 2 * h; ++y)
        for (int x = 0; x < 2 * w; ++x) out[y * 2 * w + x] = f[(y / 2) * w + x / 2];
    return out;
}

// Drawn at twice the size, the picture is the same (averaged down it matches the plain frame)
// but holds detail the plain frame blown up lacks (it is closer to a 4x supersampled rendering
// of the same size). Supersampling leaves edges with values between the two colours.
TEST(RenderSizeTest, LargerAndSupersampledFramesShowTheSamePictureSharper) {
    TextureSurface* texture = NoiseTexture(3, true);
    auto render = [&](int ow, int oh, int k) {
        Presented p(160, 120, ow, oh, k);
        DrawScene(p.device, texture, 11);
        return p.Frame();
    };
    const std::vector<uint32_t> plain = render(160, 120, 1), large = render(320, 240, 1);
    const std::vector<uint32_t> truth = render(320, 240, 4), smooth = render(160, 120, 2);
    EXPECT_LT(MeanDifference(Average2x2(large, 320, 240), plain), 3.5);
    const double sharp = MeanDifference(large, truth), blown = MeanDifference(Double(plain, 160, 120), truth);
    EXPECT_LT(sharp, 0.7 * blown) << sharp << " " << blown;
    EXPECT_LT(MeanDifference(smooth, plain), 3.5);
    texture->Release();

    for (int k : {1, 2, 3}) {
        Presented p(160, 120, 160, 120, k);
        const TLVertex v[3] = {TL(10.3f, 5.1f), TL(150.7f, 40.2f), TL(30.4f, 110.9f)};
        p.device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, v, 3, 0);
        size_t between = 0;
        for (uint32_t px : p.Frame()) between += (px & 0xFF) != 0 && (px & 0xFF) != 0xFF;
        if (k == 1) EXPECT_EQ(between, 0u);
        else EXPECT_GT(between, 100u) << k;
    }
}

// Between texels of 10 and 11 the exact filtered values average 10.5; a filter that truncates
// each blend gives 10 everywhere. Every span path must round to nearest.
TEST(RenderSizeTest, BilinearFilterRoundsToNearestInEveryPath) {
    for (SpanPath path : {SpanPath::Plain, SpanPath::Avx2, SpanPath::Fast}) {
        Sized t(640, 480, 640, 480);
        t.device->SetSpanPath(path);
        TextureSurface* texture = TextureSurface::Create(2, 2);
        for (uint32_t i = 0; i < 4; ++i) texture->GetTexels()[i] = i % 2 ? 0xFF0B0B0Bu : 0xFF0A0A0Au;
        t.device->SetTexture(0, texture);
        t.device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
        const TLVertex v[4] = {TL(0, 0, ~0u, 0, 0), TL(640, 0, ~0u, 7.3f, 0), TL(640, 480, ~0u, 7.3f, 1),
                               TL(0, 480, ~0u, 0, 1)};
        t.device->DrawPrimitive(D3DPT_TRIANGLEFAN, kFvfScreenVertex, v, 4, 0);
        double sum = 0;
        for (uint32_t p : t.device->GetRenderTarget().color) sum += p & 0xFF;
        EXPECT_NEAR(sum / (640.0 * 480.0), 10.5, 0.05) << static_cast<int>(path);
        t.device->SetTexture(0, nullptr);
        texture->Release();
    }
}

}  // namespace
}  // namespace cm::test
