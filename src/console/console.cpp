#include "console/console.h"

#include <unistd.h>

#include <cstring>
#include <istream>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "expreval/exception.h"
#include "expreval/session.h"

namespace expreval {

namespace {

// Whole pieces by write(): cheaper than formatted insertion, same bytes.
void Write(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Answers up to this long go out joined with the next prompt.
constexpr size_t kJoinedAnswerLimit = 4096;
// Answers held back go out once they reach this size.
constexpr size_t kHeldLimit = 32 * 1024;

constexpr std::string_view kAnswerStart = "The result is ";
constexpr std::string_view kPromptText = kPrompt;

// Answers and prompts kept in one buffer, allocated once, which holds up to
// kHeldLimit and one more answer with its prompt: adding an answer never
// allocates, so memory running out cannot leave part of one held. For a
// pipe or a file they are held back and written in large pieces: once
// enough have gathered, before anything else is written, before the source
// reads more input (it may then wait for it), and when the dialogue ends,
// however it ends. They are held back only from a source that says when it
// reads; otherwise each line's answer goes out at once.
class HeldAnswers {
  public:
    HeldAnswers(LineSource& in, std::ostream& out, bool flushEveryLine)
        : in_(in),
          out_(out),
          text_(std::make_unique_for_overwrite<char[]>(kCapacity)),
          holding_(!flushEveryLine && in.CallBeforeReading([this] { WriteOut(); })) {}
    HeldAnswers(const HeldAnswers&) = delete;
    HeldAnswers& operator=(const HeldAnswers&) = delete;
    ~HeldAnswers() {
        if (holding_)
            in_.CallBeforeReading(nullptr);
        try {
            WriteOut();
        } catch (...) {
            // Only a stream set to throw gets here, while the dialogue has
            // already ended; nothing more can be written to it.
        }
    }

    // For a result of at most kJoinedAnswerLimit characters.
    void Add(std::string_view result, bool prompt) {
        char* at = text_.get() + size_;
        at = Append(at, kAnswerStart);
        at = Append(at, result);
        *at++ = '\n';
        if (prompt)
            at = Append(at, kPromptText);
        size_ = static_cast<size_t>(at - text_.get());
        if (!holding_ || size_ >= kHeldLimit)
            WriteOut();
    }

    // Emptied before the write, so that a stream which throws cannot leave
    // the buffer full for the next answer.
    void WriteOut() {
        const size_t size = std::exchange(size_, 0);
        if (size > 0)
            Write(out_, std::string_view(text_.get(), size));
    }

  private:
    static constexpr size_t kCapacity =
        kHeldLimit + kAnswerStart.size() + kJoinedAnswerLimit + 1 + kPromptText.size();

    static char* Append(char* at, std::string_view text) {
        std::memcpy(at, text.data(), text.size());
        return at + text.size();
    }

    LineSource& in_;
    std::ostream& out_;
    std::unique_ptr<char[]> text_;
    size_t size_ = 0;  // below kHeldLimit between two answers
    bool holding_;
};

std::string ReportOutOfMemory(std::ostream& out, HeldAnswers* held) {
    if (held != nullptr)
        held->WriteOut();  // no allocation: the answers go first, as they came
    Write(out, "Out of memory.\n");
    return "Error";
}

// The flag the answers watch, if any.
const InterruptFlag* g_watched = nullptr;

bool InterruptRequested() {
    return g_watched != nullptr && g_watched->load(std::memory_order_relaxed);
}

// The value that evaluate() gives, or "Error" after writing the failure's
// message, which follows the answers held back. A terminal has echoed the
// Ctrl-C that interrupts a line where the message is about to start.
template <typename Evaluation>
std::string Answer(Evaluation evaluate, std::ostream& out, HeldAnswers* held, bool terminal) {
    try {
        return evaluate();
    } catch (const Exception& failure) {
        if (held != nullptr)
            held->WriteOut();
        if (terminal && InterruptRequested())
            Write(out, "\r");
        out << failure.message << '\n';
    } catch (const std::bad_alloc&) {
        return ReportOutOfMemory(out, held);
    }
    return "Error";
}

// In pieces: joined, they would need a copy of the result, for which a
// result that fills the memory leaves no room.
void WriteAnswer(std::ostream& out, const std::string& result) {
    Write(out, kAnswerStart);
    Write(out, result);
    Write(out, "\n");
}

// The answer and, when more lines may follow, the next prompt. Unless a
// person must see the answer first, or it is long, both join the answers held.
void WriteAnswerAndPrompt(std::ostream& out, const std::string& result, bool prompt,
                          bool flushEveryLine, HeldAnswers& held) {
    if (flushEveryLine || result.size() > kJoinedAnswerLimit) {
        held.WriteOut();
        WriteAnswer(out, result);
        if (flushEveryLine)
            out.flush();
        if (prompt)
            Write(out, kPrompt);
        if (prompt && flushEveryLine)
            out.flush();
        return;
    }
    held.Add(result, prompt);
}

}  // namespace

void AnswerLine(const std::string& line, std::ostream& out, Session& session) {
    WriteAnswer(out, Answer([&] { return session.Evaluate(line); }, out, nullptr, true));
}

// The pipe is read away before the flag is cleared: a signal in between
// leaves its byte, which then ends the next wait, rather than being lost.
void SpendInterrupt(Signals& signals) {
    if (!signals.interrupt.load(std::memory_order_relaxed) || signals.ending.load() != 0)
        return;
    char bytes[64];
    while (signals.wake >= 0 && read(signals.wake, bytes, sizeof bytes) > 0) {
    }
    signals.interrupt.store(false);
}

namespace {

bool Ending(const Signals* signals) {
    return signals != nullptr && signals->ending.load() != 0;
}

// Ctrl-C while a line was typed: it is dropped, and the next one is asked for
// on a line of its own.
void PromptAfresh(std::ostream& out, Signals& signals, HeldAnswers& held) {
    SpendInterrupt(signals);
    held.WriteOut();
    Write(out, "\n");
    Write(out, kPrompt);
    out.flush();
}

// An interrupt that came too late to stop its line is spent all the same.
void AfterAnswer(Signals* signals) {
    if (signals != nullptr)
        SpendInterrupt(*signals);
}

// An empty line right after an evaluated line is skipped without a prompt:
// piped input gets exactly the bytes of a loop that swallows it in advance,
// while a person at a terminal sees each result as soon as Enter is pressed.
void Converse(LineSource& in, std::ostream& out, bool flushEveryLine, Session& session,
              Signals* signals) {
    out << kBanner << kPrompt;
    if (flushEveryLine)
        out.flush();
    std::string store;
    std::string_view line;
    HeldAnswers held(in, out, flushEveryLine);
    bool skipEmptyLine = false;
    for (LineRead read = in.ViewLine(line, store); read != LineRead::kEnd;
         read = in.ViewLine(line, store)) {
        // Answers that cannot be written (reading on would lose them all), or
        // a signal that ends the program.
        if (!out || Ending(signals))
            return;
        if (read == LineRead::kInterrupted && signals != nullptr) {
            PromptAfresh(out, *signals, held);
            skipEmptyLine = false;
            continue;
        }
        if (read != LineRead::kTooLong && skipEmptyLine && line.empty()) {
            skipEmptyLine = false;
            continue;
        }
        if (IsQuitLine(line))
            return;
        const bool last = read == LineRead::kLastLine;
        // EvaluateLine, the session's friend, evaluates the line where it lies.
        const std::string result =
            read == LineRead::kTooLong
                ? ReportOutOfMemory(out, &held)
                : Answer([&] { return EvaluateLine(session, line); }, out, &held, flushEveryLine);
        AfterAnswer(signals);
        WriteAnswerAndPrompt(out, result, !last, flushEveryLine, held);
        if (last || Ending(signals))
            return;
        skipEmptyLine = true;
    }
}

}  // namespace

WatchInterrupt::WatchInterrupt(const InterruptFlag& flag) : previous_(g_watched) {
    g_watched = &flag;
}

WatchInterrupt::~WatchInterrupt() {
    g_watched = previous_;
}

// Buffered answers are written out even when an unexpected failure ends the
// dialogue.
int RunConsole(LineSource& in, std::ostream& out, Flushing flushing, Session& session,
               Signals* signals) {
    std::optional<WatchInterrupt> watch;  // what the answers ask between evaluations
    std::optional<InterruptingSession> interrupting;
    if (signals != nullptr) {
        watch.emplace(signals->interrupt);
        interrupting.emplace(*signals, session);
    }
    try {
        Converse(in, out, flushing == Flushing::kEveryLine, session, signals);
    } catch (...) {
        out.flush();
        throw;
    }
    out.flush();
    return out && !in.Failed() ? 0 : 1;
}

int RunConsole(LineSource& in, std::ostream& out, Flushing flushing) {
    Session session = Session::Console();
    return RunConsole(in, out, flushing, session);
}

int RunConsole(std::istream& in, std::ostream& out) {
    StreamLineSource source(in);
    return RunConsole(source, out, Flushing::kEveryLine);
}

}  // namespace expreval
