#include "eval/nesting.h"

#include <string>

#include "eval/lexicon.h"
#include "symbols/tables.h"
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
class DeepWalk {
  public:
    explicit DeepWalk(std::string_view text) : text_(text) {}

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
    //   N op f(A): a number or a variable's name, an operator and a call,
    //     which the operator's handler evaluates one level deeper, before
    //     anything but reading N;
    //   N op (A): the group is reduced in the same run before the operator.
    bool Step() {
        if (pos_ >= text_.size())
            return false;
        if (text_[pos_] == '(')
            return Enter(pos_, 0);
        if (EntersCall(pos_, 1))
            return true;
        const size_t operatorStart = SafeOperandEnd();
        if (operatorStart == kNoToken || operatorStart == text_.size())
            return false;
        size_t operandStart = operatorStart;
        if (!BeginsOperand(text_[operatorStart])) {
            operandStart = OperatorEnd(text_, operatorStart);
            const std::string_view symbol =
                text_.substr(operatorStart, operandStart - operatorStart);
            if (FindOperator(symbol) == nullptr || operandStart == text_.size())
                return false;
        }  // else the implied "*"
        if (text_[operandStart] == '(')
            return Enter(operandStart, 0);
        // The call is one run deeper; its argument is entered by the next
        // step, or not at all when this is the last.
        if (!EntersCall(operandStart, 0))
            return false;
        ++levels_;
        return true;
    }

    // Where the operand at pos_ ends, when evaluating it cannot fail or
    // change anything: a number token the rewrite keeps, or the name of a
    // variable that exists; kNoToken otherwise.
    size_t SafeOperandEnd() {
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
        if (end < text_.size() && text_[end] == '(')
            return kNoToken;
        const std::string_view name = text_.substr(pos_, end - pos_);
        if (name != knownName_) {
            if (FindVariable(name) == nullptr)
                return kNoToken;
            knownName_ = name;  // a chain mostly repeats one name
        }
        return end;
    }

    // Enters the call that starts at start, counting levels for its
    // argument; false when no call starts there.
    bool EntersCall(size_t start, size_t levels) {
        if (!IsNameStart(text_[start]))
            return false;
        const size_t open = NameEnd(text_, start);
        if (!MakesCall(text_, start, open))
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
void RejectPastNestingLimit(std::string_view text) {
    const size_t levels = static_cast<size_t>(kMaxNesting - t_nestingLevel) + 1;
    if (text.size() < 2 * levels)
        return;  // too short to go that deep
    if (DeepWalk(text).Reaches(levels))
        ThrowNestedTooDeeply();
}

}  // namespace expreval
