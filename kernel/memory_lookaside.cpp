#include "kernel/memory_lookaside.h"

#include <algorithm>
#include <cstdlib>

#include "kernel/lookaside.h"

namespace zo::kernel {

MemoryLookaside::MemoryLookaside() {
    // Reserved now, so keeping a block never allocates.
    for (auto& kept : kept_) {
        kept.reserve(kLookasideDepth);
    }
}

MemoryLookaside::~MemoryLookaside() {
    for (const auto& kept : kept_) {
        for (void* block : kept) {
            std::free(block);
        }
    }
}

std::size_t MemoryLookaside::classOf(std::size_t size) {
    return (std::max<std::size_t>(size, 1) - 1) / kSizeClass;
}

void* MemoryLookaside::take(std::size_t size) {
    if (size > kLargestKept) {
        return std::malloc(size);
    }
    {
        std::lock_guard lock(mutex_);
        auto& kept = kept_[classOf(size)];
        if (!kept.empty()) {
            void* block = kept.back();
            kept.pop_back();
            return block;
        }
    }
    // Room for any size of its class, so that the block can serve them all once released.
    return std::malloc((classOf(size) + 1) * kSizeClass);
}

void MemoryLookaside::giveBack(void* block, std::size_t size) {
    if (size <= kLargestKept) {
        std::lock_guard lock(mutex_);
        auto& kept = kept_[classOf(size)];
        if (kept.size() < kLookasideDepth) {
            kept.push_back(block);
            return;
        }
    }
    std::free(block);
}

}  // namespace zo::kernel
