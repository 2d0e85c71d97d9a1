#include "eval/number_line.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "eval/grammar.h"
#include "eval/nesting.h"
#include "eval/tokenizer.h"
#include "value/number_text.h"
#include "value/value.h"

namespace expreval {

namespace {

// An operand of the line: what its value reads as, whether its own text is
// an integer text (which / and % look at), and where its value text comes
// from, should it be the line's result: a literal's own text, a variable's
// value, or the work it came from. A name that is no variable holding a
// plain number can only be assigned. Small: the line moves many.
struct LineOperand {
    enum class Kind : unsigned char { kLiteral, kVariable, kName, kComputed };
    double value;
    double raw;         // a computed one's work, before it is read as its text
    const char* token;  // its text as the line has it
    const Variable* variable;
    std::uint32_t tokenSize;
    Kind kind;
    bool integer;
    bool integerText;
    bool cut;

    std::string_view Token() const { return {token, tokenSize}; }
};

// The grammar's sink for a line of arithmetic on numbers: every reduction
// is applied at once, on doubles, with no text written; at the first token
// or operator it cannot work on, it has seen enough, and the line takes the
// stacks instead. Nothing it does has an effect before it has answered: an
// assignment, allowed only as the line's last reduction, is made after.
class NumberLine {
  public:
    explicit NumberLine(Context& context) : context_(context) {}

    // Past an assignment there is no room: no operand may follow it.
    void Push(const Token& token) {
        if (count_ >= room_) [[unlikely]] {
            gaveUp_ = true;  // no operand is pushed: the line is given up
            return;
        }
        LineOperand& held = operands_[count_++];
        held.token = token.text.data();
        held.tokenSize = static_cast<std::uint32_t>(token.text.size());
        // A literal the scan read is short; only other tokens can be too long.
        if (token.number != nullptr) [[likely]] {
            held.kind = LineOperand::Kind::kLiteral;
            held.value = token.number->value;
            held.integer = token.number->integer;
            held.integerText = token.number->integer;  // a number's reading tells
            return;
        }
        PushOther(held, token);
    }

    void Reduce(const Operator& op) {
        if (gaveUp_)
            return;  // the stacks take the line: its operands need not be kept
        LineOperand& left = operands_[count_ - 2];
        const LineOperand& right = operands_[count_ - 1];
        if (!assigned_ && op.assigns == Assigns::kNothing && op.numbers != nullptr &&
            left.kind != LineOperand::Kind::kName && right.kind != LineOperand::Kind::kName)
            [[likely]] {
            // Plain ands of flags already read: no jump for each.
            const double raw =
                op.numbers->Compute(left.integerText & right.integerText, left.value, right.value);
            const bool cut = left.integer & right.integer;
            PlainNumber number;
            if (!ResultNumber(raw, cut, number) && !ReadWritten(raw, cut, number)) {
                gaveUp_ = true;
            } else {
                left.value = number.value;
                left.raw = raw;
                left.kind = LineOperand::Kind::kComputed;
                left.integer = number.integer;
                left.integerText = number.integer;
                left.cut = cut;
                checks_ += 2 * kRunChecks;  // the handler's evaluations of its two operands
            }
        } else if (!assigned_ && op.assigns != Assigns::kNothing &&
                   right.kind != LineOperand::Kind::kName) {
            Assign(op, left, right);
        } else {
            gaveUp_ = true;
        }
        --count_;
    }

    bool Enough() const { return gaveUp_; }
    const bool* EnoughFlag() const { return &gaveUp_; }
    void NoSuchOperator() { gaveUp_ = true; }
    // The scan's checks are spent with the line's own, if it answers: a
    // line given up is scanned again by the stacks, which spend them then.
    std::int64_t* DeferredChecks() { return &scanChecks_; }

    // After the scan and the grammar: the answer, false when the line is
    // the stacks' to evaluate.
    bool Answer(NumberLineAnswer& answer) const {
        // A line with no operand fails on the stacks. One without an
        // operator is a lone token: a literal or a variable is answered as
        // its text or its variable's value, as the stacks would answer it;
        // any other name is theirs to resolve or refuse.
        if (gaveUp_ || count_ == 0)
            return false;
        const LineOperand& top = operands_[count_ - 1];
        if (checks_ == 0 && top.kind == LineOperand::Kind::kName)
            return false;
        // Only the fields of the operand's kind are set: the others are not
        // read.
        const bool computed = top.kind == LineOperand::Kind::kComputed;
        const bool variable = top.kind == LineOperand::Kind::kVariable;
        answer.from = computed   ? NumberLineAnswer::From::kWork
                      : variable ? NumberLineAnswer::From::kVariable
                                 : NumberLineAnswer::From::kToken;
        answer.cut = computed && top.cut;
        answer.raw = computed ? top.raw : 0;
        answer.variable = variable ? top.variable : nullptr;
        answer.token = top.Token();
        answer.target = assigned_ ? target_ : std::string_view();
        answer.targetVariable = targetVariable_;
        answer.value = top.value;
        answer.integer = top.integer;
        answer.checks = checks_ + scanChecks_;
        return true;
    }

