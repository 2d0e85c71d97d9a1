#include <gtest/gtest.h>

#include <string>

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

TEST(FindTopLevel, SkipsCommasInInnerListsAndStrings) {
    const std::string list = "{1,{2,3},4}";
    EXPECT_EQ(FindTopLevel(list, ',', 1, -1), 2);
    EXPECT_EQ(FindTopLevel(list, ',', 3, -1), 8);
    EXPECT_EQ(FindTopLevel(list, ',', 9, -1), -1);
    EXPECT_EQ(FindTopLevel("{\"a,b\",c}", ',', 1, -1), 6);
}

TEST(FindTopLevel, UsesABraceFlagNotADepth) {
    // The first closing brace clears the flag although one brace is still open.
    EXPECT_EQ(FindTopLevel("{1,{2,{3,4},5},6}", ',', 3, -1), 11);
    // The searched character is tested before the flag is set.
    EXPECT_EQ(FindTopLevel("a\"{\"{b", '{', 0, -1), 4);
    EXPECT_EQ(FindTopLevel("{}", '}', 0, -1), -1);
    EXPECT_EQ(FindTopLevel("{}}", '}', 0, -1), 2);
}

TEST(FindTopLevel, HonoursTheSearchRange) {
    EXPECT_EQ(FindTopLevel("1,2,3", ',', 0, 0), -1);
    EXPECT_EQ(FindTopLevel("1,2,3", ',', 2, 3), 3);
    EXPECT_EQ(FindTopLevel("1,2,3", ',', 2, 1), 3);  // end before start: to the end
    EXPECT_EQ(FindTopLevel("", ',', 0, -1), -1);
    EXPECT_EQ(FindTopLevel("1,2", ',', 0, 99), 1);
}

TEST(FindClosing, BalancesParenthesesOutsideQuotesAndBraces) {
    EXPECT_EQ(FindClosing("sin(2*(3+4))+1", '(', ')', 3, -1), 11);
    EXPECT_EQ(FindClosing("sin(2", '(', ')', 3, -1), -1);
    EXPECT_EQ(FindClosing("f(\")\")", '(', ')', 1, -1), 5);
    EXPECT_EQ(FindClosing("f({)})", '(', ')', 1, -1), 5);
    EXPECT_EQ(FindClosing("f(\"(\")", '(', ')', 1, -1), 5);
}

TEST(FindClosing, NeverRecoversFromANegativeDepth) {
    EXPECT_EQ(FindClosing(")()", '(', ')', 0, -1), -1);
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
