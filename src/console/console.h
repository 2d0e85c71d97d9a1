// The read-evaluate-print loop.
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <string_view>

#include "console/line_source.h"
#include "expreval/session.h"

namespace expreval {

inline constexpr char kBanner[] =
    "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n";
inline constexpr char kPrompt[] = "Enter expression: ";

// A line starting with "." ends the dialogue.
inline bool IsQuitLine(std::string_view line) {
    return !line.empty() && line[0] == '.';
}

// Set from a signal handler to stop the evaluation under way.
using InterruptFlag = std::atomic<bool>;

// Makes the console's answers see flag for as long as it lives: an answer
// interrupted at a terminal starts its message on a fresh line.
class WatchInterrupt {
  public:
    explicit WatchInterrupt(const InterruptFlag& flag);
    ~WatchInterrupt();
    WatchInterrupt(const WatchInterrupt&) = delete;
    WatchInterrupt& operator=(const WatchInterrupt&) = delete;

  private:
    const InterruptFlag* previous_;
};

// What the signal handlers leave for the dialogue. interrupt is set by Ctrl-C
// at a terminal and by every signal that ends the program, whose number is
// then in ending; once either is set, a byte can be read from wake (when it
// is not -1), so that a wait for input ends too. The session in which the
// dialogue evaluates, when there is one, is interrupted as well.
struct Signals {
    InterruptFlag interrupt{false};
    std::atomic<int> ending{0};
    std::atomic<Session*> session{nullptr};
    int wake = -1;  // non-blocking
};
static_assert(std::atomic<Session*>::is_always_lock_free);

// Has the signals interrupt session for as long as it lives.
class InterruptingSession {
  public:
    InterruptingSession(Signals& signals, Session& session)
        : signals_(signals), previous_(signals.session.exchange(&session)) {}
    ~InterruptingSession() { signals_.session.store(previous_); }
    InterruptingSession(const InterruptingSession&) = delete;
    InterruptingSession& operator=(const InterruptingSession&) = delete;

  private:
    Signals& signals_;
    Session* previous_;
};

// Evaluates line in session and writes its answer: the failure's message
// line, if any, then "The result is " and the value or "Error". Does not
// flush. For a terminal: an interrupted line's message starts with a
// carriage return, so that it covers the "^C" the terminal has echoed.
void AnswerLine(const std::string& line, std::ostream& out, Session& session);

// Once an interrupt has done its work, unless the program is ending: the
// bytes that woke the waits are read away and the flag is cleared, so that
// the next line starts afresh. Cheap when no interrupt came.
void SpendInterrupt(Signals& signals);

enum class Flushing {
    kEveryLine,   // after each prompt and each result, for a person at a terminal
    kBeforeWait,  // only when the source is about to wait for input, and at the end
};

// Writes the banner, then prompts for, evaluates and answers one line at a
// time until a line starting with "." or the end of input, or until out
// fails, evaluating in session. Returns the exit code: 1 when out could not
// be written or in could not be read, else 0. With kBeforeWait the source
// must flush out before it waits.
//
// With signals, the evaluations are interrupted through them. An interrupted
// line fails with "Interrupted."; a wait for input cut short by an interrupt
// drops the line being typed and prompts again on a new line. Once
// signals->ending is set, the dialogue ends after the line under way, every
// answer written; the caller then exits as the signal asks.
int RunConsole(LineSource& in, std::ostream& out, Flushing flushing, Session& session,
               Signals* signals = nullptr);

// The same in a session of its own, started as the console program starts.
int RunConsole(LineSource& in, std::ostream& out, Flushing flushing);

// The same loop over a stream, flushing every line.
int RunConsole(std::istream& in, std::ostream& out);

}  // namespace expreval
