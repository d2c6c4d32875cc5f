#include "common/Files.h"
#include "resources/TgaBytes.h"
#include "resources/TgaDecoder.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace cm {
namespace {

using test::Tga;

std::vector<uint8_t> RealTga(const char* name) { return test::SampleBytes(std::string("tga/") + name); }

DecodedImage Decode(const std::vector<uint8_t>& file) {
    DecodedImage image;
    std::string error;
    EXPECT_TRUE(DecodeTga(file, image, error)) << error;
    return image;
}

void ExpectRefused(const std::vector<uint8_t>& file) {
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(DecodeTga(file, image, error));
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(error.empty());
}

TEST(TgaDecoder, PacketsInFileColourOrderFillRowsBottomUpAcrossRowEnds) {
    // 0x83: one blue-green-red pixel written four times; 0x02: three pixels read in turn.
    EXPECT_EQ(Decode(Tga(7, 1, {0x83, 0x30, 0x20, 0x10, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9})).pixels,
              (std::vector<uint32_t>{0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030, 0xFF030201, 0xFF060504, 0xFF090807}));
    // 3 x 2: a run of 4 covers the bottom row and the top row's first pixel, a raw 2 the rest.
    EXPECT_EQ(Decode(Tga(3, 2, {0x83, 0xAA, 0xBB, 0xCC, 0x01, 1, 1, 1, 2, 2, 2})).pixels,
              (std::vector<uint32_t>{0xFFCCBBAA, 0xFF010101, 0xFF020202, 0xFFCCBBAA, 0xFFCCBBAA, 0xFFCCBBAA}));
    // A raw packet that crosses the row end, and a run that reaches past the last pixel.
    EXPECT_EQ(Decode(Tga(2, 2, {0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0xFF, 4, 4, 4})).pixels,
              (std::vector<uint32_t>{0xFF030303, 0xFF040404, 0xFF010101, 0xFF020202}));
}

TEST(TgaDecoder, RealFilesDecodeOrAreRefused) {
    // The uncompressed copy of the same picture gives the expected pixels: stored bottom row
    // first, blue-green-red.
    const std::vector<uint8_t> raw = RealTga("200x32_rgb_bl_raw.tga");
    ASSERT_GE(raw.size(), 18u + 200 * 32 * 3);
    std::vector<uint32_t> expected(200 * 32);
    for (int row = 0; row < 32; ++row)
        for (int x = 0; x < 200; ++x) {
            const uint8_t* p = &raw[18 + (static_cast<size_t>(row) * 200 + x) * 3];
            expected[static_cast<size_t>(31 - row) * 200 + x] = PackOpaque(p[2], p[1], p[0]);
        }
    const DecodedImage bottomLeft = Decode(RealTga("200x32_rgb_bl_rle.tga"));
    ASSERT_EQ(bottomLeft.width, 200);
    ASSERT_EQ(bottomLeft.height, 32);
    EXPECT_EQ(bottomLeft.pixels, expected);

    // The origin bit is not read: a top-left file comes out upside down, the mirror image of
    // the bottom-left one.
    const DecodedImage topLeft = Decode(RealTga("200x32_rgb_tl_rle.tga"));
    ASSERT_EQ(topLeft.pixels.size(), expected.size());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(topLeft.At(x, y), bottomLeft.At(x, 31 - y)) << x << "," << y;

    for (const char* name : {"200x32_rgb_bl_raw.tga", "200x32_rgba_tl_rle.tga", "cross_scan_line.tga",
                             "tga_id_field.tga"}) {
        SCOPED_TRACE(name);
        ExpectRefused(RealTga(name));
    }
}

TEST(TgaDecoder, DamagedFilesAreRefusedWithoutStrayAccess) {
    const std::vector<uint8_t> whole = RealTga("200x32_rgb_bl_rle.tga");
    ASSERT_GT(whole.size(), 18u + 26u);
    for (size_t length = 0; length < 18; ++length) ExpectRefused({whole.begin(), whole.begin() + length});
    // The packets end where the 26-byte footer begins; a cut anywhere before that is refused.
    const size_t packetsEnd = whole.size() - 26;
    for (size_t length = 18; length < packetsEnd; length += length + 7 < packetsEnd ? 7 : 1)
        ExpectRefused({whole.begin(), whole.begin() + length});
    EXPECT_EQ(Decode({whole.begin(), whole.begin() + packetsEnd}).pixels.size(), 200u * 32u);
    // Empty, too wide, and 16384 x 16384 with four bytes of data: refused before a 1 GiB array is made.
    for (const auto& [w, h] : {std::pair{0, 4}, {4, 0}, {20000, 2}, {16384, 16384}})
        ExpectRefused(Tga(w, h, {0xFF, 1, 2, 3}));
    // 32 M pixels with all the run packets they need (1 MiB): over the pixel limit, refused.
    ExpectRefused(test::FlatTga(8192, 4096, 1, 2, 3));
    ExpectRefused(Tga(2, 2, {0x03, 1, 1, 1, 2, 2, 2}));  // raw packet ends early
    ExpectRefused(Tga(2, 2, {0x80, 1, 1}));               // run pixel cut short
    ExpectRefused(Tga(2, 1, {0x81, 1, 2, 3}, 2));         // uncompressed
    ExpectRefused(Tga(2, 1, {0x81, 1, 2, 3, 4}, 10, 32)); // 32 bits per pixel
}

TEST(TgaDecoder, SkipsIdFieldAndColourMap) {
    std::vector<uint8_t> file = Tga(1, 1, {'i', 'd', '!', 9, 9, 9, 9, 0x80, 0x33, 0x22, 0x11});
    file[0] = 3;   // ID field of 3 bytes
    file[1] = 1;   // colour map present...
    file[5] = 2;   // ...with 2 entries...
    file[7] = 15;  // ...of 15 bits, stored in 2 bytes each
    EXPECT_EQ(Decode(file).pixels, std::vector<uint32_t>{0xFF112233});
}

}  // namespace
}  // namespace cm
