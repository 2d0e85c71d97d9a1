// Tab completion of the names a person may type: the built-in functions and
// the variables defined so far.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "expreval/session.h"

namespace expreval {

struct SessionTables;

struct Completion {
    // Text to insert at the cursor: the rest of the only match, or the part
    // that all matches share beyond what was typed.
    std::string insertion;
    // Every match in full, sorted; a function's ends in "(".
    std::vector<std::string> candidates;
};

// Completes the name that ends at the cursor. beforeCursor is the line up to
// the cursor. Inside a quoted string nothing is offered. Offers the
// functions and variables of the session that UsingSession names; without
// one, nothing.
Completion CompleteName(std::string_view beforeCursor);

// Makes Tab complete the names of session for as long as it lives. The
// console completes in one session on one thread.
class UsingSession {
  public:
    explicit UsingSession(Session& session);
    ~UsingSession();
    UsingSession(const UsingSession&) = delete;
    UsingSession& operator=(const UsingSession&) = delete;

  private:
    const Session* previous_;
};

}  // namespace expreval
