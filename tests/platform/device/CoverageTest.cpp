// Which pixels a triangle covers: the fill rule, culling, clipping and draws that must touch
// nothing. Coverage is counted by drawing with additive blending of 1 per channel.
#include "DeviceFixture.h"

#include <cmath>
#include <random>

namespace cm::test {
namespace {

constexpr uint32_t kOne = 0xFF010101u;  // adds one to red, green and blue
constexpr uint32_t kBlack = 0xFF000000u;

class CoverageTest : public DeviceTest {
protected:
    void SetUp() override { Additive(); }
    // Hits of pixel (x, y): the blue byte.
    int Hits(int x, int y) const { return static_cast<int>(Pixel(x, y) & 0xFF); }
};

// Coverage decided pixel by pixel, straight from the rule: snap to 1/256, orient, accept a
// centre with every edge function positive, or zero on a top or left edge.
bool Covers(const TLVertex& a, const TLVertex& b, const TLVertex& c, int px, int py) {
    auto snap = [](float f) { return static_cast<int64_t>(std::floor(static_cast<double>(f) * 256.0 + 0.5)); };
    int64_t x[3] = {snap(a.x), snap(b.x), snap(c.x)}, y[3] = {snap(a.y), snap(b.y), snap(c.y)};
    const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0) return false;
    if (area < 0) std::swap(x[1], x[2]), std::swap(y[1], y[2]);
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const int64_t e = (x[j] - x[i]) * (py * 256 - y[i]) - (y[j] - y[i]) * (px * 256 - x[i]);
        const bool topLeft = y[i] > y[j] || (y[i] == y[j] && x[j] > x[i]);
        if (e < 0 || (e == 0 && !topLeft)) return false;
    }
    return true;
}

TEST_F(CoverageTest, RandomTrianglesCoverExactlyThePixelsTheRuleGives) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<float> pos(-40.0f, 120.0f);
    std::uniform_int_distribution<int> grid(-8, 104);
    for (int t = 0; t < 400; ++t) {
        // Half with vertices on a quarter-pixel grid, so that centres fall exactly on edges.
        auto vertex = [&] {
            if (t % 2) return TL(grid(rng) * 0.25f + 20, grid(rng) * 0.25f + 20, kOne);
            return TL(pos(rng), pos(rng), kOne);
        };
        const TLVertex a = vertex(), b = vertex(), c = vertex();
        Clear(kBlack);
        Draw(D3DPT_TRIANGLELIST, {a, b, c});
        for (int py = 0; py < 100; ++py)
            for (int px = 0; px < 100; ++px)
                ASSERT_EQ(Hits(px, py), Covers(a, b, c, px, py) ? 1 : 0) << "triangle " << t << " at " << px << "," << py;
    }
}

TEST_F(CoverageTest, CullingRemovesOneWindingAndFansAndStripsKeepTheirOrder) {
    // Clockwise on screen (y down): (10,10) -> (30,10) -> (10,30).
    const std::vector<TLVertex> cw = {TL(10, 10, kOne), TL(30, 10, kOne), TL(10, 30, kOne)};
    const std::vector<TLVertex> ccw = {TL(10, 10, kOne), TL(10, 30, kOne), TL(30, 10, kOne)};
    for (const auto& [mode, drawsCw, drawsCcw] : {std::tuple{D3DCULL_CCW, true, false}, std::tuple{D3DCULL_CW, false, true},
                                                  std::tuple{D3DCULL_NONE, true, true}}) {
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, mode);
        for (const auto& [triangle, drawn] : {std::pair{cw, drawsCw}, std::pair{ccw, drawsCcw}}) {
            Clear(kBlack);
            Draw(D3DPT_TRIANGLELIST, triangle);
            EXPECT_EQ(CountNot(kBlack), drawn ? 210u : 0u) << "cull mode " << mode;
        }
    }
    // A fan keeps the winding of its vertex order; strips alternate the order of odd triangles
    // so that all keep one winding.
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    Clear(kBlack);
    Draw(D3DPT_TRIANGLEFAN, {TL(10, 10, kOne), TL(30, 10, kOne), TL(30, 30, kOne), TL(10, 30, kOne)});
    Draw(D3DPT_TRIANGLEFAN, {TL(10, 10, kOne), TL(10, 30, kOne), TL(30, 30, kOne), TL(30, 10, kOne)});
    EXPECT_EQ(CountNot(kBlack), 400u);
    Clear(kBlack);
    Draw(D3DPT_TRIANGLESTRIP, {TL(10, 10, kOne), TL(30, 10, kOne), TL(10, 30, kOne), TL(30, 30, kOne)});
    EXPECT_EQ(CountNot(kBlack), 400u);
}

