#include "console/command_line.h"

#include <ostream>
#include <string_view>

namespace expreval {

namespace {

constexpr char kUsage[] =
    "Usage: expreval [-q] [--no-history]\n"
    "       expreval [-e EXPRESSION]... [FILE]...\n"
    "       expreval -h | --help | --version\n"
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
    "cut to the end or the start, Up and Down recall the lines typed, in this\n"
    "run and earlier ones, and Tab completes the names of functions and\n"
    "variables. The last 1000 lines typed are kept in\n"
    "$XDG_STATE_HOME/expreval/history (~/.local/state/expreval/history).\n"
#endif
    "\n"
    "For scripts, answers come alone, one a line: the value, or \"Error\" with\n"
    "the failure's message on standard error. With -e or FILEs, each\n"
    "EXPRESSION and the lines of each FILE (\"-\" is standard input; a \".\"\n"
    "line ends a file) are evaluated in the order given, in one session, and\n"
    "standard input is read only for \"-\". The exit status is then 0 when\n"
    "every line was answered, 1 when any failed, and 2 when a FILE could not\n"
    "be opened, in which case nothing is evaluated.\n"
    "\n"
    "Options:\n"
    "  -q, --quiet       answers alone: no banner, prompts or \"The result is \"\n"
    "  -e EXPRESSION     evaluate EXPRESSION; may be given more than once\n"
    "      --no-history  neither read nor keep the lines typed at a terminal\n"
    "  -h, --help        show this text and exit\n"
    "      --version     show the version and exit\n"
    "\n"
    "Environment:\n"
    "  EXPREVAL_HISTORY  the history file to use instead; empty: keep none\n"
    "\n"
    "The full description: man expreval\n";

constexpr char kVersion[] = "expreval " EXPREVAL_PROGRAM_VERSION "\n";

int Show(std::ostream& out, std::ostream& err, std::string_view text) {
    out << text << std::flush;
    if (out)
        return 0;
    err << "expreval: standard output could not be written\n";
    return 1;
}

int Refuse(std::ostream& err, std::string_view complaint) {
    err << "expreval: " << complaint << "; see expreval --help\n";
    return 2;
}

struct Reading {
    CommandLine commandLine;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;  // after "--" every argument is a file
};

// False for an argument that is no option this program knows.
bool TakeOption(std::string_view option, Reading& reading) {
    if (option == "--")
        reading.optionsEnded = true;
    else if (option == "-h" || option == "--help")
        reading.help = true;
    else if (option == "--version")
        reading.version = true;
    else if (option == "-q" || option == "--quiet")
        reading.commandLine.quiet = true;
    else if (option == "--no-history")
        reading.commandLine.history = false;
    else
        return false;
    return true;
}

}  // namespace

// Every argument is read before any is acted on: an unknown option refuses
// the whole command line, and --help or --version then wins over the rest.
std::variant<CommandLine, int> ReadCommandLine(std::span<char* const> arguments, std::ostream& out,
                                               std::ostream& err) {
    Reading reading;
    std::vector<Input>& inputs = reading.commandLine.inputs;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (reading.optionsEnded || argument.size() < 2 || argument[0] != '-') {
            inputs.push_back({Input::Kind::kFile, std::string(argument)});
        } else if (argument == "-e") {
            if (i + 1 == arguments.size())
                return Refuse(err, "option -e needs an expression");
            inputs.push_back({Input::Kind::kExpression, arguments[++i]});
        } else if (argument.starts_with("-e")) {
            inputs.push_back({Input::Kind::kExpression, std::string(argument.substr(2))});
        } else if (!TakeOption(argument, reading)) {
            return Refuse(err, "unknown argument '" + std::string(argument) + "'");
        }
    }
    if (reading.help)
        return Show(out, err, kUsage);
    if (reading.version)
        return Show(out, err, kVersion);
    return reading.commandLine;
}

}  // namespace expreval
