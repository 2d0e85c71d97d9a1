// expreval::Limits: what one evaluation of a session may take.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace expreval {

// Going past a limit fails the evaluation with an Exception, like any
// failure: what it had assigned before stays, the operation that went past
// it stores nothing. The defaults bound nothing that the console does not.
struct Limits {
    // The deepest nesting any evaluation may reach, bounded by the stack
    // each level takes.
    static constexpr int kDeepestNesting = 1000;

    // Bytes of the text given to Evaluate: "Expression too long.".
    std::size_t maxTextLength = SIZE_MAX;
    // Bytes of any value an operation builds: "Value too large.".
    std::size_t maxValueSize = SIZE_MAX;
    // Levels of nesting, 1 to kDeepestNesting: "Expression nested too deeply.".
    int maxNesting = kDeepestNesting;
    // Steps of work (about one per operand evaluated and one per list
    // element): "Evaluation took too long.".
    std::uint64_t maxSteps = UINT64_MAX;
    // Time, read every few dozen steps and as soon as a host function
    // returns: "Evaluation took too long.".
    std::chrono::steady_clock::duration maxTime = std::chrono::steady_clock::duration::max();
};

}  // namespace expreval
