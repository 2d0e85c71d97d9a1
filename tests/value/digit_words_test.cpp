// Digits read a word at a time must agree with reading them one by one,
// whatever bytes follow them.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>

#include "value/number_text.h"

namespace expreval {
namespace {

using namespace number_detail;

int DigitsOneByOne(const std::array<char, kWordBytes>& bytes) {
    int count = 0;
    while (count < kWordBytes && bytes[count] >= '0' && bytes[count] <= '9')
        ++count;
    return count;
}

std::uint64_t ValueOneByOne(const std::array<char, kWordBytes>& bytes, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value * 10 + static_cast<std::uint64_t>(bytes[i] - '0');
    return value;
}

// Bytes near the digits (the neighbours of '0' and '9', whose high halves
// match) and near the top, where adding 6 carries into the next byte.
TEST(DigitWordsTest, AgreeWithReadingOneDigitAtATime) {
    const std::array<unsigned char, 12> kOthers = {0,   '\n', ' ', '-',  '.',  '/',
                                                   ':', '?',  'e', 0xF9, 0xFA, 0xFF};
    std::mt19937_64 gen(17);
    for (int n = 0; n < 200000; ++n) {
        std::array<char, kWordBytes> bytes{};
        for (char& byte : bytes) {
            byte = gen() % 3 != 0 ? static_cast<char>('0' + gen() % 10)
                                  : static_cast<char>(kOthers[gen() % kOthers.size()]);
        }
        const std::uint64_t word = LoadWord(bytes.data());
        const int count = DigitsOneByOne(bytes);
        ASSERT_EQ(LeadingDigits(word), count) << n;
        for (int used = 0; used <= count; ++used)
            ASSERT_EQ(DigitsValue(word, used), ValueOneByOne(bytes, used)) << n << " " << used;
    }
}

}  // namespace
}  // namespace expreval
