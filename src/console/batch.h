// Quiet runs: the lines of standard input, or the expressions and files of
// the command line, answered alone for a script (console/quiet.h).
#pragma once

#include <iosfwd>
#include <optional>
#include <vector>

#include "console/command_line.h"
#include "console/console.h"
#include "console/descriptor.h"
#include "expreval/session.h"

namespace expreval {

// Answers the lines of the descriptor fd in session, without line editing,
// up to a line starting with "." or the end. Returns the exit code: 1 when a
// line failed, the input could not be read (said on err) or out failed, else
// 0. With flushEveryLine, for a person, each answer is flushed at once;
// otherwise before each wait for input.
int RunQuietly(int fd, std::ostream& out, std::ostream& err, Session& session, Signals& signals,
               bool flushEveryLine);

// The files among inputs opened for reading, in their order (-1 for
// expressions and standard input); nullopt once err has named one that
// cannot be opened, and then nothing is to be evaluated (exit code 2). Done
// before signals are caught: opening a named pipe waits for a writer, and a
// caught signal would not end that wait.
std::optional<std::vector<Descriptor>> OpenInputs(const std::vector<Input>& inputs,
                                                  std::ostream& err);

// Evaluates the inputs in the order given, with the files OpenInputs opened,
// in session, one started as the console starts. Otherwise as RunQuietly; an
// input that cannot be read, or a signal that ends the program, ends the run.
int RunInputs(const std::vector<Input>& inputs, const std::vector<Descriptor>& files,
              std::ostream& out, std::ostream& err, Session& session, Signals& signals);

}  // namespace expreval
