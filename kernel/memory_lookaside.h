#pragma once
// Released memory blocks kept for reuse by size class, as the Windows kernel keeps lookaside
// lists: the pool's small blocks and the I/O manager's records of dispatch calls come from such
// lists, so the common path of a request reaches the heap only while they fill up. Under
// AddressSanitizer nothing is kept (kernel/lookaside.h). Thread-safe.

#include <array>
#include <cstddef>
#include <mutex>
#include <new>
#include <vector>

namespace zo::kernel {

class MemoryLookaside {
  public:
    MemoryLookaside();
    MemoryLookaside(const MemoryLookaside&) = delete;
    MemoryLookaside& operator=(const MemoryLookaside&) = delete;
    ~MemoryLookaside();

    // Memory for `size` bytes: a kept block of its class, else fresh from the heap (null when
    // the heap has none). A block of a class has room for every size of the class.
    void* take(std::size_t size);
    // Keeps the block of `size` bytes when its class has room, else frees it.
    void giveBack(void* block, std::size_t size);

  private:
    // Blocks are kept by size class: sizes up to kLargestKept, rounded up to a multiple of
    // kSizeClass.
    static constexpr std::size_t kSizeClass = 64;
    static constexpr std::size_t kLargestKept = 1024;
    static constexpr std::size_t kClasses = kLargestKept / kSizeClass;

    // The size class of a block of at most kLargestKept bytes.
    static std::size_t classOf(std::size_t size);

    std::mutex mutex_;
    std::array<std::vector<void*>, kClasses> kept_;
};

// The allocator std::allocate_shared rebinds to its record and control block: one block each,
// from a lookaside list.
template <typename T>
class RecordAllocator {
  public:
    using value_type = T;
    static_assert(alignof(T) <= alignof(std::max_align_t));

    explicit RecordAllocator(MemoryLookaside& list) : list_(&list) {}
    template <typename U>
    RecordAllocator(const RecordAllocator<U>& other) : list_(other.list_) {}

    T* allocate(std::size_t count) {
        void* block = list_->take(count * sizeof(T));
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t count) { list_->giveBack(block, count * sizeof(T)); }

    template <typename U>
    bool operator==(const RecordAllocator<U>& other) const {
        return list_ == other.list_;
    }

  private:
    template <typename U>
    friend class RecordAllocator;
    MemoryLookaside* list_;
};

}  // namespace zo::kernel
