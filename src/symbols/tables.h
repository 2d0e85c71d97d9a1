// The three global symbol tables, the tables of a session, and the lookups
// in them. The built-in rows that fill g_functions and g_operators
// are the operations' own (ops/builtins.h).
#pragma once

#include <string>
#include <string_view>

#include "symbols/lookup_cache.h"
#include "symbols/records.h"
#include "symbols/symbol_list.h"

namespace expreval {

extern SymbolList<Function>* g_functions;
extern SymbolList<Operator>* g_operators;
extern SymbolList<Variable>* g_variables;

// The variables and host functions of one session. An evaluation reads and
// assigns a session's tables, or the process-wide g_variables with no host
// functions (the free functions of expreval.h).
struct SessionTables {
    SymbolList<Variable> variables;
    SymbolList<Function> functions;
};

// Defines zurp in list, as at start-up.
void DefinePredefinedVariables(SymbolList<Variable>& list);

// Drops every variable of g_variables and defines zurp again, as at
// start-up: a run that must not see the variables of the one before (a
// fuzzer's) starts over without keeping their records.
void ResetVariables();

// Lookups by name, case-insensitive like the key records; null when the
// name is absent. The lookups in the built-in tables remember what they
// found in cache. FindFunctionIn is the one answer to "is this name a
// function": a built-in one, else one of session's (which may be null).
const Function* FindFunctionIn(LookupCache<Function>& cache, const SessionTables* session,
                               std::string_view name);
// A session's own function of that name alone.
const Function* FindHostFunction(const SymbolList<Function>& hosts, std::string_view name);
const Operator* LookUpOperator(std::string_view symbol);
// Inline: the scanner asks for every operator it meets.
inline const Operator* FindOperatorIn(LookupCache<Operator>& cache, std::string_view symbol) {
    return cache.Find(g_operators, symbol, LookUpOperator);
}
const Variable* FindVariableIn(const SymbolList<Variable>& list, std::string_view name);
// The same, remembered in cache while no variable joins or leaves list.
const Variable* FindVariableIn(LookupCache<Variable>& cache, const SymbolList<Variable>& list,
                               std::string_view name);
// True when name, already folded, is that of a built-in function.
bool IsBuiltInFunction(std::string_view name);

// Stores value under name in list (created or replaced).
void StoreVariable(SymbolList<Variable>& list, std::string&& name, std::string&& value);

// Tells variable, just given a value, what reading the value as a plain
// number gives, known where the value was worked out: its first read then
// reads no text. A bound variable is read from its host's double instead.
inline void KnowVariableNumber(const Variable& variable, const PlainNumber& number) {
    if (variable.bound != nullptr)
        return;
    variable.number = number;
    variable.plain = true;
    variable.numberRead = true;
}

}  // namespace expreval
