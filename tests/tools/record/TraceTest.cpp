// The device call trace: two frames of a small scene are traced, read back and replayed on a
// second device, which must reach the same states and draw the same vertices and pixels. (That
// tracing changes no pixel is the recorder's test, over the whole show.)
#include "ToolRun.h"
#include "TraceReader.h"
#include "TraceWriter.h"

#include "display/ScreenVertex.h"
#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"
#include "platform/device/TextureSurface.h"
#include "platform/device/VertexBuffer.h"
#include "scene/MeshVertex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>

namespace cm::record {
namespace {

// A context with a device and a memory sink, and two textures.
struct Bench {
    MemorySink sink;
    D3DXContext* context = nullptr;
    Device* device = nullptr;
    std::vector<TextureSurface*> textures;

    Bench() {
        D3DXInitialize();
        D3DXCreateContext(D3DX_DEFAULT, 0, &sink, D3DX_DEFAULT, D3DX_DEFAULT, &context);
        device = context->GetD3DDevice();
    }
    ~Bench() {
        for (TextureSurface* t : textures) t->Release();
        device->Release();
        context->Release();
        D3DXUninitialize();
    }
    TextureSurface* AddTexture(uint32_t w, uint32_t h, const std::vector<uint32_t>& texels) {
        TextureSurface* t = TextureSurface::Create(w, h);
        std::copy(texels.begin(), texels.end(), t->GetTexels());
        textures.push_back(t);
        return t;
    }
};

// Texels with a pattern, so sampling errors show.
std::vector<uint32_t> Pattern(uint32_t w, uint32_t h, uint32_t seed) {
    std::vector<uint32_t> t(size_t(w) * h);
    for (size_t i = 0; i < t.size(); ++i) t[i] = 0xFF000000u | ((uint32_t(i) * 2654435761u + seed) >> 8);
    return t;
}

// State set before tracing starts (it must reach the trace through the state dump), then two
// frames drawn with awkward float values.
struct Scene {
    TextureSurface* a = nullptr;
    TextureSurface* b = nullptr;
    VertexBuffer* buffer = nullptr;

    explicit Scene(Bench& bench) {
        a = bench.AddTexture(16, 8, Pattern(16, 8, 1));
        b = bench.AddTexture(4, 32, Pattern(4, 32, 7));
        D3DVertexBufferDesc desc;
        desc.fvf = kFvfScreenVertex;
        desc.numVertices = 6;
        buffer = VertexBuffer::Create(desc);
        void* data = nullptr;
        buffer->Lock(0, &data, nullptr);
        const ScreenVertex quad[6] = {{},
                                      {400.25f, 20.5f, 0.5f, 1.0f, 0xFF20FF40u, 0.0f, 0.0f},
                                      {630.125f, 40.0f, 0.5f, 1.0f, 0x80FFFFFFu, 1.0f, 0.0f},
                                      {610.0f, 470.1f, 0.5f, 1.0f, 0xFFFF0000u, 1.0f, 1.0f},
                                      {380.3f, 460.7f, 0.5f, 1.0f, 0xFF0000FFu, 0.0f, 1.0f},
                                      {}};
        std::memcpy(data, quad, sizeof quad);
        buffer->Unlock();
    }
    ~Scene() { buffer->Release(); }

    void Before(Device& d) const {
        d.SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
        d.SetRenderState(D3DRENDERSTATE_FOGENABLE, 1);
        d.SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, 3);  // linear
        d.SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0xFF3050A0u);
        d.SetRenderState(D3DRENDERSTATE_FOGSTART, std::bit_cast<uint32_t>(0.1f));
        d.SetRenderState(D3DRENDERSTATE_FOGEND, std::bit_cast<uint32_t>(5.5f));
        d.SetTextureStageState(0, D3DTSS_MAGFILTER, 2);
        d.SetTextureStageState(0, D3DTSS_MINFILTER, 2);
        d.SetTexture(0, a);
        Matrix4 projection;
        const float p[16] = {1.2f, 0, 0, 0, 0, 1.6f, 0, 0, 0, 0, 1.0081f, 1, 0, 0, -0.0806451f, 0};
        std::memcpy(projection.m, p, sizeof p);
        d.SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    }

