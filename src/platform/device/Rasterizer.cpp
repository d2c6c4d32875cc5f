#include "platform/device/Rasterizer.h"

#include "platform/device/D3DTypes.h"
#include "platform/device/RenderTarget.h"

#include <algorithm>
#include <cmath>

namespace cm {

namespace {

constexpr double kSubpixel = 256.0;
// Beyond this many pixels from the origin a vertex cannot be snapped safely; the clipper keeps
// every vertex far inside it.
constexpr double kMaxCoordinate = 1 << 20;

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }  // b > 0

struct Edge {
    int64_t a;     // coefficient of the pixel's x (in 1/256 px)
    int64_t b;     // coefficient of the pixel's y
    int64_t x, y;  // start vertex
    int64_t bias;  // 0 where a centre on the edge counts as inside, 1 where it does not
    double inverse;  // 1 / (256 a), for a first guess of the crossing
    int64_t rowFirst, rowLast;  // the pixel rows whose centres lie within the edge's height
};

Edge MakeEdge(int64_t xi, int64_t yi, int64_t xj, int64_t yj) {
    Edge e;
    e.a = yi - yj;
    e.b = xj - xi;
    e.x = xi;
    e.y = yi;
    // Interior is where the edge function is positive. A left edge has it growing with x, a top
    // edge (horizontal) has it growing with y: both are inclusive.
    const bool topLeft = e.a > 0 || (e.a == 0 && e.b > 0);
    e.bias = topLeft ? 0 : 1;
    e.inverse = e.a != 0 ? 1.0 / (256.0 * static_cast<double>(e.a)) : 0.0;
    e.rowFirst = CeilDiv(std::min(yi, yj), 256);
    e.rowLast = FloorDiv(std::max(yi, yj), 256);
    return e;
}

// Narrows [lo, hi] to the pixels of row py on the inner side of the edge.
void ClipSpanToEdge(const Edge& e, int64_t py, int64_t& lo, int64_t& hi) {
    // E(px) = a * (256 px - x) + b * (256 py - y) = 256 a px + k; covered when E >= bias. The
    // crossing is guessed in floating point and settled exactly in integers.
    const int64_t k = e.b * (py * 256 - e.y) - e.a * e.x;
    if (e.a == 0) {
        if (k < e.bias) hi = lo - 1;
        return;
    }
    const int64_t d = e.a * 256;
    const double guess = static_cast<double>(e.bias - k) * e.inverse;
    if (!(guess > -1e12 && guess < 1e12)) {  // beyond double's exact range: divide exactly
        if (e.a > 0) lo = std::max(lo, CeilDiv(e.bias - k, d));
        else hi = std::min(hi, FloorDiv(k - e.bias, -d));
        return;
    }
    int64_t c = static_cast<int64_t>(guess);  // within one of the answer; the loops settle it
    if (e.a > 0) {
        // Smallest c with d c + k >= bias.
        while (d * c + k < e.bias) ++c;
        while (d * (c - 1) + k >= e.bias) --c;
        lo = std::max(lo, c);
    } else {
        // Largest c with d c + k >= bias.
        while (d * c + k < e.bias) --c;
        while (d * (c + 1) + k >= e.bias) ++c;
        hi = std::min(hi, c);
    }
}

bool Finite(const RasterVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::fabs(v.x) < kMaxCoordinate &&
           std::fabs(v.y) < kMaxCoordinate;
}

// Plane of one attribute over the triangle: value at the first vertex plus gradients.
struct Plane {
    double at0, dx, dy;
};

}  // namespace

