#include "resources/JpegDecoder.h"
#include "common/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace cm {
namespace {

// JPEG files made with the library's own encoder, and decoded with the library's own memory
// source as the reference the decoder under test must match.
struct JpegRecipe {
    int width = 16;
    int height = 16;
    int components = 3;  // 1 grey, 3 colour
    bool progressive = false;
    int acScansPerComponent = 0;  // > 0: one AC scan per coefficient band, this many refinements each
    size_t commentBytes = 0;      // a COM marker of this payload size after the header
};

// A smooth gradient picture encoded as the recipe says.
std::vector<uint8_t> EncodeJpeg(const JpegRecipe& recipe) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(recipe.width);
    cinfo.image_height = static_cast<JDIMENSION>(recipe.height);
    cinfo.input_components = recipe.components;
    cinfo.in_color_space = recipe.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (recipe.progressive) jpeg_simple_progression(&cinfo);

    // Scan script: DC of all components, then every AC band of every component on its own,
    // first at one bit less precision and refined acScansPerComponent - 1 times.
    std::vector<jpeg_scan_info> scans;
    if (recipe.acScansPerComponent > 0) {
        const int passes = recipe.acScansPerComponent;
        // Each scan: its components, spectral band Ss..Se, previous and current bit position Ah, Al.
        scans.push_back({recipe.components, {0, 1, 2}, 0, 0, 0, 0});
        for (int c = 0; c < recipe.components; ++c)
            for (int band = 1; band < 64; ++band)
                for (int pass = 0; pass < passes; ++pass)
                    scans.push_back({1, {c}, band, band, pass == 0 ? 0 : passes - pass, passes - 1 - pass});
        cinfo.scan_info = scans.data();
        cinfo.num_scans = static_cast<int>(scans.size());
    }

    jpeg_start_compress(&cinfo, TRUE);
    if (recipe.commentBytes > 0) {
        std::vector<JOCTET> comment(recipe.commentBytes, 'c');
        jpeg_write_marker(&cinfo, JPEG_COM, comment.data(), static_cast<unsigned>(comment.size()));
    }
    std::vector<JSAMPLE> row(static_cast<size_t>(recipe.width) * recipe.components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < recipe.width; ++x)
            for (int c = 0; c < recipe.components; ++c)
                row[static_cast<size_t>(x) * recipe.components + c] =
                    static_cast<JSAMPLE>((x * 255 / recipe.width + y * 3 + c * 70) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

// Decodes with the library's jpeg_mem_src and default settings; only for valid files.
DecodedImage ReferenceDecode(const std::vector<uint8_t>& file) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    DecodedImage image;
    image.width = static_cast<int32_t>(cinfo.output_width);
    image.height = static_cast<int32_t>(cinfo.output_height);
    const int n = cinfo.output_components;
    std::vector<JSAMPLE> row(static_cast<size_t>(cinfo.output_width) * n);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
            const JSAMPLE* p = &row[static_cast<size_t>(x) * n];
            image.pixels.push_back(n == 1 ? PackOpaque(p[0], p[0], p[0]) : PackOpaque(p[0], p[1], p[2]));
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

std::vector<uint8_t> RealJpeg(const char* name) { return test::SampleBytes(std::string("jpg/") + name); }

// The one-byte source, its skips and restart handling must give exactly the pixels the
// library's own memory source gives: baseline, restart intervals, progressive, big markers, grey.
TEST(JpegDecoder, MatchesTheLibraryOnRealAndGeneratedFiles) {
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
    };
    std::vector<Case> cases = {
        {"flower", RealJpeg("flower.jpg")},
        {"testorig", RealJpeg("testorig.jpg")},
        {"restarts", RealJpeg("restarts.jpg")},
        {"progressive", RealJpeg("jpg-progressive.jpg")},
        {"comment marker skipped", EncodeJpeg({.width = 40, .height = 24, .commentBytes = 60000})},
        {"190 scans", EncodeJpeg({.width = 24, .height = 16, .progressive = true, .acScansPerComponent = 1})},
        {"grey", RealJpeg("jpg-gray.jpg")},  // expanded to grey RGB
        {"generated grey", EncodeJpeg({.width = 19, .height = 7, .components = 1})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(c.file, image, error)) << error;
        const DecodedImage reference = ReferenceDecode(c.file);  // opaque, as the decoder's must be
        EXPECT_EQ(image.width, reference.width);
        EXPECT_EQ(image.height, reference.height);
        EXPECT_TRUE(image.pixels == reference.pixels) << "pixels differ from the library's own";
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
