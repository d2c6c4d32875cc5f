// What the scene's drawing passes hand to the device, read from the device's call record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "display/DisplayDevice.h"  // its Window member needs the full type below
#include "display/Registry.h"
#include "platform/device/Device.h"
#include "platform/window/Window.h"
#include "resources/Texture.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

using Words = std::vector<std::string>;

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.CreateHeadless(640, 480, 0, "scene test", nullptr));
        device = GetDevice();
        device->GetCallRecord().Enable(true);
    }
    void TearDown() override { display.Destroy(); }

    const std::vector<DeviceCall>& Calls() { return device->GetCallRecord().Calls(); }
    void Forget() { device->GetCallRecord().Clear(); }

    // The record as short words: "begin", "end", "world"/"view"/"proj", "rs <state> <value>",
    // "mat", "tex <surface|null>", "draw <type> <count>".
    Words Record() {
        Words out;
        for (const DeviceCall& c : Calls()) {
            switch (c.method) {
                case DeviceMethod::BeginScene: out.push_back("begin"); break;
                case DeviceMethod::EndScene: out.push_back("end"); break;
                case DeviceMethod::SetTransform: out.push_back(c.a == 1 ? "world" : c.a == 2 ? "view" : "proj"); break;
                case DeviceMethod::SetRenderState: out.push_back("rs " + std::to_string(c.a) + " " + std::to_string(c.b)); break;
                case DeviceMethod::SetMaterial: out.push_back("mat"); break;
                case DeviceMethod::SetTexture: out.push_back(c.pointer ? "tex surface" : "tex null"); break;
                case DeviceMethod::DrawPrimitive: out.push_back("draw " + std::to_string(c.a) + " " + std::to_string(c.c)); break;
                default: out.push_back("other"); break;
            }
        }
        return out;
    }

    std::vector<const DeviceCall*> Draws() {
        std::vector<const DeviceCall*> out;
        for (const DeviceCall& c : Calls()) {
            if (c.method == DeviceMethod::DrawPrimitive) out.push_back(&c);
        }
        return out;
    }

    static MeshVertex Vertex(const DeviceCall* draw, int i) {
        MeshVertex v;
        std::memcpy(&v, draw->vertices.data() + sizeof(MeshVertex) * i, sizeof v);
        return v;
    }

    DisplayDevice display;
    Device* device = nullptr;
};

