#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "value/value.h"

namespace expreval {
namespace {

std::string Stripped(std::string text) {
    StripWhiteSpace(text);
    return text;
}

std::string Folded(std::string text) {
    FoldCase(text);
    return text;
}

TEST(StripWhiteSpace, RemovesWhiteSpaceOutsideQuotesOnly) {
    EXPECT_EQ(Stripped(" 1 +\t2\n*\r3 "), "1+2*3");
    EXPECT_EQ(Stripped("x = \" a b\t\" + 1"), "x=\" a b\t\"+1");
    EXPECT_EQ(Stripped("1 2"), "12");
    EXPECT_EQ(Stripped("a \"b c"), "a\"b c");  // unbalanced: the rest is quoted
    EXPECT_EQ(Stripped(""), "");
}

TEST(StripWhiteSpace, StaysLinearOnLongRunsOfBlanks) {
    std::string text(5'000'000, ' ');
    text += "7";
    StripWhiteSpace(text);
    EXPECT_EQ(text, "7");
}

TEST(FoldCase, LowersLettersOutsideQuotesOnly) {
    EXPECT_EQ(Folded("SIN(X)"), "sin(x)");
    EXPECT_EQ(Folded("S=\"Hello World\"+ZURP"), "s=\"Hello World\"+zurp");
    EXPECT_EQ(Folded("A\"BC"), "a\"BC");
    EXPECT_EQ(Folded("\xC4Z@[`{"), "\xC4z@[`{");  // only A to Z change
}

// One search and its answer; positions are sizes, so no text is too long.
struct Search {
    std::string_view text;
    char sought;
    size_t start;
    size_t end;
    size_t found;
};

TEST(FindTopLevel, SkipsQuotesAndBracesByAFlagWithinTheRange) {
    const Search searches[] = {
        {"{1,{2,3},4}", ',', 1, kToEnd, 2},
        {"{1,{2,3},4}", ',', 3, kToEnd, 8},
        {"{1,{2,3},4}", ',', 9, kToEnd, kNotFound},
        {"{\"a,b\",c}", ',', 1, kToEnd, 6},
        // The first closing brace clears the flag although one is still open.
        {"{1,{2,{3,4},5},6}", ',', 3, kToEnd, 11},
        // The searched character is tested before the flag is set.
        {"a\"{\"{b", '{', 0, kToEnd, 4},
        {"{}", '}', 0, kToEnd, kNotFound},
        {"{}}", '}', 0, kToEnd, 2},
        {"1,2,3", ',', 0, 0, kNotFound},
        {"1,2,3", ',', 2, 3, 3},
        {"1,2,3", ',', 2, 1, 3},  // an end before the start: to the end
        {"1,2", ',', 0, 99, 1},   // an end past the text: to the end
        {"", ',', 0, kToEnd, kNotFound},
        {"1,2", ',', 7, kToEnd, kNotFound},  // a start past the text
        // A string is passed over to its closing quote, within the range.
        {"\"a,{b\",c", ',', 0, kToEnd, 6},
        {"\"a,b", ',', 0, kToEnd, kNotFound},
        {"\"a\",b", ',', 0, 2, kNotFound},
    };
    for (const Search& s : searches)
        EXPECT_EQ(FindTopLevel(s.text, s.sought, s.start, s.end), s.found) << s.text;
}

TEST(FindClosing, BalancesOutsideQuotesAndBracesAndNeverRecoversFromBelowZero) {
    const Search searches[] = {
        {"sin(2*(3+4))+1", ')', 3, kToEnd, 11}, {"sin(2*(3+4))+1", ')', 3, 10, kNotFound},
        {"sin(2", ')', 3, kToEnd, kNotFound},   {"f(\")\")", ')', 1, kToEnd, 5},
        {"f({)})", ')', 1, kToEnd, 5},          {"f(\"(\")", ')', 1, kToEnd, 5},
        {")()", ')', 0, kToEnd, kNotFound},     {"()", ')', 5, kToEnd, kNotFound},
        {"f(\"a)}b\")", ')', 1, kToEnd, 8},     {"f(\"a)", ')', 1, kToEnd, kNotFound},
        {"f(\"a\")", ')', 1, 4, kNotFound},
    };
    for (const Search& s : searches)
        EXPECT_EQ(FindClosing(s.text, '(', s.sought, s.start, s.end), s.found) << s.text;
}

TEST(TextTests, IntegerTextAndFraction) {
    EXPECT_TRUE(IsIntegerText("12"));
    EXPECT_TRUE(IsIntegerText("-7"));
    EXPECT_TRUE(IsIntegerText("007"));
    EXPECT_TRUE(IsIntegerText("1E5"));  // only a lower-case e counts
    EXPECT_FALSE(IsIntegerText("12."));
    EXPECT_FALSE(IsIntegerText("1e5"));
    EXPECT_FALSE(IsIntegerText("rate"));

    std::string text = "12.";
    DropFraction(text);
    EXPECT_EQ(text, "12");
    text = "-3.75";
    DropFraction(text);
    EXPECT_EQ(text, "-3");
    text = "12345678901234";
    DropFraction(text);
    EXPECT_EQ(text, "12345678901234");
}

TEST(TextTests, ContainsAndLacks) {
    EXPECT_TRUE(ContainsText("hello", "ell"));
    EXPECT_TRUE(ContainsText("hello", ""));
    EXPECT_TRUE(ContainsText("", ""));
    EXPECT_FALSE(ContainsText("hello", "Ell"));
    EXPECT_FALSE(LacksText("abc", ""));
    EXPECT_TRUE(LacksText("123", "4"));
}

// A long text is searched in windows of 4 MB: a match is found wherever it
// stands against their edges, and none is made up across them.
TEST(TextTests, ContainsFindsAMatchAtEveryWindowEdge) {
    constexpr size_t kWindow = size_t{4} << 20;
    for (const size_t at : {size_t{0}, kWindow - 3, kWindow - 1, kWindow, kWindow + 1,
                            2 * kWindow - 2, 2 * kWindow + 5}) {
        std::string text(2 * kWindow + 8, 'a');
        text.replace(at, 3, "xyz");
        EXPECT_TRUE(ContainsText(text, "xyz")) << at;
        EXPECT_FALSE(ContainsText(text, "xyzx")) << at;
    }
    EXPECT_TRUE(ContainsText(std::string(kWindow + 10, 'b'), std::string(kWindow + 2, 'b')));
}

TEST(TextTests, CharacterClassesTreatHighBytesAsNeither) {
    EXPECT_TRUE(IsDigit('0'));
    EXPECT_TRUE(IsDigit('9'));
    EXPECT_FALSE(IsDigit('a'));
    EXPECT_TRUE(IsLetter('Z'));
    EXPECT_TRUE(IsLetter('a'));
    EXPECT_FALSE(IsLetter('_'));
    EXPECT_FALSE(IsLetter('\xE9'));
    EXPECT_FALSE(IsDigit('\xB2'));
}

}  // namespace
}  // namespace expreval
