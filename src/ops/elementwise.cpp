#include <algorithm>
#include <string_view>
#include <utility>

#include "eval/context.h"
#include "eval/evaluate.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

// Builds the result in a fresh text rather than editing the list in place,
// so a long list costs time in proportion to its length. The searches see
// the same characters either way: each one starts just past a separator of
// the original list. Each element is handed over as a view of the list.
std::string ApplyToElements(Context& context, Handler handler, std::string list,
                            std::string_view other, bool otherFirst) {
    const NestingGuard guard(context);
    std::string result;
    result.reserve(list.size());
    result.push_back(list.front());
    const std::string_view items = list;
    std::string_view element;
    const auto apply = [&]() {
        CheckInterrupt(context);
        result += otherFirst ? handler(other, element, context) : handler(element, other, context);
        CheckValueSize(context, result.size());
    };
    size_t start = 1;
    for (size_t p = FindTopLevel(list, ',', start); p != kNotFound;
         p = FindTopLevel(list, ',', start)) {
        element = items.substr(start, p - start);
        apply();
        result.push_back(',');
        start = p + 1;
    }
    const size_t last = std::max(list.size(), size_t{2}) - 1;  // the closing brace
    element = items.substr(std::min(start, last), last - std::min(start, last));
    apply();
    if (list.size() > 1)
        result.push_back(list.back());
    return result;
}

}  // namespace expreval
