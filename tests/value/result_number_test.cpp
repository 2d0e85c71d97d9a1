#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "value/number_text.h"

namespace expreval {
namespace {

// The long road: write the text an arithmetic result gets, then read it.
PlainNumber ReadWrittenText(double x, bool cut) {
    std::string text = NumberToText(x);
    if (cut && text.find_first_of("e#") == std::string::npos)
        DropFraction(text);
    return PlainNumber{TextToNumber(text), IsIntegerText(text)};
}

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("fma")]] bool FusedResultNumber(double x, bool cut, PlainNumber& number) {
    return ResultNumber<true>(x, cut, number);
}
#else
bool FusedResultNumber(double x, bool cut, PlainNumber& number) {
    return ResultNumber<true>(x, cut, number);
}
#endif

// Where ResultNumber answers, it answers exactly what the text reads as,
// down to the sign of a zero; its fused form answers where it does, the same.
void ExpectSameAsText(double x) {
    for (const bool cut : {false, true}) {
        PlainNumber number;
        const bool answered = ResultNumber(x, cut, number);
        if (FusedRoundingAvailable()) {
            PlainNumber fused;
            ASSERT_EQ(FusedResultNumber(x, cut, fused), answered) << std::hexfloat << x;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(fused.value),
                      std::bit_cast<std::uint64_t>(number.value))
                << std::hexfloat << x << " cut " << cut;
            ASSERT_EQ(fused.integer, number.integer) << std::hexfloat << x << " cut " << cut;
        }
        if (!answered)
            continue;
        const PlainNumber expected = ReadWrittenText(x, cut);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(number.value),
                  std::bit_cast<std::uint64_t>(expected.value))
            << std::hexfloat << x << " cut " << cut << ": " << number.value << " vs "
            << expected.value;
        ASSERT_EQ(number.integer, expected.integer) << std::hexfloat << x << " cut " << cut;
    }
}

TEST(ResultNumberTest, AnswersTypicalResultsInEveryForm) {
    for (const double x : {0.0, -0.0, 5.0, -2.5, 1.0 / 3, 2.0 / 3, 0.05, -0.3, 12345678901234.0,
                           123456789012347.0, 1.5e-7, -4.72e20}) {
        PlainNumber number;
        EXPECT_TRUE(ResultNumber(x, false, number)) << x;
        EXPECT_TRUE(ResultNumber(x, true, number)) << x;
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(x));
    }
    // Roundings that carry into a new digit, where it may give up.
    for (const double x : {99999999999999.99, 9999999999999.99, 0.099999999999999999, 1e15})
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(x));
}

TEST(ResultNumberTest, GivesUpOnTextsItCannotWorkOut) {
    PlainNumber number;
    for (const double x : {std::numeric_limits<double>::infinity(), std::nan(""), 1e-300, 1e300}) {
        EXPECT_FALSE(ResultNumber(x, false, number)) << x;
    }
}

TEST(ResultNumberTest, MatchesTheTextOnValuesOfEveryMagnitude) {
    std::mt19937_64 gen(31);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> exponent(-12, 40);
    for (int i = 0; i < 40000; ++i) {
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(unit(gen) * std::pow(10.0, exponent(gen))));
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(std::bit_cast<double>(gen())));
        // Quotients and products of short decimals, as lines of arithmetic make.
        const double a = static_cast<double>(gen() % 100000) / 100;
        const double b = static_cast<double>(1 + gen() % 9999) / 10;
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(a / b));
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(-a * b * b));
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(std::fmod(a, b / 7)));
    }
}

// Values whose 15th digit is a 5 followed by little else, and their
// neighbours, which lie on either side of the rounding point.
TEST(ResultNumberTest, MatchesTheTextAtRoundingPoints) {
    std::mt19937_64 gen(77);
    for (int i = 0; i < 20000; ++i) {
        std::string text = std::to_string(1 + gen() % 9) + ".";
        for (int d = 0; d < 13; ++d)
            text += static_cast<char>('0' + (i % 3 == 0 ? 9 : gen() % 10));
        text += "5e" + std::to_string(static_cast<int>(gen() % 50) - 12);
        const double x = TextToNumber(text);
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(x));
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(std::nextafter(x, 0.0)));
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(std::nextafter(x, 1e300)));
    }
}

// Values whose rounding carries into the next power of ten, or stops just
// short of it, as sin(a)^2+cos(a)^2 gives.
TEST(ResultNumberTest, MatchesTheTextAroundPowersOfTen) {
    for (int k = -15; k <= 40; ++k) {
        const double power = TextToNumber("1e" + std::to_string(k));
        for (const double fraction : {0.01, 0.4, 0.49, 0.5, 0.51, 0.6, 0.99, 1.0, 1.5, 7.0})
            for (const double sign : {-1.0, 1.0}) {
                const double x = power * (1 + sign * fraction * 1e-14);
                ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(x));
                ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(-x));
            }
    }
    for (const double x : {1 - 1e-16, 1 + 2.2e-16, 0.99999999999999989, 99.999999999999997}) {
        PlainNumber number;
        EXPECT_TRUE(ResultNumber(x, false, number)) << x;
    }
    for (int k = -15; k <= 40; ++k) {
        double below = TextToNumber("1e" + std::to_string(k));
        double above = below;
        for (int step = 0; step < 4; ++step) {
            ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(below));
            ASSERT_NO_FATAL_FAILURE(ExpectSameAsText(-above));
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, 1e300);
        }
    }
}

}  // namespace
}  // namespace expreval
