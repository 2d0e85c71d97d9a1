#include "eval/evaluate.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "eval/arithmetic_line.h"
#include "eval/lexicon.h"
#include "eval/limits.h"
#include "eval/road.h"
#include "eval/settled.h"
#include "eval/single_token.h"
#include "eval/small_stack.h"
#include "eval/tokenizer.h"
#include "expreval/expreval.h"  // its declarations export what is defined here
#include "ops/element_joins.h"
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

const Operator& RequireOperator(std::string_view symbol) {
    const Operator* op = FindOperator(symbol);
    if (op == nullptr)
        ThrowNoSuchOperator(symbol);
    return *op;
}

std::string VariableValue(std::string_view name) {
    const Variable* variable = FindVariable(name);
    if (variable == nullptr)
        throw Exception("Variable " + std::string(name) + " does not exist.");
    return variable->value;
}

// What stands between the "(" of the call text at open and its last
// character, the closing parenthesis.
std::string_view ArgumentOf(std::string_view call, size_t open) {
    const size_t argumentEnd = std::max(call.size() - 1, open + 1);
    return call.substr(open + 1, argumentEnd - open - 1);
}

// The argument is a view of the call text: no copy per call level.
std::string CallFunction(std::string_view call, size_t open) {
    const std::string_view name = call.substr(0, open);
    const Function* function = FindFunction(name);
    if (function == nullptr)
        throw Exception("Function " + std::string(name) + " does not exist.");
    const std::string_view argument = ArgumentOf(call, open);
    if (function->host != nullptr)
        return CallHostFunction(*function, argument);
    return function->handler(argument, std::string_view(), 0);
}

// A lone name becomes its variable's value, a lone call its function's
// result; any other text is the value itself, taken over from owner when
// owner holds it.
std::string Resolve(std::string_view text, std::string* owner) {
    if (text.empty() || !IsNameStart(text[0]))
        return owner != nullptr ? std::move(*owner) : std::string(text);
    const size_t open = FinalCallOpen(text);
    if (open == std::string::npos)
        return VariableValue(text);
    return CallFunction(text, open);
}

// The two stacks of one run. A null entry on the operator stack is the
// marker of an open group. kShortcuts: the run is on the fast road; the
// reference road has an evaluation of its own, so that the fast one is
// compiled as if it were the only one.
template <bool kShortcuts>
class Evaluation final : public TokenEvents {
  public:
    // A token stays where the scan found it: the text scanned outlives the run.
    void Operand(std::string_view text) override {
        Entry& entry = operands_.Push();
        entry.token = text;
        entry.owns = false;
        entry.form = Settled::kUnknown;
        entry.joins.join = nullptr;
    }

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
        const Operator& op = RequireOperator(symbol);
        while (!operators_.empty() && operators_.back() != nullptr &&
               op.precedence >= operators_.back()->precedence) {
            Reduce();
        }
        operators_.Push() = &op;
    }

    void Drain() {
        while (!operators_.empty()) {
            if (operators_.back() == nullptr)
                RequireOperator("(");
            Reduce();
        }
    }

    // Exactly one operand left: its value, else a failure.
    std::string Result() {
        if (operands_.size() != 1)
            throw Exception("Too many operands.");
        Entry& entry = operands_.back();
        FinishJoins(entry);
        return Resolve(entry.Text(), entry.Owner());
    }

  private:
    // An operand: a scanned token, seen where it stands, or a handler's
    // result, held here; and whether it is known to be settled: a join's
    // result says so, a scanned token is left to the handler to evaluate.
    // A list may also wait for joins gathered for its elements.
    // A result's string lives apart, so that an entry stays small (a line of
    // nested groups stacks one per few characters), and stays for the next
    // result pushed there.
    struct Entry {
        std::string_view token;
        std::unique_ptr<std::string> owned;
        bool owns = false;
        Settled form = Settled::kUnknown;
        ElementJoins joins;

        std::string_view Text() const { return owns ? std::string_view(*owned) : token; }
        std::string* Owner() { return owns ? owned.get() : nullptr; }
        void Hold(std::string result) {
            if (owned == nullptr)
                owned = std::make_unique<std::string>();
            *owned = std::move(result);
            owns = true;
        }
    };

    // A join of a list's elements that can wait is gathered; anything else
    // first applies what its operands wait for.
    void Reduce() {
        const Operator* op = operators_.back();
        operators_.pop_back();
        const size_t count = operands_.size();
        if (count < 2)
            throw Exception("Not enough operands.");
        Entry& left = operands_[count - 2];
        Entry& right = operands_[count - 1];
        if constexpr (kShortcuts) {
            if (right.joins.join == nullptr &&
                GatherElementJoin(op->handler, left.Text(), left.form, right.Text(), left.joins)) {
                operands_.pop_back();
                return;
            }
            FinishJoins(left);
            FinishJoins(right);
        }
        Apply(op->handler, left, right);
        operands_.pop_back();
    }

    static void FinishJoins(Entry& entry) {
        if (entry.joins.join == nullptr)
            return;
        Entry piece;
        piece.Hold(std::move(entry.joins.piece));
        piece.form = entry.joins.pieceForm;
        Apply(std::exchange(entry.joins.join, nullptr), entry, piece);
    }

    // The handler reads its operands where they stand: its own evaluations
    // run with stacks of their own and cannot touch these. It is told which
    // are results, and which settled, and may take those over; the note is
    // cleared whatever happens, so it never names a text that is gone. The
    // result takes the left operand's place. On the reference road the
    // handler is told nothing, and its result is never taken as settled.
    static void Apply(Handler handler, Entry& left, Entry& right) {
        const std::string_view leftText = left.Text();
        const std::string_view rightText = right.Text();
        struct ClearNotes {
            ~ClearNotes() {
                t_settledOperands = SettledOperands{};
                t_settledResult = SettledResult{};
            }
        } clearNotes;
        if constexpr (kShortcuts) {
            t_settledOperands =
                SettledOperands{StackedOperand{leftText, left.Owner(), left.form},
                                StackedOperand{rightText, right.Owner(), right.form}};
            t_settledResult = SettledResult{};
        }
        std::string result = handler(leftText, rightText, 0);
        CheckValueSize(result.size());
        const SettledResult said = t_settledResult;
        const bool settled =
            kShortcuts && SameText(said.left, leftText) && SameText(said.right, rightText);
        left.Hold(std::move(result));
        left.form = settled ? said.form : Settled::kUnknown;
    }

    SmallStack<const Operator*, kTypicalDepth> operators_;
    SmallStack<Entry, kTypicalDepth> operands_;
};

}  // namespace

