// Damaged object files: each is refused or clamped with a safe result, never read out of bounds.
#include "lightwave/LwoReader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "LightWaveFiles.h"
#include "resources/TextureManager.h"
#include "scene/Mesh.h"

namespace cm {
namespace {

using test::Bytes;
using test::Lwob;
using test::Sub;

class LwoDamageTest : public ::testing::Test {
protected:
    std::unique_ptr<Mesh> Load(const Bytes& bytes) { return reader.LoadBytes(bytes, "mem.lwo", nullptr, &textures); }
    // Whatever loaded must be drawable as it stands: indices in range, a material on every face,
    // finite coordinates.
    static void ExpectDrawable(const Mesh& mesh) {
        Mesh& m = const_cast<Mesh&>(mesh);
        for (int32_t k = 0; k < m.GetFaceCount(); ++k) {
            const MeshFace* f = m.GetFace(k);
            ASSERT_TRUE(m.FaceInRange(*f));
            ASSERT_NE(f->material, nullptr);
            for (const FaceUV& uv : {f->uv0, f->uv1, f->uv2}) {
                ASSERT_TRUE(std::isfinite(uv.u) && std::isfinite(uv.v));
            }
        }
        for (int32_t i = 0; i < m.GetVertexCount(); ++i) {
            const Vector3& p = m.GetVertex(i)->position;
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
        }
    }
    static Bytes Raw(std::initializer_list<uint8_t> bytes) { return Bytes(bytes); }

