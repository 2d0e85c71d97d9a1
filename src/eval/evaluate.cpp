#include "eval/evaluate.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "eval/single_token.h"
#include "eval/tokenizer.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

namespace {

// Stack room reserved at the first push: a typical line never grows it.
constexpr size_t kTypicalDepth = 8;

const Operator& LookUpOperator(const std::string& symbol) {
    const Operator* op = FindOperator(symbol);
    if (op == nullptr)
        throw Exception("Operator " + symbol + " does not exist.");
    return *op;
}

// The two stacks of one run. A null entry on the operator stack is the
// marker of an open group.
class Evaluation final : public TokenEvents {
  public:
    void Operand(std::string_view text) override {
        if (operands_.empty())
            operands_.reserve(kTypicalDepth);
        operands_.emplace_back(text);
    }

    void OperatorToken(std::string_view symbol) override { PushOperator(std::string(symbol)); }

    void OpenGroup() override { operators_.push_back(nullptr); }

    void CloseGroup() override {
        while (true) {
            if (operators_.empty())
                throw Exception("Missing '('.");
            if (operators_.back() == nullptr) {
                operators_.pop_back();
                return;
            }
            Reduce();
        }
    }

    // Applies the stacked operators that bind at least as tightly, then
    // stacks the new one.
    void PushOperator(const std::string& symbol) {
        const Operator& op = LookUpOperator(symbol);
        while (!operators_.empty() && operators_.back() != nullptr &&
               op.precedence >= operators_.back()->precedence) {
            Reduce();
        }
        if (operators_.empty())
            operators_.reserve(kTypicalDepth);
        operators_.push_back(&op);
    }

    void Drain() {
        while (!operators_.empty()) {
            if (operators_.back() == nullptr)
                LookUpOperator("(");
            Reduce();
        }
    }

    std::vector<std::string>& Operands() { return operands_; }

  private:
    void Reduce() {
        const Operator* op = operators_.back();
        operators_.pop_back();
        if (operands_.size() < 2)
            throw Exception("Not enough operands.");
        std::string right = std::move(operands_.back());
        operands_.pop_back();
        std::string left = std::move(operands_.back());
        operands_.pop_back();
        operands_.push_back(op->handler(left, right, 0));
    }

    std::vector<const Operator*> operators_;
    std::vector<std::string> operands_;
};

std::string VariableValue(const std::string& name) {
    const Variable* variable = FindVariable(name);
    if (variable == nullptr)
        throw Exception("Variable " + name + " does not exist.");
    return variable->value;
}

// A lone name becomes its variable's value, a lone call its function's result.
std::string Resolve(std::string text) {
    if (text.empty() || !IsLetter(text[0]))
        return text;
    const size_t open = text.find('(');
    if (open == std::string::npos)
        return VariableValue(text);
    const std::string name = text.substr(0, open);
    const Function* function = FindFunction(name);
    if (function == nullptr)
        throw Exception("Function " + name + " does not exist.");
    const size_t argumentEnd = std::max(text.size() - 1, open + 1);
    return function->handler(text.substr(open + 1, argumentEnd - open - 1), std::string(), 0);
}

}  // namespace

// Handlers evaluate their operands, which are mostly single tokens (literals,
// names, results of earlier operations); those skip the rewrite and the stacks.
std::string Evaluate(std::string expression) {
    const NestingGuard guard;
    switch (ClassifySingleToken(expression)) {
        case SingleToken::kValue:
            return expression;
        case SingleToken::kName:
            return VariableValue(expression);
        case SingleToken::kNone:
            break;
    }
    StripWhiteSpaceAndFoldCase(expression);
    RejectCallChainPastLimit(expression);
    Evaluation evaluation;
    Scan(expression, evaluation);
    evaluation.Drain();
    std::vector<std::string>& operands = evaluation.Operands();
    if (operands.size() != 1)
        throw Exception("Too many operands.");
    return Resolve(std::move(operands.back()));
}

}  // namespace expreval
