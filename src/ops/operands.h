// How the operator families get their operands: the one prelude that every
// two-operand family and the functions share. How operands travel is
// decided here alone.
#pragma once

#include <string>
#include <type_traits>
#include <utility>

#include "eval/evaluate.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

// What a family does with two lists: refuses them, or joins them (+ and ".").
enum class TwoLists { kRefused, kJoined };

// For a family that works on every single value as text.
struct AsTexts {};

// Operands that are plain numbers (literals, results, variables holding
// them) are read where they stand: the same value and integer test as
// evaluating a copy and reading that. Off with the shortcuts.
inline bool ReadInPlace(const std::string& operand, PlainNumber& number) {
    return kShortcuts && EvaluatePlainNumber(operand, number);
}

inline PlainNumber ReadValue(const std::string& value) {
    return PlainNumber{TextToNumber(value), IsIntegerText(value)};
}

// Evaluates left, then right; two lists are refused or joined; with one
// list, self is applied to each element with the other value on its side.
// Otherwise two numbers go to numbers(a, b) and anything else (a string, or
// every value for AsTexts) to texts(leftValue, rightValue).
template <typename Numbers, typename Texts>
std::string ApplyToOperands(const std::string& left, const std::string& right, Handler self,
                            TwoLists twoLists, Numbers numbers, Texts texts) {
    constexpr bool kNumbers = !std::is_same_v<Numbers, AsTexts>;
    if constexpr (kNumbers) {
        PlainNumber a;
        PlainNumber b;
        if (ReadInPlace(left, a) && ReadInPlace(right, b))
            return numbers(a, b);
    }
    std::string leftValue = Evaluate(left);
    std::string rightValue = Evaluate(right);
    if (IsList(leftValue) && IsList(rightValue)) {
        if (twoLists == TwoLists::kRefused)
            throw Exception("Operation does not support two lists.");
        return JoinLists(std::move(leftValue), rightValue);
    }
    if (IsList(leftValue))
        return ApplyToElements(self, std::move(leftValue), rightValue, false);
    if (IsList(rightValue))
        return ApplyToElements(self, std::move(rightValue), leftValue, true);
    if constexpr (kNumbers) {
        if (!IsString(leftValue) && !IsString(rightValue))
            return numbers(ReadValue(leftValue), ReadValue(rightValue));
    }
    return texts(leftValue, rightValue);  // which may take them over
}

// The same for a function's one argument; a string is refused.
template <typename Number>
std::string ApplyToArgument(const std::string& argument, Handler self, Number number) {
    PlainNumber x;
    if (ReadInPlace(argument, x))
        return number(x.value);
    std::string value = Evaluate(argument);
    if (IsString(value))
        throw Exception("Function does not support strings.");
    if (IsList(value))
        return ApplyFunctionToElements(self, std::move(value));
    return number(TextToNumber(value));
}

}  // namespace expreval
