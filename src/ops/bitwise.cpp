#include "eval/evaluate.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

namespace {

// Every 32-bit integer is whole and short: its text is the cut one.
std::string IntegerResult(int32_t value) {
    std::string text;
    WholeNumberText(value, text);
    return text;
}

}  // namespace

// Operands that evaluate to plain numbers are read where they stand: the same
// values as reading evaluated copies of them.
std::string ApplyBitwise(const std::string& left, const std::string& right,
                         IntegerOperation integerOperation, Handler self) {
    PlainNumber a;
    PlainNumber b;
    if (EvaluatePlainNumber(left, a) && EvaluatePlainNumber(right, b))
        return IntegerResult(integerOperation(RoundHalfAway(a.value), RoundHalfAway(b.value)));
    std::string leftValue;
    std::string rightValue;
    std::string result;
    if (EvaluateOperands(left, right, self, leftValue, rightValue, result))
        return result;
    if (IsString(leftValue) || IsString(rightValue))
        throw Exception("Operation does not support strings.");
    return IntegerResult(integerOperation(RoundHalfAway(TextToNumber(leftValue)),
                                          RoundHalfAway(TextToNumber(rightValue))));
}

std::string BitwiseAnd(const std::string& left, const std::string& right, int) {
    return ApplyBitwise(
        left, right, [](int32_t i, int32_t j) { return i & j; }, BitwiseAnd);
}

std::string BitwiseOr(const std::string& left, const std::string& right, int) {
    return ApplyBitwise(
        left, right, [](int32_t i, int32_t j) { return i | j; }, BitwiseOr);
}

std::string BitwiseXor(const std::string& left, const std::string& right, int) {
    return ApplyBitwise(
        left, right, [](int32_t i, int32_t j) { return i ^ j; }, BitwiseXor);
}

}  // namespace expreval
