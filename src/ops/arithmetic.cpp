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

std::string RefuseStrings(const std::string&, const std::string&) {
    throw Exception("Operation does not support strings.");
}

void ThrowDivisionByZero() {
    throw Exception("Division by 0 is not allowed.");
}

// / and % work on integers when both operand texts are integer texts, as
// written, before they are evaluated: + - * never look.
RawOperation ChooseOperation(std::string_view left, std::string_view right,
                             const NumberKernel& kernel) {
    return kernel.For(kernel.ReadsTexts() && IsIntegerText(left) && IsIntegerText(right));
}

}  // namespace

std::string ApplyArithmetic(const Operand& left, const Operand& right, Context& context,
                            const NumberKernel& kernel, Handler self) {
    const RawOperation rawOperation = ChooseOperation(left.text, right.text, kernel);
    return ApplyToOperands(
        left, right, context, self, TwoLists::kRefused,
        [rawOperation, &context](PlainNumber a, PlainNumber b) {
            return ArithmeticResultText(a.integer && b.integer, rawOperation(a.value, b.value),
                                        &context.caches->lastNumber);
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

namespace {

double Plus(double a, double b) {
    return a + b;
}
double Minus(double a, double b) {
    return a - b;
}
double Times(double a, double b) {
    return a * b;
}

}  // namespace

const NumberKernel kAddition{Plus, Plus, NumberKernel::Basic::kAdd};
const NumberKernel kSubtraction{Minus, Minus, NumberKernel::Basic::kSubtract};
const NumberKernel kMultiplication{Times, Times, NumberKernel::Basic::kMultiply};
const NumberKernel kDivision{RealDivide, IntegerDivide};
const NumberKernel kRemaindering{RealRemainder, IntegerRemainder};

// Lists join, and a string joins with whatever meets it.
std::string Add(const Operand& left, const Operand& right, Context& context) {
    return ApplyToOperands(
        left, right, context, Add, TwoLists::kJoined,
        [&context](PlainNumber a, PlainNumber b) {
            return ArithmeticResultText(a.integer && b.integer, kAddition.real(a.value, b.value),
                                        &context.caches->lastNumber);
        },
        [](std::string& leftValue, const std::string& rightValue) {
            return JoinWithString(std::move(leftValue), rightValue);
        });
}

}  // namespace expreval
