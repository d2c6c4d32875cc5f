// The object reader on generated files: chunk and sub-chunk rules, materials, image look-up and
// texture coordinates.
#include "lightwave/LwoReader.h"

#include <gtest/gtest.h>

#include "LightWaveFiles.h"
#include "resources/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

using test::Bytes;
using test::Lwob;
using test::Sub;

class LwoReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<Mesh> Load(const Bytes& bytes, SceneGraph* library = nullptr, const std::string& name = "obj.lwo") {
        return reader.Load(dir.Write(name, bytes).c_str(), library, &textures);
    }
    static Bytes Colour(int r, int g, int b) {
        return Bytes{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 0};
    }
    test::ScratchDir dir;
    TextureManager textures;
    LwoReader reader;
};

TEST_F(LwoReaderTest, OnlyTheFormTypeAtOffsetEightDecides) {
    Bytes file = test::SquareObject("A").Build();
    for (int i = 0; i < 8; ++i) file[static_cast<size_t>(i)] = 0xEE;
    EXPECT_NE(Load(file), nullptr);

    EXPECT_EQ(Load(test::SquareObject("A").Build("LWO2")), nullptr);
    EXPECT_EQ(Load(Bytes{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'L', 'W', 'O'}), nullptr);
    EXPECT_EQ(reader.Load(dir.Path("missing.lwo").c_str(), nullptr, &textures), nullptr);
    EXPECT_EQ(reader.Load(nullptr, nullptr, &textures), nullptr);
    EXPECT_EQ(reader.Load(dir.Write("a.lwo", test::SquareObject("A").Build()).c_str(), nullptr, nullptr), nullptr);
}

TEST_F(LwoReaderTest, PointsAndTheFirstThreeCornersOfEachPolygon) {
    // 40 bytes of points: three points and four bytes that are no point.
    Bytes points;
    for (float f : {0.f, 0.f, 0.f, 2.f, 0.f, 0.f, 2.f, 2.f, 0.f}) test::PutF32(points, f);
    points.insert(points.end(), {1, 2, 3, 4});
    Lwob threePoints;
    threePoints.Chunk("PNTS", points).Surfaces({"S"}).Polygons({{0, 1, 2, 1}});
    std::unique_ptr<Mesh> mesh = Load(threePoints.Build());
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetVertexCount(), 3);
    EXPECT_EQ(mesh->GetVertex(2)->position.x, 2.0f);
    EXPECT_EQ(mesh->GetVertex(2)->position.y, 2.0f);
    // Normals are computed: the triangle faces -z in this winding.
    EXPECT_FLOAT_EQ(mesh->GetVertex(0)->normal.z, -1.0f);

    Lwob quad;
    quad.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 5, 5, 5}).Surfaces({"S"}).Polygons({{1, 2, 3, 4, 1}});
    mesh = Load(quad.Build());
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetFaceCount(), 1);
    const MeshFace* face = mesh->GetFace(0);
    EXPECT_EQ(face->i0, 1);
    EXPECT_EQ(face->i1, 2);
    EXPECT_EQ(face->i2, 3);
}

TEST_F(LwoReaderTest, SurfacesMatchByNameIgnoringCase) {
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0})
        .Surfaces({"Hull", "Fin"})
        .Polygons({{0, 1, 2, 1}, {0, 2, 1, 2}})
        .Surface("hULL", {Sub("COLR", Colour(255, 51, 0)), Sub("FLAG", test::U16Data(0x0300))})
        .Surface("Ghost", {Sub("COLR", Colour(9, 9, 9))});
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetFaceCount(), 2);
    ASSERT_EQ(mesh->GetMaterialCount(), 2);

    const Material* hull = mesh->GetFace(0)->material;
    EXPECT_STREQ(hull->GetName(), "Hull");
    EXPECT_FLOAT_EQ(hull->GetDiffuse().r, 1.0f);
    EXPECT_FLOAT_EQ(hull->GetDiffuse().g, 0.2f);
    EXPECT_FLOAT_EQ(hull->GetDiffuse().b, 0.0f);
    // Double sided and additive surface flags; nothing else, not even the constructor's 1.
    EXPECT_EQ(hull->GetFlags(), kMaterialTwoSided | kMaterialAdditive);

    // No SURF for Fin (the unlisted Ghost went nowhere): the starting colour 1.0 of 255.
    const Material* fin = mesh->GetFace(1)->material;
    EXPECT_STREQ(fin->GetName(), "Fin");
    EXPECT_FLOAT_EQ(fin->GetDiffuse().r, 1.0f / 255.0f);
    EXPECT_FLOAT_EQ(fin->GetDiffuse().b, 1.0f / 255.0f);
    EXPECT_EQ(fin->GetFlags(), 0);
    EXPECT_EQ(mesh->FindMaterial("Ghost"), nullptr);
}

