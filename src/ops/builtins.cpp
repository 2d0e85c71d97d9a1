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

// The row of the function whose raw work is kRaw.
template <RawFunction kRaw>
constexpr FunctionRow Math(const char* key) {
    return FunctionRow{key, MathFunction<kRaw>, kRaw};
}

constexpr FunctionRow kFunctionRows[] = {
    Math<Cos>("cos"),        Math<GuardedCot>("cot"), Math<GuardedCsc>("csc"),
    Math<GuardedLog>("log"), Math<GuardedSec>("sec"), Math<Sin>("sin"),
    Math<GuardedTan>("tan"),
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

// An arithmetic operator's row, its handler made from its kernel.
template <const NumberKernel& kKernel>
constexpr OperatorRow Arithmetic(const char* key, int precedence) {
    return OperatorRow{key, expreval::Arithmetic<kKernel>, precedence, &kKernel};
}

// A comparison's row, its handler made from its tests: of two numbers,
// which the evaluator applies too (null: every value is compared as text),
// and of two texts (null: strings are refused).
template <NumberPredicate kNumbers, TextPredicate kTexts>
constexpr OperatorRow Comparison(const char* key, int precedence) {
    return OperatorRow{key,     Comparing<kNumbers, kTexts>, precedence,
                       nullptr, Assigns::kNothing,           ElementJoin::kNone,
                       kNumbers};
}

constexpr OperatorRow kOperatorRows[] = {
    Comparison<IsNotEqual, TextsDiffer>("!=", 8),
    Comparison<nullptr, TextLacks>("!~", 3),
    Arithmetic<kRemaindering>("%", 4),
    CompoundAssignment("%=", CompoundAssign<expreval::Arithmetic<kRemaindering>>),
    {"&", BitwiseAnd, 9},
    Comparison<AreBothTrue, nullptr>("&&", 12),
    CompoundAssignment("&=", CompoundAssign<BitwiseAnd>),
    Arithmetic<kMultiplication>("*", 4),
    CompoundAssignment("*=", CompoundAssign<expreval::Arithmetic<kMultiplication>>),
    {"+", Add, 5, &kAddition, Assigns::kNothing, ElementJoin::kStrings},
    CompoundAssignment("+=", CompoundAssign<Add>),
    Arithmetic<kSubtraction>("-", 5),
    CompoundAssignment("-=", CompoundAssign<expreval::Arithmetic<kSubtraction>>),
    {".", Concatenate, 5, nullptr, Assigns::kNothing, ElementJoin::kStringsAndNumbers},
    CompoundAssignment(".=", CompoundAssign<Concatenate>),
    Arithmetic<kDivision>("/", 4),
    CompoundAssignment("/=", CompoundAssign<expreval::Arithmetic<kDivision>>),
    Comparison<IsLess, TextLess>("<", 7),
    Comparison<IsLessOrEqual, TextLessOrEqual>("<=", 7),
    Assignment("=", Assign),
    Comparison<IsEqual, TextsEqual>("==", 8),
    Comparison<nullptr, TextContains>("=~", 3),
    Comparison<IsGreater, TextGreater>(">", 7),
    Comparison<IsGreaterOrEqual, TextGreaterOrEqual>(">=", 7),
    {"^", BitwiseXor, 10},
    CompoundAssignment("^=", CompoundAssign<BitwiseXor>),
    {"|", BitwiseOr, 11},
    CompoundAssignment("|=", CompoundAssign<BitwiseOr>),
    Comparison<IsEitherTrue, nullptr>("||", 13),
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
