#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "ops/ops.h"
#include "support/evaluation.h"
#include "support/handlers.h"

namespace expreval {
namespace {

using testing::FailureOf;
using testing::WithBuiltInTables;

std::string MessageOf(RawFunction function, double x) {
    try {
        function(x);
    } catch (const Exception& failure) {
        return failure.message;
    }
    return "no failure";
}

TEST(GuardedFunctions, FailOnlyOnAnExactZero) {
    EXPECT_EQ(MessageOf(GuardedLog, 0), "Log requires arguement greater than 0.");
    EXPECT_EQ(MessageOf(GuardedLog, -0.0), "Log requires arguement greater than 0.");
    EXPECT_EQ(MessageOf(GuardedLog, -1), "Log requires arguement greater than 0.");
    EXPECT_EQ(MessageOf(GuardedLog, std::nan("")), "Log requires arguement greater than 0.");
    EXPECT_EQ(MessageOf(GuardedCsc, 0), "Csc requires sin(arguement) not equal 0.");
    EXPECT_EQ(MessageOf(GuardedCot, -0.0), "Cot requires sin(arguement) not equal 0.");
    EXPECT_DOUBLE_EQ(GuardedLog(1e-300), -300);

    // Near the poles the sine or cosine is tiny but not zero: a huge result.
    const double halfPi = std::numbers::pi / 2;
    EXPECT_GT(std::fabs(GuardedTan(halfPi)), 1e15);
    EXPECT_GT(std::fabs(GuardedSec(halfPi)), 1e15);
    EXPECT_GT(std::fabs(GuardedCsc(std::numbers::pi)), 1e15);
    EXPECT_GT(std::fabs(GuardedCot(std::numbers::pi)), 1e15);
}

TEST(GuardedFunctions, ComputeTheirQuotients) {
    EXPECT_DOUBLE_EQ(GuardedTan(1), std::sin(1.0) / std::cos(1.0));
    EXPECT_DOUBLE_EQ(GuardedCot(1), std::cos(1.0) / std::sin(1.0));
    EXPECT_DOUBLE_EQ(GuardedSec(1), 1 / std::cos(1.0));
    EXPECT_DOUBLE_EQ(GuardedCsc(1), 1 / std::sin(1.0));
    EXPECT_DOUBLE_EQ(GuardedLog(1000), 3);
}

using ApplyFunctionTest = WithBuiltInTables;

TEST_F(ApplyFunctionTest, KeepsThePointOfWholeResults) {
    EXPECT_EQ(Cosine("0", "", TestContext()), "1.");
    EXPECT_EQ(Sine("0", "", TestContext()), "0.");
    EXPECT_EQ(Logarithm("100", "", TestContext()), "2.");
    EXPECT_EQ(Logarithm("0.5", "", TestContext()), "-0.30102999566398");
}

TEST_F(ApplyFunctionTest, MapsListsElementByElementAndNestedListsAgain) {
    EXPECT_EQ(Logarithm("{1,10,100}", "", TestContext()), "{0.,1.,2.}");
    Evaluate("fninner={1,0}");
    EXPECT_EQ(Sine("{0,fninner}", "", TestContext()), "{0.,{0.8414709848079,0.}}");
    EXPECT_EQ(ApplyFunctionToElements(TestContext(), Cosine, "{0,1-1}"), "{1.,1.}");
    EXPECT_EQ(FailureOf("log({1,0})"), "Log requires arguement greater than 0.");
    EXPECT_EQ(FailureOf("sin({1,\"a\"})"), "Function does not support strings.");
}

TEST_F(ApplyFunctionTest, StopsAListThatContainsItself) {
    Evaluate("selfcontaining={1}");
    Evaluate("selfcontaining={selfcontaining}");
    EXPECT_EQ(FailureOf("sin(selfcontaining)"), "Expression nested too deeply.");
}

}  // namespace
}  // namespace expreval
