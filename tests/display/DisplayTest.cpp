// The display in its headless form, and the render-state helpers as seen in the device's call
// record.
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "display/RenderObject.h"
#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"
#include "platform/device/TextureSurface.h"
#include "platform/device/VertexBuffer.h"

#include <gtest/gtest.h>

#include <cstdlib>

// SDL's video start-up opens a D-Bus connection whose library keeps a buffer until a process-wide
// shutdown that SDL 2.26 never calls; that one block is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace cm {
namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.CreateHeadless(640, 480, 0x0E, "Cold Meridian", &sink));
        device = GetDevice();
        ASSERT_NE(device, nullptr);
        device->GetCallRecord().Enable(true);
    }
    const CallRecord& Record() { return device->GetCallRecord(); }
    void ExpectRenderState(size_t i, uint32_t state, uint32_t value) {
        ASSERT_LT(i, Record().Size());
        EXPECT_EQ(Record()[i].method, DeviceMethod::SetRenderState) << i;
        EXPECT_EQ(Record()[i].a, state) << i;
        EXPECT_EQ(Record()[i].b, value) << i;
    }
    void ExpectStageState(size_t i, uint32_t stage, uint32_t state, uint32_t value) {
        ASSERT_LT(i, Record().Size());
        EXPECT_EQ(Record()[i].method, DeviceMethod::SetTextureStageState) << i;
        EXPECT_EQ(Record()[i].a, stage) << i;
        EXPECT_EQ(Record()[i].b, state) << i;
        EXPECT_EQ(Record()[i].c, value) << i;
    }

    MemorySink sink;
    DisplayDevice display;
    Device* device = nullptr;
};

TEST_F(DisplayTest, CreatePublishesTheDeviceAndStartsBlack) {
    EXPECT_NE(GetContext(), nullptr);
    VertexBuffer* vb = GetScreenVertexBuffer();
    ASSERT_NE(vb, nullptr);
    EXPECT_EQ(vb->GetVertexCount(), 300u);
    EXPECT_EQ(vb->GetFvf(), 0x144u);
    EXPECT_EQ(vb->GetDesc().caps, D3DVBCAPS_WRITEONLY);
    // The first frame is shown black; depth testing and clipping on, lighting off.
    EXPECT_EQ(sink.frames, 1u);
    EXPECT_EQ(sink.frame[0], 0u);
    for (auto [state, expected] : {std::pair{D3DRENDERSTATE_ZENABLE, kTrue}, std::pair{D3DRENDERSTATE_CLIPPING, kTrue},
                                   std::pair{D3DRENDERSTATE_LIGHTING, kFalse}}) {
        uint32_t value = 99;
        device->GetRenderState(state, &value);
        EXPECT_EQ(value, expected) << state;
    }
}

TEST_F(DisplayTest, FramesAreClearedToThePackedColourAndPresentedWithTheVSyncFlag) {
    display.BeginFrame(Color4(0, 0, 0, 1));
    display.Present();
    EXPECT_EQ(sink.frame[640 * 480 - 1], 0xFF000000u);
    EXPECT_FALSE(sink.lastWaitVSync);  // 0x0E does not wait
    display.BeginFrame(Color4(0.5f, 0.25f, 1.0f, 1.0f));
    display.Present();
    EXPECT_EQ(sink.frame[12345], 0xFF7F3FFFu);  // each channel * 255, truncated
    EXPECT_EQ(device->GetRenderTarget().Depth(5, 5), 1.0f);
    EXPECT_FALSE(device->IsInScene());  // a frame does not open a scene

    DisplayDevice vsync;
    MemorySink other;
    ASSERT_TRUE(vsync.CreateHeadless(640, 480, FullScreen | WaitVSync, "Cold Meridian", &other));
    vsync.Present();
    EXPECT_TRUE(other.lastWaitVSync);
}

