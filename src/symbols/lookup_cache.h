// Lookups in the symbol tables, remembered while the table is as it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "symbols/symbol_list.h"

namespace expreval {

// Keys of up to eight bytes already looked up in a list, with what the
// lookup found: the record, or null; of longer keys, the last one found. An entry holds while the
// list's stamp is the one it was found under; stamps are never shared between lists, so a stamp
// names both the list and its state. g_functions and g_operators never change after start-up
// (unless a test rebuilds them); variables are remembered under their list's membership, which
// keeps when a variable only takes a new value.
template <typename T>
class LookupCache {
  public:
    template <typename LookUp>
    const T* Find(std::uint64_t stamp, std::string_view key, LookUp lookUp) {
        if (key.size() == 1) {
            Single& single = singles_[static_cast<unsigned char>(key[0])];
            if (single.stamp != stamp)
                single = Single{stamp, lookUp(key)};
            return single.found;
        }
        if (key.size() > kMaxKey)
            return FindLonger(stamp, key, lookUp);
        if (key.empty())
            return lookUp(key);
        const std::uint64_t packed = Pack(key);
        Slot& slot = slots_[(packed * kSpread) >> kIndexShift];
        if (slot.stamp != stamp || slot.size != key.size() || slot.packed != packed)
            slot = Slot{packed, key.size(), stamp, lookUp(key)};
        return slot.found;
    }
    template <typename LookUp>
    const T* Find(const SymbolList<T>* list, std::string_view key, LookUp lookUp) {
        return Find(list->Stamp(), key, lookUp);
    }

  private:
    // The last longer key found, and only that: a line that reads a
    // variable mostly looks it up twice in a row, once where the line's
    // numbers are worked out and once where the stacks take over.
    template <typename LookUp>
    const T* FindLonger(std::uint64_t stamp, std::string_view key, LookUp lookUp) {
        if (longer_.stamp == stamp && T::Key(*longer_.found) == key)
            return longer_.found;
        const T* found = lookUp(key);
        if (found != nullptr)
            longer_ = Single{stamp, found};
        return found;
    }

    static constexpr std::size_t kMaxKey = 8;
    static constexpr std::size_t kSlots = 256;
    // The slot is the top byte of the key times an odd constant, chosen so
    // that every built-in function name and operator symbol gets a slot of
    // its own.
    static constexpr std::uint64_t kSpread = 0x91B7584A2265B1F5;
    static constexpr int kIndexShift = 56;

    struct Slot {
        std::uint64_t packed = 0;
        std::size_t size = 0;  // 0: empty, since no empty key is kept
        std::uint64_t stamp = 0;
        const T* found = nullptr;
    };

    // The key's bytes, first byte lowest.
    static std::uint64_t Pack(std::string_view key) {
        std::uint64_t packed = 0;
        for (std::size_t i = 0; i < key.size(); ++i)
            packed |= std::uint64_t{static_cast<unsigned char>(key[i])} << (8 * i);
        return packed;
    }

    // Keys of one byte, the commonest (operators, and names such as x),
    // each in a place of its own. No list ever has the empty entry's stamp.
    struct Single {
        std::uint64_t stamp = ~std::uint64_t{0};
        const T* found = nullptr;
    };

    std::array<Slot, kSlots> slots_{};
    std::array<Single, 256> singles_{};
    Single longer_;
};

}  // namespace expreval
