#include "images/Image.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace cm::content {

Rgb Hex(uint32_t rgb) {
    return {float((rgb >> 16) & 0xff) / 255.0f, float((rgb >> 8) & 0xff) / 255.0f, float(rgb & 0xff) / 255.0f};
}

Rgb Mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }

Image::Image(int width, int height) : w_(width), h_(height), px_(size_t(width) * height) {
    if (width < 1 || height < 1 || width > 4096 || height > 4096)
        throw std::runtime_error("Image: bad size");
}

void Image::Add(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    Rgb& p = At(x, y);
    p = p + c;
}

void Image::AddGlow(float cx, float cy, float radius, Rgb c, float power) {
    const int x0 = std::max(0, int(std::floor(cx - radius))), x1 = std::min(w_ - 1, int(std::ceil(cx + radius)));
    const int y0 = std::max(0, int(std::floor(cy - radius))), y1 = std::min(h_ - 1, int(std::ceil(cy + radius)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
            const float d = std::sqrt(dx * dx + dy * dy) / radius;
            if (d < 1) Add(x, y, c * std::pow(1 - d, power));
        }
}

void Image::AddLine(float x0, float y0, float x1, float y1, float halfWidth, Rgb c) {
    const float reach = halfWidth + 1;
    const int bx0 = std::max(0, int(std::floor(std::min(x0, x1) - reach)));
    const int bx1 = std::min(w_ - 1, int(std::ceil(std::max(x0, x1) + reach)));
    const int by0 = std::max(0, int(std::floor(std::min(y0, y1) - reach)));
    const int by1 = std::min(h_ - 1, int(std::ceil(std::max(y0, y1) + reach)));
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            const float px = float(x) + 0.5f - x0, py = float(y) + 0.5f - y0;
            // Distance to the segment: project onto it and clamp to its ends.
            const float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
            const float ex = px - t * dx, ey = py - t * dy;
            const float d = std::sqrt(ex * ex + ey * ey);
            if (d < reach) Add(x, y, c * std::min(1.0f, reach - d));
        }
}

void Image::Blur(int radius, bool wrap) {
    if (radius < 1) return;
    std::vector<Rgb> line;
    auto pass = [&](int count, int length, auto at) {
        line.resize(size_t(length));
        const float inv = 1.0f / float(2 * radius + 1);
        for (int c = 0; c < count; ++c) {
            for (int i = 0; i < length; ++i) line[size_t(i)] = at(c, i);
            for (int i = 0; i < length; ++i) {
                Rgb sum;
                for (int k = -radius; k <= radius; ++k) {
                    int j = i + k;
                    j = wrap ? ((j % length) + length) % length : std::clamp(j, 0, length - 1);
                    sum = sum + line[size_t(j)];
                }
                at(c, i) = sum * inv;
            }
        }
    };
    for (int rep = 0; rep < 3; ++rep) {
        pass(h_, w_, [&](int y, int x) -> Rgb& { return At(x, y); });
        pass(w_, h_, [&](int x, int y) -> Rgb& { return At(x, y); });
    }
}

void Image::Scale(float s) {
    for (Rgb& p : px_) p = p * s;
}

std::vector<uint8_t> Image::ToBytes() const {
    std::vector<uint8_t> out;
    out.reserve(px_.size() * 3);
    auto q = [](float v) { return uint8_t(std::clamp(std::floor(v * 255.0f + 0.5f), 0.0f, 255.0f)); };
    for (const Rgb& p : px_) {
        out.push_back(q(p.r));
        out.push_back(q(p.g));
        out.push_back(q(p.b));
    }
    return out;
}

void RequireTextureSize(int width, int height) {
    auto ok = [](int n) { return n >= 1 && n <= 512 && (n & (n - 1)) == 0; };
    if (!ok(width) || !ok(height)) throw std::runtime_error("texture size must be a power of two up to 512");
}

}  // namespace cm::content
