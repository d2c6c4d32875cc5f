// What the scene's drawing passes hand to the device, read from the device's call record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/DisplayDevice.h"  // its Window member needs the full type below
#include "platform/window/Window.h"
#include "display/Registry.h"
#include "platform/device/Device.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.CreateHeadless(640, 480, 0, "scene test", nullptr));
        device = GetDevice();
        ASSERT_NE(device, nullptr);
        device->GetCallRecord().Enable(true);
    }
    void TearDown() override { display.Destroy(); }

    const std::vector<DeviceCall>& Calls() { return device->GetCallRecord().Calls(); }
    void Forget() { device->GetCallRecord().Clear(); }

    // The record as short words, for comparing call sequences at a glance:
    // "begin", "end", "world"/"view"/"proj", "rs <state> <value>", "mat", "tex <surface|null>",
    // "draw <type> <count>".
    std::vector<std::string> Words() {
        std::vector<std::string> out;
        for (const DeviceCall& c : Calls()) {
            switch (c.method) {
                case DeviceMethod::BeginScene: out.push_back("begin"); break;
                case DeviceMethod::EndScene: out.push_back("end"); break;
                case DeviceMethod::SetTransform:
                    out.push_back(c.a == D3DTRANSFORMSTATE_WORLD ? "world" : c.a == D3DTRANSFORMSTATE_VIEW ? "view" : "proj");
                    break;
                case DeviceMethod::SetRenderState:
                    out.push_back("rs " + std::to_string(c.a) + " " + std::to_string(c.b));
                    break;
                case DeviceMethod::SetMaterial: out.push_back("mat"); break;
                case DeviceMethod::SetTexture: out.push_back(c.pointer ? "tex surface" : "tex null"); break;
                case DeviceMethod::DrawPrimitive:
                    out.push_back("draw " + std::to_string(c.a) + " " + std::to_string(c.c));
                    break;
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

    static MeshVertex Vertex(const DeviceCall& draw, int i) {
        MeshVertex v;
        std::memcpy(&v, draw.vertices.data() + sizeof(MeshVertex) * i, sizeof v);
        return v;
    }

    DisplayDevice display;
    Device* device = nullptr;
};

// Apply's words for a material: culling, blending, texture.
const std::vector<std::string> kApplyDefault = {"mat", "rs 22 3", "rs 27 0", "tex null"};
const std::vector<std::string> kApplyTwoSidedAdditive = {"mat", "rs 22 1", "rs 19 2", "rs 20 2", "rs 27 1", "tex null"};

TEST_F(DrawTest, ApplySetsMaterialCullingBlendingAndStageZeroTextureOnly) {
    Material plain;
    EXPECT_EQ(plain.GetFlags(), 1);
    plain.Apply();
    EXPECT_EQ(Words(), kApplyDefault);
    ASSERT_TRUE(Calls()[0].hasData);
    const D3DMaterial7& m = Calls()[0].material;
    EXPECT_EQ(m.diffuse.r, 0.5f);
    EXPECT_EQ(m.diffuse.a, 1.0f);
    EXPECT_EQ(m.emissive.g, 1.0f);
    EXPECT_EQ(m.ambient.a, 1.0f);
    EXPECT_EQ(m.specular.a, 0.0f);

    // Textured flag without a loaded map: nothing to bind, and no stale texture stays bound.
    Forget();
    Material glow;
    glow.SetFlags(0x288);
    glow.SetTextureMap(glow.AdoptMap(std::make_unique<TextureMap>()));
    glow.Apply();
    EXPECT_EQ(Words(), kApplyTwoSidedAdditive);
}

// A mesh of four faces over four vertices whose u, v differ from every face's.
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
            f->i0 = 0, f->i1 = i == 3 ? 1 : 2, f->i2 = 3;
            f->uv0 = {0.25f, 0.5f};
            f->material = order[i];
        }
        mesh.matrix[12] = 7;
    }
};

TEST_F(DrawTest, DrawMeshAppliesAMaterialOnceForARunOfFaces) {
    SceneGraph g;
    QuadMesh q;
    g.DrawMesh(&q.mesh);
    std::vector<std::string> expected = {"world", "begin"};
    expected.insert(expected.end(), kApplyDefault.begin(), kApplyDefault.end());
    expected.insert(expected.end(), {"draw 4 3", "draw 4 3"});
    expected.insert(expected.end(), kApplyTwoSidedAdditive.begin(), kApplyTwoSidedAdditive.end());
    expected.push_back("draw 4 3");
    expected.insert(expected.end(), kApplyDefault.begin(), kApplyDefault.end());
    expected.insert(expected.end(), {"draw 4 3", "end"});
    EXPECT_EQ(Words(), expected);
    EXPECT_EQ(Calls()[0].matrix[12], 7.0f);
    for (const DeviceCall* d : Draws()) {
        EXPECT_EQ(d->b, kMeshVertexFormat);
        EXPECT_EQ(d->d, 0u);
    }
}

