// The implementation side of expreval::Session, for the console.
#pragma once

#include <string>
#include <string_view>

#include "eval/road.h"
#include "expreval/session.h"
#include "symbols/tables.h"

namespace expreval {

// Throws std::invalid_argument for a name that is not one (a letter, then
// letters and digits) or a value that is not a value text (IsValueText).
void CheckHostVariable(std::string_view name, const std::string& value);
// Stores value under name in list, for a host's SetVariable, a session's or
// the process-wide one, once CheckHostVariable lets it.
void StoreHostVariable(SymbolList<Variable>& list, std::string_view name, std::string value);

// The tables in which session evaluates.
SessionTables& TablesOf(Session& session);

// Session::Evaluate for a line that the caller holds while it is evaluated.
std::string EvaluateLine(Session& session, std::string_view line);

// The road session's evaluations take from now on, for tests that run one
// text both ways. A session starts on the default road (eval/road.h).
void SetRoad(Session& session, Road road);

}  // namespace expreval
