// The projections at points worked out by hand.
#include "lightwave/ProjectImageMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace cm {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

TextureMap Map(int kind, int axis, Vector3 size = {1, 1, 1}, Vector3 centre = {0, 0, 0}) {
    TextureMap map;
    map.SetProjectionKind(kind);
    map.SetAxis(axis);
    map.SetSize(size);
    map.SetCentre(centre);
    return map;
}

struct UV {
    float u = -7.0f, v = -7.0f;
};

UV Project(const TextureMap& map, float x, float y, float z) {
    UV uv;
    ProjectImageMap(map, x, y, z, uv.u, uv.v);
    return uv;
}

TEST(AngleHelpers, LongitudeCoversEveryQuadrantAndTheAxes) {
    EXPECT_EQ(LongitudeAngle(0, 0), 0.0f);
    EXPECT_FLOAT_EQ(LongitudeAngle(1, 0), -kPi / 2);
    EXPECT_FLOAT_EQ(LongitudeAngle(-1, 0), kPi / 2);
    EXPECT_FLOAT_EQ(LongitudeAngle(1, 1), -kPi / 4);
    // q < 0 lands beyond pi/2: the range is (-pi/2, 3pi/2], not atan2's (-pi, pi].
    EXPECT_FLOAT_EQ(LongitudeAngle(1, -1), 5 * kPi / 4);
    EXPECT_FLOAT_EQ(LongitudeAngle(-1, -1), 3 * kPi / 4);
    EXPECT_FLOAT_EQ(LongitudeAngle(0, -1), kPi);
}

TEST(AngleHelpers, LatitudeOnAndOffTheAxis) {
    EXPECT_EQ(LatitudeAngle(0, 0, 0), 0.0f);
    EXPECT_FLOAT_EQ(LatitudeAngle(2, 0, 0), kPi / 2);
    EXPECT_FLOAT_EQ(LatitudeAngle(-2, 0, 0), -kPi / 2);
    EXPECT_FLOAT_EQ(LatitudeAngle(1, 0.6f, 0.8f), kPi / 4);
}

TEST(Planar, EachAxisCentreAndScale) {
    const TextureMap z = Map(kProjectionPlanar, kAxisZ, {2, 2, 2});
    UV uv = Project(z, 1, 1, 5);
    EXPECT_FLOAT_EQ(uv.u, 1.0f);
    EXPECT_FLOAT_EQ(uv.v, 0.0f);
    uv = Project(z, 0, 0, 0);
    EXPECT_FLOAT_EQ(uv.u, 0.5f);
    EXPECT_FLOAT_EQ(uv.v, 0.5f);

    // The centre moves the image: (1, 0, 0) sits at the image centre.
    uv = Project(Map(kProjectionPlanar, kAxisZ, {2, 2, 2}, {1, 0, 0}), 1, 0, 0);
    EXPECT_FLOAT_EQ(uv.u, 0.5f);

    // Along x, u follows z and v follows -y; along y, u follows x and v follows -z.
    uv = Project(Map(kProjectionPlanar, kAxisX, {1, 4, 2}), 9, 1, 1);
    EXPECT_FLOAT_EQ(uv.u, 1.0f);
    EXPECT_FLOAT_EQ(uv.v, 0.25f);
    uv = Project(Map(kProjectionPlanar, kAxisY, {4, 1, 2}), 1, 9, 1);
    EXPECT_FLOAT_EQ(uv.u, 0.75f);
    EXPECT_FLOAT_EQ(uv.v, 0.0f);

    TextureMap scaled = Map(kProjectionPlanar, kAxisZ, {2, 2, 2});
    scaled.SetScale(Vector3(2, 3, 1));
    uv = Project(scaled, 0, 0, 0);
    EXPECT_FLOAT_EQ(uv.u, 1.0f);
    EXPECT_FLOAT_EQ(uv.v, 1.5f);
}

