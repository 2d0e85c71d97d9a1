// SymbolList: the sorted, intrusive, circular doubly linked list that holds
// the functions, the operators and the variables. One sentinel record marks
// both ends; the list owns every record linked into it. A hash index sits
// beside the links, so that finding a record takes a probe, not a walk: a
// session may hold many thousands of variables. The links keep the order
// for those that read it (listing, completion): a key stored anew joins
// them at the end, and the records that joined so are put in order when the
// links are next read, from the sentinel, all at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "symbols/key_hash_index.h"
#include "symbols/key_text.h"

namespace expreval {

// T provides next and previous links and Key, a record's key text, which
// stays the same for as long as the record is in a list.
template <typename T>
class SymbolList {
  public:
    SymbolList() : sentinel_(new T()) {
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

    // The end of the links, which are in key order from here: a walk starts
    // here.
    T* Sentinel() const {
        Order();
        return sentinel_;
    }

    // Whether record is the sentinel, as Find gives for a key not stored:
    // without putting the links in order.
    bool IsSentinel(const T* record) const { return record == sentinel_; }
    bool Empty() const { return sentinel_->next == sentinel_; }

    // A stamp that changes whenever records join or leave the list or a
    // record takes new data, and that no other list of this kind has had:
    // what was found in the list stays valid for as long as the stamp is the
    // same.
    std::uint64_t Stamp() const { return stamp_; }
    // The same, but kept when a record only takes new data: the records
    // found stay where they are for as long as it is the same.
    std::uint64_t Membership() const { return membership_; }

    // Takes ownership of record; the caller keeps the key order and gives
    // no key twice.
    T* InsertBefore(T* position, T* record) {
        if (position == nullptr || record == nullptr)
            return nullptr;
        Order();
        return Insert(position, record, KeyHashIndex<T>::Hash(T::Key(*record)));
    }

    T* Append(T* record) { return InsertBefore(sentinel_, record); }

    // The stored record whose key equals key's, or the sentinel.
    T* Find(const T& key) const { return FindKey(T::Key(key)); }

    // Find for a normalised key text, without building a key record.
    T* FindKey(std::string_view key) const { return FindHashed(key, KeyHashIndex<T>::Hash(key)); }

    // Stores record by key; an existing record of equal key takes its data
    // by the record's own assignment, which keeps its key and links, and
    // record is destroyed.
    T* InsertOrReplace(T* record) {
        std::unique_ptr<T> owned(record);
        const std::uint64_t hash = KeyHashIndex<T>::Hash(T::Key(*record));
        T* stored = FindHashed(T::Key(*record), hash);
        if (stored == sentinel_)
            return InsertUnordered(owned.release(), hash);
        *stored = std::move(*record);
        DataChanged();
        return stored;
    }

    // The same without a record to replace with: the stored record of key,
    // a normalised key text, takes its new data through assign(record);
    // only a new key has make() build a record for the heap, of that key.
    // Replacing a value builds and allocates nothing.
    template <typename Make, typename Assign>
    T* InsertOrAssign(std::string_view key, Make make, Assign assign) {
        const std::uint64_t hash = KeyHashIndex<T>::Hash(key);
        T* stored = FindHashed(key, hash);
        if (stored == sentinel_)
            return InsertUnordered(make(), hash);
        assign(*stored);
        DataChanged();
        return stored;
    }

    // Unlinks record, one of the list's, and destroys it.
    void Remove(T* record) {
        hashed_.Erase(record, KeyHashIndex<T>::Hash(T::Key(*record)));
        if (firstUnordered_ == record && record->next == sentinel_) {
            firstUnordered_ = nullptr;
            unordered_.store(false, std::memory_order_release);
        } else if (firstUnordered_ == record) {
            firstUnordered_ = record->next;
        }
        record->previous->next = record->next;
        record->next->previous = record->previous;
        delete record;
        Changed();
    }

    // Destroys every record but the sentinel.
    void Clear() {
        hashed_.Clear();
        for (T* p = sentinel_->next; p != sentinel_;) {
            T* next = p->next;
            delete p;
            p = next;
        }
        sentinel_->next = sentinel_;
        sentinel_->previous = sentinel_;
        firstUnordered_ = nullptr;
        unordered_.store(false, std::memory_order_release);
        Changed();
    }

  private:
    // Indexes record and links it before position. The record is the
    // list's from here on: it is destroyed when indexing fails for want of
    // memory.
    // hash is the key's, worked out once by the caller.
    T* Insert(T* position, T* record, std::uint64_t hash) {
        std::unique_ptr<T> owned(record);
        hashed_.Reserve();
        hashed_.Insert(owned.release(), hash);
        record->next = position;
        record->previous = position->previous;
        position->previous = record;
        record->previous->next = record;
        Changed();
        return record;
    }

    T* FindHashed(std::string_view key, std::uint64_t hash) const {
        T* found = hashed_.Find(key, hash);
        return found != nullptr ? found : sentinel_;
    }

    // A new key joins the links at the end, to be put in order when they
    // are read.
    T* InsertUnordered(T* record, std::uint64_t hash) {
        Insert(sentinel_, record, hash);
        if (firstUnordered_ == nullptr) {
            firstUnordered_ = record;
            unordered_.store(true, std::memory_order_release);
        }
        return record;
    }

    // Puts the records that joined at the end in order among the others: a
    // merge sort of them, then a merge with the ordered ones, with no memory
    // taken. Links only move, so whatever was found stays found. Readers of
    // one list on several threads order it once, under the lock.
    void Order() const {
        if (!unordered_.load(std::memory_order_acquire))
            return;
        const std::lock_guard<std::mutex> lock(ordering_);
        if (firstUnordered_ == nullptr)
            return;
        // The ordered records and the unordered run, as two chains ended by
        // null.
        T* unordered = firstUnordered_;
        T* lastOrdered = unordered->previous;
        T* ordered = lastOrdered != sentinel_ ? sentinel_->next : nullptr;
        sentinel_->previous->next = nullptr;
        lastOrdered->next = nullptr;
        T* chain = Merge(ordered, SortChain(unordered));
        // Link the whole again, both ways.
        T* previous = sentinel_;
        for (T* p = chain; p != nullptr; p = p->next) {
            previous->next = p;
            p->previous = previous;
            previous = p;
        }
        previous->next = sentinel_;
        sentinel_->previous = previous;
        firstUnordered_ = nullptr;
        unordered_.store(false, std::memory_order_release);
    }

    static bool Before(const T* a, const T* b) { return KeyTextLess(T::Key(*a), T::Key(*b)); }

    // Two chains in key order, linked by next and ended by null, made one.
    static T* Merge(T* a, T* b) {
        T head;
        T* last = &head;
        while (a != nullptr && b != nullptr) {
            T*& first = Before(a, b) ? a : b;
            last->next = first;
            last = first;
            first = first->next;
        }
        last->next = a != nullptr ? a : b;
        return head.next;
    }

    // A chain linked by next and ended by null, in key order: runs of one,
    // two, four... records merged in turn, so that no recursion or memory
    // grows with its length.
    static T* SortChain(T* chain) {
        std::size_t length = 0;
        for (T* p = chain; p != nullptr; p = p->next)
            ++length;
        T head;
        head.next = chain;
        for (std::size_t run = 1; run < length; run *= 2) {
            T* last = &head;
            T* rest = head.next;
            while (rest != nullptr) {
                T* left = rest;
                T* right = Cut(left, run);
                rest = Cut(right, run);
                last->next = Merge(left, right);
                while (last->next != nullptr)
                    last = last->next;
            }
        }
        return head.next;
    }

    // Ends chain after count records; what followed, or null.
    static T* Cut(T* chain, std::size_t count) {
        for (std::size_t i = 1; chain != nullptr && i < count; ++i)
            chain = chain->next;
        if (chain == nullptr)
            return nullptr;
        T* rest = chain->next;
        chain->next = nullptr;
        return rest;
    }

    // Lists of different sessions change on different threads at once.
    void Changed() {
        stamp_ = lastStamp_.fetch_add(1, std::memory_order_relaxed) + 1;
        membership_ = stamp_;
    }

    // A cached handler or precedence of the stored record must be looked up
    // again.
    void DataChanged() { stamp_ = lastStamp_.fetch_add(1, std::memory_order_relaxed) + 1; }

    T* sentinel_;
    KeyHashIndex<T> hashed_;
    // The first of the records that joined at the end, out of order, or
    // null; all after it did too.
    mutable T* firstUnordered_ = nullptr;
    mutable std::atomic<bool> unordered_ = false;
    mutable std::mutex ordering_;
    std::uint64_t stamp_ = 0;
    std::uint64_t membership_ = 0;
    static inline std::atomic<std::uint64_t> lastStamp_ = 0;
};

}  // namespace expreval
