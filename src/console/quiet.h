// Answers alone, for scripts: each line's value on a line of its own, or
// "Error" with the failure's message on the error stream, saying where the
// line came from. Answers stay one per line, so that a script can pair them
// with its input.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/line_source.h"
#include "expreval/session.h"

namespace expreval {

// Where a line came from, as its failure message names it: "expreval:
// calc.txt: line 3: " for a file, "expreval: line 3: " for standard input,
// "expreval: expression 2: " for the second expression of the command line.
struct LinePlace {
    std::string_view file;  // empty for standard input and expressions
    std::string_view unit;  // "line" or "expression"
    size_t number = 0;
};

class QuietAnswers {
  public:
    // With signals, they interrupt the evaluations while this lives. With
    // flushEveryLine each answer is flushed at once, for a person.
    QuietAnswers(std::ostream& out, std::ostream& err, Session& session, Signals* signals,
                 bool flushEveryLine);
    QuietAnswers(const QuietAnswers&) = delete;
    QuietAnswers& operator=(const QuietAnswers&) = delete;

    // Evaluates text and writes its answer.
    void Answer(const std::string& text, const LinePlace& place);

    // Answers the lines of in, passing over empty ones (and those of a
    // lone carriage return, a file's with CR LF line ends), up to a line that
    // starts with "." or the end of in. file names in ("" for standard
    // input).
    void AnswerLines(LineSource& in, std::string_view file);

    // Nothing more may be evaluated: out failed, or a signal ends the program.
    bool Stopped() const;
    bool AnyFailed() const { return anyFailed_; }

  private:
    void Fail(std::string_view message, const LinePlace& place);
    void Finish();

    std::ostream& out_;
    std::ostream& err_;
    Session& session_;
    Signals* signals_;
    bool flushEveryLine_;
    bool anyFailed_ = false;
    std::optional<WatchInterrupt> watch_;
    std::optional<InterruptingSession> interrupting_;
};

}  // namespace expreval
