#include "common/DeviceRecordTest.h"

#include "display/ScreenVertex.h"
#include "parts/EndScroller.h"
#include "resources/TextureManager.h"

namespace cm::test {
namespace {

class EndScrollerTest : public DeviceRecordTest {
protected:
    void SetUp() override {
        DeviceRecordTest::SetUp();
        resources.textures = &textures;
        ASSERT_TRUE(scroller.Load(resources)) << "the show's data must be in the working folder";
        scroller.Reset();
    }
    TextureManager textures;
    PartResources resources;
    EndScroller scroller;
};

TEST_F(EndScrollerTest, QuitsOnTheFirstFrameAtMinus960NeverOnAStillFrameAndDrawsAnOpaqueFan) {
    int quit = 0;
    EXPECT_EQ(scroller.GetY(), 480.0f);
    scroller.SetY(-950.0f);
    scroller.FramePart(0.0f, &quit);
    EXPECT_EQ(quit, 0);
    EXPECT_EQ(scroller.GetY(), -950.0f);
    scroller.FramePart(2.0f, &quit);  // -958
    EXPECT_EQ(quit, 0);
    scroller.FramePart(0.5f, &quit);  // exactly -960
    EXPECT_EQ(scroller.GetY(), -960.0f);
    EXPECT_EQ(quit, 1);

    // From the start it takes 360 clock units.
    scroller.Reset();
    quit = 0;
    float time = 0.0f;
    while (quit == 0 && time < 1000.0f) {
        scroller.FramePart(2.5f, &quit);
        time += 2.5f;
    }
    EXPECT_FLOAT_EQ(time, 360.0f);

    // The scroll quad: an opaque fan stretched to 640 by 960.
    scroller.SetY(-100.0f);
    device->GetCallRecord().Clear();
    scroller.FramePart(0.0f, nullptr);
    const auto fans = Calls(DeviceMethod::DrawPrimitiveVB);
    ASSERT_GE(fans.size(), 2u);  // the scroll fan, then the overlay's triangles
    const DeviceCall& fan = fans[0];
    EXPECT_EQ(fan.a, uint32_t(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(fan.c, 4u);
    const ScreenVertex top = VertexAt<ScreenVertex>(fan, 0), bottom = VertexAt<ScreenVertex>(fan, 2);
    EXPECT_EQ(std::vector<float>({top.x, top.y, bottom.x, bottom.y, bottom.u, bottom.v}),
              std::vector<float>({0.0f, -100.0f, 640.0f, 860.0f, 1.0f, 1.0f}));
    // Blending was off when the fan was drawn.
    EXPECT_EQ(LastRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, DeviceMethod::DrawPrimitiveVB), int64_t(kFalse));
}

}  // namespace
}  // namespace cm::test
