#include "eval/arithmetic_line.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "eval/evaluate.h"
#include "eval/nesting.h"
#include "symbols/tables.h"
#include "value/lexicon.h"
#include "value/number_text.h"
#include "value/value.h"

namespace expreval {

namespace {

// The operators this road knows: those whose rows give their work on two
// numbers, and "=" at the start of a line.
enum Symbol : std::int8_t { kAdd, kSubtract, kMultiply, kDivide, kRemainder, kAssign, kCount };
constexpr std::array<char, kCount> kSymbols = {'+', '-', '*', '/', '%', '='};
// What may follow an operand besides an operator's symbol: an implied
// multiplication, or something that ends the operators being read (")", the
// end, a character the road leaves to the full road).
constexpr std::int8_t kImplied = kCount;
constexpr std::int8_t kStop = kCount + 1;

// The precedence of each symbol, then of kImplied that of "*", and of kStop
// one that no operator reaches.
using Precedences = std::array<int, kCount + 2>;

// The operators' records, looked up again only when the table changes:
// their precedences, and for each arithmetic symbol its work on numbers.
struct KnownRecords {
    Precedences precedences{};
    std::array<const NumberKernel*, kAssign> kernels{};
};

// Null when a record is missing or says it does other work (a table built
// otherwise): then every line takes the full road.
class KnownOperators {
  public:
    const KnownRecords* Get(const Context& context) {
        if (g_operators == nullptr)
            return nullptr;
        if (list_ != g_operators || stamp_ != g_operators->Stamp())
            Refresh(context);
        return builtIn_ ? &records_ : nullptr;
    }

  private:
    void Refresh(const Context& context) {
        list_ = g_operators;
        stamp_ = g_operators->Stamp();
        builtIn_ = true;
        Precedences& precedences = records_.precedences;
        for (int i = 0; i < kCount; ++i) {
            const Operator* record = FindOperator(context, std::string_view(&kSymbols[i], 1));
            const bool known =
                record != nullptr && (i == kAssign ? record->assigns : record->numbers != nullptr);
            builtIn_ = builtIn_ && known && record->precedence < INT_MAX;
            precedences[i] = record != nullptr ? record->precedence : 0;
            if (i < kAssign)
                records_.kernels[i] = known ? record->numbers : nullptr;
        }
        // The "=" of "name=" is applied last, which only the loosest may be.
        for (int i = 0; i < kAssign; ++i)
            builtIn_ = builtIn_ && precedences[i] < precedences[kAssign];
        precedences[kImplied] = precedences[kMultiply];
        precedences[kStop] = INT_MAX;
    }

    const SymbolList<Operator>* list_ = nullptr;
    std::uint64_t stamp_ = 0;
    bool builtIn_ = false;
    KnownRecords records_{};
};

// What the values of variables read as, remembered by their texts: a
// variable is mostly read many times between two assignments. The variable's
// address only spreads the entries.
// Never stale: an entry is taken only when its text is the value's text now.
class VariableNumbers {
  public:
    bool Read(const Variable& variable, PlainNumber& number) {
        const std::string& text = expreval::ValueText(variable);
        LastNumber& entry =
            entries_[(reinterpret_cast<std::uintptr_t>(&variable) / sizeof variable) % kEntries];
        if (entry.Recall(text, number))
            return true;
        if (!ReadPlainNumber(text, number))
            return false;
        if (text.size() <= LastNumber::kMaxSize) {
            std::array<char, LastNumber::kMaxSize> copy{};
            std::memcpy(copy.data(), text.data(), text.size());
            entry.Keep(copy.data(), text.size(), number);
        }
        return true;
    }

