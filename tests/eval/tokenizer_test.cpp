#include "eval/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

// Records the events as "operand text", "op symbol", "(" and ")".
class Recorder final : public TokenEvents {
  public:
    void Operand(const Token& token) override { events.push_back(std::string(token.text)); }
    void OperatorToken(std::string_view symbol) override {
        events.push_back("op " + std::string(symbol));
    }
    void OpenGroup() override { events.push_back("("); }
    void CloseGroup() override { events.push_back(")"); }

    std::vector<std::string> events;
};

std::vector<std::string> Events(const std::string& text) {
    UseBuiltInTables();
    Recorder recorder;
    Scan(TestContext(), text, recorder);
    return recorder.events;
}

using V = std::vector<std::string>;

TEST(Tokenizer, CutsOperandsAndOperators) {
    EXPECT_EQ(Events("x=2*(3+4)"), (V{"x", "op =", "2", "op *", "(", "3", "op +", "4", ")"}));
    EXPECT_EQ(Events("a<=b!=c"), (V{"a", "op <=", "b", "op !=", "c"}));
    EXPECT_EQ(Events("\"a+b\"+{1,\"2\"}"), (V{"\"a+b\"", "op +", "{1,\"2\"}"}));
}

TEST(Tokenizer, InsertsImpliedMultiplication) {
    EXPECT_EQ(Events("2x"), (V{"2", "op *", "x"}));
    EXPECT_EQ(Events("2(3)"), (V{"2", "op *", "(", "3", ")"}));
    EXPECT_EQ(Events("x(3)"), (V{"x", "op *", "(", "3", ")"}));
    EXPECT_EQ(Events("(2)3"), (V{"(", "2", ")", "op *", "3"}));
    EXPECT_EQ(Events("{1}{2}"), (V{"{1}", "op *", "{2}"}));
    EXPECT_EQ(Events("\"a\"\"b\""), (V{"\"a\"", "op *", "\"b\""}));
    EXPECT_EQ(Events("1.\"s\""), (V{"1.", "op *", "\"s\""}));
}

TEST(Tokenizer, AFunctionNameBeforeAParenthesisIsOneCallToken) {
    EXPECT_EQ(Events("sin(3)+1"), (V{"sin(3)", "op +", "1"}));
    EXPECT_EQ(Events("sin(2*(3+4))x"), (V{"sin(2*(3+4))", "op *", "x"}));
    EXPECT_EQ(Events("log(\")\")"), (V{"log(\")\")"}));
    EXPECT_EQ(Events("2cos(0)"), (V{"2", "op *", "cos(0)"}));
    EXPECT_EQ(Events("sine(1)"), (V{"sine", "op *", "(", "1", ")"}));
    try {
        Events("1+sin(2*(3)");
        FAIL();
    } catch (const Exception& failure) {
        EXPECT_EQ(failure.message, "Parameter list not closed.");
    }
}

TEST(Tokenizer, MinusBelongsToANumberOnlyInOperandPosition) {
    EXPECT_EQ(Events("3--2"), (V{"3", "op -", "-2"}));
    EXPECT_EQ(Events("(1+2)-3"), (V{"(", "1", "op +", "2", ")", "op -", "3"}));
    EXPECT_EQ(Events("x=-1"), (V{"x", "op =", "-1"}));
    EXPECT_EQ(Events("-.5"), (V{"-.5"}));
    EXPECT_THROW(Events("-x"), Exception);
    EXPECT_THROW(Events("-(1)"), Exception);
    try {
        Events("2*-");
        FAIL();
    } catch (const Exception& failure) {
        EXPECT_EQ(failure.message, "Negative sign missing number.");
    }
}

TEST(Tokenizer, NumberTakesOnePointAndOneExponent) {
    EXPECT_EQ(Events("1e+5"), (V{"1e+5"}));
    EXPECT_EQ(Events("1e-5*2"), (V{"1e-5", "op *", "2"}));
    EXPECT_EQ(Events("1.5.2"), (V{"1.5", "op .", "2"}));
    EXPECT_EQ(Events("2e3e4"), (V{"2e3", "op *", "e4"}));
    EXPECT_EQ(Events(".5"), (V{"op .", "5"}));
    EXPECT_EQ(Events("1e"), V{});  // the exponent's character is the end marker
}

TEST(Tokenizer, OperatorRunsStopAtOperandCharacters) {
    EXPECT_EQ(Events("1*)"), (V{"1", "op *)"}));
    EXPECT_EQ(Events("1+-2"), (V{"1", "op +", "-2"}));
    EXPECT_EQ(Events("1+"), (V{"1", "op +"}));
    EXPECT_EQ(Events("1$#2"), (V{"1", "op $#", "2"}));
}

TEST(Tokenizer, StringsAndListsEndAtTheirFirstCloser) {
    EXPECT_EQ(Events("\"a\\\"b\""), (V{"\"a\\\"b\""}));  // backslash keeps it open
    EXPECT_EQ(Events("{\"}\"}"), (V{"{\"}", "op *"}));   // then an unclosed string
    EXPECT_EQ(Events("{1,{2}}"), (V{"{1,{2}", "op }"}));
    EXPECT_EQ(Events("\"open"), V{});
    EXPECT_EQ(Events("{1,2"), V{});
    EXPECT_EQ(Events("\"a\\"), V{});
}

}  // namespace
}  // namespace expreval
