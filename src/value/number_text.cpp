// Conversions between doubles and number texts. Both directions are built on
// std::to_chars / std::from_chars: they are locale-free and exact, which the
// half-up rounding and the atof-style reading need.

#include <algorithm>
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

constexpr int kSignificant = 14;
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
    char digits[kSignificant + 1];
    bool carried;
    int exponent;  // before rounding: it picks the form
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
    return d;
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
// first rule; they take the exact road.
Decimal Decompose(double magnitude) {
    if (magnitude < std::numeric_limits<double>::min()) {
        return DecomposeExactly(magnitude);
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

// Every power of ten up to 1e22 is exactly a double.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// How far from one half the scaled fraction must lie for its rounding to be
// sure: the scaled value stays below 1e14, where a double's rounding error
// is at most 1/128.
constexpr double kRoundingMargin = 1.0 / 32;

// The fixed form without a digit conversion: V x 10^(14-E), with E the count
// of V's integer digits, rounds half up to V's 14 digits. The product is off
// by at most half its last unit, which cannot move it across the rounding
// point unless it lies within kRoundingMargin of that point; then, and outside
// the fixed-form range, this gives up. The double 0.1 is the first one at or
// above the real 0.1.
bool DecomposeFixed(double magnitude, Decimal& d) {
    if (magnitude < 0.1 || magnitude >= kExactPowers[kSignificant]) {
        return false;
    }
    int e = 0;
    while (e < kSignificant && magnitude >= kExactPowers[e]) {
        ++e;
    }
    const double scaled = magnitude * kExactPowers[kSignificant - e];
    const double whole = std::floor(scaled);
    if (std::fabs(scaled - whole - 0.5) < kRoundingMargin) {
        return false;
    }
    const auto rounded = static_cast<std::uint64_t>(scaled - whole < 0.5 ? whole : whole + 1);
    d = Decimal{};
    d.exponent = e;
    if (rounded == static_cast<std::uint64_t>(kExactPowers[kSignificant])) {
        std::memset(d.digits, '0', sizeof d.digits);  // carried out of d1
        d.digits[0] = '1';
        d.carried = true;
        return true;
    }
    std::to_chars(d.digits, d.digits + kSignificant, rounded);
    return true;
}

// After a point, trailing zeros go; the point itself stays.
char* TrimZeros(char* end) {
    while (end[-1] == '0') {
        --end;
    }
    return end;
}

char* WriteDigits(char* out, const char* digits, int count) {
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
}

// d1, point, d2..d14, then e, the sign of the exponent and at least three
// digits (no double needs more).
char* WriteExponentForm(char* out, const Decimal& d) {
    *out++ = d.digits[0];
    *out++ = '.';
    out = TrimZeros(WriteDigits(out, d.digits + 1, kSignificant - 1));
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
    return TrimZeros(WriteDigits(out, d.digits + integer, total - integer));
}

// Whole numbers below 10^14 are written exactly, without rounding: all
// their digits, then the point unless the digits fill all 14 places.
constexpr double kWholeLimit = 1e14;

char* WriteWhole(char* out, std::uint64_t whole) {
    char* end = std::to_chars(out, out + kSignificant, whole).ptr;
    if (end - out < kSignificant) {
        *end++ = '.';
    }
    return end;
}

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    return i;
}

// End of the decimal number starting at `start` (after any sign), or `start`
// itself when there is none.
std::size_t ScanNumber(std::string_view text, std::size_t start) {
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

constexpr int kMaxExactPower = 22;
constexpr int kMaxMantissaDigits = 19;  // always fits 64 bits
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// The exponent digits of a plain number: at most this many are read on the
// short road.
constexpr int kMaxShortExponentDigits = 2;

// The common number text, read in one pass: an optional sign, up to 19
// digits with at most one point, and an optional short exponent. When its
// value is m x 10^p with m and 10^p both exact doubles, one correctly rounded
// multiplication or division gives the very double of the full conversion.
// False when the text needs the full reading.
bool ReadShortDecimal(std::string_view text, double& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        ++i;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int power = 0;
    bool fraction = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (IsDigit(ch)) {
            if (++digits > kMaxMantissaDigits) {
                return false;
            }
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(ch - '0');
            power -= fraction ? 1 : 0;
        } else if (ch == '.' && !fraction) {
            fraction = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        const bool negativeExponent = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '-' || text[j] == '+')) {
            ++j;
        }
        int exponent = 0;
        for (int count = 0; j < text.size() && IsDigit(text[j]); ++j) {
            if (++count > kMaxShortExponentDigits) {
                return false;
            }
            exponent = exponent * 10 + (text[j] - '0');
        }
        power += negativeExponent ? -exponent : exponent;  // no digits: no exponent
    }
    if (mantissa > kMaxExactMantissa || power < -kMaxExactPower || power > kMaxExactPower) {
        return false;
    }
    const auto m = static_cast<double>(mantissa);
    value = power < 0 ? m / kExactPowers[-power] : m * kExactPowers[power];
    value = negative ? -value : value;
    return true;
}

}  // namespace

std::string NumberToText(double x) {
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
    if (magnitude < kWholeLimit && magnitude == std::trunc(magnitude)) {
        return std::string(text, WriteWhole(out, static_cast<std::uint64_t>(magnitude)));
    }
    Decimal d;
    if (!DecomposeFixed(magnitude, d)) {
        d = Decompose(magnitude);
    }
    bool exponent_form = d.exponent < 0 || d.exponent > kSignificant;
    out = exponent_form ? WriteExponentForm(out, d) : WriteFixedForm(out, d);
    return std::string(text, out);
}

double TextToNumber(std::string_view text) {
    double value = 0;
    if (ReadShortDecimal(text, value)) {
        return value;
    }
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) {
        ++i;
    }
    bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::string_view number = text.substr(i, ScanNumber(text, i) - i);
    if (number.empty()) {
        return 0;
    }
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = Overflows(number) ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace expreval
