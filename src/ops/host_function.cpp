#include "ops/host_function.h"

#include <string>
#include <utility>
#include <vector>

#include "eval/arguments.h"
#include "eval/context.h"
#include "eval/evaluate.h"
#include "eval/tokenizer.h"
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

// Refuses a call with a count of arguments the function does not take,
// before any of them is evaluated.
void CheckArity(const Function& function, int arity, size_t count) {
    if (arity == kAnyArity || static_cast<size_t>(arity) == count)
        return;
    if (arity == 0)
        throw Exception("Function " + function.name + " takes no arguments.");
    throw Exception("Function " + function.name + " takes " + std::to_string(arity) +
                    (arity == 1 ? " argument." : " arguments."));
}

// The arguments, their count checked before any is evaluated. Arguments
// that do not scan are evaluated in turn first instead: the one that holds
// the fault reports it, as the argument of a call of one would.
std::vector<std::string_view> Arguments(const Function& function, std::string_view argument,
                                        Context& context) {
    bool scanned = true;
    const std::vector<std::string_view> parts = SplitArguments(context, argument, &scanned);
    if (!scanned) {
        for (const std::string_view part : parts)
            EvaluateText(context, part);
    }
    CheckArity(function, function.host->arity, parts.size());
    return parts;
}

// Each argument is evaluated in turn, left to right, and checked before the
// next one is evaluated: an assignment in one is seen by those after it.
std::string CallWithNumbers(const Function& function, std::string_view argument, Context& context) {
    const HostFunction& host = *function.host;
    const std::vector<std::string_view> parts = Arguments(function, argument, context);
    std::vector<double> numbers;
    numbers.reserve(parts.size());
    for (const std::string_view part : parts) {
        const std::string value = EvaluateText(context, part);
        if (IsString(value))
            throw Exception("Function does not support strings.");
        if (IsList(value))
            throw Exception("Function does not support lists.");
        // An argument that overflowed is passed as the infinity it stands for.
        numbers.push_back(HostNumber(value));
    }
    const double result = host.numbers(numbers);
    CheckTimeAfterHostCall(context);
    return NumberToText(result, &context.caches->lastNumber);
}

std::string CallWithValues(const Function& function, std::string_view argument, Context& context) {
    const HostFunction& host = *function.host;
    const std::vector<std::string_view> parts = Arguments(function, argument, context);
    std::vector<std::string> values;
    values.reserve(parts.size());
    for (const std::string_view part : parts)
        values.push_back(EvaluateText(context, part));
    return host.values(values);
}

// A host's value text is checked before evaluation goes on with it.
std::string CheckedResult(const Function& function, std::string result, Context& context) {
    CheckTimeAfterHostCall(context);
    if (!IsStorableValue(result))
        throw Exception("Function " + function.name + " returned an invalid value.");
    CheckValueSize(context, result.size());
    return result;
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
    if (host.numbers)
        return CallWithNumbers(function, argument, context);
    if (host.values)
        return CheckedResult(function, CallWithValues(function, argument, context), context);
    const std::string value = EvaluateText(context, argument);
    return CheckedResult(function, host.general(value), context);
}

// The scanner's own rule for a name, capitals included: a host's names are
// folded as the scan's are.
bool IsValidName(std::string_view name) {
    return !name.empty() && IsNameStart(name[0]) && NameEnd(name, 0) == name.size();
}

}  // namespace expreval
