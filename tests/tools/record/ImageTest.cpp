// PNG files and fitting a frame into another size.
#include "FrameScaler.h"
#include "ToolRun.h"
#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace cm::record {
namespace {

Image Filled(int w, int h, uint32_t colour) {
    Image im;
    im.width = w;
    im.height = h;
    im.pixels.assign(size_t(w) * h, colour);
    return im;
}

TEST(PngImage, FramesRoundTripAndBadFilesAreRefused) {
    Image im = Filled(37, 11, 0xFF000000u);
    for (size_t i = 0; i < im.pixels.size(); ++i) im.pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u) >> 8;
    const cm::test::ScratchDir dir;
    const std::string path = dir.Path("roundtrip.png");
    ASSERT_TRUE(WritePng(path, im));
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
    Image back;
    ASSERT_TRUE(ReadPng(path, back));
    EXPECT_EQ(std::tie(back.width, back.height, back.pixels), std::tie(im.width, im.height, im.pixels));

    // A cut-off file and a file that is no PNG are refused, leaving the image as it was.
    const std::string bytes = test::ReadText(path);
    for (const std::string& broken : {bytes.substr(0, bytes.size() / 2), std::string("not a png at all")}) {
        std::ofstream(path, std::ios::binary) << broken;
        EXPECT_FALSE(ReadPng(path, back));
        EXPECT_EQ(back.width, 37);
    }
    // Nothing is left behind when the folder does not exist.
    EXPECT_FALSE(WritePng(dir.Path("no-such-folder/x.png"), im));
    EXPECT_FALSE(WritePng(path, Image{}));
}

TEST(FrameScaler, KeepsTheShapeWithCentredBlackBarsAndAveragesTheAreaUnderEachPixel) {
    const FitRect wide = FitInside(640, 480, 1280, 720), tall = FitInside(640, 480, 320, 480);
    EXPECT_EQ(std::make_tuple(wide.x, wide.y, wide.width, wide.height), std::make_tuple(160, 0, 960, 720));
    EXPECT_EQ(std::make_tuple(tall.x, tall.y, tall.width, tall.height), std::make_tuple(0, 120, 320, 240));
    Image out;
    ScaleToFit(Filled(640, 480, 0xFF3366CCu), 1280, 720, out);
    ASSERT_EQ(out.pixels.size(), 1280u * 720u);
    for (int x : {0, 159, 160, 1119, 1120, 1279}) {
        const bool bar = x < 160 || x >= 1120;
        EXPECT_EQ(out.pixels[size_t(360) * 1280 + x], bar ? 0xFF000000u : 0xFF3366CCu) << x;
    }

    // A one-pixel checkerboard of black and white halves to mid grey everywhere (rounded).
    Image checker = Filled(640, 480, 0);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) checker.pixels[size_t(y) * 640 + x] = (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
    ScaleToFit(checker, 320, 240, out);
    for (uint32_t p : out.pixels) ASSERT_EQ(p, 0xFF808080u);
    // A white left half and black right half into 3 wide: the middle pixel straddles the edge.
    Image split = Filled(4, 2, 0xFF000000u);
    for (int y = 0; y < 2; ++y) split.pixels[size_t(y) * 4] = split.pixels[size_t(y) * 4 + 1] = 0xFFFFFFFFu;
    ScaleToFit(split, 3, 2, out);
    EXPECT_EQ(std::vector<uint32_t>(out.pixels.begin(), out.pixels.begin() + 3),
              (std::vector<uint32_t>{0xFFFFFFFFu, 0xFF808080u, 0xFF000000u}));
}

}  // namespace
}  // namespace cm::record
