// Numbers written as text. Built on std::to_chars: locale-free and exact,
// which the half-up rounding needs.

#include "value/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "value/value.h"

namespace expreval {
namespace {

using number_detail::IsShortWhole;
using number_detail::kBeyond;
using number_detail::kLog10Of2Scaled;
using number_detail::kLog10Of2Shift;
using number_detail::kWholePowers;
using number_detail::RoundHalfUp;
using number_detail::RoundToSignificant;

// The most significant digits a double's shortest text can have.
constexpr int kProbeDigits = 17;
// Every finite double has at most 767 significant decimal digits, so this
// many fraction digits in scientific form print its exact value.
constexpr int kExactPrecision = 767;
// The quiet NaN that x86 produces for an invalid operation such as inf - inf.
constexpr std::uint64_t kDefaultNaN = 0xFFF8000000000000;

// |x| = 0.d1d2... x 10^exponent, digits already rounded to 14 places. A carry
// out of d1 leaves digits "1" followed by zeros, one more than 14 of them.
struct Decimal {
    // 15 digits with a carry, then room that lets WriteDigits copy a fixed
    // length from any of them.
    char digits[2 * (kSignificant + 1)];
    int trailingZeros;  // how many of the 14 (with a carry, 15) digits end in zeros
    bool carried;
    int exponent;     // before rounding: it picks the form
    double readBack;  // what the written text reads as; set by DecomposeFixed only
};

std::string NonFiniteText(double x) {
    if (std::isinf(x)) {
        return x < 0 ? "-1.#INF" : "1.#INF";
    }
    if (std::bit_cast<std::uint64_t>(x) == kDefaultNaN) {
        return "-1.#IND";
    }
    return std::signbit(x) ? "-1.#QNAN" : "1.#QNAN";
}

}  // namespace

namespace {

bool HasFusedMultiplyAdd() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma") != 0;
#else
    return false;
#endif
}

}  // namespace

const bool g_fusedRounding = HasFusedMultiplyAdd();

// Each text NonFiniteText writes, read back through the writer itself.
std::optional<double> NonFiniteNumber(std::string_view text) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const double forms[] = {kInfinity, -kInfinity, std::bit_cast<double>(kDefaultNaN),
                            std::numeric_limits<double>::quiet_NaN(),
                            std::bit_cast<double>(kDefaultNaN | 1)};
    for (const double x : forms) {
        if (NonFiniteText(x) == text)
            return x;
    }
    return std::nullopt;
}

double HostNumber(std::string_view text) {
    // Only those forms hold a '#': other texts are not compared with them.
    if (text.find('#') != std::string_view::npos) {
        if (const std::optional<double> nonFinite = NonFiniteNumber(text))
            return *nonFinite;
    }
    return TextToNumber(text);
}

