// Lookups in the tables that never change after start-up, remembered.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "symbols/symbol_list.h"

namespace expreval {

// Keys of up to eight bytes already looked up in g_functions or g_operators,
// with what the lookup found: the record, or null. Those tables never change
// after start-up, so a key keeps finding what it found the first time.
// Invalidated when the list is swapped for another or its stamp changes
// (a record joins, leaves or takes new data), as when a test rebuilds it.
template <typename T>
class LookupCache {
  public:
    template <typename LookUp>
    const T* Find(const SymbolList<T>* list, std::string_view key, LookUp lookUp) {
        if (key.empty() || key.size() > kMaxKey)
            return lookUp(key);
        if (list_ != list || stamp_ != list->Stamp()) {
            slots_ = {};
            list_ = list;
            stamp_ = list->Stamp();
        }
        const std::uint64_t packed = Pack(key);
        Slot& slot = slots_[(packed * kSpread) >> kIndexShift];
        if (slot.size != key.size() || slot.packed != packed)
            slot = Slot{packed, key.size(), lookUp(key)};
        return slot.found;
    }

  private:
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
        const T* found = nullptr;
    };

    // The key's bytes, first byte lowest.
    static std::uint64_t Pack(std::string_view key) {
        std::uint64_t packed = 0;
        for (std::size_t i = 0; i < key.size(); ++i)
            packed |= std::uint64_t{static_cast<unsigned char>(key[i])} << (8 * i);
        return packed;
    }

    const SymbolList<T>* list_ = nullptr;
    std::uint64_t stamp_ = 0;
    std::array<Slot, kSlots> slots_{};
};

}  // namespace expreval
