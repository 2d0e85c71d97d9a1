#include "symbols/records.h"

#include <utility>

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

Variable::Variable(std::string variableName, std::string variableValue)
    : name(std::move(variableName)), value(std::move(variableValue)) {
    FoldCase(name);
}

}  // namespace expreval
