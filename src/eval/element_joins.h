// Chains of joins applied to each element of one list, as {1,2}.1.1.1:
// rebuilding the list at every join would cost time in proportion to the
// square of the chain. The appended pieces are gathered instead, and the
// list is joined with all of them at once, where that gives the same text.
#pragma once

#include <string>
#include <string_view>

#include "eval/context.h"
#include "symbols/records.h"
#include "value/settled.h"

namespace expreval {

// The joins gathered for one list: join applied to the list and piece gives
// what the gathered joins, applied one by one, would give.
struct ElementJoins {
    const Operator* join = nullptr;  // null while nothing is gathered
    Settled pieceForm = Settled::kUnknown;
    std::string piece;  // an operand text that evaluates to itself
};

// Gathers the join of list (whose form is listForm) with right into joins,
// and says so; false, having changed nothing, where the join must be
// applied as it stands, after the ones gathered so far. They are gathered
// only where nothing could fail or happen between them: a join of every
// element of a list of settled numbers with a number of digits and at most
// one point (by "."), or of settled numbers and strings with a string (by
// "." or "+") that holds no "}".
bool GatherElementJoin(const Context& context, const Operator& join, std::string_view list,
                       Settled listForm, std::string_view right, ElementJoins& joins);

}  // namespace expreval
