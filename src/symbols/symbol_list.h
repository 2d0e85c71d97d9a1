// SymbolList: the sorted, intrusive, circular doubly linked list that holds
// the functions, the operators and the variables. One sentinel record marks
// both ends; the list owns every record linked into it. An index by key sits
// beside the links, so that finding a record or the place of a new key takes
// a search of the index, not a walk: a session may hold many thousands of
// variables. The links keep the order for those that read it (listing,
// completion).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <memory_resource>
#include <string_view>
#include <utility>

#include "symbols/key_text.h"

namespace expreval {

// T provides next and previous links and Key, a record's key text, which
// stays the same for as long as the record is in a list.
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
    // The same, but kept when a record only takes new data: the records
    // found stay where they are for as long as it is the same.
    std::uint64_t Membership() const { return membership_; }

    // Takes ownership of record; the caller keeps the key order and gives
    // no key twice.
    T* InsertBefore(T* position, T* record) {
        if (position == nullptr || record == nullptr)
            return nullptr;
        return Insert(index_.end(), position, record);
    }

    T* Append(T* record) { return InsertBefore(sentinel_, record); }

    // The stored record whose key equals key's, or the sentinel.
    T* Find(const T& key) const { return FindKey(T::Key(key)); }

    // The first record whose key is not less than key, a text already
    // normalised as the record constructor would make it, or the sentinel:
    // where InsertOrReplace stores a new key.
    T* LowerBound(std::string_view key) const {
        return RecordAt(index_.lower_bound(IndexKey(key)));
    }

    // Find for a normalised key text, without building a key record.
    T* FindKey(std::string_view key) const { return RecordAt(index_.find(IndexKey(key))); }

    // Stores record by key; an existing record of equal key takes its data
    // by the record's own assignment, which keeps its key and links, and
    // record is destroyed.
    T* InsertOrReplace(T* record) {
        std::unique_ptr<T> owned(record);
        const auto place = index_.lower_bound(IndexKey(T::Key(*record)));
        if (!Holds(place, T::Key(*record)))
            return Insert(place, RecordAt(place), owned.release());
        Replace(*place->second, std::move(*record));
        return place->second;
    }

    // The same without a record to replace with: the stored record of key,
    // a normalised key text, takes its new data through assign(record);
    // only a new key has make() build a record for the heap, of that key.
    // Replacing a value builds and allocates nothing.
    template <typename Make, typename Assign>
    T* InsertOrAssign(std::string_view key, Make make, Assign assign) {
        const auto place = index_.lower_bound(IndexKey(key));
        if (!Holds(place, key))
            return Insert(place, RecordAt(place), make());
        assign(*place->second);
        DataChanged();
        return place->second;
    }

    // Unlinks record, one of the list's, and destroys it. Its index node's
    // memory serves the next key indexed.
    void Remove(T* record) {
        index_.erase(IndexKey(T::Key(*record)));
        record->previous->next = record->next;
        record->next->previous = record->previous;
        if (tail_ == record)
            tail_ = record->previous;
        delete record;
        Changed();
    }

    // Destroys every record but the sentinel.
    void Clear() {
        index_.clear();
        nodes_.release();
        for (T* p = sentinel_->next; p != sentinel_;) {
            T* next = p->next;
            delete p;
            p = next;
        }
        sentinel_->next = sentinel_;
        sentinel_->previous = sentinel_;
        tail_ = sentinel_;
        Changed();
    }

  private:
    // A stored record's key: a view of its text, and its head, which settles
    // most comparisons in the index's own node, without reaching the text.
    struct IndexKey {
        explicit IndexKey(std::string_view key) : head(KeyHead(key)), text(key) {}
        std::uint64_t head;
        std::string_view text;
    };
    struct KeyOrder {
        bool operator()(const IndexKey& a, const IndexKey& b) const {
            return a.head != b.head ? a.head < b.head : KeyTextLess(a.text, b.text);
        }
    };
    using Index = std::pmr::map<IndexKey, T*, KeyOrder>;
    using Place = typename Index::const_iterator;

    T* RecordAt(Place place) const { return place == index_.end() ? sentinel_ : place->second; }

    bool Holds(Place place, std::string_view key) const {
        return place != index_.end() && place->first.text == key;
    }

    // Indexes record, at hint when that is its place in the index, and links
    // it before position. The record is the list's from here on: it is
    // destroyed when indexing fails for want of memory.
    T* Insert(Place hint, T* position, T* record) {
        std::unique_ptr<T> owned(record);
        index_.emplace_hint(hint, IndexKey(T::Key(*record)), record);
        owned.release();
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
        Changed();
        return record;
    }

    // Lists of different sessions change on different threads at once.
    void Changed() {
        stamp_ = lastStamp_.fetch_add(1, std::memory_order_relaxed) + 1;
        membership_ = stamp_;
    }

    // A cached handler or precedence of the stored record must be looked up
    // again.
    void Replace(T& stored, T&& record) {
        stored = std::move(record);
        DataChanged();
    }
    void DataChanged() { stamp_ = lastStamp_.fetch_add(1, std::memory_order_relaxed) + 1; }

    T* sentinel_;
    T* tail_;
    // The index's nodes lie together in blocks of their own, not among the
    // records, so that a search of many thousands of keys touches fewer
    // cache lines. A removed key's node is reused, so that a host adding and
    // removing variables in a loop does not grow; Clear gives back all.
    std::pmr::unsynchronized_pool_resource nodes_;
    Index index_{&nodes_};
    std::uint64_t stamp_ = 0;
    std::uint64_t membership_ = 0;
    static inline std::atomic<std::uint64_t> lastStamp_ = 0;
};

}  // namespace expreval
