#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "math/Color4.h"
#include "math/Matrix4.h"
#include "math/Vector3.h"

using cm::Color4;
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

Vector3 Apply(const Matrix4& m, const Vector3& p) {
    return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
            p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

}  // namespace

TEST(Matrix4, MultiplyIsAffineAndMayAliasItsOperands) {
    Matrix4 a = Make({1, 2, 3, 9, 4, 5, 6, 9, 7, 8, 9, 9, 10, 11, 12, 9});
    Matrix4 b = Make({2, 0, 0, 7, 0, 3, 0, 7, 0, 0, 4, 7, 1, 1, 1, 7});
    Matrix4 r;
    r.Multiply(a, b);
    // Column 3 of both inputs ignored, the result's column 3 forced to (0, 0, 0, 1).
    ExpectMatrixNear(r, Make({2, 6, 12, 0, 8, 15, 24, 0, 14, 24, 36, 0, 21, 34, 49, 1}), 0.0f);

    Matrix4 left = a, right = b, square = a, expected;
    ExpectMatrixNear(left.Multiply(left, b), r, 0.0f);
    ExpectMatrixNear(right.Multiply(a, right), r, 0.0f);
    ExpectMatrixNear(square.Multiply(square, square), expected.Multiply(a, a), 0.0f);
}

