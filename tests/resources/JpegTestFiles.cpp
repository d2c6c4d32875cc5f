#include "resources/JpegTestFiles.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace cm::test {

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
        jpeg_scan_info dc{};
        dc.comps_in_scan = recipe.components;
        for (int c = 0; c < recipe.components; ++c) dc.component_index[c] = c;
        scans.push_back(dc);
        for (int c = 0; c < recipe.components; ++c) {
            for (int band = 1; band < 64; ++band) {
                for (int pass = 0; pass < passes; ++pass) {
                    jpeg_scan_info ac{};
                    ac.comps_in_scan = 1;
                    ac.component_index[0] = c;
                    ac.Ss = band;
                    ac.Se = band;
                    ac.Ah = pass == 0 ? 0 : passes - pass;
                    ac.Al = passes - 1 - pass;
                    scans.push_back(ac);
                }
            }
        }
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
        for (int x = 0; x < recipe.width; ++x) {
            for (int c = 0; c < recipe.components; ++c) {
                row[static_cast<size_t>(x) * recipe.components + c] =
                    static_cast<JSAMPLE>((x * 255 / recipe.width + y * 3 + c * 70) & 0xFF);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

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

}  // namespace cm::test
