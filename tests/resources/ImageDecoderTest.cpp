// The JPEG and TGA decoders: the pixels of real and generated files, and refusals of damaged ones.
#include "common/Files.h"
#include "resources/JpegDecoder.h"
#include "resources/TgaBytes.h"
#include "resources/TgaDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace cm {
namespace {

// The decoder refuses the file: false, a reason (containing messagePart), and an image left empty
// whatever it held before.
template <auto Decode>
void ExpectRefused(const std::vector<uint8_t>& file, const std::string& messagePart = "") {
    DecodedImage image;
    image.width = 5;
    std::string error;
    EXPECT_FALSE(Decode(file, image, error));
    EXPECT_TRUE(image.width == 0 && image.pixels.empty());
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(messagePart), std::string::npos) << error;
}

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
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"flower", RealJpeg("flower.jpg")}, {"testorig", RealJpeg("testorig.jpg")},
        {"restarts", RealJpeg("restarts.jpg")}, {"progressive", RealJpeg("jpg-progressive.jpg")},
        {"comment marker skipped", EncodeJpeg({.width = 40, .height = 24, .commentBytes = 60000})},
        {"190 scans", EncodeJpeg({.width = 24, .height = 16, .progressive = true, .acScansPerComponent = 1})},
        {"grey", RealJpeg("jpg-gray.jpg")},  // expanded to grey RGB
        {"generated grey", EncodeJpeg({.width = 19, .height = 7, .components = 1})},
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        DecodedImage image;
        std::string error;
        ASSERT_TRUE(DecodeJpeg(file, image, error)) << error;
        const DecodedImage reference = ReferenceDecode(file);  // opaque, as the decoder's must be
        EXPECT_EQ(std::pair(image.width, image.height), std::pair(reference.width, reference.height));
        EXPECT_TRUE(image.pixels == reference.pixels) << "pixels differ from the library's own";
    }
}

