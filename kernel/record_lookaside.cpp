#include "kernel/record_lookaside.h"

#include "kernel/lookaside.h"

namespace zo::kernel {

RecordLookaside::RecordLookaside() {
    // Reserved now, so keeping a block never allocates.
    kept_.reserve(kLookasideDepth);
}

RecordLookaside::~RecordLookaside() {
    for (void* block : kept_) {
        ::operator delete(block, blockSize_);
    }
}

void* RecordLookaside::take(std::size_t size) {
    {
        std::lock_guard lock(mutex_);
        if (size == blockSize_ && !kept_.empty()) {
            void* block = kept_.back();
            kept_.pop_back();
            return block;
        }
    }
    return ::operator new(size);
}

void RecordLookaside::giveBack(void* block, std::size_t size) {
    {
        std::lock_guard lock(mutex_);
        if (kept_.empty()) {
            blockSize_ = size;
        }
        if (size == blockSize_ && kept_.size() < kLookasideDepth) {
            kept_.push_back(block);
            return;
        }
    }
    ::operator delete(block, size);
}

}  // namespace zo::kernel
