#include "ops/builtins.h"

#include <cstddef>
#include <mutex>

#include "ops/ops.h"
#include "symbols/tables.h"

namespace expreval {

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

// A function's row: its handler, and the work on one number that the
// handler applies, which the evaluator's own arithmetic may apply too.
struct FunctionRow {
    const char* key;  // the name, lower-case
    Handler handler;
    RawFunction number;
};

constexpr FunctionRow kFunctionRows[] = {
    {"cos", Cosine, Cos},           {"cot", Cotangent, GuardedCot}, {"csc", Cosecant, GuardedCsc},
    {"log", Logarithm, GuardedLog}, {"sec", Secant, GuardedSec},    {"sin", Sine, Sin},
    {"tan", Tangent, GuardedTan},
};
static_assert(Ascending(kFunctionRows));

// Everything the evaluator knows of an operator. An assignment's row says
// so: it evaluates its right operand before anything else. A compound
// assignment's handler applies the handler of the operator it is made from.
struct OperatorRow {
    const char* key;  // the symbol
    Handler handler;
    int precedence;
    const NumberKernel* numbers = nullptr;  // the work on two numbers, if plain arithmetic
    Assigns assigns = Assigns::kNothing;
    ElementJoin elementJoin = ElementJoin::kNone;
    NumberPredicate compares = nullptr;  // the test of two numbers, if a comparison
};

constexpr int kAssignmentPrecedence = 15;

constexpr OperatorRow Assignment(const char* key, Handler handler) {
    return OperatorRow{key, handler, kAssignmentPrecedence, nullptr, Assigns::kValue};
}

constexpr OperatorRow CompoundAssignment(const char* key, Handler handler) {
    return OperatorRow{key, handler, kAssignmentPrecedence, nullptr, Assigns::kComputed};
}

constexpr OperatorRow Comparison(const char* key, Handler handler, int precedence,
                                 NumberPredicate compares) {
    return OperatorRow{key,     handler, precedence, nullptr, Assigns::kNothing, ElementJoin::kNone,
                       compares};
}

constexpr OperatorRow kOperatorRows[] = {
    Comparison("!=", NotEqual, 8, IsNotEqual),
    {"!~", DoesNotMatch, 3},
    {"%", Remainder, 4, &kRemaindering},
    CompoundAssignment("%=", CompoundAssign<Remainder>),
    {"&", BitwiseAnd, 9},
    Comparison("&&", LogicalAnd, 12, AreBothTrue),
    CompoundAssignment("&=", CompoundAssign<BitwiseAnd>),
    {"*", Multiply, 4, &kMultiplication},
    CompoundAssignment("*=", CompoundAssign<Multiply>),
    {"+", Add, 5, &kAddition, Assigns::kNothing, ElementJoin::kStrings},
    CompoundAssignment("+=", CompoundAssign<Add>),
    {"-", Subtract, 5, &kSubtraction},
    CompoundAssignment("-=", CompoundAssign<Subtract>),
    {".", Concatenate, 5, nullptr, Assigns::kNothing, ElementJoin::kStringsAndNumbers},
    CompoundAssignment(".=", CompoundAssign<Concatenate>),
    {"/", Divide, 4, &kDivision},
    CompoundAssignment("/=", CompoundAssign<Divide>),
    Comparison("<", Less, 7, IsLess),
    Comparison("<=", LessOrEqual, 7, IsLessOrEqual),
    Assignment("=", Assign),
    Comparison("==", Equal, 8, IsEqual),
    {"=~", Matches, 3},
    Comparison(">", Greater, 7, IsGreater),
    Comparison(">=", GreaterOrEqual, 7, IsGreaterOrEqual),
    {"^", BitwiseXor, 10},
    CompoundAssignment("^=", CompoundAssign<BitwiseXor>),
    {"|", BitwiseOr, 11},
    CompoundAssignment("|=", CompoundAssign<BitwiseOr>),
    Comparison("||", LogicalOr, 13, IsEitherTrue),
};
static_assert(Ascending(kOperatorRows));

// Each creates its table and appends the built-in rows: only once, by
// EnsureBuiltInTables.
void BuildFunctionTable() {
    g_functions = new SymbolList<Function>();
    for (const FunctionRow& row : kFunctionRows) {
        g_functions->Append(new Function(row.key, row.handler))->number = row.number;
    }
}

void BuildOperatorTable() {
    g_operators = new SymbolList<Operator>();
    for (const OperatorRow& row : kOperatorRows) {
        Operator* op = g_operators->Append(new Operator(row.key, row.handler, row.precedence));
        op->numbers = row.numbers;
        op->compares = row.compares;
        op->assigns = row.assigns;
        op->elementJoin = row.elementJoin;
    }
}

}  // namespace

void EnsureBuiltInTables() {
    static std::once_flag built;
    std::call_once(built, [] {
        BuildFunctionTable();
        BuildOperatorTable();
    });
}

}  // namespace expreval
