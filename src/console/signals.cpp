#include "console/signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace expreval {

namespace {

constexpr int kHandled[] = {SIGINT, SIGTERM, SIGHUP};

constinit Signals g_signals;
constinit int g_wakeWriter = -1;
constinit bool g_interruptOnly = false;  // SIGINT only interrupts

// Only what is safe in a handler: stores to lock-free atomics and write(2).
// The byte wakes a wait for input; when the pipe is full, one already waits.
void OnSignal(int number) {
    const int savedErrno = errno;
    if (number != SIGINT || !g_interruptOnly)
        g_signals.ending.store(number);
    g_signals.interrupt.store(true);
    if (Session* session = g_signals.session.load())
        session->Interrupt();
    const char byte = 0;
    if (g_wakeWriter >= 0 && write(g_wakeWriter, &byte, 1) < 0) {
        // nothing to do: the flag is set
    }
    errno = savedErrno;
}

// Without the pipe the flag still stops evaluations; only a wait for input
// would not end.
void OpenWakePipe() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_signals.wake = ends[0];
    g_wakeWriter = ends[1];
}

}  // namespace

// SA_RESTART: output written while a signal arrives must not fail. Waits for
// input do not rely on it: they watch the pipe.
Signals& CatchSignals(bool atTerminal) {
    g_interruptOnly = atTerminal;
    OpenWakePipe();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int number : kHandled)
        sigaddset(&action.sa_mask, number);
    for (const int number : kHandled) {
        struct sigaction previous {};
        if (sigaction(number, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(number, &action, nullptr);
    }
    return g_signals;
}

}  // namespace expreval
