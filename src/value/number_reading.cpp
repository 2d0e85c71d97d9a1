// Number texts read as doubles, the way the C library's atof reads them.
// Built on std::from_chars, which is locale-free and exact; the common short
// texts take a faster path to the same doubles.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "value/lexicon.h"
#include "value/number_scan.h"
#include "value/number_text.h"
#include "value/value.h"

namespace expreval {
namespace {

using number_detail::AppendDigits;
using number_detail::DigitsValue;
using number_detail::kWholePowers;
using number_detail::kWordBytes;
using number_detail::LeadingDigits;
using number_detail::LoadWord;
using number_detail::ReadSimpleDecimalPrefix;
using number_detail::SimpleDecimal;

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    return i;
}

// End of the decimal number that the C library reads from `start` (after
// any sign), or `start` itself when there is none.
std::size_t DecimalPrefixEnd(std::string_view text, std::size_t start) {
    std::size_t i = SkipDigits(text, start);
    std::size_t digits = i - start;
    if (i < text.size() && text[i] == '.') {
        std::size_t fraction_end = SkipDigits(text, i + 1);
        digits += fraction_end - (i + 1);
        i = fraction_end;
    }
    if (digits == 0) {
        return start;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        std::size_t exponent_end = SkipDigits(text, j);
        if (exponent_end > j) {
            i = exponent_end;
        }
    }
    return i;
}

// Reads an exponent's digits, saturating far beyond any double's range.
long long ReadExponent(std::string_view text) {
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char ch : text) {
        value = std::min(value * 10 + (ch - '0'), 1000000000LL);
    }
    return negative ? -value : value;
}

// from_chars reports overflow and underflow alike as out of range. Writing
// the number as 0.d... x 10^scale with d its leading nonzero digit, overflow
// has a positive scale and underflow a negative one.
bool Overflows(std::string_view number) {
    std::size_t e = number.find_first_of("eE");
    std::string_view mantissa = number.substr(0, e);
    long long exponent = e == std::string_view::npos ? 0 : ReadExponent(number.substr(e + 1));
    long long point = static_cast<long long>(std::min(mantissa.find('.'), mantissa.size()));
    std::size_t lead = mantissa.find_first_of("123456789");
    if (lead == std::string_view::npos) {
        return false;
    }
    long long scale = point - static_cast<long long>(lead);
    if (scale < 0) {
        ++scale;  // the point itself occupied one of the places counted
    }
    return scale + exponent > 0;
}

constexpr int kMaxMantissaDigits = 19;  // always fits 64 bits
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;
// The exponent digits of a short number: NumberToText writes three.
constexpr int kMaxShortExponentDigits = 3;

// Appends the digits from p on to mantissa a word at a time while eight
// bytes remain, and returns the end of what it took: long runs of digits
// without a test per digit.
const char* ReadDigitWords(const char* p, const char* end, std::uint64_t& mantissa) {
    while (end - p >= kWordBytes) {
        const std::uint64_t word = LoadWord(p);
        const int count = LeadingDigits(word);
        mantissa = mantissa * kWholePowers[count] + DigitsValue(word, count);
        p += count;
        if (count < kWordBytes)
            break;
    }
    return p;
}

// Appends the run of digits from p to mantissa (a mantissa past 64 bits
// wraps; its digits are counted by the caller) and returns the end of the
// run. Short runs, the common ones, go digit by digit.
inline const char* ReadDigits(const char* p, const char* end, std::uint64_t& mantissa) {
    if (end - p >= 8)
        p = ReadDigitWords(p, end, mantissa);
    return AppendDigits(p, end, mantissa);
}

// An exponent from p on (at the "e"), when it has digits of its own: adds it
// to power, notes its mark and returns its end; p itself when there is none;
// null when it is too long for the short path.
const char* ReadShortExponent(const char* p, const char* end, int& power, char& mark) {
    if (p == end || (*p != 'e' && *p != 'E'))
        return p;
    const char* q = p + 1;
    const bool negative = q != end && *q == '-';
    if (q != end && (*q == '-' || *q == '+'))
        ++q;
    const char* const first = q;
    int exponent = 0;
    for (; q != end && IsDigit(*q); ++q) {
        if (q - first == kMaxShortExponentDigits)
            return nullptr;
        exponent = exponent * 10 + (*q - '0');
    }
    if (q == first)
        return p;  // no digits: no exponent
    mark = *p;
    power += negative ? -exponent : exponent;
    return q;
}

