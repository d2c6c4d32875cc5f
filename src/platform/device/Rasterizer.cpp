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

// The edge function of pixel (px, py): E = a (256 px - x) + b (256 py - y) = 256 a px + k, with
// k = b (256 py - y) - a x; the pixel is covered when E >= bias for all three edges.
struct Edge {
    int64_t a;     // coefficient of the pixel's x (in 1/256 px)
    int64_t b;     // coefficient of the pixel's y
    int64_t x, y;  // start vertex
    int64_t bias;  // 0 where a centre on the edge counts as inside, 1 where it does not
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
    e.rowFirst = CeilDiv(std::min(yi, yj), 256);
    e.rowLast = FloorDiv(std::max(yi, yj), 256);
    return e;
}

// A horizontal edge (a = 0) on row py: E = 256 a px + k = k for every pixel, so it admits the
// whole row or nothing.
bool FlatEdgeAdmits(const Edge& e, int64_t py) { return e.b * (py * 256 - e.y) >= e.bias; }

// One sloped edge's bound on the span of consecutive rows, kept exactly: F = floor((k - bias) /
// D) with D = |256 a|, as quotient and remainder while k grows by 256 b a row. The first pixel
// a left edge (a > 0) admits is -F, the last one a right edge admits is F (the solutions of
// 256 a px + k >= bias). Stepping costs a few additions where settling each row anew costs
// products and a guess that may be off by one.
struct EdgeWalk {
    int64_t f = 0, r = 0;           // k - bias = f D + r, 0 <= r < D
    int64_t stepF = 0, stepR = 0;   // 256 b = stepF D + stepR, 0 <= stepR < D
    int64_t divisor = 0;            // D; 0 for a horizontal edge, which is not walked
};

EdgeWalk MakeWalk(const Edge& e) {
    EdgeWalk w;
    if (e.a == 0) return w;
    w.divisor = e.a > 0 ? e.a * 256 : -e.a * 256;
    w.stepF = FloorDiv(e.b * 256, w.divisor);
    w.stepR = e.b * 256 - w.stepF * w.divisor;
    return w;
}

// Settles the walk at row py.
void StartWalk(const Edge& e, EdgeWalk& w, int64_t py) {
    if (w.divisor == 0) return;
    const int64_t m = e.b * (py * 256 - e.y) - e.a * e.x - e.bias;
    w.f = FloorDiv(m, w.divisor);
    w.r = m - w.f * w.divisor;
}

void StepWalk(EdgeWalk& w) {
    w.f += w.stepF;
    w.r += w.stepR;
    if (w.r >= w.divisor) w.r -= w.divisor, ++w.f;
}

bool Finite(const RasterVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::fabs(v.x) < kMaxCoordinate &&
           std::fabs(v.y) < kMaxCoordinate;
}

// The triangle snapped to 1/256 pixel and ordered clockwise on screen (every edge function
// positive inside).
struct SnappedTriangle {
    const RasterVertex* v[3];
    int64_t X[3], Y[3];
};

// floor(coordinate * 256 + 0.5) without a call into the maths library, which is what std::floor
// is on plain x86-64: truncation, less one where it went up. Exact for the finite coordinates
// below kMaxCoordinate that reach it.
int64_t Snap(float coordinate) {
    const double scaled = coordinate * kSubpixel + 0.5;
    const int64_t truncated = static_cast<int64_t>(scaled);
    return truncated - (static_cast<double>(truncated) > scaled ? 1 : 0);
}

// False when the triangle draws nothing: non-finite or far-off vertices, no area, or culled.
bool SnapAndOrient(uint32_t cullMode, const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2,
                   SnappedTriangle& t) {
    if (!Finite(v0) || !Finite(v1) || !Finite(v2)) return false;
    t.v[0] = &v0, t.v[1] = &v1, t.v[2] = &v2;
    for (int i = 0; i < 3; ++i) t.X[i] = Snap(t.v[i]->x), t.Y[i] = Snap(t.v[i]->y);
    // Twice the signed area with y down: negative is counter-clockwise as seen on screen.
    const int64_t area = (t.X[1] - t.X[0]) * (t.Y[2] - t.Y[0]) - (t.X[2] - t.X[0]) * (t.Y[1] - t.Y[0]);
    if (area == 0) return false;
    if (cullMode == D3DCULL_CCW && area < 0) return false;
    if (cullMode == D3DCULL_CW && area > 0) return false;
    if (area < 0) {
        std::swap(t.v[1], t.v[2]);
        std::swap(t.X[1], t.X[2]);
        std::swap(t.Y[1], t.Y[2]);
    }
    return true;
}

