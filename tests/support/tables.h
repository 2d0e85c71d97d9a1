// The built-in tables, built once for the whole test program.
#pragma once

#include "expreval/expreval.h"
#include "symbols/tables.h"

namespace expreval {

inline void UseBuiltInTables() {
    static const bool built = [] {
        BuildSymbolTables();
        return true;
    }();
    (void)built;
}

}  // namespace expreval
