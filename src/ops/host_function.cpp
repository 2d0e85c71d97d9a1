#include "ops/host_function.h"

#include <utility>

#include "eval/context.h"
#include "eval/evaluate.h"
#include "eval/whole_value.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// The handler that applies a host's numeric function: to the argument, or to
// each element of a list, the function being the one context names. A call
// nested in the argument or an element names its own and puts this one back.
std::string NumericHandler(const Operand& argument, const Operand&, Context& context) {
    const std::function<double(double)>& numeric = *context.numeric;
    return ApplyFunction(
        argument, context,
        [&numeric, &context](double x) {
            const double y = numeric(x);
            CheckTimeAfterHostCall(context);
            return y;
        },
        NumericHandler);
}

}  // namespace

// A host's code may evaluate too: the free functions of expreval.h use the
// process-wide tables, and a session its own; each nests below this one.
std::string CallHostFunction(const Function& function, std::string_view argument,
                             Context& context) {
    const HostFunction& host = *function.host;
    if (host.numeric) {
        const auto* const outer = std::exchange(context.numeric, &host.numeric);
        struct PutBack {
            Context& context;
            const std::function<double(double)>* outer;
            ~PutBack() { context.numeric = outer; }
        } putBack{context, outer};
        return NumericHandler(argument, std::string_view(), context);
    }
    const std::string value = EvaluateOperand(context, argument);
    std::string result = host.general(value);
    CheckTimeAfterHostCall(context);
    if (!IsValueText(result))
        throw Exception("Function " + function.name + " returned an invalid value.");
    CheckValueSize(context, result.size());
    return result;
}

namespace {

// Elements as the element-wise operations take a list apart: between
// top-level commas, and before the closing brace.
bool HasEmptyElement(std::string_view list) {
    size_t start = 1;
    for (size_t p = FindTopLevel(list, ',', start); p != kNotFound;
         p = FindTopLevel(list, ',', start)) {
        if (p == start)
            return true;
        start = p + 1;
    }
    return start + 1 >= list.size();
}

}  // namespace

bool IsValueText(std::string_view text) {
    return IsWholeValue(text) && !(IsList(text) && HasEmptyElement(text));
}

// The scanner's own rule for a name, capitals included: a host's names are
// folded as the scan's are.
bool IsValidName(std::string_view name) {
    return !name.empty() && IsNameStart(name[0]) && NameEnd(name, 0) == name.size();
}

}  // namespace expreval
