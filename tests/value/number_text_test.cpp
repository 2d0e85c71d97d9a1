#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "value/value.h"

namespace expreval {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

double FromBits(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

// ---------------------------------------------------------------------------
// NumberToText

TEST(NumberToTextTest, WritesTheDocumentedExamples) {
    EXPECT_EQ(NumberToText(5), "5.");
    EXPECT_EQ(NumberToText(-2.5), "-2.5");
    EXPECT_EQ(NumberToText(0.1), "0.1");
    EXPECT_EQ(NumberToText(0.05), "5.e-002");
    EXPECT_EQ(NumberToText(1.0 / 3), "0.33333333333333");
    EXPECT_EQ(NumberToText(2.0 / 3), "0.66666666666667");
    EXPECT_EQ(NumberToText(12345678901234), "12345678901234");
    EXPECT_EQ(NumberToText(1e14), "1.e+014");
    EXPECT_EQ(NumberToText(1.5e-7), "1.5e-007");
    EXPECT_EQ(NumberToText(0.125), "0.125");
    EXPECT_EQ(NumberToText(100), "100.");
    EXPECT_EQ(NumberToText(123456789012345), "1.2345678901235e+014");
    EXPECT_EQ(NumberToText(-0.001), "-1.e-003");
}

TEST(NumberToTextTest, ZeroOfEitherSignIsUnsigned) {
    EXPECT_EQ(NumberToText(0.0), "0.");
    EXPECT_EQ(NumberToText(-0.0), "0.");
}

TEST(NumberToTextTest, PointStaysUnlessFourteenIntegerDigits) {
    EXPECT_EQ(NumberToText(1), "1.");
    EXPECT_EQ(NumberToText(-7), "-7.");
    EXPECT_EQ(NumberToText(1234567890123), "1234567890123.");
    EXPECT_EQ(NumberToText(1e13), "10000000000000");
    EXPECT_EQ(NumberToText(99999999999999), "99999999999999");
    EXPECT_EQ(NumberToText(1234567890123.4), "1234567890123.4");
    EXPECT_EQ(NumberToText(12.5e3), "12500.");
}

TEST(NumberToTextTest, FormIsFixedFromOneTenthBelowTenToTheFourteenth) {
    EXPECT_EQ(NumberToText(0.1), "0.1");
    EXPECT_EQ(NumberToText(0.099), "9.9e-002");
    EXPECT_EQ(NumberToText(0.5), "0.5");
    EXPECT_EQ(NumberToText(99999999999999.4), "99999999999999");
    EXPECT_EQ(NumberToText(1e15), "1.e+015");
    EXPECT_EQ(NumberToText(-1e20), "-1.e+020");
    EXPECT_EQ(NumberToText(1e-10), "1.e-010");
    EXPECT_EQ(NumberToText(0.01), "1.e-002");
    EXPECT_EQ(NumberToText(0.001), "1.e-003");
}

// Rounding looks at the exact binary value, not at a shorter decimal print of
// it, and takes a 15th digit of exactly 5 upwards.
TEST(NumberToTextTest, RoundsHalfUpOnTheExactValue) {
    EXPECT_EQ(NumberToText(123456789012325), "1.2345678901233e+014");
    EXPECT_EQ(NumberToText(-123456789012325), "-1.2345678901233e+014");
    EXPECT_EQ(NumberToText(12345678901232.5), "12345678901233");
    // Exactly 1.0000000000000499600..., printed as ...0500 at 17 digits.
    EXPECT_EQ(NumberToText(1.00000000000005), "1.");
    EXPECT_EQ(NumberToText(std::nextafter(1.00000000000005, 2.0)), "1.0000000000001");
    // Exactly 0.12345678901234499735...: stays down.
    EXPECT_EQ(NumberToText(0.123456789012345), "0.12345678901234");
    // Exactly 1.23456789012345002909...: goes up.
    EXPECT_EQ(NumberToText(1.23456789012345), "1.2345678901235");
    EXPECT_EQ(NumberToText(1.10000000000005), "1.1000000000001");
    EXPECT_EQ(NumberToText(0.300000000000005), "0.3");
}

// The exponent before rounding picks the form and the number of fraction
// digits; a carry out of the first digit does not change them.
TEST(NumberToTextTest, CarryOutOfTheFirstDigitKeepsTheChosenForm) {
    EXPECT_EQ(NumberToText(99999999999999.99), "100000000000000");
    EXPECT_EQ(NumberToText(99999999999999.5), "100000000000000");
    EXPECT_EQ(NumberToText(-99999999999999.99), "-100000000000000");
    EXPECT_EQ(NumberToText(9999999999999.99), "10000000000000.");
    EXPECT_EQ(NumberToText(std::nextafter(0.1, 0.0)), "1.e-001");
    EXPECT_EQ(NumberToText(0.999999999999999), "1.");
    EXPECT_EQ(NumberToText(9.99999999999999), "10.");
    EXPECT_EQ(NumberToText(1e23), "1.e+023");  // the double lies just below
    EXPECT_EQ(NumberToText(9.99999999999999e-5), "1.e-004");
    EXPECT_EQ(NumberToText(9.99999999999999e299), "1.e+300");
}

TEST(NumberToTextTest, ExtremeMagnitudes) {
    EXPECT_EQ(NumberToText(DBL_MAX), "1.7976931348623e+308");
    EXPECT_EQ(NumberToText(-DBL_MAX), "-1.7976931348623e+308");
    EXPECT_EQ(NumberToText(DBL_MIN), "2.2250738585072e-308");
    EXPECT_EQ(NumberToText(std::nextafter(DBL_MIN, 0.0)), "2.2250738585072e-308");
    EXPECT_EQ(NumberToText(std::numeric_limits<double>::denorm_min()), "4.9406564584125e-324");
    EXPECT_EQ(NumberToText(-std::numeric_limits<double>::denorm_min()), "-4.9406564584125e-324");
    EXPECT_EQ(NumberToText(1e-300), "1.e-300");
    EXPECT_EQ(NumberToText(1e100), "1.e+100");
}

TEST(NumberToTextTest, NonFiniteValues) {
    EXPECT_EQ(NumberToText(kInf), "1.#INF");
    EXPECT_EQ(NumberToText(-kInf), "-1.#INF");
    volatile double inf = kInf;  // computed at run time, as the hardware does
    EXPECT_EQ(NumberToText(inf - inf), "-1.#IND");
    EXPECT_EQ(NumberToText(FromBits(0xFFF8000000000000)), "-1.#IND");
    EXPECT_EQ(NumberToText(std::numeric_limits<double>::quiet_NaN()), "1.#QNAN");
    EXPECT_EQ(NumberToText(FromBits(0xFFF8000000000001)), "-1.#QNAN");
    EXPECT_EQ(NumberToText(FromBits(0x7FF0000000000001)), "1.#QNAN");
    EXPECT_EQ(NumberToText(FromBits(0xFFFFFFFFFFFFFFFF)), "-1.#QNAN");
}

// Reference: the rule applied literally to the full decimal expansion, which
// to_chars prints exactly at this precision (no double has more than 767
// significant digits).
std::string ReferenceText(double x) {
    if (x == 0) {
        return "0.";
    }
    constexpr int kPrecision = 800;
    char buf[kPrecision + 16];
    char* end = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific,
                              kPrecision)
                    .ptr;
    std::string digits = buf[0] + std::string(buf + 2, buf + 2 + kPrecision);
    EXPECT_LT(digits.find_last_not_of('0'), 767u) << "expansion not exact";
    int e = std::atoi(std::string(buf + 3 + kPrecision, end).c_str()) + 1;
    long long kept = std::stoll(digits.substr(0, 14)) + (digits[14] >= '5' ? 1 : 0);
    std::string s = std::to_string(kept);
    bool carried = s.size() == 15;
    std::string text;
    if (e < 0 || e > 14) {
        text = s.substr(0, 1) + "." + s.substr(1, 13);
        text.erase(text.find_last_not_of('0') + 1);
        char exponent[16];
        int written = e - 1 + (carried ? 1 : 0);
        std::snprintf(exponent, sizeof exponent, "e%c%03d", written < 0 ? '-' : '+',
                      std::abs(written));
        text += exponent;
    } else {
        std::size_t fraction = 14 - e;
        std::string integer = s.substr(0, s.size() - fraction);
        text = integer.empty() ? "0" : integer;
        if (fraction > 0) {
            text += "." + s.substr(s.size() - fraction);
            text.erase(text.find_last_not_of('0') + 1);
        }
    }
    return (x < 0 ? "-" : "") + text;
}

void ExpectMatchesReference(double x) {
    if (!std::isfinite(x)) {
        return;
    }
    std::string text = NumberToText(x);
    ASSERT_EQ(text, ReferenceText(x)) << std::hexfloat << x;
    // Reading the text back lands within half a unit of the 14th digit.
    double back = TextToNumber(text);
    double tolerance = std::max(5.01e-14 * std::fabs(x), std::numeric_limits<double>::denorm_min());
    ASSERT_LE(std::fabs(back - x), tolerance) << text;
}

TEST(NumberToTextTest, MatchesExactReferenceOnRandomBitPatterns) {
    std::mt19937_64 gen(20240611);
    constexpr std::uint64_t kSignAndSignificand = 0x800FFFFFFFFFFFFF;
    for (int i = 0; i < 40000; ++i) {
        double x = FromBits(gen());
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(x));
        // Subnormals, which random bits seldom give, are written their own way.
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(FromBits(gen() & kSignAndSignificand)));
    }
}

