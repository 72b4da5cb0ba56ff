#pragma once
// Storage for the tree's nodes. A parsed document is thousands of small nodes made and
// freed together; general-purpose malloc spends more time on them than the parser does on
// the text. Nodes come from per-thread free lists of fixed-size blocks carved from large
// chunks. Blocks freed on a thread serve that thread's next nodes; a thread that ends hands
// its free blocks to the others. Chunks stay with the process (peak node memory is kept for
// reuse, never returned to the system). Under AddressSanitizer every node is a plain
// allocation, so use-after-free is still caught.

#include <cstddef>

namespace kvt::json::detail {

void* AllocateNode(std::size_t size);
void FreeNode(void* node, std::size_t size) noexcept;

}  // namespace kvt::json::detail
