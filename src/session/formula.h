// What a Formula holds: its text and what compiling it found.
#pragma once

#include <string>
#include <vector>

#include "expreval/formula.h"

namespace expreval {

struct CompiledFormula {
    std::string text;
    std::vector<std::string> variables;
    std::vector<std::string> functions;
    std::string syntaxError;
};

}  // namespace expreval
