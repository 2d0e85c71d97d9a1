// A compiled form for formulas of numbers alone: number literals,
// variables, the math functions, a host's functions of numbers and
// arithmetic, run on doubles with no text written or read. It is made from
// the compiled form (eval/program.h), step for step, and a run gives what
// running that program gives, or declines: the program is then run instead.
// A host evaluating one formula many times takes this path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
        kHostCall,
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
    std::uint32_t host = 0;                // kHostCall: its index in hosts
    std::uint32_t arguments = 0;           // kHostCall: how many values it takes
    double (*function)(double) = nullptr;  // kCall: the function row's work
    const NumberKernel* kernel = nullptr;  // the operations
    NumberPredicate compares = nullptr;    // the comparisons
};

// A host's function called with so many arguments.
struct HostCallSite {
    std::string name;
    std::uint32_t arguments = 0;
};

struct NumberProgram {
    // In postfix order: a call's argument comes before the call.
    std::vector<NumberStep> steps;
    // The variables read, each once; a run is given their records in this
    // order.
    std::vector<std::string> names;
    // The host's functions called, each way once, in the order a run is
    // given them. Which of them a session may call on doubles is its own
    // to say.
    std::vector<HostCallSite> hosts;
    std::size_t depth = 0;  // the most values the run holds at once
};

// A host's function as the session that runs a number form has it: of one
// number, or of several (the values of the call, in order).
struct NumberHost {
    const std::function<double(double)>* one = nullptr;
    const std::function<double(const std::vector<double>&)>* several = nullptr;
};

// What a run that calls a host's functions needs of its session: the
// functions, in the order of hosts; a vector to pass arguments in; and the
// flag an interrupt sets, looked at after each call, which may have been
// long.
struct NumberCalls {
    const NumberHost* hosts = nullptr;
    std::vector<double>* arguments = nullptr;
    const InterruptFlag* interrupt = nullptr;
};

// What a run gives: the double the result's text reads as, and how that
// text is written (ArithmeticResultText(cut, raw)).
struct NumberResult {
    PlainNumber number;
    double raw = 0;
    bool cut = false;
};

// Fills numbers from program, a text compiled, when every step is a number,
// a variable, a call of a built-in math function or of a host's function
// (any: the session judges), an arithmetic operator or a comparison, and
// a call's arguments, compiled here, are such texts too. False otherwise.
bool CompileNumbers(Context& context, const Program& program, NumberProgram& numbers);

// Runs numbers with variables[i] the record named numbers.names[i] and
// calls.hosts[i] the function of numbers.hosts[i]. False when a variable
// holds no plain number, a function or operation fails, a result is one that
// only its text tells (1.#INF), a host's function throws, or an interrupt
// came during a host's call: the program itself then gives what it gives,
// failure included.
bool RunNumbers(const NumberProgram& numbers, const Variable* const* variables,
                const NumberCalls& calls, NumberResult& result);

}  // namespace expreval
