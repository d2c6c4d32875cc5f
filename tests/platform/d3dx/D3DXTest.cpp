// The d3dx layer: clear flags, textures of any size filled from 32-bit pixels, and the refusals.
#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/TextureSurface.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace cm {
namespace {

class D3DXTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(D3DXInitialize(), kD3DOk);
        ASSERT_EQ(D3DXCreateContext(D3DX_DEFAULT, 0, &sink, D3DX_DEFAULT, D3DX_DEFAULT, &context), kD3DOk);
        device = context->GetD3DDevice();
    }
    void TearDown() override {
        device->Release();
        context->Release();
        D3DXUninitialize();
    }
    MemorySink sink;
    D3DXContext* context = nullptr;
    Device* device = nullptr;
};

// Clearing colour and depth and presenting with or without waiting are the display's test; here
// what the display does not use.
TEST_F(D3DXTest, ClearTakesItsFlagsAndAFrameNeedsNoSink) {
    const RenderTarget& target = device->GetRenderTarget();
    EXPECT_EQ(context->SetClearColor(0xFF102030u), kD3DOk);
    device->Clear(false, 0, true, 0.25f);
    EXPECT_EQ(context->Clear(D3DCLEAR_TARGET), kD3DOk);
    EXPECT_EQ(target.Pixel(639, 479), 0xFF102030u);
    EXPECT_EQ(target.Depth(0, 0), 0.25f);  // colour only
    EXPECT_LT(context->Clear(0x80), 0);
    context->SetSink(nullptr);
    EXPECT_EQ(context->UpdateFrame(0), kD3DOk);  // no sink: the frame goes nowhere
    EXPECT_EQ(sink.frames, 0u);
}

TEST_F(D3DXTest, TexturesOfAnySizeFilledFromPixels) {
    uint32_t w = 37, h = 5, format = D3DX_SF_R8G8B8, mips = 0;
    TextureSurface* surface = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, nullptr, &w, &h, &format, nullptr, &surface, &mips), kD3DOk);
    EXPECT_EQ((std::array{w, h, format, mips}), (std::array<uint32_t, 4>{37, 5, D3DX_SF_X8R8G8B8, 1}));
    std::vector<uint32_t> pixels(37 * 5);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 0x010203u);
    EXPECT_EQ(D3DXLoadTextureFromMemory(device, surface, 0, pixels.data(), nullptr, D3DX_SF_X8R8G8B8, D3DX_DEFAULT,
                                        nullptr, D3DX_FT_LINEAR),
              kD3DOk);
    EXPECT_EQ(surface->GetTexel(3, 2), (77u * 0x010203u) | 0xFF000000u);  // alpha byte kept opaque
    // A pitch wider than the row skips the padding.
    std::vector<uint32_t> padded(40 * 5, 0xDEADBEEFu);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 37; ++x) padded[y * 40 + x] = y << 8 | x;
    D3DXLoadTextureFromMemory(device, surface, 0, padded.data(), nullptr, D3DX_SF_X8R8G8B8, 40 * 4, nullptr, 2);
    EXPECT_EQ(surface->GetTexel(36, 4), 0xFF000424u);

    // Refusals: nothing to load, a format this layer does not convert, a rectangle, a pitch too short.
    EXPECT_LT(D3DXLoadTextureFromMemory(device, surface, 0, nullptr, nullptr, D3DX_SF_X8R8G8B8, D3DX_DEFAULT, nullptr, 2), 0);
    EXPECT_LT(D3DXLoadTextureFromMemory(device, surface, 0, pixels.data(), nullptr, D3DX_SF_R8G8B8, D3DX_DEFAULT, nullptr, 2), 0);
    EXPECT_LT(D3DXLoadTextureFromMemory(device, surface, 0, pixels.data(), nullptr, D3DX_SF_X8R8G8B8, 16, nullptr, 2), 0);
    surface->Release();

    // Sizes the surface cannot take are refused without touching the outputs but the surface.
    w = 0;
    EXPECT_LT(D3DXCreateTexture(device, nullptr, &w, &h, &format, nullptr, &surface, &mips), 0);
    EXPECT_EQ(surface, nullptr);
    w = 100000;
    EXPECT_LT(D3DXCreateTexture(device, nullptr, &w, &h, &format, nullptr, &surface, &mips), 0);
    EXPECT_EQ(w, 100000u);
}

TEST(D3DXLifecycle, NothingIsCreatedWhileUninitialised) {
    D3DXContext* context = reinterpret_cast<D3DXContext*>(1);
    EXPECT_LT(D3DXCreateContext(D3DX_DEFAULT, 0, nullptr, D3DX_DEFAULT, D3DX_DEFAULT, &context), 0);
    EXPECT_EQ(context, nullptr);
    EXPECT_LT(D3DXUninitialize(), 0);
    // A full-screen context is the library's 640 x 480.
    ASSERT_EQ(D3DXInitialize(), kD3DOk);
    ASSERT_EQ(D3DXCreateContext(D3DX_DEFAULT, D3DX_CONTEXT_FULLSCREEN, nullptr, D3DX_DEFAULT, D3DX_DEFAULT, &context),
              kD3DOk);
    EXPECT_TRUE(context->IsFullScreen());
    Device* device = context->GetD3DDevice();
    EXPECT_EQ(device->GetRenderTarget().width, 640);
    device->Release();
    context->Release();
    EXPECT_EQ(D3DXUninitialize(), kD3DOk);
}

}  // namespace
}  // namespace cm
