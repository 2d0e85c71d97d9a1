// The three global symbol tables, the builders of the two built-in ones, and
// the tables of the session evaluating on this thread.
#pragma once

#include <string>
#include <string_view>

#include "symbols/records.h"
#include "symbols/symbol_list.h"

namespace expreval {

extern SymbolList<Function>* g_functions;
extern SymbolList<Operator>* g_operators;
extern SymbolList<Variable>* g_variables;

// The variables and host functions of one session. While a session evaluates
// on a thread, t_session points at its tables and every lookup and assignment
// there uses them; null, the process-wide g_variables are used, with no host
// functions (the free functions of expreval.h).
struct SessionTables {
    SymbolList<Variable> variables;
    SymbolList<Function> functions;
};
constinit inline thread_local SessionTables* t_session = nullptr;

inline SymbolList<Variable>& CurrentVariables() {
    return t_session != nullptr ? t_session->variables : *g_variables;
}

// Create g_functions and g_operators and append the built-in rows.
void BuildFunctionTable();
void BuildOperatorTable();

// Builds g_functions and g_operators on the first call, from any thread, and
// does nothing on later ones: after it they are only read.
void EnsureBuiltInTables();

// Start-up: the two built-in tables, then g_variables holding only the
// predefined variable zurp (a second call drops the variables defined since).
void BuildSymbolTables();

// Defines zurp in list, as at start-up.
void DefinePredefinedVariables(SymbolList<Variable>& list);

// Drops every variable and defines zurp again, as at start-up: a run that
// must not see the variables of the one before (a fuzzer's) starts over
// without keeping their records.
void ResetVariables();

// Builds the tables when g_variables is missing: a host that evaluates or
// defines a variable before building them gets them then, not a null table.
void EnsureSymbolTables();

// Lookups by name, case-insensitive like the key records; null when the
// name is absent. FindFunction is the one answer to "is this name a
// function": a built-in one, else one of the current session's.
const Function* FindFunction(std::string_view name);
const Operator* FindOperator(std::string_view symbol);
const Variable* FindVariable(std::string_view name);
// FindVariable in list.
const Variable* FindVariableIn(const SymbolList<Variable>& list, std::string_view name);
// True when name, already folded, is that of a built-in function.
bool IsBuiltInFunction(std::string_view name);

// Stores value under name in the current variables (created or replaced).
void SetVariable(std::string name, std::string value);
// The same in list.
void StoreVariable(SymbolList<Variable>& list, std::string&& name, std::string&& value);

}  // namespace expreval
