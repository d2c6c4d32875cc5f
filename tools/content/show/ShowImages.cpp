// The show's images. Palette: navy #050A1A, ice #8FD3FF, cyan #3FE0FF, white, aurora violet
// #7A5CFF and green #3CFFB0, amber #FFB347 for the sparks only. Images the parts add onto the
// frame stay mostly dark with bright structure, so layers do not wash out to white.
#include <algorithm>
#include <cmath>
#include <functional>

#include "images/ImageWriters.h"
#include "images/Noise.h"
#include "images/TextRenderer.h"
#include "show/Credits.h"
#include "show/Palette.h"
#include "show/Show.h"

namespace cm::content {

void Fill(Image& im, const std::function<Rgb(float u, float v)>& fn) {
    for (int y = 0; y < im.Height(); ++y)
        for (int x = 0; x < im.Width(); ++x)
            im.At(x, y) = fn((float(x) + 0.5f) / float(im.Width()), (float(y) + 0.5f) / float(im.Height()));
}

// Aurora curtains: bands that wave across u, brightest at their lower edge and fading upward,
// shimmering with vertical rays. Returns the light at (u, v) for a band whose lower edge runs
// around `base` (v grows downward). Tiles in u.
Rgb Aurora(float u, float v, float base, float height, uint32_t seed) {
    // The curtain's lower edge folds: one slow swing plus noise of a few cells, all periodic in u.
    const float wave = 0.045f * std::sin(2 * kPi * (u * 2 + 0.13f)) + 0.16f * (Fbm(u, 0.5f, 5, 4, seed) - 0.5f);
    const float edge = base + wave;
    const float d = edge - v;  // above the lower edge: d > 0
    if (d < -0.02f || d > height) return {};
    const float profile = d < 0 ? (1 + d / 0.02f) : std::exp(-3.2f * d / height) * (1 - d / height);
    const float rays = 0.35f + 0.65f * Fbm2(u, v, 64, 1, 2, seed + 9);
    const float patches = 0.25f + 0.75f * std::pow(Fbm(u, 0.25f, 3, 2, seed + 3), 1.5f) * 1.6f;
    const Rgb colour = Mix(kGreen, kViolet, Clamp01(d / height * 1.6f));
    return colour * (profile * rays * patches);
}

namespace {

void AddStars(Image& im, int count, float brightness, uint64_t seed, float maxV = 1.0f) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        const float x = rng.Range(0, float(im.Width())), y = rng.Range(0, float(im.Height()) * maxV);
        const float b = brightness * std::pow(rng.Uniform(), 3.0f);
        im.AddGlow(x, y, 1.6f, Mix(kIce, kWhite, rng.Uniform()) * b, 1.5f);
    }
}

// "Cold Meridian" for the intro: a cyan halo under crisp white letters, a meridian line with
// ticks beneath. Black around the edges, since the part adds it onto the frame.
Image IntroLogo() {
    Image im(256, 128);
    Image text(256, 128);
    TextRenderer font(DejaVuFont("DejaVuSans-ExtraLight.ttf"));
    font.SetSize(30, 30);
    font.DrawCentred(text, "Cold Meridian", 72, kWhite);
    Image halo = text;
    halo.Blur(3, false);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x) {
            const Rgb h = halo.At(x, y), t = text.At(x, y);
            im.At(x, y) = kCyan * (1.8f * h.r) + Mix(kIce, kWhite, 0.6f) * t.r;
        }
    im.AddLine(34, 88, 222, 88, 0.35f, kIce * 0.55f);
    for (int i = 0; i <= 12; ++i) {
        const float x = 34 + 188.0f * float(i) / 12.0f, len = i % 6 == 0 ? 6.0f : (i % 2 == 0 ? 4.0f : 2.5f);
        im.AddLine(x, 88 - len, x, 88 + len, 0.3f, kIce * 0.5f);
    }
    im.AddGlow(128, 88, 10, kWhite * 0.5f, 2.0f);
    return im;
}

