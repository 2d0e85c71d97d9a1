// The read-evaluate-print loop.
#pragma once

#include <iosfwd>

namespace expreval {

// Writes the banner, then prompts for, evaluates and answers one line at a
// time until a line starting with "." or the end of input. The symbol tables
// must have been built. Returns the exit code.
int RunConsole(std::istream& in, std::ostream& out);

}  // namespace expreval
