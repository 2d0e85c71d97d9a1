#include <unistd.h>

#include <iostream>

#include "console/console.h"
#include "console/line_source.h"
#include "symbols/tables.h"
#ifdef EXPREVAL_HAVE_LIBEDIT
#include "console/terminal_console.h"
#endif

// A person at a terminal sees every prompt and result at once; any other
// reader gets the same bytes in large writes, flushed whenever the console is
// about to wait for input.
int main() {
    std::ios::sync_with_stdio(false);
    expreval::BuildSymbolTables();
#ifdef EXPREVAL_HAVE_LIBEDIT
    if (expreval::StandardStreamsAreTerminals())
        return expreval::RunTerminalConsole(std::cin, std::cout);
#endif
    expreval::DescriptorLineSource source(STDIN_FILENO, [] { std::cout.flush(); });
    const expreval::Flushing flushing =
        isatty(STDOUT_FILENO) ? expreval::Flushing::kEveryLine : expreval::Flushing::kBeforeWait;
    return expreval::RunConsole(source, std::cout, flushing);
}
