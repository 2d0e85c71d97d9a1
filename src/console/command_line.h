// The program's arguments: only --help (-h) and --version are known; the
// dialogue itself takes none.
#pragma once

#include <iosfwd>
#include <optional>
#include <span>

namespace expreval {

// Nothing when there are no arguments: the dialogue is to start. Otherwise
// the exit code, once the usage text or the version has been written to out
// (0, or 1 when out failed) or a complaint about the first unknown argument
// to err (2). arguments leaves out the program's name.
std::optional<int> AnswerArguments(std::span<char* const> arguments, std::ostream& out,
                                   std::ostream& err);

}  // namespace expreval
