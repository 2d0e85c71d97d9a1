// What a Formula holds: its text, the text rewritten and compiled, and what
// compiling it found.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "eval/number_program.h"
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
    // The membership of that session's functions then: no other list ever
    // has it, so a session whose functions still have it has those names.
    std::uint64_t hostFunctionsMembership = 0;
    std::vector<std::string> variables;
    std::vector<std::string> functions;
    std::string syntaxError;

    // No two formulas share one: a session remembers by it which records
    // the number form reads.
    std::uint64_t id = 0;
    // The formula as numbers alone, when it is that (eval/number_program.h),
    // and the checks a run of the program spends, measured at the first run
    // the number form could answer: kUnknownChecks until then. Measuring is
    // given up after kMostMeasures tries whose values the number form
    // declines.
    static constexpr std::int64_t kUnknownChecks = -1;
    static constexpr int kMostMeasures = 8;
    std::optional<NumberProgram> numbers;
    mutable std::atomic<std::int64_t> numberChecks{kUnknownChecks};
    mutable std::atomic<int> measures{0};
};

}  // namespace expreval
