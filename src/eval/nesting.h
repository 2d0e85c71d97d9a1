// The bound on how deeply evaluations may nest.
#pragma once

#include <string_view>

namespace expreval {

// Deepest nesting of evaluations and element-wise applications a line may
// reach: every run of Evaluate (a function's argument, an operand a handler
// evaluates) and every application to the elements of a list is one level.
// A level costs at most about 0.7 KB of stack in the optimised build and
// 2 KB under AddressSanitizer (measured by the nesting tests, which fail if
// the deepest allowed nesting comes near half of an 8 MB stack), so 1000
// levels always fit, whatever the input.
inline constexpr int kMaxNesting = 1000;

// Counts one level of nesting for as long as it lives; throws Exception
// "Expression nested too deeply." past kMaxNesting.
class NestingGuard {
  public:
    NestingGuard();
    ~NestingGuard();
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

// For a text that Evaluate, inside its guard, is about to scan: throws the
// failure the evaluation would reach when the text is a chain of whole calls,
// f(g(h(...))), longer than the levels left. Each such call evaluates its
// argument before anything else, so walking down the chain would only copy
// and rescan the rest of the text at every level, with nothing else that
// could happen first.
void RejectCallChainPastLimit(std::string_view text);

}  // namespace expreval
