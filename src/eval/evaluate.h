// Evaluate: one expression text in, one value text out. Every entry takes a
// level of nesting, rewrites the text where that changes it, and evaluates
// it by the scan and the grammar (grammar.h): on doubles alone when it is a
// line of plain arithmetic (number_line.h), else with the operand stack.
//
// Words the evaluator's code uses in a sense of its own:
//   road: the fast road, which takes every shortcut, or the reference road,
//     the scan, the two stacks and the handlers alone, which every shortcut
//     is checked against (road.h).
//   program: a text compiled into its tokens and reductions, in the order
//     the two stacks meet them (program.h), which a formula keeps.
//   number form: a program of numbers alone made into steps run on doubles
//     (number_program.h), which a formula runs while its values allow.
//   kept (by the rewrite): a text that the rewrite of white space and
//     capitals leaves as it is, so it needs no copy.
//   settled: a value text known to evaluate to itself (value/settled.h), so
//     that a join may take it over instead of evaluating it again. A handler
//     is told which of its operands are, and tells whether its result is,
//     through its Operand arguments.
//   piece: what is gathered to join at once: to every element of a list
//     (element_joins.h), or in front of a growing value (front_joins.h).
//   stamp: a number a symbol list changes whenever it changes, by which a
//     cache knows that what it found still holds (symbols/symbol_list.h).
//   the stacks: the operand and operator stacks of the two-stack routine
//     (grammar.h), the general way to evaluate a line.
//   check: one step of work counted against a session's step budget (its
//     maxSteps) and one look for an interrupt (context.h); a shortcut that
//     skips the stacks spends the checks the stacks would have spent.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "eval/context.h"
#include "eval/nesting.h"
#include "eval/program.h"
#include "value/value.h"

namespace expreval {

// Evaluates expression, which it may change as it goes; throws Exception on
// any failure. Every entry needs the symbol tables built: the free Evaluate
// of expreval.h builds them first when a host has not.
std::string EvaluateOwned(Context& context, std::string expression);

// Evaluate for a text that the caller keeps while it runs: the console's
// line, or a handler's operand or argument, perhaps a view into the middle
// of a longer text. The same value and failures, with the text copied only
// where the rewrite changes it or the value is the text itself.
std::string EvaluateText(Context& context, std::string_view text);

// EvaluateText for a token of a text on the fast road, by what the scan
// found it to be (for a call, naming function): the same value, failures
// and checks, without reading the token again.
std::string EvaluateToken(Context& context, std::string_view text, TokenKind kind,
                          const Function* function);

// The stacks for a text already rewritten (no white space or capitals
// outside quotes): the scan, the two stacks and the handlers, without the
// number line tried before them (on the fast road the reductions still take
// their shortcuts). Evaluate runs it inside its nesting guard; tests compare
// the number line with it.
// owned, when given, holds text and may be taken over as the value.
std::string EvaluateOnStacks(Context& context, std::string_view text, std::string* owned = nullptr);

// Runs program, compiled from text (rewritten), giving exactly what
// Evaluate(text) would give at this moment, with the same effects.
// Its value text goes to result; or with number given, a value worked out
// as a number goes there, as the double its text reads as, without writing
// the text (true).
bool EvaluateProgram(Context& context, std::string_view text, const Program& program,
                     std::string& result, double* number = nullptr);

// Reads what Evaluate would give for each text as a number, without running
// it, when that is a plain number text (ReadPlainNumber): the text is one
// itself, or the name of a variable that holds one. Then spends the checks
// those evaluations would have spent. False, having spent nothing, when
// Evaluate must run, and always on the reference road; reading a literal or
// a variable changes nothing, so the caller may then evaluate the same texts
// as if nothing had happened.
bool EvaluatePlainNumber(Context& context, std::string_view text, PlainNumber& number);
bool EvaluatePlainNumbers(Context& context, std::string_view left, std::string_view right,
                          PlainNumber& a, PlainNumber& b);

// Whether a settled operand, a text known to evaluate to itself, may be
// taken over instead of evaluated: not where that evaluation would be
// refused for nesting. If so, spends the check the evaluation would have.
inline bool TakeOverSettled(Context& context) {
    if (!CanNestDeeper(context))
        return false;
    SpendChecks(context, kRunChecks);
    return true;
}

}  // namespace expreval