namespace {

// Copies the leading kProbeDigits digits of to_chars scientific output
// ("d.ddd...e+XX", `precision` fraction digits) and returns its exponent.
int ReadScientific(const char* text, const char* end, int precision, char* digits) {
    digits[0] = text[0];
    std::memcpy(digits + 1, text + 2, kProbeDigits - 1);
    const char* sign = text + 2 + precision + 1;
    int magnitude = 0;
    std::from_chars(sign + 1, end, magnitude);
    return *sign == '-' ? -magnitude : magnitude;
}

// Keeps 14 digits of `probe`, adding one unit in the last place when asked.
Decimal Round(const char* probe, int exponent, bool up) {
    Decimal d{};
    std::memcpy(d.digits, probe, kSignificant);
    d.exponent = exponent;
    int i = kSignificant - 1;
    for (; up && i >= 0 && d.digits[i] == '9'; --i) {
        d.digits[i] = '0';
    }
    if (up && i >= 0) {
        ++d.digits[i];
    } else if (up) {
        d.digits[0] = '1';
        d.digits[kSignificant] = '0';
        d.carried = true;
    }
    const int count = kSignificant + (d.carried ? 1 : 0);
    while (d.trailingZeros < count - 1 && d.digits[count - 1 - d.trailingZeros] == '0') {
        ++d.trailingZeros;
    }
    return d;
}

// n is a multiple of the odd p exactly when n times p's inverse modulo 2^64
// is at most (2^64 - 1) / p; the product is then n / p.
struct OddDivisor {
    std::uint64_t inverse;
    std::uint64_t limit;
    int power;  // of five
};

constexpr OddDivisor PowerOfFive(int power) {
    std::uint64_t p = 1;
    for (int i = 0; i < power; ++i) {
        p *= 5;
    }
    std::uint64_t inverse = p;  // right in the low 3 bits; each step doubles that
    for (int i = 0; i < 5; ++i) {
        inverse *= 2 - p * inverse;
    }
    return {inverse, ~std::uint64_t{0} / p, power};
}

constexpr std::array<OddDivisor, 4> kPowersOfFive = {PowerOfFive(8), PowerOfFive(4), PowerOfFive(2),
                                                     PowerOfFive(1)};

// The decimal zeros that end 0 < n < 10^14: the smaller of its powers of two
// and of five (the latter counted up to 15, more than such an n can end
// in), found without a loop whose end a branch would have to guess.
int DecimalTrailingZeros(std::uint64_t n) {
    const int twos = std::countr_zero(n);
    int fives = 0;
    for (const OddDivisor& five : kPowersOfFive) {
        const std::uint64_t quotient = n * five.inverse;
        const bool divides = quotient <= five.limit;
        n = divides ? quotient : n;
        fives += divides ? five.power : 0;
    }
    return std::min(twos, fives);
}

// "00", "01", ... "99": two digits written at once.
constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The `count` low decimal digits of value, leading zeros included, written
// so that they end just before end; up to seven digits, in 32-bit steps.
void WriteSmallDigitsBackward(char* end, std::uint32_t value, int count) {
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, &kDigitPairs[2 * (value % 100)], 2);
        value /= 100;
    }
    if (count == 1) {
        end[-1] = static_cast<char>('0' + value);
    }
}

// The same for up to 14 digits: the low seven, then the rest.
void WriteDigitsBackward(char* end, std::uint64_t value, int count) {
    constexpr int kHalf = 7;
    constexpr std::uint64_t kHalfPower = 10000000;
    if (count <= kHalf) {
        WriteSmallDigitsBackward(end, static_cast<std::uint32_t>(value), count);
        return;
    }
    WriteSmallDigitsBackward(end, static_cast<std::uint32_t>(value % kHalfPower), kHalf);
    WriteSmallDigitsBackward(end - kHalf, static_cast<std::uint32_t>(value / kHalfPower),
                             count - kHalf);
}

// Slow but exact: the full decimal expansion decides the 15th digit.
Decimal DecomposeExactly(double magnitude) {
    char text[kExactPrecision + 16];
    char probe[kProbeDigits];
    char* end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific,
                              kExactPrecision)
                    .ptr;
    int k = ReadScientific(text, end, kExactPrecision, probe);
    return Round(probe, k + 1, probe[kSignificant] >= '5');
}

// A subnormal's digits to 31 places, correctly rounded there, decide its
// rounding to 14 just as its exact expansion would, and take a seventh of
// the time: a carry from the 31st place that reaches the 15th leaves zeros
// behind it. Only where those 31 digits are exactly a 15-digit halfway point
// (the exact value may lie on either side) or a power of ten (a carry out
// of the first digit) does the exact expansion decide.
Decimal DecomposeSubnormal(double magnitude) {
    constexpr int kPrecision = 30;
    char text[kPrecision + 16];
    char probe[kProbeDigits];
    const char* end = std::to_chars(text, text + sizeof text, magnitude,
                                    std::chars_format::scientific, kPrecision)
                          .ptr;
    const int k = ReadScientific(text, end, kPrecision, probe);
    // The nth digit (from 0) stands at text[n + 1] for n >= 1.
    const auto zerosFrom = [&text](int digit) {
        return std::all_of(text + digit + 1, text + kPrecision + 2,
                           [](char c) { return c == '0'; });
    };
    if ((text[kSignificant + 1] == '5' && zerosFrom(kSignificant + 1)) ||
        (text[0] == '1' && zerosFrom(1)))
        return DecomposeExactly(magnitude);
    return Round(probe, k + 1, probe[kSignificant] >= '5');
}

