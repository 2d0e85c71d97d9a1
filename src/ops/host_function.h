// Functions a host program defines on a session, called where the built-in
// ones are.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "symbols/records.h"

namespace expreval {

// Exactly one of the two is set.
struct HostFunction {
    // Applied like a built-in function: to a number, to each element of a
    // list, never to a string; its result written by NumberToText.
    std::function<double(double)> numeric;
    // Given the argument's value text, gives the result's value text.
    std::function<std::string(const std::string&)> general;
};

// The result of a call of function, a host's (its host is set), with the
// argument text of the call, which it evaluates.
std::string CallHostFunction(const Function& function, std::string_view argument, Context& context);

// True when text is one value as evaluation writes it: a number, a string
// in quotes or a list in braces, that evaluates to itself. A host's value
// must be one, since operands are evaluated again where they are used. A
// list with an empty element ("{1,,2}", "{,}", "{}") is not: evaluating
// the empty element fails wherever the list is used element by element.
bool IsValueText(std::string_view text);

// A name as the scanner reads one: a letter, then letters and digits.
bool IsValidName(std::string_view name);

}  // namespace expreval
