#include "console/terminal_console.h"

#include <unistd.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>

#include "console/batch.h"
#include "console/completion.h"
#include "console/line_editor.h"
#include "console/line_source.h"
#include "console/quiet.h"

namespace expreval {

namespace {

int RunWithoutEditing(std::ostream& out, std::ostream& err, Session& session, Signals& signals,
                      bool quiet) {
    if (quiet)
        return RunQuietly(STDIN_FILENO, out, err, session, signals, true);
    DescriptorLineSource source(
        STDIN_FILENO, [&out] { out.flush(); }, signals.wake);
    return RunConsole(source, out, Flushing::kEveryLine, session, &signals);
}

// The dialogue's answers or quiet ones, for a line and its number.
struct Answering {
    std::function<void(const std::string& line, size_t number)> answer;
    bool passOverEveryEmptyLine;
};

// As with piped input, the empty line that follows an answered one is
// passed over (pressing Enter twice does no harm); the dialogue evaluates
// any other like every line. Ctrl-C while typing starts that over too.
LineRead AnswerEditedLines(LineEditor& editor, std::ostream& out, Signals& signals,
                           History* history, const Answering& answering) {
    bool skipEmptyLine = false;
    size_t number = 0;
    std::string line;
    LineRead read;
    while ((read = editor.ReadLine(line)) != LineRead::kEnd && signals.ending.load() == 0) {
        if (read == LineRead::kInterrupted) {
            SpendInterrupt(signals);
            out << '\n' << std::flush;
            skipEmptyLine = false;
            continue;
        }
        ++number;
        if (line.empty() &&
            (answering.passOverEveryEmptyLine || std::exchange(skipEmptyLine, false)))
            continue;
        if (IsQuitLine(line))
            return LineRead::kLine;
        if (!line.empty()) {
            editor.Remember(line);
            if (history != nullptr)
                history->Add(line);
        }
        answering.answer(line, number);
        SpendInterrupt(signals);
        skipEmptyLine = true;
        out << std::flush;  // before libedit writes the next prompt
        if (!out || signals.ending.load() != 0)
            return LineRead::kLine;
    }
    return read;
}

}  // namespace

int RunTerminalConsole(std::ostream& out, std::ostream& err, Session& session, Signals& signals,
                       const TerminalOptions& options) {
    const std::unique_ptr<LineEditor> editor =
        LineEditor::Open(signals.wake, options.quiet ? "" : kPrompt);
    if (editor == nullptr)
        return RunWithoutEditing(out, err, session, signals, options.quiet);
    std::optional<History> history;
    if (options.history) {
        history.emplace(*options.history, err);
        for (const std::string& line : history->Load())
            editor->Remember(line);
    }
    const WatchInterrupt watch(signals.interrupt);  // what the answers ask between evaluations
    const InterruptingSession interrupting(signals, session);
    const UsingSession completed(session);  // Tab completes its names
    std::optional<QuietAnswers> quiet;
    Answering answering{[&](const std::string& line, size_t) { AnswerLine(line, out, session); },
                        false};
    if (options.quiet) {
        quiet.emplace(out, err, session, &signals, true);
        answering = {[&](const std::string& line, size_t number) {
                         quiet->Answer(line, {"", "line", number});
                     },
                     true};
    } else {
        out << kBanner << std::flush;
    }
    // Ctrl-D, or a signal while waiting: the shell's prompt starts on a new
    // line (quiet, with no prompt, the cursor is at the start of one).
    if (AnswerEditedLines(*editor, out, signals, history ? &*history : nullptr, answering) !=
            LineRead::kLine &&
        !options.quiet)
        out << '\n' << std::flush;
    if (history)
        history->Save();
    return out && !(quiet && quiet->AnyFailed()) ? 0 : 1;
}

}  // namespace expreval
