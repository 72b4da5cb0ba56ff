#include "json/hash_table.h"

#include <algorithm>
#include <array>

#include "json/name_hash.h"

namespace kvt::json {
namespace {

std::uint32_t DefaultHash(void*, std::u16string_view name) {
    return NameHash(name);
}

// FNV-1a over every byte of the name's units, U+0000 included.
std::uint32_t CheckHash(std::u16string_view name) {
    std::uint32_t h = 2166136261u;
    for (const char16_t unit : name) {
        h = (h ^ (unit & 0xFFu)) * 16777619u;
        h = (h ^ (static_cast<unsigned>(unit) >> 8)) * 16777619u;
    }
    return h;
}

int BucketOf(std::uint32_t hash) {
    return static_cast<int>(hash & 0xFF);
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

// The order of keys: bucket, then hash, then (with a name source) second hash and name.
class TqxHashTable::KeyOrder {
  public:
    explicit KeyOrder(const TqxHashTable& table) : table_(table) {}

    bool operator()(const HashEntry& a, const HashEntry& b) const { return Compare(a, b) < 0; }

    int Compare(const HashEntry& a, const HashEntry& b) const {
        ++table_.key_comparisons_;
        const int ba = BucketOf(a.Hash);
        const int bb = BucketOf(b.Hash);
        if (ba != bb) {
            return ba < bb ? -1 : 1;
        }
        if (a.Hash != b.Hash) {
            return a.Hash < b.Hash ? -1 : 1;
        }
        if (table_.name_source_ == nullptr) {
            return 0;
        }
        if (a.Check != b.Check) {
            return a.Check < b.Check ? -1 : 1;
        }
        return CompareNames(NameAt(a.Position), NameAt(b.Position));
    }

    // A stored entry against a key of the same bucket; `name` decides only when both
    // hashes are equal.
    int CompareWith(const HashEntry& entry, const HashEntry& key, std::u16string_view name) const {
        ++table_.key_comparisons_;
        if (entry.Hash != key.Hash) {
            return entry.Hash < key.Hash ? -1 : 1;
        }
        if (entry.Check != key.Check) {
            return entry.Check < key.Check ? -1 : 1;
        }
        return CompareNames(NameAt(entry.Position), name);
    }

  private:
    // A position without a name sorts as the empty name.
    std::u16string_view NameAt(std::int32_t position) const {
        std::u16string_view name;
        if (!table_.name_source_(table_.name_context_, position, name)) {
            return {};
        }
        return name;
    }

    static int CompareNames(std::u16string_view a, std::u16string_view b) {
        const int order = a.compare(b);
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }

    const TqxHashTable& table_;
};

namespace {

// Sorts entries[first, end) (stores in their order) into the sorted, distinct
// entries[0, first); of equal keys the one stored last stays.
void MergeStores(std::vector<HashEntry>& entries, std::size_t first,
                 const auto& order /* TqxHashTable::KeyOrder */) {
    if ((entries.size() - first) * 16 <= first) {
        // A few stores into many entries: each finds its place by bisection.
        const std::vector<HashEntry> stores(entries.begin() + static_cast<std::ptrdiff_t>(first),
                                            entries.end());
        entries.resize(first);
        for (const HashEntry& store : stores) {
            const auto at = std::upper_bound(entries.begin(), entries.end(), store, order);
            if (at != entries.begin() && order.Compare(*(at - 1), store) == 0) {
                *(at - 1) = store;
            } else {
                entries.insert(at, store);
            }
        }
        return;
    }
    const auto middle = entries.begin() + static_cast<std::ptrdiff_t>(first);
    std::stable_sort(middle, entries.end(), order);
    std::inplace_merge(entries.begin(), middle, entries.end(), order);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (kept > 0 && order.Compare(entries[kept - 1], entries[i]) == 0) {
            entries[kept - 1] = entries[i];
        } else {
            entries[kept++] = entries[i];
        }
    }
    entries.resize(kept);
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
    entries_.reset();
}

TqxHashTable::Entries& TqxHashTable::MadeEntries() {
    if (!entries_) {
        entries_ = std::make_unique<Entries>();
    }
    return *entries_;
}

void TqxHashTable::Reserve(std::size_t count) {
    std::vector<HashEntry>& pending = MadeEntries().pending;
    pending.reserve(pending.size() + count);
}

void TqxHashTable::Store(std::u16string_view name, std::int32_t position) {
    MadeEntries().pending.push_back(
        {function_(context_, name), position, name_source_ ? CheckHash(name) : 0});
}

void TqxHashTable::Settle() const {
    if (!entries_ || entries_->pending.empty()) {
        return;
    }
    Entries& entries = *entries_;
    if (!entries.buckets && entries.small.size() + entries.pending.size() > kSmallLimit) {
        SpreadIntoBuckets();
    }
    const KeyOrder order(*this);
    if (!entries.buckets) {
        const std::size_t first = entries.small.size();
        entries.small.insert(entries.small.end(), entries.pending.begin(), entries.pending.end());
        MergeStores(entries.small, first, order);
    } else {
        // Each bucket that received stores merges them behind its sorted entries.
        constexpr std::size_t kUntouched = static_cast<std::size_t>(-1);
        std::array<std::size_t, kBucketCount> first_new;
        first_new.fill(kUntouched);
        for (const HashEntry& entry : entries.pending) {
            const auto b = static_cast<std::size_t>(BucketOf(entry.Hash));
            if (first_new[b] == kUntouched) {
                first_new[b] = entries.buckets[b].size();
            }
            entries.buckets[b].push_back(entry);
        }
        for (std::size_t b = 0; b < first_new.size(); ++b) {
            if (first_new[b] != kUntouched) {
                MergeStores(entries.buckets[b], first_new[b], order);
            }
        }
    }
    entries.pending.clear();
}

void TqxHashTable::SpreadIntoBuckets() const {
    Entries& entries = *entries_;
    entries.buckets = std::make_unique<std::vector<HashEntry>[]>(kBucketCount);
    for (const HashEntry& entry : entries.small) {
        entries.buckets[static_cast<std::size_t>(BucketOf(entry.Hash))].push_back(entry);
    }
    entries.small.clear();
    entries.small.shrink_to_fit();
}

std::span<const HashEntry> TqxHashTable::Bucket(int bucket) const {
    Settle();
    return BuiltBucket(bucket);
}

std::span<const HashEntry> TqxHashTable::BuiltBucket(int bucket) const {
    if (!entries_) {
        return {};
    }
    if (entries_->buckets) {
        return entries_->buckets[static_cast<std::size_t>(bucket)];
    }
    const std::vector<HashEntry>& small = entries_->small;
    const auto by_bucket = [](const HashEntry& entry, int b) { return BucketOf(entry.Hash) < b; };
    const auto first = std::lower_bound(small.begin(), small.end(), bucket, by_bucket);
    auto last = first;
    while (last != small.end() && BucketOf(last->Hash) == bucket) {
        ++last;
    }
    return {first, last};
}

bool TqxHashTable::Locate(std::u16string_view name, std::uint32_t& hash, int& bucket,
                          int& place) const {
    Settle();
    hash = function_(context_, name);
    bucket = BucketOf(hash);
    const std::span<const HashEntry> entries = BuiltBucket(bucket);
    if (name_source_ == nullptr) {
        place = SearchBucket(entries, hash);
        return place >= 0;
    }
    // Entries of equal hash are in (second hash, name) order: one bisection finds the
    // name, reading names only where both hashes match.
    const HashEntry key{hash, 0, CheckHash(name)};
    const KeyOrder order(*this);
    std::size_t lo = 0;
    std::size_t hi = entries.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const int c = order.CompareWith(entries[mid], key, name);
        if (c == 0) {
            place = static_cast<int>(mid);
            return true;
        }
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    place = -1;
    return false;
}

std::int32_t TqxHashTable::Find(std::u16string_view name) const {
    std::uint32_t hash = 0;
    int bucket = 0;
    int place = 0;
    if (!Locate(name, hash, bucket, place)) {
        return -1;
    }
    return BuiltBucket(bucket)[static_cast<std::size_t>(place)].Position;
}

}  // namespace kvt::json
