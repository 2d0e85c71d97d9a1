#include "eval/arithmetic_line.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "eval/nesting.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/exact_powers.h"
#include "value/value.h"

namespace expreval {

namespace {

// The operators this road knows, with the handlers whose work it does.
enum Symbol : std::int8_t { kAdd, kSubtract, kMultiply, kDivide, kRemainder, kAssign, kCount };
constexpr std::array<char, kCount> kSymbols = {'+', '-', '*', '/', '%', '='};
constexpr std::array<Handler, kCount> kHandlers = {Add,    Subtract,  Multiply,
                                                   Divide, Remainder, Assign};
constexpr std::int8_t kGroup = -1;  // an open parenthesis on the operator stack

// The records of the operator table for those symbols, looked up again only
// when the table changes. Null when one is missing or does other work than
// the built-in handler (a table built otherwise): then every line takes the
// full road.
class KnownOperators {
  public:
    const Operator* const* Get() {
        if (g_operators == nullptr)
            return nullptr;
        if (list_ != g_operators || stamp_ != g_operators->Stamp())
            Refresh();
        return builtIn_ ? records_.data() : nullptr;
    }

  private:
    void Refresh() {
        list_ = g_operators;
        stamp_ = g_operators->Stamp();
        builtIn_ = true;
        for (int i = 0; i < kCount; ++i) {
            records_[i] = FindOperator(std::string_view(&kSymbols[i], 1));
            builtIn_ = builtIn_ && records_[i] != nullptr && records_[i]->handler == kHandlers[i];
        }
    }

    const SymbolList<Operator>* list_ = nullptr;
    std::uint64_t stamp_ = 0;
    bool builtIn_ = false;
    std::array<const Operator*, kCount> records_{};
};

constinit thread_local KnownOperators t_knownOperators;

// An operand as a handler would meet it: the value it reads, whether the
// operand's own text is an integer text (which / and % look at), and where
// its value text comes from should it be the line's result. Without
// initialisers, so that the stack of them costs nothing to set up; every
// field is set when an operand is pushed.
struct Operand {
    double value;      // what the handler reads
    bool integer;      // and whether its value text is an integer text
    bool textInteger;  // the same for the operand text itself
    bool computed;     // a result: written from raw and cut
    bool settled;      // and value, integer and textInteger are set
    bool cut;
    double raw;
    const std::string* stored;  // a variable: its value
    const char* token;          // a literal: its own text
    size_t tokenSize;
};

// What a character can be on this road; kOther gives the line up.
enum CharClass : std::uint8_t { kOther, kDigit, kLetter, kOpen, kClose, kMinus, kOperator };

constexpr auto kCharClasses = [] {
    std::array<CharClass, 256> classes{};
    for (int ch = '0'; ch <= '9'; ++ch)
        classes[ch] = kDigit;
    for (int ch = 'a'; ch <= 'z'; ++ch)
        classes[ch] = kLetter;  // capitals would be folded first: the full road
    classes['('] = kOpen;
    classes[')'] = kClose;
    classes['-'] = kMinus;
    for (const char ch : {'+', '*', '/', '%'})
        classes[static_cast<unsigned char>(ch)] = kOperator;
    return classes;
}();

CharClass ClassOf(char ch) {
    return kCharClasses[static_cast<unsigned char>(ch)];
}

bool IsLowerLetter(char ch) {
    return ClassOf(ch) == kLetter;
}

// Whether ch ends an operator token, which must then be one character. Of
// the characters that end one, those without a class of their own here
// (capitals, quotes, braces) would give the line up next anyway.
bool EndsOperator(char ch) {
    const CharClass chClass = ClassOf(ch);
    return chClass == kDigit || chClass == kLetter || chClass == kOpen || chClass == kMinus;
}

size_t NameEnd(std::string_view text, size_t from) {
    size_t i = from;
    while (i < text.size() && (IsLowerLetter(text[i]) || IsDigit(text[i])))
        ++i;
    return i;
}

Symbol SymbolOf(char ch) {
    switch (ch) {
        case '+':
            return kAdd;
        case '-':
            return kSubtract;
        case '*':
            return kMultiply;
        case '/':
            return kDivide;
        default:
            return kRemainder;
    }
}

// Every step returns false to give the line up.
class ArithmeticLine {
  public:
    ArithmeticLine(std::string_view text, const Operator* const* records)
        : text_(text), records_(records) {}

