#include "console/command_line.h"

#include <ostream>
#include <string_view>

namespace expreval {

namespace {

constexpr char kUsage[] =
    "Usage: expreval [-h | --help | --version]\n"
    "\n"
    "An interactive calculator. It reads one expression a line from standard\n"
    "input and answers each with \"The result is \" and the value. Values are\n"
    "numbers (12.5), strings (\"abc\") and lists ({1,2,3}); lists are worked on\n"
    "element by element. There are 29 operators and the functions sin, cos,\n"
    "tan, csc, sec, cot and log; variables live until the program ends.\n"
    "\n"
    "A line starting with \".\" ends the program, as does the end of input\n"
    "(Ctrl-D at a terminal). Ctrl-C stops a long evaluation, or drops the line\n"
    "being typed.\n"
#ifdef EXPREVAL_HAVE_LIBEDIT
    "\n"
    "At a terminal a line can be edited: Left and Right move, Ctrl-A and Ctrl-E\n"
    "go to its start and end, Backspace and Ctrl-D delete, Ctrl-K and Ctrl-U\n"
    "cut to the end or the start, Up and Down recall the lines of this run, and\n"
    "Tab completes the names of functions and variables.\n"
#endif
    "\n"
    "Options:\n"
    "  -h, --help     show this text and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "The full description: man expreval\n";

constexpr char kVersion[] = "expreval " EXPREVAL_PROGRAM_VERSION "\n";

int Show(std::ostream& out, std::string_view text) {
    out << text << std::flush;
    return out ? 0 : 1;
}

}  // namespace

// The first argument decides, once every one of them is known.
std::optional<int> AnswerArguments(std::span<char* const> arguments, std::ostream& out,
                                   std::ostream& err) {
    if (arguments.empty())
        return std::nullopt;
    for (const std::string_view argument : arguments) {
        if (argument != "--help" && argument != "-h" && argument != "--version") {
            err << "expreval: unknown argument '" << argument << "'; see expreval --help\n";
            return 2;
        }
    }
    return Show(out, std::string_view(arguments.front()) == "--version" ? kVersion : kUsage);
}

}  // namespace expreval
