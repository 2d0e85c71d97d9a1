// Evaluate: one expression text in, one value text out.
#pragma once

#include <string>

#include "value/value.h"

namespace expreval {

// Deepest nesting of evaluations, element-wise applications and function
// calls a line may reach. Each level costs a few stack frames; this bound
// keeps the stack well inside 8 MB, sanitizer builds included.
inline constexpr int kMaxNesting = 2000;

// Evaluates a copy of expression; throws Exception on any failure.
std::string Evaluate(std::string expression);

// Reads what Evaluate(text) would give as a number, without running it, when
// that is a plain number text (ReadPlainNumber): text is one itself, or the
// name of a variable that holds one. False when Evaluate must run; reading a
// literal or a variable changes nothing, so the caller may then evaluate the
// same text as if nothing had happened.
bool EvaluatePlainNumber(const std::string& text, PlainNumber& number);

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
