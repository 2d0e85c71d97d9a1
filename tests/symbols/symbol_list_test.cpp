#include "symbols/symbol_list.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
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

// Replacing in a list of each record kind, at its first, middle and last
// record: the links must stay whole both ways (a record's assignment that
// copied them would cut the list) and the stored record take the new data.
std::string OldHandler(const Operand&, const Operand&, Context&) {
    return "old";
}
std::string NewHandler(const Operand&, const Operand&, Context&) {
    return "new";
}

struct Kinds {
    static Function* Make(Function*, const std::string& key, bool fresh) {
        return new Function(key, fresh ? NewHandler : OldHandler);
    }
    static Operator* Make(Operator*, const std::string& key, bool fresh) {
        return new Operator(key, fresh ? NewHandler : OldHandler, fresh ? 2 : 1);
    }
    static Variable* Make(Variable*, const std::string& key, bool fresh) {
        return new Variable(key, fresh ? "new" : "old");
    }
    static bool Fresh(const Function& f) { return f.handler == NewHandler; }
    static bool Fresh(const Operator& o) { return o.handler == NewHandler && o.precedence == 2; }
    static bool Fresh(const Variable& v) { return v.value == "new"; }
};

template <typename T>
void ExpectReplacedInPlace(const std::string& replaced) {
    const std::vector<std::string> keys = {"a", "m", "z"};
    SymbolList<T> list;
    for (const std::string& key : keys)
        list.InsertOrReplace(Kinds::Make(static_cast<T*>(nullptr), key, false));
    const T* before = list.FindKey(replaced);
    const auto stamp = list.Stamp();
    const T* stored = list.InsertOrReplace(Kinds::Make(static_cast<T*>(nullptr), replaced, true));
    EXPECT_EQ(stored, before) << replaced;
    EXPECT_NE(list.Stamp(), stamp) << replaced;
    std::vector<std::string> forward;
    std::vector<std::string> backward;
    const T* sentinel = list.Sentinel();
    for (const T* p = sentinel->next; p != sentinel && forward.size() <= keys.size(); p = p->next) {
        forward.emplace_back(T::Key(*p));
        EXPECT_EQ(Kinds::Fresh(*p), T::Key(*p) == replaced) << replaced;
    }
    for (const T* p = sentinel->previous; p != sentinel && backward.size() <= keys.size();
         p = p->previous)
        backward.insert(backward.begin(), std::string(T::Key(*p)));
    EXPECT_EQ(forward, keys) << replaced;
    EXPECT_EQ(backward, keys) << replaced;
}

TEST(SymbolList, ReplacingKeepsEveryKindOfListWhole) {
    for (const char* replaced : {"a", "m", "z"}) {
        ExpectReplacedInPlace<Function>(replaced);
        ExpectReplacedInPlace<Operator>(replaced);
        ExpectReplacedInPlace<Variable>(replaced);
    }
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

// The index beside the links must find what a walk of the links in byte
// order finds: keys that share their first eight bytes, one a prefix of
// another, a zero byte where a shorter key ends, bytes above 0x7F. Keys
// stored anew join the links out of order: they must be in order whenever
// the links are read, also after some were removed, the first of them
// among them, before the links were read again.
TEST(SymbolList, IndexFindsWhatAWalkFinds) {
    using namespace std::string_literals;
    const std::vector<std::string> keys = {
        "abcdefgh", "abcdefghb", "abcdefgha", "abcdefg", "abcdefg\0"s, "abcdefg\0a"s,
        "abcdefgg", "\xE9",      "\x7F",      "a",       "ab",         "abcdefgh\xE9"};
    SymbolList<Variable> list;
    std::vector<std::string> stored;
    // After storing keys[i]: the keys removed (the first of those stored
    // since the last read, then the last; one read before, the newest), and
    // whether the links are read.
    const std::map<std::size_t, std::vector<std::size_t>> removedAfter = {{6, {4, 6}},
                                                                          {11, {10, 2}}};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        list.InsertOrReplace(new Variable(keys[i], keys[i]));
        stored.push_back(keys[i]);
        if (const auto removed = removedAfter.find(i); removed != removedAfter.end()) {
            for (const std::size_t k : removed->second) {
                list.Remove(list.FindKey(keys[k]));
                std::erase(stored, keys[k]);
            }
        }
        if (i == 3 || i == 9) {
            ASSERT_EQ(Names(list).size(), stored.size());
        }
    }
    std::sort(stored.begin(), stored.end());
    ASSERT_EQ(Names(list), stored);
    std::vector<std::string> probes = keys;
    for (const std::string& absent : {""s, "abcdefgi"s, "abcdefgh\0"s, "abcdefga"s, "\xFF"s})
        probes.push_back(absent);
    for (const std::string& probe : probes) {
        const Variable* walk = list.Sentinel()->next;
        while (walk != list.Sentinel() && walk->name < probe)
            walk = walk->next;
        EXPECT_EQ(list.FindKey(probe), walk->name == probe ? walk : list.Sentinel()) << probe;
    }
}