TEST_F(DisplayTest, PumpReturnsTheLastKeyOnceAndDestroyClearsTheAccessors) {
    display.KeyDown(65);
    display.KeyDown(27);
    EXPECT_EQ(display.PumpMessages(), 27u);
    EXPECT_EQ(display.PumpMessages(), 0u);
    display.Destroy();
    EXPECT_EQ(GetDevice(), nullptr);
    EXPECT_EQ(GetScreenVertexBuffer(), nullptr);
    display.Destroy();  // twice is harmless
    RenderObject().EnableZBuffer();  // and the helpers do nothing without a device
}

TEST_F(DisplayTest, HelpersMakeExactlyTheirDeviceCalls) {
    RenderObject r;
    Matrix4 m;
    m.SetIdentity();
    r.SetViewMatrix(nullptr);
    r.SetWorldMatrix(nullptr);
    EXPECT_EQ(Record().Size(), 0u);
    r.SetWorldMatrix(&m);
    ASSERT_EQ(Record().Size(), 1u);
    EXPECT_EQ(Record()[0].method, DeviceMethod::SetTransform);
    EXPECT_EQ(Record()[0].a, D3DTRANSFORMSTATE_WORLD);

    device->GetCallRecord().Clear();
    r.BindTexture(nullptr);
    ASSERT_EQ(Record().Size(), 4u);
    EXPECT_EQ(Record()[0].method, DeviceMethod::SetTexture);
    EXPECT_EQ(Record()[0].pointer, nullptr);
    ExpectStageState(1, 0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    ExpectStageState(2, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    ExpectStageState(3, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);

    device->GetCallRecord().Clear();
    r.EnableAdditiveBlend();
    r.DisableBlend();
    r.SetLinearFiltering(0);
    r.EnableLighting();
    r.DisableCulling();
    ExpectRenderState(0, D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    ExpectRenderState(1, D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    ExpectRenderState(2, D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
    ExpectRenderState(3, D3DRENDERSTATE_ALPHABLENDENABLE, kFalse);
    ExpectStageState(4, 0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    ExpectStageState(5, 0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    ExpectRenderState(6, D3DRENDERSTATE_LIGHTING, kTrue);
    ExpectRenderState(7, D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
    ExpectRenderState(8, D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    EXPECT_EQ(Record().Size(), 9u);
}

TEST_F(DisplayTest, ProjectionIsLeftHandedWithA4To3ViewWindow) {
    RenderObject().SetProjection(0.08f, 1000.0f);
    ASSERT_EQ(Record().Size(), 1u);
    const DeviceCall& c = Record()[0];
    EXPECT_EQ(c.a, D3DTRANSFORMSTATE_PROJECTION);
    const float* p = c.matrix.m;
    EXPECT_FLOAT_EQ(p[0], 0.8f);
    EXPECT_NEAR(p[5], 1.0667f, 1e-4);
    EXPECT_FLOAT_EQ(p[10], 1000.0f / 999.92f);
    EXPECT_EQ(p[11], 1.0f);
    EXPECT_FLOAT_EQ(p[14], -0.08f * 1000.0f / 999.92f);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 15}) EXPECT_EQ(p[i], 0.0f) << i;
}

TEST(DisplayWithoutServer, CreateFailsCleanly) {
    // No X server at this address and no other video driver: the window cannot open.
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", ":4711", 1);
    unsetenv("WAYLAND_DISPLAY");
    DisplayDevice display;
    EXPECT_FALSE(display.Create(640, 480, 0x0E, "Cold Meridian"));
    EXPECT_EQ(GetDevice(), nullptr);
    display.Destroy();
    // Initialisation was balanced: another display can be made and torn down.
    MemorySink sink;
    EXPECT_TRUE(display.CreateHeadless(640, 480, 0x0E, "Cold Meridian", &sink));
    display.Destroy();
    EXPECT_LT(D3DXUninitialize(), 0);
}

}  // namespace
}  // namespace cm
