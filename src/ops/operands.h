// How the operator families get their operands: the one prelude that every
// two-operand family and the functions share. How operands travel is
// decided here alone.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "eval/evaluate.h"
#include "eval/settled.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

// What a family does with two lists: refuses them, or joins them (+ and ".").
enum class TwoLists { kRefused, kJoined };

// For a family that works on every single value as text.
struct AsTexts {};

// Operands that are plain numbers (literals, results, variables holding
// them) are read where they stand: the same value and integer test as
// evaluating a copy and reading that. Not on the reference road, which
// EvaluatePlainNumber asks.
inline bool ReadInPlace(std::string_view operand, PlainNumber& number) {
    return EvaluatePlainNumber(operand, number);
}

inline PlainNumber ReadValue(const std::string& value) {
    return PlainNumber{TextToNumber(value), IsIntegerText(value)};
}

// An operand's value and what is known of it. A settled operand of the
// reduction under way is taken over from the stack, which drops it after the
// handler anyway: that is what evaluating it would give, with no effect and
// no failure possible, unless one more level of nesting would be refused.
struct OperandValue {
    std::string text;
    Settled form;
};

// Any other result on the stack is handed over to its evaluation, which may
// then change it as it needs instead of copying it; every other operand is
// evaluated where it stands. The handler uses a stacked operand only as a
// name for the reduction from then on. stacked is null for an operand that
// is not the reduction's; settled forms are taken over only by the joins.
inline OperandValue ValueOf(std::string_view operand, const StackedOperand* stacked, bool joins) {
    std::string* owner = stacked != nullptr ? stacked->owner : nullptr;
    if (owner == nullptr)
        return OperandValue{EvaluateOperand(operand), Settled::kUnknown};
    if (joins && stacked->form != Settled::kUnknown && CanNestDeeper())
        return OperandValue{std::move(*owner), stacked->form};
    return OperandValue{Evaluate(std::move(*owner)), Settled::kUnknown};
}

// The form of a value that was evaluated rather than taken over.
inline Settled FormOf(const OperandValue& value) {
    return value.form != Settled::kUnknown ? value.form : ClassifySettled(value.text);
}

// A join's result, with its form told to the reduction that called the
// handler with left and right.
inline std::string Joined(std::string result, Settled form, std::string_view left,
                          std::string_view right) {
    t_settledResult = SettledResult{left, right, form};
    return result;
}

// Two lists joined, or a string joined with a string or a number: the same
// under + and ".". The left text is extended, the right one appended; when
// a reduction waits for the result (told), the result stays settled if the
// left was and the appended part keeps it so.
inline std::string JoinValues(OperandValue& l, OperandValue& r, std::string_view left,
                              std::string_view right, bool told = true) {
    Settled form = Settled::kUnknown;
    if (IsList(l.text)) {
        if (told && FormOf(l) == Settled::kList && FormOf(r) == Settled::kList)
            form = Settled::kList;
        return Joined(JoinLists(std::move(l.text), r.text), form, left, right);
    }
    const bool leftString = IsString(l.text);
    const std::string_view appended =
        leftString ? std::string_view(r.text) : std::string_view(l.text);
    const bool appendedString = leftString && IsString(r.text);
    if (told && (leftString ? FormOf(l) : FormOf(r)) == Settled::kString &&
        (appendedString ? FormOf(r) == Settled::kString : IsSettledStringContent(appended)))
        form = Settled::kString;
    return Joined(JoinWithString(std::move(l.text), r.text), form, left, right);
}

// The note the reduction left for this handler, taken and cleared so that
// nothing called from here reads it.
inline SettledOperands TakeSettledNote() {
    const SettledOperands note = t_settledOperands;
    t_settledOperands = SettledOperands{};
    return note;
}

// Evaluates left, then right; two lists are refused or joined; with one
// list, self is applied to each element with the other value on its side.
// Otherwise two numbers go to numbers(a, b) and anything else (a string, or
// every value for AsTexts) to texts(leftValue, rightValue), or for the
// joining families a string to JoinValues. texts may take a third argument,
// the left value's form, and a fourth, where to put the result's form when
// a reduction waits for it (else null).
template <typename Numbers, typename Texts>
std::string ApplyToOperands(std::string_view left, std::string_view right, Handler self,
                            TwoLists twoLists, Numbers numbers, Texts texts) {
    constexpr bool kNumbers = !std::is_same_v<Numbers, AsTexts>;
    const SettledOperands note = TakeSettledNote();
    if constexpr (kNumbers) {
        PlainNumber a;
        PlainNumber b;
        if (ReadInPlace(left, a) && ReadInPlace(right, b))
            return numbers(a, b);
    }
    const bool joins = twoLists == TwoLists::kJoined;
    const bool stackedLeft = SameText(left, note.left.text);
    const bool stackedRight = SameText(right, note.right.text);
    // Called by a reduction, which takes the result's form.
    const bool told = stackedLeft && stackedRight;
    OperandValue l = ValueOf(left, stackedLeft ? &note.left : nullptr, joins);
    OperandValue r = ValueOf(right, stackedRight ? &note.right : nullptr, joins);
    if (IsList(l.text) && IsList(r.text)) {
        if (!joins)
            throw Exception("Operation does not support two lists.");
        return JoinValues(l, r, left, right, told);
    }
    if (IsList(l.text))
        return ApplyToElements(self, std::move(l.text), r.text, false);
    if (IsList(r.text))
        return ApplyToElements(self, std::move(r.text), l.text, true);
    if (joins && (IsString(l.text) || IsString(r.text)))
        return JoinValues(l, r, left, right, told);
    if constexpr (kNumbers) {
        if (!IsString(l.text) && !IsString(r.text))
            return numbers(ReadValue(l.text), ReadValue(r.text));
    }
    if constexpr (std::is_invocable_v<Texts, std::string&, const std::string&, Settled, Settled*>) {
        Settled form = Settled::kUnknown;
        std::string result = texts(l.text, r.text, l.form, told ? &form : nullptr);
        return Joined(std::move(result), form, left, right);
    } else {
        return texts(l.text, r.text);  // which may take them over
    }
}

// The same for a function's one argument; a string is refused.
template <typename Number>
std::string ApplyToArgument(std::string_view argument, Handler self, Number number) {
    PlainNumber x;
    if (ReadInPlace(argument, x))
        return number(x.value);
    std::string value = EvaluateOperand(argument);
    if (IsString(value))
        throw Exception("Function does not support strings.");
    if (IsList(value))
        return ApplyFunctionToElements(self, std::move(value));
    return number(TextToNumber(value));
}

}  // namespace expreval
