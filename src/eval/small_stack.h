// A stack that keeps its first entries inside itself.
#pragma once

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

namespace expreval {

// The first N entries live in the stack object, so an evaluation of typical
// depth allocates nothing for its stacks; deeper entries go to a vector.
// Popped inline entries are left as they are until pushed over: a string
// there keeps its room for the next one.
template <typename T, std::size_t N>
class SmallStack {
  public:
    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }

    T& operator[](std::size_t i) { return i < N ? inline_[i] : spill_[i - N]; }
    const T& operator[](std::size_t i) const { return i < N ? inline_[i] : spill_[i - N]; }
    T& back() { return (*this)[size_ - 1]; }

    // The new top entry, to be given its value by the caller.
    T& Push() {
        if (size_ < N)
            return inline_[size_++];
        ++size_;
        return spill_.emplace_back();
    }

    void pop_back() {
        --size_;
        if (size_ >= N)
            spill_.pop_back();
    }

  private:
    std::array<T, N> inline_;  // entries are given values before they are read
    std::vector<T> spill_;
    std::size_t size_ = 0;
};

}  // namespace expreval
