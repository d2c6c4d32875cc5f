// The same pixels however a frame is drawn: at another size than the device's own (the same
// picture, sharper, also supersampled), on any number of threads or drawing lanes (the same
// bytes); and the filter's rounding.
#include "DeviceFixture.h"

#include "platform/d3dx/D3DX.h"
#include "platform/d3dx/FrameSink.h"
#include "platform/device/BandedFrame.h"

#include <array>
#include <cmath>
#include <random>

namespace cm::test {
namespace {

// Noise, or with smooth set, gradients (which minify without aliasing).
TextureSurface* NoiseTexture(uint32_t seed, bool smooth = false) {
    TextureSurface* t = TextureSurface::Create(64, 64);
    std::mt19937 rng(seed);
    for (uint32_t i = 0; i < 64 * 64; ++i)
        t->GetTexels()[i] = smooth ? 0xFF000000u | (i % 64) * 4 << 16 | (i / 64) * 4 << 8 | 0x80u : rng() | 0xFF000000u;
    return t;
}

// The kinds of draws the show makes, in the device's own pixels: a textured, fogged, depth-tested
// mesh, screen triangles of every size one per draw (as the show draws its meshes), mostly
// additive, a clear of the depth buffer in between. Every few draws the blending or the texture
// changes, so draws kept together by the threads must keep their own states.
void DrawScene(Device* d, TextureSurface* texture, uint32_t seed) {
    RandomTriangles triangles(seed, static_cast<float>(d->GetWidth()), static_cast<float>(d->GetHeight()), 320);
    UsePerspective(d, 100);
    d->SetTexture(0, texture);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    d->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
    d->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
    d->SetRenderState(D3DRENDERSTATE_FOGEND, FloatBits(40.0f));
    d->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfMeshVertex, triangles.world.data(),
                     static_cast<uint32_t>(triangles.world.size()), 0);
    d->Clear(false, 0, true, 1.0f);
    d->SetRenderState(D3DRENDERSTATE_FOGENABLE, kFalse);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
    d->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    for (TLVertex& v : triangles.screen) v.diffuse &= 0xFF3F3F3Fu;  // dim enough not to saturate
    for (size_t i = 0; i + 3 <= triangles.screen.size(); i += 3) {
        const size_t k = i / 3;
        if (k % 3 == 0) d->SetRenderState(D3DRENDERSTATE_DESTBLEND, k % 12 == 9 ? D3DBLEND_ZERO : D3DBLEND_ONE);
        if (k % 5 == 0) d->SetTexture(0, k % 10 == 5 ? nullptr : texture);
        d->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, &triangles.screen[i], 3, 0);
    }
    d->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kFalse);
    d->SetTexture(0, nullptr);
}

TEST(RenderSizeTest, EveryThreadCountGivesTheSameBytes) {
    TextureSurface* texture = NoiseTexture(7);
    for (const auto& [w, h] : {std::pair{640, 480}, std::pair{1000, 750}}) {
        TestDevice one(w, h, 1);
        DrawScene(one.device, texture, 99);
        for (int threads : {2, 3}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h << " on " << threads << " threads");
            TestDevice many(w, h, threads);
            DrawScene(many.device, texture, 99);
            EXPECT_TRUE(one.Target().color == many.Target().color && one.Target().depth == many.Target().depth);
            EXPECT_EQ(one.device->GetPixelsDrawn(), many.device->GetPixelsDrawn());
        }
    }
    texture->Release();
}

// Covered pixels of a target: their count and bounding box.
std::array<int, 5> Covered(const RenderTarget& t) {
    int count = 0, x0 = INT32_MAX, y0 = INT32_MAX, x1 = -1, y1 = -1;
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x)
            if (t.Pixel(x, y) & 0xFFFFFF) {
                ++count;
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
            }
    return {count, x0, y0, x1, y1};
}

