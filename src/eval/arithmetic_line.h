// Lines of plain arithmetic, evaluated on numbers in one pass.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "eval/context.h"

namespace expreval {

// Most lines are arithmetic on numbers: number literals, names of variables
// that hold plain numbers, + - * / %, parentheses, implied multiplication,
// and perhaps one leading "name=". For such a text this computes, in one
// pass over doubles, the value text that the stacks and the handlers would
// give, stores it in result (and in the variable) and returns true. For any
// other text, and for a line that would fail, it returns false having
// changed nothing, and the caller takes the full road.
// With padded, the caller promises kTextPadding zero bytes after the text
// (see evaluate.h), which is then read where it stands instead of copied.
bool EvaluateArithmeticLine(Context& context, std::string_view text, std::string& result,
                            bool padded = false);

// What the road remembers on a thread from one line to the next: the
// operator table's records it uses, and the numbers of variables read.
struct ArithmeticCaches;
std::shared_ptr<ArithmeticCaches> MakeArithmeticCaches();

}  // namespace expreval
