#include "eval/tokenizer.h"

#include "eval/interrupt.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

namespace {

enum class Mode { kNone, kString, kList, kNumber, kName, kOperator };

// One run of the scanner. Each step handles the character at pos and either
// consumes it or leaves it to be read again in mode none.
class Scanner {
  public:
    Scanner(std::string_view text, TokenEvents& events) : text_(text), events_(events) {}

    void Run() {
        const size_t n = text_.size();
        while (pos_ <= n) {
            checkpoints_.Pass(pos_);
            const bool atEnd = pos_ == n;
            const char ch = atEnd ? '\0' : text_[pos_];
            if (Step(ch, atEnd))
                ++pos_;
        }
        // A string, list or number cut off by the end is dropped here.
    }

  private:
    bool Step(char ch, bool atEnd) {
        switch (mode_) {
            case Mode::kString:
                return StringStep(ch);
            case Mode::kList:
                return ListStep(ch);
            case Mode::kNumber:
                return NumberStep(ch);
            case Mode::kName:
                return NameStep(ch);
            case Mode::kOperator:
                return OperatorStep(ch, atEnd);
            case Mode::kNone:
                return NoneStep(ch, atEnd);
        }
        return true;
    }

    // Moves pos_ to the last of the characters from pos_ on that keep the
    // token going and need no other step, so that the loop's next step reads
    // the first one that may end or change it: long strings and lists cost
    // a few instructions a character.
    template <typename Continues>
    void SkipWhile(Continues continues) {
        while (pos_ + 1 < text_.size() && continues(text_[pos_ + 1]))
            ++pos_;
    }

    bool StringStep(char ch) {
        if (ch == '\\') {
            ++pos_;  // the escaped character cannot close the string
        } else if (ch == kQuote) {
            EndOperand(pos_ + 1);
        } else {
            SkipWhile([](char next) { return next != '\\' && next != kQuote; });
        }
        return true;
    }

    bool ListStep(char ch) {
        if (ch == '}')
            EndOperand(pos_ + 1);
        else
            SkipWhile([](char next) { return next != '}'; });
        return true;
    }

    bool NumberStep(char ch) {
        if (IsDigit(ch))
            return true;
        if (ch == '.' && !pointSeen_) {
            pointSeen_ = true;
            return true;
        }
        if (ch == 'e' && !exponentSeen_) {
            exponentSeen_ = true;
            ++pos_;  // the exponent's sign or first digit, whatever it is
            return true;
        }
        if (pos_ - start_ == 1 && text_[start_] == '-') {
            throw Exception("Negative sign missing number.");
        }
        pointSeen_ = false;
        exponentSeen_ = false;
        EndOperand(pos_);
        return false;
    }

    bool NameStep(char ch) {
        if (IsDigit(ch) || IsLetter(ch))
            return true;
        if (ch != '(') {
            EndOperand(pos_);
            return false;
        }
        if (FindFunction(text_.substr(start_, pos_ - start_)) == nullptr) {
            EndOperand(pos_);
            ImpliedMultiply();
            return false;
        }
        const int close = FindClosing(text_, '(', ')', static_cast<int>(pos_), -1);
        if (close < 0)
            throw Exception("Parameter list not closed.");
        pos_ = static_cast<size_t>(close);
        EndOperand(pos_ + 1);
        return true;
    }

    bool OperatorStep(char ch, bool atEnd) {
        if (!atEnd && !IsDigit(ch) && !IsLetter(ch) && ch != '-' && ch != kQuote && ch != '{' &&
            ch != '(') {
            return true;
        }
        events_.OperatorToken(text_.substr(start_, pos_ - start_));
        mode_ = Mode::kNone;
        expectOperand_ = true;
        return false;
    }

    // The tests exclude one another, so their order is free: the commonest
    // first.
    bool NoneStep(char ch, bool atEnd) {
        if (atEnd)
            return true;  // an operator begun at the end is always empty
        if (IsDigit(ch))
            return StartOperand(Mode::kNumber);
        if (ch == ')') {
            events_.CloseGroup();
            expectOperand_ = false;
            return true;
        }
        if (ch == kQuote)
            return StartOperand(Mode::kString);
        if (ch == '{')
            return StartOperand(Mode::kList);
        if (ch == '-' && expectOperand_)
            return Start(Mode::kNumber);
        if (IsLetter(ch))
            return StartOperand(Mode::kName);
        if (ch == '(') {
            if (!expectOperand_)
                return ImpliedMultiply();
            events_.OpenGroup();
            return true;
        }
        return Start(Mode::kOperator);
    }

    // An operand right after another one gets an implied "*" first.
    bool StartOperand(Mode mode) {
        if (!expectOperand_)
            return ImpliedMultiply();
        return Start(mode);
    }

    bool Start(Mode mode) {
        mode_ = mode;
        start_ = pos_;
        return true;
    }

    bool ImpliedMultiply() {
        events_.OperatorToken("*");
        expectOperand_ = true;
        return false;
    }

    void EndOperand(size_t end) {
        events_.Operand(text_.substr(start_, end - start_));
        mode_ = Mode::kNone;
        expectOperand_ = false;
    }

    std::string_view text_;
    TokenEvents& events_;
    InterruptCheckpoints checkpoints_;
    size_t pos_ = 0;
    size_t start_ = 0;
    Mode mode_ = Mode::kNone;
    bool expectOperand_ = true;
    bool pointSeen_ = false;
    bool exponentSeen_ = false;
};

}  // namespace

void Scan(std::string_view text, TokenEvents& events) {
    Scanner(text, events).Run();
}

}  // namespace expreval
