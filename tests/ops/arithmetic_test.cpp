#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "eval/evaluate.h"
#include "ops/ops.h"
#include "support/handlers.h"
#include "support/tables.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

class ArithmeticTest : public ::testing::Test {
  protected:
    void SetUp() override { UseBuiltInTables(); }

    static std::string Failure(const std::string& expression) {
        try {
            return "no failure: " + Evaluate(expression);
        } catch (const Exception& failure) {
            return failure.message;
        }
    }
};

// Handlers are given views into the middle of longer texts, as the stack
// hands them over: neither operand may be read past its end, by any family,
// whether it is a number read in place, a long sum or a list mapped.
TEST_F(ArithmeticTest, HandlersReadOnlyTheViewsTheyAreGiven) {
    struct Case {
        Handler handler;
        std::string left;
        std::string right;
    };
    std::string longSum = "1";
    for (int i = 0; i < 200; ++i)
        longSum += "+1";
    const Case cases[] = {
        {Add, "12", "3.5"},        {Subtract, "viewx", "1e2"}, {Multiply, "{1,2}", "2"},
        {Divide, "7", "2"},        {Add, longSum, "1"},        {Add, "\"ab\"", "{1}"},
        {Concatenate, "12", "34"}, {Equal, "\"a\"", "\"a\""},  {BitwiseAnd, "6", "sin(0)"},
        {Sine, "{0,1+1}", ""},     {Less, "1+2", "(4)"}};
    SetVariable("viewx", "5");
    for (const Case& c : cases) {
        const std::string expected = c.handler(c.left, c.right, TestContext());
        const std::string longer = c.left + "9e5\"}" + c.right + "9e5\"}";
        const std::string_view view = longer;
        const std::string got =
            c.handler(view.substr(0, c.left.size()), view.substr(c.left.size() + 5, c.right.size()),
                      TestContext());
        EXPECT_EQ(got, expected) << c.left << " and " << c.right;
    }
}

TEST_F(ArithmeticTest, IntegerAndRealDivisionAndRemainder) {
    EXPECT_EQ(Evaluate("7/2"), "3");
    EXPECT_EQ(Evaluate("-7/2"), "-3");
    EXPECT_EQ(Evaluate("7.0/2"), "3.5");
    EXPECT_EQ(Evaluate("1/3.0"), "0.33333333333333");
    EXPECT_EQ(Evaluate("2/3.0"), "0.66666666666667");
    EXPECT_EQ(Evaluate("-7%3"), "-1");
    EXPECT_EQ(Evaluate("7%-3"), "1");
    EXPECT_EQ(Evaluate("7.5%2"), "1.5");
    EXPECT_EQ(Evaluate("-7.5%2"), "-1.5");
    EXPECT_EQ(Evaluate("7%0.4"), "0.2");
    EXPECT_EQ(Evaluate("4294967303/2"), "3");  // low 32 bits: 7/2
    EXPECT_EQ(Evaluate("2.5/1"), "2.5");       // the integer routine needs two integer texts
}

TEST_F(ArithmeticTest, TheFractionIsCutOnlyForTwoIntegerTexts) {
    EXPECT_EQ(Evaluate("2.5*2"), "5.");
    EXPECT_EQ(Evaluate("3-3"), "0");
    EXPECT_EQ(Evaluate("0.1+0.2"), "0.3");
    EXPECT_EQ(Evaluate("0.25*0.2"), "5.e-002");
    EXPECT_EQ(Evaluate("12345678901234+0"), "12345678901234");
    EXPECT_EQ(Evaluate("007+1"), "8");
    EXPECT_EQ(Evaluate("1e3+1"), "1001.");
}

TEST_F(ArithmeticTest, ResultsOutsideFixedFormKeepTheirValue) {
    EXPECT_EQ(Evaluate("100000000*10000000"), "1.e+015");
    EXPECT_EQ(Evaluate("1-100000000*10000000"), "-1.e+015");
    EXPECT_EQ(Evaluate("1e308*10"), "1.#INF");
    const std::string nines(400, '9');
    EXPECT_EQ(Evaluate(nines + "+" + nines), "1.#INF");
    EXPECT_EQ(Evaluate("0-" + nines), "-1.#INF");
    EXPECT_EQ(Evaluate(nines + "*0"), "-1.#IND");
}

TEST_F(ArithmeticTest, TheChoiceOfDivisionLooksAtTheTextsAsWritten) {
    SetVariable("vx", "7.5");
    SetVariable("tiny", "0.4");
    EXPECT_EQ(Evaluate("vx/2"), "4.");  // a name counts as an integer text
    EXPECT_EQ(Evaluate("7.5/2"), "3.75");
    EXPECT_EQ(Failure("7/tiny"), "Division by 0 is not allowed.");
}

TEST_F(ArithmeticTest, ListsApplyElementByElement) {
    EXPECT_EQ(Evaluate("{1,2,3}*2"), "{2,4,6}");
    EXPECT_EQ(Evaluate("10-{1,2}"), "{9,8}");
    EXPECT_EQ(Evaluate("{1,2,3,4,5}/2"), "{0,1,1,2,2}");
    EXPECT_EQ(Evaluate("{1,2}/2.0"), "{0.5,1.}");
    EXPECT_EQ(Evaluate("{1+1,2}*3"), "{6,6}");
    SetVariable("pair", "{1,2}");
    EXPECT_EQ(Evaluate("{pair,1}*2"), "{{2,4},2}");
    EXPECT_EQ(Evaluate("{\"a\",\"b\"}+\"x\""), "{\"ax\",\"bx\"}");
}

