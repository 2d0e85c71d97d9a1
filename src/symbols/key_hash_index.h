// KeyHashIndex: the records of a symbol list by the hash of their key, so
// that finding a key costs a probe or two of one table, however many keys
// the list holds: an ordered index would walk down many levels, each a cache
// line of its own.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <random>
#include <string_view>
#include <vector>

#include "symbols/sip_hash.h"

namespace expreval {

// A secret of the process, drawn once: where a key lands in the table
// depends on it, so that names chosen to land on one slot, which would make
// every probe walk them all, cannot be chosen beforehand.
inline const SipKey& KeyHashSecret() {
    static const SipKey secret = []() -> SipKey {
        try {
            std::random_device source;
            const auto draw = [&source] { return std::uint64_t{source()} << 32 ^ source(); };
            const std::uint64_t k0 = draw();
            return SipKey{k0, draw()};
        } catch (const std::exception&) {
            // No source of randomness: the time the process first looked
            // is still unknown beforehand.
            const auto now = static_cast<std::uint64_t>(
                std::chrono::steady_clock::now().time_since_epoch().count());
            return SipKey{now, ~now};
        }
    }();
    return secret;
}

// T provides Key, a record's key text, which stays the same while the
// record is indexed.
template <typename T>
class KeyHashIndex {
  public:
    // SipHash-1-3 under the process's secret: short keys cost a few dozen
    // cycles. Out of line, so that every lookup's callers stay small.
    [[gnu::noinline]] static std::uint64_t Hash(std::string_view key) {
        return SipHash<1, 3>(KeyHashSecret(), key);
    }

    // The record of key, or null.
    T* Find(std::string_view key, std::uint64_t hash) const {
        if (slots_.empty())
            return nullptr;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (slot.record == nullptr)
                return nullptr;
            if (slot.hash == hash && slot.record != Tombstone() && T::Key(*slot.record) == key)
                return slot.record;
        }
    }

    // Makes room for one more record; throws std::bad_alloc, having changed
    // nothing, when there is no memory for it.
    void Reserve() {
        if ((count_ + tombstones_ + 1) * kLoadDenominator > slots_.size() * kLoadNumerator)
            Grow();
    }

    // Indexes record, whose key is not indexed yet, in the room Reserve made.
    void Insert(T* record, std::uint64_t hash) noexcept {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        while (slots_[i].record != nullptr && slots_[i].record != Tombstone())
            i = (i + 1) & mask;
        if (slots_[i].record == Tombstone())
            --tombstones_;
        slots_[i] = Slot{hash, record};
        ++count_;
    }

    // Takes record out of the index; one it does not hold, as in an empty
    // table, is left alone. Its slot keeps a tombstone, so that the keys
    // placed past it are still found.
    void Erase(const T* record, std::uint64_t hash) noexcept {
        if (slots_.empty())
            return;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask; slots_[i].record != nullptr; i = (i + 1) & mask) {
            if (slots_[i].record == record) {
                slots_[i].record = Tombstone();
                --count_;
                ++tombstones_;
                return;
            }
        }
    }

    void Clear() noexcept {
        slots_.clear();
        count_ = 0;
        tombstones_ = 0;
    }

  private:
    struct Slot {
        std::uint64_t hash = 0;
        T* record = nullptr;  // null: empty, so a probe ends here
    };

    static T* Tombstone() { return reinterpret_cast<T*>(&tombstoneMark_); }

    // Places every record again in a table with room for twice as many as
    // it holds: twice the size, or the same size once tombstones are gone.
    void Grow() {
        std::size_t size = kSmallest;
        while (size < 2 * (count_ + 1))
            size *= 2;
        std::vector<Slot> old(size);
        old.swap(slots_);
        count_ = 0;
        tombstones_ = 0;
        for (const Slot& slot : old) {
            if (slot.record != nullptr && slot.record != Tombstone())
                Insert(slot.record, slot.hash);
        }
    }

    // At most three quarters of the slots are taken, tombstones included,
    // so that every probe meets an empty one.
    static constexpr std::size_t kLoadNumerator = 3;
    static constexpr std::size_t kLoadDenominator = 4;
    static constexpr std::size_t kSmallest = 16;

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    std::size_t tombstones_ = 0;
    static inline char tombstoneMark_ = 0;
};

}  // namespace expreval
