// expreval evaluates expressions written as text. Every value is text too: a
// number ("12.5"), a string in double quotes ("\"abc\"") or a list in braces
// ("{1,2,3}").
//
// A host calls BuildSymbolTables once, may define variables with
// SetVariable, and then calls Evaluate as often as it likes, catching
// Exception around it. The variables are process-wide and live until the
// process ends; use them from one thread only (sessions may evaluate on other
// threads meanwhile). For separate sets of variables, host functions, limits
// and interrupts, see expreval/session.h.
#pragma once

#include <string>

#include "expreval/exception.h"
#include "expreval/export.h"
#include "expreval/version.h"

namespace expreval {

// Creates the tables of built-in functions and operators and the table of
// variables, holding only zurp = {1,2,3,4,5}. Call it once, before anything
// else (SetVariable and Evaluate call it themselves when it has not been);
// a second call starts over, with only zurp.
EXPREVAL_API void BuildSymbolTables();

// Defines the variable name (case-insensitive; a letter, then letters and
// digits) with value, a value text such as "12", "\"abc\"" or "{1,2}". A
// variable of that name takes the new value. Checks both as
// Session::SetVariable does, and throws std::invalid_argument, as it does,
// for any other name or value ("2x", "1 + 2", "{1,,2}").
EXPREVAL_API void SetVariable(std::string name, std::string value);

// Evaluates expression with the variables defined so far and returns the
// result's value text: "7", "3.5", "\"abcd\"", "{2,4,6}". Evaluating a name
// reads its variable; assignments in the expression (x=2) define variables,
// and stay done even when a later part of it fails. Throws Exception, whose
// message is meant for the user, when the expression fails, and
// std::bad_alloc when memory runs out.
EXPREVAL_API std::string Evaluate(std::string expression);

}  // namespace expreval
