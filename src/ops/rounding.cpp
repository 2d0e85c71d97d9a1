#include <cmath>

#include "ops/ops.h"

namespace expreval {

// Integer operations work on the low 32 bits of the rounded value. fmod is
// exact, so this also holds for magnitudes past the 64-bit range, where the
// double is itself an integer.
int32_t RoundHalfAway(double x) {
    if (!std::isfinite(x))
        return 0;
    const double truncated = std::trunc(x >= 0 ? x + 0.5 : x - 0.5);
    double low = std::fmod(truncated, 4294967296.0);
    if (low < 0)
        low += 4294967296.0;
    return static_cast<int32_t>(static_cast<uint32_t>(low));
}

}  // namespace expreval