// The tunnel's wall. u wraps once around the tube and v runs along it (the tube shows 0.4 of the
// image over its length, a tenth per near segment), so rows of the image are rings of the tunnel.
// Ribs of ice every twentieth of the image recede toward the vanishing point and give the tube its
// depth; between them faint ice panels, cut by a few long seams that stream along the length.
// Everything else stays black: two of these layers are added on top of each other.
Image IceTunnel() {
    constexpr int kRibs = 20, kSeams = 12;
    Image im(256, 256);
    Fill(im, [&](float u, float v) {
        const float rib = std::fmod(v * kRibs, 1.0f);              // 0 at a rib, along the tube
        const float ribLight = std::exp(-std::pow(std::fmin(rib, 1 - rib) / 0.05f, 2.0f));
        const float seam = std::fmod(u * kSeams, 1.0f);            // around the tube
        const float seamLight = std::exp(-std::pow(std::fmin(seam, 1 - seam) / 0.04f, 2.0f));
        const float frost = Fbm2(u, v, 16, 8, 3, 211);
        const float flicker = 0.55f + 0.45f * Fbm2(u, v, 24, 2, 2, 212);
        const float panel = std::pow(Clamp01((frost - 0.35f) * 1.6f), 3.0f) * 0.12f;
        return kIce * (0.7f * ribLight * flicker) + kCyan * (0.4f * seamLight * (0.4f + 0.6f * frost)) +
               Mix(kNavy * 3.0f, kIce, frost) * panel;
    });
    // Glints where a seam crosses a rib, repeated across the image's edges so the tile wraps.
    for (int i = 0; i < kSeams; ++i)
        for (int j = 0; j < kRibs; ++j)
            for (float dx : {0.0f, 256.0f})
                for (float dy : {0.0f, 256.0f})
                    im.AddGlow(float(i) * 256.0f / kSeams + dx, float(j) * 256.0f / kRibs + dy, 5, kWhite * 0.5f, 2.0f);
    return im;
}

// The distort and room tube: meridian lines and parallels of a grid, drawn over slow noise.
Image MeridianGrid() {
    Image im(256, 256);
    Fill(im, [&](float u, float v) {
        const float haze = std::pow(Fbm(u, v, 4, 4, 311), 3.0f) * 0.35f;
        return Mix(kNavy, kViolet, Fbm(u, v, 2, 2, 312)) * haze;
    });
    for (int i = 0; i < 16; ++i) {  // 16 meridians around the tube
        const float x = 8.0f + 16.0f * float(i);
        im.AddLine(x, -2, x, 258, i % 4 == 0 ? 0.7f : 0.35f, kCyan * (i % 4 == 0 ? 0.45f : 0.22f));
    }
    for (int j = 0; j < 4; ++j) {  // parallels: the same pattern every quarter of the tile
        const float y = 32.0f + 64.0f * float(j);
        im.AddLine(-2, y, 258, y, 0.5f, kIce * 0.3f);
        for (int i = 0; i < 16; ++i) im.AddGlow(8.0f + 16.0f * float(i), y, 5, kWhite * 0.4f, 2.0f);
    }
    return im;
}

Image FrostLayer() {
    Image im(256, 256);
    Fill(im, [&](float u, float v) {
        const float cells = Fbm(u, v, 8, 5, 421);
        const float ridge = 1 - std::fabs(2 * Fbm(u, v, 4, 4, 422) - 1);  // bright ridges, dark valleys
        const float f = std::pow(ridge, 9.0f) * 0.7f + std::pow(cells, 6.0f) * 0.25f;
        return Mix(kIce, kWhite, cells) * f;
    });
    return im;
}

// Full-screen layers: 512 x 512, stretched over the 640 x 480 frame.
Image TunnelGlow() {
    Image im(512, 512);
    Fill(im, [&](float u, float v) {
        const Rgb a = Aurora(u, v, 0.32f, 0.3f, 501) * 0.35f + Aurora(u + 0.37f, v, 0.5f, 0.25f, 502) * 0.18f;
        const float vignette = std::pow(std::hypot(u - 0.5f, v - 0.5f) * 1.41f, 2.0f);
        return a + kNavy * (0.6f * vignette);
    });
    return im;
}

Image DistortGlow() {
    Image im(512, 512);
    Fill(im, [&](float u, float v) {
        const float r = std::hypot(u - 0.5f, (v - 0.5f) * 0.75f);
        const float ring = std::exp(-std::pow((r - 0.42f) / 0.05f, 2.0f)) * (0.6f + 0.4f * Fbm(u, v, 6, 3, 601));
        return Mix(kViolet, kCyan, Fbm(u, v, 3, 2, 602)) * (0.28f * ring);
    });
    AddStars(im, 220, 0.9f, 603);
    return im;
}

