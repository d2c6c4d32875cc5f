// What the scene's drawing passes hand to the device, read from the device's call record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/DeviceRecordTest.h"
#include "resources/Texture.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

class DrawTest : public test::DeviceRecordTest {
protected:
    void Forget() { device->GetCallRecord().Clear(); }
    // The record of applying the material, alone.
    std::string Applied(Material& material) {
        Forget();
        material.Apply();
        return Record();
    }

    // The record as one line of words: begin, end, world, view, proj, rs<state>=<value>, mat,
    // tex (a surface) or notex, draw<type>x<count>.
    std::string Record() {
        std::string out;
        for (const DeviceCall& c : Calls()) {
            if (!out.empty()) out += ' ';
            switch (c.method) {
                case DeviceMethod::BeginScene: out += "begin"; break;
                case DeviceMethod::EndScene: out += "end"; break;
                case DeviceMethod::SetTransform: out += c.a == 1 ? "world" : c.a == 2 ? "view" : "proj"; break;
                case DeviceMethod::SetRenderState: out += "rs" + std::to_string(c.a) + "=" + std::to_string(c.b); break;
                case DeviceMethod::SetMaterial: out += "mat"; break;
                case DeviceMethod::SetTexture: out += c.pointer ? "tex" : "notex"; break;
                case DeviceMethod::DrawPrimitive: out += "draw" + std::to_string(c.a) + "x" + std::to_string(c.c); break;
                default: out += "other"; break;
            }
        }
        return out;
    }

    // Corner i of the n-th draw call.
    MeshVertex Corner(size_t n, int i) { return VertexAt<MeshVertex>(Calls(DeviceMethod::DrawPrimitive).at(n), size_t(i)); }
};

// Apply: material, culling, blending, stage-0 texture.
const std::string kApplyPlain = "mat rs22=3 rs27=0 notex";
const std::string kApplyGlow = "mat rs22=1 rs19=2 rs20=2 rs27=1 notex";

TEST_F(DrawTest, ApplySetsMaterialCullingBlendingAndStageZeroTextureOnly) {
    Material plain;
    EXPECT_EQ(Applied(plain), kApplyPlain);

    // Flag 0x8 with a map that holds no texture: nothing stale stays bound.
    Material glow;
    glow.SetFlags(0x288);
    glow.SetTextureMap(glow.AdoptMap(std::make_unique<TextureMap>()));
    EXPECT_EQ(Applied(glow), kApplyGlow);

    // A loaded texture goes to stage 0 only with flag 0x8; stage states stay untouched.
    Texture texture;
    ASSERT_TRUE(texture.Create(4, 4));
    glow.GetTextureMap()->AttachTexture(&texture);
    EXPECT_EQ(Applied(glow), "mat rs22=1 rs19=2 rs20=2 rs27=1 tex");
    EXPECT_EQ(Calls().back().pointer, texture.GetSurface());
    glow.SetFlags(0x280);
    EXPECT_EQ(Applied(glow), kApplyGlow);
}

TEST_F(DrawTest, DrawMeshDrawsEachFaceAndAppliesAMaterialOncePerRun) {
    // Four faces over vertices whose u, v differ from every face's; materials a, a, b, a.
    Mesh mesh;
    Material a, b;
    mesh.SetVertexCount(4);
    mesh.SetFaceCount(4);
    for (int i = 0; i < 4; ++i) *mesh.GetVertex(i) = MeshVertex{{float(i), 0, 1}, {}, 0xff000000u, 10.0f + i, 20.0f + i};
    a.SetDiffuse(Color4(1.0f, 0.5f, 0.0f, 1.0f));
    b.SetDiffuse(Color4(0.0f, 0.0f, 1.0f, 1.0f));
    b.SetFlags(0x280 | 0x400);
    Material* order[4] = {&a, &a, &b, &a};
    for (int i = 0; i < 4; ++i) *mesh.GetFace(i) = MeshFace{0, 2, 3, {0.25f, 0.5f}, {1, 0}, {1, 1}, order[i]};
    mesh.matrix[12] = 7;

    SceneGraph g;
    g.DrawMesh(&mesh);
    EXPECT_EQ(Record(), "world begin " + kApplyPlain + " draw4x3 draw4x3 " + kApplyGlow + " draw4x3 " + kApplyPlain +
                            " draw4x3 end");
    EXPECT_EQ(Calls()[0].matrix[12], 7.0f);
    EXPECT_EQ(Calls()[6].b, kMeshVertexFormat);

    // Diffuse (1, 0.5, 0, 1) packed on every corner, with the face's u, v.
    EXPECT_EQ(Corner(0, 2).diffuse, 0xffff7f00u);
    EXPECT_EQ(Corner(0, 0).v, 0.5f);
    EXPECT_EQ(Corner(0, 1).u, 1.0f);
    EXPECT_EQ(Corner(0, 1).position.x, 2.0f);
    // Flag 0x400: the vertices' own u, v.
    EXPECT_EQ(Corner(2, 0).diffuse, 0xff0000ffu);
    EXPECT_EQ(Corner(2, 2).v, 23.0f);
    EXPECT_EQ(mesh.GetVertex(0)->diffuse, 0xff000000u);  // the mesh itself is untouched

    // Faces that cannot be drawn safely are skipped instead of read past the vertex array.
    mesh.GetFace(1)->i2 = 4;
    mesh.GetFace(2)->i0 = -1;
    mesh.GetFace(3)->material = nullptr;
    Forget();
    g.DrawMesh(&mesh);
    EXPECT_EQ(Record(), "world begin " + kApplyPlain + " draw4x3 end");
}