Words Join(std::initializer_list<Words> parts) {
    Words all;
    for (const Words& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Apply's words: material, culling, blending, stage-0 texture.
const Words kApplyDefault = {"mat", "rs 22 3", "rs 27 0", "tex null"};
const Words kApplyTwoSidedAdditive = {"mat", "rs 22 1", "rs 19 2", "rs 20 2", "rs 27 1", "tex null"};

TEST_F(DrawTest, ApplySetsMaterialCullingBlendingAndStageZeroTextureOnly) {
    Material plain;
    plain.Apply();
    EXPECT_EQ(Record(), kApplyDefault);
    const D3DMaterial7& m = Calls()[0].material;
    EXPECT_EQ(m.diffuse.r, 0.5f);
    EXPECT_EQ(m.emissive.g, 1.0f);
    EXPECT_EQ(m.ambient.a, 1.0f);
    EXPECT_EQ(m.specular.a, 0.0f);

    // Textured flag with a map that holds no texture: nothing stale stays bound.
    Forget();
    Material glow;
    glow.SetFlags(0x288);
    glow.SetTextureMap(glow.AdoptMap(std::make_unique<TextureMap>()));
    glow.Apply();
    EXPECT_EQ(Record(), kApplyTwoSidedAdditive);

    // With a loaded texture its surface goes to stage 0, and the stage states stay untouched.
    Texture texture;
    ASSERT_TRUE(texture.Create(4, 4));
    glow.GetTextureMap()->AttachTexture(&texture);
    Forget();
    glow.Apply();
    Words bound = kApplyTwoSidedAdditive;
    bound.back() = "tex surface";
    EXPECT_EQ(Record(), bound);
    EXPECT_EQ(Calls().back().pointer, texture.GetSurface());
    glow.SetFlags(0x280);  // the map stays, but without flag 0x8 nothing is bound
    Forget();
    glow.Apply();
    EXPECT_EQ(Record().back(), "tex null");
}

// Four faces over four vertices whose u, v differ from every face's; materials a, a, b, a.
struct QuadMesh {
    Mesh mesh;
    Material a, b;
    QuadMesh() {
        mesh.SetVertexCount(4);
        mesh.SetFaceCount(4);
        for (int i = 0; i < 4; ++i) {
            MeshVertex* v = mesh.GetVertex(i);
            v->position = Vector3(static_cast<float>(i), 0, 1);
            v->u = 10.0f + i;
            v->v = 20.0f + i;
        }
        a.SetDiffuse(Color4(1.0f, 0.5f, 0.0f, 1.0f));
        b.SetDiffuse(Color4(0.0f, 0.0f, 1.0f, 1.0f));
        b.SetFlags(0x200 | 0x80 | 0x400);
        Material* order[4] = {&a, &a, &b, &a};
        for (int i = 0; i < 4; ++i) {
            MeshFace* f = mesh.GetFace(i);
            f->i0 = 0, f->i1 = 2, f->i2 = 3;
            f->uv0 = {0.25f, 0.5f};
            f->material = order[i];
        }
        mesh.matrix[12] = 7;
    }
};

TEST_F(DrawTest, DrawMeshDrawsEachFaceAndAppliesAMaterialOncePerRun) {
    SceneGraph g;
    QuadMesh q;
    g.DrawMesh(&q.mesh);
    EXPECT_EQ(Record(), Join({{"world", "begin"}, kApplyDefault, {"draw 4 3", "draw 4 3"}, kApplyTwoSidedAdditive,
                              {"draw 4 3"}, kApplyDefault, {"draw 4 3", "end"}}));
    EXPECT_EQ(Calls()[0].matrix[12], 7.0f);
    const auto draws = Draws();
    EXPECT_EQ(draws[0]->b, kMeshVertexFormat);

    // Material a: diffuse (1, 0.5, 0, 1) packed on every corner, the face's u, v.
    const MeshVertex c0 = Vertex(draws[0], 0), c1 = Vertex(draws[0], 1), c2 = Vertex(draws[0], 2);
    EXPECT_EQ(c0.diffuse, 0xffff7f00u);
    EXPECT_EQ(c2.diffuse, 0xffff7f00u);
    EXPECT_EQ(c0.u, 0.25f);
    EXPECT_EQ(c0.v, 0.5f);
    EXPECT_EQ(c1.u, 1.0f);
    EXPECT_EQ(c1.v, 0.0f);
    EXPECT_EQ(c2.v, 1.0f);
    EXPECT_EQ(c1.position.x, 2.0f);
    // Material b has flag 0x400: the vertices' own u, v.
    EXPECT_EQ(Vertex(draws[2], 0).diffuse, 0xff0000ffu);
    EXPECT_EQ(Vertex(draws[2], 0).u, 10.0f);
    EXPECT_EQ(Vertex(draws[2], 2).v, 23.0f);
    EXPECT_EQ(q.mesh.GetVertex(0)->diffuse, 0xff000000u);  // the mesh itself is untouched

    // Faces that cannot be drawn safely are skipped, not read past the vertex array.
    Forget();
    q.mesh.GetFace(1)->i2 = 4;
    q.mesh.GetFace(2)->i0 = -1;
    q.mesh.GetFace(3)->material = nullptr;
    g.DrawMesh(&q.mesh);
    EXPECT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Record().back(), "end");
}

Matrix4 g_seenView;
int g_callbacks = 0;
void DeformBeforeDraw(Mesh* mesh, const Matrix4* view) {
    g_seenView = *view;
    ++g_callbacks;
    mesh->GetVertex(0)->position.y = 5.0f;
}

struct RenderScene {
    SceneGraph g;
    Camera* camera = new Camera;
    HelperNode* target = new HelperNode;
    Mesh* mesh = new Mesh;
    Material* material = new Material;
    RenderScene() {
        g.AddCamera(camera);
        g.AddHelper(target);
        g.AddMesh(mesh);
        g.AddMaterial(material);
        for (SceneNode* n : {static_cast<SceneNode*>(camera), static_cast<SceneNode*>(target), static_cast<SceneNode*>(mesh)}) {
            g.AddRoot(n);
        }
        camera->SetTarget(target);
        camera->position = Vector3(0, 0, -10);
        mesh->SetVertexCount(3);
        mesh->SetFaceCount(1);
        mesh->GetFace(0)->i1 = 1;
        mesh->GetFace(0)->i2 = 2;
        mesh->GetFace(0)->material = material;
        mesh->position = Vector3(1, 0, 0);
    }
};

TEST_F(DrawTest, RenderSetsUpTheViewThenDrawsMeshesThenFlaresWithFogOff) {
    RenderScene s;
    auto* flare = new LensFlare;
    auto* flareMaterial = new Material;
    flareMaterial->SetFlags(0x288);
    flare->AttachMaterial(flareMaterial);
    s.g.AddMaterial(flareMaterial);
    s.g.AddFlare(flare);
    s.g.AddRoot(flare);
    flare->position = Vector3(0, 3, 0);
    s.mesh->SetDrawCallback(DeformBeforeDraw);
    g_callbacks = 0;
    device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
    Forget();

    ASSERT_TRUE(s.g.Render(0.0f));
    const Words words = Record();
    const Words setup = {"proj", "view", "rs 7 1", "rs 136 1", "rs 137 0", "world", "begin"};
    ASSERT_GE(words.size(), setup.size());
    EXPECT_EQ(Words(words.begin(), words.begin() + 7), setup);
    EXPECT_FLOAT_EQ(Calls()[0].matrix[0], 0.8f);  // near 0.08 over half the 0.2 window
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Calls()[1].matrix[i], s.camera->matrix[i]);
    EXPECT_EQ(Calls()[5].matrix[12], 1.0f);  // the mesh's animated world matrix

    // The callback ran once, before the draw, with the camera's view matrix.
    EXPECT_EQ(g_callbacks, 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(g_seenView[i], s.camera->matrix[i]);
    EXPECT_EQ(Vertex(Draws()[0], 0).position.y, 5.0f);

    // Fog goes off after the meshes and before the flare's quad.
    const auto fogOff = std::find(words.begin(), words.end(), "rs 28 0");
    ASSERT_NE(fogOff, words.end());
    EXPECT_EQ(std::find(fogOff, words.end(), "draw 4 3"), words.end());
    EXPECT_NE(std::find(fogOff, words.end(), "draw 6 4"), words.end());
    // The flare's billboard: the camera's orientation at the flare's own position.
    for (int i = 0; i < 12; ++i) EXPECT_EQ(flare->GetBillboard()[i], s.camera->inverseMatrix[i]);
    EXPECT_EQ(flare->GetBillboard()[13], 3.0f);
}

TEST_F(DrawTest, RenderFlagsChooseDepthAndLightingAndNoCameraDrawsNothing) {
    const std::pair<int32_t, Words> cases[] = {
        {0, {"rs 7 0", "rs 136 1", "rs 137 0"}},
        {2, {"rs 7 0", "rs 136 1", "rs 137 1", "rs 9 2"}},
        {3, {"rs 7 1", "rs 136 1", "rs 137 1", "rs 9 2"}},
    };
    for (const auto& [flags, states] : cases) {
        RenderScene s;
        s.g.SetRenderFlags(flags);
        Forget();
        ASSERT_TRUE(s.g.Render(0.0f));
        const Words words = Record();
        EXPECT_EQ(Words(words.begin() + 2, words.begin() + 2 + static_cast<long>(states.size())), states) << flags;
    }

    SceneGraph g;
    auto* mesh = new Mesh;
    g.AddMesh(mesh);
    g.AddRoot(mesh);
    mesh->position = Vector3(4, 0, 0);
    Forget();
    EXPECT_FALSE(g.Render(0.0f));
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(mesh->matrix[12], 0.0f);
}

TEST_F(DrawTest, FlareDrawsAnAdditiveQuadInTheCamerasPlane) {
    Material m;
    m.SetFlags(0x200);
    m.SetDiffuse(Color4(1, 1, 1, 1));
    LensFlare flare;
    EXPECT_FALSE(flare.SetSize(0.0f));
    EXPECT_FALSE(flare.SetSize(-1.0f));
    EXPECT_TRUE(flare.SetSize(0.06f));
    flare.Draw();  // without a material: no call at all
    EXPECT_TRUE(Calls().empty());

    flare.AttachMaterial(&m);
    flare.matrix[12] = 1, flare.matrix[13] = 2, flare.matrix[14] = 3;
    EXPECT_FALSE(flare.Update(nullptr));
    ASSERT_TRUE(flare.Update(&kIdentityMatrix));
    flare.Draw();
    EXPECT_EQ(Record(), Join({{"begin"}, {"mat", "rs 22 1", "rs 27 0", "tex null"},
                              {"rs 137 0", "rs 19 2", "rs 20 2", "rs 27 1", "rs 14 0", "world", "draw 6 4", "rs 14 1", "end"}}));

    // Corners in world space run (0.94, 1.94, 3) to (1.06, 2.06, 3), counter-clockwise.
    const DeviceCall& world = Calls()[10];
    const float cx[4] = {0.94f, 1.06f, 1.06f, 0.94f}, cy[4] = {1.94f, 1.94f, 2.06f, 2.06f};
    for (int i = 0; i < 4; ++i) {
        const MeshVertex v = Vertex(Draws()[0], i);
        EXPECT_NEAR(v.position.x + world.matrix[12], cx[i], 1e-6f) << i;
        EXPECT_NEAR(v.position.y + world.matrix[13], cy[i], 1e-6f) << i;
        EXPECT_EQ(v.position.z + world.matrix[14], 3.0f);
        EXPECT_EQ(v.u, cx[i] > 1 ? 1.0f : 0.0f);
        EXPECT_EQ(v.v, cy[i] > 2 ? 1.0f : 0.0f);
        EXPECT_EQ(v.diffuse, 0xffffffffu);
    }
}

TEST_F(DrawTest, FlareIsCulledUnlessItsMaterialIsTwoSided) {
    RenderObject states;
    states.SetProjection(0.08f, 1000.0f);
    states.SetViewMatrix(&kIdentityMatrix);
    Material m;
    m.SetDiffuse(Color4(1, 1, 1, 1));
    LensFlare flare;
    flare.AttachMaterial(&m);
    flare.matrix[14] = 1;  // one unit ahead of an identity camera
    ASSERT_TRUE(flare.Update(&kIdentityMatrix));
    for (const auto& [flags, visible] : {std::pair{0x200, true}, std::pair{0, false}, std::pair{0x288, true}}) {
        m.SetFlags(flags);
        const uint64_t before = device->GetPixelsDrawn();
        flare.Draw();
        EXPECT_EQ(device->GetPixelsDrawn() > before, visible) << flags;
    }
}

}  // namespace
}  // namespace cm
