#pragma once
// The name index of a JSON object: 256 buckets chosen by the low byte of the name's hash,
// each kept sorted by hash, scanned below 25 entries and bisected from 25.
//
// The name hash takes fewer than 2^17 values and stops at a U+0000 unit, so different
// names of a large object often share a hash, and text can make any number of them do
// so. With a name source installed (every object installs one) a hash match is confirmed
// by comparing the names: different names with one hash are separate keys, kept next to
// each other in name order, so finding or adding one costs a bisection by name however
// many names share the hash. A second hash of the whole name orders such a run first, so
// that a lookup mostly reads one name. Without a name source, keys compare by hash only.
//
// Stores are collected and sorted into the buckets in one batch by the first lookup that
// follows them; the latest position stored for a key wins, as if each store had been
// applied in turn. Most objects of a document have a handful of members: until the index
// holds kSmallLimit entries, all buckets live in one vector ordered by (bucket, hash), so
// a small object costs one small allocation instead of 256 lists.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace kvt::json {

struct HashEntry {
    std::uint32_t Hash;
    std::int32_t Position;
    // A second hash of the whole name (with a name source): names sharing Hash are told
    // apart by it before any name is read.
    std::uint32_t Check = 0;
};

class TqxHashTable {
  public:
    using HashFunctionType = std::uint32_t (*)(void* context, std::u16string_view name);
    // Gives the name stored at a position; false when there is none.
    using NameSourceType = bool (*)(const void* context, std::int32_t position,
                                    std::u16string_view& name);
    static constexpr int kBucketCount = 256;
    // Buckets with fewer entries are scanned; from this size on they are bisected.
    static constexpr std::size_t kBisectFrom = 25;
    static constexpr std::size_t kSmallLimit = 64;

    TqxHashTable();

    // Records `position` for `name`; a name already present gets its position replaced.
    // With a name source, the source must give `name` at `position`.
    void Store(std::u16string_view name, std::int32_t position);
    // The position stored for `name`, or -1.
    std::int32_t Find(std::u16string_view name) const;
    // Whether the name is present; `place` is the matching entry's index in `bucket`.
    bool Locate(std::u16string_view name, std::uint32_t& hash, int& bucket, int& place) const;
    void SetHashFunction(HashFunctionType function, void* context);
    void SetNameSource(NameSourceType source, const void* context);
    // Removes every entry; the hash and name functions stay.
    void Clear();
    // Prepares room for `count` more stores.
    void Reserve(std::size_t count);

    // The entries of one bucket, in ascending hash order.
    std::span<const HashEntry> Bucket(int bucket) const;

    // How many times two keys have been compared since construction (by hash, second hash
    // or name, in sorting stores in and in lookups); lets tests bound the work of stores
    // and lookups without timing them.
    std::uint64_t KeyComparisons() const { return key_comparisons_; }

  private:
    class KeyOrder;

    struct Entries;
    Entries& MadeEntries();
    std::span<const HashEntry> BuiltBucket(int bucket) const;
    // Sorts the entries stored since the last lookup into the buckets.
    void Settle() const;
    void SpreadIntoBuckets() const;

    HashFunctionType function_;
    void* context_ = nullptr;
    NameSourceType name_source_ = nullptr;
    const void* name_context_ = nullptr;
    struct Entries {
        std::vector<HashEntry> pending;  // stores not yet sorted in, in store order
        std::vector<HashEntry> small;    // all entries, ordered by (bucket, hash), while small
        std::unique_ptr<std::vector<HashEntry>[]> buckets;  // the 256 lists, once large
    };

    // Made by the first store, so that an object never searched by name stays small. The
    // index is settled lazily from const lookups; a tree is used by one thread at a time,
    // so this needs no lock.
    mutable std::unique_ptr<Entries> entries_;
    mutable std::uint64_t key_comparisons_ = 0;
};

}  // namespace kvt::json
