#include "tools/music/Players.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>

namespace cm::music::test {

std::vector<float> RenderOpenMpt(const std::vector<uint8_t>& bytes, int rate) {
    openmpt::module module(bytes);
    std::vector<float> out;
    std::vector<float> block(2 * 4096);
    for (;;) {
        const size_t frames = module.read_interleaved_stereo(rate, 4096, block.data());
        if (frames == 0) break;
        out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(2 * frames));
    }
    return out;
}

double EstimatePitch(const std::vector<float>& mono, int rate, double minHz, double maxHz) {
    const int minLag = static_cast<int>(rate / maxHz);
    const int maxLag = static_cast<int>(rate / minHz) + 1;
    const int n = static_cast<int>(mono.size()) - maxLag - 1;
    if (n <= 0) return 0.0;
    auto correlation = [&](int lag) {
        double sum = 0.0;
        for (int i = 0; i < n; ++i) sum += static_cast<double>(mono[i]) * mono[i + lag];
        return sum;
    };
    int best = minLag;
    double bestValue = -1e300;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        const double c = correlation(lag);
        if (c > bestValue) { bestValue = c; best = lag; }
    }
    // Parabolic interpolation around the peak gives the period to a fraction of a sample.
    const double a = correlation(best - 1), b = bestValue, c = correlation(best + 1);
    const double shift = (a - 2 * b + c) != 0.0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0.0;
    return rate / (best + shift);
}

}  // namespace cm::music::test