void RasterizeTriangle(RasterContext& ctx, const RasterVertex& v0, const RasterVertex& in1, const RasterVertex& in2) {
    if (!Finite(v0) || !Finite(in1) || !Finite(in2)) return;
    const int64_t X0 = static_cast<int64_t>(std::floor(v0.x * kSubpixel + 0.5));
    const int64_t Y0 = static_cast<int64_t>(std::floor(v0.y * kSubpixel + 0.5));
    int64_t X1 = static_cast<int64_t>(std::floor(in1.x * kSubpixel + 0.5));
    int64_t Y1 = static_cast<int64_t>(std::floor(in1.y * kSubpixel + 0.5));
    int64_t X2 = static_cast<int64_t>(std::floor(in2.x * kSubpixel + 0.5));
    int64_t Y2 = static_cast<int64_t>(std::floor(in2.y * kSubpixel + 0.5));

    // Twice the signed area with y down: negative is counter-clockwise as seen on screen.
    int64_t area = (X1 - X0) * (Y2 - Y0) - (X2 - X0) * (Y1 - Y0);
    if (area == 0) return;
    if (ctx.cullMode == D3DCULL_CCW && area < 0) return;
    if (ctx.cullMode == D3DCULL_CW && area > 0) return;
    const RasterVertex* p1 = &in1;
    const RasterVertex* p2 = &in2;
    if (area < 0) {  // orient clockwise so that the interior is positive for every edge
        std::swap(p1, p2);
        std::swap(X1, X2);
        std::swap(Y1, Y2);
        area = -area;
    }
    const RasterVertex& v1 = *p1;
    const RasterVertex& v2 = *p2;

    const int64_t yMin = std::max<int64_t>(CeilDiv(std::min({Y0, Y1, Y2}), 256), ctx.y0);
    const int64_t yMax = std::min<int64_t>(FloorDiv(std::max({Y0, Y1, Y2}), 256), ctx.y1 - 1);
    if (yMin > yMax) return;
    const int64_t xMin = std::max<int64_t>(CeilDiv(std::min({X0, X1, X2}), 256), ctx.x0);
    const int64_t xMax = std::min<int64_t>(FloorDiv(std::max({X0, X1, X2}), 256), ctx.x1 - 1);
    if (xMin > xMax) return;

    const Edge edges[3] = {MakeEdge(X0, Y0, X1, Y1), MakeEdge(X1, Y1, X2, Y2), MakeEdge(X2, Y2, X0, Y0)};

    // Attribute planes from the snapped positions, in double precision.
    const double x0 = X0 / kSubpixel, y0 = Y0 / kSubpixel;
    const double dx1 = (X1 - X0) / kSubpixel, dy1 = (Y1 - Y0) / kSubpixel;
    const double dx2 = (X2 - X0) / kSubpixel, dy2 = (Y2 - Y0) / kSubpixel;
    const double inv = 1.0 / (dx1 * dy2 - dx2 * dy1);
    auto plane = [&](double a0, double a1, double a2) {
        const double d1 = a1 - a0, d2 = a2 - a0;
        return Plane{a0, (d1 * dy2 - d2 * dy1) * inv, (d2 * dx1 - d1 * dx2) * inv};
    };
    const double q0 = ctx.perspective ? v0.q : 1.0, q1 = ctx.perspective ? v1.q : 1.0,
                 q2 = ctx.perspective ? v2.q : 1.0;
    const Plane pq = plane(q0, q1, q2);
    const Plane pu = plane(v0.u * q0, v1.u * q1, v2.u * q2);
    const Plane pv = plane(v0.v * q0, v1.v * q1, v2.v * q2);
    const Plane pf = plane(v0.fog * q0, v1.fog * q1, v2.fog * q2);
    const Plane pz = plane(v0.z, v1.z, v2.z);
    const Plane pr = plane(v0.r, v1.r, v2.r);
    const Plane pg = plane(v0.g, v1.g, v2.g);
    const Plane pb = plane(v0.b, v1.b, v2.b);
    const Plane pa = plane(v0.a, v1.a, v2.a);

    SpanSetup& s = ctx.setup;
    s.dq = static_cast<float>(pq.dx);
    s.duq = static_cast<float>(pu.dx);
    s.dvq = static_cast<float>(pv.dx);
    s.dfq = static_cast<float>(pf.dx);
    s.dz = static_cast<float>(pz.dx);
    s.dr = static_cast<float>(pr.dx);
    s.dg = static_cast<float>(pg.dx);
    s.db = static_cast<float>(pb.dx);
    s.da = static_cast<float>(pa.dx);
    s.flatColor = s.dr == 0.0f && s.dg == 0.0f && s.db == 0.0f && s.da == 0.0f && pr.dy == 0.0 &&
                  pg.dy == 0.0 && pb.dy == 0.0 && pa.dy == 0.0;
    SpanFunction span = SelectFastSpan(s, ctx.spanLevel);
    if (!span) span = PlainSpans;

    const bool textured = s.tex != TexMode::None, fogged = s.fog;
    RenderTarget& target = *ctx.target;
    // Rows go to the span loops in small batches, which lets the vector loops work on two rows
    // at once.
    constexpr int kRowBatch = 8;
    SpanRow rows[kRowBatch];
    int batched = 0;
    for (int64_t py = yMin; py <= yMax; ++py) {
        int64_t lo = xMin, hi = xMax;
        // A row outside an edge's height meets the triangle only inside the wedge of the other
        // two edges, strictly on the inner side of this one: the edge cannot narrow the span.
        for (const Edge& e : edges)
            if (py >= e.rowFirst && py <= e.rowLast) ClipSpanToEdge(e, py, lo, hi);
        if (lo > hi) continue;
        const double ox = static_cast<double>(lo) - x0, oy = static_cast<double>(py) - y0;
        auto at = [&](const Plane& p) { return static_cast<float>(p.at0 + p.dx * ox + p.dy * oy); };
        SpanRow& row = rows[batched++];
        row.q = at(pq);
        row.z = at(pz);
        if (textured) row.uq = at(pu), row.vq = at(pv);
        else row.uq = row.vq = 0.0f;
        row.fq = fogged ? at(pf) : 0.0f;
        if (s.flatColor) {  // the planes are constant: the same values without the arithmetic
            row.r = static_cast<float>(pr.at0), row.g = static_cast<float>(pg.at0);
            row.b = static_cast<float>(pb.at0), row.a = static_cast<float>(pa.at0);
        } else {
            row.r = at(pr), row.g = at(pg), row.b = at(pb), row.a = at(pa);
        }
        const size_t offset = static_cast<size_t>(py) * target.width + static_cast<size_t>(lo);
        row.color = target.color.data() + offset;
        row.depth = target.depth.data() + offset;
        row.count = static_cast<int>(hi - lo + 1);
        ctx.pixels += static_cast<uint64_t>(row.count);
        if (batched == kRowBatch) {
            span(s, rows, batched);
            batched = 0;
        }
    }
    if (batched) span(s, rows, batched);
}

}  // namespace cm