// A quad from a to b of the device's own pixels covers the target's pixels from ceil(a s) to
// ceil(b s): the same fraction of the picture at any size, for screen quads and for meshes
// through the viewport alike. And the fill rule leaves no gap and no overlap at any size.
TEST(RenderSizeTest, QuadsCoverTheSamePartOfThePictureAndTheFillRuleHoldsAtEverySize) {
    for (const double s : {1.0, 2.25, 4.5}) {
        const int w = static_cast<int>(640 * s), h = static_cast<int>(480 * s);
        for (const auto& [x0, y0, x1, y1] : {std::array{0.0f, 0.0f, 640.0f, 480.0f},
                                             std::array{100.25f, 50.0f, 300.0f, 200.75f},
                                             std::array{160.0f, 120.0f, 480.0f, 360.0f}}) {
            SCOPED_TRACE(testing::Message() << "scale " << s << ", quad from " << x0 << ", " << y0);
            TestDevice screen(w, h), mesh(w, h);
            screen.Rect(x0, y0, x1, y1);
            // The same quad as transformed vertices under identity matrices (clip space).
            auto clip = [](float x, float y) { return XYZ(x / 320.0f - 1.0f, 1.0f - y / 240.0f, 0.5f); };
            mesh.Draw(D3DPT_TRIANGLEFAN, {clip(x0, y0), clip(x1, y0), clip(x1, y1), clip(x0, y1)});
            auto scaled = [s](float f) { return static_cast<int>(std::ceil(f * s)); };
            const int sx0 = scaled(x0), sy0 = scaled(y0), sx1 = scaled(x1), sy1 = scaled(y1);
            const std::array<int, 5> expected = {(sx1 - sx0) * (sy1 - sy0), sx0, sy0, sx1, sy1};
            EXPECT_EQ(Covered(screen.Target()), expected) << "screen quad";
            EXPECT_EQ(Covered(mesh.Target()), expected) << "mesh";
        }
    }

    // A mesh of triangles sharing every edge, split along alternating diagonals in both windings
    // and reaching past the picture, drawn additively with 1: each pixel must end at exactly 1 (no
    // gap, none drawn twice). On the left its vertices lie on multiples of 16, which are whole
    // pixels at every size tried, so edges run through pixel centres; on the right they are
    // jittered off the grid.
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> jitter(-9.0f, 9.0f);
    constexpr int kColumns = 14, kRows = 11;
    std::vector<TLVertex> grid;
    for (int j = 0; j <= kRows; ++j)
        for (int i = 0; i <= kColumns; ++i) {
            const bool jittered = i > kColumns / 2 && i < kColumns && j > 0 && j < kRows;
            const float dx = jittered ? jitter(rng) : 0, dy = jittered ? jitter(rng) : 0;
            grid.push_back(TL(-16 + i * 48.0f + dx, -16 + j * 48.0f + dy, 0xFF010101u));
        }
    std::vector<TLVertex> triangles;
    for (int j = 0; j < kRows; ++j)
        for (int i = 0; i < kColumns; ++i) {
            const TLVertex &a = grid[j * (kColumns + 1) + i], &b = grid[j * (kColumns + 1) + i + 1];
            const TLVertex &c = grid[(j + 1) * (kColumns + 1) + i], &d = grid[(j + 1) * (kColumns + 1) + i + 1];
            if ((i + j) % 2)
                triangles.insert(triangles.end(), {a, b, d, a, d, c});
            else
                triangles.insert(triangles.end(), {a, b, c, b, c, d});
        }
    for (const auto& [w, h, threads] : {std::tuple{640, 480, 1}, std::tuple{1000, 750, 2}, std::tuple{1440, 1080, 3}}) {
        TestDevice t(w, h, threads);
        t.Additive();
        t.Draw(D3DPT_TRIANGLELIST, triangles);
        size_t wrong = 0;
        for (uint32_t p : t.Target().color) wrong += (p & 0xFFFFFF) != 0x010101;
        EXPECT_EQ(wrong, 0u) << w << " x " << h;
    }
}

// The frame a context of 160 x 120 presents at ow x oh, drawn at k times that.
template <typename DrawFn>
std::vector<uint32_t> Presented(int ow, int oh, int k, DrawFn draw) {
    MemorySink sink;
    D3DXContext* context = nullptr;
    D3DXInitialize();
    D3DXCreateContext(D3DX_DEFAULT, 0, &sink, 160, 120, &context);
    EXPECT_EQ(kD3DOk, context->SetRenderSize(ow, oh, k));
    Device* device = context->GetD3DDevice();
    device->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    draw(device);
    context->UpdateFrame(D3DX_UPDATE_NOVSYNC);
    device->Release();
    context->Release();
    D3DXUninitialize();
    return sink.frame;
}

// Mean absolute difference per channel between two frames of the same size.
double MeanDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (int c = 0; c < 24; c += 8) sum += std::abs(int((a[i] >> c) & 0xFF) - int((b[i] >> c) & 0xFF));
    return sum / (3.0 * static_cast<double>(a.size()));
}

// A w x h frame scaled by 2, each pixel repeated.
std::vector<uint32_t> Doubled(const std::vector<uint32_t>& f, int w, int h) {
    std::vector<uint32_t> out(static_cast<size_t>(4) * w * h);
    for (int y = 0; y < 2 * h; ++y)
        for (int x = 0; x < 2 * w; ++x) out[y * 2 * w + x] = f[(y / 2) * w + x / 2];
    return out;
}

