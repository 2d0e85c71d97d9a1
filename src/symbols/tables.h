// The three global symbol tables and the builders of the two built-in ones.
#pragma once

#include <string>
#include <string_view>

#include "symbols/records.h"
#include "symbols/symbol_list.h"

namespace expreval {

extern SymbolList<Function>* g_functions;
extern SymbolList<Operator>* g_operators;
extern SymbolList<Variable>* g_variables;

// Create g_functions and g_operators and append the built-in rows.
void BuildFunctionTable();
void BuildOperatorTable();

// Start-up: an empty g_variables, the two built-in tables, then the
// predefined variable zurp.
void BuildSymbolTables();

// Drops every variable and defines zurp again, as at start-up: a run that
// must not see the variables of the one before (a fuzzer's) starts over
// without keeping their records.
void ResetVariables();

// Builds the tables when any is missing: a host that evaluates or defines a
// variable before building them gets them then, not a null table.
void EnsureSymbolTables();

// Lookups by name, case-insensitive like the key records; null when the
// name is absent.
const Function* FindFunction(std::string_view name);
const Operator* FindOperator(std::string_view symbol);
const Variable* FindVariable(std::string_view name);

// Stores value under name in g_variables (created or replaced).
void SetVariable(std::string name, std::string value);

}  // namespace expreval
