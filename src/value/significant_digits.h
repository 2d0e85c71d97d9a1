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
// floor(n log10(2)) is (n x 78913) >> 18 for every exponent a double has.
inline constexpr int kLog10Of2Scaled = 78913;
inline constexpr int kLog10Of2Shift = 18;

}  // namespace significant_digits

// Whether t = m x 10^k lies at or above `scaled`, its correctly rounded
// value: the error of that one operation, which a fused multiply-add gives
// exactly.
inline bool AtOrAbove(double m, int k, double scaled) {
    return k >= 0 ? std::fma(m, kExactPowers[k], -scaled) >= 0
                  : std::fma(-scaled, kExactPowers[-k], m) >= 0;
}

// t = m x 10^k rounded half up to an integer, from `scaled`, t correctly
// rounded, with 1 <= scaled <= 10^14. There the integer conversion of
// scaled + 1/2 is its floor (the sum is rounded only where it reaches a
// power of two, which keeps the floor). A half and scaled are whole
// multiples of scaled's last unit, and t lies within half of one from
// scaled, so t can lie on the other side of a half only when scaled is that
// half; then the error's sign decides. This needs scaled to be the rounded
// product, not fused into what follows: ISO C++ builds do not fuse. No jump
// on which way the rest round, which nothing foresees.
inline double RoundHalfUp(double m, int k, double scaled) {
    const auto up = static_cast<double>(static_cast<std::int64_t>(scaled + 0.5));
    if (up - scaled == 0.5 && !AtOrAbove(m, k, scaled))
        return up - 1;
    return up;
}

// For m > 0: its 14 significant digits, rounded half up, are the integer
// `rounded` x 10^(exponent-14), exponent being the count of m's integer
// digits (negative below 0.1), and rounded lies below 10^14. False when a
// power of ten beyond the exact ones is needed, and when the scaled value
// lies so close to a power of ten that the error of one operation could
// decide the exponent.
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
    rounded = RoundHalfUp(m, kSignificant - exponent, scaled);
    return true;
}

}  // namespace expreval