// Drawn at twice the size, the picture is the same (filtered down by supersampling it matches the
// plain frame) but holds detail the plain frame blown up lacks (it is closer to a 4x supersampled
// rendering of the same size). Supersampling leaves edges with values between the two colours.
TEST(RenderSizeTest, LargerAndSupersampledFramesShowTheSamePictureSharper) {
    TextureSurface* texture = NoiseTexture(3, true);
    auto scene = [&](Device* d) { DrawScene(d, texture, 11); };
    const std::vector<uint32_t> plain = Presented(160, 120, 1, scene), large = Presented(320, 240, 1, scene);
    const std::vector<uint32_t> truth = Presented(320, 240, 4, scene), smooth = Presented(160, 120, 2, scene);
    EXPECT_LT(MeanDifference(smooth, plain), 3.5);
    const double sharp = MeanDifference(large, truth), blown = MeanDifference(Doubled(plain, 160, 120), truth);
    EXPECT_LT(sharp, 0.7 * blown) << sharp << " " << blown;
    texture->Release();

    for (int k : {1, 2, 3}) {
        const std::vector<uint32_t> frame = Presented(160, 120, k, [](Device* d) {
            const TLVertex v[3] = {TL(10.3f, 5.1f), TL(150.7f, 40.2f), TL(30.4f, 110.9f)};
            d->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, v, 3, 0);
        });
        size_t between = 0;
        for (uint32_t px : frame) between += (px & 0xFF) != 0 && (px & 0xFF) != 0xFF;
        if (k == 1)
            EXPECT_EQ(between, 0u);
        else
            EXPECT_GT(between, 100u) << k;
    }
}

// Between texels of 10 and 11 the exact filtered values average 10.5; a filter that truncates
// each blend gives 10 everywhere. (The vector loops give the plain loop's pixels: SpanPathTest.)
TEST(RenderSizeTest, BilinearFilterRoundsToNearest) {
    TextureSurface* texture = TextureSurface::Create(2, 2);
    for (uint32_t i = 0; i < 4; ++i) texture->GetTexels()[i] = i % 2 ? 0xFF0B0B0Bu : 0xFF0A0A0Au;
    TestDevice t;
    t.device->SetSpanPath(SpanPath::Plain);
    t.device->SetTexture(0, texture);
    t.device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    t.Draw(D3DPT_TRIANGLEFAN, {TL(0, 0, ~0u, 0, 0), TL(640, 0, ~0u, 7.3f, 0), TL(640, 480, ~0u, 7.3f, 1),
                               TL(0, 480, ~0u, 0, 1)});
    double sum = 0;
    for (uint32_t p : t.Target().color) sum += p & 0xFF;
    EXPECT_NEAR(sum / (640.0 * 480.0), 10.5, 0.05);
    t.device->SetTexture(0, nullptr);
    texture->Release();
}

// Lanes drawing a frame while it is being made give the bytes of drawing each triangle at once,
// also for a frame with more items than are kept, which is drawn in parts.
RasterContext DepthTested(RenderTarget& target) {
    RasterContext c;
    c.target = &target;
    c.x1 = target.width, c.y1 = target.height;
    c.cullMode = D3DCULL_NONE;
    c.setup.tex = TexMode::None;
    c.setup.combine = CombineMode::Diffuse;
    c.setup.blend = BlendMode::Opaque;
    c.setup.zTest = c.setup.zWrite = true;
    c.setup.zFunc = D3DCMP_LESSEQUAL;
    return c;
}

TEST(BandedFrameTest, LanesAndAFrameDrawnInPartsGiveTheBytesOfDrawingAtOnce) {
    RenderTarget direct(160, 120), banded(160, 120);
    RasterContext now = DepthTested(direct);
    BandedFrame frame(3, 1);  // one chunk: the 10,000 triangles are drawn in three parts
    std::mt19937 random(7);
    std::uniform_real_distribution<float> x(-10.0f, 170.0f), y(-10.0f, 130.0f), unit(0.0f, 1.0f);
    for (int draw = 0; draw < 100; ++draw) {
        if (draw % 40 == 0) {  // a clear amid the draws
            frame.AddClear(banded, 10, 5, 150, 100, true, 0xFF102030u, true, 0.9f);
            for (int row = 5; row < 100; ++row)
                for (int col = 10; col < 150; ++col) {
                    direct.color[static_cast<size_t>(row) * 160 + col] = 0xFF102030u;
                    direct.depth[static_cast<size_t>(row) * 160 + col] = 0.9f;
                }
        }
        frame.BeginDraw(DepthTested(banded), nullptr);
        for (int t = 0; t < 100; ++t) {
            RasterVertex v[3];
            for (RasterVertex& p : v) p = {x(random), y(random), unit(random), 1, 255 * unit(random), 128, 64, 255, 0, 0, 0};
            frame.AddTriangle(v[0], v[1], v[2]);
            RasterizeTriangle(now, v[0], v[1], v[2]);
        }
        frame.EndDraw();
    }
    uint64_t pixels[kSpanLevelCount] = {};
    frame.Finish(pixels);
    EXPECT_TRUE(direct.color == banded.color && direct.depth == banded.depth);
    EXPECT_EQ(now.pixels[0] + now.pixels[1] + now.pixels[2], pixels[0] + pixels[1] + pixels[2]);
}

}  // namespace
}  // namespace cm::test
