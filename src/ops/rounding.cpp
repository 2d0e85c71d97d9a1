#include <cmath>

#include "ops/ops.h"

namespace expreval {

namespace {

// 2^63: below it a whole double converts to a 64-bit integer exactly.
constexpr double kInt64Limit = 9223372036854775808.0;

}  // namespace

// Integer operations work on the low 32 bits of the rounded value: the
// 64-bit integer's low bits where it has one, else fmod, which is exact, so
// this also holds for magnitudes past the 64-bit range, where the double is
// itself an integer.
int32_t RoundHalfAway(double x) {
    if (!std::isfinite(x))
        return 0;
    // Not trunc(x + 0.5): that sum is itself rounded, which takes
    // 0.49999999999999994 to 1 and odd integers from 2^52 on to the next
    // even one. round() decides by the exact fraction.
    const double truncated = std::round(x);
    if (std::fabs(truncated) < kInt64Limit) {
        const auto whole = static_cast<int64_t>(truncated);
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
    }
    double low = std::fmod(truncated, 4294967296.0);
    if (low < 0)
        low += 4294967296.0;
    return static_cast<int32_t>(static_cast<uint32_t>(low));
}

}  // namespace expreval
