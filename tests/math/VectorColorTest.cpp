#include <gtest/gtest.h>

#include "math/Color4.h"
#include "math/Vector3.h"

using cm::Color4;
using cm::Vector3;

TEST(Vector3, LengthNeverReportsZero) {
    EXPECT_EQ(Vector3(0, 0, 0).Length(), 1.0f);
    EXPECT_EQ(Vector3(3, 4, 0).Length(), 5.0f);
}

TEST(Vector3, OperationsMayWriteIntoAnOperand) {
    Vector3 a(1, 2, 3);
    a.Cross(a, Vector3(0, 0, 1));
    EXPECT_EQ(a.x, 2.0f);
    EXPECT_EQ(a.y, -1.0f);
    EXPECT_EQ(a.z, 0.0f);

    Vector3 b(0, 1, 0);
    EXPECT_EQ(b.Cross(Vector3(1, 0, 0), b).z, 1.0f);  // x cross y = z in either handedness of the formula
    Vector3 c(3, 0, 4);
    c.Normalize(c);
    EXPECT_FLOAT_EQ(c.x, 0.6f);
    EXPECT_FLOAT_EQ(c.z, 0.8f);
    c.Subtract(c, c);
    EXPECT_EQ(c.Dot(c), 0.0f);
}

TEST(Color4, StoresBgraAndPacksArgb) {
    Color4 black;
    EXPECT_EQ(black.Pack(), 0xff000000u);
    Color4 c(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.b, 0.0f);
    EXPECT_EQ(c.Pack(), 0xffff7f00u);  // 0.5 * 255 = 127.5 truncates to 127
    EXPECT_EQ(Color4(0.2f, 0.4f, 0.6f, 0.0f).Pack(), 0x00336699u);
    // Stored in memory as blue, green, red, alpha.
    const float* raw = &c.b;
    EXPECT_EQ(raw[2], 1.0f);
    EXPECT_EQ(raw[3], 1.0f);
}
