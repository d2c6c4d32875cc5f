// Every generated image decodes through the show's own decoders, in the narrow forms the show's
// loaders are written for (baseline 3-component JPEG; type 10 RLE 24-bit TGA with packets that
// end at row ends), at power-of-two sizes up to 512; layers added onto the frame stay mostly dark;
// the credits keep text on screen for the whole end scroller.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <span>

#include "TestShow.h"
#include "images/ImageWriters.h"
#include "resources/JpegDecoder.h"
#include "resources/TgaDecoder.h"

namespace cm::content::test {
namespace {

bool PowerOfTwoUpTo512(int n) { return n >= 1 && n <= 512 && (n & (n - 1)) == 0; }

// Walks the JPEG marker segments up to the first scan: the only frame must be baseline (SOF0)
// with three components.
void ExpectBaselineThreeComponents(const std::vector<uint8_t>& b) {
    ASSERT_TRUE(b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8) << "no start of image";
    std::vector<int> frames;
    for (size_t at = 2; at + 4 <= b.size() && b[at] == 0xFF && b[at + 1] != 0xDA; at += 2 + Be16(b, at + 2)) {
        const uint8_t marker = b[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            frames.push_back(at + 9 < b.size() && marker == 0xC0 ? b[at + 9] : -marker);
    }
    EXPECT_EQ(frames, std::vector<int>{3}) << "one baseline frame of three components (negative: other frame types)";
}

// Decodes a TGA with the loader's own packet rule, failing on any packet that crosses a row end.
void ExpectPacketsEndAtRowEnds(const std::vector<uint8_t>& b) {
    ASSERT_GE(b.size(), 18u);
    // No ID field, no colour map, run-length true colour, 24 bits.
    EXPECT_EQ((std::array{b[0], b[1], b[2], b[16]}), (std::array<uint8_t, 4>{0, 0, 10, 24}));
    const int w = b[12] | b[13] << 8, h = b[14] | b[15] << 8;
    size_t at = 18;
    for (int row = 0; row < h; ++row) {
        int x = 0;
        while (x < w) {
            ASSERT_LT(at, b.size());
            const int count = (b[at] & 0x7F) + 1;
            const bool run = b[at] & 0x80;
            at += 1 + (run ? 3 : 3 * size_t(count));
            x += count;
        }
        ASSERT_EQ(x, w) << "a packet crosses the end of row " << row;
    }
    EXPECT_EQ(at, b.size()) << "bytes after the pixel data";
}

// Images the parts add onto the frame ("additive"): most of each must stay dark.
bool IsAdditive(const std::string& name) {
    for (const char* n : {"introLogo", "tunnelBackground", "tunnelTexture", "roomFlare_1", "distortTexture01",
                          "distortBackground", "glassBackground", "glassTexture01", "endBackground", "rotoRing"})
        if (name.find(n) != std::string::npos) return true;
    return false;
}

TEST(ImageFiles, DecodeInTheShowsFormsAtTextureSizes) {
    int tgas = 0;
    for (const auto& [name, bytes] : Show().files) {
        const bool jpeg = name.ends_with(".jpg"), tga = name.ends_with(".tga");
        if (!jpeg && !tga) continue;
        SCOPED_TRACE(name);
        DecodedImage image;
        std::string error;
        if (jpeg) {
            ExpectBaselineThreeComponents(bytes);
            ASSERT_TRUE(DecodeJpeg(std::span<const uint8_t>(bytes), image, error)) << error;
        } else {
            ++tgas;
            ExpectPacketsEndAtRowEnds(bytes);
            ASSERT_TRUE(DecodeTga(std::span<const uint8_t>(bytes), image, error)) << error;
        }
        EXPECT_TRUE(PowerOfTwoUpTo512(image.width) && PowerOfTwoUpTo512(image.height))
            << image.width << " x " << image.height;
        if (IsAdditive(name)) {
            size_t dark = 0;
            for (uint32_t p : image.pixels) {
                const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
                if (r * 3 + g * 6 + bl < 10 * 64) ++dark;  // luminance below a quarter
            }
            EXPECT_GT(double(dark) / double(image.pixels.size()), 0.6) << "additive layer too bright";
        }
    }
    EXPECT_GE(tgas, 1) << "the show must exercise its TGA loader";
}

TEST(ImageFiles, CreditsKeepTextOnScreenUntilTheScrollerEnds) {
    // The scroller stretches the image to 960 rows and moves its top edge from row 480 of the
    // screen up by 4 rows a step until it reaches -960, when the show ends.
    const Image& credits = Show().images.at("data\\scroll.jpg");
    std::vector<bool> text(size_t(credits.Height()), false);
    for (int y = 0; y < credits.Height(); ++y)
        for (int x = 0; x < credits.Width(); ++x) {
            const Rgb p = credits.At(x, y);
            if (std::max({p.r, p.g, p.b}) > 0.3f) text[size_t(y)] = true;
        }
    const float scale = float(credits.Height()) / 960.0f;
    // From the first step after the image enters until about two seconds (60 rows) before the end.
    for (int top = 476; top >= -900; top -= 4) {
        const int from = int(float(std::max(0, -top)) * scale), to = int(float(std::min(960, 480 - top)) * scale);
        bool seen = false;
        for (int r = from; r < to && !seen; ++r) seen = text[size_t(r)];
        EXPECT_TRUE(seen) << "nothing on screen with the image's top edge at row " << top;
    }
}

TEST(ImageFiles, TgaRoundTripsRunsRawStretchesAndLongRowsBottomUp) {
    // 300 wide: packets of at most 128 pixels; a run, a raw stretch and a lone pixel per row.
    Image im(300, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 300; ++x) {
            const float v = x < 200 ? 0.2f * float(y + 1) : float((x * 7 + y) % 11) / 10.0f;
            im.At(x, y) = {v, x == 299 ? 1.0f : 0.0f, float(y) / 2.0f};
        }
    const std::vector<uint8_t> bytes = EncodeTga(im);
    ExpectPacketsEndAtRowEnds(bytes);
    DecodedImage out;
    std::string error;
    ASSERT_TRUE(DecodeTga(std::span<const uint8_t>(bytes), out, error)) << error;
    ASSERT_TRUE(out.width == 300 && out.height == 3) << out.width << " x " << out.height;
    const std::vector<uint8_t> rgb = im.ToBytes();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 300; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * 300 + size_t(x)) * 3];
            ASSERT_EQ(out.At(x, y), PackOpaque(p[0], p[1], p[2])) << x << ", " << y;
        }
}

}  // namespace
}  // namespace cm::content::test
