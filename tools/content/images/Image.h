// Procedural images of the content pipeline: a linear RGB float canvas and the few operators the
// show's textures are built from (glows, lines, blur, text masks), plus the JPEG and TGA writers.
//
// Units: pixels, origin top-left, pixel centres at integer + 0.5; colours 0..1 per channel,
// clamped only when converted to 8-bit (rounded to nearest). Everything is deterministic: no
// clock, no global random state, fixed evaluation order.
// Error policy: images are built by our own code with sizes we choose; a size that is not a power
// of two up to 512, or a write that fails, throws std::runtime_error and fails the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cm::content {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb operator*(Rgb c, float s) { return {c.r * s, c.g * s, c.b * s}; }
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
// #RRGGBB as a colour.
Rgb Hex(uint32_t rgb);
Rgb Mix(Rgb a, Rgb b, float t);

class Image {
public:
    Image(int width, int height);
    int Width() const { return w_; }
    int Height() const { return h_; }
    Rgb& At(int x, int y) { return px_[size_t(y) * w_ + x]; }
    const Rgb& At(int x, int y) const { return px_[size_t(y) * w_ + x]; }
    // Adds c to the pixel when it lies inside; coordinates outside are ignored.
    void Add(int x, int y, Rgb c);
    // Adds c * (1 - d/radius)^power for every pixel within radius of (cx, cy).
    void AddGlow(float cx, float cy, float radius, Rgb c, float power);
    // Adds a soft line of the given half-width (pixels) with a linear fall-off to its edge.
    void AddLine(float x0, float y0, float x1, float y1, float halfWidth, Rgb c);
    // Separable box blur applied three times (close to a Gaussian of sigma ~ radius).
    void Blur(int radius, bool wrap);
    void Scale(float s);
    // 8-bit RGB, rows top to bottom.
    std::vector<uint8_t> ToBytes() const;

private:
    int w_, h_;
    std::vector<Rgb> px_;
};

// Checks the show's texture rule: both sides powers of two, at most 512.
void RequireTextureSize(int width, int height);

}  // namespace cm::content
