#include "math/Matrix4.h"

#include <cmath>

namespace cm {

const Matrix4 kIdentityMatrix = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

Matrix4& Matrix4::SetIdentity() {
    *this = kIdentityMatrix;
    return *this;
}

Matrix4& Matrix4::CopyTo(Matrix4& out) const {
    out = *this;
    return out;
}

Matrix4& Matrix4::Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r.m[4 * i + j] = a.m[4 * i] * b.m[j] + a.m[4 * i + 1] * b.m[4 + j] + a.m[4 * i + 2] * b.m[8 + j];
        }
    }
    for (int j = 0; j < 3; ++j) {
        r.m[12 + j] = a.m[12] * b.m[j] + a.m[13] * b.m[4 + j] + a.m[14] * b.m[8 + j] + b.m[12 + j];
    }
    r.m[3] = r.m[7] = r.m[11] = 0.0f;
    r.m[15] = 1.0f;
    *this = r;
    return *this;
}

float Matrix4::Invert(const Matrix4& src) {
    // Column operations on a working copy w, mirrored on inv (starting as the identity), reduce w
    // to lower-triangular form with a unit diagonal; back-substitution then clears the rest. Each
    // column exchange flips the determinant's sign, each pivot multiplies into it.
    auto at = [](Matrix4& mat, int row, int col) -> float& { return mat.m[4 * row + col]; };
    Matrix4 w = src;
    Matrix4 inv = kIdentityMatrix;
    float det = 1.0f;

    for (int k = 0; k < 4; ++k) {
        float best = -1.0f;
        int pivotCol = k;
        for (int j = k; j < 4; ++j) {
            const float mag = std::fabs(at(w, k, j));
            if (mag > best) {
                best = mag;
                pivotCol = j;
            }
        }
        if (!(best > 0.0f)) return 0.0f;

        if (pivotCol != k) {
            for (int r = k; r < 4; ++r) std::swap(at(w, r, k), at(w, r, pivotCol));
            for (int r = 0; r < 4; ++r) std::swap(at(inv, r, k), at(inv, r, pivotCol));
            det = -det;
        }

        const float pivot = at(w, k, k);
        det *= pivot;
        for (int r = k + 1; r < 4; ++r) at(w, r, k) /= pivot;
        for (int r = 0; r < 4; ++r) at(inv, r, k) /= pivot;

        for (int j = k + 1; j < 4; ++j) {
            const float f = at(w, k, j);
            for (int r = k + 1; r < 4; ++r) at(w, r, j) -= f * at(w, r, k);
            for (int r = 0; r < 4; ++r) at(inv, r, j) -= f * at(inv, r, k);
        }
    }

    for (int k = 3; k >= 1; --k) {
        for (int i = 0; i < k; ++i) {
            const float f = at(w, k, i);
            for (int r = 0; r < 4; ++r) at(inv, r, i) -= f * at(inv, r, k);
        }
    }

    *this = inv;
    return det;
}

Vector3& Matrix4::TransformNormal(Vector3& out, const Vector3& v) const {
    out = Vector3(v.x * m[0] + v.y * m[4] + v.z * m[8],
                  v.x * m[1] + v.y * m[5] + v.z * m[9],
                  v.x * m[2] + v.y * m[6] + v.z * m[10]);
    return out;
}

Matrix4& Matrix4::SetRotationAxis(const Vector3& axis, float angle) {
    Vector3 n;
    n.Normalize(axis);
    const float x = n.x, y = n.y, z = n.z;
    const float co = std::cos(angle), si = std::sin(angle), t = 1.0f - co;
    Matrix4 r = kIdentityMatrix;
    r.m[0] = t * x * x + co;
    r.m[1] = t * x * y + si * z;
    r.m[2] = t * x * z - si * y;
    r.m[4] = t * x * y - si * z;
    r.m[5] = t * y * y + co;
    r.m[6] = t * y * z + si * x;
    r.m[8] = t * x * z + si * y;
    r.m[9] = t * y * z - si * x;
    r.m[10] = t * z * z + co;
    *this = r;
    return *this;
}

Matrix4& Matrix4::SetRotationAngles(float ax, float ay, float az) {
    const float sx = std::sin(ax), cx = std::cos(ax);
    const float sy = std::sin(ay), cy = std::cos(ay);
    const float sz = std::sin(az), cz = std::cos(az);
    Matrix4 r = kIdentityMatrix;
    r.m[0] = cy * cz;
    r.m[1] = sx * sy * cz + cx * sz;
    r.m[2] = sx * sz - cx * sy * cz;
    r.m[4] = -cy * sz;
    r.m[5] = cx * cz - sx * sy * sz;
    r.m[6] = cx * sy * sz + sx * cz;
    r.m[8] = sy;
    r.m[9] = -sx * cy;
    r.m[10] = cx * cy;
    *this = r;
    return *this;
}

Matrix4& Matrix4::PostScale(const Matrix4& src, const Vector3& s) {
    Matrix4 scale = kIdentityMatrix;
    scale.m[0] = s.x;
    scale.m[5] = s.y;
    scale.m[10] = s.z;
    return Multiply(src, scale);
}

Matrix4& Matrix4::PostTranslate(const Matrix4& src, const Vector3& t) {
    Matrix4 move = kIdentityMatrix;
    move.m[12] = t.x;
    move.m[13] = t.y;
    move.m[14] = t.z;
    return Multiply(src, move);
}

Matrix4& Matrix4::LookAt(const Vector3& eye, const Vector3& at, float roll, const Vector3& up) {
    Vector3 f;
    f.Subtract(at, eye);
    const float flen = f.Length();
    f = Vector3(f.x / flen, f.y / flen, f.z / flen);

    Vector3 u;
    u.Subtract(up, Vector3().Scale(f, up.Dot(f)));
    auto rawLength = [](const Vector3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); };
    if (rawLength(u) < 1e-6f) {
        u.Subtract(Vector3(0, 1, 0), Vector3().Scale(f, f.y));
        if (rawLength(u) < 1e-6f) u.Subtract(Vector3(0, 0, 1), Vector3().Scale(f, f.z));
    }
    const float ulen = u.Length();
    u = Vector3(u.x / ulen, u.y / ulen, u.z / ulen);

    Vector3 r;
    r.Cross(u, f);

    Matrix4 view = kIdentityMatrix;
    view.m[0] = r.x, view.m[1] = u.x, view.m[2] = f.x;
    view.m[4] = r.y, view.m[5] = u.y, view.m[6] = f.y;
    view.m[8] = r.z, view.m[9] = u.z, view.m[10] = f.z;
    view.m[12] = -eye.Dot(r);
    view.m[13] = -eye.Dot(u);
    view.m[14] = -eye.Dot(f);

    // Roll turns the view about the line of sight. With eye == at there is no line of sight
    // (f is zero) and a rotation about a zero axis would be NaN throughout, so the roll is
    // dropped and the unrolled, finite matrix is kept.
    if (roll != 0.0f && (f.x != 0.0f || f.y != 0.0f || f.z != 0.0f)) {
        Matrix4 spin;
        spin.SetRotationAxis(Vector3().Negate(f), roll);
        view.Multiply(view, spin);
    }
    *this = view;
    return *this;
}

}  // namespace cm
