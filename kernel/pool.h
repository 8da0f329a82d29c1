#pragma once
// The kernel's memory pool. Every allocation is accounted by its four-character tag so that tests
// can prove a request released everything it took, and the n-th allocation can be made to fail to
// reach the out-of-memory paths. Released small blocks and their account records are kept for
// reuse (kernel/lookaside.h), so a driver that allocates a block per request reaches the heap
// only while the pool fills up.

#include <cstddef>
#include <map>
#include <mutex>
#include <vector>

#include "kernel/memory_lookaside.h"
#include "kernel/wdm_types.h"

// A pool tag from its four characters in memory order: PoolTag("Wdm ").
constexpr ULONG PoolTag(const char (&text)[5]) {
    return static_cast<ULONG>(static_cast<UCHAR>(text[0])) |
           static_cast<ULONG>(static_cast<UCHAR>(text[1])) << 8 |
           static_cast<ULONG>(static_cast<UCHAR>(text[2])) << 16 |
           static_cast<ULONG>(static_cast<UCHAR>(text[3])) << 24;
}

// Zero-initialised is not promised (as on Windows); callers fill what they allocate.
PVOID ExAllocatePoolWithTag(POOL_TYPE type, SIZE_T size, ULONG tag);
void ExFreePool(PVOID block);

namespace zo::kernel {

class Pool {
  public:
    Pool();
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    ~Pool();

    void* allocate(std::size_t size, ULONG tag);
    void free(void* block);

    // Allocations not yet released, in all or with one tag.
    std::size_t outstanding() const;
    std::size_t outstanding(ULONG tag) const;
    // Allocations made so far (successful or failed), for walking the failure paths.
    std::size_t allocationCount() const;

    // Makes the allocation `n` allocations from now (1 = the next one) fail; 0 cancels.
    void failAllocation(std::size_t n);
    // Counts one allocation made elsewhere (a request packet) and answers whether it may succeed.
    bool admitAllocation();

  private:
    struct Block {
        std::size_t size;
        ULONG tag;
    };
    using Blocks = std::map<void*, Block>;

    bool admitLocked();

    mutable std::mutex mutex_;
    Blocks blocks_;
    MemoryLookaside memory_;
    std::vector<Blocks::node_type> keptRecords_;
    std::size_t allocations_ = 0;
    std::size_t failAt_ = 0;
};

}  // namespace zo::kernel
