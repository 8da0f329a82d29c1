#pragma once
// How many heap allocations the benchmark program has made so far, in every thread: malloc,
// calloc, realloc and the aligned forms, and so every operator new, which allocates through them.
// The program replaces the C library's allocator entry points with counting ones
// (allocation_count.cpp).

#include <cstdint>

namespace zo::benchmarking {

std::uint64_t allocationCount();

}  // namespace zo::benchmarking
