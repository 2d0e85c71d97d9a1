// How the operator families get their operands: the one prelude that every
// two-operand family and the functions share. How operands travel is
// decided here alone.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "eval/context.h"
#include "eval/evaluate.h"
#include "eval/road.h"
#include "ops/ops.h"
#include "value/settled.h"
#include "value/value.h"

namespace expreval {

// What a family does with two lists: refuses them, or joins them (+ and ".").
enum class TwoLists { kRefused, kJoined };

// For a family that works on every single value as text.
struct AsTexts {};

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
// evaluated where it stands. The handler uses an operand taken over only as
// a name from then on. Settled forms are taken over only by the joins.
inline OperandValue ValueOf(Context& context, const Operand& operand, bool joins) {
    std::string* owner = operand.owner;
    if (owner == nullptr && operand.scanned)
        return OperandValue{EvaluateToken(context, operand.text, operand.kind, operand.function),
                            Settled::kUnknown};
    if (owner == nullptr)
        return OperandValue{EvaluateText(context, operand.text), Settled::kUnknown};
    if (joins && operand.form != Settled::kUnknown && TakeOverSettled(context))
        return OperandValue{std::move(*owner), operand.form};
    return OperandValue{EvaluateOwned(context, std::move(*owner)), Settled::kUnknown};
}

// The form of a value that was evaluated rather than taken over.
inline Settled FormOf(const OperandValue& value) {
    return value.form != Settled::kUnknown ? value.form : ClassifySettled(value.text);
}

// A join's result, with its form told to the reduction that waits for it,
// if one does.
inline std::string Joined(std::string result, Settled form, const Operand& left) {
    if (left.resultForm != nullptr)
        *left.resultForm = form;
    return result;
}

// Two lists joined, or a string joined with a string or a number: the same
// under + and ".". The left text is extended, the right one appended; when
// a reduction waits for the result (told with left), the result stays
// settled if the left was and the appended part keeps it so.
inline std::string JoinValues(OperandValue& l, OperandValue& r, const Operand& left) {
    const bool told = left.resultForm != nullptr;
    Settled form = Settled::kUnknown;
    if (IsList(l.text)) {
        if (told && FormOf(l) == Settled::kList && FormOf(r) == Settled::kList)
            form = Settled::kList;
        return Joined(JoinLists(std::move(l.text), r.text), form, left);
    }
    const bool leftString = IsString(l.text);
    const std::string_view appended =
        leftString ? std::string_view(r.text) : std::string_view(l.text);
    const bool appendedString = leftString && IsString(r.text);
    if (told && (leftString ? FormOf(l) : FormOf(r)) == Settled::kString &&
        (appendedString ? FormOf(r) == Settled::kString : IsSettledStringContent(appended)))
        form = Settled::kString;
    return Joined(JoinWithString(std::move(l.text), r.text), form, left);
}

// Evaluates left, then right; two lists are refused or joined; with one
// list, self is applied to each element with the other value on its side.
// Otherwise two numbers go to numbers(a, b) and anything else (a string, or
// every value for AsTexts) to texts(leftValue, rightValue), or for the
// joining families a string to JoinValues. texts may take a third argument,
// the left value's form, and a fourth, where to put the result's form when
// a reduction waits for it (else null). Only the reduction's own operands
// carry what it knows; a handler passing its operands on passes their texts.
template <typename Numbers, typename Texts>
std::string ApplyToOperands(const Operand& left, const Operand& right, Context& context,
                            Handler self, TwoLists twoLists, Numbers numbers, Texts texts) {
    constexpr bool kNumbers = !std::is_same_v<Numbers, AsTexts>;
    if constexpr (kNumbers) {
        PlainNumber a;
        PlainNumber b;
        // Operands that are plain numbers are read where they stand.
        if (EvaluatePlainNumbers(context, left.text, right.text, a, b))
            return numbers(a, b);
    }
    const bool joins = twoLists == TwoLists::kJoined;
    OperandValue l = ValueOf(context, left, joins);
    OperandValue r = ValueOf(context, right, joins);
    if (IsList(l.text) && IsList(r.text)) {
        if (!joins)
            throw Exception("Operation does not support two lists.");
        return JoinValues(l, r, left);
    }
    if (IsList(l.text))
        return ApplyToElements(context, self, std::move(l.text), r.text, false);
    if (IsList(r.text))
        return ApplyToElements(context, self, std::move(r.text), l.text, true);
    if (joins && (IsString(l.text) || IsString(r.text)))
        return JoinValues(l, r, left);
    if constexpr (kNumbers) {
        if (!IsString(l.text) && !IsString(r.text))
            return numbers(ReadValue(l.text), ReadValue(r.text));
    }
    if constexpr (std::is_invocable_v<Texts, std::string&, const std::string&, Settled, Settled*>) {
        Settled form = Settled::kUnknown;
        std::string result =
            texts(l.text, r.text, l.form, left.resultForm != nullptr ? &form : nullptr);
        return Joined(std::move(result), form, left);
    } else {
        return texts(l.text, r.text);  // which may take them over
    }
}

// The same for a function's one argument; a string is refused.
template <typename Number>
std::string ApplyToArgument(const Operand& argument, Context& context, Handler self,
                            Number number) {
    PlainNumber x;
    if (EvaluatePlainNumber(context, argument.text, x))
        return number(x.value);
    std::string value = EvaluateText(context, argument.text);
    if (IsString(value))
        throw Exception("Function does not support strings.");
    if (IsList(value))
        return ApplyFunctionToElements(context, self, std::move(value));
    return number(TextToNumber(value));
}

// A math function's handler: raw applied to the argument's number, or to
// each element of a list; the result written as a number text.
template <typename Raw>
std::string ApplyFunction(const Operand& argument, Context& context, Raw raw, Handler self) {
    return ApplyToArgument(argument, context, self, [raw, &context](double x) {
        return NumberToText(raw(x), &context.caches->lastNumber);
    });
}

}  // namespace expreval
