#include "console/terminal_console.h"

#include <unistd.h>

#include <ostream>

#include "console/console.h"
#include "console/line_editor.h"
#include "session/session.h"

namespace expreval {

bool StandardStreamsAreTerminals() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

int RunTerminalConsole(std::istream& in, std::ostream& out, Session& session) {
    const std::unique_ptr<LineEditor> editor = LineEditor::Open();
    if (editor == nullptr) {
        StreamLineSource source(in);
        return RunConsole(source, out, Flushing::kEveryLine, session);
    }
    const UsingSession completed(session);  // Tab completes its names
    out << kBanner << std::flush;
    // As with piped input, the empty line that follows an answered one is
    // passed over (pressing Enter twice does no harm) and any other is
    // evaluated like every line.
    bool skipEmptyLine = false;
    while (const std::optional<std::string> line = editor->ReadLine()) {
        if (line->empty() && skipEmptyLine) {
            skipEmptyLine = false;
            continue;
        }
        if (IsQuitLine(*line))
            return 0;
        if (!line->empty())
            editor->Remember(*line);
        AnswerLine(*line, out, session);
        skipEmptyLine = true;
        out << std::flush;  // before libedit writes the next prompt
        if (!out)
            return 1;
    }
    out << '\n' << std::flush;  // Ctrl-D: the shell's prompt starts on a new line
    return out ? 0 : 1;
}

}  // namespace expreval