// Where Evaluate would refuse to nest deeper, this refuses too, so that the
// caller's own Evaluate reports it. The reference road always evaluates.
bool EvaluatePlainNumber(std::string_view text, PlainNumber& number) {
    if (!CanNestDeeper() || !ShortcutsOpen())
        return false;
    if (ReadPlainNumber(text, number))
        return true;
    if (!IsKeptName(text))
        return false;
    const Variable* variable = FindVariable(text);
    return variable != nullptr && ReadPlainNumber(variable->value, number);
}

namespace {

template <bool kShortcuts>
std::string EvaluateOnStacksOf(std::string_view text) {
    Evaluation<kShortcuts> evaluation;
    Scan(text, evaluation);
    evaluation.Drain();
    return evaluation.Result();
}

}  // namespace

std::string EvaluateOnStacks(std::string_view text) {
    RejectPastNestingLimit(text);
    return ShortcutsOpen() ? EvaluateOnStacksOf<true>(text) : EvaluateOnStacksOf<false>(text);
}

namespace {

// The text to work on: the caller's own copy when it gave one, which may
// then be moved or changed, else a view of a text it keeps. With padded,
// kTextPadding zero bytes follow it. A line is a whole line given to the
// console or a host, rather than an operand a handler evaluates.
struct Input {
    std::string_view text;
    std::string* owned;
    bool padded;
    bool line;

    std::string Copy() const { return owned != nullptr ? std::move(*owned) : std::string(text); }
};

// The value of a text that is one operand token.
std::string TokenValue(SingleToken kind, const Input& input) {
    switch (kind) {
        case SingleToken::kName:
            return VariableValue(input.text);
        case SingleToken::kCall:
            RejectPastNestingLimit(input.text);
            return CallFunction(input.text, FinalCallOpen(input.text));
        case SingleToken::kValue:
        case SingleToken::kNone:
            break;
    }
    return input.Copy();
}

// The one road chooser. A text takes the first road that answers it:
//   1. single token: one operand token that the rewrite keeps; a literal is
//      its own value, a name its variable's, a call its function's result;
//   2. arithmetic: plain arithmetic on numbers (arithmetic_line.h), which
//      gives up, having changed nothing, on any other text; tried before
//      road 1 for a line that does not start with a name, since such lines
//      are mostly arithmetic (operands mostly single tokens);
//   3. rewrite: a text that the rewrite changes is rewritten in a copy,
//      which gets road 2 again;
//   4. stacks: the scan, the two stacks and the handlers, which report
//      every failure.
// On the reference road (road.h) roads 1 and 2 are closed. Every road runs
// within one level of nesting, with the symbol tables built.
std::string TakeRoad(const Input& input) {
    if (t_session == nullptr)
        EnsureSymbolTables();
    const NestingGuard guard;
    const bool shortcuts = ShortcutsOpen();
    // A note on settled operands is for the handler that the reduction
    // called, not for one called after an evaluation of its own.
    if (shortcuts)
        t_settledOperands = SettledOperands{};
    const std::string_view text = input.text;
    std::string result;
    if (shortcuts) {
        const bool arithmeticFirst = input.line && (text.empty() || !IsNameStart(text[0]));
        if (arithmeticFirst && EvaluateArithmeticLine(text, result, input.padded))
            return result;
        const SingleToken kind = ClassifySingleToken(text);
        if (kind != SingleToken::kNone)
            return TokenValue(kind, input);
        if (!arithmeticFirst && EvaluateArithmeticLine(text, result, input.padded))
            return result;
    }
    if (KeptByRewriteBySkipping(text))
        return EvaluateOnStacks(text);
    std::string rewritten = input.Copy();
    StripWhiteSpaceAndFoldCase(rewritten);
    if (shortcuts && EvaluateArithmeticLine(rewritten, result, true))
        return result;
    return EvaluateOnStacks(rewritten);
}

}  // namespace

// A std::string's characters are followed by the zero byte that ends them.
std::string Evaluate(std::string expression) {
    static_assert(kTextPadding == 1);
    return TakeRoad(Input{expression, &expression, true, false});
}

std::string EvaluateText(std::string_view text) {
    return TakeRoad(Input{text, nullptr, false, true});
}

std::string EvaluatePaddedText(std::string_view text) {
    return TakeRoad(Input{text, nullptr, true, true});
}

// A view of an operand is not known to be followed by a zero byte.
std::string EvaluateOperand(std::string_view operand) {
    return TakeRoad(Input{operand, nullptr, false, false});
}

}  // namespace expreval
