// Handlers read operands that are plain numbers without running Evaluate, and
// results just written without reading their digits again, on the fast road
// (the reference takes no shortcut): exactly what evaluating the text and
// reading the value gives.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "eval/evaluate.h"
#include "support/tables.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

// What a handler would get the long way; nothing when Evaluate fails.
bool ReadTheLongWay(const std::string& text, PlainNumber& number) {
    try {
        const std::string value = Evaluate(text);
        number.value = TextToNumber(value);
        number.integer = IsIntegerText(value);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void ExpectSameAsTheLongWay(const std::string& text) {
    PlainNumber quick;
    if (!EvaluatePlainNumber(TestContext(Road::kFast), text, quick))
        return;
    PlainNumber slow;
    ASSERT_TRUE(ReadTheLongWay(text, slow)) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(quick.value), std::bit_cast<std::uint64_t>(slow.value))
        << text;
    EXPECT_EQ(quick.integer, slow.integer) << text;
}

TEST(EvaluatePlainNumber, TakesLiteralsAndVariablesThatAreNumbers) {
    UseBuiltInTables();
    SetVariable("plainrate", "2.50");
    SetVariable("plainlist", "{1}");
    for (const char* text : {"5", "-3", "007", "2.5", "5.", "-.5", "1.5e-007", "1e+5", "-0",
                             "123456789012345", "plainrate"}) {
        PlainNumber number;
        EXPECT_TRUE(EvaluatePlainNumber(TestContext(Road::kFast), text, number)) << text;
        ExpectSameAsTheLongWay(text);
    }
    for (const char* text :
         {"", "-", "+5", " 5", "1E5", "1e", "1e-", "1.5.2", "1+2", "plainunset", "PLAINUNSET",
          "plainlist", "\"5\"", "{5}", "sin(0)", "1.#INF", "1e1000", "12345678901234567890123"}) {
        PlainNumber number;
        EXPECT_FALSE(EvaluatePlainNumber(TestContext(Road::kFast), text, number)) << text;
    }
    // The reference road evaluates every operand.
    PlainNumber number;
    EXPECT_FALSE(EvaluatePlainNumber(TestContext(Road::kReference), "5", number));
}

// Random short texts over the characters of numbers: whatever is taken must
// agree with the long way.
TEST(EvaluatePlainNumber, AgreesWithEvaluatingAndReading) {
    UseBuiltInTables();
    const std::string alphabet = "0123456789.-+eE x";
    std::uint64_t state = 7;
    for (int n = 0; n < 100000; ++n) {
        std::string text;
        state = state * 6364136223846793005u + 1442695040888963407u;
        for (std::uint64_t bits = state >> 24, length = 1 + bits % 9; length > 0; --length) {
            bits /= 9;
            text += alphabet[bits % alphabet.size()];
            bits /= alphabet.size();
        }
        ExpectSameAsTheLongWay(text);
    }
}

// A result just written is found without reading it; the same text read
// after another number was written is read the long way. Both agree.
TEST(EvaluatePlainNumber, ReadsFreshResultsAsItReadsAnyText) {
    UseBuiltInTables();
    std::uint64_t state = 11;
    for (int n = 0; n < 20000; ++n) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        const int scale = static_cast<int>((state >> 60) % 16) - 2;
        const double x =
            (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * std::pow(10.0, scale);
        const std::string text = NumberToText(x);
        PlainNumber fresh;
        const bool freshTaken = EvaluatePlainNumber(TestContext(Road::kFast), text, fresh);
        NumberToText(x / 3);  // something else was written last
        PlainNumber cold;
        ASSERT_EQ(freshTaken, EvaluatePlainNumber(TestContext(Road::kFast), text, cold)) << text;
        if (freshTaken) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(fresh.value),
                      std::bit_cast<std::uint64_t>(cold.value))
                << text;
            EXPECT_EQ(fresh.integer, cold.integer) << text;
        }
        ExpectSameAsTheLongWay(text);
    }
    for (const double whole : {5.0, -5.0, 12345678901234.0, -12345678901234.0, 99999999999999.5}) {
        const std::string text = NumberToText(whole);
        ExpectSameAsTheLongWay(text);
    }
}

}  // namespace
}  // namespace expreval
