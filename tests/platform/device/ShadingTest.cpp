// What colour a covered pixel gets: texture sampling, stage 0, fog, depth and blending, with the
// exact values the integer pixel arithmetic gives.
#include "DeviceFixture.h"

#include "platform/d3dx/D3DX.h"

#include <cstring>

namespace cm::test {
namespace {

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

// A 4 x 4 texture whose texel (x, y) is red 16 (x + 1), green 16 (y + 1).
std::vector<uint32_t> GridTexels() {
    std::vector<uint32_t> t;
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x) t.push_back(0xFF000000u | (16 * (x + 1)) << 16 | (16 * (y + 1)) << 8);
    return t;
}

uint32_t Grid(int x, int y) { return 0xFF000000u | uint32_t(16 * (x + 1)) << 16 | uint32_t(16 * (y + 1)) << 8; }

class ShadingTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
    }
    void UseFilter(uint32_t filter) {
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    }
};

TEST_F(ShadingTest, PointAndBilinearSamplesAtTexelCentresAndAcrossTheWrapSeam) {
    device->SetTexture(0, MakeTexture(4, 4, GridTexels()));
    // Shifted half a pixel, pixel i lands on the centre of texel i: both filters give the texel.
    for (uint32_t filter : {D3DTFG_POINT, D3DTFG_LINEAR}) {
        UseFilter(filter);
        Rect(-0.5f, -0.5f, 3.5f, 3.5f);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(x, y), Grid(x, y)) << filter << " " << x << "," << y;
    }
    // Unshifted, pixel i samples u = i / 4, on the edge between texels i - 1 and i.
    UseFilter(D3DTFG_POINT);
    Rect(0, 0, 4, 4);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(x, 1), Grid(x, 1)) << x;
    UseFilter(D3DTFG_LINEAR);
    Rect(0, 0, 4, 4);
    // Pixel (2, 2): half of texels 1 and 2 in x and in y: red (32 + 48) / 2, green likewise.
    EXPECT_EQ(Pixel(2, 2), 0xFF282800u);
    // Pixel (0, 0) blends with the opposite edges: texels x 3 and 0, y 3 and 0.
    EXPECT_EQ(Pixel(0, 0), 0xFF282800u);
    EXPECT_EQ(Pixel(0, 2), 0xFF282800u);
    // Texture coordinates far outside 0..1 wrap to the same texels.
    Draw(D3DPT_TRIANGLEFAN, {TL(10 - 0.5f, -0.5f, ~0u, 5, -3), TL(14 - 0.5f, -0.5f, ~0u, 6, -3),
                             TL(14 - 0.5f, 3.5f, ~0u, 6, -2), TL(10 - 0.5f, 3.5f, ~0u, 5, -2)});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(10 + x, y), Grid(x, y)) << x << "," << y;
}

TEST_F(ShadingTest, TextureCoordinatesArePerspectiveCorrect) {
    std::vector<uint32_t> ramp(256);
    for (uint32_t i = 0; i < 256; ++i) ramp[i] = i << 16;
    device->SetTexture(0, MakeTexture(256, 1, ramp));
    // Left edge at w = 1, right edge at w = 4; u runs 0..1 over 256 pixels.
    Draw(D3DPT_TRIANGLEFAN, {TL(0, 0, ~0u, 0, 0, 0, 1.0f), TL(256, 0, ~0u, 1, 0, 0, 0.25f),
                             TL(256, 4, ~0u, 1, 1, 0, 0.25f), TL(0, 4, ~0u, 0, 1, 0, 1.0f)});
    for (int x : {0, 64, 128, 200, 255}) {
        const double l = x / 256.0;
        const double u = l * 0.25 / ((1 - l) * 1.0 + l * 0.25);
        const int texel = static_cast<int>((Pixel(x, 2) >> 16) & 0xFF);
        EXPECT_NEAR(texel, u * 256, 1.0) << x;
    }
    // Without perspective correction the same quad is affine: u = x / 256.
    device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, kFalse);
    Draw(D3DPT_TRIANGLEFAN, {TL(0, 0, ~0u, 0, 0, 0, 1.0f), TL(256, 0, ~0u, 1, 0, 0, 0.25f),
                             TL(256, 4, ~0u, 1, 1, 0, 0.25f), TL(0, 4, ~0u, 0, 1, 0, 1.0f)});
    EXPECT_NEAR(static_cast<int>((Pixel(128, 2) >> 16) & 0xFF), 128, 1);
}

TEST_F(ShadingTest, StageZeroModulatesAndPassesDiffuseWithoutTexture) {
    device->SetTexture(0, MakeTexture(1, 1, {0x808080u}));
    Rect(0, 0, 8, 8, 0xFF808080u);
    EXPECT_EQ(Pixel(4, 4), 0xFF404040u);  // 128 * 128 / 255 = 64.25
    Rect(0, 0, 8, 8, 0x00FFFFFFu);
    EXPECT_EQ(Pixel(4, 4), 0xFF808080u);  // white leaves the texel; alpha is the texture's

    // No texture: the stage reading it passes the diffuse colour, even with BindTexture's states.
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Rect(0, 0, 8, 8, 0x7F123456u);
    EXPECT_EQ(Pixel(4, 4), 0x7F123456u);
    // Selecting the texture explicitly: still the diffuse colour when none is bound.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    Rect(0, 0, 8, 8, 0xFF654321u);
    EXPECT_EQ(Pixel(4, 4), 0xFF654321u);
}

