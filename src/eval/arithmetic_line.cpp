#include "eval/arithmetic_line.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "eval/evaluate.h"
#include "eval/nesting.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/digit_words.h"
#include "value/exact_powers.h"
#include "value/last_number.h"
#include "value/result_number.h"
#include "value/value.h"

namespace expreval {

namespace {

// The operators this road knows, with the handlers whose work it does.
enum Symbol : std::int8_t { kAdd, kSubtract, kMultiply, kDivide, kRemainder, kAssign, kCount };
constexpr std::array<char, kCount> kSymbols = {'+', '-', '*', '/', '%', '='};
constexpr std::array<Handler, kCount> kHandlers = {Add,    Subtract,  Multiply,
                                                   Divide, Remainder, Assign};
// An open parenthesis on the operator stack: nothing is reduced past it.
constexpr std::int8_t kGroup = kCount;

// The precedence of each symbol, and of kGroup one that no operator reaches.
using Precedences = std::array<int, kCount + 1>;

// The precedences of the operator table's records for those symbols, looked
// up again only when the table changes. Null when a record is missing or does
// other work than the built-in handler (a table built otherwise): then every
// line takes the full road.
class KnownOperators {
  public:
    const Precedences* Get() {
        if (g_operators == nullptr)
            return nullptr;
        if (list_ != g_operators || stamp_ != g_operators->Stamp())
            Refresh();
        return builtIn_ ? &precedences_ : nullptr;
    }

  private:
    void Refresh() {
        list_ = g_operators;
        stamp_ = g_operators->Stamp();
        builtIn_ = true;
        for (int i = 0; i < kCount; ++i) {
            const Operator* record = FindOperator(std::string_view(&kSymbols[i], 1));
            builtIn_ = builtIn_ && record != nullptr && record->handler == kHandlers[i] &&
                       record->precedence < INT_MAX;
            precedences_[i] = record != nullptr ? record->precedence : 0;
        }
        precedences_[kGroup] = INT_MAX;
    }

    const SymbolList<Operator>* list_ = nullptr;
    std::uint64_t stamp_ = 0;
    bool builtIn_ = false;
    Precedences precedences_{};
};

constinit thread_local KnownOperators t_knownOperators;

// What the values of variables read as, remembered by their texts: a
// variable is mostly read many times between two assignments. An entry is
// taken only when its text is the value's text, so an assignment needs no
// notice; the variable's address only spreads the entries.
class VariableNumbers {
  public:
    bool Read(const Variable& variable, PlainNumber& number) {
        const std::string& text = variable.value;
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

constinit thread_local VariableNumbers t_variableNumbers;

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
    bool cut;
    double raw;
    const std::string* stored;  // a variable: its value
    const char* token;          // a literal: its own text
    size_t tokenSize;
};

// What a character can be on this road; kOther ends the line or gives it up.
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

// The operator a character stands for; kCount for any other.
constexpr auto kSymbolOf = [] {
    std::array<Symbol, 256> symbols{};
    symbols.fill(kCount);
    for (int i = 0; i < kCount; ++i)
        symbols[static_cast<unsigned char>(kSymbols[i])] = static_cast<Symbol>(i);
    return symbols;
}();

constexpr std::array<std::uint64_t, kWordBytes> kIntegerPowers = {1,     10,     100,     1000,
                                                                  10000, 100000, 1000000, 10000000};

// The line as the scan reads it. A line its caller pads is read where it
// stands; a short one is otherwise copied with zero bytes after it, so that
// reads past its end need no check; a long one is read where it stands,
// every read checked, since copying it would cost more than a line given up
// at its first blank would.
struct PaddedText {
    static constexpr size_t kPadding = 2 * kWordBytes;

    char At(size_t i) const { return data[i]; }
    std::uint64_t Word(size_t i) const { return LoadWord(data + i); }

    const char* data;  // size characters, then kPadding zero bytes
    size_t size;
};

struct CheckedText {
    char At(size_t i) const { return i < size ? data[i] : '\0'; }
    std::uint64_t Word(size_t i) const {
        if (i + kWordBytes <= size)
            return LoadWord(data + i);
        std::array<char, kWordBytes> bytes{};
        if (i < size)
            std::memcpy(bytes.data(), data + i, size - i);
        return LoadWord(bytes.data());
    }

    const char* data;
    size_t size;
};

// Every step returns false to give the line up. Reads past the end of the
// text give zero bytes, which end every scan.
template <typename Text>
class ArithmeticLine {
  public:
    ArithmeticLine(Text text, const Precedences& precedences)
        : text_(text), precedences_(precedences) {}

    bool Run(std::string& result) {
        const size_t target = AssignmentTarget();
        if (!Scan() || !Drain() || operandCount_ != 1)
            return false;
        result = ValueText(operands_[0]);
        if (target > 0)
            SetVariable(std::string(text_.data, target), result);
        return true;
    }

