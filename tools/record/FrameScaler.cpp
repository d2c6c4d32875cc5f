#include "FrameScaler.h"

#include <algorithm>

namespace cm::record {

namespace {
struct Tap {
    int source;
    uint32_t weight;
};

// Output pixel i covers source interval [i * in / out, (i + 1) * in / out). Measured in units of
// 1 / out of a source pixel both ends are integers, so the weights (overlap lengths) are exact
// and those of one output pixel add up to `in`.
std::vector<std::vector<Tap>> Taps(int in, int out) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(out));
    for (int i = 0; i < out; ++i) {
        const int64_t a = int64_t(i) * in, b = int64_t(i + 1) * in;
        for (int64_t j = a / out; j < in && j * out < b; ++j) {
            const int64_t lo = std::max(a, j * out), hi = std::min(b, (j + 1) * out);
            if (hi > lo) taps[size_t(i)].push_back({int(j), uint32_t(hi - lo)});
        }
    }
    return taps;
}
}  // namespace

FitRect FitInside(int sw, int sh, int width, int height) {
    FitRect r;
    if (sw < 1 || sh < 1 || width < 1 || height < 1) return r;
    // Width-limited when width / sw <= height / sh.
    if (int64_t(width) * sh <= int64_t(height) * sw) {
        r.width = width;
        r.height = std::max<int>(1, int((int64_t(width) * sh + sw / 2) / sw));
    } else {
        r.height = height;
        r.width = std::max<int>(1, int((int64_t(height) * sw + sh / 2) / sh));
    }
    r.x = (width - r.width) / 2;
    r.y = (height - r.height) / 2;
    return r;
}

void ScaleToFit(const Image& source, int width, int height, Image& out) {
    out.width = width;
    out.height = height;
    if (source.width == width && source.height == height) {
        out.pixels = source.pixels;
        return;
    }
    out.pixels.assign(size_t(width) * height, 0xFF000000u);
    const FitRect r = FitInside(source.width, source.height, width, height);
    if (r.width < 1) return;
    const auto tx = Taps(source.width, r.width);
    const auto ty = Taps(source.height, r.height);
    // Horizontal pass into per-channel sums scaled by source.width, then the vertical pass.
    std::vector<uint64_t> rows(size_t(r.width) * source.height * 3);
    for (int y = 0; y < source.height; ++y) {
        const uint32_t* src = source.pixels.data() + size_t(y) * source.width;
        uint64_t* dst = rows.data() + size_t(y) * r.width * 3;
        for (int x = 0; x < r.width; ++x) {
            uint64_t s[3] = {0, 0, 0};
            for (const Tap& t : tx[size_t(x)]) {
                const uint32_t p = src[t.source];
                s[0] += uint64_t((p >> 16) & 0xFF) * t.weight;
                s[1] += uint64_t((p >> 8) & 0xFF) * t.weight;
                s[2] += uint64_t(p & 0xFF) * t.weight;
            }
            std::copy(s, s + 3, dst + size_t(x) * 3);
        }
    }
    const uint64_t total = uint64_t(source.width) * source.height;
    for (int y = 0; y < r.height; ++y) {
        uint32_t* dst = out.pixels.data() + size_t(y + r.y) * width + r.x;
        for (int x = 0; x < r.width; ++x) {
            uint64_t s[3] = {0, 0, 0};
            for (const Tap& t : ty[size_t(y)]) {
                const uint64_t* p = rows.data() + (size_t(t.source) * r.width + x) * 3;
                for (int c = 0; c < 3; ++c) s[c] += p[c] * t.weight;
            }
            uint32_t v = 0xFF000000u;
            for (int c = 0; c < 3; ++c) v |= uint32_t((s[c] + total / 2) / total) << (16 - 8 * c);
            dst[x] = v;
        }
    }
}

void CentreInside(const Image& picture, int width, int height, Image& out) {
    if (picture.width > width || picture.height > height) return ScaleToFit(picture, width, height, out);
    out.width = width;
    out.height = height;
    out.pixels.assign(size_t(width) * height, 0xFF000000u);
    const int x0 = (width - picture.width) / 2, y0 = (height - picture.height) / 2;
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels.data() + size_t(y) * picture.width, picture.width,
                    out.pixels.data() + size_t(y + y0) * width + x0);
}

}  // namespace cm::record