    bool Run(std::string& result) {
        const size_t target = AssignmentTarget();
        if (!Scan() || !Drain() || operandCount_ != 1)
            return false;
        result = ValueText(operands_[0]);
        if (target > 0)
            SetVariable(std::string(text_.substr(0, target)), result);
        return true;
    }

  private:
    static constexpr size_t kMaxEntries = 32;

    // "name=" at the start, the "=" a token of its own: its name's length,
    // with the scan set to begin after it; 0 when there is none. With the
    // lowest precedence it is applied last, to the value of the rest.
    size_t AssignmentTarget() {
        if (text_.empty() || !IsLowerLetter(text_[0]))
            return 0;
        const size_t end = NameEnd(text_, 0);
        if (end + 1 >= text_.size() || text_[end] != '=' || !EndsOperator(text_[end + 1]))
            return 0;
        pos_ = end + 1;
        return end;
    }

    bool Scan() {
        bool expectOperand = true;
        while (pos_ < text_.size()) {
            const CharClass chClass = ClassOf(text_[pos_]);
            if (chClass == kClose) {
                if (!CloseGroup())
                    return false;
                ++pos_;
                expectOperand = false;
            } else if (chClass == kOperator || (chClass == kMinus && !expectOperand)) {
                if (!ScanOperator())
                    return false;
                expectOperand = true;
            } else {
                if (chClass == kOther || (!expectOperand && !PushOperator(kMultiply)))
                    return false;  // else an implied multiplication, if any, is in place
                if (!ScanOperand(chClass))
                    return false;
                expectOperand = chClass == kOpen;
            }
        }
        return true;
    }

    bool ScanOperand(CharClass chClass) {
        if (chClass == kOpen) {
            ++pos_;
            return PushEntry(kGroup);
        }
        return chClass == kLetter ? ScanName() : ScanNumber();
    }

    bool ScanOperator() {
        if (pos_ + 1 >= text_.size() || !EndsOperator(text_[pos_ + 1]))
            return false;
        const Symbol symbol = SymbolOf(text_[pos_]);
        ++pos_;
        return PushOperator(symbol);
    }

    // Digits with at most one point, after a "-" that must lead to a digit;
    // an exponent or a second point (which would be an operator) gives up.
    bool ScanNumber() {
        const size_t start = pos_;
        size_t i = pos_ + (text_[pos_] == '-' ? 1 : 0);
        if (i >= text_.size() || !IsDigit(text_[i]))
            return false;
        std::uint64_t mantissa = 0;
        const size_t first = i;
        i = ReadDigits(i, mantissa);
        size_t digits = i - first;
        const bool point = i < text_.size() && text_[i] == '.';
        size_t fraction = 0;
        if (point) {
            const size_t fractionStart = i + 1;
            i = ReadDigits(fractionStart, mantissa);
            fraction = i - fractionStart;
            digits += fraction;
        }
        if (i < text_.size() && (text_[i] == '.' || text_[i] == 'e'))
            return false;
        pos_ = i;
        Operand* operand = NewOperand();
        if (operand == nullptr)
            return false;
        *operand = Operand{
            0, !point, !point, false, false, false, 0, nullptr, text_.data() + start, i - start};
        return ReadLiteral(std::string_view(operand->token, operand->tokenSize), mantissa, digits,
                           fraction, *operand);
    }

    size_t ReadDigits(size_t i, std::uint64_t& mantissa) const {
        for (; i < text_.size() && IsDigit(text_[i]); ++i)
            mantissa = mantissa * 10 + static_cast<unsigned>(text_[i] - '0');
        return i;
    }

    // The value ReadPlainNumber gives for the token, from the digits the scan
    // has just read: up to 15 digits the mantissa is an exact double, and the
    // value the one quotient it computes. Handing the token to ReadPlainNumber
    // instead reads every digit twice, which costs W1 some 6% more
    // instructions and 15% more mispredicted branches.
    static bool ReadLiteral(std::string_view token, std::uint64_t mantissa, size_t digits,
                            size_t fraction, Operand& operand) {
        constexpr size_t kExactDigits = 15;
        if (digits > kExactDigits)
            return ReadNumber(token, operand);
        const auto m = static_cast<double>(mantissa);
        const double value = fraction > 0 ? m / kExactPowers[fraction] : m;
        operand.value = token[0] == '-' ? -value : value;
        return true;
    }