TEST(NumberToTextTest, MatchesExactReferenceOnFriendlyValues) {
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 20000; ++i) {
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(unit(gen) * std::pow(10.0, exponent(gen))));
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(
            static_cast<double>(static_cast<std::int64_t>(gen() >> 14)) / 1000));
    }
}

// Decimal inputs whose 15th significant digit is 5 followed by little else:
// the doubles nearest to them sit on either side of the rounding boundary.
TEST(NumberToTextTest, MatchesExactReferenceAtRoundingBoundaries) {
    std::mt19937_64 gen(99);
    for (int i = 0; i < 30000; ++i) {
        std::string text = std::to_string(1 + gen() % 9) + ".";
        for (int d = 0; d < 13; ++d) {
            text += static_cast<char>('0' + (i % 3 == 0 ? 9 : gen() % 10));
        }
        text += "5" + std::to_string(gen() % 3 == 0 ? 0 : gen() % 1000);
        text += "e" + std::to_string(static_cast<int>(gen() % 660) - 330);
        double x = TextToNumber(text);
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(x));
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(std::nextafter(x, 0.0)));
        ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(std::nextafter(x, kInf)));
    }
}

TEST(NumberToTextTest, MatchesExactReferenceAroundPowersOfTen) {
    for (int k = -324; k <= 308; ++k) {
        double x = TextToNumber("1e" + std::to_string(k));
        double below = x;
        double above = x;
        for (int step = 0; step < 3; ++step) {
            ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(below));
            ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(above));
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, kInf);
        }
    }
    // Whole numbers on either side of a power of ten differ in digit count.
    for (double power = 1; power <= 1e15; power *= 10) {
        for (const double x : {power - 1, power + 1, -(power - 1), -(power + 1)})
            ASSERT_NO_FATAL_FAILURE(ExpectMatchesReference(x));
    }
}

