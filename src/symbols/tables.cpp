#include "symbols/tables.h"

#include <cstddef>
#include <utility>

#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

SymbolList<Function>* g_functions = nullptr;
SymbolList<Operator>* g_operators = nullptr;
SymbolList<Variable>* g_variables = nullptr;

namespace {

constexpr char kPredefinedName[] = "zurp";
constexpr char kPredefinedValue[] = "{1,2,3,4,5}";

}  // namespace

void DefinePredefinedVariables(SymbolList<Variable>& list) {
    StoreVariable(list, kPredefinedName, kPredefinedValue);
}

void ResetVariables() {
    g_variables->Clear();
    DefinePredefinedVariables(*g_variables);
}

namespace {

bool HasCapital(std::string_view text) {
    for (const char ch : text) {
        if (IsCapital(ch))
            return true;
    }
    return false;
}

// FoldCase changes capitals only, so a key without any is already what a key
// record would hold, and the list is searched for it directly.
template <typename T, typename MakeKey>
[[gnu::always_inline]] inline const T* Lookup(const SymbolList<T>& list, std::string_view key,
                                              MakeKey makeKey) {
    const T* found = HasCapital(key) ? list.Find(makeKey(std::string(key))) : list.FindKey(key);
    return list.IsSentinel(found) ? nullptr : found;
}

const Function* LookUpFunction(std::string_view name) {
    return Lookup(*g_functions, name,
                  [](std::string key) { return Function(std::move(key), nullptr); });
}

}  // namespace

const Operator* LookUpOperator(std::string_view symbol) {
    return Lookup(*g_operators, symbol,
                  [](std::string key) { return Operator(std::move(key), nullptr, 0); });
}

// Out of line: the built-in functions' lookup stays small.
[[gnu::noinline]] const Function* FindHostFunction(const SymbolList<Function>& hosts,
                                                   std::string_view name) {
    if (hosts.Empty())
        return nullptr;
    return Lookup(hosts, name, [](std::string key) { return Function(std::move(key), nullptr); });
}

// A host's function cannot have a built-in one's name, so the order of the
// two lookups changes no answer; the built-in one comes first for speed.
const Function* FindFunctionIn(LookupCache<Function>& cache, const SessionTables* session,
                               std::string_view name) {
    const Function* builtIn = cache.Find(g_functions, name, LookUpFunction);
    if (builtIn != nullptr || session == nullptr)
        return builtIn;
    return FindHostFunction(session->functions, name);
}

namespace {

Variable VariableKey(std::string key) {
    return Variable(std::move(key), std::string());
}

}  // namespace

const Variable* FindVariableIn(const SymbolList<Variable>& list, std::string_view name) {
    return Lookup(list, name, VariableKey);
}

const Variable* FindVariableIn(LookupCache<Variable>& cache, const SymbolList<Variable>& list,
                               std::string_view name) {
    return cache.Find(list.Membership(), name,
                      [&list](std::string_view key) { return FindVariableIn(list, key); });
}

bool IsBuiltInFunction(std::string_view name) {
    return LookUpFunction(name) != nullptr;
}

// The list's own insert: the value goes to the variable of that name, or a
// new record takes its place in the order. Folded as a record's name is, the
// name is the key; a record is built only for a new one.
void StoreVariable(SymbolList<Variable>& list, std::string&& name, std::string&& value) {
    FoldCase(name);
    list.InsertOrAssign(
        name, [&] { return new Variable(std::move(name), std::move(value)); },
        [&](Variable& stored) { stored.Assign(std::move(value)); });
}

}  // namespace expreval