Image GlassGlow() {
    Image im(512, 512);
    // A frosty halo around where the blob sits, and a faint sparkle of frost in the corners.
    im.AddGlow(256, 256, 250, kIce * 0.16f, 2.2f);
    Rng rng(701);
    for (int i = 0; i < 400; ++i) {
        const float x = rng.Range(0, 512), y = rng.Range(0, 512);
        const float edge = std::hypot(x - 256, y - 256) / 256.0f;
        // The draws are taken one statement at a time: the order in which a call's arguments
        // are evaluated differs between compilers, and with it the picture.
        const float brightness = rng.Uniform();
        const float radius = 2.0f + 2.0f * rng.Uniform();
        im.AddGlow(x, y, radius, kWhite * (0.5f * edge * edge * brightness), 1.5f);
    }
    return im;
}

Image EndGlow() {
    Image im(512, 512);
    Fill(im, [&](float u, float v) {
        const Rgb top = Aurora(u, v, 0.2f, 0.2f, 801) * 0.22f;
        const float low = std::exp(-std::pow((1 - v) / 0.12f, 2.0f));
        return top + kCyan * (0.12f * low * (0.6f + 0.4f * Fbm(u, v, 8, 2, 802)));
    });
    return im;
}

// The rotoball backdrop, drawn opaque: aurora over a night sky, an ice field below the horizon
// reflecting it.
Image RotoballBackdrop() {
    Image im(512, 512);
    const float horizon = 0.64f;
    Fill(im, [&](float u, float v) {
        if (v < horizon) {
            const float sky = v / horizon;
            return Mix(Hex(0x01030A), kNavy * 2.2f, sky * sky) + Aurora(u, v, 0.42f, 0.34f, 901) * 0.9f +
                   Aurora(u + 0.31f, v, 0.3f, 0.2f, 902) * 0.35f;
        }
        // Ice: the sky mirrored and dimmed, broken by cracks and snow texture.
        const float d = v - horizon;
        const float mv = horizon - d * 1.6f;
        const Rgb reflection = Aurora(u, mv, 0.42f, 0.34f, 901) * 0.35f;
        const float snow = Fbm(u, v * 3.0f, 16, 4, 903);
        const float crack = std::pow(1 - std::fabs(2 * Fbm(u, v * 2.0f, 8, 3, 904) - 1), 24.0f);
        return Mix(kNavy * 1.5f, Hex(0x1A3350), snow * (0.4f + d)) + reflection + kIce * (0.35f * crack);
    });
    AddStars(im, 260, 1.0f, 905, 0.5f);
    return im;
}

