#include "math/Vector3.h"

#include <cmath>

namespace cm {

Vector3& Vector3::Set(float x_, float y_, float z_) {
    x = x_;
    y = y_;
    z = z_;
    return *this;
}

Vector3& Vector3::CopyTo(Vector3& out) const {
    out = *this;
    return out;
}

Vector3& Vector3::Add(const Vector3& a, const Vector3& b) {
    *this = Vector3(a.x + b.x, a.y + b.y, a.z + b.z);
    return *this;
}

Vector3& Vector3::Subtract(const Vector3& a, const Vector3& b) {
    *this = Vector3(a.x - b.x, a.y - b.y, a.z - b.z);
    return *this;
}

Vector3& Vector3::Scale(const Vector3& v, float s) {
    *this = Vector3(v.x * s, v.y * s, v.z * s);
    return *this;
}

Vector3& Vector3::Negate(const Vector3& v) {
    *this = Vector3(-v.x, -v.y, -v.z);
    return *this;
}

Vector3& Vector3::Cross(const Vector3& a, const Vector3& b) {
    *this = Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    return *this;
}

Vector3& Vector3::Normalize(const Vector3& v) {
    const float inv = 1.0f / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return Scale(v, inv);
}

float Vector3::Dot(const Vector3& v) const { return x * v.x + y * v.y + z * v.z; }

float Vector3::Length() const {
    const float len = std::sqrt(x * x + y * y + z * z);
    return len == 0.0f ? 1.0f : len;
}

}  // namespace cm
