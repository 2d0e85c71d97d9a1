// NumberToText and TextToNumber take fast roads for the common cases; these
// tests hold them to slow, obviously faithful references on many numbers,
// the awkward ones (halfway points, powers of ten) above all.

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "value/value.h"

namespace expreval {
namespace {

// The exact decimal expansion, rounded half up to 14 digits by hand.
std::string ReferenceText(double x) {
    if (x == 0)
        return "0.";
    char exact[800];
    char* end =
        std::to_chars(exact, exact + sizeof exact, std::fabs(x), std::chars_format::scientific, 767)
            .ptr;
    std::string digits = std::string(1, exact[0]) + std::string(exact + 2, 13);
    const int e = std::atoi(std::string(exact + 2 + 767 + 1, end).c_str()) + 1;
    int shift = 0;
    if (exact[2 + 13] >= '5') {
        int i = 13;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits = "1" + digits;  // the carried digit; the form stays
            shift = 1;
        }
    }
    std::string text = x < 0 ? "-" : "";
    if (e < 0 || e > 14) {
        std::string mantissa = digits.substr(0, 1) + "." + digits.substr(1, 13);
        while (mantissa.back() == '0')
            mantissa.pop_back();
        const int written = e - 1 + shift;
        char exponent[16];
        std::snprintf(exponent, sizeof exponent, "e%c%03d", written < 0 ? '-' : '+',
                      std::abs(written));
        return text + mantissa + exponent;
    }
    const int integer = e + shift;
    text += integer == 0 ? "0" : digits.substr(0, static_cast<size_t>(integer));
    if (digits.size() > static_cast<size_t>(integer)) {
        std::string fraction = digits.substr(static_cast<size_t>(integer));
        while (!fraction.empty() && fraction.back() == '0')
            fraction.pop_back();
        text += "." + fraction;
    }
    return text;
}

class Random {
  public:
    std::uint64_t Next() {
        state_ = state_ * 6364136223846793005u + 1442695040888963407u;
        return state_ >> 11;
    }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }

  private:
    std::uint64_t state_ = 7;
};

void ExpectText(double x) {
    ASSERT_EQ(NumberToText(x), ReferenceText(x)) << std::hexfloat << x;
}

TEST(NumberTextDifferential, TextsOfManyDoubles) {
    Random random;
    for (int n = 0; n < 20000; ++n) {
        // Any bit pattern: mostly the exponent form.
        const double any = std::bit_cast<double>(random.Next() << 11 | random.Below(2048));
        if (std::isfinite(any))
            ExpectText(any);
        // Up to 17 digits placed anywhere around the fixed-form range.
        const double scaled = static_cast<double>(random.Below(100000000000000000u)) *
                              std::pow(10.0, static_cast<int>(random.Below(40)) - 25);
        ExpectText(random.Below(2) ? scaled : -scaled);
        // Quotients as arithmetic makes them.
        ExpectText(static_cast<double>(random.Below(100000)) /
                   static_cast<double>(1 + random.Below(1000)));
    }
}

// The doubles nearest to 14 digits followed by a 5, and their neighbours.
TEST(NumberTextDifferential, HalfwayPointsAndPowersOfTen) {
    Random random;
    for (int n = 0; n < 20000; ++n) {
        const std::string halfway =
            std::to_string(10000000000000u + random.Below(90000000000000u)) + "5e" +
            std::to_string(static_cast<int>(random.Below(40)) - 25);
        double x = std::strtod(halfway.c_str(), nullptr);
        for (int step = 0; step < 3; ++step)
            x = std::nextafter(x, 0.0);
        for (int step = 0; step < 6; ++step, x = std::nextafter(x, HUGE_VAL))
            ExpectText(x);
    }
    for (int power = -30; power <= 30; ++power) {
        double x = std::pow(10.0, power);
        for (int step = 0; step < 3; ++step)
            x = std::nextafter(x, 0.0);
        for (int step = 0; step < 6; ++step, x = std::nextafter(x, HUGE_VAL))
            ExpectText(x);
    }
    ExpectText(99999999999999.99);
    ExpectText(1e23);
}

// Digits, points, exponents and trailing junk in every mix, against atof
// (without the hexadecimal and infinity forms, which are not read).
TEST(NumberTextDifferential, ReadingAgreesWithAtof) {
    Random random;
    const std::string pieces[] = {"0",     "1",     "9", "5", "00000", "12345678901234567890",
                                  ".",     "e",     "E", "+", "-",     "e-3",
                                  "e+308", "e-330", " ", "y", "#",     "7"};
    for (int n = 0; n < 200000; ++n) {
        std::string text;
        for (std::uint64_t count = 1 + random.Below(7); count > 0; --count)
            text += pieces[random.Below(std::size(pieces))];
        const double expected = std::atof(text.c_str());
        const double actual = TextToNumber(text);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected))
            << text;
    }
    // Plain decimals around the limits of the exact short road: 2^53, 10^22.
    for (int n = 0; n < 200000; ++n) {
        const std::string digits = std::to_string(random.Next() >> random.Below(53));
        const size_t point = random.Below(digits.size() + 1);
        std::string text = digits.substr(0, point) + "." + digits.substr(point);
        if (random.Below(2))
            text.append("e").append(std::to_string(static_cast<int>(random.Below(60)) - 30));
        ASSERT_EQ(TextToNumber(text), std::atof(text.c_str())) << text;
    }
}

}  // namespace
}  // namespace expreval
