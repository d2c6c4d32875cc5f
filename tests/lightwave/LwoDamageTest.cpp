// Damaged object files: each is refused or clamped with a safe result, never read out of bounds.
#include "lightwave/LwoReader.h"

#include <gtest/gtest.h>

#include "LightWaveFiles.h"
#include "resources/TextureManager.h"
#include "scene/Mesh.h"

namespace cm {
namespace {

using test::Bytes;
using test::Name;
using test::Sub;

class LwoDamageTest : public ::testing::Test {
protected:
    std::unique_ptr<Mesh> Load(const Bytes& bytes) { return reader.LoadBytes(bytes, "mem.lwo", nullptr, &textures); }
    float Red(const test::Lwob& o) {
        std::unique_ptr<Mesh> mesh = Load(o.Build());
        return mesh && mesh->GetFaceCount() > 0 ? mesh->GetFace(0)->material->GetDiffuse().r * 255.0f : -1.0f;
    }
    test::ScratchDir dir;
    TextureManager textures;
    LwoReader reader;
};

TEST_F(LwoDamageTest, LengthsPastTheirContainerEndTheWalkThere) {
    // SURF chunks claiming more than is left, one of them so much that a 32-bit end would wrap
    // back into the file: the square loads as it stood before them.
    for (long long length : {1000LL, 0xFFFFFFF8LL}) {
        test::Lwob o = test::Square("S");
        EXPECT_EQ(Red(o.Chunk("SURF", Name("S"), length)), 1.0f);
    }
    Bytes cut = test::Square("S").Build();
    cut = test::Lwob::Join(cut, Bytes{'P', 'N', 'T'});  // a chunk header cut short
    EXPECT_EQ(Load(cut)->GetFaceCount(), 1);

    // A sub-chunk past its chunk's end: COLR before it counts, the FLAG in it does not; fields
    // longer than their own sub-chunk are not read at all.
    test::Lwob sub = test::Square("S");
    sub.Surface("S", {Sub("COLR", {200, 0, 0, 0}), Sub("FLAG", {1, 0}, 200)});
    EXPECT_EQ(Red(sub), 200.0f);
    EXPECT_EQ(Load(sub.Build())->GetFace(0)->material->GetFlags(), 0);
    test::Lwob fields = test::Square("S");
    EXPECT_EQ(Red(fields.Surface("S", {Sub("COLR", {7}), Sub("TSIZ", {1, 2})})), 1.0f);

    // PNTS keeps whole points only; a POLS polygon cut by the chunk end keeps those before it.
    test::Lwob points;
    points.Chunk("PNTS", Bytes(11, 0)).Surfaces({"S"}).Polygons({{0, 0, 0, 1}});
    EXPECT_EQ(Load(points.Build())->GetVertexCount(), 0);
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

}  // namespace
}  // namespace cm
