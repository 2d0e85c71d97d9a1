#include "eval/tokenizer.h"

#include "eval/line_memo.h"
#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// One run of the scanner. Between tokens it reads one character at a time;
// a token is taken whole, up to where the lexicon says it ends.
class Scanner {
  public:
    Scanner(Context& context, std::string_view text, TokenEvents& events)
        : context_(context), text_(text), events_(events), checkpoints_(context) {}

    // The end marker needs no step of its own: an operator begun at it is
    // always empty, and every other token has ended before it.
    void Run() {
        while (pos_ < text_.size()) {
            checkpoints_.Pass(pos_);
            Step(text_[pos_]);
        }
    }

  private:
    // The tests exclude one another, so their order is free: the commonest
    // first.
    void Step(char ch) {
        if (ch == ')') {
            events_.CloseGroup();
            expectOperand_ = false;
            ++pos_;
        } else if (!expectOperand_ && BeginsOperand(ch)) {
            events_.OperatorToken("*");  // the implied "*"; ch is read again
            expectOperand_ = true;
        } else if (StartsNumber(ch, expectOperand_)) {
            Number();
        } else if (IsNameStart(ch)) {
            Name();
        } else if (ch == kQuote) {
            Operand(StringEnd(text_, pos_), TokenKind::kString);
        } else if (ch == '{') {
            Operand(ListEnd(text_, pos_), TokenKind::kList);
        } else if (ch == '(') {
            events_.OpenGroup();
            ++pos_;
        } else {
            events_.OperatorToken(Take(OperatorEnd(text_, pos_)));
            expectOperand_ = true;
        }
    }

    void Number() {
        const NumberToken token = ScanNumberToken(text_, pos_);
        if (token.end != kNoToken && IsSignAlone(text_.substr(pos_, token.end - pos_)))
            throw Exception("Negative sign missing number.");
        Operand(token.end, TokenKind::kNumber);
    }

    // A name before "(" is a call when it names a function, else a variable
    // times the group that follows.
    void Name() {
        const size_t end = NameEnd(text_, pos_);
        if (!MakesCall(context_, text_, pos_, end)) {
            Operand(end, TokenKind::kName);
            return;
        }
        const size_t callEnd = context_.line != nullptr && context_.line->Holds(text_)
                                   ? context_.line->CallEnd(text_, end)
                                   : CallEnd(text_, end);
        if (callEnd == kNoToken)
            throw Exception("Parameter list not closed.");
        Operand(callEnd, TokenKind::kCall);
    }

    // An operand that runs to end; one cut off by the end of the text is
    // dropped, which ends the scan.
    void Operand(size_t end, TokenKind kind) {
        if (end == kNoToken) {
            pos_ = text_.size();
            return;
        }
        events_.Operand(Take(end), kind);
        expectOperand_ = false;
    }

    std::string_view Take(size_t end) {
        const std::string_view token = text_.substr(pos_, end - pos_);
        pos_ = end;
        return token;
    }

    const Context& context_;
    std::string_view text_;
    TokenEvents& events_;
    InterruptCheckpoints checkpoints_;
    size_t pos_ = 0;
    bool expectOperand_ = true;
};

}  // namespace

void Scan(Context& context, std::string_view text, TokenEvents& events) {
    Scanner(context, text, events).Run();
}

}  // namespace expreval
