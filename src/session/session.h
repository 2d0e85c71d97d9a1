// The implementation side of expreval::Session, for the console.
#pragma once

#include "eval/road.h"
#include "expreval/session.h"
#include "symbols/tables.h"

namespace expreval {

// The tables in which session evaluates.
SessionTables& TablesOf(Session& session);

// The road session's evaluations take from now on, for tests that run one
// text both ways. A session starts on the road of the thread that made it.
void SetRoad(Session& session, Road road);

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
