// bench-deps: cm_device cm_d3dx cm_math
// The software device's three figures: fill rate on full-screen perspective-correct, bilinear,
// modulated, additive triangles (pixels/s), one-triangle draw calls inside their own scene
// (calls/s), and layers of the 200-fan warp tube seen from inside (layers/s). "fast" runs the
// widest vector loops of the processor, "avx2" the 8-wide ones, "plain" the reference loop.
// TubeAt draws the tube layer at a render size (its height) on a number of threads.
#include "math/Matrix4.h"
#include "math/Vector3.h"
#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/TextureSurface.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using namespace cm;

struct TL {
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};
struct Mesh {
    float x, y, z, nx, ny, nz;
    uint32_t diffuse;
    float u, v;
};

// A device with the show's usual states and a 256 x 256 texture of smooth noise bound, filtered
// bilinearly, modulated with the diffuse colour, blended additively.
struct Bench {
    DirectDraw* dd = DirectDraw::Create(640, 480);
    Device* device = Device::Create(dd);
    TextureSurface* texture = TextureSurface::Create(256, 256);

    explicit Bench(SpanPath path = SpanPath::Fast, int renderHeight = 480, int threads = 1) {
        device->SetSpanPath(path);
        device->SetRenderSize(renderHeight * 4 / 3, renderHeight);
        device->SetThreadCount(threads);
        for (uint32_t y = 0; y < 256; ++y)
            for (uint32_t x = 0; x < 256; ++x)
                texture->GetTexels()[y * 256 + x] = 0xFF000000u | ((x * 7 + y) & 0xFF) << 16 | ((x ^ y) & 0xFF) << 8 |
                                                    ((x * y) >> 8 & 0xFF);
        device->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
        device->SetTexture(0, texture);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    }
    ~Bench() {
        texture->Release();
        device->Release();
        dd->Release();
    }
};

// Two triangles over the whole target with rhw from 0.25 to 1 (a receding plane), four
// different vertex colours, texture repeated three times.
void FullScreen(benchmark::State& state, SpanPath path, bool gouraud) {
    Bench b(path);
    const uint32_t c0 = gouraud ? 0xFF4080C0u : 0xFFC0A080u, c1 = gouraud ? 0xFFC08040u : c0,
                   c2 = gouraud ? 0xFF80C040u : c0, c3 = gouraud ? 0xFF404040u : c0;
    const TL quad[4] = {{0, 0, 0, 0.25f, c0, 0, 0},
                        {640, 0, 0, 0.25f, c1, 0.75f, 0},
                        {640, 480, 0, 1.0f, c2, 3.0f, 3.0f},
                        {0, 480, 0, 1.0f, c3, 0, 3.0f}};
    const uint64_t before = b.device->GetPixelsDrawn();
    for (auto _ : state) {
        b.device->BeginScene();
        b.device->DrawPrimitive(D3DPT_TRIANGLEFAN, kFvfScreenVertex, quad, 4, 0);
        b.device->EndScene();
    }
    const double pixels = static_cast<double>(b.device->GetPixelsDrawn() - before);
    state.counters["Mpixel/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(FullScreen, fast_gouraud, SpanPath::Fast, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullScreen, fast_flat, SpanPath::Fast, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullScreen, avx2_gouraud, SpanPath::Avx2, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullScreen, plain_gouraud, SpanPath::Plain, true)->Unit(benchmark::kMillisecond);

// One textured triangle of about 50 pixels in mesh format (transformed), each in its own scene,
// with the depth buffer on, as the show draws its meshes.
void SmallTriangles(benchmark::State& state) {
    Bench b;
    b.device->SetRenderState(D3DRENDERSTATE_ZENABLE, kTrue);
    b.device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kFalse);
    Matrix4 projection;
    D3DXMatrixPerspective(&projection, 0.2f, 0.15f, 0.08f, 1000.0f);
    b.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    // At z = 10 one unit is 0.08 / 0.1 / 10 * 320 = 25.6 pixels: legs of 0.47 units give about 50 px.
    Mesh tri[3] = {{0, 0, 10, 0, 0, 0, 0xFFFFFFFFu, 0, 0},
                   {0.47f, 0, 10, 0, 0, 0, 0xFFFFFFFFu, 1, 0},
                   {0, -0.47f, 10, 0, 0, 0, 0xFFFFFFFFu, 0, 1}};
    const uint64_t before = b.device->GetPixelsDrawn();
    int64_t calls = 0;
    float dx = 0;
    for (auto _ : state) {
        b.device->BeginScene();
        b.device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfMeshVertex, tri, 3, 0);
        b.device->EndScene();
        // Walk over the screen so the depth buffer does not turn every call into a rejection.
        dx += 0.41f;
        if (dx > 20) dx = -20;
        tri[0].x = dx, tri[1].x = dx + 0.47f, tri[2].x = dx;
        ++calls;
    }
    state.counters["calls/s"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate);
    state.counters["pixels/call"] =
        static_cast<double>(b.device->GetPixelsDrawn() - before) / static_cast<double>(calls ? calls : 1);
}
BENCHMARK(SmallTriangles);

