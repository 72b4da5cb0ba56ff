#include "json/node_pool.h"

#include <array>
#include <atomic>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define KVT_PLAIN_NODE_ALLOCATION 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KVT_PLAIN_NODE_ALLOCATION 1
#endif
#endif

namespace kvt::json::detail {

#if defined(KVT_PLAIN_NODE_ALLOCATION)

void* AllocateNode(std::size_t size) {
    return ::operator new(size);
}

void FreeNode(void* node, std::size_t size) noexcept {
    ::operator delete(node, size);
}

#else

namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kClassCount = 8;  // blocks of 16, 32, ... 128 bytes
constexpr std::size_t kChunkBytes = 64 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

std::size_t ClassOf(std::size_t size) {
    return (size + kGranule - 1) / kGranule - 1;
}

// The depot is taken once per chunk of nodes and at thread ends, briefly; a spin lock is
// enough and, unlike std::mutex everywhere, can be constant-initialized.
class SpinLock {
  public:
    explicit SpinLock(std::atomic_flag& flag) : flag_(flag) {
        while (flag_.test_and_set(std::memory_order_acquire)) {
            std::this_thread::yield();
        }
    }
    SpinLock(const SpinLock&) = delete;
    SpinLock& operator=(const SpinLock&) = delete;
    ~SpinLock() { flag_.clear(std::memory_order_release); }

  private:
    std::atomic_flag& flag_;
};

// What all threads share: the chunks (kept for the life of the process) and the free
// blocks of threads that have ended.
class Depot {
  public:
    static Depot& Instance();

    // A list of free blocks of the class: left over by an ended thread, else a new chunk.
    FreeBlock* Refill(std::size_t size_class) {
        const SpinLock lock(busy_);
        if (FreeBlock* const spare = spare_[size_class]) {
            spare_[size_class] = nullptr;
            return spare;
        }
        const std::size_t block = (size_class + 1) * kGranule;
        auto* const chunk = static_cast<unsigned char*>(::operator new(kChunkBytes));
        chunks_.push_back(chunk);
        FreeBlock* head = nullptr;
        for (std::size_t offset = kChunkBytes / block * block; offset >= block;) {
            offset -= block;
            auto* const free_block = reinterpret_cast<FreeBlock*>(chunk + offset);
            free_block->next = head;
            head = free_block;
        }
        return head;
    }

    void Return(std::size_t size_class, FreeBlock* head) {
        if (head == nullptr) {
            return;
        }
        FreeBlock* tail = head;
        while (tail->next != nullptr) {
            tail = tail->next;
        }
        const SpinLock lock(busy_);
        tail->next = spare_[size_class];
        spare_[size_class] = head;
    }

  private:
    std::atomic_flag busy_;
    std::vector<unsigned char*> chunks_;
    std::array<FreeBlock*, kClassCount> spare_{};
};

// The depot is never destroyed: nodes may still be freed while the program's statics are.
union DepotStorage {
    constexpr DepotStorage() : depot() {}
    ~DepotStorage() {}
    Depot depot;
};
constinit DepotStorage depot_storage;

Depot& Depot::Instance() {
    return depot_storage.depot;
}

// Each thread's free blocks. Trivially destructible, so a node freed while the thread ends
// (or while the program's statics are destroyed) still finds it.
struct ThreadLists {
    std::array<FreeBlock*, kClassCount> free;
    bool registered;
    bool ended;
};
thread_local ThreadLists lists{};

// Hands the blocks of an ending thread to the depot; later nodes of that thread go
// through the depot directly.
struct ThreadEnd {
    ThreadEnd() = default;
    ThreadEnd(const ThreadEnd&) = delete;
    ThreadEnd& operator=(const ThreadEnd&) = delete;
    ~ThreadEnd() {
        for (std::size_t c = 0; c < kClassCount; ++c) {
            Depot::Instance().Return(c, std::exchange(lists.free[c], nullptr));
        }
        lists.ended = true;
    }
};

void RegisterThreadEnd() {
    thread_local ThreadEnd end;
    lists.registered = true;
}

void* TakeBlock(std::size_t size_class) {
    FreeBlock*& head = lists.free[size_class];
    if (head == nullptr) {
        if (!lists.registered) {
            RegisterThreadEnd();
        }
        head = Depot::Instance().Refill(size_class);
    }
    FreeBlock* const block = head;
    head = block->next;
    if (lists.ended) {
        Depot::Instance().Return(size_class, std::exchange(head, nullptr));
    }
    return block;
}

void GiveBlock(std::size_t size_class, void* node) {
    auto* const block = static_cast<FreeBlock*>(node);
    if (lists.ended) {
        block->next = nullptr;
        Depot::Instance().Return(size_class, block);
        return;
    }
    block->next = lists.free[size_class];
    lists.free[size_class] = block;
}

}  // namespace

void* AllocateNode(std::size_t size) {
    const std::size_t size_class = ClassOf(size);
    return size_class < kClassCount ? TakeBlock(size_class) : ::operator new(size);
}

void FreeNode(void* node, std::size_t size) noexcept {
    const std::size_t size_class = ClassOf(size);
    if (size_class < kClassCount) {
        GiveBlock(size_class, node);
    } else {
        ::operator delete(node, size);
    }
}

#endif

}  // namespace kvt::json::detail
