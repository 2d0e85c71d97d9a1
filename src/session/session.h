// The implementation side of expreval::Session, for the console.
#pragma once

#include "eval/road.h"
#include "expreval/session.h"
#include "symbols/tables.h"

namespace expreval {

// The tables in which session evaluates.
SessionTables& TablesOf(Session& session);

// The road session's evaluations take from now on, for tests that run one
// text both ways. A session starts on the default road (eval/road.h).
void SetRoad(Session& session, Road road);

}  // namespace expreval
