#include "common/DeviceRecordTest.h"

#include "parts/WarpTube.h"
#include "scene/MeshVertex.h"

namespace cm::test {
namespace {

class WarpTubeDraw : public DeviceRecordTest {};

TEST_F(WarpTubeDraw, OneSceneOf200WhiteFansWithScrollingRowsOnRingsOfRadius48) {
    // At phase 0 the two-lobed ripple vanishes and the three-lobed one is at its crest; a ring
    // closes on itself.
    for (const float along : {0.0f, 100.0f}) {
        EXPECT_NEAR(WarpTube::RingPoint(0.0f, along).x, 48.0f, 1e-3f) << along;
        EXPECT_NEAR(WarpTube::RingPoint(0.0f, along).y, 0.0f, 1e-3f) << along;
    }
    WarpTube tube(TunnelTubeConfig());
    const float a = 2.5f;
    tube.Draw(a);
    EXPECT_EQ(Calls(DeviceMethod::BeginScene).size(), 1u);
    EXPECT_EQ(Calls(DeviceMethod::EndScene).size(), 1u);
    // The tunnel tube leaves the depth test to its caller.
    EXPECT_EQ(LastRenderState(D3DRENDERSTATE_ZENABLE), -1);
    EXPECT_EQ(LastRenderState(D3DRENDERSTATE_ALPHABLENDENABLE), int64_t(kTrue));
    EXPECT_EQ(LastRenderState(D3DRENDERSTATE_CULLMODE), int64_t(D3DCULL_NONE));

    const auto fans = Calls(DeviceMethod::DrawPrimitive);
    ASSERT_EQ(fans.size(), 200u);
    for (const DeviceCall& fan : fans) {
        ASSERT_EQ(fan.a, uint32_t(D3DPT_TRIANGLEFAN));
        ASSERT_EQ(fan.c, 4u);
        for (size_t i = 0; i < 4; ++i) ASSERT_EQ(VertexAt<MeshVertex>(fan, i).diffuse, 0xFFFFFFFFu);
    }
    // Step 0, quad 1 runs Q, P, P, Q between the rings at -700 and -200; rows slide by 0.2 a.
    const float e = a * 0.2f;
    const Vector3 q = WarpTube::RingPoint(a, 2.0f);
    const MeshVertex first = VertexAt<MeshVertex>(fans[0], 0);
    EXPECT_FLOAT_EQ(first.position.x, q.x);
    EXPECT_FLOAT_EQ(first.position.z, -700.0f);
    EXPECT_FLOAT_EQ(first.u, 0.02f);
    EXPECT_FLOAT_EQ(first.v, e - 0.2f);
    const MeshVertex third = VertexAt<MeshVertex>(fans[0], 2);
    EXPECT_FLOAT_EQ(third.position.z, -200.0f);
    EXPECT_FLOAT_EQ(third.u, 0.0f);
    EXPECT_FLOAT_EQ(third.v, e - 0.1f);
    // The last quad of the last step reaches u = 1 at the far ring.
    const MeshVertex farCorner = VertexAt<MeshVertex>(fans.back(), 2);
    EXPECT_FLOAT_EQ(farCorner.position.z, 700.0f);
    EXPECT_FLOAT_EQ(farCorner.u, 1.0f);
    EXPECT_FLOAT_EQ(farCorner.v, e + 0.2f);
}

TEST_F(WarpTubeDraw, GlassTubeSwitchesDepthOffAndTurnsAboutItsAxis) {
    WarpTube tube(GlassTubeConfig());
    tube.Draw(0.0f);
    EXPECT_EQ(LastRenderState(D3DRENDERSTATE_ZENABLE), int64_t(kFalse));
    const auto transforms = Calls(DeviceMethod::SetTransform);
    ASSERT_EQ(transforms.size(), 1u);
    EXPECT_EQ(transforms[0].a, uint32_t(D3DTRANSFORMSTATE_WORLD));
    // At phase 0 the glass axis is (15, 1, 0): a rotation leaves its own axis in place.
    Vector3 axis(15.0f, 1.0f, 0.0f), turned;
    axis.Normalize(axis);
    transforms[0].matrix.TransformNormal(turned, axis);
    EXPECT_NEAR(turned.x, axis.x, 1e-5f);
    EXPECT_NEAR(turned.y, axis.y, 1e-5f);
    EXPECT_NEAR(turned.z, axis.z, 1e-5f);
}

}  // namespace
}  // namespace cm::test