TEST_F(DrawTest, DrawMeshPacksDiffuseAndChoosesTextureCoordinates) {
    SceneGraph g;
    QuadMesh q;
    g.DrawMesh(&q.mesh);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 4u);

    // Face material a: diffuse (1, 0.5, 0, 1) on every corner, the face's u, v.
    const MeshVertex f0c0 = Vertex(*draws[0], 0), f0c1 = Vertex(*draws[0], 1), f0c2 = Vertex(*draws[0], 2);
    EXPECT_EQ(f0c0.diffuse, 0xffff7f00u);
    EXPECT_EQ(f0c2.diffuse, 0xffff7f00u);
    EXPECT_EQ(f0c0.u, 0.25f);
    EXPECT_EQ(f0c0.v, 0.5f);
    EXPECT_EQ(f0c1.u, 1.0f);
    EXPECT_EQ(f0c1.v, 0.0f);
    EXPECT_EQ(f0c2.u, 1.0f);
    EXPECT_EQ(f0c2.v, 1.0f);
    EXPECT_EQ(f0c1.position.x, 2.0f);
    EXPECT_EQ(f0c2.position.x, 3.0f);

    // Material b keeps the vertices' own u, v (flag 0x400).
    const MeshVertex f2c0 = Vertex(*draws[2], 0), f2c2 = Vertex(*draws[2], 2);
    EXPECT_EQ(f2c0.diffuse, 0xff0000ffu);
    EXPECT_EQ(f2c0.u, 10.0f);
    EXPECT_EQ(f2c0.v, 20.0f);
    EXPECT_EQ(f2c2.u, 13.0f);

    // The mesh itself is left as it was.
    EXPECT_EQ(q.mesh.GetVertex(0)->diffuse, 0xff000000u);
    EXPECT_EQ(q.mesh.GetVertex(0)->u, 10.0f);
}

TEST_F(DrawTest, DrawMeshSkipsFacesItCannotDrawSafely) {
    SceneGraph g;
    QuadMesh q;
    q.mesh.GetFace(1)->i2 = 4;  // one past the last vertex
    q.mesh.GetFace(2)->i0 = -1;
    q.mesh.GetFace(3)->material = nullptr;
    g.DrawMesh(&q.mesh);
    EXPECT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Words().back(), "end");
    Forget();
    g.DrawMesh(nullptr);
    EXPECT_TRUE(Calls().empty());
}

void RecordView(Mesh* mesh, const Matrix4* view);
Matrix4 g_seenView;
Mesh* g_seenMesh = nullptr;
int g_callbacks = 0;
void RecordView(Mesh* mesh, const Matrix4* view) {
    g_seenMesh = mesh;
    g_seenView = *view;
    ++g_callbacks;
    // What a deformer does: move a vertex just before the draw.
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
        camera->SetTarget(target);
        camera->position = Vector3(0, 0, -10);
        for (SceneNode* n : {static_cast<SceneNode*>(camera), static_cast<SceneNode*>(target), static_cast<SceneNode*>(mesh)}) {
            g.AddRoot(n);
        }
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
    s.mesh->SetDrawCallback(RecordView);
    g_callbacks = 0;

    device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
    Forget();
    ASSERT_TRUE(s.g.Render(0.0f));
    const std::vector<std::string> words = Words();
    const std::vector<std::string> setup = {"proj", "view", "rs 7 1", "rs 136 1", "rs 137 0", "world", "begin"};
    ASSERT_GE(words.size(), setup.size());
    EXPECT_EQ(std::vector<std::string>(words.begin(), words.begin() + 7), setup);

    // Projection for near 0.08, far 1000; view from the first camera.
    EXPECT_FLOAT_EQ(Calls()[0].matrix[0], 0.8f);
    EXPECT_NEAR(Calls()[0].matrix[5], 1.0666667f, 1e-5f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Calls()[1].matrix[i], s.camera->matrix[i]);
    EXPECT_EQ(Calls()[5].matrix[12], 1.0f);  // the mesh's animated world matrix

    // The callback ran once, before the draw, with the camera's view matrix.
    EXPECT_EQ(g_callbacks, 1);
    EXPECT_EQ(g_seenMesh, s.mesh);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(g_seenView[i], s.camera->matrix[i]);
    EXPECT_EQ(Vertex(*Draws()[0], 0).position.y, 5.0f);

    // Fog off after the meshes, before the flare's own scene.
    const auto fogOff = std::find(words.begin(), words.end(), "rs 28 0");
    ASSERT_NE(fogOff, words.end());
    EXPECT_EQ(std::find(fogOff, words.end(), "draw 4 3"), words.end());
    EXPECT_NE(std::find(fogOff, words.end(), "draw 6 4"), words.end());
    uint32_t fog = 1;
    device->GetRenderState(D3DRENDERSTATE_FOGENABLE, &fog);
    EXPECT_EQ(fog, 0u);

    // The flare was updated from the camera-to-world matrix: its billboard carries the camera's
    // orientation and its own position.
    const Matrix4& bb = flare->GetBillboard();
    for (int i = 0; i < 12; ++i) EXPECT_EQ(bb[i], s.camera->inverseMatrix[i]);
    EXPECT_EQ(bb[13], 3.0f);
}

