// Lines of arithmetic on numbers, evaluated as the scan and the grammar
// meet them, on doubles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "eval/context.h"

namespace expreval {

// What a line of arithmetic on numbers answers, worked out and not yet
// given: where its value text comes from, the checks it spends, and the
// variable it assigns, if any. Views into the line's text and the variable
// it names hold while nothing else is evaluated.
struct NumberLineAnswer {
    enum class From : unsigned char { kWork, kVariable, kToken };
    From from;
    bool cut;    // kWork: its integer part
    double raw;  // kWork: the result, before it is read as its text
    const Variable* variable;
    std::string_view token;
    std::string_view target;  // empty when the line assigns nothing
    // The target's record, when the line found it holding a number.
    const Variable* targetVariable;
    // What the value text reads as (a PlainNumber, kept as its parts so that
    // an answer not yet worked out costs nothing to make).
    double value;
    bool integer;
    std::int64_t checks;
};

// Most lines are arithmetic on numbers: number literals, names of variables
// that hold plain numbers, the operators whose rows give their work on two
// numbers, groups, implied multiplication, and perhaps one "name=" applied
// last. For such a text, this works out the answer that the stacks and the
// handlers would give and returns true, having changed nothing: the answer
// is given by GiveNumberLineAnswer. For any other text, for a line that
// would fail, and for one that the rewrite would change (white space,
// capitals), it returns false, and the caller takes the stacks or the
// rewrite.
bool WorkOutNumberLine(Context& context, std::string_view text, NumberLineAnswer& answer);

// The answer's value text, with its checks spent and its assignment made:
// its effects come only once it is given.
std::string GiveNumberLineAnswer(Context& context, const NumberLineAnswer& answer);

}  // namespace expreval