// ---------------------------------------------------------------------------
// TextToNumber

TEST(TextToNumberTest, ReadsTheLongestDecimalPrefix) {
    EXPECT_EQ(TextToNumber("12abc"), 12);
    EXPECT_EQ(TextToNumber("  -1.5e3x"), -1500);
    EXPECT_EQ(TextToNumber(".5"), 0.5);
    EXPECT_EQ(TextToNumber("-.5e-1"), -0.05);
    EXPECT_EQ(TextToNumber("+3"), 3);
    EXPECT_EQ(TextToNumber("5."), 5);
    EXPECT_EQ(TextToNumber("5.e3"), 5000);
    EXPECT_EQ(TextToNumber("1.2.3"), 1.2);
    EXPECT_EQ(TextToNumber("1E5"), 1e5);
    EXPECT_EQ(TextToNumber("1e+5"), 1e5);
    EXPECT_EQ(TextToNumber("007"), 7);
    EXPECT_EQ(TextToNumber("0x10"), 0);
    EXPECT_EQ(TextToNumber("3e2e1"), 300);
    EXPECT_EQ(TextToNumber("0.1"), 0.1);
}

TEST(TextToNumberTest, ExponentWithoutDigitsIsNotPartOfTheNumber) {
    EXPECT_EQ(TextToNumber("1e"), 1);
    EXPECT_EQ(TextToNumber("1e+"), 1);
    EXPECT_EQ(TextToNumber("-2E-x"), -2);
    EXPECT_EQ(TextToNumber("2.5e 3"), 2.5);
}

