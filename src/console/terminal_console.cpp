#include "console/terminal_console.h"

#include <unistd.h>

#include <ostream>
#include <string>
#include <utility>

#include "console/completion.h"
#include "console/line_editor.h"
#include "console/line_source.h"
#include "session/session.h"

namespace expreval {

namespace {

int RunWithoutEditing(std::ostream& out, Session& session, Signals& signals) {
    DescriptorLineSource source(
        STDIN_FILENO, [&out] { out.flush(); }, signals.wake);
    return RunConsole(source, out, Flushing::kEveryLine, session, &signals);
}

// As with piped input, the empty line that follows an answered one is
// passed over (pressing Enter twice does no harm) and any other is
// evaluated like every line. Ctrl-C while typing starts that over too.
LineRead AnswerEditedLines(LineEditor& editor, std::ostream& out, Session& session,
                           Signals& signals) {
    bool skipEmptyLine = false;
    std::string line;
    LineRead read;
    while ((read = editor.ReadLine(line)) != LineRead::kEnd && signals.ending.load() == 0) {
        if (read == LineRead::kInterrupted) {
            SpendInterrupt(signals);
            out << '\n' << std::flush;
            skipEmptyLine = false;
            continue;
        }
        if (line.empty() && std::exchange(skipEmptyLine, false))
            continue;
        if (IsQuitLine(line))
            return LineRead::kLine;
        if (!line.empty())
            editor.Remember(line);
        AnswerLine(line, out, session);
        SpendInterrupt(signals);
        skipEmptyLine = true;
        out << std::flush;  // before libedit writes the next prompt
        if (!out || signals.ending.load() != 0)
            return LineRead::kLine;
    }
    return read;
}

}  // namespace

int RunTerminalConsole(std::ostream& out, Session& session, Signals& signals) {
    const std::unique_ptr<LineEditor> editor = LineEditor::Open(signals.wake);
    if (editor == nullptr)
        return RunWithoutEditing(out, session, signals);
    const WatchInterrupt watch(signals.interrupt);  // what the answers ask between evaluations
    const InterruptingSession interrupting(signals, session);
    const UsingSession completed(session);  // Tab completes its names
    out << kBanner << std::flush;
    // Ctrl-D, or a signal while waiting: the shell's prompt starts on a new line.
    if (AnswerEditedLines(*editor, out, session, signals) != LineRead::kLine)
        out << '\n' << std::flush;
    return out ? 0 : 1;
}

}  // namespace expreval