// S, the shortest text that reads back as V (to_chars' default), decides the
// rounding of V to 14 digits except when S is exactly a 14-digit value
// followed by a 5 (then V may lie on either side of that tie):
// - S of 14 digits or fewer: the nearest 15-digit halfway point lies 5e-15
//   relative away, far outside the interval of texts that read back as V, so
//   V rounds to S.
// - S of 15 or more digits: a halfway point between V and S would read back as
//   V and be at least as short and closer to V, so to_chars would have
//   written it; V and S lie on the same side of every halfway point.
// S's exponent is V's too, except when S is a power of ten just above V
// (1e23): rounding V then carries to the same digits and exponent.
// Subnormal doubles hold fewer bits, so their interval is too wide for the
// first rule; they take a path of their own.
Decimal Decompose(double magnitude) {
    if (magnitude < std::numeric_limits<double>::min()) {
        return DecomposeSubnormal(magnitude);
    }
    char text[32];
    const char* end =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific).ptr;
    char probe[kProbeDigits];
    std::memset(probe, '0', sizeof probe);
    probe[0] = text[0];
    const char* p = text + 1;
    int count = 1;
    if (*p == '.') {
        for (++p; *p != 'e'; ++p) {
            probe[count++] = *p;
        }
    }
    int k = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, k);
    if (count == kSignificant + 1 && probe[kSignificant] == '5') {
        return DecomposeExactly(magnitude);
    }
    return Round(probe, k + 1, probe[kSignificant] >= '5');
}

// The fixed form without a digit conversion: V x 10^(14-E), with E the count
// of V's integer digits, rounds half up to V's 14 digits. Outside the
// fixed-form range this gives up. The double 0.1 is the first one at or above
// the real 0.1.
bool DecomposeFixed(double magnitude, Decimal& d) {
    if (magnitude < 0.1 || magnitude >= kBeyond) {
        return false;
    }
    int e = 0;
    while (e < kSignificant && magnitude >= kExactPowers[e]) {
        ++e;
    }
    const double scaled = magnitude * kExactPowers[kSignificant - e];
    // A signed conversion is a single instruction; the value is below 1e14.
    const auto rounded = static_cast<std::uint64_t>(
        static_cast<std::int64_t>(RoundHalfUp(magnitude, kSignificant - e, scaled)));
    d.carried = false;
    d.exponent = e;
    // The text is rounded x 10^(E-14) with trailing zeros cut, which reading
    // turns into the same correctly rounded quotient of exact doubles.
    d.readBack = static_cast<double>(rounded) / kExactPowers[kSignificant - e];
    if (rounded == kWholePowers[kSignificant]) {
        std::memset(d.digits, '0', sizeof d.digits);  // carried out of d1
        d.digits[0] = '1';
        d.carried = true;
        d.trailingZeros = kSignificant;
        return true;
    }
    WriteDigitsBackward(d.digits + kSignificant, rounded, kSignificant);
    d.trailingZeros = DecimalTrailingZeros(rounded);
    return true;
}

// Beyond the fixed form, the digits without a conversion for magnitudes that
// one exact power of ten scales to 14 digits; those close to a power of ten
// are left to Decompose. None carries: the rounded value stays below 10^14.
bool DecomposeScaled(double magnitude, Decimal& d) {
    double rounded = 0;
    if (!RoundToSignificant(magnitude, d.exponent, rounded)) {
        return false;
    }
    d.carried = false;
    const auto digits = static_cast<std::uint64_t>(static_cast<std::int64_t>(rounded));
    WriteDigitsBackward(d.digits + kSignificant, digits, kSignificant);
    d.trailingZeros = DecimalTrailingZeros(digits);
    return true;
}

// Of the last `count` digits, those before the zeros that end them: after a
// point, trailing zeros go; the point itself stays.
int Kept(const Decimal& d, int count) {
    return std::max(count - d.trailingZeros, 0);
}

// Copies a fixed length, which needs no library call, and keeps count of it:
// what lies past count is overwritten or cut off later.
char* WriteDigits(char* out, const char* digits, int count) {
    std::memcpy(out, digits, kSignificant + 1);
    return out + count;
}

// d1, point, d2..d14, then e, the sign of the exponent and at least three
// digits (no double needs more).
char* WriteExponentForm(char* out, const Decimal& d) {
    *out++ = d.digits[0];
    *out++ = '.';
    out = WriteDigits(out, d.digits + 1, Kept(d, kSignificant - 1));
    int written = d.exponent - 1 + (d.carried ? 1 : 0);
    *out++ = 'e';
    *out++ = written < 0 ? '-' : '+';
    written = std::abs(written);
    if (written < 100) {
        *out++ = '0';
    }
    if (written < 10) {
        *out++ = '0';
    }
    return std::to_chars(out, out + 8, written).ptr;
}

