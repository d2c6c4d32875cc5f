#include "show/Credits.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "images/Noise.h"
#include "images/TextRenderer.h"
#include "show/Palette.h"

namespace cm::content {
namespace {

// The scroller stretches 512 x 512 to 640 x 960: a shape that should look round on screen is
// drawn with its height two thirds of its width.
constexpr float kSquash = (640.0f / 512.0f) / (960.0f / 512.0f);

// A drawing's frame in image pixels.
struct Box {
    float x, y, w, h;
    float Cx() const { return x + w / 2; }
    float Cy() const { return y + h / 2; }
};

void Ellipse(Image& im, float cx, float cy, float rx, float ry, float a0, float a1, float halfWidth, Rgb c) {
    const int steps = std::max(8, int(std::fabs(a1 - a0) * std::max(rx, ry) / 3));
    for (int k = 0; k < steps; ++k) {
        const float p = a0 + (a1 - a0) * float(k) / float(steps), q = a0 + (a1 - a0) * float(k + 1) / float(steps);
        im.AddLine(cx + rx * std::cos(p), cy + ry * std::sin(p), cx + rx * std::cos(q), cy + ry * std::sin(q),
                   halfWidth, c);
    }
}

// The pole: a globe of meridians and parallels inside a cage of arcs, as the show opens.
void DrawGlobe(Image& im, const Box& b) {
    const float r = b.h * 0.42f / kSquash, cx = b.Cx(), cy = b.Cy();
    im.AddGlow(cx, cy, r * 1.2f, kCyan * 0.12f, 1.5f);
    Ellipse(im, cx, cy, r, r * kSquash, 0, 2 * kPi, 0.6f, kIce * 0.9f);
    for (int m = 1; m < 6; ++m) {  // meridians seen from the side: ellipses of shrinking width
        const float w = r * std::cos(float(m) * kPi / 6);
        Ellipse(im, cx, cy, w, r * kSquash, -kPi / 2, kPi / 2, 0.4f, kCyan * 0.7f);
        Ellipse(im, cx, cy, w, r * kSquash, kPi / 2, 3 * kPi / 2, 0.4f, kCyan * 0.35f);
    }
    for (int p = -2; p <= 2; ++p) {  // parallels
        const float lat = float(p) * kPi / 7, y = cy - r * kSquash * std::sin(lat), w = r * std::cos(lat);
        im.AddLine(cx - w, y, cx + w, y, p == 0 ? 0.7f : 0.4f, kIce * (p == 0 ? 0.9f : 0.6f));
    }
    const float arcs[][3] = {{0.2f, 2.4f, 1.3f}, {2.9f, 4.6f, 1.4f}, {4.2f, 6.0f, 1.25f}};
    for (const auto& a : arcs) Ellipse(im, cx, cy, r * a[2], r * a[2] * kSquash * 0.8f, a[0], a[1], 0.4f, kIce * 0.45f);
}

// The ice tunnel: ribs receding toward a bright vanishing point, seams streaming out of it.
void DrawTunnel(Image& im, const Box& b) {
    const float cx = b.Cx() + b.w * 0.08f, cy = b.Cy() - b.h * 0.05f;
    for (int i = 0; i < 12; ++i) {
        const float a = float(i) * kPi / 6 + 0.2f;
        const float reach = b.h * 0.9f / kSquash;
        im.AddLine(cx, cy, std::clamp(cx + reach * std::cos(a), b.x, b.x + b.w),
                   std::clamp(cy + reach * kSquash * std::sin(a), b.y, b.y + b.h), 0.4f, kCyan * 0.45f);
    }
    for (int k = 1; k <= 9; ++k) {
        const float r = b.h * 0.62f / kSquash * std::pow(0.72f, float(9 - k));
        Ellipse(im, cx, cy, r, r * kSquash, 0, 2 * kPi, 0.5f, kIce * (0.35f + 0.07f * float(9 - k)));
    }
    im.AddGlow(cx, cy, b.h * 0.25f, kWhite * 0.6f, 2.5f);
}

// The frozen hall: floor lines running to a vanishing point, pillars, the pedestal with its sparks.
void DrawHall(Image& im, const Box& b) {
    const float cx = b.Cx(), horizon = b.y + b.h * 0.42f, floor = b.y + b.h;
    im.AddLine(b.x, horizon, b.x + b.w, horizon, 0.5f, kIce * 0.5f);
    for (int i = -5; i <= 5; ++i)
        im.AddLine(cx + float(i) * b.w * 0.03f, horizon, cx + float(i) * b.w * 0.095f, floor, 0.35f, kIce * 0.4f);
    for (int j = 1; j <= 4; ++j) {
        const float y = horizon + (floor - horizon) * std::pow(float(j) / 4, 1.8f);
        im.AddLine(b.x + b.w * 0.02f, y, b.x + b.w * 0.98f, y, 0.35f, kIce * 0.35f);
    }
    for (float s : {-1.0f, 1.0f})
        for (int k = 0; k < 3; ++k) {
            const float x = cx + s * b.w * (0.16f + 0.11f * float(k)), w = 3.0f + 2.0f * float(k);
            const float top = b.y + b.h * (0.12f - 0.04f * float(k)), bottom = horizon + (floor - horizon) * 0.15f * float(k + 1);
            for (float e : {x - w, x + w}) im.AddLine(e, top, e, bottom, 0.4f, kIce * 0.7f);
        }
    const float py = horizon + (floor - horizon) * 0.45f;
    for (float e : {cx - 8, cx + 8}) im.AddLine(e, py - 12, e, py + 6, 0.5f, kIce * 0.8f);
    im.AddLine(cx - 11, py - 12, cx + 11, py - 12, 0.6f, kIce * 0.9f);
    Rng rng(4401);
    for (int i = 0; i < 28; ++i) {
        const float t = rng.Uniform();
        const float x = cx + (rng.Uniform() - 0.5f) * 26 * t, y = py - 14 - t * b.h * 0.55f;
        im.AddGlow(x, y, 2.2f, kAmber * (0.9f - 0.5f * t), 1.5f);
    }
}

// Chrome and ice: the three blobs, each a shaded drop with a sky in it and a highlight.
void DrawBlobs(Image& im, const Box& b) {
    struct Drop {
        float x, y, r;
        Rgb sky, ground;
    };
    const Drop drops[] = {{0.25f, 0.5f, 0.30f, Hex(0xE8F6FF), Hex(0x0A1428)},
                          {0.55f, 0.55f, 0.38f, Mix(kIce, kWhite, 0.5f), Hex(0x2A4A6A)},
                          {0.8f, 0.45f, 0.24f, Mix(kGreen, kWhite, 0.35f), kViolet * 0.4f}};
    for (const Drop& d : drops) {
        const float cx = b.x + b.w * d.x, cy = b.y + b.h * d.y, r = b.h * d.r / kSquash;
        for (int y = int(cy - r * kSquash) - 1; y <= int(cy + r * kSquash) + 1; ++y)
            for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x) {
                const float nx = (float(x) + 0.5f - cx) / r, ny = (float(y) + 0.5f - cy) / (r * kSquash);
                const float rr = nx * nx + ny * ny * (1 + 0.15f * std::sin(6 * nx));
                if (rr >= 1 || x < 0 || y < 0 || x >= im.Width() || y >= im.Height()) continue;
                const float edge = Clamp01((1 - rr) * 8);
                im.At(x, y) = Mix(d.ground, d.sky, Clamp01(0.5f - 0.9f * ny)) * edge;
            }
        im.AddGlow(cx - r * 0.35f, cy - r * kSquash * 0.4f, r * 0.3f, kWhite * 0.8f, 2.0f);
    }
}

// The aurora over the ice, under which the rings turned.
void DrawAurora(Image& im, const Box& b) {
    for (int y = int(b.y); y < int(b.y + b.h); ++y)
        for (int x = int(b.x); x < int(b.x + b.w); ++x) {
            const float u = (float(x) - b.x) / b.w, v = (float(y) - b.y) / b.h;
            const float fade = Clamp01(std::min({u, 1 - u}) * 8) * Clamp01((1 - v) * 12);
            Rgb c = v < 0.75f ? Aurora(u, v, 0.55f, 0.5f, 9101) * 1.4f
                              : Mix(kNavy * 2, Hex(0x1A3350), Fbm(u, v, 8, 3, 9102)) + Aurora(u, 1.5f - v, 0.55f, 0.5f, 9101) * 0.4f;
            im.At(x, y) = im.At(x, y) + c * fade;
        }
    Rng rng(9103);
    for (int i = 0; i < 40; ++i) {
        const float x = b.x + rng.Range(4, b.w - 4), y = b.y + rng.Range(2, b.h * 0.4f);
        im.AddGlow(x, y, 1.4f, kWhite * (0.3f + 0.5f * rng.Uniform()), 1.5f);
    }
}

// A meridian rule with graduation ticks, as under the intro's logo.
void AddRule(Image& im, float y, float halfWidth, Rgb colour) {
    const float x0 = 256 - halfWidth, x1 = 256 + halfWidth;
    im.AddLine(x0, y, x1, y, 0.4f, colour);
    for (int i = 0; i <= 12; ++i) {
        const float x = x0 + (x1 - x0) * float(i) / 12.0f, len = i % 6 == 0 ? 4.0f : (i % 2 == 0 ? 2.5f : 1.5f);
        im.AddLine(x, y - len, x, y + len, 0.3f, colour * 0.8f);
    }
}

}  // namespace

