#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>

#include "scene/Mesh.h"

namespace cm {
namespace {

void ExpectVector(const Vector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
}

// A mesh of the given corner positions and faces (three indices each).
void Build(Mesh& m, std::initializer_list<Vector3> points, std::initializer_list<std::array<int, 3>> faces) {
    ASSERT_TRUE(m.SetVertexCount(static_cast<int32_t>(points.size())));
    ASSERT_TRUE(m.SetFaceCount(static_cast<int32_t>(faces.size())));
    int i = 0;
    for (const Vector3& p : points) m.GetVertex(i++)->position = p;
    i = 0;
    for (const auto& f : faces) {
        MeshFace* face = m.GetFace(i++);
        face->i0 = f[0], face->i1 = f[1], face->i2 = f[2];
    }
}

TEST(MeshArrays, RefusedCountsKeepTheOldArrays) {
    Mesh m;
    EXPECT_FALSE(m.SetVertexCount(0));
    EXPECT_FALSE(m.ComputeNormals());
    ASSERT_TRUE(m.SetVertexCount(4));
    EXPECT_EQ(m.GetVertex(3)->diffuse, 0xff000000u);
    EXPECT_EQ(m.GetVertex(4), nullptr);
    m.GetVertex(2)->u = 0.5f;
    EXPECT_FALSE(m.SetVertexCount(Mesh::kMaxElements + 1));
    EXPECT_FALSE(m.SetFaceCount(-3));
    EXPECT_EQ(m.GetVertexCount(), 4);
    EXPECT_EQ(m.GetVertex(2)->u, 0.5f);
    EXPECT_FALSE(m.ComputeNormals());  // still no faces
}

TEST(MeshNormals, AverageOfUnitFaceNormals) {
    Mesh m;
    Build(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    ASSERT_TRUE(m.ComputeNormals());
    for (int i = 0; i < 3; ++i) ExpectVector(m.GetVertex(i)->normal, 0, 0, -1);

    // Vertex 0 is shared by a face with normal +z and one with +y; the average is not
    // renormalised, and the faces' sizes do not weigh in.
    Mesh s;
    Build(s, {{0, 0, 0}, {0, 4, 0}, {4, 0, 0}, {0, 0, 3}, {3, 0, 0}}, {{0, 1, 2}, {0, 4, 3}});
    ASSERT_TRUE(s.ComputeNormals());
    ASSERT_TRUE(s.ComputeNormals());  // a second pass starts from zero
    ExpectVector(s.GetVertex(0)->normal, 0, 0.5f, 0.5f);
    ExpectVector(s.GetVertex(1)->normal, 0, 0, 1);
    ExpectVector(s.GetVertex(3)->normal, 0, 1, 0);
}

TEST(MeshNormals, UnusedVerticesDegenerateAndBrokenFacesGiveNoNaN) {
    Mesh m;
    // Face 1 is collinear, face 2 a point, face 3 reaches outside the mesh; vertex 4 is unused
    // but holds a stale normal.
    Build(m, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}, {0, 0, 0}, {5, 5, 5}},
          {{0, 1, 2}, {0, 1, 3}, {5, 5, 5}, {0, 1, 99}});
    m.GetVertex(4)->normal = Vector3(9, 9, 9);
    ASSERT_TRUE(m.ComputeNormals());
    ExpectVector(m.GetVertex(0)->normal, 0, 0, -1);  // not diluted by the faces without area
    for (int i : {3, 4, 5}) ExpectVector(m.GetVertex(i)->normal, 0, 0, 0);
}

}  // namespace
}  // namespace cm
