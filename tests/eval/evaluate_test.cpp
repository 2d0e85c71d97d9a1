#include "eval/evaluate.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "support/tables.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

class EvaluateTest : public ::testing::Test {
  protected:
    void SetUp() override { UseBuiltInTables(); }

    static std::string Failure(const std::string& expression) {
        try {
            Evaluate(expression);
        } catch (const Exception& failure) {
            return failure.message;
        }
        return "no failure";
    }
};

TEST_F(EvaluateTest, AppliesByPrecedenceAndGroupsFromTheLeft) {
    EXPECT_EQ(Evaluate("1+2*3"), "7");
    EXPECT_EQ(Evaluate("2*3+1"), "7");
    EXPECT_EQ(Evaluate("1+2*3-4"), "3");
    EXPECT_EQ(Evaluate("8-3-2"), "3");
    EXPECT_EQ(Evaluate("16/4/2"), "2");
    EXPECT_EQ(Evaluate("(1+2)*3"), "9");
    EXPECT_EQ(Evaluate("((2))"), "2");
    EXPECT_EQ(Evaluate("2(3+4)"), "14");
    EXPECT_EQ(Evaluate(" 1 2 + 1 "), "13");
}

TEST_F(EvaluateTest, ReturnsALoneLiteralAsTyped) {
    EXPECT_EQ(Evaluate("007"), "007");
    EXPECT_EQ(Evaluate("\"Mixed Case\""), "\"Mixed Case\"");
    EXPECT_EQ(Evaluate("{1+1, 2}"), "{1+1,2}");
    EXPECT_EQ(Evaluate("1E5"), "1e5");
    EXPECT_EQ(Evaluate("zurp"), "{1,2,3,4,5}");
    EXPECT_EQ(Evaluate("ZuRp"), "{1,2,3,4,5}");
}

TEST_F(EvaluateTest, ReportsEachFailureWithItsMessage) {
    EXPECT_EQ(Failure(""), "Too many operands.");
    EXPECT_EQ(Failure("+1"), "Not enough operands.");
    EXPECT_EQ(Failure("1+"), "Not enough operands.");
    EXPECT_EQ(Failure(")"), "Missing '('.");
    EXPECT_EQ(Failure("1+2)"), "Missing '('.");
    EXPECT_EQ(Failure("(1+2"), "Operator ( does not exist.");
    EXPECT_EQ(Failure("1 $ 2"), "Operator $ does not exist.");
    EXPECT_EQ(Failure("nothing"), "Variable nothing does not exist.");
    EXPECT_EQ(Failure("Nothing+1"), "Variable nothing does not exist.");
    EXPECT_EQ(Failure("\"open"), "Too many operands.");
    EXPECT_EQ(Failure("1+\"open"), "Not enough operands.");
    EXPECT_EQ(Failure("(1+\"open"), "Not enough operands.");
    EXPECT_EQ(Failure("-x"), "Negative sign missing number.");
}

TEST_F(EvaluateTest, ReportsTheFirstFaultTheScanReaches) {
    // The unknown operator is met before the missing variable is evaluated.
    EXPECT_EQ(Failure("nothing*1+1$2"), "Variable nothing does not exist.");
    EXPECT_EQ(Failure("1$2+nothing"), "Operator $ does not exist.");
}

TEST_F(EvaluateTest, GroupsDoNotCountAsNesting) {
    std::string deep;
    for (int i = 0; i < kMaxNesting + 10; ++i)
        deep = "(1+" + deep;
    deep += "1";
    for (int i = 0; i < kMaxNesting + 10; ++i)
        deep += ")";
    EXPECT_EQ(Evaluate(deep), std::to_string(kMaxNesting + 11));
}

TEST_F(EvaluateTest, ASelfContainingListStopsAtTheNestingLimit) {
    SetVariable("selfref", "{selfref}");
    EXPECT_EQ(Failure("selfref*2"), "Expression nested too deeply.");
    EXPECT_EQ(Failure("2-selfref"), "Expression nested too deeply.");
    EXPECT_EQ(Evaluate("1+1"), "2");  // the count is back to zero
}

// "value " and what evaluate gives, or the failure's message.
template <typename Evaluation>
std::string ValueOrFailure(Evaluation evaluate) {
    try {
        return "value " + evaluate();
    } catch (const Exception& failure) {
        return failure.message;
    }
}

// The console's entries evaluate the line it keeps without copying it where
// they can; value and failure must be
// those of Evaluate. No "=" in the texts: the runs must see the same
// variables.
TEST_F(EvaluateTest, EvaluateTextAgreesWithEvaluate) {
    const std::string pieces[] = {"1",  "2.5", "-", "+", "*",   "(",   ")", " ", "X",    "x",
                                  "\"", "{",   "}", ",", "sin", "Cos", "e", ".", "zurp", "\t"};
    std::uint64_t state = 5;
    for (int n = 0; n < 50000; ++n) {
        std::string text;
        state = state * 6364136223846793005u + 1442695040888963407u;
        for (std::uint64_t bits = state >> 20, length = 1 + bits % 7; length > 0; --length) {
            bits /= 7;
            text += pieces[bits % std::size(pieces)];
            bits /= std::size(pieces);
        }
        const std::string viaCopy = ValueOrFailure([&] { return Evaluate(text); });
        ASSERT_EQ(ValueOrFailure([&] { return EvaluateText(TestContext(), text); }), viaCopy)
            << text;
        // An operand is a view into a longer text: what follows it is not its own.
        const std::string longer = text + "9e5";
        ASSERT_EQ(ValueOrFailure([&] {
                      return EvaluateText(TestContext(),
                                          std::string_view(longer).substr(0, text.size()));
                  }),
                  viaCopy)
            << text;
    }
}

// A host may evaluate before it builds the tables: every entry builds them.
TEST(EvaluateEntries, BuildTheTablesAHostHasNotBuilt) {
    UseBuiltInTables();
    const auto entries = {+[] { return Evaluate("zurp.1"); },
                          +[] {
                              SetVariable("built", "1");
                              return Evaluate("zurp.built");
                          }};
    for (const auto entry : entries) {
        // The built-in tables are built once per process; the variables are
        // what a host that has not built the tables lacks.
        auto* const variables = std::exchange(g_variables, nullptr);
        EXPECT_EQ(entry(), "{11,21,31,41,51}");
        std::unique_ptr<SymbolList<Variable>>(std::exchange(g_variables, variables));
    }
}

}  // namespace
}  // namespace expreval