// The image enters the screen from below with its first row, so the title stands at the top; the
// scroller stops once the last row has left, so the licences run down to the bottom.
Image Credits() {
    Image im(512, 512);
    TextRenderer bold(DejaVuFont("DejaVuSans-Bold.ttf"));
    TextRenderer plain(DejaVuFont("DejaVuSans.ttf"));
    TextRenderer light(DejaVuFont("DejaVuSans-ExtraLight.ttf"));
    // Draws one line centred on baseline y, then moves y on by `gap` rows.
    int y = 0;
    auto line = [&](TextRenderer& f, int h, const std::string& text, Rgb colour, int gap) {
        f.SetSize(h * 3 / 2, h);
        f.DrawCentred(im, text, y, colour);
        y += gap;
    };
    auto caption = [&](const Box& b, const char* text) {
        plain.SetSize(12, 8);
        plain.Draw(im, text, int(b.Cx()) - plain.Measure(text) / 2, int(b.y + b.h + 11), kIce * 0.85f);
    };

    AddRule(im, 3, 150, kCyan * 0.7f);
    y = 30;
    line(light, 24, "Cold Meridian", kWhite, 14);
    line(plain, 9, "a real-time show", kIce, 16);
    line(plain, 8, "from the night over the pole, down an ice tunnel,", kIce * 0.85f, 10);
    line(plain, 8, "through a frozen hall and studies of chrome and ice", kIce * 0.85f, 10);
    line(plain, 8, "to the aurora: code, images, objects and music", kIce * 0.85f, 10);
    line(plain, 8, "all made from source by the Cold Meridian project", kIce * 0.85f, 0);

    const Box globe{44, 104, 190, 70}, tunnel{278, 104, 190, 70}, hall{44, 196, 190, 70}, blobs{278, 196, 190, 70},
              aurora{106, 288, 300, 70};
    DrawGlobe(im, globe);
    DrawTunnel(im, tunnel);
    DrawHall(im, hall);
    DrawBlobs(im, blobs);
    DrawAurora(im, aurora);
    caption(globe, "the pole");
    caption(tunnel, "the ice tunnel");
    caption(hall, "the frozen hall");
    caption(blobs, "chrome and ice");
    caption(aurora, "the aurora");

    y = 392;
    line(bold, 9, "built with", kCyan, 13);
    line(plain, 8, "SDL2  zlib License", kWhite * 0.9f, 11);
    line(plain, 8, "GTK 3  LGPL-2.1-or-later", kWhite * 0.9f, 11);
    line(plain, 8, "libjpeg-turbo  IJG License and BSD-3-Clause", kWhite * 0.9f, 11);
    line(plain, 8, "libopenmpt  BSD-3-Clause", kWhite * 0.9f, 11);
    line(plain, 8, "FreeType  FreeType License", kWhite * 0.9f, 11);
    line(plain, 8, "DejaVu fonts  Bitstream Vera License", kWhite * 0.9f, 14);
    line(bold, 9, "recorded with", kCyan, 12);
    line(plain, 8, "libpng  libpng License    FFmpeg  LGPL-2.1-or-later", kWhite * 0.9f, 16);
    line(light, 12, "2026", kWhite, 0);
    AddRule(im, 508, 60, kCyan * 0.5f);
    return im;
}

}  // namespace cm::content
