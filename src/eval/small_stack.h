// A stack that keeps its first entries inside itself.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace expreval {

// The first N entries live in the stack object, so an evaluation of typical
// depth allocates nothing for its stacks; deeper entries go to a vector.
// An inline entry is constructed when first pushed, and popped inline
// entries are left as they are until pushed over: a string there keeps its
// room for the next one. So a run that stacks little constructs little.
template <typename T, std::size_t N>
class SmallStack {
  public:
    SmallStack() = default;
    SmallStack(const SmallStack& other) {
        for (std::size_t i = 0; i < other.size_; ++i)
            Push() = other[i];
    }
    SmallStack& operator=(const SmallStack&) = delete;
    ~SmallStack() { std::destroy(Inline(), Inline() + built_); }

    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }

    T& operator[](std::size_t i) { return i < N ? Inline()[i] : spill_[i - N]; }
    const T& operator[](std::size_t i) const { return i < N ? Inline()[i] : spill_[i - N]; }
    T& Top() { return (*this)[size_ - 1]; }

    // The new top entry, to be given its value by the caller.
    T& Push() {
        if (size_ < N) {
            if constexpr (kPlain) {
                // Nothing to build or destroy: the caller gives it its value.
                return *::new (static_cast<void*>(Inline() + size_++)) T;
            } else if (size_ == built_) {
                ::new (static_cast<void*>(Inline() + built_)) T();
                ++built_;
            }
            return Inline()[size_++];
        }
        ++size_;
        return spill_.emplace_back();
    }

    void pop_back() {
        --size_;
        if (size_ >= N)
            spill_.pop_back();
    }

  private:
    static constexpr bool kPlain =
        std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>;

    T* Inline() { return std::launder(reinterpret_cast<T*>(storage_)); }
    const T* Inline() const { return std::launder(reinterpret_cast<const T*>(storage_)); }

    alignas(T) unsigned char storage_[N * sizeof(T)];
    std::size_t built_ = 0;  // inline entries constructed
    std::vector<T> spill_;
    std::size_t size_ = 0;
};

}  // namespace expreval
