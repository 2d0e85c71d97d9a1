#include <algorithm>
#include <utility>

#include "eval/evaluate.h"
#include "eval/interrupt.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

// Builds the result in a fresh text rather than editing the list in place,
// so a long list costs time in proportion to its length. The searches see
// the same characters either way: each one starts just past a separator of
// the original list.
std::string ApplyToElements(Handler handler, std::string list, const std::string& other,
                            bool otherFirst) {
    const NestingGuard guard;
    std::string result;
    result.reserve(list.size());
    result.push_back(list.front());
    std::string element;
    const auto apply = [&]() {
        CheckInterrupt();
        result += otherFirst ? handler(other, element, 0) : handler(element, other, 0);
    };
    int start = 1;
    for (int p = FindTopLevel(list, ',', start, -1); p >= 0;
         p = FindTopLevel(list, ',', start, -1)) {
        element.assign(list, static_cast<size_t>(start), static_cast<size_t>(p - start));
        apply();
        result.push_back(',');
        start = p + 1;
    }
    const size_t last = std::max(list.size(), size_t{2}) - 1;  // the closing brace
    element.assign(list, std::min(static_cast<size_t>(start), last),
                   last - std::min(static_cast<size_t>(start), last));
    apply();
    if (list.size() > 1)
        result.push_back(list.back());
    return result;
}

bool EvaluateOperands(const std::string& left, const std::string& right, Handler self,
                      std::string& leftValue, std::string& rightValue, std::string& result) {
    leftValue = Evaluate(left);
    rightValue = Evaluate(right);
    if (IsList(leftValue) && IsList(rightValue))
        throw Exception("Operation does not support two lists.");
    return ApplyToList(leftValue, rightValue, self, result);
}

bool ApplyToList(std::string& left, std::string& right, Handler self, std::string& result) {
    if (IsList(left)) {
        result = ApplyToElements(self, std::move(left), right, false);
    } else if (IsList(right)) {
        result = ApplyToElements(self, std::move(right), left, true);
    } else {
        return false;
    }
    return true;
}

}  // namespace expreval