  private:
    static constexpr size_t kEntries = 8;
    std::array<LastNumber, kEntries> entries_;
};

}  // namespace

struct ArithmeticCaches {
    KnownOperators operators;
    VariableNumbers numbers;
};

std::shared_ptr<ArithmeticCaches> MakeArithmeticCaches() {
    return std::make_shared<ArithmeticCaches>();
}

namespace {

// An operand as a handler would meet it: the value it reads, whether the
// operand's own text is an integer text (which / and % look at), and where
// its value text comes from should it be the line's result. Without
// initialisers: every field is set when an operand is scanned or computed.
struct Operand {
    double value;      // what the handler reads
    bool integer;      // and whether its value text is an integer text
    bool textInteger;  // the same for the operand text itself
    bool computed;     // a result: written from raw and cut
    bool cut;
    double raw;
    const std::string* stored;  // a variable: its value
    const char* token;          // a literal: its own text
    size_t tokenSize;
};

bool IsKeptLetter(char ch) {
    return ClassOf(ch) == kLetterChar;
}

// What a character after an operand stands for: an operator's symbol (never
// "=", which the road takes only at the start), kImplied or kStop. Of the
// characters that imply a "*", those without a class here (quotes, braces,
// capitals) give the line up.
constexpr auto kAfterOperand = [] {
    std::array<std::int8_t, 256> after{};
    after.fill(kStop);
    for (int code = 0; code < 256; ++code) {
        if (BeginsOperand(static_cast<char>(code)) && kCharClasses[code] != kOtherChar)
            after[code] = kImplied;
    }
    for (int i = 0; i < kAssign; ++i)
        after[static_cast<unsigned char>(kSymbols[i])] = static_cast<std::int8_t>(i);
    return after;
}();

// The line as the scan reads it: one character at a time, never past the
// one after the end, which reads as a zero byte and ends every scan. A line
// its caller pads is read where it stands; a short one is otherwise copied
// with a zero byte after it, so that reads need no check; a long one is read
// where it stands, every read checked, since copying it would cost more than
// a line given up at its first blank would.
struct PaddedText {
    static constexpr size_t kPadding = 1;

    char At(size_t i) const { return data[i]; }

    const char* data;  // size characters, then a zero byte
    size_t size;
};

struct CheckedText {
    char At(size_t i) const { return i < size ? data[i] : '\0'; }

    const char* data;
    size_t size;
};

// Every step returns false to give the line up. Operators are applied by
// precedence climbing: an operand, then each operator that binds more
// tightly than the one being worked on, with its right side read by the same
// steps at that operator's precedence. Equal precedences group from the
// left, as on the stacks.
template <typename Text>
class ArithmeticLine {
  public:
    ArithmeticLine(Context& context, Text text, const KnownRecords& records)
        : context_(context),
          text_(text),
          precedences_(records.precedences),
          kernels_(records.kernels),
          checkpoints_(context) {}

    bool Run(std::string& result) {
        const size_t target = AssignmentTarget();
        Operand value;
        if (!Expression(kWhole, 0, value) || pos_ != text_.size)
            return false;
        // The checks the handlers' own evaluations would make, one for each
        // operand and one for an assignment's right side, made once the
        // answer is known, before anything is stored: every road spends the
        // same budget, and a line given up spends none here.
        SpendChecks(context_, checks_ + (target > 0 ? 1 : 0));
        result = ValueText(value);
        if (target > 0)
            AssignVariable(context_, std::string(text_.data, target), result);
        return true;
    }

  private:
    // Nesting of groups and of ever tighter operators past which the line
    // is left to the full road, which has no such bound.
    static constexpr int kMaxDepth = 32;
    // The precedence of a whole line or group: every operator binds within it.
    static constexpr int kWhole = INT_MAX;
    static constexpr int kExactDigits = 14;

    // "name=" at the start, the "=" a token of its own: its name's length,
    // with the scan set to begin after it; 0 when there is none. With the
    // lowest precedence it is applied last, to the value of the rest.
    size_t AssignmentTarget() {
        if (!IsKeptLetter(text_.At(0)))
            return 0;
        const size_t end = NameEnd(0);
        if (text_.At(end) != '=' || !EndsOperator(text_.At(end + 1)))
            return 0;
        pos_ = end + 1;
        return end;
    }

    // The name's characters from `from` on that the rewrite keeps.
    size_t NameEnd(size_t from) const {
        size_t i = from;
        while (IsKeptNameCharByClass(text_.At(i)))
            ++i;
        return i;
    }

