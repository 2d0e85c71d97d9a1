#include "symbols/records.h"

#include <bit>
#include <cstdint>
#include <utility>

#include "value/number_text.h"
#include "value/value.h"

namespace expreval {

Function::Function(std::string functionName, Handler functionHandler)
    : name(std::move(functionName)), handler(functionHandler) {
    FoldCase(name);
}

Operator::Operator(std::string operatorSymbol, Handler operatorHandler, int operatorPrecedence)
    : handler(operatorHandler), symbol(std::move(operatorSymbol)), precedence(operatorPrecedence) {
    FoldCase(symbol);
}

// The record is found through const pointers; its text is still its own to
// bring up to date.
void WriteDueText(const Variable& variable) {
    auto& record = const_cast<Variable&>(variable);
    record.written = *variable.bound;
    record.value = NumberToText(record.written);
    record.numberRead = false;
}

bool ReadNewVariableNumber(const Variable& variable, PlainNumber& number, const LastNumber* last) {
    if (ReadDueBound(variable, number))
        return true;
    const std::string& text = ValueText(variable);
    if (!variable.numberRead) {
        variable.plain = ReadPlainNumber(text, variable.number, last);
        variable.numberRead = true;
    }
    number = variable.number;
    return variable.plain;
}

std::string CurrentValueText(const Variable& variable) {
    return TextIsDue(variable) ? NumberToText(*variable.bound) : variable.value;
}

Variable::Variable(std::string variableName, std::string variableValue)
    : value(std::move(variableValue)), name(std::move(variableName)) {
    FoldCase(name);
}

}  // namespace expreval
