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
std::string ApplyAssignment(const std::string& left, const std::string& right, int flag,
                            Handler underlying) {
    std::string value = Evaluate(right);
    if (underlying != nullptr) {
        value = underlying(left, value, flag);
    } else if (left.empty() || !IsLetter(left[0])) {
        throw Exception(left + " is not a valid variable name.");
    }
    CheckValueSize(value.size());
    SetVariable(left, value);
    return value;
}

std::string Assign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, nullptr);
}

std::string AddAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, Add);
}

std::string SubtractAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, Subtract);
}

std::string MultiplyAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, Multiply);
}

std::string DivideAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, Divide);
}

std::string RemainderAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, Remainder);
}

std::string AndAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, BitwiseAnd);
}

std::string OrAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, BitwiseOr);
}

std::string XorAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, BitwiseXor);
}

std::string ConcatenateAssign(const std::string& left, const std::string& right, int flag) {
    return ApplyAssignment(left, right, flag, Concatenate);
}

bool EvaluatesRightFirst(Handler handler) {
    for (const Handler assignment :
         {Assign, AddAssign, SubtractAssign, MultiplyAssign, DivideAssign, RemainderAssign,
          AndAssign, OrAssign, XorAssign, ConcatenateAssign}) {
        if (handler == assignment)
            return true;
    }
    return false;
}

}  // namespace expreval
