// Digits read eight characters at a time, as the bytes of one word, the
// first character in the lowest byte: how many digits a number has cannot be
// foreseen, so a loop over them would keep missing its end.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace expreval {

static_assert(std::endian::native == std::endian::little ||
              std::endian::native == std::endian::big);
inline constexpr int kWordBytes = 8;
inline constexpr int kByteBits = 8;

// The eight characters from at on.
inline std::uint64_t LoadWord(const char* at) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, sizeof word);
        return word;
    } else {
        std::uint64_t word = 0;
        for (int i = kWordBytes - 1; i >= 0; --i)
            word = (word << kByteBits) | static_cast<unsigned char>(at[i]);
        return word;
    }
}

// How many of the word's bytes, from the first, are digits (0 to 8). A byte
// is a digit when its high half is 3 and stays 3 with 6 added; a carry out of
// a byte comes only from a byte that is no digit, so the first one that is
// not is found right.
inline int LeadingDigits(std::uint64_t word) {
    constexpr std::uint64_t kHighHalves = 0xF0F0F0F0F0F0F0F0;
    constexpr std::uint64_t kThrees = 0x3030303030303030;
    constexpr std::uint64_t kSixes = 0x0606060606060606;
    const std::uint64_t other =
        ((word & kHighHalves) ^ kThrees) | (((word + kSixes) & kHighHalves) ^ kThrees);
    return other == 0 ? kWordBytes : std::countr_zero(other) / kByteBits;
}

// The value of the word's first `count` bytes (0 to 8), all digits: moved to
// the top, so that zeros lead, then paired, quadrupled and joined by three
// multiplications.
inline std::uint64_t DigitsValue(std::uint64_t word, int count) {
    constexpr int kWordBits = kWordBytes * kByteBits;
    const std::uint64_t digits = word & 0x0F0F0F0F0F0F0F0F;
    std::uint64_t value = count == 0 ? 0 : digits << (kWordBits - kByteBits * count);
    value = (value * 2561) >> 8;  // 10 x digit + next digit, in every other byte
    value = ((value & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    return ((value & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
}

}  // namespace expreval
