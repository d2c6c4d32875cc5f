// Which pixels a triangle covers: the fill rule, shared edges, culling, clipping and draws that
// must touch nothing. Coverage is counted by drawing with additive blending of 1 per channel.
#include "DeviceFixture.h"

#include "platform/d3dx/D3DX.h"

#include <cmath>
#include <random>

namespace cm::test {
namespace {

constexpr uint32_t kOne = 0xFF010101u;  // adds one to red, green and blue
constexpr uint32_t kBlack = 0xFF000000u;

class CoverageTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
    }
    // Hits of pixel (x, y): the blue byte.
    int Hits(int x, int y) const { return static_cast<int>(Pixel(x, y) & 0xFF); }
    int MaxHits() const {
        int m = 0;
        for (uint32_t p : device->GetRenderTarget().color) m = std::max(m, static_cast<int>(p & 0xFF));
        return m;
    }
};

TEST_F(CoverageTest, FillRuleSquareAndItsHalves) {
    Rect(0, 0, 5, 5, kOne);
    EXPECT_EQ(CountNot(kBlack), 25u);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Hits(x, y), 1) << x << "," << y;

    Clear(kBlack);
    Draw(D3DPT_TRIANGLELIST, {TL(0, 0, kOne), TL(5, 0, kOne), TL(5, 5, kOne)});
    EXPECT_EQ(CountNot(kBlack), 15u);
    Draw(D3DPT_TRIANGLELIST, {TL(0, 5, kOne), TL(0, 0, kOne), TL(5, 5, kOne)});
    EXPECT_EQ(CountNot(kBlack), 25u);
    EXPECT_EQ(MaxHits(), 1);
    // The diagonal belongs to the upper-right half: pixel (2, 2) lies on it.
    Clear(kBlack);
    Draw(D3DPT_TRIANGLELIST, {TL(0, 5, kOne), TL(0, 0, kOne), TL(5, 5, kOne)});
    EXPECT_EQ(CountNot(kBlack), 10u);
    EXPECT_EQ(Hits(2, 2), 0);
    EXPECT_EQ(Hits(1, 2), 1);
}

TEST_F(CoverageTest, MeshOfSharedEdgesCoversItsUnionExactlyOnce) {
    // A 9 x 7 grid of quads over (10.3, 20.7)-(300.2, 200.9) with jittered inner vertices, every
    // quad split along alternating diagonals, triangles in both windings.
    const int nx = 9, ny = 7;
    std::vector<float> gx((nx + 1) * (ny + 1)), gy(gx.size());
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i) {
            float x = 10.3f + (300.2f - 10.3f) * i / nx, y = 20.7f + (200.9f - 20.7f) * j / ny;
            if (i > 0 && i < nx && j > 0 && j < ny) x += 7.37f * std::sin(i * 3.1f + j), y += 5.11f * std::cos(i + j * 2.3f);
            gx[j * (nx + 1) + i] = x;
            gy[j * (nx + 1) + i] = y;
        }
    std::vector<TLVertex> list;
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            auto v = [&](int di, int dj) {
                const int k = (j + dj) * (nx + 1) + i + di;
                return TL(gx[k], gy[k], kOne);
            };
            if ((i + j) % 2) {
                list.insert(list.end(), {v(0, 0), v(1, 0), v(1, 1), v(0, 0), v(0, 1), v(1, 1)});
            } else {
                list.insert(list.end(), {v(0, 0), v(1, 0), v(0, 1), v(1, 0), v(1, 1), v(0, 1)});
            }
        }
    Draw(D3DPT_TRIANGLELIST, list);
    // Centres inside [10.3, 300.2) x [20.7, 200.9): columns 11..300, rows 21..200.
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const int expected = (x >= 11 && x <= 300 && y >= 21 && y <= 200) ? 1 : 0;
            ASSERT_EQ(Hits(x, y), expected) << x << "," << y;
        }
}

TEST_F(CoverageTest, FullTargetQuadCoversEveryPixelOnce) {
    Rect(0, 0, 640, 480, kOne);
    EXPECT_EQ(CountEqual(0xFF010101u), 640u * 480u);
    EXPECT_EQ(device->GetPixelsDrawn(), 640u * 480u);
    // Far larger than the target: still every pixel exactly once, no write outside.
    Clear(kBlack);
    Rect(-5000, -3000, 9000, 7000, kOne);
    EXPECT_EQ(CountEqual(0xFF010101u), 640u * 480u);
}

