// Three floats, nothing around them: meshes and node records embed this type directly.
#pragma once

namespace cm {

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vector3() = default;
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3& Set(float x_, float y_, float z_);
    Vector3& CopyTo(Vector3& out) const;
    Vector3& Add(const Vector3& a, const Vector3& b);
    Vector3& Subtract(const Vector3& a, const Vector3& b);
    Vector3& Scale(const Vector3& v, float s);
    Vector3& Negate(const Vector3& v);
    Vector3& Cross(const Vector3& a, const Vector3& b);
    // v * (1 / |v|); the zero vector is the caller's business (it yields NaN or infinity).
    Vector3& Normalize(const Vector3& v);

    float Dot(const Vector3& v) const;
    // |this|, except that an exactly zero length reports 1, so v / v.Length() never divides by 0.
    float Length() const;
};

static_assert(sizeof(Vector3) == 12, "Vector3 is embedded in file and vertex records");

}  // namespace cm