TEST_F(CoverageTest, DrawsOffTheGridOrRefusedTouchNothingAndHugeOnesAreClipped) {
    const float nan = std::nanf("");
    // Between pixel centres, degenerate, off screen, non-finite, absurdly far.
    Draw(D3DPT_TRIANGLELIST, {TL(0.1f, 0.1f, kOne), TL(0.9f, 0.1f, kOne), TL(0.5f, 0.9f, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(10, 10, kOne), TL(20, 20, kOne), TL(30, 30, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(-50, -50, kOne), TL(-10, -50, kOne), TL(-10, -10, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(700, 10, kOne), TL(900, 10, kOne), TL(900, 300, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(nan, 10, kOne), TL(100, 10, kOne), TL(100, 100, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(1e30f, 1e30f, kOne), TL(2e30f, 1e30f, kOne), TL(2e30f, 3e30f, kOne)});
    EXPECT_EQ(CountNot(kBlack), 0u);
    // Unknown formats and primitive types, and missing vertices, are refused.
    TLVertex v[3] = {};
    EXPECT_LT(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0x142, v, 3, 0), 0);
    EXPECT_LT(device->DrawPrimitive(static_cast<PrimitiveType>(9), kFvfScreenVertex, v, 3, 0), 0);
    EXPECT_LT(device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, nullptr, 3, 0), 0);
    // Too few vertices for one triangle: success, nothing drawn; a leftover vertex is ignored.
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, nullptr, 0, 0), kD3DOk);
    EXPECT_EQ(Draw(D3DPT_TRIANGLEFAN, {TL(0, 0, kOne), TL(100, 0, kOne)}), kD3DOk);
    EXPECT_EQ(Draw(D3DPT_TRIANGLELIST, {TL(0, 0, kOne), TL(100, 0, kOne), TL(0, 100, kOne), TL(50, 50, kOne)}),
              kD3DOk);
    EXPECT_EQ(CountNot(kBlack), 5050u);

    // Far larger than the target: every pixel exactly once, no write outside.
    Clear(kBlack);
    const uint64_t before = device->GetPixelsDrawn();
    Rect(-5000, -3000, 9000, 7000, kOne);
    EXPECT_EQ(CountNot(kOne), 0u);
    EXPECT_EQ(device->GetPixelsDrawn() - before, 640u * 480u);
}

TEST_F(CoverageTest, TriangleThroughTheCameraPlaneDrawsOnlyWhatIsInFront) {
    // Camera at the origin looking down +z; a floor at y = -1 from z = -50 to z = 50 crosses the
    // eye plane. Everything in front is below the horizon (rows 240..479).
    UsePerspective(device, 1000);
    Draw(D3DPT_TRIANGLEFAN, {XYZ(-50, -1, -50, kOne), XYZ(50, -1, -50, kOne), XYZ(50, -1, 50, kOne),
                             XYZ(-50, -1, 50, kOne)});
    // The far edge (y = -1, z = 50) projects to row 240 (1 + 1.0667 / 50) = 245.1; from row 247
    // down the floor is wider than the screen.
    EXPECT_EQ(Hits(320, 246), 1);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; x += 7) {
            const int expected = y > 246 || (y == 246 && Hits(x, y) == 1) ? 1 : 0;
            ASSERT_EQ(Hits(x, y), expected) << x << "," << y;
        }

    // Entirely behind the camera, between the eye and the near plane, or beyond the far plane:
    // nothing.
    Clear(kBlack);
    Draw(D3DPT_TRIANGLELIST, {XYZ(-5, -1, -1, kOne), XYZ(5, -1, -1, kOne), XYZ(0, 5, -3, kOne)});
    Draw(D3DPT_TRIANGLELIST, {XYZ(-1, -1, 0.05f, kOne), XYZ(1, -1, 0.05f, kOne), XYZ(0, 1, 0.05f, kOne)});
    Draw(D3DPT_TRIANGLELIST, {XYZ(-5, -1, 1001, kOne), XYZ(5, -1, 1001, kOne), XYZ(0, 5, 1001, kOne)});
    EXPECT_EQ(CountNot(kBlack), 0u);
}

}  // namespace
}  // namespace cm::test
