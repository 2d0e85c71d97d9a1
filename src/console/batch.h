// Quiet runs: the lines of standard input, or the expressions and files of
// the command line, answered alone for a script (console/quiet.h).
#pragma once

#include <iosfwd>
#include <vector>

#include "console/command_line.h"
#include "console/console.h"
#include "expreval/session.h"

namespace expreval {

// Answers the lines of the descriptor fd in session, without line editing,
// up to a line starting with "." or the end. Returns the exit code: 1 when a
// line failed, the input could not be read (said on err) or out failed, else
// 0. With flushEveryLine, for a person, each answer is flushed at once;
// otherwise before each wait for input.
int RunQuietly(int fd, std::ostream& out, std::ostream& err, Session& session, Signals& signals,
               bool flushEveryLine);

// Evaluates the inputs in the order given, in session, one started as the
// console starts. Every file is opened first: when one cannot be, err names
// it and nothing is evaluated (exit code 2). Otherwise as RunQuietly; an
// input that cannot be read, or a signal that ends the program, ends the run.
int RunInputs(const std::vector<Input>& inputs, std::ostream& out, std::ostream& err,
              Session& session, Signals& signals);

}  // namespace expreval
