// The bound on how deeply evaluations may nest.
#pragma once

#include <string_view>

#include "eval/interrupt.h"

namespace expreval {

// Deepest nesting of evaluations and element-wise applications a line may
// reach: every run of Evaluate (a line, a function's argument, an operand a
// handler evaluates) and every application to the elements of a list is one
// level. Measured per level, on the costliest path: 0.6 KB of stack in the
// optimised build, 1.9 KB under AddressSanitizer with GCC, 2.1 KB with clang
// at -O2 (the fuzzer) and 4.7 KB with clang at -O0. So 1000 levels, enough
// for cos( written 999 times in one line, take less than 5 MB of the 8 MB
// main-thread stack in every build; the nesting tests measure every path
// again and fail past 6 MB. Parentheses group within one run and cost none.
inline constexpr int kMaxNesting = 1000;

// The levels reached by the runs under way; only NestingGuard changes it.
constinit inline thread_local int t_nestingLevel = 0;

// Throws Exception "Expression nested too deeply.".
[[noreturn]] void ThrowNestedTooDeeply();

// Counts one level of nesting for as long as it lives; throws past
// kMaxNesting, and when an interrupt is pending. Inline: every line and
// operand evaluated takes one.
class NestingGuard {
  public:
    NestingGuard() {
        CheckInterrupt();
        if (t_nestingLevel >= kMaxNesting)
            ThrowNestedTooDeeply();
        ++t_nestingLevel;
    }
    ~NestingGuard() { --t_nestingLevel; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

// False when one more level would be refused. Inline: the handlers ask it
// for every operand they read in place.
inline bool CanNestDeeper() {
    return t_nestingLevel < kMaxNesting;
}

// For a text that Evaluate, inside its guard, is about to scan: throws the
// failure the evaluation would reach when the text is a chain of whole calls,
// f(g(h(...))), longer than the levels left. Each such call evaluates its
// argument before anything else, so walking down the chain would only copy
// and rescan the rest of the text at every level, with nothing else that
// could happen first.
void RejectCallChainPastLimit(std::string_view text);

}  // namespace expreval
