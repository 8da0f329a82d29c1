#include "kernel/pool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "kernel/bugcheck.h"
#include "kernel/lookaside.h"
#include "kernel/machine.h"

PVOID ExAllocatePoolWithTag(POOL_TYPE, SIZE_T size, ULONG tag) {
    return zo::kernel::Machine::current().pool().allocate(size, tag);
}

void ExFreePool(PVOID block) {
    zo::kernel::Machine::current().pool().free(block);
}

namespace zo::kernel {

Pool::Pool() {
    // Reserved now, so keeping a record never allocates.
    keptRecords_.reserve(kLookasideDepth);
}

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
    void* block = memory_.take(size);
    if (block == nullptr) {
        return nullptr;
    }
    // Fresh pool memory holds garbage on Windows; a recognisable pattern makes a driver that
    // forgets to fill a field fail its tests instead of passing by luck. Reused memory gets it too.
    std::memset(block, 0xCD, size);
    if (keptRecords_.empty()) {
        blocks_.emplace(block, Block{size, tag});
    } else {
        Blocks::node_type record = std::move(keptRecords_.back());
        keptRecords_.pop_back();
        record.key() = block;
        record.mapped() = Block{size, tag};
        blocks_.insert(std::move(record));
    }
    return block;
}

void Pool::free(void* block) {
    std::lock_guard lock(mutex_);
    Blocks::node_type record = blocks_.extract(block);
    if (record.empty()) {
        bugCheck("ExFreePool of a block that is not allocated from the pool");
    }
    memory_.giveBack(block, record.mapped().size);
    if (keptRecords_.size() < kLookasideDepth) {
        keptRecords_.push_back(std::move(record));
    }
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
