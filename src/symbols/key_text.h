// The order of the symbol lists' key texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace expreval {

// Key texts in byte order (unsigned bytes, a prefix first). Most keys differ
// in their first byte, which is compared without a library call.
constexpr bool KeyTextLess(std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a[0] != b[0])
        return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
    return a < b;
}

// The first eight bytes of a key, the first one highest and missing ones
// zero: where the heads of two keys differ, they are in the keys' order.
constexpr std::uint64_t KeyHead(std::string_view key) {
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < 8; ++i)
        head = head << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return head;
}

}  // namespace expreval
