#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "math/Matrix4.h"

using cm::Matrix4;
using cm::Vector3;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

void ExpectMatrixNear(const Matrix4& a, const Matrix4& b, float tol = 1e-5f) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tol) << "element " << i;
}

Matrix4 Make(std::initializer_list<float> values) {
    Matrix4 m;
    int i = 0;
    for (float v : values) m[i++] = v;
    return m;
}

// A general affine matrix: rotation, non-uniform scale and translation mixed together.
Matrix4 SampleAffine() {
    Matrix4 m;
    m.SetRotationAngles(0.3f, -1.1f, 2.0f);
    m.PostScale(m, Vector3(2.0f, 0.5f, 3.0f));
    m.PostTranslate(m, Vector3(4.0f, -5.0f, 6.0f));
    return m;
}

}  // namespace

TEST(Matrix4, DefaultIsZeroAndIdentityIsExplicit) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], 0.0f);
    m.SetIdentity();
    ExpectMatrixNear(m, cm::kIdentityMatrix, 0.0f);
}

TEST(Matrix4, MultiplyIsAffineAndMayAliasItsOperands) {
    Matrix4 a = Make({1, 2, 3, 9, 4, 5, 6, 9, 7, 8, 9, 9, 10, 11, 12, 9});
    Matrix4 b = Make({2, 0, 0, 7, 0, 3, 0, 7, 0, 0, 4, 7, 1, 1, 1, 7});
    Matrix4 r;
    r.Multiply(a, b);
    // Column 3 of both inputs ignored, the result's column 3 forced to (0, 0, 0, 1).
    ExpectMatrixNear(r, Make({2, 6, 12, 0, 8, 15, 24, 0, 14, 24, 36, 0, 21, 34, 49, 1}), 0.0f);

    Matrix4 left = a;
    left.Multiply(left, b);
    ExpectMatrixNear(left, r, 0.0f);
    Matrix4 right = b;
    right.Multiply(a, right);
    ExpectMatrixNear(right, r, 0.0f);
    Matrix4 square = a;
    Matrix4 expected;
    expected.Multiply(a, a);
    square.Multiply(square, square);
    ExpectMatrixNear(square, expected, 0.0f);
}

TEST(Matrix4, InvertRoundTripsAndReportsDeterminant) {
    Matrix4 id;
    id.SetIdentity();
    Matrix4 inv;
    EXPECT_EQ(inv.Invert(id), 1.0f);
    ExpectMatrixNear(inv, id, 0.0f);

    const Matrix4 m = SampleAffine();
    EXPECT_NEAR(inv.Invert(m), 2.0f * 0.5f * 3.0f, 1e-4f);
    Matrix4 product;
    product.Multiply(m, inv);
    ExpectMatrixNear(product, id, 1e-5f);
    product.Multiply(inv, m);
    ExpectMatrixNear(product, id, 1e-5f);

    // In place: the destination is also the source.
    Matrix4 inPlace = m;
    inPlace.Invert(inPlace);
    ExpectMatrixNear(inPlace, inv, 0.0f);
}