// The pixel rectangle whose centres the triangle's box holds, inside the writable rectangle.
bool PixelBounds(const RasterContext& ctx, const SnappedTriangle& t, int64_t& xMin, int64_t& xMax, int64_t& yMin,
                 int64_t& yMax) {
    yMin = std::max<int64_t>(CeilDiv(std::min({t.Y[0], t.Y[1], t.Y[2]}), 256), ctx.y0);
    yMax = std::min<int64_t>(FloorDiv(std::max({t.Y[0], t.Y[1], t.Y[2]}), 256), ctx.y1 - 1);
    xMin = std::max<int64_t>(CeilDiv(std::min({t.X[0], t.X[1], t.X[2]}), 256), ctx.x0);
    xMax = std::min<int64_t>(FloorDiv(std::max({t.X[0], t.X[1], t.X[2]}), 256), ctx.x1 - 1);
    return yMin <= yMax && xMin <= xMax;
}

// Every interpolated attribute as a plane over the snapped positions, in double precision;
// texture coordinates and fog are multiplied by q for perspective-correct interpolation. The
// planes sit side by side in the order of a row's start values, so that a row's start is
// worked out two attributes at a time (the same operations, in the same order, as one at a
// time).
enum PlaneIndex { kQ, kU, kV, kZ, kFog, kR, kG, kB, kA, kPlaneSlots = 10 };

using Double2 = double __attribute__((vector_size(16)));
using Float2 = float __attribute__((vector_size(8)));

struct Planes {
    double x0, y0;  // the first vertex, where every plane's at0 holds
    alignas(16) double at0[kPlaneSlots], dx[kPlaneSlots], dy[kPlaneSlots];  // value there, gradients
};

Planes SetupPlanes(const SnappedTriangle& t, bool perspective) {
    Planes p;  // not zeroed as a whole: clearing it took longer than setting it up
    p.x0 = t.X[0] / kSubpixel, p.y0 = t.Y[0] / kSubpixel;
    p.at0[kPlaneSlots - 1] = p.dx[kPlaneSlots - 1] = p.dy[kPlaneSlots - 1] = 0.0;  // the spare slot
    const double dx1 = (t.X[1] - t.X[0]) / kSubpixel, dy1 = (t.Y[1] - t.Y[0]) / kSubpixel;
    const double dx2 = (t.X[2] - t.X[0]) / kSubpixel, dy2 = (t.Y[2] - t.Y[0]) / kSubpixel;
    const double inv = 1.0 / (dx1 * dy2 - dx2 * dy1);
    auto plane = [&](int i, double a0, double a1, double a2) {
        const double d1 = a1 - a0, d2 = a2 - a0;
        p.at0[i] = a0, p.dx[i] = (d1 * dy2 - d2 * dy1) * inv, p.dy[i] = (d2 * dx1 - d1 * dx2) * inv;
    };
    const RasterVertex &v0 = *t.v[0], &v1 = *t.v[1], &v2 = *t.v[2];
    const double q0 = perspective ? v0.q : 1.0, q1 = perspective ? v1.q : 1.0, q2 = perspective ? v2.q : 1.0;
    plane(kQ, q0, q1, q2);
    plane(kU, v0.u * q0, v1.u * q1, v2.u * q2);
    plane(kV, v0.v * q0, v1.v * q1, v2.v * q2);
    plane(kFog, v0.fog * q0, v1.fog * q1, v2.fog * q2);
    plane(kZ, v0.z, v1.z, v2.z);
    plane(kR, v0.r, v1.r, v2.r);
    plane(kG, v0.g, v1.g, v2.g);
    plane(kB, v0.b, v1.b, v2.b);
    plane(kA, v0.a, v1.a, v2.a);
    return p;
}

void SetGradients(SpanSetup& s, const Planes& p) {
    s.dq = static_cast<float>(p.dx[kQ]);
    s.duq = static_cast<float>(p.dx[kU]);
    s.dvq = static_cast<float>(p.dx[kV]);
    s.dfq = static_cast<float>(p.dx[kFog]);
    s.dz = static_cast<float>(p.dx[kZ]);
    s.dr = static_cast<float>(p.dx[kR]);
    s.dg = static_cast<float>(p.dx[kG]);
    s.db = static_cast<float>(p.dx[kB]);
    s.da = static_cast<float>(p.dx[kA]);
    s.flatColor = s.dr == 0.0f && s.dg == 0.0f && s.db == 0.0f && s.da == 0.0f && p.dy[kR] == 0.0 &&
                  p.dy[kG] == 0.0 && p.dy[kB] == 0.0 && p.dy[kA] == 0.0;
}

