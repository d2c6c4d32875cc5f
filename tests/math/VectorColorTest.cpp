#include <gtest/gtest.h>

#include "math/Color4.h"
#include "math/Vector3.h"

using cm::Color4;
using cm::Vector3;

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
