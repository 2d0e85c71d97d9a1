// The number an arithmetic result's text reads back as, worked out without
// writing the text: an operation whose result the next one reads at once
// need not go through its digits.

#include <bit>
#include <cmath>
#include <cstdint>

#include "value/exact_powers.h"
#include "value/value.h"

namespace expreval {
namespace {

constexpr int kSignificant = 14;
constexpr double kLowest = 1e13;  // the scaled value has 14 integer digits
constexpr double kBeyond = 1e14;
// How far from one half the scaled fraction must lie for its rounding to be
// sure: the scaled value stays below 2^47, where one correctly rounded
// operation errs by at most 1/128; this leaves four times that.
constexpr double kRoundingMargin = 1.0 / 32;
// floor(n log10(2)) is (n x 78913) >> 18 for every exponent a double has.
constexpr int kLog10Of2Scaled = 78913;
constexpr int kLog10Of2Shift = 18;

// m x 10^k, for |k| up to the largest exact power, in one correctly rounded
// operation.
double TimesPowerOfTen(double m, int k) {
    return k >= 0 ? m * kExactPowers[k] : m / kExactPowers[-k];
}

// The text of m > 0 holds its 14 significant digits, rounded half up, which
// are the integer `rounded` x 10^(exponent-14), exponent being the count of
// m's integer digits (negative below 0.1). False when a power of ten beyond
// the exact ones is needed, and when the scaled value lies so close to a
// power of ten (the exponent) or to a half (the rounding) that the error of
// one operation could decide it.
bool RoundToDigits(double m, int& exponent, double& rounded) {
    constexpr int kExponentShift = 52;
    constexpr int kExponentMask = 0x7FF;
    constexpr int kExponentBias = 1022;
    const int binary =
        static_cast<int>((std::bit_cast<std::uint64_t>(m) >> kExponentShift) & kExponentMask) -
        kExponentBias;  // 2^(binary-1) <= m < 2^binary for normal m
    exponent = (((binary - 1) * kLog10Of2Scaled) >> kLog10Of2Shift) + 1;  // floor, also below 0
    if (kSignificant - exponent < -kMaxExactPower || kSignificant - exponent > kMaxExactPower)
        return false;
    double scaled = TimesPowerOfTen(m, kSignificant - exponent);
    if (scaled >= kBeyond) {  // the estimate is low by at most one
        ++exponent;
        if (kSignificant - exponent < -kMaxExactPower)
            return false;
        scaled = TimesPowerOfTen(m, kSignificant - exponent);
    }
    if (scaled < kLowest + 1 || scaled >= kBeyond - 1)
        return false;
    // Positive and below 2^47: the integer conversion is the floor, exactly.
    const auto whole = static_cast<double>(static_cast<std::int64_t>(scaled));
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < kRoundingMargin)
        return false;
    // Rounded half up as floor(scaled + 1/2): the sum can be inexact only
    // within the margin of the half, which is given up above. No jump on
    // which way it rounds, which nothing foresees.
    rounded = static_cast<double>(static_cast<std::int64_t>(scaled + 0.5));
    return true;
}

// The integer part, by conversions rather than a library call; -0.3 gives -0,
// as reading the text "-0" does.
double IntegerPart(double x) {
    return std::copysign(static_cast<double>(static_cast<std::int64_t>(x)), x);
}

}  // namespace

// Whole numbers below 10^14 are written with all their digits: a point
// follows unless there are 14 (or the text is cut). Otherwise the text reads
// as the correctly rounded `rounded` x 10^(exponent-14). A fixed form has no
// point only with 14 integer digits, and a cut leaves its integer part: a
// 14-digit decimal lies too far from the neighbouring integers for the
// rounding of its double to cross one. An exponent form is never cut.
bool ResultNumber(double x, bool cut, PlainNumber& number) {
    const double magnitude = std::fabs(x);
    if (magnitude < kBeyond &&
        static_cast<double>(static_cast<std::int64_t>(magnitude)) == magnitude) {
        // x + 0 turns -0 into 0: "0" and "0." both read as plus zero.
        number = PlainNumber{x + 0.0, cut || magnitude >= kLowest};
        return true;
    }
    int exponent = 0;
    double rounded = 0;
    if (!std::isfinite(x) || !RoundToDigits(magnitude, exponent, rounded))
        return false;
    const double readBack = TimesPowerOfTen(rounded, exponent - kSignificant);
    const double value = std::copysign(readBack, x);
    if (exponent < 0 || exponent > kSignificant)
        number = PlainNumber{value, false};
    else
        number = cut ? PlainNumber{IntegerPart(value), true}
                     : PlainNumber{value, exponent == kSignificant};
    return true;
}

}  // namespace expreval
