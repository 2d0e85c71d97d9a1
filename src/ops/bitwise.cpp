#include "eval/evaluate.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

namespace {

// Every 32-bit integer is whole and short: its text is the cut one.
std::string IntegerResult(int32_t value, LastNumber* last) {
    std::string text;
    WholeNumberText(value, text, last);
    return text;
}

}  // namespace

std::string ApplyBitwise(const Operand& left, const Operand& right, Context& context,
                         IntegerOperation integerOperation, Handler self) {
    return ApplyToOperands(
        left, right, context, self, TwoLists::kRefused,
        [integerOperation, &context](PlainNumber a, PlainNumber b) {
            return IntegerResult(integerOperation(RoundHalfAway(a.value), RoundHalfAway(b.value)),
                                 &context.caches->lastNumber);
        },
        [](const std::string&, const std::string&) -> std::string {
            throw Exception("Operation does not support strings.");
        });
}

std::string BitwiseAnd(const Operand& left, const Operand& right, Context& context) {
    return ApplyBitwise(
        left, right, context, [](int32_t i, int32_t j) { return i & j; }, BitwiseAnd);
}

std::string BitwiseOr(const Operand& left, const Operand& right, Context& context) {
    return ApplyBitwise(
        left, right, context, [](int32_t i, int32_t j) { return i | j; }, BitwiseOr);
}

std::string BitwiseXor(const Operand& left, const Operand& right, Context& context) {
    return ApplyBitwise(
        left, right, context, [](int32_t i, int32_t j) { return i ^ j; }, BitwiseXor);
}

}  // namespace expreval
