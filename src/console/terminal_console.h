// The console for a person at a terminal: the same dialogue as RunConsole,
// or the same quiet answers as RunQuietly, read through the line editor,
// with the lines typed kept from one run to the next.
#pragma once

#include <iosfwd>
#include <optional>

#include "console/console.h"
#include "console/history.h"
#include "expreval/session.h"

namespace expreval {

struct TerminalOptions {
    bool quiet = false;                      // answers alone, without banner or prompt
    std::optional<HistoryLocation> history;  // nothing: the history lives in memory only
};

// Writes the banner and answers edited lines from standard input until a
// line starting with "." or Ctrl-D on an empty line, evaluating in session.
// The dialogue passes over an empty line that follows an answered one, quiet
// answers every empty line. Signals work as for RunConsole; the history is
// read at the start and saved at the end, however the dialogue ends, with
// complaints on err. Falls back to plain lines, without history, when the
// terminal cannot be set up for editing. Returns the exit code: for quiet
// answers as RunQuietly's, otherwise 0, or 1 when out failed.
int RunTerminalConsole(std::ostream& out, std::ostream& err, Session& session, Signals& signals,
                       const TerminalOptions& options);

}  // namespace expreval
