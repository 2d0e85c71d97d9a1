// The number text NumberToText wrote last, with what reading it gives.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "value/value.h"

namespace expreval {

// A result is mostly read again by the very next operation, which then finds
// its number here instead of reading its digits once more. number is exactly
// what ReadPlainNumber gives for the text.
struct LastNumber {
    static constexpr std::size_t kMaxSize = 24;

    std::size_t size = 0;  // 0: nothing kept (no number text is empty)
    char text[kMaxSize] = {};
    PlainNumber number;

    // text must hold kMaxSize readable bytes, of which size are the number's.
    void Keep(const char* from, std::size_t textSize, PlainNumber kept) {
        size = textSize;
        std::memcpy(text, from, kMaxSize);
        number = kept;
    }

    bool Recall(std::string_view candidate, PlainNumber& found) const {
        if (size == 0 || candidate.size() != size || std::memcmp(candidate.data(), text, size) != 0)
            return false;
        found = number;
        return true;
    }
};

constinit inline thread_local LastNumber t_lastNumber;

}  // namespace expreval
