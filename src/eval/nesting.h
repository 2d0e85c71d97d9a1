// The bound on how deeply evaluations may nest.
#pragma once

#include <string_view>

#include "eval/context.h"
#include "expreval/limits.h"

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
// The number is written where hosts see it, as the most a session may allow.
inline constexpr int kMaxNesting = Limits::kDeepestNesting;

// Throws Exception "Expression nested too deeply.".
[[noreturn]] void ThrowNestedTooDeeply();

// Counts one level of nesting in context for as long as it lives; throws
// past kMaxNesting. Inline: every line and operand evaluated takes one, and
// with it a check for an interrupt or a spent budget. A session that allows
// fewer levels starts its evaluations that many levels below kMaxNesting.
class NestingGuard {
  public:
    explicit NestingGuard(Context& context) : context_(context) {
        if (context.nestingLevel >= kMaxNesting)
            ThrowNestedTooDeeply();
        CheckInterrupt(context);
        ++context.nestingLevel;
    }
    ~NestingGuard() { --context_.nestingLevel; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

  private:
    Context& context_;
};

// False when levels more would be refused. Inline: the handlers ask it for
// every operand they read in place.
inline bool CanNestDeeper(const Context& context, int levels = 1) {
    return context.nestingLevel + levels <= kMaxNesting;
}

}  // namespace expreval
