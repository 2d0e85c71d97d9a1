#include "symbols/tables.h"

#include <cstddef>
#include <mutex>
#include <utility>

#include "expreval/expreval.h"  // its declarations export what is defined here
#include "ops/ops.h"
#include "symbols/lookup_cache.h"

namespace expreval {

SymbolList<Function>* g_functions = nullptr;
SymbolList<Operator>* g_operators = nullptr;
SymbolList<Variable>* g_variables = nullptr;

namespace {

// Find relies on the rows' keys ascending in byte order, which Append does
// not check: a row added out of its place fails the build.
template <typename Row, std::size_t kCount>
constexpr bool Ascending(const Row (&rows)[kCount]) {
    for (std::size_t i = 1; i < kCount; ++i) {
        if (!KeyTextLess(rows[i - 1].key, rows[i].key))
            return false;
    }
    return true;
}

struct FunctionRow {
    const char* key;  // the name, lower-case
    Handler handler;
};

constexpr FunctionRow kFunctionRows[] = {
    {"cos", Cosine}, {"cot", Cotangent}, {"csc", Cosecant}, {"log", Logarithm},
    {"sec", Secant}, {"sin", Sine},      {"tan", Tangent},
};
static_assert(Ascending(kFunctionRows));

struct OperatorRow {
    const char* key;  // the symbol
    Handler handler;
    int precedence;
};

constexpr OperatorRow kOperatorRows[] = {
    {"!=", NotEqual, 8},
    {"!~", DoesNotMatch, 3},
    {"%", Remainder, 4},
    {"%=", RemainderAssign, 15},
    {"&", BitwiseAnd, 9},
    {"&&", LogicalAnd, 12},
    {"&=", AndAssign, 15},
    {"*", Multiply, 4},
    {"*=", MultiplyAssign, 15},
    {"+", Add, 5},
    {"+=", AddAssign, 15},
    {"-", Subtract, 5},
    {"-=", SubtractAssign, 15},
    {".", Concatenate, 5},
    {".=", ConcatenateAssign, 15},
    {"/", Divide, 4},
    {"/=", DivideAssign, 15},
    {"<", Less, 7},
    {"<=", LessOrEqual, 7},
    {"=", Assign, 15},
    {"==", Equal, 8},
    {"=~", Matches, 3},
    {">", Greater, 7},
    {">=", GreaterOrEqual, 7},
    {"^", BitwiseXor, 10},
    {"^=", XorAssign, 15},
    {"|", BitwiseOr, 11},
    {"|=", OrAssign, 15},
    {"||", LogicalOr, 13},
};
static_assert(Ascending(kOperatorRows));

constexpr char kPredefinedName[] = "zurp";
constexpr char kPredefinedValue[] = "{1,2,3,4,5}";

}  // namespace

void BuildFunctionTable() {
    g_functions = new SymbolList<Function>();
    for (const FunctionRow& row : kFunctionRows) {
        g_functions->Append(new Function(row.key, row.handler));
    }
}

void BuildOperatorTable() {
    g_operators = new SymbolList<Operator>();
    for (const OperatorRow& row : kOperatorRows) {
        g_operators->Append(new Operator(row.key, row.handler, row.precedence));
    }
}

void EnsureBuiltInTables() {
    static std::once_flag built;
    std::call_once(built, [] {
        BuildFunctionTable();
        BuildOperatorTable();
    });
}

void DefinePredefinedVariables(SymbolList<Variable>& list) {
    StoreVariable(list, kPredefinedName, kPredefinedValue);
}

void BuildSymbolTables() {
    EnsureBuiltInTables();
    if (g_variables == nullptr)
        g_variables = new SymbolList<Variable>();
    ResetVariables();
}

void EnsureSymbolTables() {
    if (g_variables == nullptr)
        BuildSymbolTables();
}

void ResetVariables() {
    g_variables->Clear();
    DefinePredefinedVariables(*g_variables);
}

namespace {

bool HasCapital(std::string_view text) {
    for (const char ch : text) {
        if (ch >= 'A' && ch <= 'Z')
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
    return found == list.Sentinel() ? nullptr : found;
}

const Operator* LookUpOperator(std::string_view symbol) {
    return Lookup(*g_operators, symbol,
                  [](std::string key) { return Operator(std::move(key), nullptr, 0); });
}

const Function* LookUpFunction(std::string_view name) {
    return Lookup(*g_functions, name,
                  [](std::string key) { return Function(std::move(key), nullptr); });
}

// Each thread fills caches of its own.
constinit thread_local LookupCache<Operator> t_operatorCache;
constinit thread_local LookupCache<Function> t_functionCache;

}  // namespace

namespace {

// Out of line: the built-in functions' lookup stays small.
[[gnu::noinline]] const Function* FindHostFunction(const SymbolList<Function>& hosts,
                                                   std::string_view name) {
    if (hosts.Sentinel()->next == hosts.Sentinel())
        return nullptr;
    return Lookup(hosts, name, [](std::string key) { return Function(std::move(key), nullptr); });
}

}  // namespace

// A host's function cannot have a built-in one's name, so the order of the
// two lookups changes no answer; the built-in one comes first for speed.
const Function* FindFunction(std::string_view name) {
    const Function* builtIn = t_functionCache.Find(g_functions, name, LookUpFunction);
    if (builtIn != nullptr || t_session == nullptr)
        return builtIn;
    return FindHostFunction(t_session->functions, name);
}

const Operator* FindOperator(std::string_view symbol) {
    return t_operatorCache.Find(g_operators, symbol, LookUpOperator);
}

namespace {

Variable VariableKey(std::string key) {
    return Variable(std::move(key), std::string());
}

}  // namespace

const Variable* FindVariableIn(const SymbolList<Variable>& list, std::string_view name) {
    return Lookup(list, name, VariableKey);
}

const Variable* FindVariable(std::string_view name) {
    return Lookup(CurrentVariables(), name, VariableKey);
}

bool IsBuiltInFunction(std::string_view name) {
    return LookUpFunction(name) != nullptr;
}

// The list's own insert: the value goes to the variable of that name, or a
// new record takes its place in the order.
void StoreVariable(SymbolList<Variable>& list, std::string&& name, std::string&& value) {
    list.InsertOrReplace(Variable(std::move(name), std::move(value)));
}

void SetVariable(std::string name, std::string value) {
    if (t_session == nullptr)
        EnsureSymbolTables();
    StoreVariable(CurrentVariables(), std::move(name), std::move(value));
}

}  // namespace expreval
