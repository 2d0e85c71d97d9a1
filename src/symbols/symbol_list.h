// SymbolList: the sorted, intrusive, circular doubly linked list that holds
// the functions, the operators and the variables. One sentinel record marks
// both ends; the list owns every record linked into it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>
#include <utility>

#include "symbols/key_text.h"

namespace expreval {

// T provides next and previous links, the static comparisons KeyEqual and
// KeyLess, and Key, a record's key text.
template <typename T>
class SymbolList {
  public:
    SymbolList() : sentinel_(new T()), tail_(sentinel_) {
        sentinel_->next = sentinel_;
        sentinel_->previous = sentinel_;
        Changed();
    }
    // The global tables are never destroyed; a list that is (in a test, or a
    // host program's own table) frees its records with it.
    ~SymbolList() {
        Clear();
        delete sentinel_;
    }
    SymbolList(const SymbolList&) = delete;
    SymbolList& operator=(const SymbolList&) = delete;

    T* Sentinel() const { return sentinel_; }

    // A stamp that changes whenever records join or leave the list or a
    // record takes new data, and that no other list of this kind has had:
    // what was found in the list stays valid for as long as the stamp is the
    // same.
    std::uint64_t Stamp() const { return stamp_; }

    // Takes ownership of record; the caller keeps the key order.
    T* InsertBefore(T* position, T* record) {
        if (position == nullptr || record == nullptr)
            return nullptr;
        if (position == sentinel_) {
            tail_->next = record;
            record->next = sentinel_;
            record->previous = tail_;
            tail_ = record;
            sentinel_->previous = record;
        } else {
            record->next = position;
            record->previous = position->previous;
            position->previous = record;
            record->previous->next = record;
        }
        ++count_;
        Changed();
        return record;
    }

    T* Append(T* record) { return InsertBefore(sentinel_, record); }

    // The stored record whose key equals key's, or the sentinel.
    T* Find(const T& key) const {
        T* p = sentinel_->next;
        while (p != sentinel_ && T::KeyLess(*p, key))
            p = p->next;
        return T::KeyEqual(*p, key) ? p : sentinel_;
    }

    // The first record whose key is not less than key, a text already
    // normalised as the record constructor would make it, or the sentinel:
    // where Find stops, and where InsertOrReplace stores a new key.
    T* LowerBound(std::string_view key) const {
        T* p = sentinel_->next;
        while (p != sentinel_ && KeyTextLess(T::Key(*p), key))
            p = p->next;
        return p;
    }

    // Find for a normalised key text, without building a key record.
    T* FindKey(std::string_view key) const {
        T* p = LowerBound(key);
        return T::Key(*p) == key ? p : sentinel_;
    }

    // Stores record by key; an existing record of equal key takes its data
    // by the record's own assignment, which keeps its key and links, and
    // record is destroyed.
    T* InsertOrReplace(T* record) {
        T* p = LowerBound(T::Key(*record));
        if (!Holds(p, *record))
            return InsertBefore(p, record);
        Replace(*p, std::move(*record));
        delete record;
        return p;
    }

    // The same for a record not yet on the heap, which goes there only when
    // its key is new: replacing a value allocates nothing.
    T* InsertOrReplace(T&& record) {
        T* p = LowerBound(T::Key(record));
        if (!Holds(p, record))
            return InsertBefore(p, new T(std::move(record)));
        Replace(*p, std::move(record));
        return p;
    }

    // Unlinks record, one of the list's, and destroys it.
    void Remove(T* record) {
        record->previous->next = record->next;
        record->next->previous = record->previous;
        if (tail_ == record)
            tail_ = record->previous;
        delete record;
        --count_;
        Changed();
    }

    // Destroys every record but the sentinel.
    void Clear() {
        for (T* p = sentinel_->next; p != sentinel_;) {
            T* next = p->next;
            delete p;
            p = next;
        }
        sentinel_->next = sentinel_;
        sentinel_->previous = sentinel_;
        tail_ = sentinel_;
        count_ = 0;
        Changed();
    }

  private:
    // Lists of different sessions change on different threads at once.
    void Changed() { stamp_ = lastStamp_.fetch_add(1, std::memory_order_relaxed) + 1; }

    bool Holds(const T* p, const T& record) const {
        return p != sentinel_ && T::KeyEqual(*p, record);
    }

    // A cached handler or precedence of the stored record must be looked up
    // again.
    void Replace(T& stored, T&& record) {
        stored = std::move(record);
        Changed();
    }

    T* sentinel_;
    T* tail_;
    int count_ = 0;
    std::uint64_t stamp_ = 0;
    static inline std::atomic<std::uint64_t> lastStamp_ = 0;
};

}  // namespace expreval
