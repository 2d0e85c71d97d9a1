#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

#include "eval/evaluate.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

namespace {

// Exponent forms and non-finite texts hold an "e" or a "#".
bool IsFixedForm(std::string_view text) {
    for (const char ch : text) {
        if (ch == 'e' || ch == '#')
            return false;
    }
    return true;
}

// The fraction of a fixed-form result is cut (a whole number's text is
// written without it at once). Exponent forms and non-finite texts are left
// whole, since cutting them would change their value.
std::string CutResult(double value) {
    std::string text;
    if (WholeNumberText(value, text))
        return text;
    text = NumberToText(value);
    if (IsFixedForm(text)) {
        DropFraction(text);
    }
    return text;
}

std::string NumberResult(const std::string& left, const std::string& right, double value) {
    return ArithmeticResultText(IsIntegerText(left) && IsIntegerText(right), value);
}

// Operands that evaluate to plain numbers are read where they stand: the
// same values and integer tests as evaluating and reading copies of them.
bool ReadPlainOperands(const std::string& left, const std::string& right, PlainNumber& a,
                       PlainNumber& b) {
    return EvaluatePlainNumber(left, a) && EvaluatePlainNumber(right, b);
}

void ThrowDivisionByZero() {
    throw Exception("Division by 0 is not allowed.");
}

}  // namespace

// Integer operands give an integer result text.
std::string ArithmeticResultText(bool integers, double value) {
    return integers ? CutResult(value) : NumberToText(value);
}

std::string ApplyArithmetic(const std::string& left, const std::string& right,
                            RawOperation rawOperation, Handler self) {
    PlainNumber a;
    PlainNumber b;
    if (ReadPlainOperands(left, right, a, b))
        return ArithmeticResultText(a.integer && b.integer, rawOperation(a.value, b.value));
    std::string leftValue;
    std::string rightValue;
    std::string result;
    if (EvaluateOperands(left, right, self, leftValue, rightValue, result))
        return result;
    if (IsString(leftValue) || IsString(rightValue)) {
        throw Exception("Operation does not support strings.");
    }
    const double value = rawOperation(TextToNumber(leftValue), TextToNumber(rightValue));
    return NumberResult(leftValue, rightValue, value);
}

double RealDivide(double a, double b) {
    if (b == 0)
        ThrowDivisionByZero();
    return a / b;
}

double RealRemainder(double a, double b) {
    if (b == 0)
        ThrowDivisionByZero();
    return std::fmod(a, b);
}

// The one quotient that leaves the 32-bit range is given its true value.
double IntegerDivide(double a, double b) {
    const int32_t i = RoundHalfAway(a);
    const int32_t j = RoundHalfAway(b);
    if (j == 0)
        ThrowDivisionByZero();
    if (j == -1)
        return -static_cast<double>(i);
    return static_cast<double>(i / j);
}

double IntegerRemainder(double a, double b) {
    const int32_t i = RoundHalfAway(a);
    const int32_t j = RoundHalfAway(b);
    if (j == 0)
        ThrowDivisionByZero();
    if (j == -1)
        return 0;
    return static_cast<double>(i % j);
}

std::string Add(const std::string& left, const std::string& right, int) {
    PlainNumber a;
    PlainNumber b;
    if (ReadPlainOperands(left, right, a, b))
        return ArithmeticResultText(a.integer && b.integer, a.value + b.value);
    std::string leftValue = Evaluate(left);
    std::string rightValue = Evaluate(right);
    if (IsList(leftValue) && IsList(rightValue))
        return JoinLists(std::move(leftValue), rightValue);
    std::string result;
    if (ApplyToList(leftValue, rightValue, Add, result))
        return result;
    if (IsString(leftValue) || IsString(rightValue)) {
        return JoinWithString(std::move(leftValue), rightValue);
    }
    const double value = TextToNumber(leftValue) + TextToNumber(rightValue);
    return NumberResult(leftValue, rightValue, value);
}

std::string Subtract(const std::string& left, const std::string& right, int) {
    return ApplyArithmetic(
        left, right, [](double a, double b) { return a - b; }, Subtract);
}

std::string Multiply(const std::string& left, const std::string& right, int) {
    return ApplyArithmetic(
        left, right, [](double a, double b) { return a * b; }, Multiply);
}

std::string Divide(const std::string& left, const std::string& right, int) {
    const bool integers = IsIntegerText(left) && IsIntegerText(right);
    return ApplyArithmetic(left, right, integers ? IntegerDivide : RealDivide, Divide);
}

std::string Remainder(const std::string& left, const std::string& right, int) {
    const bool integers = IsIntegerText(left) && IsIntegerText(right);
    return ApplyArithmetic(left, right, integers ? IntegerRemainder : RealRemainder, Remainder);
}

}  // namespace expreval