// Damaged entropy data is the jpeg harness's, replayed by test_fuzz_replay.
TEST(JpegDecoder, RefusesTruncatedFilesAtEveryLengthBadHeadersHugeSizesCmykAndEndlessScans) {
    ExpectRefused<DecodeJpeg>(RealJpeg("truncated_jpeg.jpg"), "Premature end");
    ExpectRefused<DecodeJpeg>({});
    // Baseline and progressive, cut anywhere from inside the header to just before the final
    // marker byte: never a read past the data, never an image made up of padding.
    for (const auto& whole : {RealJpeg("testorig.jpg"), RealJpeg("jpg-progressive.jpg")}) {
        ASSERT_FALSE(whole.empty());
        for (size_t length = 1; length < whole.size(); length += length < 700 ? 1 : 97) {
            SCOPED_TRACE(length);
            ExpectRefused<DecodeJpeg>(std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        }
        ExpectRefused<DecodeJpeg>(std::vector<uint8_t>(whole.begin(), whole.end() - 1));
    }
    // A baseline file cut in its coded data, yet closed by a proper end-of-image marker. (A
    // progressive file that lacks its last scans is still a whole, coarser picture.)
    std::vector<uint8_t> closed = RealJpeg("testorig.jpg");
    closed.resize(closed.size() * 2 / 3);
    closed.insert(closed.end(), {0xFF, 0xD9});
    ExpectRefused<DecodeJpeg>(closed, "premature end of data segment");

    ExpectRefused<DecodeJpeg>({'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}, "Not a JPEG");
    // A comment running past the end.
    ExpectRefused<DecodeJpeg>({0xFF, 0xD8, 0xFF, 0xFE, 0xFF, 0xF0, 'x', 'y'});
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
    ExpectRefused<DecodeJpeg>(sized(20000), "16384");
    ExpectRefused<DecodeJpeg>(sized(16000), "larger than");  // each side allowed, the area not
    ExpectRefused<DecodeJpeg>(sized(0));
    // Within the limits but with far too little data for that size: refused when the data runs out.
    ExpectRefused<DecodeJpeg>(sized(4000), "premature end");
    ExpectRefused<DecodeJpeg>(RealJpeg("jpg-cmyk-1.jpg"), "color conversion");
    // 1 DC scan + 3 components x 63 bands x 2 passes = 379 scans.
    ExpectRefused<DecodeJpeg>(EncodeJpeg({.progressive = true, .acScansPerComponent = 2}), "scans");
}

using test::Tga;

std::vector<uint8_t> RealTga(const char* name) { return test::SampleBytes(std::string("tga/") + name); }

DecodedImage Decode(const std::vector<uint8_t>& file) {
    DecodedImage image;
    std::string error;
    EXPECT_TRUE(DecodeTga(file, image, error)) << error;
    return image;
}

TEST(TgaDecoder, PacketsAfterTheIdFieldAndColourMapFillRowsBottomUpAcrossRowEnds) {
    // 0x83: one blue-green-red pixel written four times; 0x02: three pixels read in turn.
    EXPECT_EQ(Decode(Tga(7, 1, {0x83, 0x30, 0x20, 0x10, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9})).pixels,
              (std::vector<uint32_t>{0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030, 0xFF030201, 0xFF060504, 0xFF090807}));
    // 3 x 2: a run of 4 covers the bottom row and the top row's first pixel, a raw 2 the rest.
    EXPECT_EQ(Decode(Tga(3, 2, {0x83, 0xAA, 0xBB, 0xCC, 0x01, 1, 1, 1, 2, 2, 2})).pixels,
              (std::vector<uint32_t>{0xFFCCBBAA, 0xFF010101, 0xFF020202, 0xFFCCBBAA, 0xFFCCBBAA, 0xFFCCBBAA}));
    // A raw packet that crosses the row end, and a run that reaches past the last pixel.
    EXPECT_EQ(Decode(Tga(2, 2, {0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0xFF, 4, 4, 4})).pixels,
              (std::vector<uint32_t>{0xFF030303, 0xFF040404, 0xFF010101, 0xFF020202}));
    // The packets start after the ID field and the colour map.
    std::vector<uint8_t> file = Tga(1, 1, {'i', 'd', '!', 9, 9, 9, 9, 0x80, 0x33, 0x22, 0x11});
    file[0] = 3;   // ID field of 3 bytes
    file[1] = 1;   // colour map present...
    file[5] = 2;   // ...with 2 entries...
    file[7] = 15;  // ...of 15 bits, stored in 2 bytes each
    EXPECT_EQ(Decode(file).pixels, std::vector<uint32_t>{0xFF112233});
}

TEST(TgaDecoder, RealFilesDecodeOrAreRefusedAndDamagedOnesAreRefusedWithoutStrayAccess) {
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
    ASSERT_EQ(std::pair(bottomLeft.width, bottomLeft.height), std::pair(200, 32));
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
        ExpectRefused<DecodeTga>(RealTga(name));
    }

    // Cut short: refused before the header's end and anywhere before the footer.
    const std::vector<uint8_t> whole = RealTga("200x32_rgb_bl_rle.tga");
    ASSERT_GT(whole.size(), 18u + 26u);
    for (size_t length = 0; length < 18; ++length)
        ExpectRefused<DecodeTga>({whole.begin(), whole.begin() + length});
    // The packets end where the 26-byte footer begins; a cut anywhere before that is refused.
    const size_t packetsEnd = whole.size() - 26;
    for (size_t length = 18; length < packetsEnd; length += length + 7 < packetsEnd ? 7 : 1)
        ExpectRefused<DecodeTga>({whole.begin(), whole.begin() + length});
    EXPECT_EQ(Decode({whole.begin(), whole.begin() + packetsEnd}).pixels.size(), 200u * 32u);
    // Empty, too wide, and 16384 x 16384 with four bytes of data: refused before a 1 GiB array is made.
    for (const auto& [w, h] : {std::pair{0, 4}, {4, 0}, {20000, 2}, {16384, 16384}})
        ExpectRefused<DecodeTga>(Tga(w, h, {0xFF, 1, 2, 3}));
    // 32 M pixels with all the run packets they need (1 MiB): over the pixel limit, refused.
    ExpectRefused<DecodeTga>(test::FlatTga(8192, 4096, 1, 2, 3));
    ExpectRefused<DecodeTga>(Tga(2, 2, {0x03, 1, 1, 1, 2, 2, 2}));  // raw packet ends early
    ExpectRefused<DecodeTga>(Tga(2, 2, {0x80, 1, 1}));               // run pixel cut short
}

}  // namespace
}  // namespace cm
