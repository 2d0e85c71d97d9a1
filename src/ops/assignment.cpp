#include "eval/evaluate.h"
#include "eval/limits.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

// The right operand is evaluated before anything else, the name test
// included. A compound form hands the name on to its operator, which reads
// the variable's current value through it. A value too large is refused
// before it is stored.
std::string ApplyAssignment(std::string_view left, std::string_view right, int flag,
                            Handler underlying) {
    std::string value = EvaluateOperand(right);
    if (underlying != nullptr) {
        value = underlying(left, value, flag);
    } else if (left.empty() || !IsLetter(left[0])) {
        throw Exception(std::string(left) + " is not a valid variable name.");
    }
    CheckValueSize(value.size());
    AssignVariable(std::string(left), value);
    return value;
}

std::string Assign(std::string_view left, std::string_view right, int flag) {
    return ApplyAssignment(left, right, flag, nullptr);
}

}  // namespace expreval
