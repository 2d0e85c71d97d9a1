#include "eval/context.h"
#include "eval/evaluate.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

namespace {

// A string is compared by its content; any other value by its text as written.
std::string_view Content(std::string_view value) {
    if (!IsString(value))
        return value;
    return value.substr(1, value.size() >= 2 ? value.size() - 2 : 0);
}

std::string Truth(bool value) {
    return value ? "1" : "0";
}

// Between the windows of a long search.
void PauseToCheck(void* context) {
    CheckInterrupt(*static_cast<Context*>(context));
}

}  // namespace

bool IsEqual(double a, double b) {
    return a == b;
}

bool IsNotEqual(double a, double b) {
    return a != b;
}

bool IsLess(double a, double b) {
    return a < b;
}

bool IsLessOrEqual(double a, double b) {
    return a <= b;
}

bool IsGreater(double a, double b) {
    return a > b;
}

bool IsGreaterOrEqual(double a, double b) {
    return a >= b;
}

bool AreBothTrue(double a, double b) {
    return a != 0 && b != 0;
}

bool IsEitherTrue(double a, double b) {
    return a != 0 || b != 0;
}

// Without a number predicate every value is compared as text.
std::string ApplyComparison(const Operand& left, const Operand& right, Context& context,
                            NumberPredicate numberPredicate, TextPredicate textPredicate,
                            Handler self) {
    const auto texts = [textPredicate, &context](const std::string& l, const std::string& r) {
        if (textPredicate == nullptr)
            throw Exception("Operation does not support strings.");
        return Truth(textPredicate(Content(l), Content(r), context));
    };
    if (numberPredicate == nullptr)
        return ApplyToOperands(left, right, context, self, TwoLists::kRefused, AsTexts{}, texts);
    return ApplyToOperands(
        left, right, context, self, TwoLists::kRefused,
        [numberPredicate](PlainNumber a, PlainNumber b) {
            return Truth(numberPredicate(a.value, b.value));
        },
        texts);
}

bool TextsEqual(std::string_view l, std::string_view r, Context&) {
    return l == r;
}

bool TextsDiffer(std::string_view l, std::string_view r, Context&) {
    return l != r;
}

// string_view compares bytes as unsigned values, shorter prefix first.
bool TextLess(std::string_view l, std::string_view r, Context&) {
    return l < r;
}

bool TextLessOrEqual(std::string_view l, std::string_view r, Context&) {
    return !(r < l);
}

bool TextGreater(std::string_view l, std::string_view r, Context&) {
    return r < l;
}

bool TextGreaterOrEqual(std::string_view l, std::string_view r, Context&) {
    return !(l < r);
}

bool TextContains(std::string_view l, std::string_view r, Context& context) {
    return ContainsText(l, r, PauseToCheck, &context);
}

bool TextLacks(std::string_view l, std::string_view r, Context& context) {
    return LacksText(l, r, PauseToCheck, &context);
}

}  // namespace expreval
