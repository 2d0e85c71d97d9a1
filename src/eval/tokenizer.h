// The scanning half of Evaluate: cuts a rewritten expression into tokens and
// hands each one over the moment it is complete.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "eval/context.h"
#include "eval/line_memo.h"
#include "value/lexicon.h"
#include "value/number_scan.h"
#include "value/value.h"

namespace expreval {

// An operand token: its text, what it is, for a call the function the scan
// found it names, and for a number the value, when the scan could read it
// on the way (what ReadPlainNumber gives for the text).
struct Token {
    std::string_view text;
    TokenKind kind = TokenKind::kNumber;
    const Function* function = nullptr;
    const PlainNumber* number = nullptr;
};

// Receives the scan's events in source order.
class TokenEvents {
  public:
    virtual void Operand(const Token& token) = 0;
    virtual void OperatorToken(std::string_view symbol) = 0;
    virtual void OpenGroup() = 0;
    virtual void CloseGroup() = 0;

  protected:
    ~TokenEvents() = default;
};

// A name directly followed by "(" makes a call when it names a function,
// which this gives; any other name before "(" is a variable times a group.
inline const Function* CallOf(const Context& context, std::string_view text, size_t nameStart,
                              size_t nameEnd) {
    if (nameEnd >= text.size() || text[nameEnd] != '(')
        return nullptr;
    return FindFunction(context, text.substr(nameStart, nameEnd - nameStart));
}

namespace scanner_detail {

// One run of the scanner. Between tokens it reads one character at a time;
// a token is taken whole, up to where the lexicon says it ends.
template <typename Events>
class Scanner {
  public:
    Scanner(Context& context, std::string_view text, Events& events)
        : context_(context),
          text_(text),
          events_(events),
          checkpoints_(context, Deferred(events)),
          enough_(EnoughFlag(events)) {}

    // The end marker needs no step of its own: an operator begun at it is
    // always empty, and every other token has ended before it.
    // Events that may see enough give the flag that says so (EnoughFlag),
    // and the scan stops once it is set.
    void Run() {
        while (pos_ < text_.size()) {
            checkpoints_.Pass(pos_);
            if (expectOperand_)
                OperandStep(text_[pos_]);
            else
                AfterOperandStep(text_[pos_]);
            if constexpr (kMaySeeEnough) {
                if (*enough_)
                    return;
            }
        }
    }

  private:
    // Events that may give their text up count the scan's checks (DeferredChecks).
    static std::int64_t* Deferred(Events& events) {
        if constexpr (requires { events.DeferredChecks(); })
            return events.DeferredChecks();
        else
            return nullptr;
    }

    static constexpr bool kMaySeeEnough = requires(const Events& events) { events.EnoughFlag(); };

    // Read through a pointer of the scan's own, which the steps' calls out
    // cannot change: one load a step.
    static const bool* EnoughFlag(const Events& events) {
        if constexpr (kMaySeeEnough)
            return events.EnoughFlag();
        else
            return nullptr;
    }

    // Where an operand is expected: the token a character starts, by its
    // class; an operator token here is left to the grammar to refuse.
    void OperandStep(char ch) {
        const CharClass chClass = ClassOf(ch);
        // The commonest first, before the jump of the switch.
        if (chClass == kDigitChar) {
            Number<false>();
            return;
        }
        switch (chClass) {
            case kMinusChar:
                Number<true>();
                return;
            case kLetterChar:
                Name();
                return;
            case kQuoteChar:
                Operand(StringEnd(text_, pos_), TokenKind::kString);
                return;
            case kBraceChar:
                Operand(ListEnd(text_, pos_), TokenKind::kList);
                return;
            case kOpenChar:
                events_.OpenGroup();
                ++pos_;
                return;
            case kCloseChar:
                events_.CloseGroup();
                expectOperand_ = false;
                ++pos_;
                return;
            default:
                OperatorAt();
                return;
        }
    }

    // After an operand: a ")", an implied "*" before anything that begins
    // an operand (ch is then read again), or an operator.
    void AfterOperandStep(char ch) {
        const CharClass chClass = ClassOf(ch);
        if (chClass == kCloseChar) {
            events_.CloseGroup();
            ++pos_;
            return;
        }
        if (BeginsOperandByClass(chClass)) {
            events_.OperatorToken("*");
            expectOperand_ = true;
            return;
        }
        OperatorAt();
    }

    void OperatorAt() {
        events_.OperatorToken(Take(OperatorEnd(text_, pos_)));
        expectOperand_ = true;
    }

    // Only a number that starts with its sign can be the sign alone.
    template <bool kSigned>
    [[gnu::always_inline]] void Number() {
        PlainNumber number;
        const ScannedNumber scanned = ScanNumber<kSigned>(text_, pos_, number);
        const size_t end = scanned.token.end;
        if (kSigned && end != kNoToken &&
            IsSignAlone(std::string_view(text_.data() + pos_, end - pos_)))
            throw Exception("Negative sign missing number.");
        // Two calls, so that the events know on each branch whether it was read.
        if (scanned.read) [[likely]]
            Operand(end, TokenKind::kNumber, nullptr, &number);
        else
            Operand(end, TokenKind::kNumber);
    }

    // A name before "(" is a call when it names a function, else a variable
    // times the group that follows.
    void Name() {
        const size_t end = NameEnd(text_, pos_);
        const Function* function = CallOf(context_, text_, pos_, end);
        if (function == nullptr) {
            Operand(end, TokenKind::kName);
            return;
        }
        const size_t callEnd = context_.line != nullptr && context_.line->Holds(text_)
                                   ? context_.line->CallEnd(text_, end)
                                   : CallEnd(text_, end);
        if (callEnd == kNoToken)
            throw Exception("Parameter list not closed.");
        Operand(callEnd, TokenKind::kCall, function);
    }

    // An operand that runs to end; one cut off by the end of the text is
    // dropped, which ends the scan.
    void Operand(size_t end, TokenKind kind, const Function* function = nullptr,
                 const PlainNumber* number = nullptr) {
        if (end == kNoToken) {
            pos_ = text_.size();
            return;
        }
        events_.Operand(Token{Take(end), kind, function, number});
        expectOperand_ = false;
    }

    // end is never before pos_ nor past the text's end.
    std::string_view Take(size_t end) {
        const std::string_view token(text_.data() + pos_, end - pos_);
        pos_ = end;
        return token;
    }

    const Context& context_;
    std::string_view text_;
    Events& events_;
    InterruptCheckpoints checkpoints_;
    const bool* enough_;
    size_t pos_ = 0;
    bool expectOperand_ = true;
};

}  // namespace scanner_detail

// Scans text, already stripped of white space and case-folded, inserting the
// implied "*" between adjacent operands, and hands each token to events (a
// TokenEvents, or any class with its members, whose calls are then inlined).
// Throws Exception on a lone minus sign or an unclosed call.
template <typename Events>
void Scan(Context& context, std::string_view text, Events& events) {
    scanner_detail::Scanner<Events>(context, text, events).Run();
}

}  // namespace expreval