// Environment maps, read with u, v = (n + 1) / 2 from view-space normals: the top of the image is
// what surfaces facing up reflect, the middle row the horizon, the centre what faces the camera,
// and the inscribed circle the silhouette (the corners are never read). Every change of colour is
// gradual: the wobble sweeps the normals across the map, so a hard edge in it would show as a
// thin, ragged contour crawling over the blob.
float SmoothStep(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// A bright sky over a dim ice field, the horizon a little below the middle so that most of the
// blob reflects sky; a soft glow on the horizon, a sun up to one side, and a sheen toward the
// silhouette where a mirror catches light at grazing angles.
Image ChromeEnv(uint32_t seed, Rgb zenith, Rgb horizonGlow, Rgb ground) {
    constexpr float kHorizon = -0.15f;
    Image im(256, 256);
    Fill(im, [&](float u, float v) {
        const float x = 2 * u - 1, y = 1 - 2 * v;  // y = +1 facing up
        const float h = y - kHorizon;
        const float clouds = Fbm(u, v, 4, 3, seed);
        const Rgb sky = Mix(horizonGlow, zenith, std::pow(Clamp01(h / (1 - kHorizon)), 0.5f)) *
                        (0.6f + 0.5f * clouds);
        const float snow = Fbm(u, v, 6, 3, seed + 1);
        const Rgb field = Mix(horizonGlow * 0.45f, ground, std::pow(Clamp01(-h / 0.6f), 0.6f)) *
                          (0.85f + 0.3f * snow);
        const Rgb base = Mix(field, sky, SmoothStep(-0.25f, 0.2f, h));
        const float glow = std::exp(-(h / 0.12f) * (h / 0.12f));
        const float sheen = SmoothStep(0.7f, 1.0f, std::hypot(x, y));
        return base + Mix(horizonGlow, kWhite, 0.5f) * (0.3f * glow) + kWhite * (0.25f * sheen);
    });
    im.AddGlow(86, 64, 44, kWhite * 0.9f, 2.0f);  // the sun, up and to one side
    return im;
}

Image FrostEnv() {
    Image im(256, 256);
    Fill(im, [&](float u, float v) {
        const float n = Fbm(u, v, 6, 5, 1101);
        const float y = 1 - 2 * v;
        const Rgb base = Mix(Hex(0x2A4A6A), Mix(kIce, kWhite, 0.5f), Clamp01(0.5f + 0.5f * y));
        return base * (0.55f + 0.6f * n);
    });
    Rng rng(1102);
    for (int i = 0; i < 5; ++i) {
        // One draw per statement, so that every compiler makes the same picture.
        const float radius = rng.Range(14, 30);
        const float y = rng.Range(30, 140);
        const float x = rng.Range(40, 216);
        im.AddGlow(x, y, radius, kWhite * 0.7f, 1.8f);
    }
    return im;
}

// An amber spark: white-hot centre, amber glow, black at the edge so its square never shows.
Image Flare() {
    Image im(64, 64);
    im.AddGlow(32, 32, 31, kAmber * 0.9f, 2.2f);
    im.AddGlow(32, 32, 9, kWhite * 0.9f, 1.5f);
    return im;
}

// Room textures. The hall's far walls melt into white fog, so near surfaces stay dark for the
// sparks to read against them.
Image FloorTiles() {
    Image im(256, 256);
    Fill(im, [&](float u, float v) {
        const float tu = std::fmod(u * 2, 1.0f), tv = std::fmod(v * 2, 1.0f);
        const float grout = std::fmin(std::fmin(tu, 1 - tu), std::fmin(tv, 1 - tv));
        const float stone = Fbm(u, v, 8, 4, 1201);
        const float vein = std::pow(1 - std::fabs(2 * Fbm(u, v, 4, 4, 1202) - 1), 30.0f);
        const Rgb tile = Mix(Hex(0x0B1424), Hex(0x1E3048), stone) + kIce * (0.3f * vein);
        return grout < 0.012f ? Hex(0x4A6A88) : tile;
    });
    return im;
}

Image WallPanels() {
    Image im(256, 256);
    Fill(im, [&](float u, float v) {
        const float fx = std::fmin(u, 1 - u), fy = std::fmin(v, 1 - v);
        const float frame = std::fmin(fx, fy);
        const float frost = Fbm(u, v, 8, 4, 1301);
        Rgb c = Mix(Hex(0x101C30), Hex(0x22364E), frost * (1 - v * 0.5f));
        if (frame < 0.04f) c = Hex(0x3A5878) * (0.8f + 0.2f * frost);
        else if (frame < 0.05f) c = kIce * 0.55f;
        if (std::fabs(u - 0.5f) < 0.004f && fy > 0.08f) c = c + kCyan * 0.25f;  // a meridian per panel
        return c;
    });
    return im;
}

Image PillarFlutes() {
    Image im(128, 256);
    Fill(im, [&](float u, float v) {
        const float flute = 0.5f + 0.5f * std::cos(u * 2 * kPi * 5);
        const float ice = Fbm(u, v, 4, 4, 1401);
        const float band = (v > 0.04f && v < 0.07f) || (v > 0.93f && v < 0.96f) ? 1.0f : 0.0f;
        return Mix(Hex(0x14243A), Hex(0x3E5E80), flute * 0.7f + ice * 0.3f) + kIce * (0.4f * band);
    });
    return im;
}

Image Ceiling() {
    Image im(256, 256);
    Fill(im, [&](float u, float v) { return Mix(Hex(0x18283E), Hex(0x2C4462), Fbm(u, v, 4, 3, 1501)); });
    for (int i = 0; i < 12; ++i) {  // meridians of a dome, from the centre outward
        const float a = float(i) * kPi / 6;
        im.AddLine(128, 128, 128 + 180 * std::cos(a), 128 + 180 * std::sin(a), 0.6f, kIce * 0.35f);
    }
    for (float r : {40.0f, 80.0f, 120.0f})
        for (int k = 0; k < 180; ++k) {
            const float a0 = float(k) * 2 * kPi / 180, a1 = float(k + 1) * 2 * kPi / 180;
            im.AddLine(128 + r * std::cos(a0), 128 + r * std::sin(a0), 128 + r * std::cos(a1),
                       128 + r * std::sin(a1), 0.5f, kIce * 0.3f);
        }
    return im;
}

// A post of glowing ice for the hall's third visit: white at its heart, cyan toward its ends, dark
// caps top and bottom. Constant across, so it reads the same on every face of the post.
Image LampPost() {
    Image im(64, 128);
    Fill(im, [&](float, float v) {
        if (v < 0.05f || v > 0.95f) return Hex(0x22364E);
        const float core = std::exp(-std::pow((v - 0.55f) / 0.3f, 2.0f));
        return Mix(kCyan * 0.8f, Mix(kIce, kWhite, 0.7f), core);
    });
    return im;
}

// The rings' disc: scales engraved in its outer quarter (radius 0.75 to 1 of the disc), where the
// rings cut it out.
Image RingDisc() {
    Image im(512, 512);
    const float c = 256, R = 255;
    for (float r : {0.76f, 0.8f, 0.9f, 0.985f})
        for (int k = 0; k < 720; ++k) {
            const float a0 = float(k) * 2 * kPi / 720, a1 = float(k + 1) * 2 * kPi / 720;
            im.AddLine(c + R * r * std::cos(a0), c + R * r * std::sin(a0), c + R * r * std::cos(a1),
                       c + R * r * std::sin(a1), r > 0.98f ? 1.2f : 0.6f, kCyan * 0.7f);
        }
    for (int k = 0; k < 360; k += 5) {
        const float a = float(k) * kPi / 180, len = k % 30 == 0 ? 0.08f : (k % 10 == 0 ? 0.05f : 0.025f);
        const float r0 = 0.9f, r1 = 0.9f + len;
        im.AddLine(c + R * r0 * std::cos(a), c + R * r0 * std::sin(a), c + R * r1 * std::cos(a),
                   c + R * r1 * std::sin(a), k % 30 == 0 ? 1.0f : 0.5f, kIce * 0.8f);
        if (k % 30 == 0) im.AddGlow(c + R * 0.85f * std::cos(a), c + R * 0.85f * std::sin(a), 7, kWhite * 0.8f, 2);
    }
    Fill(im, [&, copy = im](float u, float v) {
        const float r = std::hypot(u - 0.5f, v - 0.5f) * 2;
        const Rgb base = r > 0.75f && r < 1.0f ? kNavy * 0.8f + kViolet * (0.1f * Fbm(u, v, 8, 3, 1601)) : Rgb{};
        const int x = std::min(511, int(u * 512)), y = std::min(511, int(v * 512));
        return copy.At(x, y) + base;
    });
    return im;
}

void Add(ShowData& show, const char* name, const Image& im) {
    RequireTextureSize(im.Width(), im.Height());
    const std::string n(name);
    show.files[n] = n.size() > 4 && n.substr(n.size() - 4) == ".tga" ? EncodeTga(im) : EncodeJpeg(im);
    show.images.emplace(n, im);
}

}  // namespace

