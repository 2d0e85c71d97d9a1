#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "value/value.h"

namespace expreval {
namespace {

// The one-pass rewrite must give exactly what the two routines give in turn,
// quotes, unbalanced ones included, and all.
TEST(StripWhiteSpaceAndFoldCase, EqualsStripThenFold) {
    const std::string alphabet = " \t\n\r\"AZaz1{";
    std::uint64_t state = 3;
    for (int n = 0; n < 50000; ++n) {
        std::string text;
        state = state * 6364136223846793005u + 1442695040888963407u;
        for (std::uint64_t bits = state >> 16, length = bits % 9; length > 0; --length) {
            bits /= 9;
            text += alphabet[bits % alphabet.size()];
            bits /= alphabet.size();
        }
        std::string expected = text;
        StripWhiteSpace(expected);
        FoldCase(expected);
        std::string actual = text;
        StripWhiteSpaceAndFoldCase(actual);
        ASSERT_EQ(actual, expected) << text;
    }
    std::string line = "X = \"A b\" + Sin( 1 )";
    StripWhiteSpaceAndFoldCase(line);
    EXPECT_EQ(line, "x=\"A b\"+sin(1)");
}

}  // namespace
}  // namespace expreval
