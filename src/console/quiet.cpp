#include "console/quiet.h"

#include <new>
#include <ostream>
#include <string>

namespace expreval {

namespace {

void Write(std::ostream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

QuietAnswers::QuietAnswers(std::ostream& out, std::ostream& err, Session& session, Signals* signals,
                           bool flushEveryLine)
    : out_(out), err_(err), session_(session), signals_(signals), flushEveryLine_(flushEveryLine) {
    if (signals != nullptr) {
        watch_.emplace(signals->interrupt);
        interrupting_.emplace(*signals, session);
    }
}

bool QuietAnswers::Stopped() const {
    return !out_ || (signals_ != nullptr && signals_->ending.load() != 0);
}

// The answers before it go out first, so that where both streams meet (a
// terminal, 2>&1) the message stands just before its "Error". A terminal
// has echoed the Ctrl-C that interrupted the line where the message starts.
void QuietAnswers::Fail(std::string_view message, const LinePlace& place) {
    anyFailed_ = true;
    out_.flush();
    std::string text = flushEveryLine_ && signals_ != nullptr && signals_->interrupt.load()
                           ? "\rexpreval: "
                           : "expreval: ";
    if (!place.file.empty())
        text.append(place.file).append(": ");
    text.append(place.unit).append(" ").append(std::to_string(place.number)).append(": ");
    text.append(message).append("\n");
    Write(err_, text);
    err_.flush();
    Write(out_, "Error\n");
}

void QuietAnswers::Finish() {
    if (flushEveryLine_)
        out_.flush();
    if (signals_ != nullptr)
        SpendInterrupt(*signals_);
}

void QuietAnswers::Answer(const std::string& text, const LinePlace& place) {
    try {
        const std::string value = session_.Evaluate(text);
        Write(out_, value);
        Write(out_, "\n");
    } catch (const Exception& failure) {
        Fail(failure.message, place);
    } catch (const std::bad_alloc&) {
        Fail("Out of memory.", place);
    }
    Finish();
}

void QuietAnswers::AnswerLines(LineSource& in, std::string_view file) {
    std::string line;
    LinePlace place{file, "line", 0};
    for (LineRead read = in.ReadLine(line); read != LineRead::kEnd && !Stopped();
         read = in.ReadLine(line)) {
        if (read == LineRead::kInterrupted) {  // Ctrl-C while a line was typed
            Write(out_, "\n");
            Finish();
            continue;
        }
        ++place.number;
        if (read == LineRead::kTooLong) {
            Fail("Out of memory.", place);
            Finish();
        } else if (IsQuitLine(line)) {
            return;
        } else if (!line.empty() && line != "\r") {  // "\r": a blank line ended by CR LF
            Answer(line, place);
        }
    }
}

}  // namespace expreval
