#include "mesh/Shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace cm::content {
namespace {

Vector3 Sub(const Vector3& a, const Vector3& b) { return Vector3(a.x - b.x, a.y - b.y, a.z - b.z); }
Vector3 AddV(const Vector3& a, const Vector3& b) { return Vector3(a.x + b.x, a.y + b.y, a.z + b.z); }
Vector3 Mul(const Vector3& a, float s) { return Vector3(a.x * s, a.y * s, a.z * s); }
Vector3 CrossV(const Vector3& a, const Vector3& b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
float DotV(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vector3 Unit(const Vector3& v) {
    const float l = std::sqrt(DotV(v, v));
    return l > 0 ? Mul(v, 1 / l) : v;
}

}  // namespace

void AddTriangleFacing(LwoWriter& w, uint32_t a, uint32_t b, uint32_t c, const Vector3& front, uint16_t surface) {
    const auto& p = w.Points();
    const Vector3 n = CrossV(Sub(p[b], p[a]), Sub(p[c], p[a]));
    if (DotV(n, front) < 0) std::swap(b, c);
    w.AddTriangle(a, b, c, surface);
}

void AddIcosphere(LwoWriter& w, const Vector3& centre, float radius, int levels, uint16_t surface) {
    // Work on the unit sphere, then place the points.
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<Vector3> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                              {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (Vector3& p : v) p = Unit(p);
    std::vector<std::array<uint32_t, 3>> f = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                                              {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                                              {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                                              {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> mid;
        auto midpoint = [&](uint32_t a, uint32_t b) {
            const auto key = std::minmax(a, b);
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            v.push_back(Unit(Mul(AddV(v[a], v[b]), 0.5f)));
            const uint32_t i = uint32_t(v.size() - 1);
            mid.emplace(key, i);
            return i;
        };
        std::vector<std::array<uint32_t, 3>> next;
        next.reserve(f.size() * 4);
        for (const auto& tri : f) {
            const uint32_t a = midpoint(tri[0], tri[1]), b = midpoint(tri[1], tri[2]), c = midpoint(tri[2], tri[0]);
            next.push_back({tri[0], a, c});
            next.push_back({tri[1], b, a});
            next.push_back({tri[2], c, b});
            next.push_back({a, b, c});
        }
        f.swap(next);
    }
    const uint32_t base = uint32_t(w.Points().size());
    for (const Vector3& p : v) w.AddPoint(AddV(centre, Mul(p, radius)));
    for (const auto& tri : f) {
        const Vector3 outward = AddV(AddV(v[tri[0]], v[tri[1]]), v[tri[2]]);
        AddTriangleFacing(w, base + tri[0], base + tri[1], base + tri[2], outward, surface);
    }
}

void AddGrid(LwoWriter& w, const Vector3& origin, const Vector3& edgeU, const Vector3& edgeV, int nu, int nv,
             const Vector3& front, uint16_t surface) {
    const uint32_t base = uint32_t(w.Points().size());
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i <= nu; ++i)
            w.AddPoint(AddV(origin, AddV(Mul(edgeU, float(i) / float(nu)), Mul(edgeV, float(j) / float(nv)))));
    auto at = [&](int i, int j) { return base + uint32_t(j * (nu + 1) + i); };
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            AddTriangleFacing(w, at(i, j), at(i + 1, j), at(i + 1, j + 1), front, surface);
            AddTriangleFacing(w, at(i, j), at(i + 1, j + 1), at(i, j + 1), front, surface);
        }
}

void AddBox(LwoWriter& w, const Vector3& lo, const Vector3& hi, float cell, bool inward, unsigned faceMask,
            uint16_t surface) {
    const Vector3 size = Sub(hi, lo);
    auto cells = [&](float len) { return std::max(1, int(std::ceil(len / cell - 1e-4f))); };
    const float s = inward ? -1.0f : 1.0f;
    const Vector3 ex(size.x, 0, 0), ey(0, size.y, 0), ez(0, 0, size.z);
    const int nx = cells(size.x), ny = cells(size.y), nz = cells(size.z);
    if (faceMask & 1) AddGrid(w, lo, ez, ey, nz, ny, Vector3(-s, 0, 0), surface);
    if (faceMask & 2) AddGrid(w, Vector3(hi.x, lo.y, lo.z), ez, ey, nz, ny, Vector3(s, 0, 0), surface);
    if (faceMask & 4) AddGrid(w, lo, ex, ez, nx, nz, Vector3(0, -s, 0), surface);
    if (faceMask & 8) AddGrid(w, Vector3(lo.x, hi.y, lo.z), ex, ez, nx, nz, Vector3(0, s, 0), surface);
    if (faceMask & 16) AddGrid(w, lo, ex, ey, nx, ny, Vector3(0, 0, -s), surface);
    if (faceMask & 32) AddGrid(w, Vector3(lo.x, lo.y, hi.z), ex, ey, nx, ny, Vector3(0, 0, s), surface);
}

void AddAnnulus(LwoWriter& w, float inner, float outer, int segments, uint16_t surface) {
    const uint32_t base = uint32_t(w.Points().size());
    const double step = 2.0 * 3.14159265358979323846 / segments;
    for (int i = 0; i < segments; ++i) {
        const float c = float(std::cos(step * i)), s = float(std::sin(step * i));
        w.AddPoint(Vector3(inner * c, inner * s, 0));
        w.AddPoint(Vector3(outer * c, outer * s, 0));
    }
    for (int i = 0; i < segments; ++i) {
        const uint32_t a = base + uint32_t(2 * i), b = base + uint32_t(2 * ((i + 1) % segments));
        AddTriangleFacing(w, a, a + 1, b + 1, Vector3(0, 0, -1), surface);
        AddTriangleFacing(w, a, b + 1, b, Vector3(0, 0, -1), surface);
    }
}

void AddSphereBand(LwoWriter& w, float r, const Vector3& e1, const Vector3& e2, const Vector3& offset, float a0,
                   float a1, int steps, float width, uint16_t surface) {
    const uint32_t base = uint32_t(w.Points().size());
    for (int i = 0; i <= steps; ++i) {
        const float a = a0 + (a1 - a0) * float(i) / float(steps);
        const Vector3 p = Unit(AddV(offset, AddV(Mul(e1, std::cos(a)), Mul(e2, std::sin(a)))));
        const Vector3 tangent = AddV(Mul(e1, -std::sin(a)), Mul(e2, std::cos(a)));
        // The band's width runs across the path, in the sphere's tangent plane.
        const Vector3 across = Unit(CrossV(p, tangent));
        w.AddPoint(Mul(AddV(p, Mul(across, width * 0.5f / r)), r));
        w.AddPoint(Mul(Sub(p, Mul(across, width * 0.5f / r)), r));
    }
    for (int i = 0; i < steps; ++i) {
        const uint32_t a = base + uint32_t(2 * i);
        const Vector3 out = w.Points()[a];
        AddTriangleFacing(w, a, a + 1, a + 3, out, surface);
        AddTriangleFacing(w, a, a + 3, a + 2, out, surface);
    }
}

}  // namespace cm::content
