// What colour a covered pixel gets: texture sampling, stage 0, fog, depth and blending, with the
// exact values the integer pixel arithmetic gives.
#include "DeviceFixture.h"

namespace cm::test {
namespace {

// Texel (x, y) of a 4 x 4 grid: red 16 (x + 1), green 16 (y + 1).
uint32_t Grid(int x, int y) { return 0xFF000000u | uint32_t(16 * (x + 1)) << 16 | uint32_t(16 * (y + 1)) << 8; }

class ShadingTest : public DeviceTest {
protected:
    void SetUp() override { device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse); }
    void UseFilter(uint32_t filter) {
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    }
};

TEST_F(ShadingTest, PointAndBilinearSamplesAtTexelCentresAndAcrossTheWrapSeam) {
    std::vector<uint32_t> grid;
    for (int i = 0; i < 16; ++i) grid.push_back(Grid(i % 4, i / 4));
    device->SetTexture(0, MakeTexture(4, 4, grid));
    // Shifted half a pixel, pixel i lands on the centre of texel i: both filters give the texel,
    // also with texture coordinates far outside 0..1, which wrap.
    for (uint32_t filter : {D3DTFG_POINT, D3DTFG_LINEAR}) {
        UseFilter(filter);
        Rect(-0.5f, -0.5f, 3.5f, 3.5f);
        Draw(D3DPT_TRIANGLEFAN, {TL(9.5f, -0.5f, ~0u, 5, -3), TL(13.5f, -0.5f, ~0u, 6, -3),
                                 TL(13.5f, 3.5f, ~0u, 6, -2), TL(9.5f, 3.5f, ~0u, 5, -2)});
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(Pixel(x, y), Grid(x, y)) << filter << " " << x << "," << y;
                EXPECT_EQ(Pixel(10 + x, y), Grid(x, y)) << filter << " wrapped " << x << "," << y;
            }
    }
    // Unshifted, pixel i samples u = i / 4, on the edge between texels i - 1 and i.
    UseFilter(D3DTFG_POINT);
    Rect(0, 0, 4, 4);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(x, 1), Grid(x, 1)) << x;
    UseFilter(D3DTFG_LINEAR);
    Rect(0, 0, 4, 4);
    // Pixel (2, 2): half of texels 1 and 2 in x and in y: red (32 + 48) / 2, green likewise.
    // Pixels at 0 blend with the opposite edges: texels 3 and 0.
    for (const auto& [x, y] : {std::pair{2, 2}, std::pair{0, 0}, std::pair{0, 2}})
        EXPECT_EQ(Pixel(x, y), 0xFF282800u) << x << "," << y;
}

TEST_F(ShadingTest, TextureCoordinatesArePerspectiveCorrect) {
    std::vector<uint32_t> ramp(256);
    for (uint32_t i = 0; i < 256; ++i) ramp[i] = i << 16;
    device->SetTexture(0, MakeTexture(256, 1, ramp));
    // Left edge at w = 1, right edge at w = 4; u runs 0..1 over 256 pixels.
    auto quad = [this] {
        Draw(D3DPT_TRIANGLEFAN, {TL(0, 0, ~0u, 0, 0, 0, 1.0f), TL(256, 0, ~0u, 1, 0, 0, 0.25f),
                                 TL(256, 4, ~0u, 1, 1, 0, 0.25f), TL(0, 4, ~0u, 0, 1, 0, 1.0f)});
    };
    auto texel = [this](int x) { return static_cast<int>((Pixel(x, 2) >> 16) & 0xFF); };
    quad();
    for (int x : {0, 64, 128, 200, 255}) {
        const double l = x / 256.0;
        EXPECT_NEAR(texel(x), 256 * l * 0.25 / ((1 - l) * 1.0 + l * 0.25), 1.0) << x;
    }
    // Without perspective correction the same quad is affine: u = x / 256.
    device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, kFalse);
    quad();
    EXPECT_NEAR(texel(128), 128, 1);
}

