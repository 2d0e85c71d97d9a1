// The read-evaluate-print loop.
#pragma once

#include <iosfwd>

#include "console/line_source.h"

namespace expreval {

enum class Flushing {
    kEveryLine,   // after each prompt and each result, for a person at a terminal
    kBeforeWait,  // only when the source is about to wait for input, and at the end
};

// Writes the banner, then prompts for, evaluates and answers one line at a
// time until a line starting with "." or the end of input. The symbol tables
// must have been built. Returns the exit code. With kBeforeWait the source
// must flush out before it waits.
int RunConsole(LineSource& in, std::ostream& out, Flushing flushing);

// The same loop over a stream, flushing every line.
int RunConsole(std::istream& in, std::ostream& out);

}  // namespace expreval
