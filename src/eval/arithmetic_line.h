// Lines of plain arithmetic, evaluated on numbers in one pass.
#pragma once

#include <string>
#include <string_view>

namespace expreval {

// Most lines are arithmetic on numbers: number literals, names of variables
// that hold plain numbers, + - * / %, parentheses, implied multiplication,
// and perhaps one leading "name=". For such a text this computes, in one
// pass over doubles, the value text that the stacks and the handlers would
// give, stores it in result (and in the variable) and returns true. For any
// other text, and for a line that would fail, it returns false having
// changed nothing, and the caller takes the full road.
bool EvaluateArithmeticLine(std::string_view text, std::string& result);

}  // namespace expreval
