// The two-stack precedence routine: the one place that decides how the
// tokens of an expression group. What a reduction does is its sink's: a line
// applies the operator's handler at once (eval/evaluate.cpp), or works it out
// on numbers (eval/number_line.h); a formula writes it into its compiled form
// (eval/program.h), applied when that runs, in the same order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "eval/context.h"
#include "eval/small_stack.h"
#include "eval/tokenizer.h"
#include "value/value.h"

namespace expreval {

[[noreturn]] inline void ThrowNoSuchOperator(std::string_view symbol) {
    throw Exception("Operator " + std::string(symbol) + " does not exist.");
}

inline const Operator& RequireOperator(const Context& context, std::string_view symbol) {
    const Operator* op = FindOperator(context, symbol);
    if (op == nullptr)
        ThrowNoSuchOperator(symbol);
    return *op;
}

// Sink has Push(token), for an operand token, and Reduce(op), for an
// operator applied to the two operands on top of its stack. The grammar
// counts the operands itself, so every failure of the grouping is found
// here, whatever the sink does.
template <typename Sink>
class Grammar final : public TokenEvents {
  public:
    Grammar(const Context& context, Sink& sink) : context_(context), sink_(sink) {}

    void Operand(const Token& token) override {
        sink_.Push(token);
        ++operands_;
    }

    void OperatorToken(std::string_view symbol) override { PushOperator(symbol); }

    // A sink that has seen enough stops the scan.
    const bool* EnoughFlag() const requires requires(const Sink& sink) { sink.EnoughFlag(); }
    { return sink_.EnoughFlag(); }

    // A sink that may give its text up counts the scan's checks.
    std::int64_t* DeferredChecks() requires requires(Sink& sink) { sink.DeferredChecks(); }
    { return sink_.DeferredChecks(); }

    // A null entry on the operator stack is the marker of an open group.
    void OpenGroup() override { operators_.Push() = nullptr; }

    void CloseGroup() override {
        while (true) {
            if (operators_.Empty())
                throw Exception("Missing '('.");
            if (operators_.Top() == nullptr) {
                operators_.Pop();
                return;
            }
            Reduce();
        }
    }

    // After the scan: the operators left are applied, and exactly one
    // operand must remain.
    void Finish() {
        while (!operators_.Empty()) {
            if (operators_.Top() == nullptr)
                RequireOperator(context_, "(");
            Reduce();
        }
        if (operands_ != 1)
            throw Exception("Too many operands.");
    }

  private:
    // Applies the stacked operators that bind at least as tightly, then
    // stacks the new one. A sink that takes no line with an unknown
    // operator is told instead of the failure, and has seen enough.
    // Inline, as is the scanner's Number: they are the scan's commonest steps.
    [[gnu::always_inline]] void PushOperator(std::string_view symbol) {
        const Operator* found = FindOperator(context_, symbol);
        if (found == nullptr) {
            if constexpr (requires(Sink & sink) { sink.NoSuchOperator(); }) {
                sink_.NoSuchOperator();
                return;
            }
            ThrowNoSuchOperator(symbol);
        }
        const Operator& op = *found;
        while (!operators_.Empty() && operators_.Top() != nullptr &&
               op.precedence >= operators_.Top()->precedence) {
            Reduce();
        }
        operators_.Push() = &op;
    }

    void Reduce() {
        const Operator* op = operators_.Top();
        operators_.Pop();
        if (operands_ < 2)
            throw Exception("Not enough operands.");
        --operands_;
        sink_.Reduce(*op);
    }

    // Stack entries kept inside the routine itself: a typical line needs no
    // more.
    static constexpr size_t kTypicalDepth = 8;

    const Context& context_;
    Sink& sink_;
    SmallStack<const Operator*, kTypicalDepth> operators_;
    size_t operands_ = 0;
};

}  // namespace expreval
