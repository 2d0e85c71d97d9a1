// SipHash: a hash of a text under a secret 128-bit key, such that texts
// which share a hash cannot be found without knowing the key. The symbol
// lists' hash index uses it, so that nobody can choose names that all land
// on one slot. kRounds per 8-byte word, kFinalRounds at the end.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace expreval {

struct SipKey {
    std::uint64_t k0 = 0;
    std::uint64_t k1 = 0;
};

template <int kRounds, int kFinalRounds>
constexpr std::uint64_t SipHash(const SipKey& key, std::string_view text) {
    std::uint64_t v0 = key.k0 ^ 0x736f6d6570736575;
    std::uint64_t v1 = key.k1 ^ 0x646f72616e646f6d;
    std::uint64_t v2 = key.k0 ^ 0x6c7967656e657261;
    std::uint64_t v3 = key.k1 ^ 0x7465646279746573;
    const auto round = [&] {
        v0 += v1;
        v1 = std::rotl(v1, 13);
        v1 ^= v0;
        v0 = std::rotl(v0, 32);
        v2 += v3;
        v3 = std::rotl(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = std::rotl(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = std::rotl(v1, 17);
        v1 ^= v2;
        v2 = std::rotl(v2, 32);
    };
    const auto compress = [&](std::uint64_t word) {
        v3 ^= word;
        for (int i = 0; i < kRounds; ++i)
            round();
        v0 ^= word;
    };
    // Words are read little-endian, byte by byte: the same hash on any
    // processor, and no unaligned load.
    const auto word = [&text](std::size_t at, std::size_t count) {
        std::uint64_t w = 0;
        for (std::size_t i = 0; i < count; ++i)
            w |= std::uint64_t{static_cast<unsigned char>(text[at + i])} << (8 * i);
        return w;
    };
    const std::size_t whole = text.size() / 8 * 8;
    for (std::size_t at = 0; at < whole; at += 8)
        compress(word(at, 8));
    compress(word(whole, text.size() - whole) | std::uint64_t{text.size() & 0xFF} << 56);
    v2 ^= 0xFF;
    for (int i = 0; i < kFinalRounds; ++i)
        round();
    return v0 ^ v1 ^ v2 ^ v3;
}

}  // namespace expreval
