// The scenes fit the numbers of the parts that show them: what each camera sees, from where, at
// which scene frames, seen through the show's projection (near plane 0.08, 0.2 x 0.15 window).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "TestShow.h"
#include "lws/MotionPath.h"
#include "show/SceneView.h"

namespace cm::content::test {
namespace {

const LwsWriter& Scene(const char* name) { return Show().scenes.at(name); }

std::vector<const LwsItemDef*> ItemsOf(const LwsWriter& s, LwsItemDef::Kind kind) {
    std::vector<const LwsItemDef*> out;
    for (const LwsItemDef& i : s.Items())
        if (i.kind == kind) out.push_back(&i);
    return out;
}

Vector3 Sub(const Vector3& a, const Vector3& b) { return Vector3(a.x - b.x, a.y - b.y, a.z - b.z); }
float Length(const Vector3& v) { return std::sqrt(v.Dot(v)); }

// Largest distance of the object's points from its own origin: the reach of a hand-spun mesh.
float Reach(const LwoWriter& o) {
    float r = 0;
    for (const Vector3& p : o.Points()) r = std::max(r, Length(p));
    return r;
}

// The frames a camera path serves, keyed one step beyond each end (the channel holds still in
// its first and last segments).
void ExpectKeyedAround(const LwsItemDef& camera, int from, int to) {
    bool before = false, after = false;
    for (const LwsKey& k : camera.keys) {
        before |= k.frame < from;
        after |= k.frame > to;
    }
    EXPECT_TRUE(before && after) << "frames " << from << ".." << to << " need a key on either side";
}

// At every frame up to last, the centre of each of the scene's meshes (at least two) lies at a
// fog depth in [nearest, farthest], and the mesh, spun by hand about its centre so that any
// side may face the camera, stays clear of the near plane.
void ExpectMeshesAtDepths(const LwsWriter& s, float last, float nearest, float farthest) {
    const auto meshes = ItemsOf(s, LwsItemDef::kObject);
    ASSERT_GE(meshes.size(), 2u);
    for (float f = 0; f <= last; f += 1) {
        for (const LwsItemDef* m : meshes) {
            const float centre = Project(CameraView(s, f), EvaluatePosition(m->keys, f)).depth;
            EXPECT_TRUE(centre >= nearest && centre <= farthest) << "frame " << f << ": depth " << centre;
            EXPECT_GT(centre - Reach(Show().objects.at(m->objectFile)), kNearPlane) << "frame " << f;
        }
    }
}

TEST(SceneFit, IntroShellsAndRotoballRingsStayWithinTheirFogAndTheIntroEndsAroundTheTunnelCentre) {
    const LwsWriter& s = Scene("data\\introScene.lws");
    ASSERT_EQ(ItemsOf(s, LwsItemDef::kCamera).size(), 1u);
    ExpectKeyedAround(*ItemsOf(s, LwsItemDef::kCamera)[0], 0, 120);
    ExpectMeshesAtDepths(s, 120, 0.0f, 1.0f);  // no further than the black fog's end
    // The tunnel is drawn through the intro's last view, from inside tubes around the origin.
    EXPECT_LT(Length(CameraEye(s, 100)), 1.0f);
    ExpectMeshesAtDepths(Scene("data\\rotoballScene.lws"), 70, 0.65f, 0.95f);  // in the breathing fog
}

TEST(SceneFit, RoomCameraStaysInTheHallWithADifferentViewPerStretchAndTheHallFacesIn) {
    const LwsWriter& s = Scene("data\\roomScene.lws");
    const auto nulls = ItemsOf(s, LwsItemDef::kNull);
    ASSERT_GE(nulls.size(), 2u);
    // The spark fountain's anchor: on the pedestal top (0.88 high), inside the hall.
    const Vector3 anchor = EvaluatePosition(nulls[1]->keys, 0);
    EXPECT_NEAR(anchor.y, 0.9f, 0.05f);
    EXPECT_LT(std::fabs(anchor.x) + std::fabs(anchor.z), 0.1f);

    const auto camera = ItemsOf(s, LwsItemDef::kCamera);
    ASSERT_EQ(camera.size(), 1u);
    struct Box {
        Vector3 lo, hi;
    };
    std::vector<Box> solids = {{{-0.32f, 0, -0.32f}, {0.32f, 0.88f, 0.32f}}};
    for (float px : {-1.7f, 1.7f})
        for (float pz : {-1.7f, 0.0f, 1.7f}) solids.push_back({{px - 0.15f, 0, pz - 0.15f}, {px + 0.15f, 2.8f, pz + 0.15f}});
    const float margin = 0.15f;  // the near plane plus room to spare
    const int stretches[3][2] = {{200, 620}, {1500, 2550}, {2820, 3330}};
    Vector3 mid[3];
    for (int k = 0; k < 3; ++k) {
        ExpectKeyedAround(*camera[0], stretches[k][0], stretches[k][1]);
        for (int f = stretches[k][0]; f <= stretches[k][1]; ++f) {
            const Vector3 e = CameraEye(s, float(f));
            EXPECT_TRUE(std::fabs(e.x) < 2.6f - margin && std::fabs(e.z) < 2.6f - margin && e.y > margin &&
                        e.y < 2.8f - margin)
                << "frame " << f << " outside the hall";
            for (const Box& b : solids)
                EXPECT_FALSE(e.x > b.lo.x - margin && e.x < b.hi.x + margin && e.z > b.lo.z - margin &&
                             e.z < b.hi.z + margin && e.y < b.hi.y + margin)
                    << "frame " << f << " inside a pillar or the pedestal";
            const Vector3 at = EvaluatePosition(nulls[0]->keys, float(f));
            EXPECT_GT(Length(Sub(at, e)), 0.5f) << "look-at too short";
        }
        mid[k] = CameraEye(s, float(stretches[k][0] + stretches[k][1]) / 2);
    }
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b)
            EXPECT_GT(Length(Sub(mid[a], mid[b])), 1.0f) << "stretches " << a << " and " << b << " look alike";

