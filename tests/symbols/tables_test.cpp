#include "symbols/tables.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/evaluation.h"
#include "symbols/lookup_cache.h"

namespace expreval {
namespace {

using testing::WithBuiltInTables;

// Find stops at the first key that is not less, so the lists must be in
// ascending byte order; the stored order is checked record by record.
template <typename Record, typename Key>
std::vector<std::string> StoredKeys(const SymbolList<Record>& list, Key key) {
    std::vector<std::string> keys;
    for (const Record* p = list.Sentinel()->next; p != list.Sentinel(); p = p->next)
        keys.push_back(p->*key);
    return keys;
}

using BuiltInTables = WithBuiltInTables;

TEST_F(BuiltInTables, HoldTheSevenFunctionsInOrder) {
    const std::vector<std::string> expected = {"cos", "cot", "csc", "log", "sec", "sin", "tan"};
    EXPECT_EQ(StoredKeys(*g_functions, &Function::name), expected);
    for (const std::string& name : expected) {
        const Function* function = FindFunction(TestContext(), name);
        ASSERT_NE(function, nullptr) << name;
        EXPECT_NE(function->handler, nullptr) << name;
    }
}

TEST_F(BuiltInTables, HoldTheTwentyNineOperatorsInByteOrderWithTheirPrecedences) {
    const std::vector<std::pair<std::string, int>> expected = {
        {"!=", 8},  {"!~", 3},  {"%", 4},   {"%=", 15}, {"&", 9},   {"&&", 12},
        {"&=", 15}, {"*", 4},   {"*=", 15}, {"+", 5},   {"+=", 15}, {"-", 5},
        {"-=", 15}, {".", 5},   {".=", 15}, {"/", 4},   {"/=", 15}, {"<", 7},
        {"<=", 7},  {"=", 15},  {"==", 8},  {"=~", 3},  {">", 7},   {">=", 7},
        {"^", 10},  {"^=", 15}, {"|", 11},  {"|=", 15}, {"||", 13},
    };
    std::vector<std::string> symbols;
    std::vector<Handler> handlers;
    for (const auto& [symbol, precedence] : expected) {
        symbols.push_back(symbol);
        const Operator* op = FindOperator(TestContext(), symbol);
        ASSERT_NE(op, nullptr) << symbol;
        EXPECT_EQ(op->precedence, precedence) << symbol;
        ASSERT_NE(op->handler, nullptr) << symbol;
        for (Handler other : handlers)
            EXPECT_NE(op->handler, other) << symbol << " shares a handler";
        handlers.push_back(op->handler);
    }
    EXPECT_EQ(StoredKeys(*g_operators, &Operator::symbol), symbols);
}

TEST_F(BuiltInTables, FindNothingElse) {
    for (const char* symbol : {",", "(", "**", "=<", "!", "~", "==="})
        EXPECT_EQ(FindOperator(TestContext(), symbol), nullptr) << symbol;
    EXPECT_EQ(FindFunction(TestContext(), "sqrt"), nullptr);
    EXPECT_EQ(FindFunction(TestContext(), "si"), nullptr);
    // Keys are lower-cased like the stored names.
    EXPECT_NE(FindFunction(TestContext(), "SIN"), nullptr);
}

// Lends g_variables a list of the test's own while it lives, so that the
// shared variables of the other tests stay as they are.
struct OwnVariables {
    SymbolList<Variable> list;
    SymbolList<Variable>* shared = std::exchange(g_variables, &list);
    ~OwnVariables() { g_variables = shared; }
};

TEST_F(BuiltInTables, ResetVariablesLeavesOnlyZurpAsAtStartUp) {
    const OwnVariables own;
    SetVariable("a", "1");
    SetVariable("zurp", "{1}");
    ResetVariables();
    EXPECT_EQ(StoredKeys(own.list, &Variable::name), std::vector<std::string>{"zurp"});
    EXPECT_EQ(FindVariable(TestContext(), "zurp")->value, "{1,2,3,4,5}");
}

// Names without capitals are stored with one walk of their own, the others
// through a record; both keep the order and replace values in place.
TEST_F(BuiltInTables, SetVariableStoresInOrderAndReplacesInPlace) {
    const OwnVariables own;
    SetVariable("zurp", "{1,2,3,4,5}");
    SetVariable("x", "1");
    SetVariable("B", "2");
    const Variable* x = FindVariable(TestContext(), "x");
    SetVariable("X", "3");
    SetVariable("a", "4");
    SetVariable("zz", "5");
    EXPECT_EQ(StoredKeys(own.list, &Variable::name),
              (std::vector<std::string>{"a", "b", "x", "zurp", "zz"}));
    EXPECT_EQ(FindVariable(TestContext(), "x"), x);
    EXPECT_EQ(x->value, "3");
    SetVariable("b", "6");
    EXPECT_EQ(FindVariable(TestContext(), "B")->value, "6");
    EXPECT_EQ(own.list.Sentinel()->previous->name, "zz");
}

// A remembered lookup answers only for the same key in the same list state:
// keys that share their first bytes, a removed record, another list.
TEST(LookupCache, FindsWhatTheListHolds) {
    SymbolList<Variable> list;
    SymbolList<Variable> other;
    LookupCache<Variable> cache;
    for (const char* name : {"abcdefghij", "abcdefghijk", "ab"})
        StoreVariable(list, name, "1");
    StoreVariable(other, "abcdefghij", "2");
    for (int round = 0; round < 2; ++round) {
        for (const char* name : {"abcdefghij", "abcdefghijk", "abcdefghijx", "ab", "a"})
            EXPECT_EQ(FindVariableIn(cache, list, name), FindVariableIn(list, name)) << name;
    }
    EXPECT_EQ(FindVariableIn(cache, other, "abcdefghij")->value, "2");
    list.Remove(list.Find(Variable("abcdefghij", "")));
    EXPECT_EQ(FindVariableIn(cache, list, "abcdefghij"), nullptr);
}

// A host that forgets to build the tables gets them built on its first call,
// not a crash. The built-in ones are built once for the process; the
// variables are the host's to start.
class WithoutTables : public ::testing::Test {
  protected:
    void SetUp() override {
        UseBuiltInTables();  // first, so that the other tests find them later
        variables_ = std::exchange(g_variables, nullptr);
    }
    void TearDown() override {
        const std::unique_ptr<SymbolList<Variable>> variables(
            std::exchange(g_variables, variables_));
    }

  private:
    SymbolList<Variable>* variables_ = nullptr;
};

TEST_F(WithoutTables, EvaluateBuildsThem) {
    EXPECT_EQ(Evaluate("zurp*2"), "{2,4,6,8,10}");
}

TEST_F(WithoutTables, SetVariableBuildsThem) {
    SetVariable("Rate", "3");
    EXPECT_EQ(Evaluate("rate*zurp"), "{3,6,9,12,15}");
}

}  // namespace
}  // namespace expreval
