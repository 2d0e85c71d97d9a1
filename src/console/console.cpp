#include "console/console.h"

#include <istream>
#include <new>
#include <ostream>
#include <string>

#include "eval/evaluate.h"
#include "value/value.h"

namespace expreval {

namespace {

// The value of line, or "Error" after writing the failure's message.
std::string EvaluateLine(const std::string& line, std::ostream& out) {
    try {
        return Evaluate(line);
    } catch (const Exception& failure) {
        out << failure.message << '\n';
    } catch (const std::bad_alloc&) {
        out << "Out of memory.\n";
    }
    return "Error";
}

}  // namespace

void AnswerLine(const std::string& line, std::ostream& out) {
    const std::string result = EvaluateLine(line, out);
    out << "The result is " << result << '\n';
}

// An empty line right after an evaluated line is skipped without a prompt:
// piped input gets exactly the bytes of a loop that swallows it in advance,
// while a person at a terminal sees each result as soon as Enter is pressed.
int RunConsole(std::istream& in, std::ostream& out) {
    out << kBanner << kPrompt << std::flush;
    std::string line;
    bool skipEmptyLine = false;
    while (std::getline(in, line)) {
        if (skipEmptyLine && line.empty()) {
            skipEmptyLine = false;
            continue;
        }
        if (IsQuitLine(line))
            break;
        const bool lastLine = in.eof();  // no line feed: input ends here
        AnswerLine(line, out);
        out << std::flush;
        if (lastLine)
            break;
        skipEmptyLine = true;
        out << kPrompt << std::flush;
    }
    return 0;
}

}  // namespace expreval
