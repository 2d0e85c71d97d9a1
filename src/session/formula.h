// What a Formula holds: its text, the text rewritten and compiled, and what
// compiling it found.
#pragma once

#include <string>
#include <vector>

#include "eval/program.h"
#include "expreval/formula.h"

namespace expreval {

// Never moved once compiled: the program's tokens are views of rewritten.
struct CompiledFormula {
    std::string text;
    std::string rewritten;
    Program program;
    // The host functions of the session that compiled it, by name: which
    // names before "(" are calls depends on them. A session with others
    // evaluates the text instead.
    std::vector<std::string> hostFunctions;
    std::vector<std::string> variables;
    std::vector<std::string> functions;
    std::string syntaxError;
};

}  // namespace expreval