    // An operand and the operators after it that bind more tightly than
    // `limit`, applied; stops before anything else (a looser operator, ")",
    // the end), which the caller looks at.
    bool Expression(int limit, int depth, Operand& left) {
        if (depth > kMaxDepth || !ScanOperand(depth, left))
            return false;
        while (true) {
            const std::int8_t next = kAfterOperand[static_cast<unsigned char>(text_.At(pos_))];
            const int precedence = precedences_[next];
            if (precedence >= limit)
                return true;
            checkpoints_.Pass(pos_);
            checks_ += 2;  // the handler's evaluations of its two operands
            // An operator's symbol is one character: what follows must be
            // an operand, which the right side's scan checks.
            Symbol symbol = kMultiply;
            if (next != kImplied) {
                symbol = static_cast<Symbol>(next);
                ++pos_;
            }
            // Settled first: the work of reading the right side then overlaps
            // with it.
            Operand right;
            if (!Settle(left) || !Expression(precedence, depth + 1, right) || !Settle(right))
                return false;
            left = Applied(symbol, left, right);
        }
    }

    // A group, a variable's name or a number literal.
    bool ScanOperand(int depth, Operand& operand) {
        const CharClass chClass = ClassOf(text_.At(pos_));
        if (chClass == kOpenChar) {
            ++pos_;
            if (!Expression(kWhole, depth + 1, operand) || ClassOf(text_.At(pos_)) != kCloseChar)
                return false;
            ++pos_;
            return true;
        }
        if (chClass == kLetterChar)
            return ScanName(operand);
        if (chClass == kDigitChar || chClass == kMinusChar)
            return ScanLiteral(operand);
        return false;  // an operator, ")" or the end where an operand belongs
    }

    // Digits with at most one point, after a "-" that must lead to a digit;
    // a number token that goes on past them (an exponent) gives up.
    // Up to 14 digits the mantissa is an exact double, and the value the one
    // quotient ReadPlainNumber computes; a longer literal is read by it.
    bool ScanLiteral(Operand& operand) {
        const size_t start = pos_;
        const bool negative = text_.At(start) == '-';
        const size_t first = start + (negative ? 1 : 0);
        size_t i = first;
        if (!IsDigit(text_.At(i)))
            return false;
        std::uint64_t mantissa = 0;
        const int digits = AddDigits(i, mantissa);
        const bool hasPoint = text_.At(i) == '.';
        int fractionDigits = 0;
        if (hasPoint)
            fractionDigits = AddDigits(++i, mantissa);
        if (digits + fractionDigits > kExactDigits)
            return ScanLongNumber(start, first, operand);
        if (NumberGoesOn(hasPoint, text_.At(i)))
            return false;
        pos_ = i;
        const auto m = static_cast<double>(mantissa);
        const double value = fractionDigits > 0 ? m / kExactPowers[fractionDigits] : m;
        operand = Operand{negative ? -value : value, !hasPoint, !hasPoint, false, false, 0, nullptr,
                          text_.data + start,        i - start};
        return true;
    }

    // The digits from i on, appended to mantissa (which wraps past 19 of
    // them, when only their count is used); i is left after them. Their count.
    int AddDigits(size_t& i, std::uint64_t& mantissa) const {
        int count = 0;
        for (; IsDigit(text_.At(i)); ++i, ++count)
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(text_.At(i) - '0');
        return count;
    }

    // The same for literals of more than 14 digits, which are rare: scanned
    // again and read by ReadPlainNumber.
    bool ScanLongNumber(size_t start, size_t first, Operand& operand) {
        size_t i = DigitsEnd(first);
        const bool point = text_.At(i) == '.';
        if (point)
            i = DigitsEnd(i + 1);
        if (NumberGoesOn(point, text_.At(i)))
            return false;
        pos_ = i;
        operand =
            Operand{0, !point, !point, false, false, 0, nullptr, text_.data + start, i - start};
        return ReadNumber(std::string_view(operand.token, operand.tokenSize), operand);
    }

