// The object reader on generated files: chunk and sub-chunk rules, materials, images, coordinates.
#include "lightwave/LwoReader.h"

#include <gtest/gtest.h>

#include "LightWaveFiles.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

using test::Bytes;
using test::Name;
using test::Sub;

class LwoReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<Mesh> Load(const Bytes& bytes, SceneGraph* library = nullptr, const std::string& name = "o.lwo") {
        return reader.Load(dir.Write(name, bytes).c_str(), library, &textures);
    }
    test::ScratchDir dir;
    TextureManager textures;
    LwoReader reader;
};

TEST_F(LwoReaderTest, ChunksBecomeFacesMaterialsAndMaps) {
    const std::string early = dir.Write("early.tga", test::TinyTga()), colour = dir.Write("c.tga", test::TinyTga()),
                      reflection = dir.Write("r.tga", test::TinyTga());
    Bytes points = test::Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 5, 5, 5});
    points = test::Lwob::Join(points, Bytes{1, 2, 3, 4});  // not a whole point: skipped
    test::Lwob o;
    o.Chunk("PNTS", points)
        .Surfaces({"Hull", "Fin", "Skin"})
        .Polygons({{1, 2, 3, 4, 1}, {0, 2, 1, 2}, {0, 1, 2, 3}})
        .Surface("hULL", {Sub("COLR", {255, 51, 0, 0}), Sub("FLAG", {0x03, 0x00})})
        .Surface("Ghost", {Sub("COLR", {9, 9, 9, 0})})
        .Surface("Skin", {Sub("TIMG", Name(early)),  // before any texture: ignored
                          Sub("CTEX", Name("Planar Image Map")), Sub("TIMG", Name(colour)),
                          Sub("TSIZ", test::Floats({2, 2, 2})), Sub("TCTR", test::Floats({1, 0, 0})),
                          Sub("TFLG", {0, 0x6}),
                          Sub("DTEX", Name("Planar Image Map")), Sub("TSIZ", test::Floats({9, 9, 9})),
                          Sub("RTEX", Name("SPHERICAL image map")), Sub("RIMG", Name(reflection)),
                          Sub("TFLG", {0, 0x8})});
    Bytes file = o.Build();
    std::fill(file.begin(), file.begin() + 8, 0xEE);  // only bytes 8..11 are looked at
    std::unique_ptr<Mesh> mesh = Load(file);
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetVertexCount(), 5);
    ASSERT_EQ(mesh->GetFaceCount(), 3);
    const MeshFace* quad = mesh->GetFace(0);
    EXPECT_EQ(quad->i0 * 100 + quad->i1 * 10 + quad->i2, 123);  // first three corners, in order

    const Material* hull = quad->material;
    EXPECT_STREQ(hull->GetName(), "Hull");
    EXPECT_FLOAT_EQ(hull->GetDiffuse().g, 0.2f);
    EXPECT_EQ(hull->GetFlags(), kMaterialTwoSided | kMaterialAdditive);
    const Material* fin = mesh->GetFace(1)->material;  // no SURF: colour 1.0 of 255
    EXPECT_FLOAT_EQ(fin->GetDiffuse().r, 1.0f / 255.0f);
    EXPECT_EQ(fin->GetFlags(), 0);
    EXPECT_EQ(mesh->FindMaterial("Ghost"), nullptr);

    const MeshFace* skinned = mesh->GetFace(2);
    EXPECT_EQ(skinned->material->GetFlags(), kMaterialTextured | kMaterialSecondMap);
    const TextureMap* map = skinned->material->GetTextureMap();
    EXPECT_EQ(map->GetTexture(), textures.Find(colour.c_str()));
    EXPECT_EQ(textures.Find(early.c_str()), nullptr);
    EXPECT_EQ(map->GetAxis(), kAxisZ);  // 0x6: z over y
    EXPECT_EQ(skinned->material->GetSecondMap()->GetProjectionKind(), kProjectionSpherical);
    EXPECT_EQ(skinned->material->GetSecondMap()->GetAxis(), kAxisX);  // 0x8 alone
    // Planar along z with size 2 (not the diffuse texture's 9) about (1, 0, 0): u = (x - 1)/2 + 0.5,
    // v = 0.5 - y/2.
    EXPECT_FLOAT_EQ(skinned->uv1.u, 0.5f);
    EXPECT_FLOAT_EQ(skinned->uv1.v, 0.5f);
    EXPECT_FLOAT_EQ(skinned->uv2.v, 0.0f);
    EXPECT_FLOAT_EQ(mesh->GetVertex(3)->normal.z, -1.0f);  // normals computed
}

