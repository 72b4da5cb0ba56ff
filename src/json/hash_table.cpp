#include "json/hash_table.h"

#include "json/name_hash.h"

namespace kvt::json {
namespace {

std::uint32_t DefaultHash(void*, std::u16string_view name) {
    return NameHash(name);
}

const std::vector<HashEntry> kNoEntries;

// Index of the entry whose hash equals `hash` in a bucket sorted by hash, or -1.
int SearchBucket(const std::vector<HashEntry>& entries, std::uint32_t hash) {
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

const std::vector<HashEntry>& TqxHashTable::Bucket(int bucket) const {
    return buckets_ ? buckets_[static_cast<std::size_t>(bucket)] : kNoEntries;
}

void TqxHashTable::SetNameSource(NameSourceType source, const void* context) {
    name_source_ = source;
    name_context_ = context;
}

bool TqxHashTable::Locate(std::u16string_view name, std::uint32_t& hash, int& bucket,
                          int& place) const {
    hash = function_(context_, name);
    bucket = static_cast<int>(hash & 0xFF);
    const auto& entries = Bucket(bucket);
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
        buckets_[static_cast<std::size_t>(bucket)][static_cast<std::size_t>(place)].Position =
            position;
        return;
    }
    if (!buckets_) {
        buckets_ = std::make_unique<std::vector<HashEntry>[]>(kBucketCount);
    }
    auto& entries = buckets_[static_cast<std::size_t>(bucket)];
    entries.push_back({hash, position});
    // Move the new entry down to keep the bucket sorted by ascending hash; it stays behind
    // entries with an equal hash.
    for (std::size_t i = entries.size() - 1; i > 0 && entries[i].Hash < entries[i - 1].Hash; --i) {
        std::swap(entries[i], entries[i - 1]);
    }
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