// What the short path found at the start of a text.
struct ShortDecimal {
    double value = 0;
    const char* end = nullptr;  // of the number read; null when it needs the full reading
    bool point = false;
    char exponentMark = 0;  // the "e" or "E" of an exponent that was read
};

// The common number text, read in one pass: an optional sign, up to 19
// digits with at most one point, and an optional short exponent. When its
// value is m x 10^p with m and 10^p both exact doubles, one correctly rounded
// multiplication or division gives the very double of the full conversion.
inline ShortDecimal ReadShortDecimal(const char* p, const char* end) {
    ShortDecimal read;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+'))
        ++p;
    std::uint64_t mantissa = 0;
    const char* const digitsStart = p;
    p = ReadDigits(p, end, mantissa);
    int power = 0;
    read.point = p != end && *p == '.';
    if (read.point) {
        const char* const fractionStart = ++p;
        p = ReadDigits(p, end, mantissa);
        power = -static_cast<int>(p - fractionStart);
    }
    const std::ptrdiff_t digits = p - digitsStart - (read.point ? 1 : 0);
    if (digits == 0 || digits > kMaxMantissaDigits)
        return ShortDecimal{};
    p = ReadShortExponent(p, end, power, read.exponentMark);
    if (p == nullptr || mantissa > kMaxExactMantissa || power < -kMaxExactPower ||
        power > kMaxExactPower)
        return ShortDecimal{};
    const auto m = static_cast<double>(mantissa);
    read.value = power < 0 ? m / kExactPowers[-power] : m * kExactPowers[power];
    read.value = negative ? -read.value : read.value;
    read.end = p;
    return read;
}

// A whole text of those forms; false for anything else.
bool ReadSimpleDecimal(const char* p, const char* end, PlainNumber& number) {
    PlainNumber read;
    const SimpleDecimal simple = ReadSimpleDecimalPrefix<true>(p, end, read);
    if (!simple.read || simple.end != end)
        return false;
    number = read;
    return true;
}

// The other plain numbers: exponents and long mantissas. Kept out of line so
// that the common path stays short.
[[gnu::noinline]] bool ReadOtherPlainNumber(std::string_view text, PlainNumber& number) {
    const char* const end = text.data() + text.size();
    const ShortDecimal read = ReadShortDecimal(text.data(), end);
    if (read.end != end)
        return false;  // not all of it read on the short path
    number.value = read.value;
    number.integer = !read.point && read.exponentMark == 0;  // IsIntegerText, from the reading
    return true;
}

}  // namespace

double TextToNumber(std::string_view text) {
    const ShortDecimal shortRead = ReadShortDecimal(text.data(), text.data() + text.size());
    if (shortRead.end != nullptr) {
        return shortRead.value;
    }
    double value = 0;
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::string_view number = text.substr(i, DecimalPrefixEnd(text, i) - i);
    if (number.empty()) {
        return 0;
    }
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = Overflows(number) ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

// A text that the scan reads as one number token evaluates to itself;
// reading all of it on the short path gives what TextToNumber gives. The
// commonest texts, digits with at most one point after a start of a number,
// are whole number tokens, and are read before the rest of the token is
// looked at.
bool ReadPlainNumber(std::string_view text, PlainNumber& number, const LastNumber* last) {
    if (last != nullptr && last->Recall(text, number))
        return true;
    if (text.empty() || !StartsNumber(text[0], true))
        return false;
    if (ReadSimpleDecimal(text.data(), text.data() + text.size(), number))
        return true;
    return IsKeptNumberToken(text) && ReadOtherPlainNumber(text, number);
}

}  // namespace expreval
