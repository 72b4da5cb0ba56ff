#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "json/hash_table.h"
#include "json/name_hash.h"
#include "json/reader.h"
#include "json/value.h"

namespace kvt::json {
namespace {

WideString Wide(const std::string& ascii) {
    return WideString(ascii.begin(), ascii.end());
}

// prefix + decimal number, as a wide name.
WideString Numbered(const char* prefix, int number) {
    std::string name(prefix);
    name += std::to_string(number);
    return Wide(name);
}

TEST(NameHash, MatchesKnownValuesAndStopsAtNul) {
    EXPECT_EQ(NameHash(u""), 0u);
    EXPECT_EQ(NameHash(u"abc"), 12431u);
    EXPECT_EQ(NameHash(u"abc") & 0xFF, 143u);
    EXPECT_EQ(NameHash(std::u16string_view(u"abc\0def", 7)), 12431u);
    EXPECT_NE(NameHash(u"abc"), NameHash(u"ABC"));
    // The table is a permutation of 0..255.
    std::array<int, 256> seen{};
    for (const auto v : NameHashTable) {
        ++seen[v];
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
}

// Names that share one bucket, found by trying names until `count` share bucket `bucket`.
std::vector<WideString> NamesInBucket(int bucket, std::size_t count) {
    std::vector<WideString> names;
    std::map<std::uint32_t, bool> hashes;
    for (int i = 0; names.size() < count; ++i) {
        WideString name = Numbered("member", i);
        const std::uint32_t hash = NameHash(name);
        if (static_cast<int>(hash & 0xFF) == bucket && !hashes[hash]) {
            hashes[hash] = true;
            names.push_back(std::move(name));
        }
    }
    return names;
}

TEST(TqxHashTable, BucketsStaySortedAndFindEveryNameAcrossTheBisectionThreshold) {
    const auto names = NamesInBucket(143, 60);
    TqxHashTable table;
    for (std::size_t i = 0; i < names.size(); ++i) {
        table.Store(names[i], static_cast<std::int32_t>(i));
        // Every stored name stays findable as the bucket grows past the scan limit.
        for (std::size_t j = 0; j <= i; ++j) {
            ASSERT_EQ(table.Find(names[j]), static_cast<std::int32_t>(j)) << i << " " << j;
        }
    }
    const auto bucket = table.Bucket(143);
    ASSERT_EQ(bucket.size(), 60u);
    EXPECT_TRUE(
        std::is_sorted(bucket.begin(), bucket.end(),
                       [](const HashEntry& a, const HashEntry& b) { return a.Hash < b.Hash; }));
    std::uint32_t hash = 0;
    int bucket_number = 0;
    int place = 0;
    EXPECT_TRUE(table.Locate(names[30], hash, bucket_number, place));
    EXPECT_EQ(bucket[static_cast<std::size_t>(place)].Hash, NameHash(names[30]));
    EXPECT_EQ(table.Find(u"absent"), -1);
    EXPECT_FALSE(table.Locate(u"absent", hash, bucket_number, place));
}

std::uint32_t ConstantHash(void* context, std::u16string_view) {
    return *static_cast<std::uint32_t*>(context);
}

TEST(TqxHashTable, WithoutANameSourceKeysCompareByHashAndTheLatestPositionWins) {
    std::uint32_t seven = 7;
    TqxHashTable table;
    table.SetHashFunction(&ConstantHash, &seven);
    table.Store(u"one", 1);
    table.Store(u"two", 2);  // same hash: the same key
    EXPECT_EQ(table.Find(u"anything"), 2);
    EXPECT_EQ(table.Bucket(7).size(), 1u);
}

TEST(TqxHashTable, WithANameSourceDifferentNamesSharingAHashStaySeparate) {
    const std::vector<std::u16string> names = {u"one", u"two", u"three"};
    std::uint32_t seven = 7;
    TqxHashTable table;
    table.SetHashFunction(&ConstantHash, &seven);
    table.SetNameSource(
        [](const void* context, std::int32_t position, std::u16string_view& name) {
            const auto& all = *static_cast<const std::vector<std::u16string>*>(context);
            if (position < 0 || position >= static_cast<std::int32_t>(all.size())) {
                return false;
            }
            name = all[static_cast<std::size_t>(position)];
            return true;
        },
        &names);
    for (std::int32_t i = 0; i < 3; ++i) {
        table.Store(names[static_cast<std::size_t>(i)], i);
    }
    EXPECT_EQ(table.Bucket(7).size(), 3u);
    EXPECT_EQ(table.Find(u"two"), 1);
    EXPECT_EQ(table.Find(u"three"), 2);
    EXPECT_EQ(table.Find(u"four"), -1);
}

TEST(TqxHashTable, ObjectMembersWhoseNamesCollideAreFoundByTheirOwnName) {
    // The hash has fewer than 2^17 values: find two names with the same hash.
    std::map<std::uint32_t, WideString> seen;
    WideString first;
    WideString second;
    for (int i = 0; first.empty(); ++i) {
        WideString name = Numbered("n", i);
        auto [it, fresh] = seen.emplace(NameHash(name), name);
        if (!fresh) {
            first = it->second;
            second = name;
        }
    }
    TqxJSONobject object(true);
    object.AddMember(first, std::int32_t{1});
    object.AddMember(second, std::int32_t{2});
    EXPECT_EQ(object.FindMember(first), 0);
    EXPECT_EQ(object.FindMember(second), 1);
    EXPECT_EQ(object.IntAt(0), 1);
}

TEST(TqxHashTable, NamesSharingBothHashesAreToldApartByTheNameItself) {
    // The name hash stops at U+0000, so every name that starts with it hashes to 0; these
    // two also share the second hash (0xF5469207, found by a birthday search), leaving
    // only the names themselves to tell them apart.
    const WideString first(u"\0wvedjzb", 8);
    const WideString second(u"\0ghqqycg", 8);
    const WideString third(u"\0another", 8);  // same name hash, its own second hash
    {
        const std::vector<std::u16string> names = {first, second};
        TqxHashTable table;
        table.SetNameSource(
            [](const void* context, std::int32_t position, std::u16string_view& name) {
                const auto& all = *static_cast<const std::vector<std::u16string>*>(context);
                name = all.at(static_cast<std::size_t>(position));
                return true;
            },
            &names);
        table.Store(first, 0);
        table.Store(second, 1);
        const auto bucket = table.Bucket(0);
        ASSERT_EQ(bucket.size(), 2u);
        ASSERT_TRUE(bucket[0].Hash == bucket[1].Hash && bucket[0].Check == bucket[1].Check)
            << "the two names no longer share both hashes";
        EXPECT_EQ(table.Find(first), 0);
        EXPECT_EQ(table.Find(second), 1);
    }
    const auto root = ParseJson(R"({"\u0000wvedjzb":1,"\u0000another":3,"\u0000ghqqycg":2})");
    ASSERT_NE(root, nullptr);
    auto& object = static_cast<TqxJSONobject&>(*root);
    EXPECT_EQ(object.FindMember(first), 0);
    EXPECT_EQ(object.FindMember(third), 1);
    EXPECT_EQ(object.FindMember(second), 2);
    // Added after the index is built, a fourth name of the same pair of hashes stays apart.
    const WideString absent(u"\0zzzzzzz", 8);
    EXPECT_EQ(object.FindMember(absent), -1);
    object.AddMember(second, std::int32_t{4});
    EXPECT_EQ(object.FindMember(second), 3);
    EXPECT_EQ(object.FindMember(first), 0);
}

// Hash = the number in the name times 256: every entry lands in bucket 0 with its own
// hash, so bisection runs over a long bucket whatever order the entries arrive in.
std::uint32_t NumberTimes256(void*, std::u16string_view name) {
    std::uint32_t n = 0;
    for (const char16_t c : name) {
        n = n * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    return n * 256;
}

TEST(TqxHashTable, BisectionFindsEntriesInAnyInsertionOrder) {
    TqxHashTable table;
    table.SetHashFunction(&NumberTimes256, nullptr);
    std::vector<int> order;
    for (int i = 0; i < 200; ++i) {
        order.push_back((i * 73) % 200);  // a fixed shuffle
    }
    for (const int n : order) {
        table.Store(Wide(std::to_string(n)), n);
    }
    for (int n = 0; n < 200; ++n) {
        EXPECT_EQ(table.Find(Wide(std::to_string(n))), n);
    }
    EXPECT_EQ(table.Find(u"200"), -1);
}

// Names that differ only after a U+0000 unit: they all hash like the empty name.
WideString Colliding(int number) {
    WideString name(1, u'\0');
    return name + Numbered("", number);
}

TEST(TqxHashTable, NamesSharingOneHashCostABisectionEachNotAScan) {
    constexpr int kMembers = 4096;
    constexpr std::uint64_t kBisection = 13;  // comparisons to bisect 4096 keys, and one more
    TqxJSONobject object(true);
    for (int i = 0; i < kMembers; ++i) {
        object.AddMember(Colliding(i), std::int32_t{i});
    }
    object.AddMember(Colliding(7), std::int32_t{-7});  // repeated: lookups find this one
    const TqxHashTable& index = object.NameIndex();

    // The first lookup sorts every store in: n log n comparisons, where scanning the
    // entries that share the hash at each store took n^2 / 2 (8 million here).
    std::uint64_t count = index.KeyComparisons();
    EXPECT_EQ(object.FindMember(Colliding(1)), 1);
    EXPECT_LE(index.KeyComparisons() - count, 3 * kMembers * kBisection);
    EXPECT_EQ(index.Bucket(0).size(), static_cast<std::size_t>(kMembers));

    for (int i = 0; i < kMembers; i += 61) {
        count = index.KeyComparisons();
        EXPECT_EQ(object.FindMember(Colliding(i)), i == 7 ? kMembers : i);
        EXPECT_LE(index.KeyComparisons() - count, kBisection) << i;
    }
    EXPECT_EQ(object.IntAt(7), -7);
    EXPECT_EQ(object.FindMember(Colliding(kMembers)), -1);

    // Members added one at a time between lookups cost a bisection each as well.
    for (int i = kMembers; i < kMembers + 100; ++i) {
        count = index.KeyComparisons();
        object.AddMember(Colliding(i), std::int32_t{i});
        EXPECT_EQ(object.FindMember(Colliding(i)), i + 1);
        EXPECT_LE(index.KeyComparisons() - count, 2 * kBisection + 1) << i;
    }
}

TEST(TqxHashTable, ObjectLookupStaysCorrectWithManyMembers) {
    TqxJSONobject object(true);
    for (int i = 0; i < 20000; ++i) {
        object.AddMember(Numbered("m", i), std::int32_t{i});
    }
    for (int i = 0; i < 20000; i += 7) {
        EXPECT_EQ(object.FindMember(Numbered("m", i)), i);
    }
}

}  // namespace
}  // namespace kvt::json
