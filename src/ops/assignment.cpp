#include "eval/context.h"
#include "eval/evaluate.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

// The right operand is evaluated before anything else, the name test
// included. A compound form hands the name on to its operator, which reads
// the variable's current value through it: as a text alone, since what the
// reduction knows of the operand is not what the operator is told. A value
// too large is refused before it is stored.
std::string ApplyAssignment(const Operand& left, const Operand& right, Context& context,
                            Handler underlying) {
    const std::string_view name = left.text;
    std::string value = ValueOf(context, right, false).text;
    if (underlying != nullptr) {
        value = underlying(name, value, context);
    } else if (name.empty() || !IsNameStart(name[0])) {
        throw Exception(std::string(name) + " is not a valid variable name.");
    }
    CheckValueSize(context, value.size());
    AssignVariable(context, std::string(name), value);
    return value;
}

std::string Assign(const Operand& left, const Operand& right, Context& context) {
    return ApplyAssignment(left, right, context, nullptr);
}

}  // namespace expreval