TEST(Matrix4, InvertPivotsAcrossColumnsWithSignedDeterminant) {
    // Swapping x and y: the first row's largest entry sits in column 1, forcing a column swap.
    Matrix4 swapXY = Make({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 3, 4, 5, 1});
    Matrix4 inv;
    EXPECT_EQ(inv.Invert(swapXY), -1.0f);
    ExpectMatrixNear(inv, Make({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, -4, -3, -5, 1}));

    // A pivot that is not the largest magnitude would still invert but lose precision; the
    // largest one (-8 in column 2) must be taken and the sign of one swap kept.
    Matrix4 m = Make({1, 2, -8, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    const float det = inv.Invert(m);
    EXPECT_NEAR(det, 8.0f, 1e-5f);
    Matrix4 product;
    product.Multiply(m, inv);
    Matrix4 id;
    ExpectMatrixNear(product, id.SetIdentity(), 1e-6f);
}

TEST(Matrix4, InvertRefusesSingularMatrices) {
    Matrix4 zeroRow = SampleAffine();
    zeroRow[4] = zeroRow[5] = zeroRow[6] = zeroRow[7] = 0.0f;
    Matrix4 inv;
    EXPECT_EQ(inv.Invert(zeroRow), 0.0f);
    Matrix4 dependent = Make({1, 2, 3, 0, 2, 4, 6, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    EXPECT_EQ(inv.Invert(dependent), 0.0f);
    Matrix4 zero;
    EXPECT_EQ(inv.Invert(zero), 0.0f);
}

TEST(Matrix4, RotationsAreLeftHanded) {
    Matrix4 m;
    Vector3 out;
    m.SetRotationAngles(0, 0, kPi / 2);  // about z: +x toward +y
    m.TransformNormal(out, Vector3(1, 0, 0));
    EXPECT_NEAR(out.x, 0, 1e-6f);
    EXPECT_NEAR(out.y, 1, 1e-6f);
    m.SetRotationAngles(kPi / 2, 0, 0);  // about x: +y toward +z
    m.TransformNormal(out, Vector3(0, 1, 0));
    EXPECT_NEAR(out.z, 1, 1e-6f);
    m.SetRotationAngles(0, kPi / 2, 0);  // about y: +z toward +x
    m.TransformNormal(out, Vector3(0, 0, 1));
    EXPECT_NEAR(out.x, 1, 1e-6f);

    Matrix4 axis;
    axis.SetRotationAxis(Vector3(0, 0, 5), kPi / 2);
    m.SetRotationAngles(0, 0, kPi / 2);
    ExpectMatrixNear(axis, m, 1e-6f);
    EXPECT_NEAR(axis[1], 1.0f, 1e-6f);
}

TEST(Matrix4, RotationAnglesApplyZThenYThenX) {
    const float ax = 0.4f, ay = -0.7f, az = 1.3f;
    Matrix4 combined, rx, ry, rz, chain;
    combined.SetRotationAngles(ax, ay, az);
    rx.SetRotationAxis(Vector3(1, 0, 0), ax);
    ry.SetRotationAxis(Vector3(0, 1, 0), ay);
    rz.SetRotationAxis(Vector3(0, 0, 1), az);
    chain.Multiply(rz, ry);
    chain.Multiply(chain, rx);
    ExpectMatrixNear(combined, chain, 1e-6f);
}

TEST(Matrix4, PostScaleAndTranslateApplyAfterTheMatrix) {
    Matrix4 m;
    m.SetRotationAngles(0, 0, kPi / 2);
    m.PostTranslate(m, Vector3(10, 0, 0));
    m.PostScale(m, Vector3(2, 2, 2));
    // (1, 0, 0) rotates to (0, 1, 0), moves to (10, 1, 0), scales to (20, 2, 0).
    EXPECT_NEAR(m[12], 20.0f, 1e-5f);
    EXPECT_NEAR(0 * m[0] + m[4] + m[12], 18.0f, 1e-5f);  // the image of (0, 1, 0): x = -2 + 20
    EXPECT_NEAR(1 * m[1] + m[13], 2.0f, 1e-5f);
}

TEST(Matrix4, LookAtBuildsOrthonormalViews) {
    Matrix4 view;
    view.LookAt(Vector3(0, 0, -10), Vector3(0, 0, 0), 0.0f, Vector3(0, 1, 0));
    Matrix4 expected;
    expected.SetIdentity();
    expected[14] = 10.0f;
    ExpectMatrixNear(view, expected, 1e-6f);

    // Straight down: up is parallel to the line of sight, so (0, 0, 1) - F.z F is used.
    view.LookAt(Vector3(0, 5, 0), Vector3(0, 0, 0), 0.0f, Vector3(0, 1, 0));
    const Vector3 r(view[0], view[4], view[8]), u(view[1], view[5], view[9]), f(view[2], view[6], view[10]);
    EXPECT_NEAR(f.y, -1.0f, 1e-6f);
    EXPECT_NEAR(u.z, 1.0f, 1e-6f);
    EXPECT_NEAR(r.Dot(u), 0.0f, 1e-6f);
    EXPECT_NEAR(r.Dot(f), 0.0f, 1e-6f);
    EXPECT_NEAR(r.Dot(r), 1.0f, 1e-6f);
    EXPECT_NEAR(view[13], 0.0f, 1e-6f);
    EXPECT_NEAR(view[14], 5.0f, 1e-6f);

    // A point straight ahead lands on the view's +z axis.
    view.LookAt(Vector3(1, 2, 3), Vector3(4, 6, 3), 0.0f, Vector3(0, 1, 0));
    const Vector3 p(4, 6, 3);
    const float vx = p.x * view[0] + p.y * view[4] + p.z * view[8] + view[12];
    const float vy = p.x * view[1] + p.y * view[5] + p.z * view[9] + view[13];
    const float vz = p.x * view[2] + p.y * view[6] + p.z * view[10] + view[14];
    EXPECT_NEAR(vx, 0.0f, 1e-5f);
    EXPECT_NEAR(vy, 0.0f, 1e-5f);
    EXPECT_NEAR(vz, 5.0f, 1e-5f);
}

TEST(Matrix4, LookAtRollTurnsTheUpVector) {
    Matrix4 rolled;
    rolled.LookAt(Vector3(0, 0, -10), Vector3(0, 0, 0), kPi / 2, Vector3(0, 1, 0));
    // The roll post-multiplies a rotation about -F: looking down +z, a quarter turn about -z
    // carries world +y onto the view's +x.
    Vector3 out;
    rolled.TransformNormal(out, Vector3(0, 1, 0));
    EXPECT_NEAR(out.x, 1.0f, 1e-6f);
    EXPECT_NEAR(out.y, 0.0f, 1e-6f);
}

TEST(Matrix4, LookAtWithEyeAtTargetStaysFinite) {
    Matrix4 view;
    const Vector3 eye(1, 2, 3);
    view.LookAt(eye, eye, 0.0f, Vector3(0, 1, 0));
    ExpectMatrixNear(view, Make({0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, -2, 0, 1}), 0.0f);

    view.LookAt(eye, eye, 1.25f, Vector3(0, 1, 0));
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(view[i])) << i;
    EXPECT_EQ(view[13], -2.0f);
}