TEST_F(DrawTest, RenderFlagsChooseDepthAndLighting) {
    struct Case {
        int32_t flags;
        std::vector<std::string> states;
    };
    const Case cases[] = {
        {0, {"rs 7 0", "rs 136 1", "rs 137 0"}},
        {1, {"rs 7 1", "rs 136 1", "rs 137 0"}},
        {2, {"rs 7 0", "rs 136 1", "rs 137 1", "rs 9 2"}},
        {3, {"rs 7 1", "rs 136 1", "rs 137 1", "rs 9 2"}},
    };
    for (const Case& c : cases) {
        RenderScene s;
        s.g.SetRenderFlags(c.flags);
        Forget();
        ASSERT_TRUE(s.g.Render(0.0f));
        const auto words = Words();
        ASSERT_GT(words.size(), 2 + c.states.size());
        EXPECT_EQ(std::vector<std::string>(words.begin() + 2, words.begin() + 2 + static_cast<long>(c.states.size())),
                  c.states)
            << "flags " << c.flags;
    }
}

TEST_F(DrawTest, RenderWithoutACameraDoesNothing) {
    SceneGraph g;
    auto* mesh = new Mesh;
    g.AddMesh(mesh);
    g.AddRoot(mesh);
    mesh->position = Vector3(4, 0, 0);
    EXPECT_FALSE(g.Render(0.0f));
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(mesh->matrix[12], 0.0f);
}

TEST_F(DrawTest, FlareDrawsACameraFacingAdditiveQuad) {
    Material m;
    m.SetFlags(0x200);
    m.SetDiffuse(Color4(1, 1, 1, 1));
    LensFlare flare;
    EXPECT_FALSE(flare.SetSize(0.0f));
    EXPECT_FALSE(flare.SetSize(-1.0f));
    EXPECT_EQ(flare.GetSize(), 1.0f);
    EXPECT_TRUE(flare.SetSize(0.06f));

    // Without a material nothing is drawn and no state changes.
    flare.Draw();
    EXPECT_TRUE(Calls().empty());

    flare.AttachMaterial(&m);
    flare.matrix.SetIdentity();
    flare.matrix[12] = 1, flare.matrix[13] = 2, flare.matrix[14] = 3;
    EXPECT_FALSE(flare.Update(nullptr));
    ASSERT_TRUE(flare.Update(&kIdentityMatrix));
    flare.Draw();
    const std::vector<std::string> expected = {"begin", "mat", "rs 22 1", "rs 27 0", "tex null", "rs 137 0",
                                               "rs 19 2", "rs 20 2", "rs 27 1", "rs 14 0", "world", "draw 6 4",
                                               "rs 14 1", "end"};
    EXPECT_EQ(Words(), expected);

    // Corners in world space: the quad's object-space corners through the billboard.
    const DeviceCall& world = Calls()[10];
    const DeviceCall& draw = Calls()[11];
    const float cx[4] = {0.94f, 1.06f, 1.06f, 0.94f}, cy[4] = {1.94f, 1.94f, 2.06f, 2.06f};
    const float cu[4] = {0, 1, 1, 0}, cv[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        const MeshVertex v = Vertex(draw, i);
        EXPECT_NEAR(v.position.x + world.matrix[12], cx[i], 1e-6f) << i;
        EXPECT_NEAR(v.position.y + world.matrix[13], cy[i], 1e-6f) << i;
        EXPECT_EQ(v.position.z + world.matrix[14], 3.0f);
        EXPECT_EQ(v.u, cu[i]);
        EXPECT_EQ(v.v, cv[i]);
        EXPECT_EQ(v.diffuse, 0xffffffffu);
        EXPECT_EQ(v.normal.x + v.normal.y + v.normal.z, 0.0f);
    }
    uint32_t zwrite = 0, lighting = 1;
    device->GetRenderState(D3DRENDERSTATE_ZWRITEENABLE, &zwrite);
    device->GetRenderState(D3DRENDERSTATE_LIGHTING, &lighting);
    EXPECT_EQ(zwrite, 1u);
    EXPECT_EQ(lighting, 0u);
}

}  // namespace
}  // namespace cm
