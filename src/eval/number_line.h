// Lines of arithmetic on numbers, evaluated as the scan and the grammar
// meet them, on doubles.
#pragma once

#include <string>
#include <string_view>

#include "eval/context.h"

namespace expreval {

// Most lines are arithmetic on numbers: number literals, names of variables
// that hold plain numbers, the operators whose rows give their work on two
// numbers, groups, implied multiplication, and perhaps one "name=" applied
// last. For such a text, this computes the value text that the stacks and
// the handlers would give, with the checks they would spend, stores it in
// result (and in the variable) and returns true. For any other text, for a
// line that would fail, and for one that the rewrite would change (white
// space, capitals), it returns false having changed nothing, and the caller
// takes the stacks or the rewrite.
bool EvaluateNumberLine(Context& context, std::string_view text, std::string& result);

}  // namespace expreval
