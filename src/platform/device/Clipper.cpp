#include "platform/device/Clipper.h"

namespace cm {

namespace {

constexpr int kPlaneCount = 7;
constexpr float kMinW = 1e-6f;

// Signed distance of v from plane p; inside where >= 0.
float Distance(const ClipVertex& v, int p, float g) {
    switch (p) {
        case 0: return v.z;            // near
        case 1: return v.w - v.z;      // far
        case 2: return v.w - kMinW;    // in front of the eye
        case 3: return v.x + g * v.w;  // left of the guard band
        case 4: return g * v.w - v.x;  // right
        case 5: return v.y + g * v.w;  // bottom
        default: return g * v.w - v.y; // top
    }
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    auto mix = [t](float x, float y) { return x + (y - x) * t; };
    return ClipVertex{mix(a.x, b.x), mix(a.y, b.y), mix(a.z, b.z), mix(a.w, b.w), mix(a.r, b.r), mix(a.g, b.g),
                      mix(a.b, b.b), mix(a.a, b.a), mix(a.u, b.u), mix(a.v, b.v), mix(a.fog, b.fog),
                      mix(a.q, b.q)};
}

}  // namespace

uint32_t ClipCode(const ClipVertex& v, float g) {
    uint32_t code = 0;
    for (int p = 0; p < kPlaneCount; ++p)
        if (!(Distance(v, p, g) >= 0.0f)) code |= 1u << p;  // NaN counts as outside
    return code;
}

int ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, float g, bool screenSpace,
                 ClipVertex* out) {
    ClipVertex buffers[2][kMaxClipVertices];
    ClipVertex* src = buffers[0];
    ClipVertex* dst = buffers[1];
    src[0] = a;
    src[1] = b;
    src[2] = c;
    int n = 3;
    for (int p = screenSpace ? 3 : 0; p < kPlaneCount && n > 0; ++p) {
        int m = 0;
        for (int i = 0; i < n; ++i) {
            const ClipVertex& cur = src[i];
            const ClipVertex& next = src[(i + 1) % n];
            const float dc = Distance(cur, p, g), dn = Distance(next, p, g);
            const bool inCur = dc >= 0.0f, inNext = dn >= 0.0f;
            if (inCur) dst[m++] = cur;
            // Each plane adds at most one vertex to a convex polygon, so m stays in bounds.
            if (inCur != inNext && m < kMaxClipVertices) dst[m++] = Lerp(cur, next, dc / (dc - dn));
        }
        n = m < 3 ? 0 : m;
        std::swap(src, dst);
    }
    for (int i = 0; i < n; ++i) out[i] = src[i];
    return n;
}

}  // namespace cm
