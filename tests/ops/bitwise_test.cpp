#include <gtest/gtest.h>

#include "ops/ops.h"
#include "support/evaluation.h"

namespace expreval {
namespace {

using testing::FailureOf;
using testing::WithBuiltInTables;

using BitwiseTest = WithBuiltInTables;

TEST_F(BitwiseTest, RoundsHalfAwayAndAlwaysCutsTheResult) {
    EXPECT_EQ(BitwiseAnd("2.5", "7", TestContext()), "3");
    EXPECT_EQ(BitwiseOr("-2.5", "0", TestContext()), "-3");
    EXPECT_EQ(BitwiseOr("2.4", "0.0", TestContext()), "2");
    EXPECT_EQ(BitwiseXor("0", "0", TestContext()), "0");
}

TEST_F(BitwiseTest, WorksOnTheLowThirtyTwoBitsInTwosComplement) {
    EXPECT_EQ(BitwiseAnd("-1", "255", TestContext()), "255");
    EXPECT_EQ(BitwiseXor("-1", "0", TestContext()), "-1");
    EXPECT_EQ(BitwiseOr("2147483648", "0", TestContext()), "-2147483648");
    EXPECT_EQ(BitwiseOr("4294967296", "1", TestContext()), "1");
}

TEST_F(BitwiseTest, MapsOneListAndRefusesTwoListsAndStrings) {
    EXPECT_EQ(BitwiseAnd("{1,2,3}", "1", TestContext()), "{1,0,1}");
    EXPECT_EQ(BitwiseOr("1", "{2,4}", TestContext()), "{3,5}");
    EXPECT_EQ(FailureOf("{1}&{1}"), "Operation does not support two lists.");
    EXPECT_EQ(FailureOf("\"a\"&1"), "Operation does not support strings.");
    EXPECT_EQ(FailureOf("{1,\"a\"}^1"), "Operation does not support strings.");
}

}  // namespace
}  // namespace expreval
