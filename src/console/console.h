// The read-evaluate-print loop.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace expreval {

inline constexpr char kBanner[] =
    "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n";
inline constexpr char kPrompt[] = "Enter expression: ";

// A line starting with "." ends the dialogue.
inline bool IsQuitLine(std::string_view line) {
    return !line.empty() && line[0] == '.';
}

// Evaluates line and writes its answer: the failure's message line, if any,
// then "The result is " and the value or "Error". Does not flush.
void AnswerLine(const std::string& line, std::ostream& out);

// Writes the banner, then prompts for, evaluates and answers one line at a
// time until a line starting with "." or the end of input. The symbol tables
// must have been built. Returns the exit code.
int RunConsole(std::istream& in, std::ostream& out);

}  // namespace expreval
