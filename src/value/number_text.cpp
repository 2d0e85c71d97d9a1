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
#include <string>
#include <string_view>
#include <system_error>

#include "value/value.h"

namespace expreval {
namespace {

constexpr int kSignificant = 14;
// Digits taken from the fast conversion: three beyond the 14 kept, enough to
// decide the rounding except when they read exactly 500.
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

// A correctly rounded 17-digit conversion R lies within half a unit of its
// 17th digit from the exact value V. With m the digits 15..17 of R: m > 500
// puts V's 15th-digit tail at or above one half; m < 500 puts it below one
// half, or V sits just under R's 14-digit prefix and rounds up onto it. Only
// m == 500 needs the exact value.
// R = 1000...0 x 10^k may also come from V just below 10^k, whose exponent
// is one lower and whose 14-digit rounding carries back to 1000.... Reading
// the exponent as one lower would change the text only at k = -1, 13 and 14
// (form or point), and there neighbouring doubles lie over 1e-16 apart
// relative to 10^k, too far for one below 10^k to print as 1000...0.
Decimal Decompose(double magnitude) {
    char text[32];
    char probe[kProbeDigits];
    char* end = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific,
                              kProbeDigits - 1)
                    .ptr;
    int k = ReadScientific(text, end, kProbeDigits - 1, probe);
    int tail = (probe[14] - '0') * 100 + (probe[15] - '0') * 10 + (probe[16] - '0');
    if (tail == 500) {
        return DecomposeExactly(magnitude);
    }
    return Round(probe, k + 1, tail > 500);
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

}  // namespace

std::string NumberToText(double x) {
    if (!std::isfinite(x)) {
        return NonFiniteText(x);
    }
    if (x == 0) {
        return "0.";
    }
    Decimal d = Decompose(std::fabs(x));
    char text[40];  // the longest text, "-d.ddddddddddddde-ddd", has 21
    char* out = text;
    if (x < 0) {
        *out++ = '-';
    }
    bool exponent_form = d.exponent < 0 || d.exponent > kSignificant;
    out = exponent_form ? WriteExponentForm(out, d) : WriteFixedForm(out, d);
    return std::string(text, out);
}

double TextToNumber(std::string_view text) {
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
    double value = 0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = Overflows(number) ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace expreval
