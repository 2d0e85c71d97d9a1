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

// string_view compares bytes as unsigned values, shorter prefix first.
bool TextLess(std::string_view l, std::string_view r) {
    return l < r;
}

bool TextLessPredicate(std::string_view l, std::string_view r, Context&) {
    return TextLess(l, r);
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

std::string Equal(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(
        left, right, context, IsEqual,
        [](std::string_view l, std::string_view r, Context&) { return l == r; }, Equal);
}

std::string NotEqual(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(
        left, right, context, IsNotEqual,
        [](std::string_view l, std::string_view r, Context&) { return l != r; }, NotEqual);
}

std::string Less(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(left, right, context, IsLess, TextLessPredicate, Less);
}

std::string LessOrEqual(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(
        left, right, context, IsLessOrEqual,
        [](std::string_view l, std::string_view r, Context&) { return !TextLess(r, l); },
        LessOrEqual);
}

std::string Greater(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(
        left, right, context, IsGreater,
        [](std::string_view l, std::string_view r, Context&) { return TextLess(r, l); }, Greater);
}

std::string GreaterOrEqual(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(
        left, right, context, IsGreaterOrEqual,
        [](std::string_view l, std::string_view r, Context&) { return !TextLess(l, r); },
        GreaterOrEqual);
}

std::string Matches(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(
        left, right, context, nullptr,
        [](std::string_view l, std::string_view r, Context& c) {
            return ContainsText(l, r, PauseToCheck, &c);
        },
        Matches);
}

std::string DoesNotMatch(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(
        left, right, context, nullptr,
        [](std::string_view l, std::string_view r, Context& c) {
            return LacksText(l, r, PauseToCheck, &c);
        },
        DoesNotMatch);
}

std::string LogicalAnd(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(left, right, context, AreBothTrue, nullptr, LogicalAnd);
}

std::string LogicalOr(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(left, right, context, IsEitherTrue, nullptr, LogicalOr);
}

}  // namespace expreval
