// The object reader on generated files: chunk and sub-chunk rules, materials, images, coordinates;
// and damaged ones, each refused or clamped with a safe result, never read out of bounds.
#include "lightwave/LwoReader.h"

#include <gtest/gtest.h>

#include <array>

#include "LightWaveFiles.h"
#include "common/Files.h"
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
    // The red of the object's first face, 0..255; -1 when it has none.
    float Red(const test::Lwob& o) {
        std::unique_ptr<Mesh> mesh = Load(o.Build());
        return mesh && mesh->GetFaceCount() > 0 ? mesh->GetFace(0)->material->GetDiffuse().r * 255.0f : -1.0f;
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
    ASSERT_EQ(std::pair(mesh->GetVertexCount(), mesh->GetFaceCount()), std::pair(5, 3));
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
    EXPECT_EQ((std::array{face->uv0.u, face->uv0.v, face->uv1.u, face->uv1.v, face->uv2.u, face->uv2.v}),
              (std::array{0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f}));
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

using LwoDamageTest = LwoReaderTest;

TEST_F(LwoDamageTest, LengthsPastTheirContainerEndTheWalkThere) {
    // SURF chunks claiming more than is left, one of them so much that a 32-bit end would wrap
    // back into the file: the square loads as it stood before them.
    for (long long length : {1000LL, 0xFFFFFFF8LL}) {
        test::Lwob o = test::Square("S");
        EXPECT_EQ(Red(o.Chunk("SURF", Name("S"), length)), 1.0f);
    }
    const Bytes cut = test::Lwob::Join(test::Square("S").Build(), Bytes{'P', 'N', 'T'});  // header cut short
    EXPECT_EQ(Load(cut)->GetFaceCount(), 1);

    // A sub-chunk past its chunk's end: COLR before it counts, the FLAG in it does not; fields
    // longer than their own sub-chunk are not read at all.
    test::Lwob sub = test::Square("S");
    sub.Surface("S", {Sub("COLR", {200, 0, 0, 0}), Sub("FLAG", {1, 0}, 200)});
    EXPECT_EQ(Red(sub), 200.0f);
    EXPECT_EQ(Load(sub.Build())->GetFace(0)->material->GetFlags(), 0);
    test::Lwob fields = test::Square("S");
    EXPECT_EQ(Red(fields.Surface("S", {Sub("COLR", {7}), Sub("TSIZ", {1, 2})})), 1.0f);

    // A POLS polygon cut by the chunk end keeps those before it. (PNTS keeps whole points only:
    // ChunksBecomeFacesMaterialsAndMaps.)
    test::Lwob cutPolygon;
    cutPolygon.Points({0, 0, 0, 1, 0, 0, 1, 1, 0}).Surfaces({"S"});
    Bytes good = {0, 3, 0, 0, 0, 1, 0, 2, 0, 1, 0, 4, 0, 0};  // (0,1,2) on 1, then 4 corners cut off
    EXPECT_EQ(Load(cutPolygon.Chunk("POLS", good).Build())->GetFaceCount(), 1);
}

TEST_F(LwoDamageTest, NamesWithoutNulAreRefusedAndLongOnesCut) {
    // SRFS: "B" runs into the chunk end, so only surface 1 exists and surface 2 is no surface.
    test::Lwob srfs;
    srfs.Points({0, 0, 0, 1, 0, 0, 0, 1, 0}).Chunk("SRFS", {'A', 0, 'B', 'B'}).Polygons({{0, 1, 2, 2}, {0, 1, 2, 1}});
    std::unique_ptr<Mesh> mesh = Load(srfs.Build());
    ASSERT_EQ(mesh->GetFaceCount(), 1);
    EXPECT_STREQ(mesh->GetFace(0)->material->GetName(), "A");
    // SURF with an unterminated name is skipped whole; so is an unterminated image name.
    test::Lwob surf = test::Square("S");
    EXPECT_EQ(Red(surf.Chunk("SURF", {'S', 'C', 'O', 'L', 'R'})), 1.0f);
    const std::string image = dir.Write("img.tga", test::TinyTga());
    test::Lwob timg = test::Square("S");
    timg.Surface("S", {Sub("CTEX", Name("Planar Image Map")), Sub("TIMG", Bytes(image.begin(), image.end()))});
    EXPECT_EQ(Load(timg.Build())->GetFace(0)->material->GetTextureMap(), nullptr);

    // Over 511 characters: cut there, in SRFS and SURF alike, so they still match.
    const std::string longName(700, 'n');
    test::Lwob named = test::Square(longName);
    named.Surface(longName, {Sub("COLR", {255, 0, 0, 0})});
    mesh = Load(named.Build());
    EXPECT_EQ(std::string(mesh->GetFace(0)->material->GetName()), longName.substr(0, 511));
    EXPECT_EQ(mesh->GetFace(0)->material->GetDiffuse().r, 1.0f);
}

TEST_F(LwoDamageTest, PolygonsThatCannotBeTrianglesGiveNoFace) {
    test::Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0})
        .Surfaces({"S"})
        .Polygons({{1}, {0, 1}, {0, 1, 1},  // no corner, a point, a line
                   {0, 1, 4, 1},           // index 4 of 4 points
                   {0, 1, 2, 3, 9, 1},     // a bad fifth corner spoils the polygon too
                   {0, 1, 2, 0}, {0, 1, 2, 2},  // surface 0; surface 2 of 1
                   {3, 2, 1, 1}});         // the one sound polygon, still read in step
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_EQ(mesh->GetFaceCount(), 1);
    EXPECT_EQ(mesh->GetFace(0)->i0, 3);
    EXPECT_EQ(reader.GetDamage().size(), 7u);

    // A negative surface number: the detail polygons after their count become faces of their own.
    // (0,1,2) on surface -1, one detail polygon (1,2,3) on 2, then (0,2,3) on 1.
    Bytes pols;
    for (uint32_t v : {3u, 0u, 1u, 2u, 0xFFFFu, 1u, 3u, 1u, 2u, 3u, 2u, 3u, 0u, 2u, 3u, 1u}) test::PutU16(pols, v);
    test::Lwob withDetail;
    withDetail.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}).Surfaces({"Base", "Decal"}).Chunk("POLS", pols);
    mesh = Load(withDetail.Build());
    ASSERT_EQ(mesh->GetFaceCount(), 3);
    EXPECT_STREQ(mesh->GetFace(0)->material->GetName(), "Base");
    EXPECT_STREQ(mesh->GetFace(1)->material->GetName(), "Decal");
    EXPECT_STREQ(mesh->GetFace(2)->material->GetName(), "Base");

    // Points and no polygon: a mesh that draws nothing.
    test::Lwob bare;
    mesh = Load(bare.Points({0, 0, 0, 1, 0, 0, 1, 1, 0}).Surfaces({"S"}).Build());
    EXPECT_EQ(mesh->GetVertexCount(), 3);
    EXPECT_EQ(mesh->GetFaceCount(), 0);
}

