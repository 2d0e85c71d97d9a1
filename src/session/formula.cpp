#include "expreval/formula.h"

#include <memory>
#include <string>
#include <utility>

#include "session/formula.h"

namespace expreval {

Formula::Formula(std::shared_ptr<const CompiledFormula> compiled)
    : compiled_(std::move(compiled)) {}

const std::string& Formula::Text() const {
    return compiled_->text;
}

const std::vector<std::string>& Formula::VariableNames() const {
    return compiled_->variables;
}

const std::vector<std::string>& Formula::FunctionNames() const {
    return compiled_->functions;
}

const std::string& Formula::SyntaxError() const {
    return compiled_->syntaxError;
}

}  // namespace expreval
