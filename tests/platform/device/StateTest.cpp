// Device bookkeeping: refusals that change nothing, scenes, vertex buffers and their locks,
// texture references, the call record, lighting.
#include "DeviceFixture.h"

#include "platform/device/Direct3D.h"
#include "platform/device/VertexBuffer.h"

namespace cm::test {
namespace {

using StateTest = DeviceTest;

TEST_F(StateTest, RefusalsChangeNothingAndScenesPairUp) {
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
    TLVertex* v = static_cast<TLVertex*>(data);
    v[10] = TL(0, 0);
    v[11] = TL(8, 0);
    v[12] = TL(8, 8);
    v[13] = TL(0, 8);
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

TEST_F(StateTest, CallRecordKeepsWhatWasPassedAndIsOffByDefault) {
    CallRecord& record = device->GetCallRecord();
    device->BeginScene();
    EXPECT_EQ(record.Size(), 0u);
    record.Enable(true);
    D3DMaterial7 material;
    material.emissive.g = 0.5f;
    device->SetMaterial(&material);
    Rect(0, 0, 4, 4, 0xFF00FF00u);
    device->EndScene();
    ASSERT_EQ(record.Size(), 3u);
    EXPECT_EQ(record[0].material.emissive.g, 0.5f);
    EXPECT_EQ(record[1].method, DeviceMethod::DrawPrimitive);
    ASSERT_EQ(record[1].vertices.size(), 4u * 28u);
    TLVertex third;
    std::memcpy(&third, record[1].vertices.data() + 2 * 28, 28);
    EXPECT_EQ(third.x, 4.0f);
    EXPECT_EQ(record[2].method, DeviceMethod::EndScene);
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