    test::ScratchDir dir;
    TextureManager textures;
    LwoReader reader;
};

TEST_F(LwoDamageTest, AChunkOverrunningTheFileEndsTheWalk) {
    // A SURF chunk claiming far more than is left, and one whose length would wrap a 32-bit end
    // back into the file: the square loads as it was before them.
    for (long long length : {1000LL, 0xFFFFFFF8LL}) {
        Lwob o = test::SquareObject("S");
        o.Chunk("SURF", Raw({'S', 0, 'C', 'O', 'L', 'R', 0, 4, 9, 9, 9, 0}), length);
        std::unique_ptr<Mesh> mesh = Load(o.Build());
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->GetFaceCount(), 1);
        EXPECT_FLOAT_EQ(mesh->GetFace(0)->material->GetDiffuse().r, 1.0f / 255.0f);
        EXPECT_FALSE(reader.GetDamage().empty());
    }
    // A chunk header cut short by the end of the file.
    Bytes file = test::SquareObject("S").Build();
    file.insert(file.end(), {'P', 'N', 'T'});
    ASSERT_NE(Load(file), nullptr);
}

TEST_F(LwoDamageTest, ASubChunkOverrunningItsChunkEndsTheSurface) {
    Lwob o = test::SquareObject("S");
    o.Surface("S", {Sub("COLR", Raw({255, 0, 0, 0})), Raw({'F', 'L', 'A', 'G', 0, 200, 1, 0})});
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_FLOAT_EQ(mesh->GetFace(0)->material->GetDiffuse().r, 1.0f);
    EXPECT_EQ(mesh->GetFace(0)->material->GetFlags(), 0);

    // Fields longer than their sub-chunk are not read past it.
    Lwob shortFields = test::SquareObject("S");
    shortFields.Surface("S", {Sub("COLR", Raw({7})), Sub("TSIZ", Raw({1, 2})), Sub("FLAG", Raw({1}))});
    mesh = Load(shortFields.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_FLOAT_EQ(mesh->GetFace(0)->material->GetDiffuse().r, 1.0f / 255.0f);
}

TEST_F(LwoDamageTest, PointChunksKeepWholePointsOnly) {
    Bytes eleven(11, 0), twentyFive(25, 0);
    Lwob none;
    none.Chunk("PNTS", eleven).Surfaces({"S"}).Polygons({{0, 0, 0, 1}});
    std::unique_ptr<Mesh> mesh = Load(none.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetVertexCount(), 0);
    EXPECT_EQ(mesh->GetFaceCount(), 0);

    Lwob two;
    two.Chunk("PNTS", twentyFive);
    mesh = Load(two.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetVertexCount(), 2);

    // Non-finite coordinates read as 0.
    Lwob nan;
    nan.Points({NAN, INFINITY, 1});
    mesh = Load(nan.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetVertex(0)->position.x, 0.0f);
    EXPECT_EQ(mesh->GetVertex(0)->position.y, 0.0f);
    EXPECT_EQ(mesh->GetVertex(0)->position.z, 1.0f);
}

TEST_F(LwoDamageTest, NamesWithoutTheirNulAreRefused) {
    // SRFS: "A" and then "B" running into the chunk end; only A exists, so surface 2 is no surface.
    Lwob srfs;
    srfs.Points({0, 0, 0, 1, 0, 0, 0, 1, 0}).Chunk("SRFS", Raw({'A', 0, 'B', 'B'})).Polygons({{0, 1, 2, 2}, {0, 1, 2, 1}});
    std::unique_ptr<Mesh> mesh = Load(srfs.Build());
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetFaceCount(), 1);
    EXPECT_STREQ(mesh->GetFace(0)->material->GetName(), "A");

    // SURF whose name runs to the chunk end: skipped whole.
    Lwob surf = test::SquareObject("S");
    surf.Chunk("SURF", Raw({'S', 'C', 'O', 'L', 'R'}));
    mesh = Load(surf.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_FLOAT_EQ(mesh->GetFace(0)->material->GetDiffuse().r, 1.0f / 255.0f);

    // An image name without NUL names no image, even when a file of the cut name exists.
    const std::string image = dir.Write("img.tga", test::TinyTga());
    Bytes unterminated(image.begin(), image.end());
    Lwob timg = test::SquareObject("S");
    timg.Surface("S", {Sub("CTEX", test::NameData("Planar Image Map")), Sub("TIMG", unterminated)});
    mesh = Load(timg.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetFace(0)->material->GetTextureMap(), nullptr);
}

TEST_F(LwoDamageTest, PolygonsThatCannotBeTrianglesGiveNoFace) {
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0})
        .Surfaces({"S"})
        .Polygons({{1},                // no corner, only a surface number
                   {0, 1},             // a point
                   {0, 1, 1},          // a line
                   {0, 1, 4, 1},       // index 4 of 4 points
                   {0, 1, 2, 3, 9, 1}, // a bad fifth corner spoils the polygon too
                   {0, 1, 2, 0},       // surface 0
                   {0, 1, 2, 2},       // surface 2 of 1
                   {3, 2, 1, 1}});     // the only sound one, still read in step after the others
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetFaceCount(), 1);
    EXPECT_EQ(mesh->GetFace(0)->i0, 3);
    EXPECT_EQ(mesh->GetFace(0)->i2, 1);
    EXPECT_EQ(reader.GetDamage().size(), 7u);

    // A polygon cut short by the chunk end: the polygons before it stay.
    Bytes pols;
    test::PutU16(pols, 3), test::PutU16(pols, 0), test::PutU16(pols, 1), test::PutU16(pols, 2), test::PutU16(pols, 1);
    test::PutU16(pols, 4), test::PutU16(pols, 0);
    Lwob cut;
    cut.Points({0, 0, 0, 1, 0, 0, 1, 1, 0}).Surfaces({"S"}).Chunk("POLS", pols);
    mesh = Load(cut.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetFaceCount(), 1);
}

