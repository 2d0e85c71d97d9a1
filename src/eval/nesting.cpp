#include "eval/nesting.h"

#include <string>

#include "eval/tokenizer.h"
#include "symbols/tables.h"
#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// The walk down a text whose evaluation goes deeper before it does anything
// else. Every step it takes is one the evaluation takes too, with nothing
// before it that could fail or change anything, and it counts no more
// levels than the evaluation enters; so where it counts past the limit, the
// evaluation would fail there. Every parenthesis it enters must close at
// the end of the text it was entered from, which one search at the end
// confirms.
constexpr int kNoPrecedence = 1 << 30;

class DeepWalk {
  public:
    DeepWalk(const Context& context, std::string_view text) : context_(context), text_(text) {}

    // True once levels levels are counted, in whole parentheses. Groups
    // count none, so the steps are bounded too: a walk that would be long
    // for its levels is left to the evaluation.
    bool Reaches(size_t levels) {
        for (size_t steps = 0; levels_ < levels; ++steps) {
            if (steps > 4 * levels || !Step())
                return false;
        }
        return ParenthesesClose();
    }

  private:
    // One step, from a text that starts at pos_:
    //   f(A): a call, whose argument runs one level deeper;
    //   (A): a group, evaluated in the same run;
    //   a op b op ... N op f(A): operands and operators, each binding more
    //     tightly than the one before, so that the scan reduces none of them
    //     before the last, whose handler evaluates the call one level deeper
    //     before anything but reading N (or with an assignment, first);
    //   a op ... N op (A): the group is reduced in the same run first.
    bool Step() {
        if (pos_ >= text_.size())
            return false;
        if (text_[pos_] == '(')
            return Enter(pos_, 0);
        if (EntersCall(pos_, 1))
            return true;
        int looser = kNoPrecedence;
        while (true) {
            const size_t operandStart = pos_;
            const size_t operatorStart = OperandEnd();
            if (operatorStart == kNoToken || operatorStart == text_.size())
                return false;
            const Operator* op = OperatorAt(operatorStart);
            if (op == nullptr || op->precedence >= looser || pos_ == text_.size())
                return false;
            looser = op->precedence;
            if (text_[pos_] == '(')
                return Enter(pos_, 0);
            if (IsNameStart(text_[pos_]) &&
                MakesCall(context_, text_, pos_, NameEnd(text_, pos_))) {
                if (!op->assigns && !IsSafe(operandStart, operatorStart))
                    return false;
                ++levels_;  // the run of the call, and one more for its argument
                return EntersCall(pos_, 1);
            }
        }
    }

    // Where the operand token at pos_ ends: a number the rewrite keeps or a
    // name, not a call or a group; kNoToken otherwise.
    size_t OperandEnd() const {
        const char first = text_[pos_];
        if (StartsNumber(first, true)) {
            const NumberToken token = ScanNumberToken(text_, pos_);
            if (token.end == kNoToken || !token.kept)
                return kNoToken;
            // An "e" may take a parenthesis, brace or quote along, which
            // the parentheses would then be matched past.
            const std::string_view number = text_.substr(pos_, token.end - pos_);
            if (IsSignAlone(number) || number.find_first_of("(){}\"") != std::string_view::npos)
                return kNoToken;
            return token.end;
        }
        if (!IsNameStart(first))
            return kNoToken;
        const size_t end = NameEnd(text_, pos_);
        return end < text_.size() && text_[end] == '(' ? kNoToken : end;
    }

    // The operator at start, the implied "*" where an operand begins there,
    // with pos_ moved past it; null when it does not exist.
    const Operator* OperatorAt(size_t start) {
        if (BeginsOperand(text_[start])) {
            pos_ = start;
            return FindOperator(context_, "*");
        }
        pos_ = OperatorEnd(text_, start);
        return FindOperator(context_, text_.substr(start, pos_ - start));
    }

    // Evaluating the operand cannot fail or change anything: a number, or
    // the name of a variable that exists.
    bool IsSafe(size_t start, size_t end) {
        if (!IsNameStart(text_[start]))
            return true;
        const std::string_view name = text_.substr(start, end - start);
        if (name != knownName_) {
            if (FindVariable(context_, name) == nullptr)
                return false;
            knownName_ = name;  // a chain mostly repeats one name
        }
        return true;
    }

    // Enters the call that starts at start, counting levels for its
    // argument; false when no call starts there.
    bool EntersCall(size_t start, size_t levels) {
        if (!IsNameStart(text_[start]))
            return false;
        const size_t open = NameEnd(text_, start);
        if (!MakesCall(context_, text_, start, open))
            return false;
        levels_ += levels;
        return Enter(open, 0);
    }

    bool Enter(size_t open, size_t levels) {
        levels_ += levels;
        lastOpen_ = open;
        ++opened_;
        pos_ = open + 1;
        return true;
    }

    // The last parenthesis entered closes, and only the closing parentheses
    // of the others follow it.
    bool ParenthesesClose() const {
        const size_t close = FindClosing(text_, '(', ')', lastOpen_);
        if (close == kNotFound || text_.size() - close != opened_)
            return false;
        return text_.find_first_not_of(')', close) == std::string_view::npos;
    }

    const Context& context_;
    std::string_view text_;
    size_t pos_ = 0;
    size_t levels_ = 0;
    size_t opened_ = 0;
    size_t lastOpen_ = 0;
    std::string_view knownName_;
};

}  // namespace

void ThrowNestedTooDeeply() {
    throw Exception("Expression nested too deeply.");
}

// The run at this depth is counted: the run levelsLeft + 1 levels below it
// is the one refused.
void RejectPastNestingLimit(const Context& context, std::string_view text) {
    const size_t levels = static_cast<size_t>(kMaxNesting - context.nestingLevel) + 1;
    if (text.size() < 2 * levels)
        return;  // too short to go that deep
    if (DeepWalk(context, text).Reaches(levels))
        ThrowNestedTooDeeply();
}

}  // namespace expreval
