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
    bool first = true;
    ForEachListElement(list, [&](std::string_view element) {
        if (!first)
            result.push_back(',');
        first = false;
        CheckInterrupt(context);
        result += otherFirst ? handler(other, element, context) : handler(element, other, context);
        CheckValueSize(context, result.size());
        return true;
    });
    if (list.size() > 1)
        result.push_back(list.back());
    return result;
}

}  // namespace expreval
