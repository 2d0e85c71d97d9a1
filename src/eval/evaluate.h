// Evaluate: one expression text in, one value text out. The three entries
// share one road chooser (evaluate.cpp), which tries the single-token road,
// the arithmetic road, the rewrite and the stacks in that order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "eval/nesting.h"
#include "value/value.h"

namespace expreval {

// Evaluates a copy of expression; throws Exception on any failure. Each
// entry builds the symbol tables first when a host has not.
std::string Evaluate(std::string expression);

// Evaluate for a text that the caller keeps, such as the console's line: the
// same value and failures, without a copy of a text that needs none.
std::string EvaluateText(std::string_view text);

// EvaluateText for a text followed by kTextPadding zero bytes, such as the
// characters of a std::string with the zero byte that ends them: arithmetic
// is then read where it stands, without a copy.
inline constexpr size_t kTextPadding = 1;
std::string EvaluatePaddedText(std::string_view text);

// Evaluate for an operand or argument that a handler keeps while it runs,
// such as a view into the middle of a longer text: the same roads, value and
// failures, with the text copied only where the rewrite changes it or the
// value is the text itself.
std::string EvaluateOperand(std::string_view operand);

// The stacks road for a text already rewritten (no white space or capitals
// outside quotes): the scan, the two stacks and the handlers, without the
// roads tried before it. Evaluate runs it inside its nesting guard; tests
// compare the shortcuts with it.
std::string EvaluateOnStacks(std::string_view text);

// Reads what Evaluate(text) would give as a number, without running it, when
// that is a plain number text (ReadPlainNumber): text is one itself, or the
// name of a variable that holds one. False when Evaluate must run (always,
// on the reference road); reading a
// literal or a variable changes nothing, so the caller may then evaluate the
// same text as if nothing had happened.
bool EvaluatePlainNumber(std::string_view text, PlainNumber& number);

}  // namespace expreval
