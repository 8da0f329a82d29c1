#include "kernel/pool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "kernel/bugcheck.h"
#include "kernel/machine.h"

PVOID ExAllocatePoolWithTag(POOL_TYPE, SIZE_T size, ULONG tag) {
    return zo::kernel::Machine::current().pool().allocate(size, tag);
}

void ExFreePool(PVOID block) {
    zo::kernel::Machine::current().pool().free(block);
}

namespace zo::kernel {

Pool::~Pool() {
    for (auto& [block, info] : blocks_) {
        std::free(block);
    }
}

bool Pool::admitAllocation() {
    std::lock_guard lock(mutex_);
    return admitLocked();
}

bool Pool::admitLocked() {
    ++allocations_;
    if (failAt_ != 0 && allocations_ == failAt_) {
        failAt_ = 0;
        return false;
    }
    return true;
}

void* Pool::allocate(std::size_t size, ULONG tag) {
    std::lock_guard lock(mutex_);
    if (!admitLocked()) {
        return nullptr;
    }
    // Fresh pool memory holds garbage on Windows; a recognisable pattern makes a driver that
    // forgets to fill a field fail its tests instead of passing by luck.
    void* block = std::malloc(std::max<std::size_t>(size, 1));
    if (block == nullptr) {
        return nullptr;
    }
    std::memset(block, 0xCD, size);
    blocks_.emplace(block, Block{size, tag});
    return block;
}

void Pool::free(void* block) {
    std::lock_guard lock(mutex_);
    const auto found = blocks_.find(block);
    if (found == blocks_.end()) {
        bugCheck("ExFreePool of a block that is not allocated from the pool");
    }
    blocks_.erase(found);
    std::free(block);
}

std::size_t Pool::outstanding() const {
    std::lock_guard lock(mutex_);
    return blocks_.size();
}

std::size_t Pool::outstanding(ULONG tag) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(blocks_.begin(), blocks_.end(),
                      [tag](const auto& entry) { return entry.second.tag == tag; }));
}

std::size_t Pool::allocationCount() const {
    std::lock_guard lock(mutex_);
    return allocations_;
}

void Pool::failAllocation(std::size_t n) {
    std::lock_guard lock(mutex_);
    failAt_ = n == 0 ? 0 : allocations_ + n;
}

}  // namespace zo::kernel