// The fraction digit count comes from the unrounded exponent, so a carry
// lengthens the integer part instead.
char* WriteFixedForm(char* out, const Decimal& d) {
    int total = kSignificant + (d.carried ? 1 : 0);
    int integer = d.exponent + (d.carried ? 1 : 0);
    if (integer == 0) {
        *out++ = '0';
    }
    out = WriteDigits(out, d.digits, integer);
    if (total == integer) {
        return out;
    }
    *out++ = '.';
    return WriteDigits(out, d.digits + integer, Kept(d, total - integer));
}

// Whole numbers below 10^14 are written exactly, without rounding: all
// their digits, then the point unless the digits fill all 14 places.
// The count of digits of whole < 10^14, from its bit length b (floor(b log10
// 2) + 1 is the count or one more) and one comparison: no loop whose end a
// branch would have to guess.
int DigitCount(std::uint64_t whole) {
    const std::uint64_t odd = whole | 1;  // the same count, and one digit for 0
    const int bits = std::bit_width(odd);
    const int estimate = ((bits * kLog10Of2Scaled) >> kLog10Of2Shift) + 1;
    return estimate - (odd < kWholePowers[estimate - 1] ? 1 : 0);
}

char* WriteWholeDigits(char* out, std::uint64_t whole) {
    const int count = DigitCount(whole);
    WriteDigitsBackward(out + count, whole, count);
    return out + count;
}

char* WriteWhole(char* out, std::uint64_t whole) {
    char* end = WriteWholeDigits(out, whole);
    if (end - out < kSignificant) {
        *end++ = '.';
    }
    return end;
}

}  // namespace

std::string NumberToText(double x, LastNumber* last) {
    if (!std::isfinite(x)) {
        return NonFiniteText(x);
    }
    if (x == 0) {
        return "0.";
    }
    const double magnitude = std::fabs(x);
    char text[40];  // the longest text, "-d.ddddddddddddde-ddd", has 21
    char* out = text;
    if (x < 0) {
        *out++ = '-';
    }
    if (IsShortWhole(magnitude)) {
        out = WriteWhole(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(magnitude)));
        if (last != nullptr)
            last->Keep(text, out - text, PlainNumber{x, out[-1] != '.'});
        return std::string(text, out);
    }
    Decimal d;
    if (DecomposeFixed(magnitude, d)) {
        out = WriteFixedForm(out, d);
        const double readBack = x < 0 ? -d.readBack : d.readBack;
        if (last != nullptr)
            last->Keep(text, out - text, PlainNumber{readBack, d.exponent == kSignificant});
        return std::string(text, out);
    }
    if (!DecomposeScaled(magnitude, d)) {
        d = Decompose(magnitude);
    }
    bool exponent_form = d.exponent < 0 || d.exponent > kSignificant;
    out = exponent_form ? WriteExponentForm(out, d) : WriteFixedForm(out, d);
    return std::string(text, out);
}

// NumberToText writes such a number as its digits and, unless they fill all
// 14 places, a point; zero as "0.". Cutting the point leaves the digits.
bool WholeNumberText(double x, std::string& text, LastNumber* last) {
    if (x == 0) {
        text.assign(1, '0');
        return true;
    }
    const double magnitude = std::fabs(x);
    if (!IsShortWhole(magnitude))
        return false;
    char digits[40];
    char* out = digits;
    if (x < 0) {
        *out++ = '-';
    }
    out = WriteWholeDigits(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(magnitude)));
    if (last != nullptr)
        last->Keep(digits, out - digits, PlainNumber{x, true});
    text.assign(digits, out);
    return true;
}

namespace {

// Exponent forms and non-finite texts hold an "e" or a "#".
bool IsFixedForm(std::string_view text) {
    for (const char ch : text) {
        if (ch == 'e' || ch == '#')
            return false;
    }
    return true;
}

// A whole number's text is written without its fraction at once.
std::string CutResult(double value, LastNumber* last) {
    std::string text;
    if (WholeNumberText(value, text, last))
        return text;
    text = NumberToText(value);
    if (IsFixedForm(text))
        DropFraction(text);
    return text;
}

}  // namespace

std::string ArithmeticResultText(bool integers, double value, LastNumber* last) {
    return integers ? CutResult(value, last) : NumberToText(value, last);
}

}  // namespace expreval
