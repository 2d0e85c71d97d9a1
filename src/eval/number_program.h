// A compiled form for formulas of numbers alone: number literals,
// variables, the math functions and arithmetic, run on doubles with no text
// written or read. It is made from the compiled form (eval/program.h), step
// for step, and a run gives what running that program gives, or declines:
// the program is then run instead. A host evaluating one formula many times
// takes this road.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "eval/context.h"
#include "eval/program.h"
#include "symbols/records.h"
#include "value/value.h"

namespace expreval {

struct NumberStep {
    using Basic = NumberKernel::Basic;
    // Where an operation's or comparison's right operand comes from: the
    // top of the run's values, or the number or variable of the step itself.
    enum class Right : std::uint8_t { kTop, kNumber, kVariable };
    // Operations are told apart by their right operand and by their
    // kernel's basic operation (OperationOn), so that a run dispatches once
    // per step and applies the processor's own operations in place.
    enum class Kind : std::uint8_t {
        kNumber,
        kVariable,
        kCall,
        kComparison,
        kComparisonOnNumber,
        kComparisonOnVariable,
        kOperation,  // a kernel that is no basic operation
        kAdd,
        kSubtract,
        kMultiply,
        kOperationOnNumber,
        kAddOnNumber,
        kSubtractOnNumber,
        kMultiplyOnNumber,
        kOperationOnVariable,
        kAddOnVariable,
        kSubtractOnVariable,
        kMultiplyOnVariable,
    };
    static constexpr int kBasics = 4;
    static constexpr Kind OperationOn(Right right, Basic basic) {
        return static_cast<Kind>(static_cast<int>(Kind::kOperation) +
                                 static_cast<int>(right) * kBasics + static_cast<int>(basic));
    }
    // OperationOn counts on the basics' order.
    static_assert(static_cast<int>(Basic::kNone) == 0 && static_cast<int>(Basic::kMultiply) == 3);

    Kind kind = Kind::kNumber;
    // / and % work on integers when both operand texts, as written, are
    // integer texts: known here for a token, from its value for a result.
    bool integerText = false;
    PlainNumber number;                    // kNumber, or the right operand's
    std::uint32_t variable = 0;            // kVariable or the right operand's: its index in names
    double (*function)(double) = nullptr;  // kCall: the function row's work
    const NumberKernel* kernel = nullptr;  // the operations
    NumberPredicate compares = nullptr;    // the comparisons
};

struct NumberProgram {
    // In postfix order: a call's argument comes before the call.
    std::vector<NumberStep> steps;
    // The variables read, each once; a run is given their records in this
    // order.
    std::vector<std::string> names;
    std::size_t depth = 0;  // the most values the run holds at once
};

// What a run gives: the double the result's text reads as, and how that
// text is written (ArithmeticResultText(cut, raw)).
struct NumberResult {
    PlainNumber number;
    double raw = 0;
    bool cut = false;
};

// Fills numbers from program, a text compiled, when every step is a number,
// a variable, a built-in math function's call, an arithmetic operator or a
// comparison,
// and a call's argument, compiled here, is such a text too. False otherwise.
bool CompileNumbers(Context& context, const Program& program, NumberProgram& numbers);

// Runs numbers with variables[i] the record named numbers.names[i]. False
// when a variable holds no plain number, a function or operation fails, or
// a result is one that only its text tells (1.#INF): the program itself
// then gives what it gives, failure included.
bool RunNumbers(const NumberProgram& numbers, const Variable* const* variables,
                NumberResult& result);

}  // namespace expreval
