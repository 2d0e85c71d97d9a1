// The implementation side of expreval::Session, for the console.
#pragma once

#include "expreval/session.h"
#include "symbols/tables.h"

namespace expreval {

// The tables in which session evaluates.
SessionTables& TablesOf(Session& session);

// Makes session's tables the current ones on this thread for as long as it
// lives, outside its evaluations too: what the line editor reads to complete
// a name.
class UsingSession {
  public:
    explicit UsingSession(Session& session) : previous_(t_session) {
        t_session = &TablesOf(session);
    }
    ~UsingSession() { t_session = previous_; }
    UsingSession(const UsingSession&) = delete;
    UsingSession& operator=(const UsingSession&) = delete;

  private:
    SessionTables* previous_;
};

}  // namespace expreval
