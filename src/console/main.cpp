#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "console/batch.h"
#include "console/command_line.h"
#include "console/console.h"
#include "console/descriptor.h"
#include "console/line_source.h"
#include "console/memory_ceiling.h"
#include "console/pipe_output.h"
#include "console/signals.h"
#include "expreval/session.h"
#ifdef EXPREVAL_HAVE_LIBEDIT
#include "console/history.h"
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

// A standard stream the program was started without would be taken by the
// first descriptor it opens (its wake pipe, a file): answers would vanish
// into it, or input be awaited from it forever, and the run look well or
// hang. Each is opened on /dev/null the wrong way round instead, so that
// using it fails and says so.
void OpenMissingStandardStreams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

bool BothStreamsAreTerminals() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1;
}

// Standard output: through a PipeOutput when it is a pipe, so that a reader
// that lags does not hold up the answering; std::cout otherwise.
class StandardOutput {
  public:
    StandardOutput() : pipe_(expreval::PipeOutput::Open(STDOUT_FILENO)) {
        if (pipe_ != nullptr)
            piped_.emplace(pipe_.get());
    }
    std::ostream& Stream() { return piped_ ? *piped_ : std::cout; }

  private:
    std::unique_ptr<expreval::PipeOutput> pipe_;
    std::optional<std::ostream> piped_;
};

// The console's session lasts until the process ends: the memory of its
// variables goes back with the process's, where freeing them one by one
// would read each again, which for tens of thousands of them is a tenth of
// the run.
expreval::Session& ConsoleSession() {
    static expreval::Session& session = *new expreval::Session(expreval::Session::Console());
    return session;
}

// A person at a terminal sees every prompt and result at once; any other
// reader gets the same bytes in large writes, flushed whenever the console is
// about to wait for input.
int RunDialogue(const expreval::CommandLine& commandLine, [[maybe_unused]] bool atTerminal,
                std::ostream& out, expreval::Signals& signals) {
    expreval::Session& session = ConsoleSession();
#ifdef EXPREVAL_HAVE_LIBEDIT
    if (atTerminal) {
        expreval::TerminalOptions options;
        options.quiet = commandLine.quiet;
        if (commandLine.history)
            options.history = expreval::FindHistoryInEnvironment();
        return expreval::RunTerminalConsole(out, std::cerr, session, signals, options);
    }
#endif
    const bool outToTerminal = isatty(STDOUT_FILENO) == 1;
    if (commandLine.quiet)
        return expreval::RunQuietly(STDIN_FILENO, out, std::cerr, session, signals, outToTerminal);
    expreval::DescriptorLineSource source(
        STDIN_FILENO, [&out] { expreval::FlushBeforeWaiting(out, STDIN_FILENO); }, signals.wake);
    const expreval::Flushing flushing =
        outToTerminal ? expreval::Flushing::kEveryLine : expreval::Flushing::kBeforeWait;
    const int code = expreval::RunConsole(source, out, flushing, session, &signals);
    if (code != 0 && out)
        std::cerr << "expreval: standard input could not be read\n";
    return code;
}

}  // namespace

// A run whose answers could not all be written, or whose input could not be
// read, must not look like one that went well; one that a signal ended
// exits as the signal asks, once its answers are out.
int main(int argc, char* argv[]) {
    OpenMissingStandardStreams();
    std::ios::sync_with_stdio(false);
    const std::variant<expreval::CommandLine, int> commandLine =
        expreval::ReadCommandLine(std::span(argv, argc).subspan(1), std::cout, std::cerr);
    if (const int* code = std::get_if<int>(&commandLine))
        return *code;
    const std::vector<expreval::Input>& inputs =
        std::get<expreval::CommandLine>(commandLine).inputs;
    const std::optional<std::vector<expreval::Descriptor>> files =
        expreval::OpenInputs(inputs, std::cerr);
    if (!files)
        return 2;
    KeepLargeBlocksInHeap();
    expreval::ApplyMemoryCeiling();
    const bool atTerminal = inputs.empty() && BothStreamsAreTerminals();
    expreval::Signals& signals = expreval::CatchSignals(atTerminal);
    StandardOutput output;
    std::ostream& out = output.Stream();
    const int code =
        inputs.empty()
            ? RunDialogue(std::get<expreval::CommandLine>(commandLine), atTerminal, out, signals)
            : expreval::RunInputs(inputs, *files, out, std::cerr, ConsoleSession(), signals);
    out.flush();
    if (const int ending = signals.ending.load())
        return expreval::ExitStatusAfter(ending);
    if (!out) {
        std::cerr << "expreval: standard output could not be written\n";
        return 1;
    }
    return code;
}
