// The console for a person at a terminal: the same dialogue as RunConsole,
// read through the line editor.
#pragma once

#include <iosfwd>

#include "console/console.h"
#include "expreval/session.h"

namespace expreval {

// Writes the banner and answers edited lines from standard input until a
// line starting with "." or Ctrl-D on an empty line, evaluating in session.
// An empty line is not evaluated: it just prompts again. Signals work as for
// RunConsole. Falls back to RunConsole on plain lines when the terminal
// cannot be set up for editing. Returns the exit code.
int RunTerminalConsole(std::ostream& out, Session& session, Signals& signals);

}  // namespace expreval
