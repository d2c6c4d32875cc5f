#include "icons/Icon.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace cm::content {
namespace {

constexpr int kSamples = 4;        // per side of a pixel
constexpr float kRadius = 0.92f;   // of the globe, in half-sides of the icon
constexpr float kRimWidth = 0.10f;  // of the rim's glow, in the same units
const Rgb kIce = Hex(0x8FD3FF), kCyan = Hex(0x3FE0FF), kWhite = Hex(0xFFFFFF);

Rgb Sample(const Image& im, float u, float v) {
    const float x = std::clamp(u * float(im.Width()) - 0.5f, 0.0f, float(im.Width() - 1));
    const float y = std::clamp(v * float(im.Height()) - 0.5f, 0.0f, float(im.Height() - 1));
    const int x0 = int(x), y0 = int(y);
    const int x1 = std::min(x0 + 1, im.Width() - 1), y1 = std::min(y0 + 1, im.Height() - 1);
    const float fx = x - float(x0), fy = y - float(y0);
    return Mix(Mix(im.At(x0, y0), im.At(x1, y0), fx), Mix(im.At(x0, y1), im.At(x1, y1), fx), fy);
}

// Light of a line at distance d from its centre, for a half-width w: full inside, fading over one w.
float Stroke(float d, float w) { return std::clamp(2.0f - std::fabs(d) / w, 0.0f, 1.0f); }

// The globe at (x, y), both in -1..1 with y down, for a point inside the globe. `pixel` is one
// pixel in the same units, which keeps lines at least about a pixel wide at small sizes.
Rgb Globe(const Image& backdrop, float x, float y, float pixel) {
    const float r = std::sqrt(x * x + y * y) / kRadius;
    // The window of the backdrop puts its horizon (0.64 down the image) below the globe's middle.
    Rgb c = Sample(backdrop, 0.5f + 0.34f * x, 0.47f + 0.34f * y) * (1.6f - 0.8f * r * r);
    const float w = std::max(0.018f, 0.6f * pixel);
    // Meridians 38 degrees either side of the prime one: ellipses through the poles.
    const float along = std::sqrt(std::max(0.0f, kRadius * kRadius - y * y));
    c = c + Mix(kIce, kWhite, 0.5f) * Stroke(x, w);
    for (float side : {-1.0f, 1.0f}) c = c + kIce * (0.55f * Stroke(x - side * 0.62f * along, w * 0.8f));
    const float rim = (1 - r) * kRadius;  // distance in from the edge
    const float rimLine = std::max(kRimWidth * 0.25f, 0.5f * pixel);
    c = c + kCyan * (1.4f * Stroke(rim - rimLine, rimLine));
    return c + kCyan * (0.35f * std::max(0.0f, 1 - rim / kRimWidth));
}

uint8_t Byte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

IconImage DrawIcon(const Image& backdrop, int size) {
    if (size < 16 || size > 1024) throw std::runtime_error("DrawIcon: size out of range");
    IconImage icon{size, std::vector<uint8_t>(size_t(size) * size * 4)};
    const float half = float(size) / 2, pixel = 1 / half;
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            Rgb sum;
            int inside = 0;
            for (int s = 0; s < kSamples * kSamples; ++s) {
                const float x = (float(px) + (float(s % kSamples) + 0.5f) / kSamples - half) / half;
                const float y = (float(py) + (float(s / kSamples) + 0.5f) / kSamples - half) / half;
                if (x * x + y * y >= kRadius * kRadius) continue;
                sum = sum + Globe(backdrop, x, y, pixel);
                inside += 1;
            }
            uint8_t* out = &icon.rgba[(size_t(py) * size + px) * 4];
            const Rgb c = inside > 0 ? sum * (1.0f / float(inside)) : Rgb{};
            out[0] = Byte(c.r), out[1] = Byte(c.g), out[2] = Byte(c.b);
            out[3] = Byte(float(inside) / float(kSamples * kSamples));
        }
    return icon;
}

}  // namespace cm::content
