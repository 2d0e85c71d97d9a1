#include <gtest/gtest.h>

#include <string>

#include "ops/ops.h"
#include "support/evaluation.h"

namespace expreval {
namespace {

using testing::WithBuiltInTables;

using ConcatenationTest = WithBuiltInTables;

TEST_F(ConcatenationTest, NumbersJoinTheirDigits) {
    EXPECT_EQ(Concatenate("12", "34", TestContext()), "1234");
    EXPECT_EQ(Concatenate("-5", "-3", TestContext()), "-5-3");
    EXPECT_EQ(Concatenate("007", "0", TestContext()), "0070");
}

TEST_F(ConcatenationTest, OnlyTheFirstPointStays) {
    EXPECT_EQ(Concatenate("1.5", "2.5", TestContext()), "1.525");
    EXPECT_EQ(Concatenate("5.", "2", TestContext()), "5.2");
    EXPECT_EQ(Concatenate("1", "2.5", TestContext()), "12.5");
}

TEST_F(ConcatenationTest, TheLeftExponentIsCutTheRightOneKept) {
    EXPECT_EQ(Concatenate("1e5", "2", TestContext()), "12");
    EXPECT_EQ(Concatenate("2", "1e5", TestContext()), "21e5");
    EXPECT_EQ(Concatenate("1.5e-3", "2.5", TestContext()), "1.525");
    EXPECT_EQ(Concatenate("1e5", "1e5", TestContext()), "11e5");
}

TEST_F(ConcatenationTest, StringsAndNumbersMakeOneString) {
    EXPECT_EQ(Concatenate("\"ab\"", "\"cd\"", TestContext()), "\"abcd\"");
    EXPECT_EQ(Concatenate("\"ab\"", "1e5", TestContext()), "\"ab1e5\"");
    EXPECT_EQ(Concatenate("5.0", "\"cd\"", TestContext()), "\"5.0cd\"");
    EXPECT_EQ(Concatenate("\"ab\"", "\"\"", TestContext()), "\"ab\"");
}

TEST_F(ConcatenationTest, ListsJoinOrMapWithTheSingleValueOnItsSide) {
    EXPECT_EQ(Concatenate("zurp", "{6}", TestContext()), "{1,2,3,4,5,6}");
    EXPECT_EQ(Concatenate("{}", "{1}", TestContext()), "{,1}");
    EXPECT_EQ(Concatenate("zurp", "0", TestContext()), "{10,20,30,40,50}");
    EXPECT_EQ(Concatenate("0", "zurp", TestContext()), "{01,02,03,04,05}");
    Evaluate("catinner={2,3}");
    EXPECT_EQ(Concatenate("{1,catinner}", "\"x\"", TestContext()), "{\"1x\",{\"2x\",\"3x\"}}");
}

}  // namespace
}  // namespace expreval
