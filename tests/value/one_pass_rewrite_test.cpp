#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {
namespace {

// The one-pass rewrite must give exactly what the two routines give in turn,
// and the test for a text it keeps must say exactly when it changes nothing,
// quotes, unbalanced ones included, and all. Long texts mostly of bytes that
// need no rewrite exercise the skipping of untouched stretches, eight bytes
// at a time, with the neighbours of every byte class among them.
TEST(StripWhiteSpaceAndFoldCase, EqualsStripThenFold) {
    const std::string alphabet = " \t\n\r\"AZaz1{@[!#\x80\xff\x01";
    std::uint64_t state = 3;
    const auto next = [&state](std::uint64_t range) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return (state >> 33) % range;
    };
    for (int n = 0; n < 50000; ++n) {
        std::string text;
        const std::uint64_t length = next(n % 2 == 0 ? 9 : 40);
        const std::uint64_t rare = next(4);  // one byte in so many may need the rewrite
        for (std::uint64_t i = 0; i < length; ++i) {
            text += next(rare + 1) == 0 ? alphabet[next(alphabet.size())] : "a1+{("[next(5)];
        }
        std::string expected = text;
        StripWhiteSpace(expected);
        FoldCase(expected);
        std::string actual = text;
        StripWhiteSpaceAndFoldCase(actual);
        ASSERT_EQ(actual, expected) << text;
        // Saying a text is kept when it is not would skip its rewrite.
        ASSERT_EQ(KeptByRewriteBySkipping(text), actual == text) << text;
    }
    std::string line = "X = \"A b\" + Sin( 1 )";
    StripWhiteSpaceAndFoldCase(line);
    EXPECT_EQ(line, "x=\"A b\"+sin(1)");
}

}  // namespace
}  // namespace expreval
