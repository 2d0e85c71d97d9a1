// The order of the symbol lists' key texts.
#pragma once

#include <string_view>

namespace expreval {

// Key texts in byte order (unsigned bytes, a prefix first). Most keys differ
// in their first byte, which is compared without a library call.
constexpr bool KeyTextLess(std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a[0] != b[0])
        return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
    return a < b;
}

}  // namespace expreval