// Plane pair k (attributes 2k and 2k + 1) at offset (ox, oy) from the first vertex.
Float2 PairAt(const Planes& p, int k, double ox, double oy) {
    Double2 at0, dx, dy;
    __builtin_memcpy(&at0, &p.at0[2 * k], sizeof at0);
    __builtin_memcpy(&dx, &p.dx[2 * k], sizeof dx);
    __builtin_memcpy(&dy, &p.dy[2 * k], sizeof dy);
    return __builtin_convertvector(at0 + dx * ox + dy * oy, Float2);
}

// The values at the first pixel (lo, py) of a row, from the planes alone: nothing depends on
// which rows or spans were drawn before. Values the draw does not use (depth it neither tests
// nor writes, texture coordinates without a texture) may be worked out all the same. The pairs
// stay in registers: stored as halves and read back whole, they would wait for each store.
void StartRow(const SpanSetup& s, const Planes& p, int64_t lo, int64_t py, SpanRow& row) {
    const double ox = static_cast<double>(lo) - p.x0, oy = static_cast<double>(py) - p.y0;
    const Float2 qu = PairAt(p, 0, ox, oy), vz = PairAt(p, 1, ox, oy);
    row.q = qu[0], row.uq = qu[1], row.vq = vz[0], row.z = vz[1];
    const Float2 fogR = s.fog || !s.flatColor ? PairAt(p, 2, ox, oy) : Float2{0.0f, 0.0f};
    row.fq = s.fog ? fogR[0] : 0.0f;
    if (s.flatColor) {  // the planes are constant: the same values without the arithmetic
        row.r = static_cast<float>(p.at0[kR]), row.g = static_cast<float>(p.at0[kG]);
        row.b = static_cast<float>(p.at0[kB]), row.a = static_cast<float>(p.at0[kA]);
        return;
    }
    const Float2 gb = PairAt(p, 3, ox, oy), a = PairAt(p, 4, ox, oy);
    row.r = fogR[1], row.g = gb[0], row.b = gb[1], row.a = a[0];
}

// The first row at or after py that the context may write, and the end of its block (no end
// when rows are not dealt out in blocks). py is a row of the target, so the divisions are done
// in 32 bits, which take a fraction of the time of 64-bit ones.
int64_t FirstOwnedRow(const RasterContext& ctx, int64_t py, int64_t& blockEnd) {
    if (ctx.blockRows == 0) {
        blockEnd = INT64_MAX;
        return py;
    }
    const int row = static_cast<int>(py), stride = ctx.blockStride, block = row / ctx.blockRows;
    const int owned = block + ((ctx.blockPhase - block % stride) + stride) % stride;
    blockEnd = static_cast<int64_t>(owned + 1) * ctx.blockRows;
    return owned == block ? py : static_cast<int64_t>(owned) * ctx.blockRows;
}

// The rows of a triangle go to the span loops in small batches, which lets the vector loops
// work on two rows at once.
class RowEmitter {
public:
    RowEmitter(RasterContext& ctx, const Planes& planes, SpanFunction span, uint64_t& pixels)
        : s_(ctx.setup), planes_(planes), target_(*ctx.target), span_(span), pixels_(pixels) {}
    ~RowEmitter() {
        if (batched_) span_(s_, rows_, batched_);
    }
    void Emit(int64_t py, int64_t lo, int64_t hi) {
        SpanRow& row = rows_[batched_++];
        StartRow(s_, planes_, lo, py, row);
        const size_t offset = static_cast<size_t>(py) * target_.width + static_cast<size_t>(lo);
        row.color = target_.color.data() + offset;
        row.depth = target_.depth.data() + offset;
        row.count = static_cast<int>(hi - lo + 1);
        pixels_ += static_cast<uint64_t>(row.count);
        if (batched_ == kRowBatch) {
            span_(s_, rows_, batched_);
            batched_ = 0;
        }
    }

private:
    static constexpr int kRowBatch = 8;
    const SpanSetup& s_;
    const Planes& planes_;
    RenderTarget& target_;
    SpanFunction span_;
    uint64_t& pixels_;
    SpanRow rows_[kRowBatch];
    int batched_ = 0;
};

