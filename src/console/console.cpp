#include "console/console.h"

#include <istream>
#include <new>
#include <ostream>
#include <string>
#include <string_view>

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
        return EvaluateText(line);
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

// Answers up to this long go out joined with the next prompt.
constexpr size_t kJoinedAnswerLimit = 4096;

// The answer and, when more lines may follow, the next prompt. Unless a
// person must see the answer first, or it is long, both go out in one write,
// put together in reply, a buffer kept from line to line that soon needs no
// more allocating.
void WriteAnswerAndPrompt(std::ostream& out, const std::string& result, bool prompt,
                          bool flushEveryLine, std::string& reply) {
    if (flushEveryLine || result.size() > kJoinedAnswerLimit) {
        WriteAnswer(out, result);
        if (flushEveryLine)
            out.flush();
        if (prompt)
            Write(out, kPrompt);
        if (prompt && flushEveryLine)
            out.flush();
        return;
    }
    reply.assign("The result is ");
    reply += result;
    reply.push_back('\n');
    if (prompt)
        reply += kPrompt;
    Write(out, reply);
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
    std::string reply;
    bool skipEmptyLine = false;
    for (LineRead read = in.ReadLine(line); read != LineRead::kEnd; read = in.ReadLine(line)) {
        if (read != LineRead::kTooLong && skipEmptyLine && line.empty()) {
            skipEmptyLine = false;
            continue;
        }
        if (IsQuitLine(line))
            return;
        const bool last = read == LineRead::kLastLine;
        const std::string result =
            read == LineRead::kTooLong ? ReportOutOfMemory(out) : EvaluateLine(line, out);
        WriteAnswerAndPrompt(out, result, !last, flushEveryLine, reply);
        if (last)
            return;
        skipEmptyLine = true;
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