TEST(TextToNumberTest, TextWithoutANumberGivesZero) {
    for (std::string_view text : {"", ".", "-", "+", "+-1", "- 1", "inf", "-inf", "nan", "infinity",
                                  "abc", "e5", ".e5", "-.e5", "\"5\"", "{1,2}"}) {
        double value = TextToNumber(text);
        EXPECT_EQ(value, 0) << text;
    }
}

TEST(TextToNumberTest, SkipsLeadingWhiteSpaceOnly) {
    EXPECT_EQ(TextToNumber(" \t\n\v\f\r7"), 7);
    EXPECT_EQ(TextToNumber("7 8"), 7);
    EXPECT_EQ(TextToNumber("- 7"), 0);
    EXPECT_EQ(TextToNumber("\x01 7"), 0);
}

TEST(TextToNumberTest, NonFiniteTextsReadAsTheirLeadingDigit) {
    EXPECT_EQ(TextToNumber("1.#INF"), 1);
    EXPECT_EQ(TextToNumber("-1.#INF"), -1);
    EXPECT_EQ(TextToNumber("-1.#IND"), -1);
    EXPECT_EQ(TextToNumber("1.#QNAN"), 1);
    EXPECT_EQ(TextToNumber("-1.#QNAN"), -1);
}

TEST(TextToNumberTest, ReadsNumberTexts) {
    EXPECT_EQ(TextToNumber("5.e-002"), 0.05);
    EXPECT_EQ(TextToNumber("1.2345678901235e+014"), 123456789012350);
    EXPECT_EQ(TextToNumber("100000000000000"), 1e14);
    EXPECT_EQ(TextToNumber("4.9406564584125e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(TextToNumber("1.7976931348623e+308"), 1.7976931348623e308);
}

TEST(TextToNumberTest, OverflowGivesInfinityAndUnderflowZero) {
    EXPECT_EQ(TextToNumber("1e309"), kInf);
    EXPECT_EQ(TextToNumber("-1e400"), -kInf);
    EXPECT_EQ(TextToNumber("1000e306"), kInf);
    EXPECT_EQ(TextToNumber("0.01e311"), kInf);
    EXPECT_EQ(TextToNumber(std::string(400, '9')), kInf);
    EXPECT_EQ(TextToNumber("1e99999999999999999999999999"), kInf);
    EXPECT_EQ(TextToNumber("100e306"), 1e308);
    EXPECT_EQ(TextToNumber("1e-400"), 0);
    EXPECT_EQ(TextToNumber("2e-324"), 0);
    EXPECT_EQ(TextToNumber("12345e-99999999999999999999999"), 0);
    EXPECT_EQ(TextToNumber("0.0001e-320"), 0);
    EXPECT_EQ(TextToNumber("3e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(TextToNumber("1e-310"), 1e-310);
    EXPECT_EQ(TextToNumber("0e99999999999"), 0);
    double negative_tiny = TextToNumber("-1e-400");
    EXPECT_EQ(negative_tiny, 0);
    EXPECT_TRUE(std::signbit(negative_tiny));
    EXPECT_TRUE(std::signbit(TextToNumber("-0")));
}

TEST(TextToNumberTest, LongDigitRunsCancelAgainstTheExponent) {
    EXPECT_EQ(TextToNumber("0." + std::string(400, '0') + "5e401"), 5);
    EXPECT_EQ(TextToNumber("1" + std::string(400, '0') + "e-400"), 1);
    EXPECT_EQ(TextToNumber("0." + std::string(1000000, '0') + "1e1000001"), 1);
    EXPECT_EQ(TextToNumber(std::string(1000000, '1')), kInf);
    // Leading zeros count toward neither overflow nor underflow.
    EXPECT_EQ(TextToNumber("0." + std::string(800, '0') + "1e400"), 0);
    EXPECT_EQ(TextToNumber(std::string(800, '0') + "1e-400"), 0);
    EXPECT_EQ(TextToNumber(std::string(800, '0') + "1.5e400"), kInf);
    EXPECT_EQ(TextToNumber(std::string(1000000, ' ') + "2"), 2);
}

TEST(TextToNumberTest, AnyBytesAreSafe) {
    EXPECT_EQ(TextToNumber(std::string{'1', '\0', '2'}), 1);
    EXPECT_EQ(TextToNumber(std::string{'\0', '5'}), 0);
    EXPECT_EQ(TextToNumber(std::string{'\xff', '5'}), 0);
    EXPECT_EQ(TextToNumber(std::string{'5', '\x80'}), 5);
    EXPECT_EQ(TextToNumber(std::string{'1', 'e', '\xb9'}), 1);
    for (int byte = 0; byte < 256; ++byte) {
        char ch = static_cast<char>(byte);
        double expected = IsDigit(ch) ? ch - '0' : 0;
        EXPECT_EQ(TextToNumber(std::string_view(&ch, 1)), expected) << byte;
    }
}

// Over texts without hexadecimal or inf/nan spellings, the C library's atof
// is the definition; compare bit for bit, signed zeros included.
TEST(TextToNumberTest, AgreesWithAtofOnRandomDecimalTexts) {
    std::mt19937_64 gen(5);
    constexpr std::string_view kAlphabet = "0123456789.eE+- \t";
    for (int i = 0; i < 100000; ++i) {
        std::string text(gen() % 14, ' ');
        for (char& ch : text) {
            ch = kAlphabet[gen() % kAlphabet.size()];
        }
        if (gen() % 4 == 0) {
            text += "e" + std::to_string(static_cast<int>(gen() % 800) - 400);
        }
        double expected = std::atof(text.c_str());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(TextToNumber(text)),
                  std::bit_cast<std::uint64_t>(expected))
            << '"' << text << '"';
    }
}

// Whole numbers of integer results are written without the point at once:
// exactly what cutting NumberToText's text leaves.
TEST(WholeNumberTextTest, EqualsTheCutTextOfWholeNumbers) {
    std::mt19937_64 gen(9);
    std::vector<double> wholes = {
        0.0,        -0.0,         1, -1, 7, 100, 12345678901234, -12345678901234, 99999999999999,
        2147483647, -2147483648.0};
    for (int i = 0; i < 20000; ++i) {
        const auto magnitude = static_cast<double>(gen() % 100000000000000);
        wholes.push_back(gen() % 2 == 0 ? magnitude : -magnitude);
    }
    for (const double x : wholes) {
        std::string expected = NumberToText(x);
        DropFraction(expected);
        std::string text;
        ASSERT_TRUE(WholeNumberText(x, text)) << x;
        ASSERT_EQ(text, expected) << x;
    }
    for (const double x : {0.5, -2.25, 1e14, -1e14, 1e20, 1e-9}) {
        std::string text = "kept";
        EXPECT_FALSE(WholeNumberText(x, text)) << x;
        EXPECT_EQ(text, "kept");
    }
}

}  // namespace
}  // namespace expreval
