#include "eval/evaluate.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "eval/arithmetic_line.h"
#include "eval/limits.h"
#include "eval/single_token.h"
#include "eval/small_stack.h"
#include "eval/tokenizer.h"
#include "ops/host_function.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

namespace {

// Stack entries kept inside the run itself: a typical line needs no more.
constexpr size_t kTypicalDepth = 8;

[[noreturn]] void ThrowNoSuchOperator(std::string_view symbol) {
    throw Exception("Operator " + std::string(symbol) + " does not exist.");
}

const Operator& LookUpOperator(std::string_view symbol) {
    const Operator* op = FindOperator(symbol);
    if (op == nullptr)
        ThrowNoSuchOperator(symbol);
    return *op;
}

// The two stacks of one run. A null entry on the operator stack is the
// marker of an open group.
class Evaluation final : public TokenEvents {
  public:
    void Operand(std::string_view text) override { operands_.Push().assign(text); }

    void OperatorToken(std::string_view symbol) override { PushOperator(symbol); }

    void OpenGroup() override { operators_.Push() = nullptr; }

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
    void PushOperator(std::string_view symbol) {
        const Operator& op = LookUpOperator(symbol);
        while (!operators_.empty() && operators_.back() != nullptr &&
               op.precedence >= operators_.back()->precedence) {
            Reduce();
        }
        operators_.Push() = &op;
    }

    void Drain() {
        while (!operators_.empty()) {
            if (operators_.back() == nullptr)
                LookUpOperator("(");
            Reduce();
        }
    }

    // Exactly one operand left: its text, else a failure.
    std::string& Result() {
        if (operands_.size() != 1)
            throw Exception("Too many operands.");
        return operands_.back();
    }

  private:
    // The handler reads its operands where they stand: its own evaluations
    // run with stacks of their own and cannot touch these.
    void Reduce() {
        const Operator* op = operators_.back();
        operators_.pop_back();
        const size_t count = operands_.size();
        if (count < 2)
            throw Exception("Not enough operands.");
        std::string result = op->handler(operands_[count - 2], operands_[count - 1], 0);
        CheckValueSize(result.size());
        operands_.pop_back();
        operands_.back() = std::move(result);
    }

    SmallStack<const Operator*, kTypicalDepth> operators_;
    SmallStack<std::string, kTypicalDepth> operands_;
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
    const std::string_view name = std::string_view(text).substr(0, open);
    const Function* function = FindFunction(name);
    if (function == nullptr)
        throw Exception("Function " + std::string(name) + " does not exist.");
    const size_t argumentEnd = std::max(text.size() - 1, open + 1);
    std::string argument = text.substr(open + 1, argumentEnd - open - 1);
    if (function->host != nullptr)
        return CallHostFunction(*function, argument);
    return function->handler(argument, std::string(), 0);
}

}  // namespace

// Where Evaluate would refuse to nest deeper, this refuses too, so that the
// caller's own Evaluate reports it.
bool EvaluatePlainNumber(const std::string& text, PlainNumber& number) {
    if (!CanNestDeeper())
        return false;
    if (ReadPlainNumber(text, number))
        return true;
    if (!IsWholeName(text))
        return false;
    const Variable* variable = FindVariable(text);
    return variable != nullptr && ReadPlainNumber(variable->value, number);
}

namespace {

// The value of a text that is one operand token.
std::string TokenValue(SingleToken kind, std::string text) {
    switch (kind) {
        case SingleToken::kName:
            return VariableValue(text);
        case SingleToken::kCall:
            RejectCallChainPastLimit(text);
            return Resolve(std::move(text));
        case SingleToken::kValue:
        case SingleToken::kNone:
            break;
    }
    return text;
}

}  // namespace

std::string EvaluateOnStacks(std::string_view text) {
    RejectCallChainPastLimit(text);
    Evaluation evaluation;
    Scan(text, evaluation);
    evaluation.Drain();
    return Resolve(std::move(evaluation.Result()));
}

namespace {

// A text the rewrite changed gets its own chance on the arithmetic road.
std::string EvaluateRewrittenCopy(std::string& text) {
    StripWhiteSpaceAndFoldCase(text);
    std::string result;
    if (EvaluateArithmeticLine(text, result))
        return result;
    return EvaluateOnStacks(text);
}

}  // namespace

// Handlers evaluate their operands, which are mostly single tokens (literals,
// names, results of earlier operations, calls); those skip the rewrite and the
// stacks, as do lines of plain arithmetic on numbers.
std::string Evaluate(std::string expression) {
    if (t_session == nullptr)
        EnsureSymbolTables();
    const NestingGuard guard;
    const SingleToken kind = ClassifySingleToken(expression);
    if (kind != SingleToken::kNone)
        return TokenValue(kind, std::move(expression));
    std::string result;
    if (EvaluateArithmeticLine(expression, result))
        return result;
    if (RewriteKeeps(expression))
        return EvaluateOnStacks(expression);
    return EvaluateRewrittenCopy(expression);
}

namespace {

// Evaluate's steps, copying only a text that the rewrite changes or that is
// itself the value.
std::string EvaluateKeptText(std::string_view text, bool padded) {
    const NestingGuard guard;
    std::string result;
    // A line that does not start with a name (a number, a sign, a
    // parenthesis) is mostly arithmetic, which the road answers, a lone
    // literal included; one that starts with a name may be a call, which the
    // road would only give up.
    const bool numberFirst = !text.empty() && !IsLetter(text[0]);
    if (numberFirst && EvaluateArithmeticLine(text, result, padded))
        return result;
    const SingleToken kind = ClassifySingleToken(text);
    if (kind != SingleToken::kNone)
        return TokenValue(kind, std::string(text));
    if (!numberFirst && EvaluateArithmeticLine(text, result, padded))
        return result;
    if (RewriteKeeps(text))
        return EvaluateOnStacks(text);
    std::string rewritten(text);
    return EvaluateRewrittenCopy(rewritten);
}

}  // namespace

std::string EvaluateText(std::string_view text) {
    return EvaluateKeptText(text, false);
}

std::string EvaluatePaddedText(std::string_view text) {
    return EvaluateKeptText(text, true);
}

}  // namespace expreval
