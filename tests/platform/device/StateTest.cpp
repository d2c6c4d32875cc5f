// Device bookkeeping: refusals that change nothing, scenes, vertex buffers and their locks,
// texture references, the call record, lighting.
#include "DeviceFixture.h"

#include "platform/device/Direct3D.h"
#include "platform/device/VertexBuffer.h"

namespace cm::test {
namespace {

using StateTest = DeviceTest;

TEST(DeviceDefaults, NewDeviceHasDirect3D7Defaults) {
    DirectDraw* dd = DirectDraw::Create(640, 480);
    Device* d = Device::Create(dd);
    for (const auto& [state, expected] :
         {std::pair{D3DRENDERSTATE_ZENABLE, uint32_t(D3DZB_TRUE)}, {D3DRENDERSTATE_ZWRITEENABLE, kTrue},
          {D3DRENDERSTATE_ZFUNC, uint32_t(D3DCMP_LESSEQUAL)}, {D3DRENDERSTATE_CULLMODE, uint32_t(D3DCULL_CCW)},
          {D3DRENDERSTATE_SRCBLEND, uint32_t(D3DBLEND_ONE)}, {D3DRENDERSTATE_DESTBLEND, uint32_t(D3DBLEND_ZERO)},
          {D3DRENDERSTATE_ALPHABLENDENABLE, kFalse}, {D3DRENDERSTATE_LIGHTING, kTrue},
          {D3DRENDERSTATE_FOGSTART, 0u}, {D3DRENDERSTATE_FOGEND, FloatBits(1.0f)},
          {D3DRENDERSTATE_TEXTUREPERSPECTIVE, kTrue}}) {
        uint32_t value = 0xDEAD;
        d->GetRenderState(state, &value);
        EXPECT_EQ(value, expected) << "render state " << state;
    }
    for (const auto& [stage, state, expected] : {std::tuple{0u, D3DTSS_COLOROP, uint32_t(D3DTOP_MODULATE)},
                                                 {1u, D3DTSS_COLOROP, uint32_t(D3DTOP_DISABLE)},
                                                 {0u, D3DTSS_MAGFILTER, uint32_t(D3DTFG_POINT)}}) {
        uint32_t value = 0xDEAD;
        d->GetTextureStageState(stage, state, &value);
        EXPECT_EQ(value, expected) << "stage " << stage << " state " << state;
    }
    d->Release();
    dd->Release();
}

TEST_F(StateTest, RefusalsChangeNothingScenesPairUpAndNoCallIsRecorded) {
    EXPECT_LT(device->SetRenderState(static_cast<RenderState>(0), 1), 0);
    EXPECT_LT(device->SetRenderState(static_cast<RenderState>(5000), 1), 0);
    EXPECT_LT(device->SetTextureStageState(8, D3DTSS_COLOROP, 1), 0);
    EXPECT_LT(device->SetTextureStageState(0, static_cast<TextureStageState>(99), 1), 0);
    EXPECT_LT(device->SetTexture(8, nullptr), 0);
    EXPECT_LT(device->SetTransform(static_cast<TransformState>(7), nullptr), 0);
    EXPECT_LT(device->SetTransform(D3DTRANSFORMSTATE_WORLD, nullptr), 0);
    EXPECT_LT(device->SetMaterial(nullptr), 0);
    Matrix4 world;
    device->GetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    EXPECT_EQ(world.m[0], 1.0f);

    EXPECT_EQ(device->EndScene(), kD3DErrSceneNotInScene);
    EXPECT_EQ(device->BeginScene(), kD3DOk);
    EXPECT_EQ(device->BeginScene(), kD3DErrSceneInScene);
    EXPECT_EQ(device->EndScene(), kD3DOk);
    EXPECT_FALSE(device->IsInScene());
    // Nothing turns the call record on in a show: recording every call of a long run would grow
    // without end.
    EXPECT_EQ(device->GetCallRecord().Size(), 0u);
}

TEST_F(StateTest, VertexBuffersLockAndDrawFromAStartVertex) {
    Direct3D* d3d = Direct3D::Create();
    D3DVertexBufferDesc desc{16, D3DVBCAPS_WRITEONLY, kFvfScreenVertex, 300};
    VertexBuffer* vb = nullptr;
    ASSERT_EQ(d3d->CreateVertexBuffer(&desc, &vb, 0), kD3DOk);
    void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(vb->Lock(DDLOCK_WAIT | DDLOCK_WRITEONLY, &data, &size), kD3DOk);
    EXPECT_EQ(size, 300u * 28u);
    EXPECT_LT(vb->Lock(0, &data, nullptr), 0);  // already locked
    const TLVertex quad[] = {TL(0, 0), TL(8, 0), TL(8, 8), TL(0, 8)};
    std::memcpy(static_cast<TLVertex*>(data) + 10, quad, sizeof quad);
    EXPECT_EQ(device->DrawPrimitiveVB(D3DPT_TRIANGLEFAN, vb, 10, 4, 0), kD3DErrVertexBufferLocked);
    EXPECT_EQ(CountNot(0xFF000000u), 0u);
    ASSERT_EQ(vb->Unlock(), kD3DOk);
    EXPECT_EQ(device->DrawPrimitiveVB(D3DPT_TRIANGLEFAN, vb, 10, 4, 0), kD3DOk);
    EXPECT_EQ(CountNot(0xFF000000u), 64u);
    // Ranges past the end are refused rather than read.
    EXPECT_LT(device->DrawPrimitiveVB(D3DPT_TRIANGLELIST, vb, 299, 3, 0), 0);
    EXPECT_LT(device->DrawPrimitiveVB(D3DPT_TRIANGLELIST, vb, 0xFFFFFFF0u, 0x20, 0), 0);
    vb->Release();

    desc.fvf = 0x142;
    EXPECT_LT(d3d->CreateVertexBuffer(&desc, &vb, 0), 0);
    EXPECT_EQ(vb, nullptr);
    d3d->Release();
}

TEST_F(StateTest, ABoundTextureStaysAliveUntilUnbound) {
    TextureSurface* t = TextureSurface::Create(2, 2);
    device->SetTexture(0, t);
    EXPECT_EQ(t->Release(), 1u);  // the device still holds it
    Rect(0, 0, 4, 4);             // and can sample it
    EXPECT_EQ(Pixel(1, 1), 0xFF000000u);
    device->SetTexture(0, nullptr);  // releases the last reference
}

TEST_F(StateTest, LightingWithoutLightsGivesAmbientAndEmissiveOfTheMaterial) {
    device->SetRenderState(D3DRENDERSTATE_LIGHTING, kTrue);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
    auto quad = [this](uint32_t diffuse) {
        Draw(D3DPT_TRIANGLEFAN, {XYZ(-1, -1, 0.5f, diffuse), XYZ(1, -1, 0.5f, diffuse), XYZ(1, 1, 0.5f, diffuse),
                                 XYZ(-1, 1, 0.5f, diffuse)});
        return Pixel(320, 240);
    };
    // No material yet: black, with the vertex alpha.
    EXPECT_EQ(quad(0x80FFFFFFu), 0x80000000u);
    D3DMaterial7 material;
    material.emissive = {0.5f, 0.25f, 0.0f, 1.0f};
    material.ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x00000040u);  // blue ambient 64 / 255
    // Red 127.5 and green 63.75 round to 128 and 64; blue is 64 from the ambient term.
    EXPECT_EQ(quad(0xFFFFFFFFu), 0xFF804040u);
}

}  // namespace
}  // namespace cm::test
