// Sixteen floats, row-major, laid out as the device's transform matrix and handed to it unchanged.
// Row vectors: p' = p * M; rows 0..2 are the images of the x, y and z axes, row 3 the translation.
// A default-constructed matrix is all zeros, not the identity.
#pragma once

#include "math/Vector3.h"

namespace cm {

struct Matrix4 {
    float m[16] = {};

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }

    Matrix4& SetIdentity();
    Matrix4& CopyTo(Matrix4& out) const;
    // this = a * b, both treated as affine: column 3 of either is never read and the result's
    // column 3 is (0, 0, 0, 1). Applies a first, then b.
    Matrix4& Multiply(const Matrix4& a, const Matrix4& b);
    // this = src^-1 by Gauss-Jordan elimination with column pivoting; returns det(src), 0 when
    // src is singular (the destination then holds nothing meaningful).
    float Invert(const Matrix4& src);
    // out = v * (upper-left 3x3), the translation ignored.
    Vector3& TransformNormal(Vector3& out, const Vector3& v) const;
    Matrix4& SetRotationAxis(const Vector3& axis, float angle);
    // Rz(az) * Ry(ay) * Rx(ax): about z first, then y, then x.
    Matrix4& SetRotationAngles(float ax, float ay, float az);
    Matrix4& PostScale(const Matrix4& src, const Vector3& s);
    Matrix4& PostTranslate(const Matrix4& src, const Vector3& t);
    // View matrix of a camera at eye looking at at, rolled by roll about its line of sight.
    Matrix4& LookAt(const Vector3& eye, const Vector3& at, float roll, const Vector3& up);
};

// The one identity table of the program; SetIdentity copies it.
extern const Matrix4 kIdentityMatrix;

static_assert(sizeof(Matrix4) == 64, "Matrix4 is handed to the device as 16 floats");

}  // namespace cm