TEST_F(LwoDamageTest, ANegativeSurfaceIsFollowedByDetailPolygons) {
    // Polygon (0,1,2) on surface -1 with one detail polygon (1,2,3) on surface 2; then (0,2,3).
    Bytes pols;
    for (uint32_t v : {3u, 0u, 1u, 2u, 0xFFFFu, 1u, 3u, 1u, 2u, 3u, 2u, 3u, 0u, 2u, 3u, 1u}) test::PutU16(pols, v);
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}).Surfaces({"Base", "Decal"}).Chunk("POLS", pols);
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetFaceCount(), 3);
    EXPECT_STREQ(mesh->GetFace(0)->material->GetName(), "Base");
    EXPECT_STREQ(mesh->GetFace(1)->material->GetName(), "Decal");
    EXPECT_EQ(mesh->GetFace(1)->i0, 1);
    EXPECT_STREQ(mesh->GetFace(2)->material->GetName(), "Base");
    EXPECT_EQ(mesh->GetFace(2)->i1, 2);
}

TEST_F(LwoDamageTest, PointsWithoutPolygonsGiveAMeshWithoutFaces) {
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0}).Surfaces({"S"});
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetVertexCount(), 3);
    EXPECT_EQ(mesh->GetFaceCount(), 0);
    EXPECT_EQ(mesh->GetMaterialCount(), 0);
}

TEST_F(LwoDamageTest, LongNamesAreCutAt511Characters) {
    const std::string longName(700, 'n');
    Lwob o = test::SquareObject(longName);
    o.Surface(longName, {Sub("COLR", Raw({255, 255, 255, 0}))});
    std::unique_ptr<Mesh> mesh = Load(o.Build());
    ASSERT_NE(mesh, nullptr);
    const Material* material = mesh->GetFace(0)->material;
    EXPECT_EQ(std::string(material->GetName()), longName.substr(0, 511));
    EXPECT_FLOAT_EQ(material->GetDiffuse().g, 1.0f);
}

TEST_F(LwoDamageTest, AZeroTextureSizeKeepsFiniteCoordinates) {
    const std::string image = dir.Write("img.tga", test::TinyTga());
    for (const char* projection : {"Planar Image Map", "Cylindrical Image Map", "Spherical Image Map"}) {
        Lwob o = test::SquareObject("S");
        o.Surface("S", {Sub("CTEX", test::NameData(projection)), Sub("TIMG", test::NameData(image)),
                        Sub("TSIZ", test::VectorData(0, 0, 0)), Sub("TFLG", test::U16Data(4))});
        std::unique_ptr<Mesh> mesh = Load(o.Build());
        ASSERT_NE(mesh, nullptr);
        ExpectDrawable(*mesh);
    }
}

// Every prefix of a textured object, and every single byte of it overwritten with values that
// make lengths and counts large, odd or zero: whatever loads must be drawable.
TEST_F(LwoDamageTest, MangledFilesLoadSafelyOrNotAtAll) {
    const std::string image = dir.Write("img.tga", test::TinyTga());
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1})
        .Surfaces({"Body", "Trim"})
        .Polygons({{0, 1, 2, 3, 1}, {0, 1, 4, 2}, {2, 3, 4, 1}})
        .Surface("Body", {Sub("COLR", Raw({200, 100, 50, 0})), Sub("FLAG", test::U16Data(0x300)),
                          Sub("CTEX", test::NameData("Cylindrical Image Map")), Sub("TIMG", test::NameData(image)),
                          Sub("TFLG", test::U16Data(2)), Sub("TSIZ", test::VectorData(1, 2, 1)),
                          Sub("TCTR", test::VectorData(0.5f, 0, 0))})
        .Surface("Trim", {Sub("RTEX", test::NameData("Spherical Image Map")), Sub("RIMG", test::NameData(image))});
    const Bytes sound = o.Build();
    for (size_t length = 0; length <= sound.size(); ++length) {
        const Bytes prefix(sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(length));
        if (std::unique_ptr<Mesh> mesh = Load(prefix)) ExpectDrawable(*mesh);
    }
    for (size_t at = 12; at < sound.size(); ++at) {
        for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            Bytes mangled = sound;
            mangled[at] = value;
            if (std::unique_ptr<Mesh> mesh = Load(mangled)) ExpectDrawable(*mesh);
        }
    }
}

}  // namespace
}  // namespace cm
