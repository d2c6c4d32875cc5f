#include <gtest/gtest.h>

#include <cmath>

#include "scene/Mesh.h"

namespace cm {
namespace {

void ExpectVector(const Vector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
}

void SetFace(Mesh& m, int i, int a, int b, int c) {
    MeshFace* f = m.GetFace(i);
    f->i0 = a, f->i1 = b, f->i2 = c;
}

TEST(MeshArrays, DefaultsAndRefusals) {
    Mesh m;
    EXPECT_FALSE(m.SetVertexCount(0));
    EXPECT_FALSE(m.SetFaceCount(-3));
    EXPECT_FALSE(m.ComputeNormals());
    ASSERT_TRUE(m.SetVertexCount(4));
    ASSERT_TRUE(m.SetFaceCount(1));
    const MeshVertex* v = m.GetVertex(3);
    ExpectVector(v->position, 0, 0, 0);
    EXPECT_EQ(v->diffuse, 0xff000000u);
    EXPECT_EQ(m.GetVertex(4), nullptr);
    EXPECT_EQ(m.GetVertex(-1), nullptr);

    const MeshFace* f = m.GetFace(0);
    EXPECT_EQ(f->i0 + f->i1 + f->i2, 0);
    EXPECT_EQ(f->uv1.u, 1.0f);
    EXPECT_EQ(f->uv2.v, 1.0f);
    EXPECT_EQ(f->material, nullptr);

    // A refused count keeps the old array.
    m.GetVertex(2)->u = 0.5f;
    EXPECT_FALSE(m.SetVertexCount(Mesh::kMaxElements + 1));
    EXPECT_EQ(m.GetVertexCount(), 4);
    EXPECT_EQ(m.GetVertex(2)->u, 0.5f);

    EXPECT_FALSE(m.SetSourceName(nullptr));
    EXPECT_TRUE(m.SetSourceName("data\\ship.lwo"));
    EXPECT_STREQ(m.GetSourceName(), "data\\ship.lwo");
}

TEST(MeshNormals, AverageOfUnitFaceNormals) {
    Mesh m;
    ASSERT_TRUE(m.SetVertexCount(3));
    ASSERT_TRUE(m.SetFaceCount(1));
    m.GetVertex(1)->position = Vector3(1, 0, 0);
    m.GetVertex(2)->position = Vector3(0, 1, 0);
    SetFace(m, 0, 0, 1, 2);
    ASSERT_TRUE(m.ComputeNormals());
    for (int i = 0; i < 3; ++i) ExpectVector(m.GetVertex(i)->normal, 0, 0, -1);

    // Vertex 0 shared by a face with normal (0, 0, 1) and one with (0, 1, 0): the average is not
    // renormalised. Large faces check that each contributes a unit normal.
    Mesh s;
    ASSERT_TRUE(s.SetVertexCount(5));
    ASSERT_TRUE(s.SetFaceCount(2));
    s.GetVertex(1)->position = Vector3(0, 4, 0);
    s.GetVertex(2)->position = Vector3(4, 0, 0);
    s.GetVertex(3)->position = Vector3(0, 0, 3);
    s.GetVertex(4)->position = Vector3(3, 0, 0);
    SetFace(s, 0, 0, 1, 2);  // in the xy plane, normal +z
    SetFace(s, 1, 0, 4, 3);  // in the xz plane, normal +y
    ASSERT_TRUE(s.ComputeNormals());
    ExpectVector(s.GetVertex(0)->normal, 0, 0.5f, 0.5f);
    ExpectVector(s.GetVertex(1)->normal, 0, 0, 1);
    ExpectVector(s.GetVertex(3)->normal, 0, 1, 0);

    // Running again starts from zero rather than accumulating.
    ASSERT_TRUE(s.ComputeNormals());
    ExpectVector(s.GetVertex(0)->normal, 0, 0.5f, 0.5f);
}

TEST(MeshNormals, UnusedVerticesDegenerateAndBrokenFacesGiveNoNaN) {
    Mesh m;
    ASSERT_TRUE(m.SetVertexCount(6));
    ASSERT_TRUE(m.SetFaceCount(4));
    m.GetVertex(1)->position = Vector3(1, 0, 0);
    m.GetVertex(2)->position = Vector3(0, 1, 0);
    m.GetVertex(3)->position = Vector3(2, 0, 0);  // on the line through 0 and 1
    m.GetVertex(4)->normal = Vector3(9, 9, 9);    // stale value from an earlier pass
    m.GetVertex(5)->position = Vector3(5, 5, 5);
    SetFace(m, 0, 0, 1, 2);
    SetFace(m, 1, 0, 1, 3);   // collinear: no area
    SetFace(m, 2, 5, 5, 5);   // a point
    SetFace(m, 3, 0, 1, 99);  // index outside the mesh: skipped, nothing read or written there
    ASSERT_TRUE(m.ComputeNormals());

    ExpectVector(m.GetVertex(0)->normal, 0, 0, -1);  // the degenerate faces did not dilute it
    ExpectVector(m.GetVertex(3)->normal, 0, 0, 0);
    ExpectVector(m.GetVertex(4)->normal, 0, 0, 0);
    ExpectVector(m.GetVertex(5)->normal, 0, 0, 0);
    for (int i = 0; i < 6; ++i) {
        const Vector3& n = m.GetVertex(i)->normal;
        EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << i;
    }
}

TEST(MeshMaterials, PrivateLookupIgnoresCaseAndTakesTheFirst) {
    Mesh m;
    auto* a = new Material;
    auto* b = new Material;
    a->SetName("Hull");
    b->SetName("HULL");
    EXPECT_FALSE(m.AddMaterial(nullptr));
    EXPECT_TRUE(m.AddMaterial(a));
    EXPECT_TRUE(m.AddMaterial(b));
    EXPECT_EQ(m.FindMaterial("hull"), a);
    EXPECT_EQ(m.FindMaterial(nullptr), nullptr);
    EXPECT_EQ(m.FindMaterial("deck"), nullptr);
    EXPECT_EQ(m.GetMaterialCount(), 2);
}

}  // namespace
}  // namespace cm
