// The program's arguments: the options of the dialogue, the expressions and
// files to evaluate instead of it, and --help and --version.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace expreval {

// An expression of -e, or a file whose lines are evaluated ("-" is standard
// input).
struct Input {
    enum class Kind { kExpression, kFile };
    Kind kind;
    std::string text;
};

struct CommandLine {
    bool quiet = false;         // answers alone
    bool history = true;        // at a terminal, the lines typed are kept
    std::vector<Input> inputs;  // in the order given; none: the dialogue
};

// What to run, or the exit code once the usage text or the version has been
// written to out (0, or 1 when out failed, which err is told) or a
// complaint about an unknown option or a missing expression to err (2).
// arguments leaves out the program's name.
std::variant<CommandLine, int> ReadCommandLine(std::span<char* const> arguments, std::ostream& out,
                                               std::ostream& err);

}  // namespace expreval
