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

// Whole pieces by write(): cheaper than formatted insertion, same bytes.
void Write(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Room for the answers of everyday lines, kept from line to line.
constexpr size_t kKeptReplyRoom = 4096;

// Puts the answer line into reply; a failure's message line is written
// straight away, ahead of it. A long answer takes the lead in its own room,
// which mostly has space to spare, instead of being copied.
void ComposeAnswer(const std::string& line, std::ostream& out, std::string& reply) {
    constexpr std::string_view kResultLead = "The result is ";
    std::string answer = EvaluateLine(line, out);
    if (answer.size() > kKeptReplyRoom) {
        answer.insert(0, kResultLead);
        answer.push_back('\n');
        reply = std::move(answer);
        return;
    }
    reply.assign(kResultLead);
    reply += answer;
    reply.push_back('\n');
}

}  // namespace

void AnswerLine(const std::string& line, std::ostream& out) {
    std::string reply;
    ComposeAnswer(line, out, reply);
    Write(out, reply);
}

namespace {

// The answer and, when more lines may follow, the next prompt, in one write
// unless a person must see the answer first. reply is a buffer kept from line
// to line, which soon needs no more allocating.
void WriteAnswer(const std::string& line, std::ostream& out, bool prompt, bool flushEveryLine,
                 std::string& reply) {
    ComposeAnswer(line, out, reply);
    if (flushEveryLine) {
        Write(out, reply);
        out.flush();
        reply.clear();
    }
    if (prompt)
        reply += kPrompt;
    Write(out, reply);
    if (flushEveryLine)
        out.flush();
    if (reply.capacity() > kKeptReplyRoom)
        reply = std::string();  // a huge answer's room is not held for the next
}

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
        if (skipEmptyLine && line.empty()) {
            skipEmptyLine = false;
            continue;
        }
        if (IsQuitLine(line))
            return;
        const bool last = read == LineRead::kLastLine;
        WriteAnswer(line, out, !last, flushEveryLine, reply);
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
