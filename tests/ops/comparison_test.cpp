#include <gtest/gtest.h>

#include <string>

#include "ops/ops.h"
#include "support/evaluation.h"
#include "support/handlers.h"

namespace expreval {
namespace {

using testing::FailureOf;
using testing::WithBuiltInTables;

using ComparisonTest = WithBuiltInTables;

TEST_F(ComparisonTest, NumbersCompareByValue) {
    EXPECT_EQ(Equal("1", "1.0", TestContext()), "1");
    EXPECT_EQ(Less("10", "9", TestContext()), "0");
    EXPECT_EQ(Equal("0.1+0.2", "0.3", TestContext()), "1");  // the sum is a 14-digit text
    EXPECT_EQ(GreaterOrEqual("-0", "0", TestContext()), "1");
}

TEST_F(ComparisonTest, AStringMeetsTheOtherValueAsWritten) {
    EXPECT_EQ(Equal("\"5\"", "5", TestContext()), "1");
    EXPECT_EQ(Equal("\"1\"", "1.0", TestContext()), "0");
    EXPECT_EQ(Less("\"10\"", "\"9\"", TestContext()), "1");
    EXPECT_EQ(NotEqual("5", "\"5.\"", TestContext()), "1");
    EXPECT_EQ(Equal("\"\"", "\"\"", TestContext()), "1");
}

TEST_F(ComparisonTest, TextsCompareAsUnsignedBytesShorterPrefixFirst) {
    EXPECT_EQ(Less("\"ab\"", "\"abc\"", TestContext()), "1");
    EXPECT_EQ(Greater("\"ab\"", "\"abc\"", TestContext()), "0");
    EXPECT_EQ(Less("\"B\"", "\"a\"", TestContext()), "1");
    // A byte of 128 or more sorts after every ASCII byte.
    EXPECT_EQ(Greater("\"\xc3\xa9\"", "\"z\"", TestContext()), "1");
    EXPECT_EQ(LessOrEqual("\"abc\"", "\"abc\"", TestContext()), "1");
    EXPECT_EQ(GreaterOrEqual("\"abc\"", "\"abd\"", TestContext()), "0");
}

TEST_F(ComparisonTest, MatchingAlwaysComparesTexts) {
    EXPECT_EQ(Matches("123", "23", TestContext()), "1");
    EXPECT_EQ(DoesNotMatch("123", "4", TestContext()), "1");
    EXPECT_EQ(Matches("\"hello\"", "\"ell\"", TestContext()), "1");
    EXPECT_EQ(Matches("\"hello\"", "\"\"", TestContext()), "1");
    EXPECT_EQ(DoesNotMatch("\"hello\"", "\"\"", TestContext()), "0");
    EXPECT_EQ(Matches("1.50", "1.5", TestContext()), "1");
}

TEST_F(ComparisonTest, LogicalOperatorsTakeNumbersOnlyAndEvaluateBothSides) {
    EXPECT_EQ(LogicalAnd("2", "0.5", TestContext()), "1");
    EXPECT_EQ(LogicalOr("0", "-3", TestContext()), "1");
    EXPECT_EQ(LogicalOr("0", "0", TestContext()), "0");
    EXPECT_EQ(FailureOf("\"a\"&&1"), "Operation does not support strings.");
    EXPECT_EQ(FailureOf("0||\"a\""), "Operation does not support strings.");
    EXPECT_EQ(FailureOf("0&&undefinedright"), "Variable undefinedright does not exist.");
}

TEST_F(ComparisonTest, ListsCompareElementByElementKeepingTheSides) {
    EXPECT_EQ(Equal("zurp", "3", TestContext()), "{0,0,1,0,0}");
    EXPECT_EQ(Less("3", "zurp", TestContext()), "{0,0,0,1,1}");
    EXPECT_EQ(Matches("{\"ab\",\"cd\"}", "\"c\"", TestContext()), "{0,1}");
    EXPECT_EQ(FailureOf("zurp==zurp"), "Operation does not support two lists.");
    EXPECT_EQ(FailureOf("{1}&&{1}"), "Operation does not support two lists.");
    EXPECT_EQ(FailureOf("{1,\"a\"}||0"), "Operation does not support strings.");
}

}  // namespace
}  // namespace expreval