  private:
    // A literal the scan could not read on the way, or a name.
    [[gnu::noinline]] void PushOther(LineOperand& held, const Token& token) {
        PlainNumber number;
        if (token.text.size() > kLongestToken) {
            held.kind = LineOperand::Kind::kName;
            gaveUp_ = true;
            return;
        }
        if (token.kind == TokenKind::kNumber) {
            held.kind = LineOperand::Kind::kLiteral;
            if (!ReadPlainNumber(token.text, number))
                gaveUp_ = true;
            held.integerText = number.integer;
        } else if (token.kind != TokenKind::kName || !IsKeptName(token.text)) {
            // Strings, lists and calls are the stacks'; a name the rewrite
            // would change is another name.
            held.kind = LineOperand::Kind::kName;
            gaveUp_ = true;
            return;
        } else {
            held.integerText = IsIntegerText(token.text);
            if (const Variable* variable = FindNumberVariable(context_, token.text, number)) {
                held.kind = LineOperand::Kind::kVariable;
                held.variable = variable;
            } else {
                held.kind = LineOperand::Kind::kName;
            }
        }
        held.value = number.value;
        held.integer = number.integer;
    }

    // "name=" applied last, to a value already worked out: the stacks'
    // handler evaluates its right side, one check, and stores it.
    [[gnu::noinline]] void Assign(const Operator& op, LineOperand& left, const LineOperand& right) {
        if (op.assigns != Assigns::kValue || left.kind == LineOperand::Kind::kLiteral ||
            left.kind == LineOperand::Kind::kComputed) {
            gaveUp_ = true;
            return;
        }
        assigned_ = true;
        room_ = 0;
        target_ = left.Token();
        targetVariable_ = left.kind == LineOperand::Kind::kVariable ? left.variable : nullptr;
        left = right;
        checks_ += kRunChecks;
    }

    [[gnu::noinline]] static bool ReadWritten(double raw, bool cut, PlainNumber& number) {
        return ReadPlainNumber(ArithmeticResultText(cut, raw, nullptr), number);
    }

    // Longer operands, which no typical line holds, are the stacks'.
    static constexpr std::size_t kLongestToken = 1u << 20;
    // Operands waiting at once; a line that needs more takes the stacks.
    static constexpr std::size_t kMostOperands = 64;

    Context& context_;
    std::array<LineOperand, kMostOperands> operands_;
    std::size_t count_ = 0;
    std::int64_t checks_ = 0;
    std::int64_t scanChecks_ = 0;
    std::size_t room_ = kMostOperands;
    bool gaveUp_ = false;
    bool assigned_ = false;
    std::string_view target_;
    const Variable* targetVariable_ = nullptr;
};

}  // namespace

bool WorkOutNumberLine(Context& context, std::string_view text, NumberLineAnswer& answer) {
    if (!CanNestDeeper(context) || context.maxValueSize < kLongestNumberText)
        return false;
    NumberLine line(context);
    Grammar<NumberLine> grammar(context, line);
    try {
        Scan(context, text, grammar);
        if (line.Enough())
            return false;
        grammar.Finish();
        return line.Answer(answer);
    } catch (const Exception&) {
        // An interrupt or a spent budget goes on up; anything else the
        // stacks report, spending what they spend.
        if (InterruptRequested(context) || context.budget.spent)
            throw;
        return false;
    }
}

// One text, built where the caller returns it.
std::string GiveNumberLineAnswer(Context& context, const NumberLineAnswer& answer) {
    SpendChecks(context, answer.checks);
    std::string result =
        answer.from == NumberLineAnswer::From::kWork
            ? ArithmeticResultText(answer.cut, answer.raw, &context.caches->lastNumber)
        : answer.from == NumberLineAnswer::From::kVariable
            ? std::string(ValueText(*answer.variable))
            : std::string(answer.token);
    if (!answer.target.empty()) {
        AssignVariable(context, std::string(answer.target), result);
        // Assigned in place: the record stays the one found.
        if (answer.targetVariable != nullptr)
            KnowVariableNumber(*answer.targetVariable, PlainNumber{answer.value, answer.integer});
    }
    return result;
}

}  // namespace expreval
