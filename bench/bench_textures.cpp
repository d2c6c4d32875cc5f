// bench-deps: cm_textures
// Image decoding as the texture manager does it at start-up: the JPEG decoder fed one byte per
// fill call by its own source, and the run-length TGA decoder. Reports megapixels per second.
#include <benchmark/benchmark.h>

#include "resources/JpegDecoder.h"
#include "resources/TgaDecoder.h"

#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace {

// The real images are the test samples in <repository>/tests/data. CMake compiles this file by
// its absolute path, so __FILE__ locates the repository.
std::vector<uint8_t> RealFile(const char* relative) {
    const std::string source = __FILE__;
    const std::string repository = source.substr(0, source.rfind("/bench/"));
    std::ifstream in(repository + "/tests/data/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Decoder = bool (*)(std::span<const uint8_t>, cm::DecodedImage&, std::string&);

void DecodeFile(benchmark::State& state, Decoder Decode, const char* relative) {
    const std::vector<uint8_t> file = RealFile(relative);
    cm::DecodedImage image;
    std::string error;
    int64_t pixels = 0;
    for (auto _ : state) {
        if (!Decode(file, image, error)) {
            state.SkipWithError(("cannot decode " + std::string(relative) + ": " + error).c_str());
            return;
        }
        pixels += static_cast<int64_t>(image.pixels.size());
    }
    state.counters["Mpixel"] = benchmark::Counter(static_cast<double>(pixels) / 1e6, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK_CAPTURE(DecodeFile, jpeg_baseline_480x360, cm::DecodeJpeg, "jpg/flower.jpg");
BENCHMARK_CAPTURE(DecodeFile, jpeg_progressive_32x32, cm::DecodeJpeg, "jpg/jpg-progressive.jpg");
BENCHMARK_CAPTURE(DecodeFile, tga_rle_200x32, cm::DecodeTga, "tga/200x32_rgb_bl_rle.tga");
