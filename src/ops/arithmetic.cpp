#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

#include "eval/evaluate.h"
#include "ops/operands.h"
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

std::string RefuseStrings(const std::string&, const std::string&) {
    throw Exception("Operation does not support strings.");
}

void ThrowDivisionByZero() {
    throw Exception("Division by 0 is not allowed.");
}

}  // namespace

// Integer operands give an integer result text.
std::string ArithmeticResultText(bool integers, double value) {
    return integers ? CutResult(value) : NumberToText(value);
}

std::string ApplyArithmetic(std::string_view left, std::string_view right,
                            RawOperation rawOperation, Handler self) {
    return ApplyToOperands(
        left, right, self, TwoLists::kRefused,
        [rawOperation](PlainNumber a, PlainNumber b) {
            return ArithmeticResultText(a.integer && b.integer, rawOperation(a.value, b.value));
        },
        RefuseStrings);
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

// Lists join, and a string joins with whatever meets it.
std::string Add(std::string_view left, std::string_view right, int) {
    return ApplyToOperands(
        left, right, Add, TwoLists::kJoined,
        [](PlainNumber a, PlainNumber b) {
            return ArithmeticResultText(a.integer && b.integer, a.value + b.value);
        },
        [](std::string& leftValue, const std::string& rightValue) {
            return JoinWithString(std::move(leftValue), rightValue);
        });
}

std::string Subtract(std::string_view left, std::string_view right, int) {
    return ApplyArithmetic(
        left, right, [](double a, double b) { return a - b; }, Subtract);
}

std::string Multiply(std::string_view left, std::string_view right, int) {
    return ApplyArithmetic(
        left, right, [](double a, double b) { return a * b; }, Multiply);
}

std::string Divide(std::string_view left, std::string_view right, int) {
    const bool integers = IsIntegerText(left) && IsIntegerText(right);
    return ApplyArithmetic(left, right, integers ? IntegerDivide : RealDivide, Divide);
}

std::string Remainder(std::string_view left, std::string_view right, int) {
    const bool integers = IsIntegerText(left) && IsIntegerText(right);
    return ApplyArithmetic(left, right, integers ? IntegerRemainder : RealRemainder, Remainder);
}

}  // namespace expreval
