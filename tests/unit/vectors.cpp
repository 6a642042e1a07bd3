#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "general/primitives.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kQuarterTurn = 1.57079632679f;

TEST(Vector, ConstructionAndDifference) {
    CVector v(1.5f, -2.0f);
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, -2.0f);
    // Start point first, end point second.
    CVector d(CVector(1, 2), CVector(4, 6));
    EXPECT_EQ(d.x, 3.0f);
    EXPECT_EQ(d.y, 4.0f);
    EXPECT_FLOAT_EQ(d.len(), 5.0f);
    CVector back(CVector(4, 6), CVector(1, 2));
    EXPECT_EQ(back.x, -3.0f);
    EXPECT_EQ(back.y, -4.0f);
}

TEST(Vector, Arithmetic) {
    CVector a(2, 3);
    CVector sum = a + CVector(-1, 4);
    EXPECT_EQ(sum.x, 1.0f);
    EXPECT_EQ(sum.y, 7.0f);
    CVector diff = a - CVector(-1, 4);
    EXPECT_EQ(diff.x, 3.0f);
    EXPECT_EQ(diff.y, -1.0f);
    EXPECT_EQ(a * CVector(4, 5), 23.0f);
    CVector scaled = a * 2;
    EXPECT_EQ(scaled.x, 4.0f);
    EXPECT_EQ(scaled.y, 6.0f);
    CVector halved = a / 2;
    EXPECT_EQ(halved.x, 1.0f);
    EXPECT_EQ(halved.y, 1.5f);
    // None of them changes the operand.
    EXPECT_EQ(a.x, 2.0f);
    EXPECT_EQ(a.y, 3.0f);
}

TEST(Vector, AssignmentReturnsTheNewValue) {
    CVector a(0, 0);
    CVector b(0, 0);
    CVector r = (a = CVector(7, -8));
    EXPECT_EQ(a.x, 7.0f);
    EXPECT_EQ(a.y, -8.0f);
    EXPECT_EQ(r.x, 7.0f);
    EXPECT_EQ(r.y, -8.0f);
    b = a = CVector(1, 2);
    EXPECT_EQ(b.x, 1.0f);
    EXPECT_EQ(b.y, 2.0f);
}

TEST(Vector, RotateTurnsCounterClockwiseAndLeavesTheVector) {
    CVector v(1, 0);
    CVector q = v.rotate(kQuarterTurn);
    EXPECT_NEAR(q.x, 0.0f, 1e-6f);
    EXPECT_NEAR(q.y, 1.0f, 1e-6f);
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 0.0f);
    CVector back = CVector(0, 2).rotate(-kQuarterTurn);
    EXPECT_NEAR(back.x, 2.0f, 1e-6f);
    EXPECT_NEAR(back.y, 0.0f, 1e-6f);
    CVector half = CVector(3, 4).rotate(2 * kQuarterTurn);
    EXPECT_NEAR(half.x, -3.0f, 1e-5f);
    EXPECT_NEAR(half.y, -4.0f, 1e-5f);
    EXPECT_NEAR(CVector(3, 4).rotate(1.234f).len(), 5.0f, 1e-5f);
}

TEST(Vector, NormScalesInPlace) {
    CVector v(3, 4);
    CVector r = v.norm();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
    EXPECT_FLOAT_EQ(r.x, 0.6f);
    EXPECT_FLOAT_EQ(r.y, 0.8f);
    CVector left(-5, 0);
    left.norm();
    EXPECT_FLOAT_EQ(left.x, -1.0f);
    EXPECT_EQ(left.y, 0.0f);
}

TEST(Vector, NormOfZeroIsNotFinite) {
    CVector z(0, 0);
    z.norm();
    EXPECT_FALSE(std::isfinite(z.x));
    EXPECT_FALSE(std::isfinite(z.y));
}

TEST(Vector, HoldsNonFiniteValues) {
    CVector v(kNaN, std::numeric_limits<float>::infinity());
    CVector w = v + CVector(1, 1);
    EXPECT_TRUE(std::isnan(w.x));
    EXPECT_TRUE(std::isinf(w.y));
    EXPECT_TRUE(std::isnan(v.len()));
}

TEST(Triangle, KeepsEdgesAndOwner) {
    CFigure* owner = reinterpret_cast<CFigure*>(0x1234);
    CTri t(1, 2, -3, 4, owner);
    EXPECT_EQ(t.a.x, 1.0f);
    EXPECT_EQ(t.a.y, 2.0f);
    EXPECT_EQ(t.b.x, -3.0f);
    EXPECT_EQ(t.b.y, 4.0f);
    EXPECT_EQ(t.par, owner);
}

TEST(FloatHelpers, PickTheLargerAndSmaller) {
    EXPECT_EQ(max(1, 2), 2.0f);
    EXPECT_EQ(max(2, 1), 2.0f);
    EXPECT_EQ(min(1, 2), 1.0f);
    EXPECT_EQ(min(2, 1), 1.0f);
    EXPECT_EQ(max(-5, -7), -5.0f);
    EXPECT_EQ(min(-5, -7), -7.0f);
}

TEST(FloatHelpers, EqualArgumentsGiveMaxTheFirstAndMinTheSecond) {
    // +0 and -0 compare equal, so the sign tells which argument came back.
    EXPECT_TRUE(std::signbit(max(-0.0f, 0.0f)));
    EXPECT_FALSE(std::signbit(max(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(min(-0.0f, 0.0f)));
    EXPECT_TRUE(std::signbit(min(0.0f, -0.0f)));
    EXPECT_EQ(max(3, 3), 3.0f);
    EXPECT_EQ(min(3, 3), 3.0f);
}

TEST(FloatHelpers, NaNGivesMaxTheFirstAndMinTheSecond) {
    EXPECT_TRUE(std::isnan(max(kNaN, 1)));
    EXPECT_EQ(max(1, kNaN), 1.0f);
    EXPECT_EQ(min(kNaN, 1), 1.0f);
    EXPECT_TRUE(std::isnan(min(1, kNaN)));
}

}  // namespace
