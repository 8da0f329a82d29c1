#pragma once
// A lookaside list of memory blocks of one size for the kernel's own small records that are made
// per request (the pending-rule checks of kernel/io_verification.h), with an allocator over it for
// std::allocate_shared. Once the list has filled, making and dropping such a record takes no heap
// memory. Under AddressSanitizer it keeps nothing (kernel/lookaside.h).

#include <cstddef>
#include <mutex>
#include <new>
#include <vector>

namespace zo::kernel {

class RecordLookaside {
  public:
    RecordLookaside();
    RecordLookaside(const RecordLookaside&) = delete;
    RecordLookaside& operator=(const RecordLookaside&) = delete;
    ~RecordLookaside();

    // A block of `size` bytes: a kept one when it has that size, else fresh from the heap.
    void* take(std::size_t size);
    // Keeps the block when there is room and it has the size of the blocks kept, else frees it.
    void giveBack(void* block, std::size_t size);

  private:
    std::mutex mutex_;
    std::size_t blockSize_ = 0;  // of the kept blocks; set by the first one kept
    std::vector<void*> kept_;
};

// The allocator std::allocate_shared rebinds to its record and control block: one block each.
template <typename T>
class RecordAllocator {
  public:
    using value_type = T;
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

    explicit RecordAllocator(RecordLookaside& list) : list_(&list) {}
    template <typename U>
    RecordAllocator(const RecordAllocator<U>& other) : list_(other.list_) {}

    T* allocate(std::size_t count) { return static_cast<T*>(list_->take(count * sizeof(T))); }
    void deallocate(T* block, std::size_t count) { list_->giveBack(block, count * sizeof(T)); }

    template <typename U>
    bool operator==(const RecordAllocator<U>& other) const {
        return list_ == other.list_;
    }

  private:
    template <typename U>
    friend class RecordAllocator;
    RecordLookaside* list_;
};

}  // namespace zo::kernel
