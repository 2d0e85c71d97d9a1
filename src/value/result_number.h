// The number an arithmetic result's text reads back as, worked out without
// writing the text: an operation whose result the next one reads at once
// need not go through its digits. Inline, since the scan of arithmetic
// calls it for nearly every operation.
#pragma once

#include <cmath>
#include <cstdint>

#include "value/significant_digits.h"
#include "value/value.h"

namespace expreval {

// What reading the text that an arithmetic result x is written as gives:
// NumberToText's text, or with cut the text an operation on two integer
// texts writes, whose fixed form loses its fraction. False when that text
// is not worked out without writing it (exponent forms, non-finite values,
// values next to a power of ten).
//
// Whole numbers below 10^14 are written with all their digits: a point
// follows unless there are 14 (or the text is cut). Otherwise the text reads
// as the correctly rounded `rounded` x 10^(exponent-14). A fixed form has no
// point only with 14 integer digits, and a cut leaves its integer part: a
// 14-digit decimal lies too far from the neighbouring integers for the
// rounding of its double to cross one. An exponent form is never cut.
inline bool ResultNumber(double x, bool cut, PlainNumber& number) {
    using namespace significant_digits;
    const double magnitude = std::fabs(x);
    if (magnitude < kBeyond &&
        static_cast<double>(static_cast<std::int64_t>(magnitude)) == magnitude) {
        // x + 0 turns -0 into 0: "0" and "0." both read as plus zero.
        number = PlainNumber{x + 0.0, cut || magnitude >= kLowest};
        return true;
    }
    int exponent = 0;
    double rounded = 0;
    if (!std::isfinite(x) || !RoundToSignificant(magnitude, exponent, rounded))
        return false;
    const double value = std::copysign(TimesPowerOfTen(rounded, exponent - kSignificant), x);
    if (exponent < 0 || exponent > kSignificant) {
        number = PlainNumber{value, false};
    } else if (cut) {
        // The integer part, by conversions rather than a library call; -0.3
        // gives -0, as reading the text "-0" does.
        number = PlainNumber{
            std::copysign(static_cast<double>(static_cast<std::int64_t>(value)), value), true};
    } else {
        number = PlainNumber{value, exponent == kSignificant};
    }
    return true;
}

}  // namespace expreval