    // The hall is drawn one-sided from inside: every wall, floor and ceiling triangle must face
    // the hall's centre.
    const LwoWriter& hall = Show().objects.at("data\\roomHall.lwo");
    const Vector3 centre(0, 1.4f, 0);
    for (const LwoTriangle& t : hall.Triangles()) {
        const Vector3 &a = hall.Points()[t.a], &b = hall.Points()[t.b], &c = hall.Points()[t.c];
        Vector3 n;
        n.Cross(Sub(b, a), Sub(c, a));
        EXPECT_GT(n.Dot(Sub(centre, a)), 0.0f);
    }
}

// What each blob part does to its mesh: how far it moves it toward the camera along z, and the
// largest amplitude of its wobble (the vertex factor reaches 1 + 3 * amp).
struct BlobPart {
    const char* scene;
    float bob, amp;
};

TEST(SceneFit, BlobsAreSmallCentredSpheresClearOfTheNearPlane) {
    // The wobble's waves are never shorter than 2 pi * 0.0625 units; a blob much wider than about
    // two and a half of them folds into ridges instead of swelling.
    const float shortestWave = 2 * 3.14159265f * 0.0625f;
    for (const BlobPart& part : {BlobPart{"data\\distort.lws", 1.5f, 0.15f}, BlobPart{"data\\glassScene.lws", 0, 0.38f},
                                 BlobPart{"data\\roto2.lws", 0, 0.19f}}) {
        SCOPED_TRACE(part.scene);
        const LwsWriter& s = Scene(part.scene);
        const auto meshes = ItemsOf(s, LwsItemDef::kObject);
        ASSERT_GE(meshes.size(), 1u);
        const LwoWriter& blob = Show().objects.at(meshes[0]->objectFile);
        EXPECT_GE(blob.Triangles().size(), 2000u);
        EXPECT_LE(blob.Triangles().size(), 8000u);
        // The deformer scales along lines through the mesh's origin: a sphere off that centre
        // would swell lopsidedly.
        const float radius = Reach(blob);
        for (const Vector3& p : blob.Points()) EXPECT_NEAR(Length(p), radius, 1e-4f * radius);
        EXPECT_LE(2 * radius, 2.6f * shortestWave);
        // The first surface is the blob's, and textured: the part forces it to flag 0x408.
        ASSERT_FALSE(blob.Surfaces().empty());
        EXPECT_TRUE(blob.Surfaces()[0].textured);
        for (float f = 0; f <= 130; f += 5) {
            const float d = Length(CameraEye(s, f));
            // Fully swollen and at its nearest, the blob must not reach the near plane.
            EXPECT_GT(d - part.bob - radius * (1 + 3 * part.amp), kNearPlane) << "frame " << f;
            // At rest it covers a fair part of the screen, neither a speck nor most of the frame.
            const float pixels = std::fabs(Project(CameraView(s, f), Vector3(radius, 0, 0)).x -
                                           Project(CameraView(s, f), Vector3(0, 0, 0)).x);
            EXPECT_GT(pixels, 30.0f) << "frame " << f;
            EXPECT_LT(pixels, 120.0f) << "frame " << f;
        }
        // The blob is drawn one-sided: every triangle facing the camera must reach the screen
        // clockwise, the winding the renderer keeps.
        const Matrix4 view = CameraView(s, 0);
        const Vector3 eye = CameraEye(s, 0);
        int front = 0;
        for (const LwoTriangle& t : blob.Triangles()) {
            const Vector3 &a = blob.Points()[t.a], &b = blob.Points()[t.b], &c = blob.Points()[t.c];
            const Vector3 centroid((a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3);
            if (centroid.Dot(Sub(eye, centroid)) <= 0.01f) continue;  // faces away (or edge-on)
            const ScreenPoint p = Project(view, a), q = Project(view, b), r = Project(view, c);
            const float area = (q.x - p.x) * (r.y - p.y) - (r.x - p.x) * (q.y - p.y);  // y down: > 0 is clockwise
            EXPECT_GT(area, 0.0f);
            ++front;
        }
        EXPECT_GT(front, 1000);
    }
}

}  // namespace
}  // namespace cm::content::test
