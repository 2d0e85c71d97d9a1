// A stack that keeps its first entries inside itself.
#pragma once

#include <algorithm>
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
// Plain entries (pointers, numbers) need no such care: once they outgrow the
// object they all move to the vector, so that every entry is reached
// through one pointer, with no test of where it lies.
template <typename T, std::size_t N>
class SmallStack {
  public:
    SmallStack() { Start(); }
    SmallStack(const SmallStack& other) {
        Start();
        for (std::size_t i = 0; i < other.size_; ++i)
            Push() = other[i];
    }
    SmallStack& operator=(const SmallStack&) = delete;
    ~SmallStack() {
        if constexpr (!kPlain)
            std::destroy(Inline(), Inline() + built_);
    }

    bool Empty() const { return size_ == 0; }
    std::size_t Size() const { return size_; }

    T& operator[](std::size_t i) {
        if constexpr (kPlain)
            return data_[i];
        else
            return i < N ? Inline()[i] : spill_[i - N];
    }
    const T& operator[](std::size_t i) const {
        if constexpr (kPlain)
            return data_[i];
        else
            return i < N ? Inline()[i] : spill_[i - N];
    }
    T& Top() { return (*this)[size_ - 1]; }

    // The new top entry, to be given its value by the caller.
    T& Push() {
        if constexpr (kPlain) {
            if (size_ == capacity_) [[unlikely]]
                Grow();
            // Nothing to build or destroy: the caller gives it its value.
            return *::new (static_cast<void*>(data_ + size_++)) T;
        } else {
            if (size_ < N) {
                if (size_ == built_) {
                    ::new (static_cast<void*>(Inline() + built_)) T();
                    ++built_;
                }
                return Inline()[size_++];
            }
            ++size_;
            return spill_.emplace_back();
        }
    }

    void Pop() {
        --size_;
        if constexpr (!kPlain) {
            if (size_ >= N)
                spill_.pop_back();
        }
    }

  private:
    static constexpr bool kPlain =
        std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>;

    // Each kind keeps only what it uses: nothing to set up for the other.
    struct Unused {};
    template <typename Used>
    using PlainOnly = std::conditional_t<kPlain, Used, Unused>;
    template <typename Used>
    using OthersOnly = std::conditional_t<kPlain, Unused, Used>;

    void Start() {
        if constexpr (kPlain) {
            data_ = Inline();
            capacity_ = N;
        }
    }

    T* Inline() { return std::launder(reinterpret_cast<T*>(storage_)); }
    const T* Inline() const { return std::launder(reinterpret_cast<const T*>(storage_)); }

    // Plain entries only: all of them to a vector twice the size.
    [[gnu::noinline]] void Grow() {
        std::vector<T> larger(2 * capacity_);
        std::copy(data_, data_ + size_, larger.data());
        spill_.swap(larger);
        data_ = spill_.data();
        capacity_ = spill_.size();
    }

    alignas(T) unsigned char storage_[N * sizeof(T)];
    [[no_unique_address]] OthersOnly<std::size_t> built_{};  // inline entries constructed
    std::vector<T> spill_;
    std::size_t size_ = 0;
    // Where all the entries lie, and how many fit there.
    [[no_unique_address]] PlainOnly<T*> data_;
    [[no_unique_address]] PlainOnly<std::size_t> capacity_;
};

}  // namespace expreval