TEST_F(ArithmeticTest, PlusJoinsListsAndStrings) {
    EXPECT_EQ(Evaluate("{1,2}+{3,4}"), "{1,2,3,4}");
    EXPECT_EQ(Evaluate("{}+{1}"), "{,1}");
    EXPECT_EQ(Evaluate("\"ab\"+\"cd\""), "\"abcd\"");
    EXPECT_EQ(Evaluate("3+\"ab\""), "\"3ab\"");
    EXPECT_EQ(Evaluate("\"x\"+2.50"), "\"x2.50\"");
    EXPECT_EQ(Evaluate("{1,2}+\"x\""), "{\"1x\",\"2x\"}");
}

TEST_F(ArithmeticTest, FailuresCarryTheirMessages) {
    EXPECT_EQ(Failure("{1,2}*{3}"), "Operation does not support two lists.");
    EXPECT_EQ(Failure("\"s\"*2"), "Operation does not support strings.");
    EXPECT_EQ(Failure("{1,\"s\"}*2"), "Operation does not support strings.");
    EXPECT_EQ(Failure("7/0"), "Division by 0 is not allowed.");
    EXPECT_EQ(Failure("7%0"), "Division by 0 is not allowed.");
    EXPECT_EQ(Failure("7.0/0"), "Division by 0 is not allowed.");
    EXPECT_EQ(Failure("7.0%-0.0"), "Division by 0 is not allowed.");
    EXPECT_EQ(Failure("{}*2"), "Too many operands.");
}

// A kernel applied in place gives what its routines give, for both kinds of
// operand text: a row marked with the wrong operation would change results.
TEST(NumberKernels, AppliedInPlaceGiveWhatTheirRoutinesGive) {
    const double values[] = {0.0, -0.0, 1.0, -2.5, 1.0 / 3, 7.0, 1e300, -1e-300, 123456789.125};
    EXPECT_EQ(kDivision.basic, NumberKernel::Basic::kNone);
    EXPECT_EQ(kRemaindering.basic, NumberKernel::Basic::kNone);
    for (const NumberKernel* kernel : {&kAddition, &kSubtraction, &kMultiplication}) {
        for (const double a : values)
            for (const double b : values)
                for (const bool integers : {false, true}) {
                    EXPECT_EQ(std::bit_cast<std::uint64_t>(kernel->Compute(integers, a, b)),
                              std::bit_cast<std::uint64_t>(kernel->For(integers)(a, b)))
                        << a << " " << b;
                }
    }
}

TEST(IntegerRoutines, TheOneOverflowingQuotientGetsItsTrueValue) {
    EXPECT_EQ(IntegerDivide(-2147483648.0, -1), 2147483648.0);
    EXPECT_EQ(IntegerRemainder(-2147483648.0, -1), 0);
    EXPECT_EQ(IntegerDivide(-7, -1), 7);
    EXPECT_EQ(IntegerRemainder(-7, 2), -1);
}

TEST(RoundHalfAway, RoundsAndKeepsTheLow32Bits) {
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(0.49), 0);
    EXPECT_EQ(RoundHalfAway(-0.49), 0);
    EXPECT_EQ(RoundHalfAway(4294967303.0), 7);
    EXPECT_EQ(RoundHalfAway(2147483648.0), -2147483647 - 1);
    EXPECT_EQ(RoundHalfAway(-2147483649.0), 2147483647);
    EXPECT_EQ(RoundHalfAway(-4294967303.0), -7);
}

// Adding one half before truncating would round these sums themselves.
TEST(RoundHalfAway, DecidesByTheExactFraction) {
    EXPECT_EQ(RoundHalfAway(0.49999999999999994), 0);
    EXPECT_EQ(RoundHalfAway(-0.49999999999999994), 0);
    EXPECT_EQ(RoundHalfAway(4503599627370497.0), 1);
    EXPECT_EQ(RoundHalfAway(-4503599627370497.0), -1);
}

// Whole values below 2^63 take their 64-bit integer's low bits, the others
// fmod's: both roads agree on either side of the border.
TEST(RoundHalfAway, AgreesOnBothSidesOfTheSixtyFourBitBorder) {
    EXPECT_EQ(RoundHalfAway(9e18), -494665728);
    EXPECT_EQ(RoundHalfAway(9223372036854774784.0), -1024);
    EXPECT_EQ(RoundHalfAway(-9223372036854775808.0), 0);
    EXPECT_EQ(RoundHalfAway(1e19), -1981284352);
    EXPECT_EQ(RoundHalfAway(-1e19), 1981284352);
}

TEST(RoundHalfAway, IsDefinedBeyondTheSixtyFourBitRange) {
    EXPECT_EQ(RoundHalfAway(std::ldexp(1.0, 63)), 0);
    EXPECT_EQ(RoundHalfAway(std::ldexp(1.0, 70) + std::ldexp(1.0, 20)), 1 << 20);
    EXPECT_EQ(RoundHalfAway(-std::ldexp(1.0, 64) - std::ldexp(1.0, 12)), -4096);
    EXPECT_EQ(RoundHalfAway(1e300), 0);
    EXPECT_EQ(RoundHalfAway(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(RoundHalfAway(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(RoundHalfAway(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace expreval
