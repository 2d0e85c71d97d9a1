// Evaluate: one expression text in, one value text out.
#pragma once

#include <string>

namespace expreval {

// Deepest nesting of evaluations, element-wise applications and function
// calls a line may reach. Each level costs a few stack frames; this bound
// keeps the stack well inside 8 MB, sanitizer builds included.
inline constexpr int kMaxNesting = 2000;

// Evaluates a copy of expression; throws Exception on any failure.
std::string Evaluate(std::string expression);

// Counts one level of nesting for as long as it lives; throws Exception
// "Expression nested too deeply." past kMaxNesting.
class NestingGuard {
  public:
    NestingGuard();
    ~NestingGuard();
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

}  // namespace expreval