TEST(Cylindrical, AroundTheYAxis) {
    const TextureMap y = Map(kProjectionCylindrical, kAxisY, {1, 2, 1});
    UV uv = Project(y, 0, 0, 1);
    EXPECT_FLOAT_EQ(uv.u, 1.0f);
    EXPECT_FLOAT_EQ(uv.v, 0.5f);
    EXPECT_NEAR(Project(y, 1, 0, 0).u, 0.0f, 1e-6f);
    EXPECT_NEAR(Project(y, 0, 0, -1).u, -1.0f, 1e-6f);
    EXPECT_NEAR(Project(y, -1, 0, 0).u, 2.0f, 1e-6f);
    // v runs down the axis by the size along it.
    EXPECT_FLOAT_EQ(Project(y, 0, 1, 1).v, 0.0f);
    // A point on the axis itself has no direction: theta 0.
    EXPECT_FLOAT_EQ(Project(y, 0, 5, 0).u, 1.0f);

    // The scale stretches u only.
    TextureMap scaled = y;
    scaled.SetScale(Vector3(2, 3, 1));
    uv = Project(scaled, 0, 0, 1);
    EXPECT_FLOAT_EQ(uv.u, 2.0f);
    EXPECT_FLOAT_EQ(uv.v, 0.5f);
}

TEST(Cylindrical, AroundXAndZ) {
    // Along x: theta = W(z, -y); the point (0, -1, 0) faces theta 0.
    UV uv = Project(Map(kProjectionCylindrical, kAxisX, {4, 1, 1}), 1, -1, 0);
    EXPECT_FLOAT_EQ(uv.u, 1.0f);
    EXPECT_FLOAT_EQ(uv.v, 0.25f);
    // Along z: theta = W(-x, -y); (1, 0, 0) gives W(-1, 0) = pi/2.
    uv = Project(Map(kProjectionCylindrical, kAxisZ, {1, 1, 4}), 1, 0, 2);
    EXPECT_NEAR(uv.u, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(uv.v, 0.0f);
}

TEST(Spherical, PolesEquatorAndAxes) {
    const TextureMap y = Map(kProjectionSpherical, kAxisY);
    UV uv = Project(y, 0, 2, 0);
    EXPECT_FLOAT_EQ(uv.u, 1.0f);
    EXPECT_NEAR(uv.v, 0.0f, 1e-6f);
    uv = Project(y, 0, 0, 1);
    EXPECT_FLOAT_EQ(uv.v, 0.5f);
    EXPECT_NEAR(Project(y, 0, -3, 0).v, 1.0f, 1e-6f);
    EXPECT_NEAR(Project(y, 1, 0, 0).u, 0.0f, 1e-6f);
    // Along z the latitude follows z, along x it follows x.
    EXPECT_NEAR(Project(Map(kProjectionSpherical, kAxisZ), 0, 0, 1).v, 0.0f, 1e-6f);
    EXPECT_NEAR(Project(Map(kProjectionSpherical, kAxisX), -1, 0, 0).v, 1.0f, 1e-6f);
}

TEST(Cubic, IgnoresTheAxisAndStaysInRange) {
    for (int axis : {kAxisX, kAxisY, kAxisZ}) {
        const TextureMap map = Map(kProjectionCubic, axis, {3, 5, 7});
        const UV front = Project(map, 0, 0, 1);
        EXPECT_FLOAT_EQ(front.u, 3.0f);
        EXPECT_FLOAT_EQ(front.v, 5.0f);
        for (float x : {-2.0f, -0.5f, 0.0f, 0.5f, 2.0f}) {
            for (float z : {-1.0f, 0.0f, 1.0f}) {
                const UV uv = Project(map, x, x * z, z);
                EXPECT_GE(uv.u, 0.0f);
                EXPECT_LE(uv.u, 6.0f);
                EXPECT_GE(uv.v, 0.0f);
                EXPECT_LE(uv.v, 10.0f);
            }
        }
    }
}

TEST(Unrecognised, LeavesTheCallersCoordinates) {
    for (int kind : {kProjectionUnknown, kProjectionNone}) {
        float u = 0.25f, v = 0.75f;
        EXPECT_FALSE(ProjectImageMap(Map(kind, kAxisZ), 1, 2, 3, u, v));
        EXPECT_EQ(u, 0.25f);
        EXPECT_EQ(v, 0.75f);
    }
}

}  // namespace
}  // namespace cm
