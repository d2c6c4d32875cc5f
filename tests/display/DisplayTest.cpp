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

    MemorySink sink;
    DisplayDevice display;
    Device* device = nullptr;
};

TEST_F(DisplayTest, CreatePublishesTheDeviceStartsBlackAndClearsFramesToThePackedColour) {
    EXPECT_NE(GetContext(), nullptr);
    EXPECT_NE(GetScreenVertexBuffer(), nullptr);
    // The first frame is shown black; depth testing and clipping on, lighting off.
    EXPECT_EQ(sink.frames, 1u);
    EXPECT_EQ(sink.frame[0], 0u);
    for (auto [state, expected] : {std::pair{D3DRENDERSTATE_ZENABLE, kTrue}, std::pair{D3DRENDERSTATE_CLIPPING, kTrue},
                                   std::pair{D3DRENDERSTATE_LIGHTING, kFalse}}) {
        uint32_t value = 99;
        device->GetRenderState(state, &value);
        EXPECT_EQ(value, expected) << state;
    }

    // Frames are cleared to the packed colour and presented with the vsync flag.
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

// That Destroy clears the accessors is the show's start-up test's.
TEST_F(DisplayTest, PumpReturnsTheLastKeyOnceAndDestroyTwiceIsHarmless) {
    display.KeyDown(65);
    display.KeyDown(27);
    EXPECT_EQ(display.PumpMessages(), 27u);
    EXPECT_EQ(display.PumpMessages(), 0u);
    display.Destroy();
    display.Destroy();
    RenderObject().EnableZBuffer();  // and the helpers do nothing without a device
}

TEST_F(DisplayTest, ProjectionIsLeftHandedWithA4To3ViewWindow) {
    RenderObject().SetProjection(0.08f, 1000.0f);
    ASSERT_EQ(Record().Size(), 1u);
    const DeviceCall& c = Record()[0];
    EXPECT_EQ(c.a, D3DTRANSFORMSTATE_PROJECTION);
    const float q = 1000.0f / 999.92f, expected[16] = {0.8f, 0, 0, 0, 0, 0.8f * 4 / 3, 0, 0, 0, 0, q, 1, 0, 0, -0.08f * q, 0};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(c.matrix.m[i], expected[i], 1e-5f) << i;
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