    // Whether the number token takes ch after the digits read, with or
    // without a point, and no exponent.
    static bool NumberGoesOn(bool pointSeen, char ch) {
        return NumberRule{pointSeen, false}.Takes(ch) > 0;
    }

    size_t DigitsEnd(size_t i) const {
        while (IsDigit(text_.At(i)))
            ++i;
        return i;
    }

    // A variable's name, which must not open a call or a group.
    bool ScanName(Operand& operand) {
        const size_t end = NameEnd(pos_);
        if (text_.At(end) == '(' || IsNameChar(text_.At(end)))
            return false;
        const std::string_view name(text_.data + pos_, end - pos_);
        pos_ = end;
        const Variable* variable = FindVariable(context_, name);
        if (variable == nullptr)
            return false;
        const bool textInteger = IsIntegerText(name);
        operand = Operand{
            0, false, textInteger, false, false, 0, &expreval::ValueText(*variable), nullptr, 0};
        PlainNumber number;
        if (!context_.caches->arithmetic->numbers.Read(*variable, number))
            return false;
        operand.value = number.value;
        operand.integer = number.integer;
        return true;
    }

    // The result of an operation on two settled operands.
    Operand Applied(Symbol symbol, const Operand& left, const Operand& right) {
        const bool cut = left.integer && right.integer;
        return Operand{0,       false,   false, true, cut, Compute(symbol, left, right),
                       nullptr, nullptr, 0};
    }

    // What the next operation reads of a result: the number its text reads
    // as. Other operands were read from their texts already. Inline, with
    // its rare way through the text out of line: the scan runs faster kept
    // small.
    [[gnu::always_inline]] static bool Settle(Operand& operand) {
        if (!operand.computed)
            return true;
        PlainNumber number;
        if (!ResultNumber(operand.raw, operand.cut, number) && !ReadResultText(operand, number))
            return false;  // a result that cannot be read in place, such as 1.#INF
        operand.value = number.value;
        operand.integer = number.integer;
        operand.textInteger = number.integer;
        return true;
    }

    [[gnu::noinline]] static bool ReadResultText(const Operand& operand, PlainNumber& number) {
        return ReadPlainNumber(ArithmeticResultText(operand.cut, operand.raw), number);
    }

    // The raw operations throw on a zero divisor; the line is then given up.
    double Compute(Symbol symbol, const Operand& left, const Operand& right) const {
        const bool integers = left.textInteger && right.textInteger;
        return kernels_[symbol]->For(integers)(left.value, right.value);
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

    Context& context_;
    Text text_;
    const Precedences& precedences_;
    const std::array<const NumberKernel*, kAssign>& kernels_;
    InterruptCheckpoints checkpoints_;
    std::int64_t checks_ = 0;
    size_t pos_ = 0;
};

}  // namespace

bool EvaluateArithmeticLine(Context& context, std::string_view text, std::string& result,
                            bool padded) {
    const KnownRecords* records = context.caches->arithmetic->operators.Get(context);
    if (records == nullptr || !CanNestDeeper(context))
        return false;
    constexpr size_t kShortLine = 256;
    static_assert(kTextPadding >= PaddedText::kPadding);
    bool answered = false;
    try {
        if (padded) {
            answered =
                ArithmeticLine(context, PaddedText{text.data(), text.size()}, *records).Run(result);
        } else if (text.size() > kShortLine) {
            answered = ArithmeticLine(context, CheckedText{text.data(), text.size()}, *records)
                           .Run(result);
        } else {
            std::array<char, kShortLine + PaddedText::kPadding> copy;
            std::memcpy(copy.data(), text.data(), text.size());
            std::memset(copy.data() + text.size(), 0, PaddedText::kPadding);
            answered =
                ArithmeticLine(context, PaddedText{copy.data(), text.size()}, *records).Run(result);
        }
    } catch (const Exception&) {
        // An interrupt or a spent budget goes on up; the full road would only
        // meet it again. A zero divisor: the full road reports it.
        CheckInterrupt(context);
    }
    return answered;
}

}  // namespace expreval
