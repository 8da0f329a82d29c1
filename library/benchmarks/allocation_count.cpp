// Counting replacements of the C library's allocator entry points. A program that defines malloc
// and its companions replaces them for the whole process (the shared libraries included); each
// counts the call and hands it to the C library's own allocator.

#include "library/benchmarks/allocation_count.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}

namespace zo::benchmarking {
namespace {

std::atomic<std::uint64_t> allocations{0};

void countOne() {
    allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

std::uint64_t allocationCount() {
    return allocations.load(std::memory_order_relaxed);
}

}  // namespace zo::benchmarking

extern "C" {

void* malloc(std::size_t size) noexcept {
    zo::benchmarking::countOne();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
    zo::benchmarking::countOne();
    return __libc_calloc(count, size);
}

void* realloc(void* block, std::size_t size) noexcept {
    zo::benchmarking::countOne();
    return __libc_realloc(block, size);
}

void* memalign(std::size_t alignment, std::size_t size) noexcept {
    zo::benchmarking::countOne();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    zo::benchmarking::countOne();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept {
    zo::benchmarking::countOne();
    void* allocated = __libc_memalign(alignment, size);
    if (allocated == nullptr) {
        return ENOMEM;
    }
    *block = allocated;
    return 0;
}

void free(void* block) noexcept {
    __libc_free(block);
}

}  // extern "C"