TEST_F(LwoReaderTest, TextureSubChunksFillTheLatestTexture) {
    const std::string colourImage = dir.Write("colour.tga", test::TinyTga());
    const std::string earlyImage = dir.Write("early.tga", test::TinyTga());
    const std::string reflectionImage = dir.Write("reflection.tga", test::TinyTga());
    Lwob o = test::SquareObject("Skin");
    o.Surface("Skin", {Sub("TIMG", test::NameData(earlyImage)),  // no texture yet: ignored
                       Sub("CTEX", test::NameData("Planar Image Map")), Sub("TIMG", test::NameData(colourImage)),
                       Sub("TSIZ", test::VectorData(2, 2, 2)), Sub("TFLG", test::U16Data(0x6)),
                       Sub("DTEX", test::NameData("Planar Image Map")),
                       Sub("TSIZ", test::VectorData(9, 9, 9)),  // the dropped diffuse texture's
                       Sub("RTEX", test::NameData("spherical image map")),
                       Sub("RIMG", test::NameData(reflectionImage)), Sub("TFLG", test::U16Data(0x8)),
                       Sub("TCTR", test::VectorData(0, 0, 1))});
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    const Material* skin = mesh->GetFace(0)->material;
    EXPECT_EQ(skin->GetFlags(), kMaterialTextured | kMaterialSecondMap);

    const TextureMap* colour = skin->GetTextureMap();
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->GetTexture(), textures.Find(colourImage.c_str()));
    EXPECT_EQ(textures.Find(earlyImage.c_str()), nullptr);
    EXPECT_EQ(colour->GetProjectionKind(), kProjectionPlanar);
    EXPECT_EQ(colour->GetAxis(), kAxisZ);  // 0x6: z wins over y
    Vector3 size;
    colour->GetSize(size);
    EXPECT_EQ(size.x, 2.0f);

    const TextureMap* reflection = skin->GetSecondMap();
    ASSERT_NE(reflection, nullptr);
    EXPECT_EQ(reflection->GetProjectionKind(), kProjectionSpherical);
    EXPECT_EQ(reflection->GetAxis(), kAxisX);  // 0x8 alone keeps x
    Vector3 centre;
    reflection->GetCentre(centre);
    EXPECT_EQ(centre.z, 1.0f);

    // Planar along z, size 2: u = x / 2 + 0.5, v = 0.5 - y / 2 at each corner of (0,1,2).
    const MeshFace* face = mesh->GetFace(0);
    EXPECT_FLOAT_EQ(face->uv0.u, 0.5f);
    EXPECT_FLOAT_EQ(face->uv0.v, 0.5f);
    EXPECT_FLOAT_EQ(face->uv1.u, 1.0f);
    EXPECT_FLOAT_EQ(face->uv1.v, 0.5f);
    EXPECT_FLOAT_EQ(face->uv2.u, 1.0f);
    EXPECT_FLOAT_EQ(face->uv2.v, 0.0f);
}

TEST_F(LwoReaderTest, ProjectionNamesAndAxisFlags) {
    EXPECT_EQ(ProjectionKindFromName("PLANAR IMAGE MAP"), kProjectionPlanar);
    EXPECT_EQ(ProjectionKindFromName("Spherical Image Map"), kProjectionSpherical);
    EXPECT_EQ(ProjectionKindFromName("Cubic Image Map"), kProjectionCubic);
    EXPECT_EQ(ProjectionKindFromName("Cylindrical Image Map"), kProjectionCylindrical);
    EXPECT_EQ(ProjectionKindFromName("Planar Image"), kProjectionUnknown);
    EXPECT_EQ(ProjectionKindFromName(""), kProjectionUnknown);
    EXPECT_EQ(AxisFromTextureFlags(0), kAxisX);
    EXPECT_EQ(AxisFromTextureFlags(0x3), kAxisY);
    EXPECT_EQ(AxisFromTextureFlags(0x5), kAxisZ);
    EXPECT_EQ(AxisFromTextureFlags(0xFFF8), kAxisX);
}