// LightWave files from public projects, and what each one yields.
using RealObjects = LwoReaderTest;

TEST_F(RealObjects, EveryLwobLoadsWithAllItsPolygonsAndOtherFormsAreRefused) {
    // Every polygon of these files has three or more corners in range: one face each.
    struct {
        const char* file;
        int vertices, faces, materials;
        const char* firstMaterial;
        float red;  // of the first material, 0..255
    } const yields[] = {
        {"lwo/ConcavePolygon.lwo", 64, 1, 1, "test_Smoothing", 36},  // one polygon of 66 corners
        {"lwo/bluewithcylindrictexz.lwo", 8, 6, 1, "Test", 0},
        {"lwo/box0.5.lwo", 8, 6, 1, "Default", 200},
        {"lwo/box3-uv-layers_LWOB.lwo", 798, 864, 1, "Left", 255},
        {"lwo/formatDetection.lwo", 24, 1, 1, "Default", 200},
        {"lwo/penguin.lwo", 296, 616, 4, "Sininen", 0},
        {"lwo/sphere_with_mat_gloss_10pc.lwo", 266, 288, 1, "Default", 255},
        {"lws/ballcone/greenball.lwo", 266, 528, 1, "green", 0},
        {"lws/ballcone/redcone.lwo", 26, 48, 1, "red", 200},
    };
    for (const auto& y : yields) {
        SCOPED_TRACE(y.file);
        std::unique_ptr<Mesh> mesh = reader.Load(test::SamplePath(y.file).c_str(), nullptr, &textures);
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(std::pair(mesh->GetVertexCount(), mesh->GetFaceCount()), std::pair(y.vertices, y.faces));
        ASSERT_EQ(mesh->GetMaterialCount(), y.materials);
        EXPECT_STREQ(mesh->GetMaterial(0)->GetName(), y.firstMaterial);
        EXPECT_FLOAT_EQ(mesh->GetMaterial(0)->GetDiffuse().r * 255.0f, y.red);
    }
    // Other forms, a short form, a missing file and missing arguments are refused.
    for (const char* file : {"lwo/box0_LWO3.lwo", "lwo/boxuv.lwo", "lws/move_x/simple_cube.lwo"})
        EXPECT_EQ(reader.Load(test::SamplePath(file).c_str(), nullptr, &textures), nullptr) << file;
    EXPECT_EQ(Load(Bytes{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'L', 'W', 'O'}), nullptr);
    EXPECT_EQ(reader.Load(dir.Path("missing.lwo").c_str(), nullptr, &textures), nullptr);
    EXPECT_EQ(reader.Load(nullptr, nullptr, &textures), nullptr);
    EXPECT_EQ(reader.Load(dir.Write("a.lwo", test::Square("A").Build()).c_str(), nullptr, nullptr), nullptr);
}

}  // namespace
}  // namespace cm
