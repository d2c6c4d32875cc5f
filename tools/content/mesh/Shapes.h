// Geometry builders for the show's objects, writing straight into an LwoWriter.
//
// Units are scene units (LightWave metres). Winding follows LightWave: a triangle is front-facing
// from the side toward which cross(b - a, c - a) points, and appears clockwise from there, which
// is also the side the show's renderer keeps when it culls. Builders that take a "front" direction
// orient every triangle so its front faces that way.
#pragma once

#include <cstdint>

#include "lwo/LwoWriter.h"
#include "math/Vector3.h"

namespace cm::content {

// The triangle a, b, c reordered if needed so that it faces toward `front`.
void AddTriangleFacing(LwoWriter& w, uint32_t a, uint32_t b, uint32_t c, const Vector3& front, uint16_t surface);

// Sphere from a subdivided icosahedron: 20 * 4^levels triangles sharing their vertices, so
// normals average smoothly; front faces outward.
void AddIcosphere(LwoWriter& w, const Vector3& centre, float radius, int levels, uint16_t surface);

// A flat grid from origin spanning edgeU and edgeV in nu x nv cells (two triangles each), facing
// `front`. Grids keep large surfaces finely divided, which the renderer's per-vertex fog needs.
void AddGrid(LwoWriter& w, const Vector3& origin, const Vector3& edgeU, const Vector3& edgeV, int nu, int nv,
             const Vector3& front, uint16_t surface);

// An axis-aligned box from lo to hi, faces pointing out (or in, for a room seen from inside),
// each face divided into cells no larger than `cell`. A face is skipped when its bit is clear in
// faceMask (bits: -x, +x, -y, +y, -z, +z).
void AddBox(LwoWriter& w, const Vector3& lo, const Vector3& hi, float cell, bool inward, unsigned faceMask,
            uint16_t surface);

// A flat ring in the z = 0 plane between radii inner and outer, in `segments` steps.
void AddAnnulus(LwoWriter& w, float inner, float outer, int segments, uint16_t surface);

// A band of the given width lying on a sphere of radius r, along the arc from angle a0 to a1
// (radians) of the great or small circle p(a) = centre + r * (cos a * e1 + sin a * e2) scaled onto
// the sphere; `steps` segments. Used for meridians, parallels and the cage arcs.
void AddSphereBand(LwoWriter& w, float r, const Vector3& e1, const Vector3& e2, const Vector3& offset, float a0,
                   float a1, int steps, float width, uint16_t surface);

}  // namespace cm::content
