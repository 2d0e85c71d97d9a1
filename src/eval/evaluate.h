// Evaluate: one expression text in, one value text out.
#pragma once

#include <string>

#include "eval/nesting.h"

namespace expreval {

// Evaluates a copy of expression; throws Exception on any failure.
std::string Evaluate(std::string expression);

}  // namespace expreval