// The ring point of the warp tube at phase a and circle index k.
Vector3 RingPoint(float a, float k) {
    const float s = static_cast<float>(0.2 * std::sin(5.0 * a));
    const float c = 0.06284f;
    const double r = 40.0 * (1.0 + 0.2 * std::cos(4.0 * a) * std::cos((3.0 * k - 40.0 * a) * c) +
                             s * std::cos((2.0 * k - 60.0 * a) * c));
    const double theta = k * 0.06283185307179587;
    return Vector3(static_cast<float>(r * std::cos(theta)), static_cast<float>(r * std::sin(theta)), 0.0f);
}

// One layer: 50 steps of four quads, each quad its own 4-vertex fan, from a camera at the origin
// with the show's projection; the tube is turned a little about a tilted axis every layer.
void Tube(benchmark::State& state, SpanPath path, int renderHeight = 480, int threads = 1) {
    Bench b(path, renderHeight, threads);
    Matrix4 projection;
    D3DXMatrixPerspective(&projection, 0.2f, 0.15f, 0.08f, 1000.0f);
    b.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    const float zs[5] = {-700, -200, 0, 200, 700};
    Mesh scratch[16];
    float a = 0.3f;
    int64_t layers = 0;
    const uint64_t before = b.device->GetPixelsDrawn();
    for (auto _ : state) {
        Matrix4 world;
        world.SetRotationAxis(Vector3(20.0f, std::sin(2 * a), std::cos(a)), 20.0f * a);
        b.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        b.device->BeginScene();
        const float e = a * 0.2f;
        const float vs[5] = {e - 0.2f, e - 0.1f, e, e + 0.1f, e + 0.2f};
        for (int k = 0; k < 100; k += 2) {
            const Vector3 P = RingPoint(a, static_cast<float>(k)), Q = RingPoint(a, static_cast<float>(k + 2));
            const float uP = 0.01f * k, uQ = 0.01f * (k + 2);
            for (int q = 0; q < 4; ++q) {
                Mesh* v = scratch + 4 * q;
                const bool first = q == 0;  // quad 1 runs Q, P, P, Q; the others P, Q, Q, P
                const Vector3& A = first ? Q : P;
                const Vector3& B = first ? P : Q;
                const float uA = first ? uQ : uP, uB = first ? uP : uQ;
                v[0] = {A.x, A.y, zs[q], 0, 0, 0, 0xFFFFFFFFu, uA, vs[q]};
                v[1] = {B.x, B.y, zs[q], 0, 0, 0, 0xFFFFFFFFu, uB, vs[q]};
                v[2] = {B.x, B.y, zs[q + 1], 0, 0, 0, 0xFFFFFFFFu, uB, vs[q + 1]};
                v[3] = {A.x, A.y, zs[q + 1], 0, 0, 0, 0xFFFFFFFFu, uA, vs[q + 1]};
                b.device->DrawPrimitive(D3DPT_TRIANGLEFAN, kFvfMeshVertex, v, 4, 0);
            }
        }
        b.device->EndScene();
        b.device->Flush();
        a += 0.01f;
        ++layers;
    }
    state.counters["layers/s"] = benchmark::Counter(static_cast<double>(layers), benchmark::Counter::kIsRate);
    state.counters["Mpixel/layer"] =
        static_cast<double>(b.device->GetPixelsDrawn() - before) / 1e6 / static_cast<double>(layers ? layers : 1);
}
BENCHMARK_CAPTURE(Tube, fast, SpanPath::Fast)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Tube, avx2, SpanPath::Avx2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Tube, plain, SpanPath::Plain)->Unit(benchmark::kMillisecond);

void TubeAt(benchmark::State& state) {
    Tube(state, SpanPath::Fast, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
}
BENCHMARK(TubeAt)->ArgsProduct({{480, 1080, 2160}, {1, 2}})->ArgNames({"height", "threads"})->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
