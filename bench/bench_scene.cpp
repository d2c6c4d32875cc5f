// bench-deps: cm_scene cm_display
// The per-frame work of a scene: the animation pass (channels and matrices of every node) and
// DrawMesh's one draw call per triangle, measured headless on the software device.
#include <benchmark/benchmark.h>

#include "display/DisplayDevice.h"
#include "scene/SceneGraph.h"

namespace {

// A chain-free scene of n helpers, each with three 3-value channels of 30 keys.
void BuildAnimated(cm::SceneGraph& g, int n) {
    for (int i = 0; i < n; ++i) {
        auto* h = new cm::HelperNode;
        g.AddHelper(h);
        g.AddRoot(h);
        cm::KeyChannel* channels[3];
        for (cm::KeyChannel*& c : channels) {
            c = new cm::KeyChannel;
            c->Init(3);
            for (int k = 0; k < 30; ++k) {
                cm::ChannelKey* key = c->NewKey();
                key->time = static_cast<float>(k * 10);
                key->values = {static_cast<float>(k), static_cast<float>(i), 1.0f};
                c->InsertKey(key);
            }
            g.AddChannel(c);
        }
        h->SetPositionChannel(channels[0]);
        h->SetRotationChannel(channels[1]);
        h->SetScaleChannel(channels[2]);
    }
}

void BM_Animate(benchmark::State& state) {
    cm::SceneGraph g;
    BuildAnimated(g, static_cast<int>(state.range(0)));
    float t = 0.0f;
    for (auto _ : state) {
        g.Animate(t);
        t = t > 290.0f ? 0.0f : t + 0.7f;
        benchmark::ClobberMemory();
    }
    state.counters["nodes/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Animate)->Arg(50)->Arg(400);

// DrawMesh's own cost per triangle: material changes, vertex copies and the device calls.
void BM_DrawMesh(benchmark::State& state) {
    cm::DisplayDevice display;
    if (!display.CreateHeadless(640, 480, 0, "bench", nullptr)) {
        state.SkipWithError("no headless device");
        return;
    }
    const int faces = static_cast<int>(state.range(0));
    cm::Mesh mesh;
    cm::Material a, b;
    mesh.SetVertexCount(faces + 2);
    mesh.SetFaceCount(faces);
    for (int i = 0; i < faces + 2; ++i) {
        mesh.GetVertex(i)->position = cm::Vector3(static_cast<float>(i % 7) * 0.01f, static_cast<float>(i % 5) * 0.01f, 1.0f);
    }
    for (int i = 0; i < faces; ++i) {
        cm::MeshFace* f = mesh.GetFace(i);
        f->i0 = i, f->i1 = i + 1, f->i2 = i + 2;
        f->material = (i / 16) % 2 ? &a : &b;  // runs of 16 faces per material
    }
    cm::SceneGraph g;
    for (auto _ : state) g.DrawMesh(&mesh);
    state.counters["draws/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * faces), benchmark::Counter::kIsRate);
    display.Destroy();
}
BENCHMARK(BM_DrawMesh)->Arg(1000);

}  // namespace
