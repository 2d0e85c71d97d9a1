// The value helpers of expreval/values.h: what they build evaluates to
// itself and reads back the same; what no value text can hold is refused.
#include <expreval/session.h>
#include <expreval/values.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using expreval::Session;

TEST(Values, StringsAndListsRoundTrip) {
    Session session;
    const std::vector<std::pair<std::string, std::string>> strings = {
        {"", "\"\""},
        {"A b,c", "\"A b,c\""},
        {"{}()", "\"{}()\""},
        {"a\\\"b", "\"a\\\"b\""},  // a backslash keeps the quote after it
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},
    };
    for (const auto& [characters, value] : strings) {
        EXPECT_EQ(expreval::ToStringValue(characters), value);
        EXPECT_EQ(expreval::FromStringValue(value), characters);
        EXPECT_EQ(session.Evaluate(value), value);
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> lists = {
        {{"1"}, "{1}"},
        {{"1", "\"a,b\"", "-2.5", "\"\""}, "{1,\"a,b\",-2.5,\"\"}"},
        {{"5.e-002", "\"X{\""}, "{5.e-002,\"X{\"}"},
    };
    for (const auto& [elements, value] : lists) {
        EXPECT_EQ(expreval::ToListValue(elements), value);
        EXPECT_EQ(expreval::FromListValue(value), elements);
        EXPECT_EQ(session.Evaluate(value), value);
    }
}

TEST(Values, NumbersRoundTripTheFormsEvaluationWrites) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<double, std::string>> numbers = {
        {5, "5."},
        {0.05, "5.e-002"},
        {-2.5, "-2.5"},
        {kInfinity, "1.#INF"},
        {-kInfinity, "-1.#INF"},
    };
    for (const auto& [number, text] : numbers) {
        EXPECT_EQ(expreval::ToNumberValue(number), text);
        EXPECT_EQ(expreval::FromNumberValue(text), number) << text;
    }
    Session session;
    const std::string overflow = session.Evaluate("1e308*10");
    EXPECT_EQ(expreval::FromNumberValue(overflow), kInfinity);
    EXPECT_FALSE(expreval::IsValueText(overflow));
    for (const char* text : {"1.#QNAN", "-1.#IND"})
        EXPECT_TRUE(std::isnan(expreval::FromNumberValue(text))) << text;
    EXPECT_EQ(expreval::ToNumberValue(std::numeric_limits<double>::quiet_NaN()), "1.#QNAN");
    EXPECT_EQ(expreval::FromNumberValue("007"), 7);
    EXPECT_EQ(expreval::FromNumberValue("-1e3"), -1000);
}

// Each text here would be read as another value, or fail, where an
// operation uses it again.
TEST(Values, WhatNoValueTextHoldsIsRefused) {
    for (const char* text : {"{{4},8}", "1.#INF", "-1.#INF", "1.#QNAN", "", "1 + 2", "x", "sin(1)",
                             "{}", "{1,,2}", "\"a\"b\"", "12abc"})
        EXPECT_FALSE(expreval::IsValueText(text)) << text;
    for (const char* text : {"5.e-002", "-1", "\"A b\"", "{1,\"a\"}"})
        EXPECT_TRUE(expreval::IsValueText(text)) << text;

    for (const char* characters : {"a\"b", "ab\\", "a\\\" b", "a\\\"B"})
        EXPECT_THROW(expreval::ToStringValue(characters), std::invalid_argument) << characters;
    for (const char* value : {"abc", "{\"a\"}", "\"a", "\"a\"b\""})
        EXPECT_THROW(expreval::FromStringValue(value), std::invalid_argument) << value;
    const std::vector<std::vector<std::string>> lists = {
        {}, {""}, {"1 + 2"}, {"{1}", "2"}, {"\"a}\""}, {"\"a\\\",b\""}, {"1.#INF"},
    };
    for (const std::vector<std::string>& elements : lists)
        EXPECT_THROW(expreval::ToListValue(elements), std::invalid_argument);
    for (const char* value : {"1", "\"a\"", "{{4},8}", "{1,,2}", "{1"})
        EXPECT_THROW(expreval::FromListValue(value), std::invalid_argument) << value;
    for (const char* value : {"\"1\"", "{1}", "12abc", "", "1 ", "1.#INFX"})
        EXPECT_THROW(expreval::FromNumberValue(value), std::invalid_argument) << value;

    // Evaluation can write a list holding a list, which no text reads back:
    // neither SetVariable nor a value function may give it.
    Session session;
    EXPECT_EQ(session.Evaluate("a={2}"), "{2}");
    EXPECT_EQ(session.Evaluate("h={a,4}"), "{a,4}");
    const std::string nested = session.Evaluate("h*2");
    EXPECT_EQ(nested, "{{4},8}");
    EXPECT_THROW(session.SetVariable("n", nested), std::invalid_argument);
    EXPECT_THROW(session.SetVariable("n", std::numeric_limits<double>::infinity()),
                 std::invalid_argument);
}

}  // namespace
