// The console for a person at a terminal: the same dialogue as RunConsole,
// read through the line editor.
#pragma once

#include <iosfwd>

#include "expreval/session.h"

namespace expreval {

// True when standard input and standard output are both terminals.
bool StandardStreamsAreTerminals();

// Writes the banner and answers edited lines until a line starting with "."
// or Ctrl-D on an empty line, evaluating in session. An empty line is not
// evaluated: it just prompts again. Falls back to RunConsole when the
// terminal cannot be set up for editing. Returns the exit code.
int RunTerminalConsole(std::istream& in, std::ostream& out, Session& session);

}  // namespace expreval
