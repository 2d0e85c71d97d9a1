#include "symbols/symbol_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "symbols/records.h"

namespace expreval {
namespace {

// Names from first to last, checking the backward links on the way.
std::vector<std::string> Names(const SymbolList<Variable>& list) {
    std::vector<std::string> names;
    const Variable* sentinel = list.Sentinel();
    for (const Variable* p = sentinel->next; p != sentinel; p = p->next) {
        EXPECT_EQ(p->next->previous, p);
        names.push_back(p->name);
    }
    return names;
}

const Variable* Lookup(const SymbolList<Variable>& list, const std::string& name) {
    return list.Find(Variable(name, ""));
}

TEST(SymbolList, EmptyListFindsOnlyTheSentinel) {
    const SymbolList<Variable> list;
    EXPECT_EQ(Lookup(list, "x"), list.Sentinel());
    EXPECT_EQ(Lookup(list, ""), list.Sentinel());
    EXPECT_EQ(list.Sentinel()->next, list.Sentinel());
}

TEST(SymbolList, InsertOrReplaceKeepsByteOrder) {
    SymbolList<Variable> list;
    list.InsertOrReplace(new Variable("x", "1"));
    list.InsertOrReplace(new Variable("b", "2"));
    list.InsertOrReplace(new Variable("zurp", "{1,2,3,4,5}"));
    list.InsertOrReplace(new Variable("a", "3"));
    list.InsertOrReplace(new Variable("\xE9", "4"));  // high bytes sort last
    list.InsertOrReplace(new Variable("Zz", "5"));    // folded to zz
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "x", "zurp", "zz", "\xE9"}));
    EXPECT_EQ(list.Sentinel()->previous->name, "\xE9");
}

TEST(SymbolList, ReplacingKeepsTheStoredRecordInPlace) {
    SymbolList<Variable> list;
    list.InsertOrReplace(new Variable("x", "5"));
    const Variable* first = Lookup(list, "x");
    list.InsertOrReplace(new Variable("b", "2"));
    const Variable* stored = list.InsertOrReplace(new Variable("X", "7"));
    EXPECT_EQ(stored, first);
    EXPECT_EQ(Lookup(list, "x")->value, "7");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b", "x"}));
}

TEST(SymbolList, FindStopsAtTheKeysPlaceInTheOrder) {
    SymbolList<Variable> list;
    list.InsertOrReplace(new Variable("m", "1"));
    list.InsertOrReplace(new Variable("mm", "2"));
    EXPECT_EQ(Lookup(list, "a"), list.Sentinel());
    EXPECT_EQ(Lookup(list, "ma"), list.Sentinel());
    EXPECT_EQ(Lookup(list, "z"), list.Sentinel());
    EXPECT_EQ(Lookup(list, "MM")->value, "2");
}

TEST(SymbolList, AppendAndInsertBeforeIgnoreNull) {
    SymbolList<Variable> list;
    EXPECT_EQ(list.Append(nullptr), nullptr);
    Variable notTaken("never", "");
    EXPECT_EQ(list.InsertBefore(nullptr, &notTaken), nullptr);
    EXPECT_EQ(list.InsertBefore(list.Sentinel(), nullptr), nullptr);
    Variable* c = list.Append(new Variable("c", ""));
    list.InsertBefore(c, new Variable("a", ""));
    list.Append(new Variable("d", ""));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "c", "d"}));
}

TEST(SymbolList, ClearLeavesAnEmptyListThatStillWorks) {
    SymbolList<Variable> list;
    list.Append(new Variable("a", ""));
    list.Append(new Variable("b", ""));
    list.Clear();
    EXPECT_EQ(Names(list), std::vector<std::string>{});
    EXPECT_EQ(Lookup(list, "a"), list.Sentinel());
    list.InsertOrReplace(new Variable("c", ""));
    list.Append(new Variable("d", ""));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "d"}));
}

}  // namespace
}  // namespace expreval
