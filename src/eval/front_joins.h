// Joins whose growing value is the right operand, as in "a".("a".("a"...)),
// {1}+({1}+({1}...)) or (1).((1).((1)...)): each join would copy the whole
// value to put a few bytes in front of it. The values joined in front are
// gathered instead, and the whole is written once.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "symbols/records.h"
#include "value/settled.h"

namespace expreval {

struct FrontJoins {
    const Operator* join = nullptr;  // null while nothing is gathered
    // What is joined: kString, kList, or kNumber for numbers by ".".
    Settled kind = Settled::kUnknown;
    // Literal tokens of the text evaluated, which outlives the run, or
    // copies, in the order joined: the last one stands first.
    std::vector<std::string_view> pieces;
    std::deque<std::string> copies;  // where a copied piece stays put
};

// Whether piece, a literal or a variable's value, joined by join in front
// of value (settled as valueForm; the first piece of front if any, else
// value itself stands first), may be gathered: a string before a string or
// a list before a list by "+" or "." (the operators that join texts join
// two lists too), a settled number before one by ".", and never anything
// before a minus sign, which would then stand inside the number. Adds it to
// front if so, a copy of it when asked.
bool GatherFrontJoin(const Operator& join, std::string_view piece, std::string_view value,
                     Settled valueForm, FrontJoins& front, bool copy = false);

// The value the gathered joins make: what the handler would have given,
// join by join, and its settled form.
std::string WriteFrontJoins(FrontJoins& front, std::string_view value, Settled& form);

}  // namespace expreval
