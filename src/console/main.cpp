#include <unistd.h>

#include <iostream>

#include "console/console.h"
#include "console/line_source.h"
#include "symbols/tables.h"
#ifdef EXPREVAL_HAVE_LIBEDIT
#include "console/terminal_console.h"
#endif

namespace {

// A person at a terminal sees every prompt and result at once; any other
// reader gets the same bytes in large writes, flushed whenever the console is
// about to wait for input.
int Converse() {
#ifdef EXPREVAL_HAVE_LIBEDIT
    if (expreval::StandardStreamsAreTerminals())
        return expreval::RunTerminalConsole(std::cin, std::cout);
#endif
    expreval::DescriptorLineSource source(STDIN_FILENO, [] { std::cout.flush(); });
    const expreval::Flushing flushing =
        isatty(STDOUT_FILENO) ? expreval::Flushing::kEveryLine : expreval::Flushing::kBeforeWait;
    return expreval::RunConsole(source, std::cout, flushing);
}

}  // namespace

// A dialogue whose answers could not all be written, or whose input could
// not be read, must not look like one that went well.
int main() {
    std::ios::sync_with_stdio(false);
    expreval::BuildSymbolTables();
    const int code = Converse();
    if (code != 0)
        std::cerr << (std::cout ? "expreval: standard input could not be read\n"
                                : "expreval: standard output could not be written\n");
    return code;
}