Matrix4 g_seenView;
int g_callbacks = 0;
void DeformBeforeDraw(Mesh* mesh, const Matrix4* view) {
    g_seenView = *view;
    ++g_callbacks;
    mesh->GetVertex(0)->position.y = 5.0f;
}

// A camera looking at a helper, and one mesh of one face.
struct RenderScene {
    SceneGraph g;
    Camera* camera = new Camera;
    HelperNode* target = new HelperNode;
    Mesh* mesh = new Mesh;
    Material* material = new Material;
    RenderScene() {
        for (SceneNode* n : std::initializer_list<SceneNode*>{camera, target, mesh}) g.AddRoot(n);
        g.AddCamera(camera);
        g.AddHelper(target);
        g.AddMesh(mesh);
        g.AddMaterial(material);
        camera->SetTarget(target);
        camera->position = Vector3(0, 0, -10);
        mesh->SetVertexCount(3);
        mesh->SetFaceCount(1);
        *mesh->GetFace(0) = MeshFace{0, 1, 2, {}, {}, {}, material};
        mesh->position = Vector3(1, 0, 0);
    }
};

TEST_F(DrawTest, RenderSetsUpTheViewThenDrawsMeshesThenFlaresWithFogOff) {
    RenderScene s;
    auto* flare = new LensFlare;
    s.g.AddFlare(flare);
    s.g.AddRoot(flare);
    flare->AttachMaterial(s.material);
    flare->position = Vector3(0, 3, 0);
    s.mesh->SetDrawCallback(DeformBeforeDraw);
    g_callbacks = 0;
    Forget();

    ASSERT_TRUE(s.g.Render(0.0f));
    const std::string record = Record();
    EXPECT_EQ(record.rfind("proj view rs7=1 rs136=1 rs137=0 world begin " + kApplyPlain + " draw4x3 end rs28=0 begin", 0),
              0u)
        << record;
    EXPECT_FLOAT_EQ(Calls()[0].matrix[0], 0.8f);  // near 0.08 over half the 0.2 window
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Calls()[1].matrix[i], s.camera->matrix[i]);
    EXPECT_EQ(Calls()[5].matrix[12], 1.0f);  // the mesh's animated world matrix

    // The callback ran once, before the draw, with the camera's view matrix.
    EXPECT_EQ(g_callbacks, 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(g_seenView[i], s.camera->matrix[i]);
    EXPECT_EQ(Corner(0, 0).position.y, 5.0f);
    // The flare's billboard: the camera's orientation at the flare's own position.
    for (int i = 0; i < 12; ++i) EXPECT_EQ(flare->GetBillboard()[i], s.camera->inverseMatrix[i]);
    EXPECT_EQ(flare->GetBillboard()[13], 3.0f);
}

TEST_F(DrawTest, RenderFlagsChooseDepthAndLightingAndNoCameraDrawsNothing) {
    const std::pair<int32_t, std::string> cases[] = {
        {0, "proj view rs7=0 rs136=1 rs137=0 world"},
        {2, "proj view rs7=0 rs136=1 rs137=1 rs9=2 world"},
        {3, "proj view rs7=1 rs136=1 rs137=1 rs9=2 world"},
    };
    for (const auto& [flags, start] : cases) {
        RenderScene s;
        s.g.SetRenderFlags(flags);
        Forget();
        ASSERT_TRUE(s.g.Render(0.0f));
        EXPECT_EQ(Record().rfind(start, 0), 0u) << Record();
    }

    SceneGraph g;
    auto* mesh = new Mesh;
    g.AddMesh(mesh);
    g.AddRoot(mesh);
    mesh->position = Vector3(4, 0, 0);
    Forget();
    EXPECT_FALSE(g.Render(0.0f));
    EXPECT_EQ(Record(), "");
    EXPECT_EQ(mesh->matrix[12], 0.0f);
}

TEST_F(DrawTest, FlareDrawsAnAdditiveQuadInTheCamerasPlane) {
    Material m;
    m.SetFlags(0x200);
    m.SetDiffuse(Color4(1, 1, 1, 1));
    LensFlare flare;
    EXPECT_FALSE(flare.SetSize(0.0f));
    EXPECT_TRUE(flare.SetSize(0.06f));
    flare.Draw();  // without a material: no call at all
    EXPECT_EQ(Record(), "");

    flare.AttachMaterial(&m);
    flare.matrix[12] = 1, flare.matrix[13] = 2, flare.matrix[14] = 3;
    EXPECT_FALSE(flare.Update(nullptr));
    ASSERT_TRUE(flare.Update(&kIdentityMatrix));
    flare.Draw();
    EXPECT_EQ(Record(), "begin mat rs22=1 rs27=0 notex rs137=0 rs19=2 rs20=2 rs27=1 rs14=0 world draw6x4 rs14=1 end");

    // Corners in world space run (0.94, 1.94, 3) to (1.06, 2.06, 3), counter-clockwise.
    const Matrix4& world = Calls()[10].matrix;
    const float cx[4] = {0.94f, 1.06f, 1.06f, 0.94f}, cy[4] = {1.94f, 1.94f, 2.06f, 2.06f};
    for (int i = 0; i < 4; ++i) {
        const MeshVertex v = Corner(0, i);
        EXPECT_NEAR(v.position.x + world[12], cx[i], 1e-6f) << i;
        EXPECT_NEAR(v.position.y + world[13], cy[i], 1e-6f) << i;
        EXPECT_EQ(v.position.z + world[14], 3.0f);
        EXPECT_EQ(v.u, cx[i] > 1 ? 1.0f : 0.0f);
        EXPECT_EQ(v.v, cy[i] > 2 ? 1.0f : 0.0f);
        EXPECT_EQ(v.diffuse, 0xffffffffu);
    }
}

}  // namespace
}  // namespace cm
