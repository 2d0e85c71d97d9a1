// The implementation side of expreval::Session, for the console.
#pragma once

#include "expreval/session.h"
#include "symbols/tables.h"

namespace expreval {

// The tables in which session evaluates.
SessionTables& TablesOf(Session& session);

}  // namespace expreval
