#include "eval/evaluate.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

std::string ApplyBitwise(const std::string& left, const std::string& right,
                         IntegerOperation integerOperation, Handler self) {
    std::string leftValue = Evaluate(left);
    std::string rightValue = Evaluate(right);
    if (IsList(leftValue) && IsList(rightValue))
        throw Exception("Operation does not support two lists.");
    std::string result;
    if (ApplyToList(leftValue, rightValue, self, result))
        return result;
    if (IsString(leftValue) || IsString(rightValue))
        throw Exception("Operation does not support strings.");
    const int32_t value = integerOperation(RoundHalfAway(TextToNumber(leftValue)),
                                           RoundHalfAway(TextToNumber(rightValue)));
    result = NumberToText(value);
    DropFraction(result);
    return result;
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