  private:
    static constexpr size_t kMaxEntries = 32;

    // "name=" at the start, the "=" a token of its own: its name's length,
    // with the scan set to begin after it; 0 when there is none. With the
    // lowest precedence it is applied last, to the value of the rest.
    size_t AssignmentTarget() {
        if (!IsLowerLetter(text_.At(0)))
            return 0;
        const size_t end = NameEnd(0);
        if (text_.At(end) != '=' || !EndsOperator(text_.At(end + 1)))
            return 0;
        pos_ = end + 1;
        return end;
    }

    // Letters and digits from `from` on.
    size_t NameEnd(size_t from) const {
        size_t i = from;
        while (IsLowerLetter(text_.At(i)) || IsDigit(text_.At(i)))
            ++i;
        return i;
    }

    // Operand, then what may follow one, in turn: the place in the loop says
    // which is expected, so no flag has to be tested for it.
    bool Scan() {
        while (true) {
            CharClass chClass = ClassOf(text_.At(pos_));
            for (; chClass == kOpen; chClass = ClassOf(text_.At(++pos_))) {
                if (!PushEntry(kGroup))
                    return false;
            }
            if (chClass == kLetter) {
                if (!ScanName())
                    return false;
            } else if (chClass == kDigit || chClass == kMinus) {
                if (!ScanNumber())
                    return false;
            } else {
                return false;  // an operator or ")" where an operand belongs
            }
            for (chClass = ClassOf(text_.At(pos_)); chClass == kClose;
                 chClass = ClassOf(text_.At(++pos_))) {
                if (!CloseGroup())
                    return false;
            }
            if (chClass == kOperator || chClass == kMinus) {
                if (!ScanOperator())
                    return false;
            } else if (chClass == kOther) {
                return pos_ == text_.size;          // the end, or a character of the full road
            } else if (!PushOperator(kMultiply)) {  // implied, before a digit, name or "("
                return false;
            }
        }
    }

    bool ScanOperator() {
        if (!EndsOperator(text_.At(pos_ + 1)))
            return false;
        const Symbol symbol = kSymbolOf[static_cast<unsigned char>(text_.At(pos_))];
        ++pos_;
        return PushOperator(symbol);
    }

    // Digits with at most one point, after a "-" that must lead to a digit;
    // an exponent or a second point (which would be an operator) gives up.
    // Runs of eight digits or more are read one digit at a time.
    bool ScanNumber() {
        const size_t start = pos_;
        const size_t first = pos_ + (text_.At(pos_) == '-' ? 1 : 0);
        const std::uint64_t integerWord = text_.Word(first);
        const int integerDigits = LeadingDigits(integerWord);
        if (integerDigits == 0)
            return false;
        if (integerDigits == kWordBytes)
            return ScanLongNumber(start, first);
        // The characters after the digits are taken from the words already
        // read, not read again: each read would wait for the one before.
        const std::uint64_t afterInteger = integerWord >> (kByteBits * integerDigits);
        const bool hasPoint = static_cast<char>(afterInteger) == '.';
        const size_t point = first + static_cast<size_t>(integerDigits);
        // Without a point, the rest of the first word: no digits there.
        const std::uint64_t fractionWord = hasPoint ? text_.Word(point + 1) : afterInteger;
        const int fractionDigits = LeadingDigits(fractionWord);
        if (fractionDigits == kWordBytes)
            return ScanLongNumber(start, first);
        const char next = static_cast<char>(fractionWord >> (kByteBits * fractionDigits));
        if (next == '.' || next == 'e')
            return false;
        const size_t end = point + (hasPoint ? 1 : 0) + static_cast<size_t>(fractionDigits);
        pos_ = end;
        Operand* operand = NewOperand();
        if (operand == nullptr)
            return false;
        const std::uint64_t mantissa =
            DigitsValue(integerWord, integerDigits) * kIntegerPowers[fractionDigits] +
            DigitsValue(fractionWord, fractionDigits);
        // At most 14 digits: the mantissa is an exact double, and the value
        // the one quotient ReadPlainNumber computes.
        const auto m = static_cast<double>(mantissa);
        const double value = fractionDigits > 0 ? m / kExactPowers[fractionDigits] : m;
        *operand = Operand{text_.At(start) == '-' ? -value : value,
                           !hasPoint,
                           !hasPoint,
                           false,
                           false,
                           0,
                           nullptr,
                           text_.data + start,
                           end - start};
        return true;
    }

    // The same for literals with a run of eight digits or more, which are
    // rare: found one digit at a time and read by ReadPlainNumber.
    bool ScanLongNumber(size_t start, size_t first) {
        size_t i = DigitsEnd(first);
        const bool point = text_.At(i) == '.';
        if (point)
            i = DigitsEnd(i + 1);
        if (text_.At(i) == '.' || text_.At(i) == 'e')
            return false;
        pos_ = i;
        Operand* operand = NewOperand();
        if (operand == nullptr)
            return false;
        *operand =
            Operand{0, !point, !point, false, false, 0, nullptr, text_.data + start, i - start};
        return ReadNumber(std::string_view(operand->token, operand->tokenSize), *operand);
    }

