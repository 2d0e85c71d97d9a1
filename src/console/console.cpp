#include "console/console.h"

#include <istream>
#include <new>
#include <ostream>
#include <string>

#include "eval/evaluate.h"
#include "value/value.h"

namespace expreval {

namespace {

// Whole pieces by write(): cheaper than formatted insertion, same bytes.
void Write(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string ReportOutOfMemory(std::ostream& out) {
    Write(out, "Out of memory.\n");
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

// In pieces: joined, they would need a copy of the result, for which a
// result that fills the memory leaves no room.
void WriteAnswer(std::ostream& out, const std::string& result) {
    Write(out, "The result is ");
    Write(out, result);
    Write(out, "\n");
}

}  // namespace

void AnswerLine(const std::string& line, std::ostream& out) {
    WriteAnswer(out, EvaluateLine(line, out));
}

namespace {

// An empty line right after an evaluated line is skipped without a prompt:
// piped input gets exactly the bytes of a loop that swallows it in advance,
// while a person at a terminal sees each result as soon as Enter is pressed.
void Converse(LineSource& in, std::ostream& out, bool flushEveryLine) {
    out << kBanner << kPrompt;
    if (flushEveryLine)
        out.flush();
    std::string line;
    bool skipEmptyLine = false;
    for (LineRead read = in.ReadLine(line); read != LineRead::kEnd; read = in.ReadLine(line)) {
        if (read != LineRead::kTooLong && skipEmptyLine && line.empty()) {
            skipEmptyLine = false;
            continue;
        }
        if (IsQuitLine(line))
            return;
        if (read == LineRead::kTooLong)
            WriteAnswer(out, ReportOutOfMemory(out));
        else
            AnswerLine(line, out);
        if (flushEveryLine)
            out.flush();
        if (read == LineRead::kLastLine)
            return;
        skipEmptyLine = true;
        Write(out, kPrompt);
        if (flushEveryLine)
            out.flush();
    }
}

}  // namespace

// Buffered answers are written out even when an unexpected failure ends the
// dialogue.
int RunConsole(LineSource& in, std::ostream& out, Flushing flushing) {
    try {
        Converse(in, out, flushing == Flushing::kEveryLine);
    } catch (...) {
        out.flush();
        throw;
    }
    out.flush();
    return 0;
}

int RunConsole(std::istream& in, std::ostream& out) {
    StreamLineSource source(in);
    return RunConsole(source, out, Flushing::kEveryLine);
}

}  // namespace expreval