    void Frame(Device& d, int n) const {
        Matrix4 view, world;
        world.SetRotationAngles(0.0f, 0.3f + 0.25f * float(n), 0.0f);
        view.SetIdentity().m[14] = 2.5f + 1e-7f * float(n);
        d.SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
        d.SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
        D3DMaterial7 material;
        material.diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
        d.SetMaterial(&material);
        d.SetRenderState(D3DRENDERSTATE_FOGSTART, std::bit_cast<uint32_t>(n == 0 ? -0.0f : 0.3333333f));
        d.SetRenderState(RenderState(0), 5);  // refused: kept as a comment only
        d.BeginScene();
        const MeshVertex tri[3] = {{{-1.0f, -0.7f, 0.1f}, {0, 0, -1}, 0xFFFFFFFFu, 0.0f, 1.0f},
                                   {{1.0f / 3.0f, 0.9f, -0.2f}, {0, 0, -1}, 0xFFC0C0C0u, 0.5f, -0.25f},
                                   {{1.1f, -0.6f, 0.3f}, {0.1f, 0.2f, -0.9f}, 0xFF8080FFu, 3.75f, 1.0f}};
        d.DrawPrimitive(D3DPT_TRIANGLELIST, kFvfMeshVertex, tri, 3, 0);
        d.EndScene();
        d.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, n == 1);
        d.SetRenderState(D3DRENDERSTATE_SRCBLEND, 5);   // source alpha
        d.SetRenderState(D3DRENDERSTATE_DESTBLEND, 6);  // inverse source alpha
        d.SetTexture(0, n == 0 ? b : nullptr);
        d.SetTextureStageState(0, D3DTSS_ADDRESS, n == 0 ? 3 : 1);
        d.BeginScene();
        d.DrawPrimitiveVB(D3DPT_TRIANGLEFAN, buffer, 1, 4, 0);
        d.EndScene();
        d.SetTexture(0, a);  // bound again: no second texture line
    }
};

// What a run drew: the frame, the states a trace carries (as bytes, so floats compare bit for
// bit, -0 included) at each present, and the vertices of every draw.
struct Drawn {
    std::vector<std::vector<uint32_t>> frames;
    std::vector<std::string> states;
    std::vector<std::vector<uint8_t>> vertices;

    void Present(Bench& bench) {
        bench.context->UpdateFrame(0);
        frames.push_back(bench.sink.frame);
        const DeviceState& s = bench.device->GetState();
        std::string bytes(reinterpret_cast<const char*>(s.renderStates), sizeof s.renderStates);
        bytes.append(reinterpret_cast<const char*>(s.stageStates), sizeof s.stageStates);
        for (const Matrix4* m : {&s.world, &s.view, &s.projection}) {
            bytes.append(reinterpret_cast<const char*>(m->m), sizeof m->m);
        }
        states.push_back(bytes);
        for (const DeviceCall& c : bench.device->GetCallRecord().Calls()) {
            if (c.result == kD3DOk && !c.vertices.empty()) vertices.push_back(c.vertices);
        }
    }
};

// Draws the two frames, tracing them into dir.
Drawn DrawTwoFrames(const std::string& dir) {
    Bench bench;
    Scene scene(bench);
    scene.Before(*bench.device);
    TraceWriter writer;
    std::string error;
    EXPECT_TRUE(writer.Open(dir, error)) << error;
    bench.device->GetCallRecord().Enable(true);
    Drawn drawn;
    for (int n = 0; n < 2; ++n) {
        writer.BeginFrame(bench.device->GetState());
        bench.context->SetClearColor(n == 0 ? 0xFF000000u : 0xFF102030u);
        bench.context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
        scene.Frame(*bench.device, n);
        writer.EndFrame(bench.context->GetClearColor(), bench.device->GetCallRecord().Calls());
        drawn.Present(bench);
        bench.device->GetCallRecord().Clear();
    }
    EXPECT_TRUE(writer.Close(error)) << error;
    return drawn;
}

