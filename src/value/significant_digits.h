// A number's 14 significant digits worked out by scaling with an exact power
// of ten, without a digit conversion: what writing it needs, and what
// reading its text back gives.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "value/exact_powers.h"

namespace expreval {

// m x 10^k, for |k| up to the largest exact power, in one correctly rounded
// operation.
inline double TimesPowerOfTen(double m, int k) {
    return k >= 0 ? m * kExactPowers[k] : m / kExactPowers[-k];
}

namespace significant_digits {

inline constexpr int kSignificant = 14;
inline constexpr double kLowest = 1e13;  // the scaled value has 14 integer digits
inline constexpr double kBeyond = 1e14;
// How far from one half the scaled fraction must lie for its rounding to be
// sure: the scaled value stays below 2^47, where one correctly rounded
// operation errs by at most 1/128; this leaves four times that.
inline constexpr double kRoundingMargin = 1.0 / 32;
// floor(n log10(2)) is (n x 78913) >> 18 for every exponent a double has.
inline constexpr int kLog10Of2Scaled = 78913;
inline constexpr int kLog10Of2Shift = 18;

}  // namespace significant_digits

// For m > 0: its 14 significant digits, rounded half up, are the integer
// `rounded` x 10^(exponent-14), exponent being the count of m's integer
// digits (negative below 0.1), and rounded lies below 10^14. False when a
// power of ten beyond the exact ones is needed, and when the scaled value
// lies so close to a power of ten (the exponent) or to a half (the rounding)
// that the error of one operation could decide it.
inline bool RoundToSignificant(double m, int& exponent, double& rounded) {
    using namespace significant_digits;
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

}  // namespace expreval