TEST_F(LwoReaderTest, ImagesAreFoundBesideTheObjectOrNotAtAll) {
    dir.Write("objects/hull.tga", test::TinyTga());
    Lwob found = test::SquareObject("Hull");
    found.Surface("Hull", {Sub("CTEX", test::NameData("Planar Image Map")),
                           Sub("TIMG", test::NameData("C:\\work\\images\\hull.tga"))});
    std::unique_ptr<Mesh> mesh = Load(found.Build(), nullptr, "objects/ship.lwo");
    ASSERT_NE(mesh, nullptr);
    const TextureMap* map = mesh->GetFace(0)->material->GetTextureMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->GetTexture(), textures.Find(dir.Path("objects/hull.tga").c_str()));

    // Missing under both names: the load succeeds, untextured, with the default coordinates.
    Lwob missing = test::SquareObject("Bare");
    missing.Surface("Bare", {Sub("CTEX", test::NameData("Planar Image Map")),
                             Sub("TIMG", test::NameData("C:\\work\\images\\nowhere.tga"))});
    mesh = Load(missing.Build(), nullptr, "objects/bare.lwo");
    ASSERT_NE(mesh, nullptr);
    const MeshFace* face = mesh->GetFace(0);
    EXPECT_EQ(face->material->GetFlags() & kMaterialTextured, 0);
    EXPECT_EQ(face->material->GetTextureMap(), nullptr);
    EXPECT_EQ(face->uv1.u, 1.0f);
    EXPECT_EQ(face->uv1.v, 0.0f);
}

TEST_F(LwoReaderTest, AnUnrecognisedProjectionKeepsTheFaceDefaults) {
    const std::string image = dir.Write("img.tga", test::TinyTga());
    Lwob o = test::SquareObject("Odd");
    o.Surface("Odd", {Sub("CTEX", test::NameData("Fractal Noise")), Sub("TIMG", test::NameData(image))});
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    const MeshFace* face = mesh->GetFace(0);
    EXPECT_EQ(face->material->GetTextureMap()->GetProjectionKind(), kProjectionUnknown);
    EXPECT_NE(face->material->GetFlags() & kMaterialTextured, 0);
    EXPECT_EQ(face->uv0.u, 0.0f);
    EXPECT_EQ(face->uv0.v, 0.0f);
    EXPECT_EQ(face->uv1.u, 1.0f);
    EXPECT_EQ(face->uv1.v, 0.0f);
    EXPECT_EQ(face->uv2.u, 1.0f);
    EXPECT_EQ(face->uv2.v, 1.0f);
}

TEST_F(LwoReaderTest, MaterialsAreSharedByNameThroughTheLibrary) {
    Lwob red = test::SquareObject("Paint");
    red.Surface("Paint", {Sub("COLR", Colour(255, 0, 0))});
    Lwob blue = test::SquareObject("PAINT");
    blue.Surface("PAINT", {Sub("COLR", Colour(0, 0, 255))});

    SceneGraph library;
    std::unique_ptr<Mesh> first = Load(red.Build(), &library, "red.lwo");
    std::unique_ptr<Mesh> second = Load(blue.Build(), &library, "blue.lwo");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(library.GetMaterialCount(), 1);
    EXPECT_EQ(first->GetMaterialCount(), 0);
    EXPECT_EQ(first->GetFace(0)->material, second->GetFace(0)->material);
    EXPECT_FLOAT_EQ(second->GetFace(0)->material->GetDiffuse().r, 1.0f);  // the first object's colour

    // Without a library each mesh keeps its own.
    std::unique_ptr<Mesh> own = Load(blue.Build(), nullptr, "blue.lwo");
    ASSERT_EQ(own->GetMaterialCount(), 1);
    EXPECT_EQ(own->GetFace(0)->material, own->GetMaterial(0));
    EXPECT_FLOAT_EQ(own->GetFace(0)->material->GetDiffuse().b, 1.0f);
}

}  // namespace
}  // namespace cm