TEST_F(ShadingTest, StageZeroModulatesAndPassesDiffuseWithoutTexture) {
    device->SetTexture(0, MakeTexture(1, 1, {0x808080u}));
    Rect(0, 0, 8, 8, 0xFF808080u);
    EXPECT_EQ(Pixel(4, 4), 0xFF404040u);  // 128 * 128 / 255 = 64.25
    Rect(0, 0, 8, 8, 0x00FFFFFFu);
    EXPECT_EQ(Pixel(4, 4), 0xFF808080u);  // white leaves the texel; alpha is the texture's
    device->SetTexture(0, MakeTexture(1, 1, {0x202020u}));  // bound between two draws: sampled
    Rect(0, 0, 8, 8, 0x00FFFFFFu);
    EXPECT_EQ(Pixel(4, 4), 0xFF202020u);

    // No texture: the stage reading it passes the diffuse colour, even with BindTexture's states
    // or the texture selected explicitly.
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Rect(0, 0, 8, 8, 0x7F123456u);
    EXPECT_EQ(Pixel(4, 4), 0x7F123456u);
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

TEST_F(ShadingTest, LinearFogAtKnownDepthsAndOnPreTransformedVertices) {
    UsePerspective(device, 1000);
    device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
    device->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRENDERSTATE_FOGEND, FloatBits(10.0f));
    device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, 0x00FF0000u);
    // A white wall facing the camera at eye depth z, filling the centre of the screen; fog runs
    // from start to 10 (f = (10 - d) / (10 - start)).
    struct Case {
        float start, z;
        bool fog;
        uint32_t expected;
    };
    for (const Case& c : {Case{0, 7.5f, true, 0xFFFF4040u},   // f = 0.25: 64 of white, 191 of red
                          Case{0, 2.5f, true, 0xFFFFBFBFu},   // f = 0.75
                          Case{0, 12.0f, true, 0xFFFF0000u},  // beyond the end: the fog colour
                          Case{3, 2.0f, true, 0xFFFFFFFFu},   // before the start: no fog
                          Case{10, 1.0f, true, 0xFFFF0000u},  // start equal to end: all fog
                          Case{0, 7.5f, false, 0xFFFFFFFFu}}) {
        device->SetRenderState(D3DRENDERSTATE_FOGSTART, FloatBits(c.start));
        device->SetRenderState(D3DRENDERSTATE_FOGENABLE, c.fog);
        Clear(0xFF000000u);
        Draw(D3DPT_TRIANGLEFAN, {XYZ(-c.z, -c.z, c.z), XYZ(c.z, -c.z, c.z), XYZ(c.z, c.z, c.z), XYZ(-c.z, c.z, c.z)});
        EXPECT_EQ(Pixel(320, 240), c.expected) << "start " << c.start << ", depth " << c.z << ", fog " << c.fog;
    }
    // Pre-transformed vertices take the fog colour completely: their fog factor would be the
    // specular alpha, which vertex format 0x144 does not carry.
    device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
    Rect(0, 0, 16, 16, 0xFF00FF00u);
    EXPECT_EQ(Pixel(8, 8), 0xFFFF0000u);
}

TEST_F(ShadingTest, DepthTestAndDepthWrite) {
    auto depth = [this] { return Target().Depth(5, 5); };
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, kTrue);
    Rect(0, 0, 10, 10, 0xFFFF0000u, 0.2f);
    EXPECT_FLOAT_EQ(depth(), 0.2f);
    Rect(0, 0, 10, 10, 0xFF00FF00u, 0.6f);
    EXPECT_EQ(Pixel(5, 5), 0xFFFF0000u);  // farther: hidden
    Rect(0, 0, 10, 10, 0xFF0000FFu, 0.2f);
    EXPECT_EQ(Pixel(5, 5), 0xFF0000FFu);  // equal depth passes (LESSEQUAL)

    // Without depth writes the near quad shows but leaves the far one free to draw.
    Clear(0xFF000000u);
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, kFalse);
    Rect(0, 0, 10, 10, 0xFFFF0000u, 0.2f);
    EXPECT_EQ(Pixel(5, 5), 0xFFFF0000u);
    EXPECT_FLOAT_EQ(depth(), 1.0f);
    Rect(0, 0, 10, 10, 0xFF00FF00u, 0.6f);
    EXPECT_EQ(Pixel(5, 5), 0xFF00FF00u);

    // Depth buffer off: no test and no write, whatever ZWRITEENABLE says.
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, kTrue);
    device->Clear(false, 0, true, 0.0f);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
    Rect(0, 0, 10, 10, 0xFF0000FFu, 0.9f);
    EXPECT_EQ(Pixel(5, 5), 0xFF0000FFu);
    EXPECT_FLOAT_EQ(depth(), 0.0f);
}

TEST_F(ShadingTest, AdditiveBlendingSaturatesEachChannel) {
    Additive();
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
