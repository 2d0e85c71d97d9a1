#include "console/console.h"

#include <istream>
#include <limits>
#include <new>
#include <ostream>
#include <string>

#include "eval/evaluate.h"
#include "value/value.h"

namespace expreval {

namespace {

std::string ReportOutOfMemory(std::ostream& out) {
    out << "Out of memory.\n";
    return "Error";
}

// The value of line, or "Error" after writing the failure's message.
std::string EvaluateLine(const std::string& line, std::ostream& out) {
    try {
        return Evaluate(line);
    } catch (const Exception& failure) {
        out << failure.message << '\n';
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(out);
    }
    return "Error";
}

void WriteResult(const std::string& result, std::ostream& out) {
    out << "The result is " << result << '\n';
}

enum class LineRead { kLine, kTooLong, kEnd };

// std::getline turns any failure into a failed stream, which would end the
// session as quietly as the end of input. With badbit in the exception mask
// a std::bad_alloc comes through instead: the rest of that line is skipped
// and only its first character is kept, for the quit test. Input that cannot
// be read still ends the session.
LineRead ReadLine(std::istream& in, std::string& line) {
    const std::ios::iostate mask = in.exceptions();
    in.exceptions(mask | std::ios::badbit);
    LineRead read = LineRead::kLine;
    try {
        if (!std::getline(in, line))
            read = LineRead::kEnd;
    } catch (const std::bad_alloc&) {
        std::string(line, 0, 1).swap(line);  // frees the long buffer
        in.clear();
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        read = LineRead::kTooLong;
    } catch (const std::ios_base::failure&) {
        read = LineRead::kEnd;
    }
    in.exceptions(mask);
    return read;
}

}  // namespace

void AnswerLine(const std::string& line, std::ostream& out) {
    WriteResult(EvaluateLine(line, out), out);
}

// An empty line right after an evaluated line is skipped without a prompt:
// piped input gets exactly the bytes of a loop that swallows it in advance,
// while a person at a terminal sees each result as soon as Enter is pressed.
int RunConsole(std::istream& in, std::ostream& out) {
    out << kBanner << kPrompt << std::flush;
    std::string line;
    bool skipEmptyLine = false;
    for (LineRead read; (read = ReadLine(in, line)) != LineRead::kEnd;) {
        if (read == LineRead::kLine && skipEmptyLine && line.empty()) {
            skipEmptyLine = false;
            continue;
        }
        if (IsQuitLine(line))
            break;
        const bool lastLine = in.eof();  // no line feed: input ends here
        if (read == LineRead::kLine)
            AnswerLine(line, out);
        else
            WriteResult(ReportOutOfMemory(out), out);
        out << std::flush;
        if (lastLine)
            break;
        skipEmptyLine = true;
        out << kPrompt << std::flush;
    }
    return 0;
}

}  // namespace expreval
