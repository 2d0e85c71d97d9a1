#include "eval/context.h"
#include "eval/evaluate.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

// The right operand is evaluated before anything else, the name test
// included. A compound form hands the name on to its operator, which reads
// the variable's current value through it. A value too large is refused
// before it is stored.
std::string ApplyAssignment(std::string_view left, std::string_view right, Context& context,
                            Handler underlying) {
    std::string value = EvaluateOperand(context, right);
    if (underlying != nullptr) {
        value = underlying(left, value, context);
    } else if (left.empty() || !IsLetter(left[0])) {
        throw Exception(std::string(left) + " is not a valid variable name.");
    }
    CheckValueSize(context, value.size());
    AssignVariable(context, std::string(left), value);
    return value;
}

std::string Assign(std::string_view left, std::string_view right, Context& context) {
    return ApplyAssignment(left, right, context, nullptr);
}

}  // namespace expreval
