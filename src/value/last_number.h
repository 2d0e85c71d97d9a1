// The number text NumberToText wrote last, with what reading it gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "value/value.h"

namespace expreval {

// A result is mostly read again by the very next operation, which then finds
// its number here instead of reading its digits once more. number is exactly
// what ReadPlainNumber gives for the text.
class LastNumber {
  public:
    static constexpr std::size_t kMaxSize = 24;

    // from must hold kMaxSize readable bytes, of which size are the text.
    void Keep(const char* from, std::size_t size, PlainNumber number) {
        size_ = size;
        std::memcpy(text_, from, kMaxSize);
        number_ = number;
    }

    bool Recall(std::string_view candidate, PlainNumber& found) const {
        if (size_ == 0 || candidate.size() != size_ || !SameBytes(candidate.data(), text_, size_))
            return false;
        found = number_;
        return true;
    }

  private:
    template <typename Word>
    static Word Load(const char* from) {
        Word word;
        std::memcpy(&word, from, sizeof word);
        return word;
    }

    // Compared a word at a time, the last word overlapping the ones before
    // it so that no load reaches past the n bytes: no library call for the
    // few bytes of a number text.
    static bool SameBytes(const char* a, const char* b, std::size_t n) {
        if (n >= 8) {
            return Load<std::uint64_t>(a) == Load<std::uint64_t>(b) &&
                   Load<std::uint64_t>(a + n - 8) == Load<std::uint64_t>(b + n - 8) &&
                   (n <= 16 || Load<std::uint64_t>(a + 8) == Load<std::uint64_t>(b + 8));
        }
        if (n >= 4) {
            return Load<std::uint32_t>(a) == Load<std::uint32_t>(b) &&
                   Load<std::uint32_t>(a + n - 4) == Load<std::uint32_t>(b + n - 4);
        }
        return std::memcmp(a, b, n) == 0;
    }

    std::size_t size_ = 0;  // 0: nothing kept (no number text is empty)
    char text_[kMaxSize] = {};
    PlainNumber number_;
};

constinit inline thread_local LastNumber t_lastNumber;

}  // namespace expreval
