#include <iostream>

#include "console/console.h"
#include "symbols/tables.h"
#ifdef EXPREVAL_HAVE_LIBEDIT
#include "console/terminal_console.h"
#endif

int main() {
    std::ios::sync_with_stdio(false);
    expreval::BuildSymbolTables();
#ifdef EXPREVAL_HAVE_LIBEDIT
    if (expreval::StandardStreamsAreTerminals())
        return expreval::RunTerminalConsole(std::cin, std::cout);
#endif
    return expreval::RunConsole(std::cin, std::cout);
}