TEST_F(ShadingTest, GouraudColourRunsBetweenTheVertexColours) {
    Draw(D3DPT_TRIANGLEFAN, {TL(-0.5f, 0, 0xFF000000u), TL(254.5f, 0, 0xFFFFFFFFu), TL(254.5f, 2, 0xFFFFFFFFu),
                             TL(-0.5f, 2, 0xFF000000u)});
    // Pixel x is at x + 0.5 of 255: value x + 0.5, rounded to x + 1 (ties up).
    EXPECT_EQ(Pixel(0, 1) & 0xFF, 1u);
    EXPECT_EQ(Pixel(100, 1) & 0xFF, 101u);
    EXPECT_EQ(Pixel(254, 1), 0xFFFFFFFFu);
    // Flat shading takes the first vertex of the triangle (for a fan, its second vertex).
    device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_FLAT);
    Draw(D3DPT_TRIANGLEFAN, {TL(0, 10, 0xFF0000FFu), TL(50, 10, 0xFF00FF00u), TL(50, 60, 0xFFFF0000u)});
    EXPECT_EQ(Pixel(40, 20), 0xFF00FF00u);
}

class FogTest : public ShadingTest {
protected:
    void SetUp() override {
        ShadingTest::SetUp();
        Matrix4 projection;
        D3DXMatrixPerspective(&projection, 0.2f, 0.15f, 0.08f, 1000.0f);
        device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
        device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
        device->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
        device->SetRenderState(D3DRENDERSTATE_FOGEND, FloatBits(10.0f));
        device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0x00FF0000u);
    }
    // A white wall facing the camera at eye depth z, filling the centre of the screen.
    uint32_t WallAt(float z) {
        Clear(0xFF000000u);
        Draw(D3DPT_TRIANGLEFAN, {XYZ(-z, -z, z), XYZ(z, -z, z), XYZ(z, z, z), XYZ(-z, z, z)});
        return Pixel(320, 240);
    }
};

TEST_F(FogTest, LinearFogFactorsAtKnownDepths) {
    // FOGSTART keeps its default 0: f = (10 - d) / 10.
    EXPECT_EQ(WallAt(7.5f), 0xFFFF4040u);  // f = 0.25: 64 of white, 191 of red
    EXPECT_EQ(WallAt(2.5f), 0xFFFFBFBFu);  // f = 0.75
    EXPECT_EQ(WallAt(12.0f), 0xFFFF0000u);  // beyond the end: clamped to the fog colour
    device->SetRenderState(D3DRENDERSTATE_FOGSTART, FloatBits(3.0f));
    EXPECT_EQ(WallAt(2.0f), 0xFFFFFFFFu);  // before the start: clamped to no fog
    // Start equal to end: everything takes the fog colour.
    device->SetRenderState(D3DRENDERSTATE_FOGSTART, FloatBits(10.0f));
    EXPECT_EQ(WallAt(1.0f), 0xFFFF0000u);
    // Fog off: untouched.
    device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kFalse);
    EXPECT_EQ(WallAt(7.5f), 0xFFFFFFFFu);
}

TEST_F(FogTest, PreTransformedVerticesTakeTheFogColourCompletely) {
    // Their fog factor would be the specular alpha, which vertex format 0x144 does not carry.
    Rect(0, 0, 16, 16, 0xFF00FF00u);
    EXPECT_EQ(Pixel(8, 8), 0xFFFF0000u);
}

TEST_F(ShadingTest, DepthTestAndDepthWrite) {
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, kTrue);
    Rect(0, 0, 10, 10, 0xFFFF0000u, 0.2f);
    EXPECT_FLOAT_EQ(Depth(5, 5), 0.2f);
    Rect(0, 0, 10, 10, 0xFF00FF00u, 0.6f);
    EXPECT_EQ(Pixel(5, 5), 0xFFFF0000u);  // farther: hidden
    Rect(0, 0, 10, 10, 0xFF0000FFu, 0.2f);
    EXPECT_EQ(Pixel(5, 5), 0xFF0000FFu);  // equal depth passes (LESSEQUAL)

    // Without depth writes the near quad shows but leaves the far one free to draw.
    Clear(0xFF000000u);
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, kFalse);
    Rect(0, 0, 10, 10, 0xFFFF0000u, 0.2f);
    EXPECT_EQ(Pixel(5, 5), 0xFFFF0000u);
    EXPECT_FLOAT_EQ(Depth(5, 5), 1.0f);
    Rect(0, 0, 10, 10, 0xFF00FF00u, 0.6f);
    EXPECT_EQ(Pixel(5, 5), 0xFF00FF00u);

    // Depth buffer off: no test and no write, whatever ZWRITEENABLE says.
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, kTrue);
    device->Clear(false, 0, true, 0.0f);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
    Rect(0, 0, 10, 10, 0xFF0000FFu, 0.9f);
    EXPECT_EQ(Pixel(5, 5), 0xFF0000FFu);
    EXPECT_FLOAT_EQ(Depth(5, 5), 0.0f);
}

TEST_F(ShadingTest, AdditiveBlendingSaturatesEachChannel) {
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
    Clear(0x00102030u);
    Rect(0, 0, 4, 4, 0x00010203u);
    EXPECT_EQ(Pixel(1, 1), 0x00112233u);
    Clear(0x0080C0F0u);
    Rect(0, 0, 4, 4, 0x0090A010u);
    EXPECT_EQ(Pixel(1, 1), 0x00FFFFFFu);
    // Blending off again: the source replaces, whatever the factors say.
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kFalse);
    Rect(0, 0, 4, 4, 0x00010203u);
    EXPECT_EQ(Pixel(1, 1), 0x00010203u);
}

}  // namespace
}  // namespace cm::test
