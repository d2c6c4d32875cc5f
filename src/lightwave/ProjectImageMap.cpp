#include "lightwave/ProjectImageMap.h"

#include <cmath>
#include <numbers>

namespace cm {

namespace {

constexpr double kPi = std::numbers::pi;
// The single-precision constants the projections were tuned with.
constexpr float kTwoOverPi = 0.63661975f;
constexpr float kOneOverPi = 0.31830987f;
constexpr float kPiFloat = 3.1415927f;

// What the cylindrical and spherical projections need for one axis: the longitude theta around
// it, the latitude phi above the plane across it, and the coordinate and size along it. The
// argument orders are LightWave's: around y, theta is 0 towards +z and grows towards +x.
struct AxisAngles {
    float theta;
    float phi;
    float along;  // the coordinate along the axis, for the cylinder's v
    float size;   // the size along the axis
};

AxisAngles AnglesFor(int axis, float x, float y, float z, const Vector3& size) {
    switch (axis) {
        case kAxisY: return {LongitudeAngle(-x, z), LatitudeAngle(y, -x, z), y, size.y};
        case kAxisZ: return {LongitudeAngle(-x, -y), LatitudeAngle(z, -x, -y), z, size.z};
        default: return {LongitudeAngle(z, -y), LatitudeAngle(x, z, -y), x, size.x};
    }
}

}  // namespace

float LongitudeAngle(float p, float q) {
    if (q == 0.0f) {
        if (p == 0.0f) return 0.0f;
        return static_cast<float>(p > 0.0f ? -kPi / 2.0 : kPi / 2.0);
    }
    const double a = std::atan(static_cast<double>(p / q));
    return static_cast<float>(q > 0.0f ? -a : kPi - a);
}

float LatitudeAngle(float h, float p, float q) {
    if (p == 0.0f && q == 0.0f) {
        if (h == 0.0f) return 0.0f;
        return static_cast<float>(h > 0.0f ? kPi / 2.0 : -kPi / 2.0);
    }
    const float across = std::sqrt(p * p + q * q);
    return static_cast<float>(std::atan(static_cast<double>(h / across)));
}

bool ProjectImageMap(const TextureMap& map, float x, float y, float z, float& u, float& v) {
    Vector3 size, scale, centre;
    map.GetSize(size);
    map.GetScale(scale);
    map.GetCentre(centre);
    x -= centre.x;
    y -= centre.y;
    z -= centre.z;

    switch (map.GetProjectionKind()) {
        case kProjectionPlanar: {
            switch (map.GetAxis()) {
                case kAxisY: u = x / size.x + 0.5f; v = 0.5f - z / size.z; break;
                case kAxisZ: u = x / size.x + 0.5f; v = 0.5f - y / size.y; break;
                default: u = z / size.z + 0.5f; v = 0.5f - y / size.y; break;
            }
            if (scale.x != 1.0f) u *= scale.x;
            if (scale.y != 1.0f) v *= scale.y;
            return true;
        }
        case kProjectionCylindrical: {
            const AxisAngles a = AnglesFor(map.GetAxis(), x, y, z, size);
            u = 1.0f - a.theta * kTwoOverPi;
            v = 0.5f - a.along / a.size;
            if (scale.x != 1.0f) u *= scale.x;
            return true;
        }
        case kProjectionSpherical: {
            const AxisAngles a = AnglesFor(map.GetAxis(), x, y, z, size);
            u = 1.0f - a.theta * kTwoOverPi;
            v = 0.5f - a.phi * kOneOverPi;
            if (scale.x != 1.0f) u *= scale.x;
            if (scale.y != 1.0f) v *= scale.y;
            return true;
        }
        case kProjectionCubic:
            // Despite its name this wraps the image around by two full-circle angles, each
            // mapped from [-pi, pi] onto [0, 2] and stretched by the size.
            u = size.x * (std::atan2(x, z) + kPiFloat) / kPiFloat;
            v = size.y * (std::atan2(y, z) + kPiFloat) / kPiFloat;
            return true;
        default:
            return false;
    }
}

}  // namespace cm