    size_t DigitsEnd(size_t i) const {
        while (IsDigit(text_.At(i)))
            ++i;
        return i;
    }

    // A variable's name, which must not open a call or a group.
    bool ScanName() {
        const size_t end = NameEnd(pos_);
        if (text_.At(end) == '(' || IsLetter(text_.At(end)))
            return false;
        const std::string_view name(text_.data + pos_, end - pos_);
        pos_ = end;
        const Variable* variable = FindVariable(name);
        Operand* operand = NewOperand();
        if (variable == nullptr || operand == nullptr)
            return false;
        const bool textInteger = name.find('e') == std::string_view::npos;
        *operand = Operand{0, false, textInteger, false, false, 0, &variable->value, nullptr, 0};
        PlainNumber number;
        if (!t_variableNumbers.Read(*variable, number))
            return false;
        operand->value = number.value;
        operand->integer = number.integer;
        return true;
    }

    // Applies the stacked operators that bind at least as tightly.
    bool PushOperator(int symbol) {
        const int precedence = precedences_[symbol];
        while (entryCount_ > 0 && precedence >= precedences_[entries_[entryCount_ - 1]]) {
            if (!Reduce(true))
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
            if (!Reduce(true))
                return false;
        }
        return false;  // no group to close
    }

    bool Drain() {
        while (entryCount_ > 0) {
            if (entries_[entryCount_ - 1] == kGroup || !Reduce(entryCount_ > 1))
                return false;
        }
        return true;
    }

    // Applies the top operator. Its result is settled at once when another
    // operation will read it, which spares the operands a test of whether
    // they are settled; the line's own result is written, never read.
    bool Reduce(bool read) {
        const int symbol = entries_[--entryCount_];
        if (operandCount_ < 2)
            return false;
        Operand& left = operands_[operandCount_ - 2];
        const Operand& right = operands_[operandCount_ - 1];
        const bool cut = left.integer && right.integer;
        const double raw = Compute(symbol, left, right);
        left = Operand{0, false, false, true, cut, raw, nullptr, nullptr, 0};
        --operandCount_;
        return !read || Settle(left);
    }

    // What the next operation reads of a result.
    static bool Settle(Operand& operand) {
        PlainNumber number;
        if (!ResultNumber(operand.raw, operand.cut, number) &&
            !ReadPlainNumber(ArithmeticResultText(operand.cut, operand.raw), number))
            return false;  // a result that cannot be read in place, such as 1.#INF
        operand.value = number.value;
        operand.integer = number.integer;
        operand.textInteger = number.integer;
        return true;
    }

    // The raw operations throw on a zero divisor; the line is then given up.
    // + - * are worked out together and one picked, which needs no jump
    // that random operators would keep mispredicting.
    static double Compute(int symbol, const Operand& left, const Operand& right) {
        const double a = left.value;
        const double b = right.value;
        if (symbol <= kMultiply) {
            const std::array<double, kMultiply + 1> results = {a + b, a - b, a * b};
            return results[symbol];
        }
        const bool integers = left.textInteger && right.textInteger;
        if (symbol == kDivide)
            return integers ? IntegerDivide(a, b) : RealDivide(a, b);
        return integers ? IntegerRemainder(a, b) : RealRemainder(a, b);
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

    Text text_;
    const Precedences& precedences_;
    size_t pos_ = 0;
    std::array<Operand, kMaxEntries> operands_;
    std::array<std::int8_t, kMaxEntries> entries_;
    size_t operandCount_ = 0;
    size_t entryCount_ = 0;
};

}  // namespace

bool EvaluateArithmeticLine(std::string_view text, std::string& result, bool padded) {
    const Precedences* precedences = t_knownOperators.Get();
    if (precedences == nullptr || !CanNestDeeper())
        return false;
    constexpr size_t kShortLine = 256;
    static_assert(kTextPadding >= PaddedText::kPadding);
    try {
        if (padded)
            return ArithmeticLine(PaddedText{text.data(), text.size()}, *precedences).Run(result);
        if (text.size() > kShortLine)
            return ArithmeticLine(CheckedText{text.data(), text.size()}, *precedences).Run(result);
        std::array<char, kShortLine + PaddedText::kPadding> copy;
        std::memcpy(copy.data(), text.data(), text.size());
        std::memset(copy.data() + text.size(), 0, PaddedText::kPadding);
        return ArithmeticLine(PaddedText{copy.data(), text.size()}, *precedences).Run(result);
    } catch (const Exception&) {
        return false;  // a zero divisor: the full road reports it
    }
}

}  // namespace expreval
