#include <string_view>
#include <utility>

#include "eval/evaluate.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "value/settled.h"
#include "value/value.h"

namespace expreval {

// Two numbers are joined digit by digit: the left exponent would end up in
// the middle, so it is dropped, and a second point would make the text
// unreadable, so only the first one stays.
std::string JoinNumbers(std::string left, const std::string& right) {
    const size_t exponent = left.find('e');
    if (exponent != std::string::npos)
        left.erase(exponent);
    bool point = left.find('.') != std::string::npos;
    AppendNumberDigits(left, right, point);
    return left;
}

// With the left number settled there is no exponent to drop and whether it
// holds a point is known, so only the right one is read.
std::string JoinSettledNumbers(std::string left, const std::string& right, bool leftPoint,
                               Settled* form) {
    const size_t start = left.size();
    bool joinedPoint = leftPoint;
    AppendNumberDigits(left, right, joinedPoint);
    bool point = leftPoint;
    if (form != nullptr && IsSettledNumberPart(std::string_view(left).substr(start), point))
        *form = point ? Settled::kPointNumber : Settled::kNumber;
    return left;
}

std::string JoinLists(std::string left, const std::string& right) {
    left.pop_back();
    left.push_back(',');
    left.append(right, 1);
    return left;  // by name, so it moves: append's reference would be copied
}

std::string JoinWithString(std::string left, const std::string& right) {
    if (!IsString(left))
        return kQuote + left + right.substr(1);
    left.pop_back();
    if (IsString(right)) {
        left.append(right, 1);
        return left;
    }
    left += right;
    left.push_back(kQuote);
    return left;
}

// Lists join, and a string joins with whatever meets it (the prelude does
// both, as for +); two numbers are joined as the texts they are.
std::string Concatenate(const Operand& left, const Operand& right, Context& context) {
    return ApplyToOperands(
        left, right, context, Concatenate, TwoLists::kJoined, AsTexts{},
        [](std::string& leftValue, const std::string& rightValue, Settled leftForm, Settled* form) {
            if (IsNumberForm(leftForm))
                return JoinSettledNumbers(std::move(leftValue), rightValue,
                                          leftForm == Settled::kPointNumber, form);
            std::string joined = JoinNumbers(std::move(leftValue), rightValue);
            if (form != nullptr)
                *form = ClassifySettled(joined);
            return joined;
        });
}

}  // namespace expreval
