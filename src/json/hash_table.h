#pragma once
// The name index of a JSON object: 256 buckets chosen by the low byte of the name's hash,
// each kept sorted by hash. Keys compare by hash only, so two names with the same 32-bit
// hash count as the same key.

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
    // Removes every entry; the hash function stays.
    void Clear() { buckets_.reset(); }

    // The entries of one bucket, in ascending hash order.
    const std::vector<HashEntry>& Bucket(int bucket) const;

private:
    HashFunctionType function_;
    void* context_ = nullptr;
    // The 256 bucket lists are allocated on the first Store: most objects of a document are
    // small and never need them, and an empty index costs one pointer.
    std::unique_ptr<std::vector<HashEntry>[]> buckets_;
};

}  // namespace kvt::json
