#include <gtest/gtest.h>

#include <string>

#include "ops/ops.h"
#include "support/evaluation.h"
#include "support/handlers.h"

namespace expreval {
namespace {

using testing::FailureOf;
using testing::WithBuiltInTables;

using AssignmentTest = WithBuiltInTables;

std::string ValueOf(const std::string& name) {
    const Variable* variable = FindVariable(TestContext(), name);
    return variable == nullptr ? "(none)" : variable->value;
}

TEST_F(AssignmentTest, StoresTheRightValueAsWrittenAndReturnsIt) {
    EXPECT_EQ(Assign("asgplain", "5.0", TestContext()), "5.0");
    EXPECT_EQ(ValueOf("asgplain"), "5.0");
    EXPECT_EQ(Assign("asgcopy", "asgplain", TestContext()), "5.0");
    Assign("asgplain", "7", TestContext());
    EXPECT_EQ(ValueOf("asgcopy"), "5.0");
}

TEST_F(AssignmentTest, TestsOnlyTheFirstCharacterOfTheName) {
    EXPECT_EQ(FailureOf("5=1"), "5 is not a valid variable name.");
    EXPECT_EQ(FailureOf("\"s\"=1"), "\"s\" is not a valid variable name.");
    EXPECT_EQ(FailureOf("{1}=1"), "{1} is not a valid variable name.");
    EXPECT_EQ(FailureOf("-1=1"), "-1 is not a valid variable name.");
    EXPECT_EQ(Assign("x1asg", "2", TestContext()), "2");
}

TEST_F(AssignmentTest, EvaluatesTheRightOperandBeforeTestingTheName) {
    EXPECT_EQ(FailureOf("5=asgundefined"), "Variable asgundefined does not exist.");
}

TEST_F(AssignmentTest, ChainedAssignmentStoresTheFirstThenRejectsItsValue) {
    Evaluate("asgb=3");
    EXPECT_EQ(FailureOf("asga=asgb=4"), "3 is not a valid variable name.");
    EXPECT_EQ(ValueOf("asga"), "3");
    EXPECT_EQ(ValueOf("asgb"), "3");
}

TEST_F(AssignmentTest, CompoundFormsStoreTheUnderlyingResult) {
    Evaluate("asgn=6");
    EXPECT_EQ(CompoundAssign<Add>("asgn", "1", TestContext()), "7");
    EXPECT_EQ(CompoundAssign<Subtract>("asgn", "2", TestContext()), "5");
    EXPECT_EQ(CompoundAssign<Multiply>("asgn", "4", TestContext()), "20");
    EXPECT_EQ(CompoundAssign<Remainder>("asgn", "6", TestContext()), "2");
    EXPECT_EQ(CompoundAssign<BitwiseOr>("asgn", "5", TestContext()), "7");
    EXPECT_EQ(CompoundAssign<BitwiseAnd>("asgn", "12", TestContext()), "4");
    EXPECT_EQ(CompoundAssign<BitwiseXor>("asgn", "6", TestContext()), "2");
    EXPECT_EQ(CompoundAssign<Concatenate>("asgn", "5", TestContext()), "25");
    EXPECT_EQ(ValueOf("asgn"), "25");
}

TEST_F(AssignmentTest, CompoundDivisionChoosesByTheNameAndTheRightValue) {
    Evaluate("asgx=7.5");
    Evaluate("asgtwo=2");
    EXPECT_EQ(CompoundAssign<Divide>("asgx", "asgtwo", TestContext()), "4.");
    Evaluate("asgx=7.5");
    EXPECT_EQ(CompoundAssign<Divide>("asgx", "2.0", TestContext()), "3.75");
    // A name with an e is not an integer text.
    Evaluate("asgrate=7.5");
    EXPECT_EQ(CompoundAssign<Divide>("asgrate", "asgtwo", TestContext()), "3.75");
}

TEST_F(AssignmentTest, CompoundFormOfAnUndefinedNameCreatesNothing) {
    EXPECT_EQ(FailureOf("asgmissing+=1"), "Variable asgmissing does not exist.");
    EXPECT_EQ(FindVariable(TestContext(), "asgmissing"), nullptr);
}

TEST_F(AssignmentTest, AFailingCompoundFormKeepsTheOldValue) {
    Evaluate("asgkeep=4");
    EXPECT_EQ(FailureOf("asgkeep/=0"), "Division by 0 is not allowed.");
    EXPECT_EQ(FailureOf("asgkeep-=\"a\""), "Operation does not support strings.");
    EXPECT_EQ(ValueOf("asgkeep"), "4");
}

}  // namespace
}  // namespace expreval
