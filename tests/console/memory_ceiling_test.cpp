#include "console/memory_ceiling.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace expreval {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;

TEST(MemoryCeiling, ThreeQuartersOfTheSmallerMemoryNeverAboveTheCurrentLimit) {
    struct Case {
        uint64_t physical, group, current, ceiling;
    };
    const Case cases[] = {
        {24 * kGiB, 0, UINT64_MAX, 18 * kGiB},        // the machine alone
        {24 * kGiB, 4 * kGiB, UINT64_MAX, 3 * kGiB},  // a control group holds less
        {4 * kGiB, 24 * kGiB, UINT64_MAX, 3 * kGiB},  // one that allows more changes nothing
        {24 * kGiB, 0, kGiB, kGiB},                   // a lower limit set before stays
        {0, 0, UINT64_MAX, UINT64_MAX},               // memory unknown: no ceiling
        {0, 8 * kGiB, UINT64_MAX, 6 * kGiB},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseMemoryCeiling(c.physical, c.group, c.current), c.ceiling)
            << c.physical << " " << c.group << " " << c.current;
}

}  // namespace
}  // namespace expreval
