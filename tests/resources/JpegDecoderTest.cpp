#include "resources/JpegDecoder.h"
#include "resources/JpegTestFiles.h"
#include "common/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace cm {
namespace {

using test::EncodeJpeg;
using test::JpegRecipe;
using test::ReferenceDecode;

std::vector<uint8_t> RealJpeg(const char* name) { return test::SampleBytes(std::string("jpg/") + name); }

void ExpectSamePixels(const DecodedImage& expected, const DecodedImage& actual) {
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    ASSERT_EQ(expected.pixels.size(), actual.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < expected.pixels.size(); ++i) differing += expected.pixels[i] != actual.pixels[i];
    EXPECT_EQ(differing, 0u);
}

// The one-byte source, its skips and restart handling must give exactly the pixels the
// library's own memory source gives: baseline, restart intervals, progressive, big markers, grey.
TEST(JpegDecoder, MatchesTheLibraryOnRealAndGeneratedFiles) {
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        int width, height;
    };
    std::vector<Case> cases = {
        {"flower", RealJpeg("flower.jpg"), 480, 360},
        {"testorig", RealJpeg("testorig.jpg"), 227, 149},
        {"restarts", RealJpeg("restarts.jpg"), 33, 33},
        {"progressive", RealJpeg("jpg-progressive.jpg"), 32, 32},
        {"comment marker skipped", EncodeJpeg({.width = 40, .height = 24, .commentBytes = 60000}), 40, 24},
        {"190 scans", EncodeJpeg({.width = 24, .height = 16, .progressive = true, .acScansPerComponent = 1}), 24,
         16},
        {"grey", RealJpeg("jpg-gray.jpg"), 32, 32},  // expanded to grey RGB
        {"generated grey", EncodeJpeg({.width = 19, .height = 7, .components = 1}), 19, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(c.file, image, error)) << error;
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        ExpectSamePixels(ReferenceDecode(c.file), image);
        for (uint32_t pixel : image.pixels) ASSERT_EQ(pixel >> 24, 0xFFu);
    }
}

void ExpectRefused(const std::vector<uint8_t>& file, const std::string& messagePart = "") {
    DecodedImage image;
    image.width = 5;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(file, image, error));
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(error.empty());
    if (!messagePart.empty()) {
        EXPECT_NE(error.find(messagePart), std::string::npos) << error;
    }
}

TEST(JpegDecoder, RefusesTruncatedFilesAtEveryLength) {
    ExpectRefused(RealJpeg("truncated_jpeg.jpg"), "Premature end");
    ExpectRefused({});
    // Baseline and progressive, cut anywhere from inside the header to just before the final
    // marker byte: never a read past the data, never an image made up of padding.
    for (const auto& whole : {RealJpeg("testorig.jpg"), RealJpeg("jpg-progressive.jpg")}) {
        ASSERT_FALSE(whole.empty());
        for (size_t length = 1; length < whole.size(); length += length < 700 ? 1 : 97) {
            SCOPED_TRACE(length);
            ExpectRefused(std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        }
        ExpectRefused(std::vector<uint8_t>(whole.begin(), whole.end() - 1));
    }
    // A baseline file cut in its coded data, yet closed by a proper end-of-image marker. (A
    // progressive file that lacks its last scans is still a whole, coarser picture.)
    std::vector<uint8_t> closed = RealJpeg("testorig.jpg");
    closed.resize(closed.size() * 2 / 3);
    closed.insert(closed.end(), {0xFF, 0xD9});
    ExpectRefused(closed, "premature end of data segment");
}

// Damaged entropy data is the jpeg harness's, replayed by test_fuzz_replay.
TEST(JpegDecoder, RefusesBadHeadersHugeSizesCmykAndEndlessScans) {
    ExpectRefused({'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}, "Not a JPEG");
    ExpectRefused({0xFF, 0xD8, 0xFF, 0xFE, 0xFF, 0xF0, 'x', 'y'});  // a comment running past the end
    // The frame header's height and width (bytes 5..8 after the SOF marker) patched.
    const std::vector<uint8_t> small = EncodeJpeg({});
    const uint8_t marker[] = {0xFF, 0xC0};
    const size_t sof = std::search(small.begin(), small.end(), marker, marker + 2) - small.begin();
    ASSERT_LT(sof, small.size());
    auto sized = [&](int side) {
        std::vector<uint8_t> file = small;
        for (size_t i : {sof + 5, sof + 7}) file[i] = uint8_t(side >> 8), file[i + 1] = uint8_t(side & 0xFF);
        return file;
    };
    ExpectRefused(sized(20000), "16384");
    ExpectRefused(sized(16000), "larger than");  // each side allowed, the area not
    ExpectRefused(sized(0));
    // Within the limits but with far too little data for that size: refused when the data runs out.
    ExpectRefused(sized(4000), "premature end");
    ExpectRefused(RealJpeg("jpg-cmyk-1.jpg"), "color conversion");
    // 1 DC scan + 3 components x 63 bands x 2 passes = 379 scans.
    ExpectRefused(EncodeJpeg({.progressive = true, .acScansPerComponent = 2}), "scans");
}

}  // namespace
}  // namespace cm
