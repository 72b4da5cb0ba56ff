#include "json/hash_table.h"

#include <algorithm>

#include "json/name_hash.h"

namespace kvt::json {
namespace {

std::uint32_t DefaultHash(void*, std::u16string_view name) {
    return NameHash(name);
}

int BucketOf(std::uint32_t hash) {
    return static_cast<int>(hash & 0xFF);
}

// Orders entries by bucket, then by hash.
bool SmallOrder(const HashEntry& a, const HashEntry& b) {
    const int ba = BucketOf(a.Hash);
    const int bb = BucketOf(b.Hash);
    return ba != bb ? ba < bb : a.Hash < b.Hash;
}

// Index of an entry whose hash equals `hash` in a bucket sorted by hash, or -1.
int SearchBucket(std::span<const HashEntry> entries, std::uint32_t hash) {
    const std::size_t n = entries.size();
    if (n < TqxHashTable::kBisectFrom) {
        for (std::size_t i = 0; i < n; ++i) {
            if (entries[i].Hash == hash) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    std::size_t lo = 0;
    std::size_t hi = n - 1;
    for (;;) {
        if (entries[lo].Hash == hash) {
            return static_cast<int>(lo);
        }
        if (entries[hi].Hash == hash) {
            return static_cast<int>(hi);
        }
        if (hi - lo < 2) {
            return -1;
        }
        const std::size_t mid = (lo + hi) / 2;
        if (entries[mid].Hash > hash) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
}

}  // namespace

TqxHashTable::TqxHashTable() : function_(&DefaultHash) {}

void TqxHashTable::SetHashFunction(HashFunctionType function, void* context) {
    function_ = function;
    context_ = context;
}

void TqxHashTable::SetNameSource(NameSourceType source, const void* context) {
    name_source_ = source;
    name_context_ = context;
}

void TqxHashTable::Clear() {
    small_.clear();
    buckets_.reset();
}

void TqxHashTable::Reserve(std::size_t count) {
    if (!buckets_ && count <= kSmallLimit) {
        small_.reserve(count);
    }
}

std::span<const HashEntry> TqxHashTable::Bucket(int bucket) const {
    if (buckets_) {
        return buckets_[static_cast<std::size_t>(bucket)];
    }
    const auto by_bucket = [](const HashEntry& entry, int b) { return BucketOf(entry.Hash) < b; };
    const auto first = std::lower_bound(small_.begin(), small_.end(), bucket, by_bucket);
    auto last = first;
    while (last != small_.end() && BucketOf(last->Hash) == bucket) {
        ++last;
    }
    return {first, last};
}

std::span<HashEntry> TqxHashTable::MutableBucket(int bucket) {
    const std::span<const HashEntry> entries = Bucket(bucket);
    return {const_cast<HashEntry*>(entries.data()), entries.size()};
}

bool TqxHashTable::Locate(std::u16string_view name, std::uint32_t& hash, int& bucket,
                          int& place) const {
    hash = function_(context_, name);
    bucket = BucketOf(hash);
    const std::span<const HashEntry> entries = Bucket(bucket);
    place = SearchBucket(entries, hash);
    if (place < 0 || name_source_ == nullptr) {
        return place >= 0;
    }
    // Entries with an equal hash are adjacent: confirm the name within that run.
    auto first = static_cast<std::size_t>(place);
    while (first > 0 && entries[first - 1].Hash == hash) {
        --first;
    }
    for (std::size_t i = first; i < entries.size() && entries[i].Hash == hash; ++i) {
        std::u16string_view stored;
        if (name_source_(name_context_, entries[i].Position, stored) && stored == name) {
            place = static_cast<int>(i);
            return true;
        }
    }
    place = -1;
    return false;
}

void TqxHashTable::Store(std::u16string_view name, std::int32_t position) {
    std::uint32_t hash = 0;
    int bucket = 0;
    int place = 0;
    if (Locate(name, hash, bucket, place)) {
        MutableBucket(bucket)[static_cast<std::size_t>(place)].Position = position;
        return;
    }
    Insert(bucket, {hash, position});
}

// Adds a new entry behind any entries of equal hash, keeping the order sorted.
void TqxHashTable::Insert(int bucket, HashEntry entry) {
    if (!buckets_ && small_.size() >= kSmallLimit) {
        SpreadIntoBuckets();
    }
    if (!buckets_) {
        small_.insert(std::upper_bound(small_.begin(), small_.end(), entry, SmallOrder), entry);
        return;
    }
    auto& entries = buckets_[static_cast<std::size_t>(bucket)];
    const auto by_hash = [](const HashEntry& a, const HashEntry& b) { return a.Hash < b.Hash; };
    entries.insert(std::upper_bound(entries.begin(), entries.end(), entry, by_hash), entry);
}

void TqxHashTable::SpreadIntoBuckets() {
    buckets_ = std::make_unique<std::vector<HashEntry>[]>(kBucketCount);
    for (const HashEntry& entry : small_) {
        buckets_[static_cast<std::size_t>(BucketOf(entry.Hash))].push_back(entry);
    }
    small_.clear();
    small_.shrink_to_fit();
}

std::int32_t TqxHashTable::Find(std::u16string_view name) const {
    std::uint32_t hash = 0;
    int bucket = 0;
    int place = 0;
    if (!Locate(name, hash, bucket, place)) {
        return -1;
    }
    return Bucket(bucket)[static_cast<std::size_t>(place)].Position;
}

}  // namespace kvt::json
