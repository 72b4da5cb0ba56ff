#pragma once
// The name index of a JSON object: 256 buckets chosen by the low byte of the name's hash,
// each kept sorted by hash, scanned below 25 entries and bisected from 25.
//
// The name hash takes fewer than 2^17 values, so different names of a large object often
// share a hash. With a name source installed (every object installs one) a hash match is
// confirmed by comparing the names, and different names with one hash are separate keys
// kept next to each other. Without a name source, keys compare by hash only.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kvt::json {

struct HashEntry {
    std::uint32_t Hash;
    std::int32_t Position;
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

    TqxHashTable();

    // Records `position` for `name`; a name whose hash is present gets its position replaced.
    void Store(std::u16string_view name, std::int32_t position);
    // The position stored for `name`, or -1.
    std::int32_t Find(std::u16string_view name) const;
    // Whether the name's hash is present; `place` is the matching entry's index in `bucket`.
    bool Locate(std::u16string_view name, std::uint32_t& hash, int& bucket, int& place) const;
    void SetHashFunction(HashFunctionType function, void* context);
    void SetNameSource(NameSourceType source, const void* context);
    // Removes every entry; the hash function stays.
    void Clear() { buckets_.reset(); }

    // The entries of one bucket, in ascending hash order.
    const std::vector<HashEntry>& Bucket(int bucket) const;

  private:
    HashFunctionType function_;
    void* context_ = nullptr;
    NameSourceType name_source_ = nullptr;
    const void* name_context_ = nullptr;
    // The 256 bucket lists are allocated on the first Store: most objects of a document are
    // small and never need them, and an empty index costs one pointer.
    std::unique_ptr<std::vector<HashEntry>[]> buckets_;
};

}  // namespace kvt::json
