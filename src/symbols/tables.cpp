#include "symbols/tables.h"

#include <utility>

#include "ops/ops.h"

namespace expreval {

SymbolList<Function>* g_functions = nullptr;
SymbolList<Operator>* g_operators = nullptr;
SymbolList<Variable>* g_variables = nullptr;

namespace {

struct FunctionRow {
    const char* name;
    Handler handler;
};

// Rows in ascending byte order of their names: Find relies on it.
constexpr FunctionRow kFunctionRows[] = {
    {"cos", Cosine}, {"cot", Cotangent}, {"csc", Cosecant}, {"log", Logarithm},
    {"sec", Secant}, {"sin", Sine},      {"tan", Tangent},
};

struct OperatorRow {
    const char* symbol;
    Handler handler;
    int precedence;
};

// Rows in ascending byte order of their symbols: Find relies on it.
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

constexpr char kPredefinedName[] = "zurp";
constexpr char kPredefinedValue[] = "{1,2,3,4,5}";

}  // namespace

void BuildFunctionTable() {
    g_functions = new SymbolList<Function>();
    for (const FunctionRow& row : kFunctionRows) {
        g_functions->Append(new Function(row.name, row.handler));
    }
}

void BuildOperatorTable() {
    g_operators = new SymbolList<Operator>();
    for (const OperatorRow& row : kOperatorRows) {
        g_operators->Append(new Operator(row.symbol, row.handler, row.precedence));
    }
}

void BuildSymbolTables() {
    g_variables = new SymbolList<Variable>();
    BuildFunctionTable();
    BuildOperatorTable();
    SetVariable(kPredefinedName, kPredefinedValue);
}

void ResetVariables() {
    g_variables->Clear();
    SetVariable(kPredefinedName, kPredefinedValue);
}

const Function* FindFunction(const std::string& name) {
    const Function* found = g_functions->Find(Function(name, nullptr));
    return found == g_functions->Sentinel() ? nullptr : found;
}

const Operator* FindOperator(const std::string& symbol) {
    const Operator* found = g_operators->Find(Operator(symbol, nullptr, 0));
    return found == g_operators->Sentinel() ? nullptr : found;
}

const Variable* FindVariable(const std::string& name) {
    const Variable* found = g_variables->Find(Variable(name, std::string()));
    return found == g_variables->Sentinel() ? nullptr : found;
}

void SetVariable(std::string name, std::string value) {
    g_variables->InsertOrReplace(new Variable(std::move(name), std::move(value)));
}

}  // namespace expreval
