// Functions a host program defines on a session, called where the built-in
// ones are.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "symbols/records.h"

namespace expreval {

// Exactly one of the four is set.
struct HostFunction {
    // Applied like a built-in function: to a number, to each element of a
    // list, never to a string; its result written by NumberToText.
    std::function<double(double)> numeric;
    // Given the argument's value text, gives the result's value text.
    std::function<std::string(const std::string&)> general;
    // Given the numbers of the call's arguments, arity of them (any number
    // for kAnyArity); its result written by NumberToText.
    std::function<double(const std::vector<double>&)> numbers;
    // Given the value texts of the call's arguments, gives the result's.
    std::function<std::string(const std::vector<std::string>&)> values;
    // For numbers and values only.
    int arity = 0;
    // numeric or numbers, said by the host to depend on its arguments alone
    // and to leave the session be: a formula's number form may call it, and
    // call it again where the formula's program then runs instead.
    bool pure = false;
};

// The arity of a function that takes any number of arguments.
inline constexpr int kAnyArity = -1;

// The result of a call of function, a host's (its host is set), with the
// argument text of the call, which it evaluates.
std::string CallHostFunction(const Function& function, std::string_view argument, Context& context);

// A name as the scanner reads one: a letter, then letters and digits.
bool IsValidName(std::string_view name);

}  // namespace expreval