TEST(Matrix4, InvertRoundTripsInPlaceAndReportsTheSignedDeterminant) {
    Matrix4 m, inv, product, id;
    id.SetIdentity();
    m.SetRotationAngles(0.3f, -1.1f, 2.0f);
    m.PostScale(m, Vector3(2.0f, 0.5f, 3.0f));
    m.PostTranslate(m, Vector3(4.0f, -5.0f, 6.0f));
    EXPECT_NEAR(inv.Invert(m), 3.0f, 1e-4f);
    ExpectMatrixNear(product.Multiply(m, inv), id);
    ExpectMatrixNear(product.Multiply(inv, m), id);
    Matrix4 inPlace = m;
    inPlace.Invert(inPlace);
    ExpectMatrixNear(inPlace, inv, 0.0f);

    // Swapping x and y: the first row's largest entry sits in column 1, forcing a column swap.
    EXPECT_EQ(inv.Invert(Make({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 3, 4, 5, 1})), -1.0f);
    ExpectMatrixNear(inv, Make({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, -4, -3, -5, 1}));
    // The largest pivot (-8 in column 2) must be taken and the sign of one swap kept.
    const Matrix4 pivot = Make({1, 2, -8, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_NEAR(inv.Invert(pivot), 8.0f, 1e-5f);
    ExpectMatrixNear(product.Multiply(pivot, inv), id, 1e-6f);

    Matrix4 zeroRow = m;
    zeroRow[4] = zeroRow[5] = zeroRow[6] = zeroRow[7] = 0.0f;
    for (const Matrix4& singular : {zeroRow, Make({1, 2, 3, 0, 2, 4, 6, 0, 0, 0, 1, 0, 0, 0, 0, 1}), Matrix4{}})
        EXPECT_EQ(inv.Invert(singular), 0.0f);
}

TEST(Matrix4, RotationsAreLeftHandedAndApplyZThenYThenX) {
    Matrix4 m;
    Vector3 out;
    m.SetRotationAngles(0, 0, kPi / 2);  // about z: +x toward +y
    EXPECT_NEAR(m.TransformNormal(out, Vector3(1, 0, 0)).y, 1, 1e-6f);
    Matrix4 axis;
    ExpectMatrixNear(axis.SetRotationAxis(Vector3(0, 0, 5), kPi / 2), m, 1e-6f);
    m.SetRotationAngles(kPi / 2, 0, 0);  // about x: +y toward +z
    EXPECT_NEAR(m.TransformNormal(out, Vector3(0, 1, 0)).z, 1, 1e-6f);
    m.SetRotationAngles(0, kPi / 2, 0);  // about y: +z toward +x
    EXPECT_NEAR(m.TransformNormal(out, Vector3(0, 0, 1)).x, 1, 1e-6f);

    const float ax = 0.4f, ay = -0.7f, az = 1.3f;
    Matrix4 rx, ry, rz, chain;
    rx.SetRotationAxis(Vector3(1, 0, 0), ax);
    ry.SetRotationAxis(Vector3(0, 1, 0), ay);
    rz.SetRotationAxis(Vector3(0, 0, 1), az);
    chain.Multiply(rz, ry);
    ExpectMatrixNear(m.SetRotationAngles(ax, ay, az), chain.Multiply(chain, rx), 1e-6f);

    // Post-operations apply after the matrix: (1, 0, 0) turns to (0, 1, 0), moves to (10, 1, 0)
    // and scales to (20, 2, 0).
    m.SetRotationAngles(0, 0, kPi / 2);
    m.PostTranslate(m, Vector3(10, 0, 0));
    m.PostScale(m, Vector3(2, 2, 2));
    const Vector3 p = Apply(m, Vector3(1, 0, 0));
    EXPECT_NEAR(p.x, 20.0f, 1e-5f);
    EXPECT_NEAR(p.y, 2.0f, 1e-5f);
}

TEST(Matrix4, LookAtBuildsOrthonormalViews) {
    Matrix4 view, expected;
    view.LookAt(Vector3(0, 0, -10), Vector3(0, 0, 0), 0.0f, Vector3(0, 1, 0));
    expected.SetIdentity()[14] = 10.0f;
    ExpectMatrixNear(view, expected, 1e-6f);

    // Straight down: up is parallel to the line of sight, so (0, 0, 1) - F.z F is used.
    view.LookAt(Vector3(0, 5, 0), Vector3(0, 0, 0), 0.0f, Vector3(0, 1, 0));
    const Vector3 r(view[0], view[4], view[8]), u(view[1], view[5], view[9]), f(view[2], view[6], view[10]);
    EXPECT_NEAR(f.y, -1.0f, 1e-6f);
    EXPECT_NEAR(u.z, 1.0f, 1e-6f);
    EXPECT_NEAR(r.Dot(u), 0.0f, 1e-6f);
    EXPECT_NEAR(r.Dot(f), 0.0f, 1e-6f);
    EXPECT_NEAR(r.Dot(r), 1.0f, 1e-6f);
    EXPECT_NEAR(view[14], 5.0f, 1e-6f);

    // A point straight ahead lands on the view's +z axis.
    view.LookAt(Vector3(1, 2, 3), Vector3(4, 6, 3), 0.0f, Vector3(0, 1, 0));
    const Vector3 ahead = Apply(view, Vector3(4, 6, 3));
    EXPECT_NEAR(ahead.x, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.y, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.z, 5.0f, 1e-5f);

    // The roll turns about -F: looking down +z, a quarter turn carries world +y onto view +x.
    Vector3 out;
    view.LookAt(Vector3(0, 0, -10), Vector3(0, 0, 0), kPi / 2, Vector3(0, 1, 0));
    EXPECT_NEAR(view.TransformNormal(out, Vector3(0, 1, 0)).x, 1.0f, 1e-6f);
}

TEST(Vector3, LengthNeverReportsZeroAndOperationsMayWriteIntoAnOperand) {
    EXPECT_EQ(Vector3(0, 0, 0).Length(), 1.0f);
    EXPECT_EQ(Vector3(3, 4, 0).Length(), 5.0f);
    Vector3 a(1, 2, 3);
    a.Cross(a, Vector3(0, 0, 1));
    EXPECT_TRUE(a.x == 2.0f && a.y == -1.0f && a.z == 0.0f);
    Vector3 b(0, 1, 0);
    EXPECT_EQ(b.Cross(Vector3(1, 0, 0), b).z, 1.0f);
    Vector3 c(3, 0, 4);
    c.Normalize(c);
    EXPECT_FLOAT_EQ(c.x, 0.6f);
    EXPECT_FLOAT_EQ(c.z, 0.8f);
}

TEST(Color4, PacksArgbTruncating) {
    EXPECT_EQ(Color4().Pack(), 0xff000000u);
    EXPECT_EQ(Color4(1.0f, 0.5f, 0.0f).Pack(), 0xffff7f00u);  // 0.5 * 255 = 127.5 truncates to 127
    EXPECT_EQ(Color4(0.2f, 0.4f, 0.6f, 0.0f).Pack(), 0x00336699u);
}
