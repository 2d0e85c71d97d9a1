#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <span>
#include <string_view>

#include "console/command_line.h"
#include "console/console.h"
#include "console/line_source.h"
#include "console/memory_ceiling.h"
#include "console/signals.h"
#include "expreval/session.h"
#include "session/session.h"
#ifdef EXPREVAL_HAVE_LIBEDIT
#include "console/terminal_console.h"
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Long lists and strings are texts of megabytes, copied a few times on each
// line. The C library maps a block that large afresh for every copy, and each
// of its pages then faults in again; kept in the heap, the pages that one copy
// frees serve the next. Both limits are where the library's own adaptive ones
// stop rising; set here, they hold from the first block on.
void KeepLargeBlocksInHeap() {
#ifdef __GLIBC__
    constexpr int kMapThreshold = 32 * 1024 * 1024;    // larger blocks are still mapped
    constexpr int kTrimThreshold = 2 * kMapThreshold;  // free heap kept for reuse
    mallopt(M_MMAP_THRESHOLD, kMapThreshold);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
#endif
}

// For tests alone, and so not documented: EXPREVAL_ROAD=reference answers
// every line on the reference road, so that one program can be run both ways
// and its answers compared. Any other value changes nothing.
void ChooseRoad(expreval::Session& session) {
    const char* road = std::getenv("EXPREVAL_ROAD");
    if (road != nullptr && std::string_view(road) == "reference")
        expreval::SetRoad(session, expreval::Road::kReference);
}

bool BothStreamsAreTerminals() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

// A person at a terminal sees every prompt and result at once; any other
// reader gets the same bytes in large writes, flushed whenever the console is
// about to wait for input.
int RunDialogueOnStandardStreams([[maybe_unused]] bool atTerminal, expreval::Signals& signals) {
    expreval::Session session = expreval::Session::Console();
    ChooseRoad(session);
#ifdef EXPREVAL_HAVE_LIBEDIT
    if (atTerminal)
        return expreval::RunTerminalConsole(std::cout, session, signals);
#endif
    expreval::DescriptorLineSource source(
        STDIN_FILENO, [] { std::cout.flush(); }, signals.wake);
    const expreval::Flushing flushing =
        isatty(STDOUT_FILENO) ? expreval::Flushing::kEveryLine : expreval::Flushing::kBeforeWait;
    return expreval::RunConsole(source, std::cout, flushing, session, &signals);
}

}  // namespace

// A dialogue whose answers could not all be written, or whose input could
// not be read, must not look like one that went well; one that a signal
// ended exits as the signal asks, once its answers are out.
int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    if (const std::optional<int> code =
            expreval::AnswerArguments(std::span(argv, argc).subspan(1), std::cout, std::cerr))
        return *code;
    KeepLargeBlocksInHeap();
    expreval::ApplyMemoryCeiling();
    const bool atTerminal = BothStreamsAreTerminals();
    expreval::Signals& signals = expreval::CatchSignals(atTerminal);
    const int code = RunDialogueOnStandardStreams(atTerminal, signals);
    if (const int ending = signals.ending.load())
        return expreval::ExitStatusAfter(ending);
    if (code != 0)
        std::cerr << (std::cout ? "expreval: standard input could not be read\n"
                                : "expreval: standard output could not be written\n");
    return code;
}
