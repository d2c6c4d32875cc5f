#include "preview/PreviewCanvas.h"

#include <algorithm>
#include <cmath>

namespace cm::content {
namespace {

constexpr float kNear = 0.08f, kW = 640, kH = 480;

Rgb Sample(const Image& t, float u, float v) {
    const float fu = u - std::floor(u), fv = v - std::floor(v);
    const int x = std::min(t.Width() - 1, int(fu * float(t.Width())));
    const int y = std::min(t.Height() - 1, int(fv * float(t.Height())));
    return t.At(x, y);
}

PreviewVertex Cut(const PreviewVertex& a, const PreviewVertex& b) {
    const float t = (kNear - a.eye.z) / (b.eye.z - a.eye.z);
    PreviewVertex o;
    o.eye = Vector3(a.eye.x + (b.eye.x - a.eye.x) * t, a.eye.y + (b.eye.y - a.eye.y) * t, kNear);
    o.u = a.u + (b.u - a.u) * t;
    o.v = a.v + (b.v - a.v) * t;
    return o;
}

}  // namespace

PreviewCanvas::PreviewCanvas() : image_(640, 480), depth_(640 * 480, 1e30f) {}

void PreviewCanvas::ClearDepth() { std::fill(depth_.begin(), depth_.end(), 1e30f); }

void PreviewCanvas::Triangle(const PreviewVertex& a, const PreviewVertex& b, const PreviewVertex& c,
                             const PreviewState& s) {
    // Clip against the near plane (one plane of Sutherland-Hodgman), then fan.
    const PreviewVertex in[3] = {a, b, c};
    PreviewVertex poly[4];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        const PreviewVertex &p = in[i], &q = in[(i + 1) % 3];
        const bool pin = p.eye.z >= kNear, qin = q.eye.z >= kNear;
        if (pin) poly[n++] = p;
        if (pin != qin) poly[n++] = Cut(p, q);
    }
    for (int i = 1; i + 1 < n; ++i) {
        const PreviewVertex tri[3] = {poly[0], poly[i], poly[i + 1]};
        Raster(tri, s);
    }
}

void PreviewCanvas::Raster(const PreviewVertex* v, const PreviewState& s) {
    float sx[3], sy[3], iz[3];
    for (int i = 0; i < 3; ++i) {
        iz[i] = 1 / v[i].eye.z;
        sx[i] = kW / 2 + kW / 2 * (2 * kNear / 0.2f) * v[i].eye.x * iz[i];
        sy[i] = kH / 2 - kH / 2 * (2 * kNear / 0.15f) * v[i].eye.y * iz[i];
    }
    const float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
    if (area == 0 || (s.cull && area < 0)) return;  // y down: clockwise is positive
    const int x0 = std::max(0, int(std::floor(std::min({sx[0], sx[1], sx[2]}))));
    const int x1 = std::min(639, int(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
    const int y0 = std::max(0, int(std::floor(std::min({sy[0], sy[1], sy[2]}))));
    const int y1 = std::min(479, int(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            // Barycentric weights from the edge functions, normalised by the signed area.
            const float w0 = ((sx[1] - px) * (sy[2] - py) - (sx[2] - px) * (sy[1] - py)) / area;
            const float w1 = ((sx[2] - px) * (sy[0] - py) - (sx[0] - px) * (sy[2] - py)) / area;
            const float w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            // Perspective-correct: interpolate 1/z and attribute/z linearly in screen space.
            const float invz = w0 * iz[0] + w1 * iz[1] + w2 * iz[2];
            const float z = 1 / invz;
            float& d = depth_[size_t(y) * 640 + size_t(x)];
            if (s.depthTest && z >= d) continue;
            Rgb c = s.colour;
            if (s.texture) {
                const float u = (w0 * v[0].u * iz[0] + w1 * v[1].u * iz[1] + w2 * v[2].u * iz[2]) * z;
                const float t = (w0 * v[0].v * iz[0] + w1 * v[1].v * iz[1] + w2 * v[2].v * iz[2]) * z;
                const Rgb tex = Sample(*s.texture, u, t);
                c = {c.r * tex.r, c.g * tex.g, c.b * tex.b};
            }
            if (s.fog) {
                const float f = std::clamp((s.fogEnd - z) / s.fogEnd, 0.0f, 1.0f);
                c = c * f + s.fogColour * (1 - f);
            }
            Rgb& out = image_.At(x, y);
            out = s.additive ? out + c : c;
            if (s.depthTest) d = z;
        }
}

void PreviewCanvas::Quad(float x0, float y0, float x1, float y1, const Image& texture, bool additive) {
    for (int y = std::max(0, int(y0)); y < std::min(480, int(std::ceil(y1))); ++y)
        for (int x = std::max(0, int(x0)); x < std::min(640, int(std::ceil(x1))); ++x) {
            const Rgb c = Sample(texture, (float(x) + 0.5f - x0) / (x1 - x0), (float(y) + 0.5f - y0) / (y1 - y0));
            Rgb& out = image_.At(x, y);
            out = additive ? out + c : c;
        }
}

}  // namespace cm::content
