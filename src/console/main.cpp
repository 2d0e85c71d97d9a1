#include <iostream>

#include "console/console.h"
#include "symbols/tables.h"

int main() {
    std::ios::sync_with_stdio(false);
    expreval::BuildSymbolTables();
    return expreval::RunConsole(std::cin, std::cout);
}