// Names that share a plain std::hash, as anyone can find them (these two
// collide in the GNU library), must not share a slot for that: were many to,
// every probe among them would walk them all. The keyed hash must also be
// SipHash itself: the published values for the key 00..0f.
TEST(SymbolList, NamesChosenToShareAHashDoNot) {
    const SipKey key{0x0706050403020100, 0x0f0e0d0c0b0a0908};
    std::string bytes;
    for (char ch = 0; ch < 15; ++ch)
        bytes.push_back(ch);
    EXPECT_EQ((SipHash<2, 4>(key, "")), 0x726fdb47dd0e0e31u);
    EXPECT_EQ((SipHash<2, 4>(key, bytes)), 0xa129ca6149be45e5u);
    const std::string a = "fgssa7uj6euxfluj";
    const std::string b = "ga296wru5fjvfrm0";
    if (std::hash<std::string_view>{}(a) != std::hash<std::string_view>{}(b))
        GTEST_SKIP() << "this library hashes them apart";
    EXPECT_NE(KeyHashIndex<Variable>::Hash(a), KeyHashIndex<Variable>::Hash(b));
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
    for (const char* name : {"a", "c", "d"})
        EXPECT_EQ(Lookup(list, name)->name, name);  // found, not the sentinel
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

// Removing the first, a middle or the last record: the links stay whole
// both ways, and an append after it links to the right tail (a tail left on
// the removed record would be a freed one).
TEST(SymbolList, RemoveKeepsTheListWholeAtEitherEnd) {
    const std::vector<std::string> keys = {"a", "m", "z"};
    for (const std::string& removed : keys) {
        SymbolList<Variable> list;
        for (const std::string& key : keys)
            list.Append(new Variable(key, ""));
        const auto stamp = list.Stamp();
        list.Remove(list.FindKey(removed));
        EXPECT_NE(list.Stamp(), stamp) << removed;
        EXPECT_EQ(Lookup(list, removed), list.Sentinel()) << removed;
        list.Append(new Variable("zz", ""));
        std::vector<std::string> expected;
        for (const std::string& key : keys) {
            if (key != removed)
                expected.push_back(key);
        }
        expected.push_back("zz");
        EXPECT_EQ(Names(list), expected) << removed;
        EXPECT_EQ(list.Sentinel()->previous->name, "zz") << removed;
        EXPECT_EQ(list.Sentinel()->next->previous, list.Sentinel()) << removed;
    }
}

// A host that adds and removes a variable in a loop must not grow: a removed
// key's index node is reused. (Under the sanitizers the counts read zero.)
TEST(SymbolList, AddingAndRemovingAgainTakesNoMoreMemory) {
    SymbolList<Variable> list;
    const auto churn = [&list](int times) {
        for (int i = 0; i < times; ++i)
            list.Remove(list.InsertOrReplace(new Variable("x", "1")));
    };
    churn(1000);
    const std::size_t before = mallinfo2().uordblks;
    churn(100'000);
    EXPECT_LT(mallinfo2().uordblks, before + 4096);
}

}  // namespace
}  // namespace expreval