TEST_F(LwoReaderTest, RefusesOtherFormsAndMissingArguments) {
    EXPECT_EQ(Load(test::Square("A").Build("LWO2")), nullptr);
    EXPECT_EQ(Load(Bytes{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'L', 'W', 'O'}), nullptr);
    EXPECT_EQ(reader.Load(dir.Path("missing.lwo").c_str(), nullptr, &textures), nullptr);
    EXPECT_EQ(reader.Load(nullptr, nullptr, &textures), nullptr);
    EXPECT_EQ(reader.Load(dir.Write("a.lwo", test::Square("A").Build()).c_str(), nullptr, nullptr), nullptr);
}

TEST_F(LwoReaderTest, ImagesBesideTheObjectMissingOrUnprojected) {
    const std::string beside = dir.Write("objects/hull.tga", test::TinyTga());
    auto object = [&](const char* projection, const std::string& image) {
        test::Lwob o = test::Square("S");
        o.Surface("S", {Sub("CTEX", Name(projection)), Sub("TIMG", Name(image))});
        return Load(o.Build(), nullptr, "objects/ship.lwo");
    };
    std::unique_ptr<Mesh> mesh = object("Cubic Image Map", "C:\\work\\images\\hull.tga");
    const MeshFace* face = mesh->GetFace(0);
    ASSERT_NE(face->material->GetTextureMap(), nullptr) << "the image beside the object was not found";
    EXPECT_EQ(face->material->GetTextureMap()->GetTexture(), textures.Find(beside.c_str()));
    EXPECT_EQ(face->material->GetTextureMap()->GetProjectionKind(), kProjectionCubic);

    // Found nowhere: untextured, and the load still succeeds.
    mesh = object("Planar Image Map", "C:\\work\\images\\nowhere.tga");
    EXPECT_EQ(mesh->GetFace(0)->material->GetFlags(), 0);

    // An unknown projection computes nothing: the corners keep (0,0), (1,0), (1,1).
    mesh = object("Fractal Noise", beside);
    face = mesh->GetFace(0);
    EXPECT_EQ(face->material->GetTextureMap()->GetProjectionKind(), kProjectionUnknown);
    EXPECT_EQ(face->material->GetFlags(), kMaterialTextured);
    EXPECT_EQ(face->uv0.u + face->uv0.v + face->uv1.u + face->uv1.v + face->uv2.u + face->uv2.v, 3.0f);
    EXPECT_EQ(face->uv1.u, 1.0f);
    EXPECT_EQ(face->uv2.v, 1.0f);
}

TEST_F(LwoReaderTest, MaterialsAreSharedByNameThroughTheLibrary) {
    test::Lwob red = test::Square("Paint"), blue = test::Square("PAINT");
    red.Surface("Paint", {Sub("COLR", {255, 0, 0, 0})});
    blue.Surface("PAINT", {Sub("COLR", {0, 0, 255, 0})});
    SceneGraph library;
    std::unique_ptr<Mesh> first = Load(red.Build(), &library, "red.lwo");
    std::unique_ptr<Mesh> second = Load(blue.Build(), &library, "blue.lwo");
    EXPECT_EQ(library.GetMaterialCount(), 1);
    EXPECT_EQ(first->GetMaterialCount(), 0);
    EXPECT_EQ(second->GetFace(0)->material, first->GetFace(0)->material);
    EXPECT_FLOAT_EQ(second->GetFace(0)->material->GetDiffuse().r, 1.0f);  // the first object decided

    std::unique_ptr<Mesh> own = Load(blue.Build(), nullptr, "blue.lwo");
    ASSERT_EQ(own->GetMaterialCount(), 1);
    EXPECT_FLOAT_EQ(own->GetFace(0)->material->GetDiffuse().b, 1.0f);
}

}  // namespace
}  // namespace cm
