#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "json/reader.h"
#include "json/value.h"
#include "json/writer.h"

namespace kvt::json {
namespace {

// Enough nodes to span several chunks of every block size the tree uses.
std::string Document(int seed) {
    std::string text = "[";
    for (int i = 0; i < 5000; ++i) {
        text += (i > 0 ? "," : "");
        text += "{\"n\":" + std::to_string(seed * 10000 + i) + ",\"s\":\"text " +
                std::to_string(i) + "\",\"b\":true,\"z\":null,\"l\":[1,2]}";
    }
    return text + "]";
}

// Threads run at once, each freeing a tree another thread made in the round before and
// making its own; threads end with blocks in their free lists. Every tree reads back.
TEST(NodePool, TreesMoveBetweenThreadsThatComeAndGo) {
    constexpr std::size_t kThreads = 4;
    std::vector<std::unique_ptr<TqxJSONbase>> previous(kThreads);
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<TqxJSONbase>> current(kThreads);
        std::vector<std::thread> workers;
        for (std::size_t w = 0; w < kThreads; ++w) {
            workers.emplace_back([&, w, round] {
                previous[(w + 1) % kThreads].reset();
                current[w] = ParseJson(Document(round * 10 + static_cast<int>(w)));
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
        for (std::size_t w = 0; w < kThreads; ++w) {
            ASSERT_NE(current[w], nullptr);
            EXPECT_EQ(FormatJson(current[w].get()), Document(round * 10 + static_cast<int>(w)));
        }
        previous = std::move(current);
    }
    previous.clear();
    const auto again = ParseJson(Document(99));
    EXPECT_EQ(FormatJson(again.get()), Document(99));
}

// A tree that lives until the program's statics are destroyed is freed after the main
// thread's free lists have been handed back; the program must still end cleanly.
TEST(NodePool, TreeFreedDuringStaticDestruction) {
    static const auto kept = ParseJson("{\"a\":[1,\"x\",{\"b\":null}]}");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(FormatJson(kept.get()), "{\"a\":[1,\"x\",{\"b\":null}]}");
}

}  // namespace
}  // namespace kvt::json