// Applies a parsed trace to a fresh device.
Drawn Replay(const std::vector<TraceEntry>& entries, const std::string& dir) {
    Bench bench;
    bench.device->GetCallRecord().Enable(true);
    std::map<uint32_t, TextureSurface*> textures;
    Drawn drawn;
    Device& d = *bench.device;
    for (const TraceEntry& e : entries) {
        using K = TraceEntry::Kind;
        switch (e.kind) {
            case K::Frame: break;
            case K::Clear:
                bench.context->SetClearColor(e.a);
                bench.context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
                break;
            case K::RenderState: d.SetRenderState(RenderState(e.a), e.b); break;
            case K::StageState: d.SetTextureStageState(e.a, TextureStageState(e.b), e.c); break;
            case K::Transform: d.SetTransform(TransformState(e.a), &e.matrix); break;
            case K::Texture: {
                // Little-endian texels, as the host's.
                const std::string bytes = test::ReadText(dir + "/" + e.file);
                std::vector<uint32_t> texels(size_t(e.b) * e.c);
                EXPECT_EQ(bytes.size(), texels.size() * 4) << e.file;
                std::memcpy(texels.data(), bytes.data(), std::min(bytes.size(), texels.size() * 4));
                textures[e.a] = bench.AddTexture(e.b, e.c, texels);
                break;
            }
            case K::SetTexture: d.SetTexture(e.a, e.b == 0 ? nullptr : textures.at(e.b)); break;
            case K::Draw:
                d.BeginScene();
                d.DrawPrimitive(PrimitiveType(e.a), e.b, e.vertices.data(), e.c, 0);
                d.EndScene();
                break;
            case K::Present:
                drawn.Present(bench);
                bench.device->GetCallRecord().Clear();
                break;
        }
    }
    return drawn;
}

// State set before tracing began reaches the replay through the state dump at the start.
TEST(DeviceTrace, ReplaysToTheSameStatesVerticesAndPixels) {
    const test::ScratchDir dir;
    const Drawn drawn = DrawTwoFrames(dir.path.string());

    std::vector<TraceEntry> entries;
    std::string error;
    ASSERT_TRUE(ReadTrace(test::ReadText(dir.Path("trace.txt")), entries, error)) << error;
    const auto textureLines = std::count_if(entries.begin(), entries.end(),
                                            [](const TraceEntry& e) { return e.kind == TraceEntry::Kind::Texture; });
    EXPECT_EQ(textureLines, 2) << "each texture is written once though bound again";
    const Drawn replayed = Replay(entries, dir.path.string());
    ASSERT_EQ(replayed.frames.size(), 2u);
    EXPECT_TRUE(replayed.states == drawn.states);
    EXPECT_TRUE(replayed.vertices == drawn.vertices);
    EXPECT_TRUE(replayed.frames == drawn.frames);
}

TEST(DeviceTrace, MalformedTracesAreRefusedWithTheirLine) {
    std::vector<TraceEntry> entries;
    std::string error;
    for (const char* bad : {"frame 1\n", "rs 7\n", "rs 36 abc\n", "tss 0 1\n", "transform 1 1 2 3\n",
                            "draw 4 0x144 2\n1 2 3 1 0xFFFFFFFF 0 0\n", "draw 4 0x999 0\n", "draw 4 0x144 99999999\n",
                            "settexture 0 -1\n", "clear 0x1FFFFFFFF\n", "jump 3\n"}) {
        EXPECT_FALSE(ReadTrace(std::string("# ok\nframe\n") + bad, entries, error)) << bad;
        // The line of the fault, or for a draw cut short the line where the vertices ran out.
        EXPECT_TRUE(error.rfind("line 3:", 0) == 0 || error.rfind("line 4:", 0) == 0) << bad << ": " << error;
    }
    ASSERT_TRUE(ReadTrace("frame # a comment\n\nrs 36 -0\nrs 7 0x10\npresent\n", entries, error)) << error;
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(std::pair(entries[1].b, entries[2].b), std::pair(0x80000000u, 16u));  // -0.0f, 0x10
}

}  // namespace
}  // namespace cm::record
