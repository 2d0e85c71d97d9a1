// The read-evaluate-print loop.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "console/line_source.h"
#include "expreval/session.h"

namespace expreval {

inline constexpr char kBanner[] =
    "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n";
inline constexpr char kPrompt[] = "Enter expression: ";

// A line starting with "." ends the dialogue.
inline bool IsQuitLine(std::string_view line) {
    return !line.empty() && line[0] == '.';
}

// Evaluates line in session and writes its answer: the failure's message
// line, if any, then "The result is " and the value or "Error". Does not
// flush.
void AnswerLine(const std::string& line, std::ostream& out, Session& session);

enum class Flushing {
    kEveryLine,   // after each prompt and each result, for a person at a terminal
    kBeforeWait,  // only when the source is about to wait for input, and at the end
};

// Writes the banner, then prompts for, evaluates and answers one line at a
// time until a line starting with "." or the end of input, or until out
// fails, evaluating in session. Returns the exit code: 1 when out could not
// be written or in could not be read, else 0. With kBeforeWait the source
// must flush out before it waits.
int RunConsole(LineSource& in, std::ostream& out, Flushing flushing, Session& session);

// The same in a session of its own, started as the console program starts.
int RunConsole(LineSource& in, std::ostream& out, Flushing flushing);

// The same loop over a stream, flushing every line.
int RunConsole(std::istream& in, std::ostream& out);

}  // namespace expreval
