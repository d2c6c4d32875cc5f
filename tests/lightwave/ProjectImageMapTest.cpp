// The projections at points worked out by hand.
#include "lightwave/ProjectImageMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace cm {
namespace {

TextureMap Map(int kind, int axis, Vector3 size, Vector3 centre = {0, 0, 0}) {
    TextureMap map;
    map.SetProjectionKind(kind), map.SetAxis(axis), map.SetSize(size), map.SetCentre(centre);
    return map;
}

struct Case {
    int kind, axis;
    Vector3 size, centre, point;
    float u, v;
};

TEST(ProjectImageMap, WorkedPoints) {
    constexpr int P = kProjectionPlanar, C = kProjectionCylindrical, S = kProjectionSpherical, Q = kProjectionCubic;
    const Vector3 o{0, 0, 0}, one{1, 1, 1};
    const Case cases[] = {
        {P, kAxisZ, {2, 2, 2}, o, {1, 1, 5}, 1, 0},  {P, kAxisZ, {2, 2, 2}, o, o, 0.5f, 0.5f},
        {P, kAxisZ, {2, 2, 2}, {1, 0, 0}, {1, 0, 0}, 0.5f, 0.5f},
        {P, kAxisX, {1, 4, 2}, o, {9, 1, 1}, 1, 0.25f}, {P, kAxisY, {4, 1, 2}, o, {1, 9, 1}, 0.75f, 0},
        // Around y: theta 0, pi/2, pi, -pi/2 at the four compass points; on the axis theta is 0.
        {C, kAxisY, {1, 2, 1}, o, {0, 0, 1}, 1, 0.5f},  {C, kAxisY, {1, 2, 1}, o, {1, 0, 0}, 0, 0.5f},
        {C, kAxisY, {1, 2, 1}, o, {0, 0, -1}, -1, 0.5f}, {C, kAxisY, {1, 2, 1}, o, {-1, 1, 0}, 2, 0},
        {C, kAxisY, {1, 2, 1}, o, {0, 5, 0}, 1, -2},   {C, kAxisX, {4, 1, 1}, o, {1, -1, 0}, 1, 0.25f},
        {C, kAxisZ, {1, 1, 4}, o, {1, 0, 2}, 0, 0},
        {S, kAxisY, one, o, {0, 2, 0}, 1, 0},  {S, kAxisY, one, o, {0, 0, 1}, 1, 0.5f},
        {S, kAxisY, one, o, {0, -3, 0}, 1, 1}, {S, kAxisY, one, o, {1, 0, 0}, 0, 0.5f},
        {S, kAxisZ, one, o, {0, 0, 1}, 1, 0},  {S, kAxisX, one, o, {-1, 0, 0}, 1, 1},
        // Cubic ignores the axis: sx and sy times (atan2 + pi) / pi.
        {Q, kAxisX, {3, 5, 7}, o, {0, 0, 1}, 3, 5}, {Q, kAxisZ, {3, 5, 7}, o, {0, 0, 1}, 3, 5},
        {Q, kAxisY, {3, 5, 7}, o, {1, 0, 0}, 4.5f, 5},
    };
    for (const Case& c : cases) {
        float u = -9, v = -9;
        ASSERT_TRUE(ProjectImageMap(Map(c.kind, c.axis, c.size, c.centre), c.point.x, c.point.y, c.point.z, u, v));
        EXPECT_TRUE(std::fabs(u - c.u) < 1e-5f && std::fabs(v - c.v) < 1e-5f)
            << "kind " << c.kind << " axis " << c.axis << " at " << c.point.x << "," << c.point.y << "," << c.point.z
            << ": " << u << ", " << v;
    }
}

TEST(ProjectImageMap, ScaleAndUnrecognisedKinds) {
    // Planar scales u and v, cylindrical u only.
    for (int kind : {kProjectionPlanar, kProjectionCylindrical}) {
        TextureMap map = Map(kind, kAxisY, {1, 2, 1});
        map.SetScale(Vector3(2, 3, 1));
        float u = 0, v = 0;
        ProjectImageMap(map, 0, 0, 1, u, v);
        EXPECT_FLOAT_EQ(u, kind == kProjectionPlanar ? 1.0f : 2.0f);
        EXPECT_FLOAT_EQ(v, kind == kProjectionPlanar ? -1.5f : 0.5f);
    }
    for (int kind : {kProjectionUnknown, kProjectionNone}) {
        float u = 0.25f, v = 0.75f;
        EXPECT_FALSE(ProjectImageMap(Map(kind, kAxisZ, {1, 1, 1}), 1, 2, 3, u, v));
        EXPECT_EQ(std::pair(u, v), std::pair(0.25f, 0.75f));
    }
    // Longitude beyond pi/2 when q < 0: the range is (-pi/2, 3pi/2], not atan2's.
    EXPECT_FLOAT_EQ(LongitudeAngle(1, -1), 5 * std::numbers::pi_v<float> / 4);
    EXPECT_FLOAT_EQ(LatitudeAngle(1, 0.6f, 0.8f), std::numbers::pi_v<float> / 4);
}

}  // namespace
}  // namespace cm
