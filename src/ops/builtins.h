// The built-in functions and operators: one row each, from which the tables
// g_functions and g_operators are filled.
#pragma once

namespace expreval {

// Builds g_functions and g_operators on the first call, from any thread, and
// does nothing on later ones: after it they are only read.
void EnsureBuiltInTables();

}  // namespace expreval
