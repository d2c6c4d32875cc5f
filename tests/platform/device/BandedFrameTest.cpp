// Lanes drawing a frame while it is being made give the bytes of drawing each triangle at once,
// also for a frame with more items than are kept, which is drawn in parts.
#include "platform/device/BandedFrame.h"
#include "platform/device/D3DTypes.h"
#include "platform/device/RenderTarget.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace cm {
namespace {

RasterContext DepthTested(RenderTarget& target) {
    RasterContext c;
    c.target = &target;
    c.x1 = target.width, c.y1 = target.height;
    c.cullMode = D3DCULL_NONE;
    c.setup.tex = TexMode::None;
    c.setup.combine = CombineMode::Diffuse;
    c.setup.blend = BlendMode::Opaque;
    c.setup.zTest = c.setup.zWrite = true;
    c.setup.zFunc = D3DCMP_LESSEQUAL;
    return c;
}

TEST(BandedFrameTest, LanesAndAFrameDrawnInPartsGiveTheBytesOfDrawingAtOnce) {
    RenderTarget direct(160, 120), banded(160, 120);
    RasterContext now = DepthTested(direct);
    BandedFrame frame(3, 1);  // one chunk: the 10,000 triangles are drawn in three parts
    std::mt19937 random(7);
    std::uniform_real_distribution<float> x(-10.0f, 170.0f), y(-10.0f, 130.0f), unit(0.0f, 1.0f);
    for (int draw = 0; draw < 100; ++draw) {
        if (draw % 40 == 0) {  // a clear amid the draws
            frame.AddClear(banded, 10, 5, 150, 100, true, 0xFF102030u, true, 0.9f);
            for (int row = 5; row < 100; ++row)
                for (int col = 10; col < 150; ++col) {
                    direct.color[static_cast<size_t>(row) * 160 + col] = 0xFF102030u;
                    direct.depth[static_cast<size_t>(row) * 160 + col] = 0.9f;
                }
        }
        frame.BeginDraw(DepthTested(banded), nullptr);
        for (int t = 0; t < 100; ++t) {
            RasterVertex v[3];
            for (RasterVertex& p : v) p = {x(random), y(random), unit(random), 1, 255 * unit(random), 128, 64, 255, 0, 0, 0};
            frame.AddTriangle(v[0], v[1], v[2]);
            RasterizeTriangle(now, v[0], v[1], v[2]);
        }
        frame.EndDraw();
    }
    uint64_t pixels[kSpanLevelCount] = {};
    frame.Finish(pixels);
    EXPECT_EQ(0, std::memcmp(direct.color.data(), banded.color.data(), direct.color.size() * 4));
    EXPECT_EQ(0, std::memcmp(direct.depth.data(), banded.depth.data(), direct.depth.size() * 4));
    EXPECT_EQ(now.pixels[0] + now.pixels[1] + now.pixels[2], pixels[0] + pixels[1] + pixels[2]);
}

}  // namespace
}  // namespace cm
