#include "parts/BlobDeformer.h"
#include "parts/EnvironmentMap.h"
#include "scene/KeyChannel.h"
#include "scene/SceneGraph.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cm::test {
namespace {

// A scene whose mesh 0 holds the origin and points spread over a ball of radius about 1, with
// a position channel that Prepare must detach.
std::unique_ptr<SceneGraph> BallScene() {
    auto scene = std::make_unique<SceneGraph>();
    auto* mesh = new Mesh();
    EXPECT_TRUE(scene->AddMesh(mesh));
    const int n = 64;
    mesh->SetVertexCount(n);
    for (int i = 1; i < n; ++i) {
        const float a = 0.37f * float(i), b = 0.91f * float(i);
        mesh->GetVertex(i)->position = {std::cos(a) * std::sin(b), std::sin(a) * std::sin(b), std::cos(b) * (0.5f + 0.01f * i)};
    }
    auto* channel = new KeyChannel();
    scene->AddChannel(channel);
    mesh->SetPositionChannel(channel);
    return scene;
}

TEST(BlobDeformer, DetachesTheMeshAndMovesItAlongRaysWithinItsAmplitudeTheSameForTheSameTime) {
    for (const BlobParameters& params : {DistortBlobParameters(), GlassBlobParameters(), RotoballBlobParameters()}) {
        auto scene = BallScene();
        BlobDeformer blob(params);
        ASSERT_TRUE(blob.Prepare(*scene));
        Mesh* mesh = scene->GetMesh(0);
        EXPECT_EQ(mesh->GetPositionChannel(), nullptr);
        EXPECT_EQ(mesh->GetDrawCallback(), &EnvironmentMapCallback);
        EXPECT_EQ(blob.GetRestPositions().size(), 64u);
        for (float T : {0.0f, 13.7f, 250.0f, 1000.0f}) {
            blob.Deform(T);
            const float amp = blob.Amplitude(T);
            // The origin stays put whatever the factor.
            EXPECT_EQ(mesh->GetVertex(0)->position.x, 0.0f);
            EXPECT_EQ(mesh->GetVertex(0)->position.z, 0.0f);
            for (int i = 1; i < mesh->GetVertexCount(); ++i) {
                const Vector3& r = blob.GetRestPositions()[size_t(i)];
                const Vector3& p = mesh->GetVertex(i)->position;
                // p = k * r: the signed ratio along the ray is k, within 1 +- 3 amp.
                const float k = p.Dot(r) / r.Dot(r);
                EXPECT_GE(k, 1.0f - 3.0f * amp - 1e-5f);
                EXPECT_LE(k, 1.0f + 3.0f * amp + 1e-5f);
                EXPECT_NEAR(p.x, k * r.x, 1e-5f);
                EXPECT_NEAR(p.y, k * r.y, 1e-5f);
            }
        }
        // No drift: the shape for a time does not depend on what was deformed before.
        blob.Deform(42.0f);
        std::vector<Vector3> once;
        for (int i = 0; i < mesh->GetVertexCount(); ++i) once.push_back(mesh->GetVertex(i)->position);
        blob.Deform(77.0f);
        blob.Deform(42.0f);
        for (int i = 0; i < mesh->GetVertexCount(); ++i) {
            EXPECT_EQ(mesh->GetVertex(i)->position.x, once[size_t(i)].x);
            EXPECT_EQ(mesh->GetVertex(i)->position.z, once[size_t(i)].z);
        }
    }
    SceneGraph empty;
    BlobDeformer unprepared(GlassBlobParameters());
    EXPECT_FALSE(unprepared.Prepare(empty));
    unprepared.Deform(3.0f);  // nothing to move, no crash
}

TEST(EnvironmentMap, NormalsAlongTheLineOfSightMapToTheCentreAndTurnWithTheView) {
    Mesh mesh;
    mesh.SetVertexCount(3);
    const Vector3 corners[3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    for (int i = 0; i < 3; ++i) mesh.GetVertex(i)->position = corners[i];
    mesh.SetFaceCount(1);
    *mesh.GetFace(0) = MeshFace{0, 1, 2};
    mesh.matrix.SetIdentity();

    Matrix4 view = kIdentityMatrix;
    EnvironmentMapCallback(&mesh, &view);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(std::fabs(mesh.GetVertex(i)->normal.z), 1.0f, 1e-6f);
        EXPECT_FLOAT_EQ(mesh.GetVertex(i)->u, 0.5f);
        EXPECT_FLOAT_EQ(mesh.GetVertex(i)->v, 0.5f);
    }
    // A quarter turn of the view about y swings the z normal onto x: u goes to an edge, v stays.
    view.SetRotationAngles(0.0f, 1.5707964f, 0.0f);
    EnvironmentMapCallback(&mesh, &view);
    const MeshVertex& v = *mesh.GetVertex(0);
    EXPECT_NEAR(std::fabs(v.u - 0.5f), 0.5f, 1e-5f);
    EXPECT_NEAR(v.v, 0.5f, 1e-5f);
}

}  // namespace
}  // namespace cm::test
