// Texture coordinates of a point on an image-mapped surface, the way LightWave's four image-map
// projections place an image: planar, cylindrical and spherical along the map's axis, and the one
// named "Cubic Image Map", which ignores the axis.
//
// Input is an object-space position; the map's centre is subtracted first and its size gives the
// object-space extent that one image width spans. u grows left to right, v top to bottom.
#pragma once

#include "scene/TextureMap.h"

namespace cm {

// Longitude W(p, q) = -atan2(p, q) taken in (-pi/2, 3pi/2], 0 at p = q = 0.
float LongitudeAngle(float p, float q);
// Latitude E(h, p, q) = atan(h / sqrt(p^2 + q^2)) in [-pi/2, pi/2]; on the axis itself (p = q = 0)
// it is 0, +pi/2 or -pi/2 by the sign of h.
float LatitudeAngle(float h, float p, float q);

// Writes u and v and returns true for the four known projection kinds. For any other kind
// (16, an unrecognised name, or 32, none set) nothing is computed, u and v are left as they were
// and the result is false.
bool ProjectImageMap(const TextureMap& map, float x, float y, float z, float& u, float& v);

}  // namespace cm
