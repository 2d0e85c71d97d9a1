#include <utility>

#include "eval/evaluate.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

namespace {

// Two numbers are joined digit by digit: the left exponent would end up in
// the middle, so it is dropped, and a second point would make the text
// unreadable, so only the first one stays.
std::string JoinNumbers(std::string left, const std::string& right) {
    const size_t exponent = left.find('e');
    if (exponent != std::string::npos)
        left.erase(exponent);
    left += right;
    const size_t point = left.find('.');
    if (point != std::string::npos) {
        const size_t second = left.find('.', point + 1);
        if (second != std::string::npos)
            left.erase(second, 1);
    }
    return left;
}

}  // namespace

std::string JoinLists(std::string left, const std::string& right) {
    left.pop_back();
    left.push_back(',');
    return left.append(right, 1);
}

std::string JoinWithString(std::string left, const std::string& right) {
    if (!IsString(left))
        return kQuote + left + right.substr(1);
    left.pop_back();
    if (IsString(right))
        return left.append(right, 1);
    return left + right + kQuote;
}

// Lists join; every single value is joined as the text it is.
std::string Concatenate(const std::string& left, const std::string& right, int) {
    return ApplyToOperands(left, right, Concatenate, TwoLists::kJoined, AsTexts{},
                           [](std::string& leftValue, const std::string& rightValue) {
                               if (IsString(leftValue) || IsString(rightValue))
                                   return JoinWithString(std::move(leftValue), rightValue);
                               return JoinNumbers(std::move(leftValue), rightValue);
                           });
}

}  // namespace expreval