// The triangle's edges and their walks, which bound each row's span. A row outside an edge's
// height meets the triangle only inside the wedge of the other two edges, strictly on the inner
// side of this one: the edge cannot narrow the span there. So the rows fall into stretches
// between the edges' first and last rows, and along a stretch the same edges bound every row:
// most often one left and one right edge, which is the short loop below.
class EdgeSet {
public:
    EdgeSet(const SnappedTriangle& t, int64_t xMin, int64_t xMax)
        : edges_{MakeEdge(t.X[0], t.Y[0], t.X[1], t.Y[1]), MakeEdge(t.X[1], t.Y[1], t.X[2], t.Y[2]),
                 MakeEdge(t.X[2], t.Y[2], t.X[0], t.Y[0])},
          walks_{MakeWalk(edges_[0]), MakeWalk(edges_[1]), MakeWalk(edges_[2])}, xMin_(xMin), xMax_(xMax) {}

    // The first row after py at which an edge begins or ends.
    int64_t NextChange(int64_t py) const {
        int64_t next = INT64_MAX;
        for (const Edge& e : edges_) {
            if (e.rowFirst > py) next = std::min(next, e.rowFirst);
            if (e.rowLast + 1 > py) next = std::min(next, e.rowLast + 1);
        }
        return next;
    }

    // Emits rows [py, end) of one stretch; the walks of the edges it uses are settled at py
    // unless they were stepped there.
    void Rows(int64_t py, int64_t end, RowEmitter& out) {
        int left[3], right[3], flat[3], nl = 0, nr = 0, nf = 0;
        for (int i = 0; i < 3; ++i) {
            const Edge& e = edges_[i];
            if (py < e.rowFirst || py > e.rowLast) continue;
            if (e.a == 0) {
                flat[nf++] = i;
                continue;
            }
            (e.a > 0 ? left[nl++] : right[nr++]) = i;
            if (walkRow_[i] != py) StartWalk(e, walks_[i], py);
            walkRow_[i] = end;
        }
        if (nl == 1 && nr == 1 && nf == 0) {
            // Copies, which stay in registers across the rows' stores and the span calls.
            EdgeWalk l = walks_[left[0]], r = walks_[right[0]];
            const int64_t xMin = xMin_, xMax = xMax_;
            for (; py < end; ++py) {
                const int64_t lo = std::max(xMin, -l.f), hi = std::min(xMax, r.f);
                StepWalk(l), StepWalk(r);
                if (lo <= hi) out.Emit(py, lo, hi);
            }
            walks_[left[0]] = l, walks_[right[0]] = r;
            return;
        }
        for (; py < end; ++py) {
            int64_t lo = xMin_, hi = xMax_;
            for (int k = 0; k < nl; ++k) lo = std::max(lo, -walks_[left[k]].f), StepWalk(walks_[left[k]]);
            for (int k = 0; k < nr; ++k) hi = std::min(hi, walks_[right[k]].f), StepWalk(walks_[right[k]]);
            for (int k = 0; k < nf; ++k)
                if (!FlatEdgeAdmits(edges_[flat[k]], py)) hi = lo - 1;
            if (lo <= hi) out.Emit(py, lo, hi);
        }
    }

private:
    Edge edges_[3];
    EdgeWalk walks_[3];
    int64_t walkRow_[3] = {INT64_MIN, INT64_MIN, INT64_MIN};  // the row each walk is settled at
    int64_t xMin_, xMax_;
};

}  // namespace

void RasterizeTriangle(RasterContext& ctx, const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2) {
    SnappedTriangle t;
    if (!SnapAndOrient(ctx.cullMode, v0, v1, v2, t)) return;
    int64_t xMin, xMax, yMin, yMax;
    if (!PixelBounds(ctx, t, xMin, xMax, yMin, yMax)) return;
    int64_t blockEnd;
    if (FirstOwnedRow(ctx, yMin, blockEnd) > yMax) return;  // none of its rows is this context's
    EdgeSet edges(t, xMin, xMax);
    const Planes planes = SetupPlanes(t, ctx.perspective);
    SetGradients(ctx.setup, planes);
    SpanLevel level;
    SpanFunction span = SelectFastSpan(ctx.setup, ctx.spanLevel, &level);
    if (!span) span = PlainSpans;
    RowEmitter out(ctx, planes, span, ctx.pixels[static_cast<int>(level)]);
    // Runs of rows this context may write (the blocks of its lane), each cut into stretches.
    for (int64_t py = yMin; py <= yMax;) {
        py = FirstOwnedRow(ctx, py, blockEnd);
        const int64_t runEnd = std::min(blockEnd, yMax + 1);
        while (py < runEnd) {
            const int64_t end = std::min(runEnd, edges.NextChange(py));
            edges.Rows(py, end, out);
            py = end;
        }
    }
}

}  // namespace cm
