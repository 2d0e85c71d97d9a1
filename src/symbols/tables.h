// The three global symbol tables, and the tables of the session evaluating
// on this thread. The built-in rows that fill g_functions and g_operators
// are the operations' own (ops/builtins.h).
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

// Defines zurp in list, as at start-up.
void DefinePredefinedVariables(SymbolList<Variable>& list);

// Drops every variable of g_variables and defines zurp again, as at
// start-up: a run that must not see the variables of the one before (a
// fuzzer's) starts over without keeping their records.
void ResetVariables();

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
void AssignVariable(std::string name, std::string value);
// The same in list.
void StoreVariable(SymbolList<Variable>& list, std::string&& name, std::string&& value);

}  // namespace expreval