    // A variable's name, which must not open a call or a group.
    bool ScanName() {
        const size_t end = NameEnd(text_, pos_);
        if (end < text_.size() && (text_[end] == '(' || IsLetter(text_[end])))
            return false;
        const std::string_view name = text_.substr(pos_, end - pos_);
        pos_ = end;
        const Variable* variable = FindVariable(name);
        Operand* operand = NewOperand();
        if (variable == nullptr || operand == nullptr)
            return false;
        const bool textInteger = name.find('e') == std::string_view::npos;
        *operand =
            Operand{0, false, textInteger, false, false, false, 0, &variable->value, nullptr, 0};
        return ReadNumber(variable->value, *operand);
    }

    // Applies the stacked operators that bind at least as tightly.
    bool PushOperator(int symbol) {
        const int precedence = records_[symbol]->precedence;
        while (entryCount_ > 0 && entries_[entryCount_ - 1] != kGroup &&
               precedence >= records_[entries_[entryCount_ - 1]]->precedence) {
            if (!Reduce())
                return false;
        }
        return PushEntry(static_cast<std::int8_t>(symbol));
    }

    bool CloseGroup() {
        while (entryCount_ > 0) {
            if (entries_[entryCount_ - 1] == kGroup) {
                --entryCount_;
                return true;
            }
            if (!Reduce())
                return false;
        }
        return false;  // no group to close
    }

    bool Drain() {
        while (entryCount_ > 0) {
            if (entries_[entryCount_ - 1] == kGroup || !Reduce())
                return false;
        }
        return true;
    }

    bool Reduce() {
        const int symbol = entries_[--entryCount_];
        if (operandCount_ < 2)
            return false;
        Operand& left = operands_[operandCount_ - 2];
        Operand& right = operands_[operandCount_ - 1];
        if (!Settle(left) || !Settle(right))
            return false;
        const bool cut = left.integer && right.integer;
        const double raw = Compute(symbol, left, right);
        left = Operand{0, false, false, true, false, cut, raw, nullptr, nullptr, 0};
        --operandCount_;
        return true;
    }

    // What the next operation reads of a result, worked out only then: the
    // line's own result is written, never read.
    static bool Settle(Operand& operand) {
        if (!operand.computed || operand.settled)
            return true;
        PlainNumber number;
        if (!ResultNumber(operand.raw, operand.cut, number) &&
            !ReadPlainNumber(ArithmeticResultText(operand.cut, operand.raw), number))
            return false;  // a result that cannot be read in place, such as 1.#INF
        operand.value = number.value;
        operand.integer = number.integer;
        operand.textInteger = number.integer;
        operand.settled = true;
        return true;
    }

    // The raw operations throw on a zero divisor; the line is then given up.
    static double Compute(int symbol, const Operand& left, const Operand& right) {
        const double a = left.value;
        const double b = right.value;
        const bool integers = left.textInteger && right.textInteger;
        switch (symbol) {
            case kAdd:
                return a + b;
            case kSubtract:
                return a - b;
            case kMultiply:
                return a * b;
            case kDivide:
                return integers ? IntegerDivide(a, b) : RealDivide(a, b);
            default:
                return integers ? IntegerRemainder(a, b) : RealRemainder(a, b);
        }
    }

    static std::string ValueText(const Operand& operand) {
        if (operand.computed)
            return ArithmeticResultText(operand.cut, operand.raw);
        if (operand.stored != nullptr)
            return *operand.stored;
        return std::string(operand.token, operand.tokenSize);
    }

    // ReadPlainNumber into an operand.
    static bool ReadNumber(std::string_view text, Operand& operand) {
        PlainNumber number;
        if (!ReadPlainNumber(text, number))
            return false;
        operand.value = number.value;
        operand.integer = number.integer;
        return true;
    }

    // The slot for a new operand, or null when the stack is full.
    Operand* NewOperand() {
        return operandCount_ == kMaxEntries ? nullptr : &operands_[operandCount_++];
    }

    bool PushEntry(std::int8_t entry) {
        if (entryCount_ == kMaxEntries)
            return false;
        entries_[entryCount_++] = entry;
        return true;
    }

    std::string_view text_;
    const Operator* const* records_;
    size_t pos_ = 0;
    std::array<Operand, kMaxEntries> operands_;
    std::array<std::int8_t, kMaxEntries> entries_;
    size_t operandCount_ = 0;
    size_t entryCount_ = 0;
};

}  // namespace

bool EvaluateArithmeticLine(std::string_view text, std::string& result) {
    const Operator* const* records = t_knownOperators.Get();
    if (records == nullptr || !CanNestDeeper())
        return false;
    try {
        return ArithmeticLine(text, records).Run(result);
    } catch (const Exception&) {
        return false;  // a zero divisor: the full road reports it
    }
}

}  // namespace expreval