void BuildImages(ShowData& show) {
    Add(show, "data\\introLogo.jpg", IntroLogo());
    Add(show, "data\\tunnelBackground.jpg", TunnelGlow());
    Add(show, "data\\tunnelTexture.jpg", IceTunnel());
    Add(show, "data\\roomFlare_1.jpg", Flare());
    Add(show, "data\\distortTexture01.jpg", MeridianGrid());
    Add(show, "data\\distortBackground.jpg", DistortGlow());
    Add(show, "data\\glassBackground.jpg", GlassGlow());
    Add(show, "data\\glassTexture01.jpg", FrostLayer());
    Add(show, "data\\rotoball.jpg", RotoballBackdrop());
    Add(show, "data\\scroll.jpg", Credits());
    Add(show, "data\\endBackground.jpg", EndGlow());
    Add(show, "data\\distortEnv.jpg", ChromeEnv(1001, Hex(0xE8F6FF), kCyan, Hex(0x0A1428)));
    Add(show, "data\\glassEnv.jpg", FrostEnv());
    Add(show, "data\\rotoEnv.jpg", ChromeEnv(1003, Mix(kGreen, kWhite, 0.35f), kViolet, Hex(0x080C20)));
    Add(show, "data\\roomFloor.tga", FloorTiles());
    Add(show, "data\\roomWall.jpg", WallPanels());
    Add(show, "data\\roomPillar.jpg", PillarFlutes());
    Add(show, "data\\roomCeiling.jpg", Ceiling());
    Add(show, "data\\rotoRing.jpg", RingDisc());
    Add(show, "data\\roomLamp.jpg", LampPost());
}

}  // namespace cm::content