TEST_F(CoverageTest, CullingRemovesTheRightWinding) {
    // Clockwise on screen (y down): (10,10) -> (30,10) -> (10,30).
    const std::vector<TLVertex> cw = {TL(10, 10, kOne), TL(30, 10, kOne), TL(10, 30, kOne)};
    const std::vector<TLVertex> ccw = {TL(10, 10, kOne), TL(10, 30, kOne), TL(30, 10, kOne)};
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    Draw(D3DPT_TRIANGLELIST, ccw);
    EXPECT_EQ(CountNot(kBlack), 0u);
    Draw(D3DPT_TRIANGLELIST, cw);
    const size_t area = CountNot(kBlack);
    EXPECT_GT(area, 150u);

    Clear(kBlack);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CW);
    Draw(D3DPT_TRIANGLELIST, cw);
    EXPECT_EQ(CountNot(kBlack), 0u);
    Draw(D3DPT_TRIANGLELIST, ccw);
    EXPECT_EQ(CountNot(kBlack), area);

    Clear(kBlack);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    Draw(D3DPT_TRIANGLELIST, cw);
    Draw(D3DPT_TRIANGLELIST, ccw);
    EXPECT_EQ(CountEqual(0xFF020202u), area);

    // A fan keeps the winding of its vertex order: hub last in every triangle.
    Clear(kBlack);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
    Draw(D3DPT_TRIANGLEFAN, {TL(10, 10, kOne), TL(30, 10, kOne), TL(30, 30, kOne), TL(10, 30, kOne)});
    EXPECT_EQ(CountNot(kBlack), 400u);
    Draw(D3DPT_TRIANGLEFAN, {TL(10, 10, kOne), TL(10, 30, kOne), TL(30, 30, kOne), TL(30, 10, kOne)});
    EXPECT_EQ(CountEqual(0xFF020202u), 0u);
    // Strips alternate the order of odd triangles so that all keep one winding.
    Clear(kBlack);
    Draw(D3DPT_TRIANGLESTRIP, {TL(10, 10, kOne), TL(30, 10, kOne), TL(10, 30, kOne), TL(30, 30, kOne)});
    EXPECT_EQ(CountNot(kBlack), 400u);
}

TEST_F(CoverageTest, DrawsThatHitNoPixel) {
    const float nan = std::nanf("");
    // Between pixel centres, degenerate, off screen, non-finite, absurdly far.
    Draw(D3DPT_TRIANGLELIST, {TL(0.1f, 0.1f, kOne), TL(0.9f, 0.1f, kOne), TL(0.5f, 0.9f, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(10, 10, kOne), TL(20, 20, kOne), TL(30, 30, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(-50, -50, kOne), TL(-10, -50, kOne), TL(-10, -10, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(700, 10, kOne), TL(900, 10, kOne), TL(900, 300, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(nan, 10, kOne), TL(100, 10, kOne), TL(100, 100, kOne)});
    Draw(D3DPT_TRIANGLELIST, {TL(1e30f, 1e30f, kOne), TL(2e30f, 1e30f, kOne), TL(2e30f, 3e30f, kOne)});
    EXPECT_EQ(CountNot(kBlack), 0u);

    // Zero vertices, or too few for one triangle: success, nothing drawn.
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, nullptr, 0, 0), kD3DOk);
    EXPECT_EQ(Draw(D3DPT_TRIANGLEFAN, {TL(0, 0, kOne), TL(100, 0, kOne)}), kD3DOk);
    EXPECT_EQ(Draw(D3DPT_TRIANGLELIST, {TL(0, 0, kOne), TL(100, 0, kOne), TL(0, 100, kOne), TL(50, 50, kOne)}),
              kD3DOk);
    EXPECT_EQ(CountNot(kBlack), 5050u);  // the leftover fourth vertex is ignored
    // Unknown formats and primitive types are refused.
    TLVertex v[3] = {};
    EXPECT_LT(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0x142, v, 3, 0), 0);
    EXPECT_LT(device->DrawPrimitive(static_cast<PrimitiveType>(9), kFvfScreenVertex, v, 3, 0), 0);
    EXPECT_LT(device->DrawPrimitive(D3DPT_TRIANGLELIST, kFvfScreenVertex, nullptr, 3, 0), 0);
}

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

TEST_F(CoverageTest, TriangleThroughTheCameraPlaneDrawsOnlyWhatIsInFront) {
    // Camera at the origin looking down +z; a floor at y = -1 from z = -50 to z = 50 crosses the
    // eye plane. Everything in front is below the horizon (rows 240..479).
    Matrix4 projection;
    D3DXMatrixPerspective(&projection, 0.2f, 0.15f, 0.08f, 1000.0f);
    device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    Draw(D3DPT_TRIANGLEFAN, {XYZ(-50, -1, -50, kOne), XYZ(50, -1, -50, kOne), XYZ(50, -1, 50, kOne),
                             XYZ(-50, -1, 50, kOne)});
    for (int x = 0; x < 640; ++x) {
        EXPECT_EQ(Hits(x, 479), 1) << x;
        EXPECT_EQ(Hits(x, 239), 0) << x;
    }
    EXPECT_EQ(MaxHits(), 1);
    // The far edge (y = -1, z = 50) projects to row 240 (1 + 1.0667 / 50) = 245.1.
    EXPECT_EQ(Hits(320, 245), 0);
    for (int y = 246; y < 480; y += 17) EXPECT_EQ(Hits(320, y), 1) << y;

    // Entirely behind the camera: nothing.
    Clear(kBlack);
    Draw(D3DPT_TRIANGLELIST, {XYZ(-5, -1, -1, kOne), XYZ(5, -1, -1, kOne), XYZ(0, 5, -3, kOne)});
    EXPECT_EQ(CountNot(kBlack), 0u);
    // Beyond the far plane: nothing.
    Draw(D3DPT_TRIANGLELIST, {XYZ(-5, -1, 1001, kOne), XYZ(5, -1, 1001, kOne), XYZ(0, 5, 1001, kOne)});
    EXPECT_EQ(CountNot(kBlack), 0u);
}

}  // namespace
}  // namespace cm::test
