// The signals a console program answers. Ctrl-C at a terminal stops the
// evaluation under way, or drops the line being typed; SIGINT anywhere else,
// SIGTERM and SIGHUP end the dialogue once the answers computed so far are
// written. A closed output (SIGPIPE) keeps its default.
#pragma once

#include "console/console.h"

namespace expreval {

// Installs the handlers, which report through the returned state. atTerminal
// says whether SIGINT only interrupts. A signal that the program was started
// with ignored stays ignored, as a shell's nohup or a background job expects.
Signals& CatchSignals(bool atTerminal);

// The conventional exit status of a program that a signal ended.
inline int ExitStatusAfter(int signalNumber) {
    return 128 + signalNumber;
}

}  // namespace expreval
